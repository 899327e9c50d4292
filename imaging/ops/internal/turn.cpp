#include "imaging/ops/internal/turn.h"

namespace imaging::ops::internal {
namespace {

// cv::flip code for a pair of mirrors, or 2 for none.
int FlipCode(bool h, bool v) {
  if (h && v) return -1;
  if (h) return 1;
  if (v) return 0;
  return 2;
}

}  // namespace

void TurnAndFlip(const cv::Mat& in, cv::Mat* out, int quarters, bool flip_h, bool flip_v) {
  quarters &= 3;
  if (quarters % 2 == 0) {
    // A half turn is both mirrors.
    const bool half = quarters == 2;
    const int code = FlipCode(flip_h != half, flip_v != half);
    if (code == 2)
      *out = in.clone();
    else
      cv::flip(in, *out, code);
    return;
  }
  // Mirrors before a transpose swap axes; an anticlockwise quarter turn is
  // a transpose then a vertical mirror, a clockwise one a horizontal mirror.
  const bool after_h = flip_v != (quarters == 3);
  const bool after_v = flip_h != (quarters == 1);
  cv::transpose(in, *out);
  const int code = FlipCode(after_h, after_v);
  if (code != 2) cv::flip(*out, *out, code);
}

}  // namespace imaging::ops::internal

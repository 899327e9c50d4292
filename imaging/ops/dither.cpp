#include "imaging/ops/dither.h"

#include <algorithm>
#include <utility>

namespace imaging::ops {
namespace {

// Errors are kept in sixteenths; RoundSixteenths() turns the sum that
// reached a pixel back into whole levels, rounding halves away from zero so
// positive and negative errors behave alike.
inline int RoundSixteenths(int32_t e) { return e >= 0 ? (e + 8) >> 4 : -((8 - e) >> 4); }

inline int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

constexpr int kOvershoot = 128;

}  // namespace

GrayDiffuser::GrayDiffuser(int width, int levels, int bias)
    : width_(width),
      levels_(std::clamp(levels, 2, 256)),
      bias_(std::clamp(bias, -255, 255)),
      current_(static_cast<size_t>(width) + 2, 0),
      next_(static_cast<size_t>(width) + 2, 0) {}

void GrayDiffuser::DiffuseRow(const uint8_t* gray, uint8_t* indices) {
  const int steps = levels_ - 1;
  const int dir = reverse_ ? -1 : 1;
  int x = reverse_ ? width_ - 1 : 0;
  for (int n = 0; n < width_; ++n, x += dir) {
    const int v = Clamp255(gray[x] + bias_ + RoundSixteenths(current_[x + 1]));
    const int level = (v * steps + 127) / 255;
    const int out = (level * 255 * 2 + steps) / (2 * steps);
    indices[x] = static_cast<uint8_t>(level);
    const int32_t err = v - out;
    // x + 1 is this pixel's slot in the padded buffers.
    current_[x + 1 + dir] += err * 7;
    next_[x + 1 - dir] += err * 3;
    next_[x + 1] += err * 5;
    next_[x + 1 + dir] += err;
  }
  std::swap(current_, next_);
  std::fill(next_.begin(), next_.end(), 0);
  reverse_ = !reverse_;
}

ColorDiffuser::ColorDiffuser(int width, ColorMap* map)
    : width_(width),
      map_(map),
      current_(3 * (static_cast<size_t>(width) + 2), 0),
      next_(3 * (static_cast<size_t>(width) + 2), 0) {}

void ColorDiffuser::DiffuseRow(const uint8_t* bgr, uint8_t* indices) {
  const std::vector<PaletteEntry>& pal = map_->palette();
  const int dir = reverse_ ? -1 : 1;
  int x = reverse_ ? width_ - 1 : 0;
  for (int n = 0; n < width_; ++n, x += dir) {
    const int slot = 3 * (x + 1);
    // The wanted colour may leave 0..255 by a bounded overshoot: the error
    // then still counts when choosing the entry, which keeps the mean of
    // colours that only a far, sparse palette entry can balance.
    const int b = std::clamp(bgr[3 * x] + RoundSixteenths(current_[slot]), -kOvershoot, 255 + kOvershoot);
    const int g = std::clamp(bgr[3 * x + 1] + RoundSixteenths(current_[slot + 1]), -kOvershoot, 255 + kOvershoot);
    const int r = std::clamp(bgr[3 * x + 2] + RoundSixteenths(current_[slot + 2]), -kOvershoot, 255 + kOvershoot);
    const uint8_t index = map_->Nearest(r, g, b);
    indices[x] = index;
    const PaletteEntry& e = pal[index];
    const int32_t err[3] = {b - e.blue, g - e.green, r - e.red};
    const int ahead = slot + 3 * dir, behind = slot - 3 * dir;
    for (int c = 0; c < 3; ++c) {
      if (err[c] == 0) continue;
      current_[ahead + c] += err[c] * 7;
      next_[behind + c] += err[c] * 3;
      next_[slot + c] += err[c] * 5;
      next_[ahead + c] += err[c];
    }
  }
  std::swap(current_, next_);
  std::fill(next_.begin(), next_.end(), 0);
  reverse_ = !reverse_;
}

}  // namespace imaging::ops

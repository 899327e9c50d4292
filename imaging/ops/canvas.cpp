#include "imaging/ops/canvas.h"

#include <algorithm>
#include <cmath>

#include "imaging/ops/internal/filter_frame.h"

namespace imaging::ops {
namespace {

constexpr int kTile = 8;
constexpr int kThread = 4;

// Height of the weave: threads run across in the even squares and down in
// the odd ones, each a half sine across its width.
double WeaveHeight(int x, int y) {
  x = ((x % kTile) + kTile) % kTile;
  y = ((y % kTile) + kTile) % kTile;
  const bool across = ((x / kThread) + (y / kThread)) % 2 == 0;
  const int t = across ? y % kThread : x % kThread;
  return std::sin(3.14159265358979 * (t + 0.5) / kThread);
}

}  // namespace

Result Canvas(const Image& src, Image* dst, CanvasLight light, int depth, const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "Canvas"); !r.ok()) return r;
  const int li = static_cast<int>(light);
  if (li < 0 || li > 3 || depth < 0 || depth > 255) return Result(Status::kBadValue, "Canvas: value out of range");
  if (depth == 0) return internal::CopyPicture(src, dst);
  // Light direction (toward the light) per corner.
  const int lx = (light == CanvasLight::kTopRight || light == CanvasLight::kBottomRight) ? 1 : -1;
  const int ly = (light == CanvasLight::kTopRight || light == CanvasLight::kTopLeft) ? -1 : 1;
  int shade[kTile][kTile];
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) {
      // Slopes facing the light are brighter: height here minus toward the light.
      const double s = WeaveHeight(x, y) - WeaveHeight(x + lx, y + ly);  // -1..1
      shade[y][x] = static_cast<int>(std::lround(s * depth / 2.0));
    }
  return internal::RunFilter(src, dst, region, 0, "Canvas", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect& area) {
    const int cn = in.channels();
    internal::ParallelRows(in.rows, [&](int y0, int y1) {
      for (int y = y0; y < y1; ++y) {
        const int* row_shade = shade[((y - area.y) % kTile + kTile) % kTile];
        const uint8_t* s = in.ptr<uint8_t>(y);
        uint8_t* d = out.ptr<uint8_t>(y);
        for (int x = 0; x < in.cols; ++x) {
          const int add = row_shade[((x - area.x) % kTile + kTile) % kTile];
          for (int c = 0; c < 3; ++c) d[x * cn + c] = static_cast<uint8_t>(std::clamp(s[x * cn + c] + add, 0, 255));
          if (cn == 4) d[x * cn + 3] = s[x * cn + 3];
        }
      }
    });
  });
}

}  // namespace imaging::ops

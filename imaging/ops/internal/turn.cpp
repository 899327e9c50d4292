#include "imaging/ops/internal/turn.h"

#include <cstring>

namespace imaging::ops::internal {
namespace {

// Source coordinates are affine in the output's: sx = x0 + ox*xx + oy*xy,
// sy = y0 + ox*yx + oy*yy.
struct Mapping {
  int x0, xx, xy, y0, yx, yy;
};

Mapping MappingFor(int w, int h, int quarters, bool flip_h, bool flip_v) {
  // Output (ox, oy) -> turned-away coordinates (fx, fy) of the flipped picture.
  Mapping m{};
  switch (quarters & 3) {
    case 0: m = {0, 1, 0, 0, 0, 1}; break;
    case 1: m = {w - 1, 0, -1, 0, 1, 0}; break;       // fx = w-1-oy, fy = ox
    case 2: m = {w - 1, -1, 0, h - 1, 0, -1}; break;  // fx = w-1-ox, fy = h-1-oy
    default: m = {0, 0, 1, h - 1, -1, 0}; break;      // fx = oy, fy = h-1-ox
  }
  // Then the flips: x -> w-1-x, y -> h-1-y.
  if (flip_h) m = {w - 1 - m.x0, -m.xx, -m.xy, m.y0, m.yx, m.yy};
  if (flip_v) m = {m.x0, m.xx, m.xy, h - 1 - m.y0, -m.yx, -m.yy};
  return m;
}

template <int kBytes>
void CopyTiles(const cv::Mat& in, cv::Mat& out, const Mapping& m, const cv::Range& tile_rows, int tile) {
  const ptrdiff_t step = static_cast<ptrdiff_t>(in.step[0]);
  const ptrdiff_t dx = m.xx * kBytes + m.yx * step;  // source bytes per output column
  const ptrdiff_t dy = m.xy * kBytes + m.yy * step;  // source bytes per output row
  const uint8_t* origin = in.data + m.y0 * step + m.x0 * kBytes;
  for (int ty = tile_rows.start; ty < tile_rows.end; ++ty) {
    const int oy0 = ty * tile, oy1 = std::min(oy0 + tile, out.rows);
    for (int ox0 = 0; ox0 < out.cols; ox0 += tile) {
      const int ox1 = std::min(ox0 + tile, out.cols);
      for (int oy = oy0; oy < oy1; ++oy) {
        uint8_t* d = out.ptr<uint8_t>(oy) + ox0 * kBytes;
        const uint8_t* s = origin + oy * dy + ox0 * dx;
        for (int ox = ox0; ox < ox1; ++ox, d += kBytes, s += dx) std::memcpy(d, s, kBytes);
      }
    }
  }
}

}  // namespace

void TurnAndFlip(const cv::Mat& in, cv::Mat& out, int quarters, bool flip_h, bool flip_v) {
  const Mapping m = MappingFor(in.cols, in.rows, quarters, flip_h, flip_v);
  constexpr int kTile = 64;
  const int tiles = (out.rows + kTile - 1) / kTile;
  const int bytes = static_cast<int>(in.elemSize());
  cv::parallel_for_(cv::Range(0, tiles), [&](const cv::Range& r) {
    switch (bytes) {
      case 1: CopyTiles<1>(in, out, m, r, kTile); break;
      case 2: CopyTiles<2>(in, out, m, r, kTile); break;
      case 3: CopyTiles<3>(in, out, m, r, kTile); break;
      default: CopyTiles<4>(in, out, m, r, kTile); break;
    }
  });
}

}  // namespace imaging::ops::internal

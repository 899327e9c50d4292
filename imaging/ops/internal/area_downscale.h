// File: imaging/ops/internal/area_downscale.h
//
// Area-average shrinking of 8-bit interleaved rows (1, 3 or 4 samples per
// pixel): each destination pixel is the mean of the source area it covers,
// source pixels cut by its edges weighted by the fraction covered.  Integer
// arithmetic, one destination row at a time (big pictures in bands of rows
// on OpenCV's threads); a flat picture stays exactly flat.
//
//   internal::AreaDownscale({src.data(), src.stride(), 256, 171},
//                           {out.data(), out.stride(), 160, 107}, 3);
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging::ops::internal {

// Rows of 8-bit samples: `width` x `height` pixels, `stride` bytes from one
// row to the next.
struct ConstRows {
  const uint8_t* data;
  std::ptrdiff_t stride;
  int width, height;
};
struct Rows {
  uint8_t* data;
  std::ptrdiff_t stride;
  int width, height;
};

// AreaDownscale() fills `dst` with the area average of `src`.  `channels`
// is 1, 3 or 4 (every sample, alpha included, is averaged alike); both of
// dst's sides are at least 1 and at most src's (an unchanged side is
// copied through).  The results are the exact means rounded to the
// nearest, to within rounding of the weights (a small fraction of a
// level).  `src` and `dst` must not overlap.  Returns false, leaving dst
// untouched, when the arguments break these rules.  May throw
// std::bad_alloc (callers run it under GuardResult).
[[nodiscard]] bool AreaDownscale(ConstRows src, Rows dst, int channels);

}  // namespace imaging::ops::internal

// File: imaging/ops/rotate.h
//
// Rotation by any angle and horizontal/vertical flips, at every depth.
// Quarter turns and flips are exact rearrangements of the pixels (no
// resampling, no palette change); other angles resample and fill the
// uncovered corners with a background colour.
//
//   imaging::Image turned;
//   auto r = imaging::ops::RotateImage(img, &turned, 9000);                 // 90 degrees left
//   r = imaging::ops::RotateImage(img, &img, 0, imaging::ops::Flip::kHorizontal);
#pragma once

#include <cstdint>

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::ops {

enum class Flip {
  kNone = 0,
  kHorizontal = 1,  // mirror left <-> right
  kVertical = 2,    // mirror top <-> bottom
  kBoth = 3,
};

enum class RotateCanvas {
  kExpand,    // the result grows to hold the whole turned picture
  kKeepSize,  // the result keeps the picture's size; the corners are cut off
};

// RotateImage() flips `src` as `flip` says, then turns it by
// `angle_centidegrees` hundredths of a degree (positive = anticlockwise,
// "to the left"; any value, taken modulo 36000), into `*dst` (may be
// `&src`).
//   - Multiples of 9000 are exact at every depth (1/4/8-bit palette,
//     16, 24, 32 bpp): a quarter turn swaps width and height (with
//     kKeepSize the turned picture is centred on a canvas of the old size,
//     the rest filled).
//   - Other angles: 24/32-bit and 256-grey pictures are resampled
//     bilinearly, 16-bit ones at 24 bits and stored back at 16, other
//     palette pictures take the nearest pixel (their palette is kept and
//     the fill is the palette entry nearest to `fill_rgb`).  32-bit fill
//     has alpha 0.
// Metadata and palette are kept.  Returns kBadValue for a null `dst` or an
// unknown flip or canvas, kBadImage for an empty `src`, kMemory when the
// turned picture would exceed the engine's limits.
Result RotateImage(const Image& src, Image* dst, int angle_centidegrees, Flip flip = Flip::kNone,
                   uint32_t fill_rgb = 0xFFFFFF, RotateCanvas canvas = RotateCanvas::kExpand);

}  // namespace imaging::ops

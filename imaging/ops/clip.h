// File: imaging/ops/clip.h
//
// Trimming: cropping a picture to a rectangle, and painting everything
// outside a region with one colour.  Both work at every depth.
//
//   imaging::Image part;
//   auto r = imaging::ops::Trim(img, &part, imaging::ops::ClipRect{10, 109, 20, 69});
//   // part is 100 x 50
#pragma once

#include <cstdint>

#include "imaging/image.h"
#include "imaging/ops/region.h"
#include "imaging/status.h"

namespace imaging::ops {

// ClipRect: inclusive pixel indices.  Values beyond the picture are
// clamped to it, so (0, W, 0, H) is the whole W x H picture.
struct ClipRect {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
};

// Trim() copies the part of `src` inside `rect` (clamped to the picture)
// into `*dst`, keeping depth, palette and metadata.  `dst` may be `&src`.
// Returns kBadValue for a null `dst` or a rectangle that covers no pixel
// of the picture (right < left, bottom < top, or wholly outside),
// kBadImage for an empty `src`, kMemory when allocation fails.
Result Trim(const Image& src, Image* dst, const ClipRect& rect);

// FillOutside() paints every pixel that `region` does not cover with
// `rgb` (0xRRGGBB); a whole-picture region leaves the picture as it is.
// Palette pictures get the nearest palette entry, 16-bit pictures the
// nearest 5-5-5 colour, 32-bit pictures alpha 0.  `dst` may be `&src`.
// Returns kBadValue for a null `dst`, kBadImage for an empty `src`.
Result FillOutside(const Image& src, Image* dst, const Region& region, uint32_t rgb);

}  // namespace imaging::ops

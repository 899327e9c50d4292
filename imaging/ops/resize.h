// File: imaging/ops/resize.h
//
// Resizing a picture to a given size, and reducing it to a selection's
// size with or without keeping its aspect ratio.
//
//   imaging::Image half;
//   auto r = imaging::ops::ResizeImage(img, &half, img.width() / 2, img.height() / 2);
#pragma once

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::ops {

enum class ResizeFilter {
  kAuto,     // area averaging when neither side grows, bicubic otherwise
  kArea,     // area averaging (best for shrinking)
  kCubic,    // bicubic
  kLanczos,  // Lanczos over 8 x 8 pixels
  kNearest,  // nearest pixel (exact colours)
};

// ResizeImage() scales `src` to `width` x `height` pixels into `*dst` (may
// be `&src`).  24/32-bit pictures (alpha included) and 256-grey pictures
// (a palette whose entry i is grey i) are filtered as asked; 16-bit
// pictures are filtered at 24 bits and stored back at 16; other palette
// pictures (1/4/8 bpp) always take the nearest pixel so that they keep
// their palette.  The same size gives a copy.  Metadata and palette are
// kept.  Returns kBadValue for a null `dst`, a side < 1 or beyond
// kMaxDimension, or an unknown filter; kBadImage for an empty `src`;
// kMemory when allocation fails.
Result ResizeImage(const Image& src, Image* dst, int width, int height, ResizeFilter filter = ResizeFilter::kAuto);

enum class ReduceMode {
  kKeepWidth = 0,   // width = the selection's; height follows the aspect ratio
  kKeepHeight = 1,  // height = the selection's; width follows the aspect ratio
  kBoth = 2,        // both sides = the selection's (aspect ratio changes)
};

// ReduceToSize() resizes `src` to a selection of `width` x `height`
// pixels (right - left, bottom - top), the other side worked out from
// the picture's aspect ratio as `mode` says, rounded to whole pixels (at
// least 1).  Returns ResizeImage's codes; kBadValue also for a selection
// side <= 0 that `mode` uses.
Result ReduceToSize(const Image& src, Image* dst, double width, double height, ReduceMode mode);

}  // namespace imaging::ops

// File: imaging/ops/emboss.h
//
// Emboss and mosaic.  24/32-bit pictures, whole or in a region.
//
//   auto r = imaging::ops::Emboss(img, &img, 0, 3, 100);
//   r = imaging::ops::Mosaic(img, &img, 10, 10);
#pragma once

#include "imaging/image.h"
#include "imaging/ops/region.h"
#include "imaging/status.h"

namespace imaging::ops {

// Emboss() turns the picture into a grey relief lit from one side:
// out = background + edge x (Y(p - d) - Y(p + d)), clamped, where Y is
// the Rec. 601 luminance and d the light's direction, `mask` 0..7:
// 0 top-left, 1 top, 2 top-right, 3 right, 4 bottom-right, 5 bottom,
// 6 bottom-left, 7 left.  `edge` 1..5 scales the relief, `background`
// 0..255 is the grey of flat areas.  Alpha is kept.  kBadValue for
// values out of range, kNotTarget below 24 bpp.
Result Emboss(const Image& src, Image* dst, int mask, int edge, int background, const Region& region = {});

// Mosaic() paints the picture as cells of `cell_width` x `cell_height`
// pixels (each 1..100), each cell the mean colour of its pixels.  Cells
// start at the top-left corner of the region's bounding box (of the
// picture for the whole picture); cells cut by the edge average what is
// left.  1 x 1 leaves the picture as it is.  kBadValue for sizes out of
// range, kNotTarget below 24 bpp.
Result Mosaic(const Image& src, Image* dst, int cell_width, int cell_height, const Region& region = {});

}  // namespace imaging::ops

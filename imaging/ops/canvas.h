// File: imaging/ops/canvas.h
//
// Canvas texture: the picture looks painted on woven canvas, the weave lit
// from one corner.  24/32-bit pictures, whole or in a region.
//
//   auto r = imaging::ops::Canvas(img, &img, imaging::ops::CanvasLight::kTopLeft, 20);
#pragma once

#include "imaging/image.h"
#include "imaging/ops/region.h"
#include "imaging/status.h"

namespace imaging::ops {

enum class CanvasLight {
  kTopRight = 0,
  kTopLeft = 1,
  kBottomLeft = 2,
  kBottomRight = 3,
};

// Canvas() adds the shading of a basket weave (threads 4 pixels wide,
// an 8 x 8 pattern aligned at the area's top-left corner) lit from
// `light`: each colour channel gains up to +/- `depth` / 2 (depth 0..255;
// 0 changes nothing, 20 is a fine texture, 255 a deep relief), clamped.
// Alpha is kept.  kBadValue for values out of range, kNotTarget below
// 24 bpp.
Result Canvas(const Image& src, Image* dst, CanvasLight light, int depth, const Region& region = {});

}  // namespace imaging::ops

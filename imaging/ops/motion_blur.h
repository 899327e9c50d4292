// File: imaging/ops/motion_blur.h
//
// Motion blur: along a line, around the centre (spin) or toward the
// centre (zoom).  24/32-bit pictures, whole or in a region.
//
//   auto r = imaging::ops::MotionBlur(img, &img, imaging::ops::MotionKind::kLinear, 30, 20);
#pragma once

#include "imaging/image.h"
#include "imaging/ops/region.h"
#include "imaging/status.h"

namespace imaging::ops {

enum class MotionKind {
  kLinear = 0,  // along a straight line at `angle`
  kRadial = 1,  // along circles around the centre of the area (spin)
  kZoom = 2,    // along rays toward the centre of the area
};

// MotionBlur() averages each pixel along its path.  `length` (0..255) is
// the path's length in pixels: along the line for kLinear (centred on the
// pixel), and at the corners of the area for kRadial and kZoom (falling to
// nothing at the centre).  `angle` (0..360 degrees, anticlockwise from
// the positive x axis) is the direction of kLinear and not used by the
// others.  Length 0 leaves the picture as it is.  Beyond the edge the
// edge pixels repeat.  kBadValue for values out of range or an unknown
// kind, kNotTarget below 24 bpp.
Result MotionBlur(const Image& src, Image* dst, MotionKind kind, int length, int angle, const Region& region = {});

}  // namespace imaging::ops

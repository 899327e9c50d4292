// File: imaging/ops/frame.h
//
// Picture frame: a thin edge at the top and left and a broad edge at the
// bottom and right, painted over the picture's border in one colour, so the
// picture looks raised off the page.
//
//   imaging::Image framed;
//   auto r = imaging::ops::AddPictureFrame(img, &framed);   // grey, 1 and 5 pixels
#pragma once

#include <cstdint>

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::ops {

// The editor draws the frame as boxes 2 and 68 twips wide; at 96 dpi
// (15 twips a pixel) that is a 1-pixel edge and a 5-pixel edge, the
// defaults here.
struct FrameOptions {
  int thin = 1;              // pixels of the top and left edge
  int broad = 5;             // pixels of the bottom and right edge (filled)
  uint32_t rgb = 0x808080;   // 0xRRGGBB
};

// AddPictureFrame() paints the frame into a copy of `src` of the same size
// (edges wider than the picture cover all of it).  24/32-bit pictures keep
// their depth; lower depths become 24-bit (the frame colour must be exact).
// `dst` may be `&src`.  Returns kBadValue for a null `dst` or a negative
// edge, kBadImage for an empty `src`.
Result AddPictureFrame(const Image& src, Image* dst, const FrameOptions& options = {});

}  // namespace imaging::ops

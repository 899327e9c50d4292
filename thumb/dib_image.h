// File: thumb/dib_image.h
//
// Pictures between the imaging family's handles and QImage, for the shared
// thumbnail cache: a cached PNG becomes a 24-bit packed DIB in a block of
// the family's table, and a thumbnail handle is drawn 1:1 into an RGB32
// QImage through the family's own DIB drawing (so every bit depth and
// palette the family makes is read the way the grid paints it).
//
//   MVHANDLE h = thumb::DibHandleFromImage(png_image, 0xE0E0E0);  // 0 on failure
//   QImage img;
//   if (thumb::ImageFromDibHandle(h, &img)) ...
#pragma once

#include <QImage>
#include <cstdint>

#include "imaging/dlls/mv7.h"

namespace thumb {

// DibHandleFromImage(): a new handle holding `image` as a bottom-up 24-bit
// DIB with the image's resolution; transparent pixels are blended onto
// `background` (COLORREF 0x00BBGGRR).  0 when the image is empty or the block cannot be made.
MVHANDLE DibHandleFromImage(const QImage& image, uint32_t background);

// ImageFromDibHandle(): the handle's raster picture as an opaque RGB32
// image, with the DIB's resolution when it has one.  False for an unknown handle, a block that is not a whole packed
// DIB, or when the family cannot draw.
bool ImageFromDibHandle(MVHANDLE handle, QImage* out);

}  // namespace thumb

// File: imaging/control/internal/picture_convert.h
//
// Conversions between the engine's picture and Qt images.
//
//   QImage shown = ToQImage(picture);         // ARGB32/RGB32 or Indexed8
//   Image back;
//   if (FromQImage(shown, &back).ok()) ...
#pragma once

#include <QImage>

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::control {

// ToQImage() copies the picture: 1/4/8 bpp become Indexed8 with the
// palette, 16/24 bpp RGB32, 32 bpp RGB32 as well (the engine's alpha byte
// is 0 in pictures without alpha).  Dots per inch are carried over.  A null
// image for an empty picture.
QImage ToQImage(const Image& image);

// FromQImage() copies a Qt image: Mono/Indexed8 keep their palette (1 or 8
// bpp), images with an alpha channel become 32 bpp, others 24 bpp.  kBadImage
// for a null image, kMemory when too large.
Result FromQImage(const QImage& qimage, Image* out);

// ToBgr24() copies the picture into 24-bit B, G, R rows (the engine's
// 24 bpp layout) from any depth; the alpha byte of 32 bpp is dropped.
Result ToBgr24(const Image& image, Image* out);

}  // namespace imaging::control

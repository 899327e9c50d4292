// File: imaging/control/internal/area_shrink.h
//
// The view's shrunken copies: a 24-bit picture area-averaged to a smaller
// size, straight into an RGB32 image.  Each output pixel is the mean of the
// source area it covers, edge pixels weighted by the part covered, as
// OpenCV's INTER_AREA does; the work is split over OpenCV's threads.
//
//   QImage shown = AreaShrinkToRgb32(bgr_picture, QSize(1024, 683));
#pragma once

#include <QImage>
#include <QSize>

#include "imaging/image.h"

namespace imaging::control {

// MakeRgb32() is an RGB32 image of `size` whose pixels (unset) live in a
// PixelBuffer, so big view copies reuse the engine's kept blocks instead of
// faulting in fresh pages.  Null when out of memory.
QImage MakeRgb32(QSize size);

// AreaShrinkToRgb32() shrinks a 24-bit picture to `size` (each side at
// least 1 and at most the picture's).  Null for another depth, a bad size
// or when out of memory.
QImage AreaShrinkToRgb32(const Image& bgr, QSize size);

}  // namespace imaging::control

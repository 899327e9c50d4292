// File: slide/slide_loader.h
//
// Loading one slide's picture through the imaging library family, fitted
// once to the box it will be shown in, so that painting it is a plain copy.
//
//   MVHANDLE pic = slide::LoadSlide("/pictures/a.jpg", 0, 1916, 1076);
//   ...
//   imaging_dlls::FreeMemory(pic);
#pragma once

#include <cstdint>

#include "imaging/dlls/mv7.h"

namespace slide {

// LoadSlide(): the picture `image_number` of `path` as a raster packed DIB
// no larger than box_w x box_h (aspect kept, never enlarged), or 0 when a
// box side is below 5, the library cannot load pictures, or the file is
// missing or not a picture.  The caller frees the handle.
MVHANDLE LoadSlide(const char* path, int image_number, int box_w, int box_h);

}  // namespace slide

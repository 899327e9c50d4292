// File: thumb/thumbnail_maker.h
//
// Making one thumbnail through the imaging library family: the picture is
// loaded at a bounded size by the cheapest route its format allows (the
// largest fitting sub-image of a multi-resolution file, a JPEG's embedded
// EXIF thumbnail when it is large enough, else a bounded decode), then
// brought to the thumbnail size.  Every handle is the family's; nothing
// here touches the engine directly.
//
//   MVHANDLE pic = thumb::LoadPictureForThumbnail("/p/a.jpg", 0, 96);
//   MVHANDLE t = thumb::MakeThumbnail(pic, 96, 0xE0E0E0);  // takes `pic`
#pragma once

#include <cstdint>
#include <string>

#include "imaging/dlls/mv7.h"

namespace thumb {

// LoadPictureForThumbnail(): the picture (not yet at thumbnail size), or 0
// when the file cannot be recognised or loaded.
MVHANDLE LoadPictureForThumbnail(const std::string& path, int image_number, int image_size);

// MakeThumbnail(): takes ownership of `picture` and returns a handle whose
// longer side is `image_size` (the picture itself when it cannot be
// resized), or 0.  Non-raster pictures are rendered on `background`
// (COLORREF 0x00BBGGRR) first.
MVHANDLE MakeThumbnail(MVHANDLE picture, int image_size, uint32_t background);

// One thumbnail to make: everything the work needs, copied out of the
// control so the work can run away from the host's thread.
struct ThumbnailJob {
  std::string path;
  int image_number = 0;
  int image_size = 96;
  uint32_t background = 0;  // COLORREF 0x00BBGGRR
};

// BuildThumbnail(): the whole route for one entry (load, then size), or 0
// when the picture cannot be made.
MVHANDLE BuildThumbnail(const ThumbnailJob& job);

}  // namespace thumb

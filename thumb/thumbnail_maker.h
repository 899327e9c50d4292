// File: thumb/thumbnail_maker.h
//
// Making one thumbnail through the imaging library family: the picture is
// loaded at a bounded size by the cheapest route its format allows (the
// smallest sub-image larger than the thumbnail in a multi-resolution file,
// a JPEG's embedded EXIF thumbnail when it is large enough, else a bounded
// decode), then brought to the thumbnail size.  Every handle is the family's; nothing
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
  // Read and write the desktop's shared thumbnail cache (shared_cache.h)
  // for image 0 of a file holding one image.
  bool use_shared_cache = false;
};

// BuildThumbnail(): the whole route for one entry, or 0 when the picture
// cannot be made.  With the shared cache, a valid entry of at least
// `image_size` (or one kept at the picture's own size) is brought to the
// thumbnail size without decoding the file, and a valid failure entry
// gives 0 at once.  Otherwise the picture is loaded; a raster picture is
// first brought to the cache folder's size (the smallest of 128, 256, 512,
// 1024 not below `image_size`, or kept at its own size when smaller), that
// picture is stored for other programs and the thumbnail made from it, so
// a later hit gives the very same thumbnail; a file that cannot be loaded
// is recorded as a failure.  Drawings (rendered on `background`) and
// pictures made from a JPEG's embedded EXIF thumbnail are never stored.  Safe to run on several threads at once; it raises no
// events and touches no control.
MVHANDLE BuildThumbnail(const ThumbnailJob& job);

}  // namespace thumb

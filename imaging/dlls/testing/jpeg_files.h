// File: imaging/dlls/testing/jpeg_files.h
//
// JPEG test files written with the engine's encoder, optionally with an
// EXIF block (built with libexif, carrying a thumbnail or not) spliced in
// after the start-of-image marker.
//
//   ASSERT_TRUE(mv7test::WriteJpeg(img, path, mv7test::Exif::kWithThumbnail));
#pragma once

#include <string>

#include "imaging/image.h"

namespace mv7test {

enum class Exif { kNone, kWithoutThumbnail, kWithThumbnail };

// WriteJpeg() writes `img` as a JPEG; with EXIF the thumbnail is a 160 x 120
// JPEG of `img` scaled down.  False on any failure.
bool WriteJpeg(const imaging::Image& img, const std::string& path, Exif exif);

}  // namespace mv7test

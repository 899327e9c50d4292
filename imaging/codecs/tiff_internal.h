// File: imaging/codecs/tiff_internal.h
//
// Private entry points of the TIFF codec (libtiff), shared by
// tiff_codec.cpp, tiff_reader.cpp and tiff_writer.cpp.
//
//   FileInfo info;
//   Result r = TiffReadInfo(data, size, 0, &info);   // info.image_count = pages
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <vector>

#include "imaging/codecs/byte_source.h"
#include "imaging/codecs/codec.h"

namespace imaging::codecs::internal {

// Page `index` header: size, depth, resolution, page count.
Result TiffReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info);

// Pages first .. first + max - 1 (those the file has) read from `source`
// at their directories only, one directory after the other.  A page whose
// directory is unreadable is left as a FileInfo of format kUnknown; the
// result fails as TiffReadInfo() of page `first` fails.
Result TiffReadPages(ByteSource* source, int first, int max, std::vector<FileInfo>* pages);

// Decodes page `options.image_index`: 1/4/8-bit palette or grey, 24-bit RGB,
// 32-bit RGBA; anything else libtiff can render goes through its RGBA path.
Result TiffLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out);

// Writes one page; kTiffLzw forces LZW, kTiff uses `options.tiff_compression`.
Result TiffSave(const Image& image, const std::string& path, const SaveOptions& options);

}  // namespace imaging::codecs::internal

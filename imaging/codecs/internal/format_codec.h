// File: imaging/codecs/internal/format_codec.h
//
// The table entry each file format provides to the codec dispatcher
// (codec.cpp).  Private to imaging/codecs.
//
// Readers work on the whole file in memory (`data`, `size`); they never trust
// a size field and check every offset against `size`.  Writers write to
// `path`, which is a temporary file the dispatcher renames on success.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/codecs/codec.h"

namespace imaging::codecs::internal {

struct FormatCodec {
  FileFormat format = FileFormat::kUnknown;
  // True when the leading bytes are this format's.
  bool (*sniff)(const uint8_t* data, size_t size) = nullptr;
  // Header information of picture `index` without decoding pixels.
  Result (*read_info)(const uint8_t* data, size_t size, int index, FileInfo* info) = nullptr;
  // Decodes picture `options.image_index`.  A codec may use the bound in
  // `options` for a cheaper decode and return a picture larger than the
  // bound; the dispatcher does the final fit.
  Result (*load)(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) = nullptr;
  // Writes the picture to `path`; null when the format is read-only here.
  Result (*save)(const Image& image, const std::string& path, const SaveOptions& options) = nullptr;
};

// One accessor per format, each defined in its <format>_codec.cpp.
const FormatCodec& BmpCodec();
const FormatCodec& JpegCodec();
const FormatCodec& PngCodec();
const FormatCodec& PcxCodec();
const FormatCodec& GifCodec();
const FormatCodec& TiffCodec();
const FormatCodec& Jp2Codec();   // JP2 files and J2K/JPC code streams
const FormatCodec& FpxCodec();

// EXIF of JPEG data (jpeg_exif.cpp), behind ExifThumbnail() and
// ReadExifInfo().
Result JpegExifThumbnail(const uint8_t* data, size_t size, Image* out);
Result JpegReadExifInfo(const uint8_t* data, size_t size, ExifInfo* info);

}  // namespace imaging::codecs::internal

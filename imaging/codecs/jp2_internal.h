// File: imaging/codecs/jp2_internal.h
//
// Private entry points of the JPEG 2000 codec (openjpeg), shared by
// jp2_codec.cpp, jp2_reader.cpp and jp2_writer.cpp.
//
//   if (Jp2Sniff(data, size)) r = Jp2Load(data, size, {}, &img);
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/codecs/codec.h"

namespace imaging::codecs::internal {

// Kind of JPEG 2000 data: kJp2, kJ2k or kUnknown.
FileFormat Jp2Kind(const uint8_t* data, size_t size);
bool Jp2Sniff(const uint8_t* data, size_t size);
Result Jp2ReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info);
Result Jp2Load(const uint8_t* data, size_t size, const LoadOptions& options, Image* out);
// kJ2k writes a bare code stream, anything else a JP2 file.
Result Jp2Save(const Image& image, const std::string& path, const SaveOptions& options);

}  // namespace imaging::codecs::internal

// File: imaging/codecs/png_codec.cpp
//
// The PNG entry of the codec table: detection by the 8-byte signature;
// reading and writing live in png_reader.cpp and png_writer.cpp.
//
//   const FormatCodec& png = PngCodec();
//   if (png.sniff(data, size)) r = png.load(data, size, {}, &img);
#include <cstring>

#include "imaging/codecs/internal/format_codec.h"
#include "imaging/codecs/png_internal.h"

namespace imaging::codecs::internal {

bool PngSniff(const uint8_t* data, size_t size) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return data != nullptr && size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

const FormatCodec& PngCodec() {
  static const FormatCodec codec{FileFormat::kPng, &PngSniff, &PngReadInfo, &PngLoad, &PngSave};
  return codec;
}

}  // namespace imaging::codecs::internal

// File: imaging/codecs/gif_codec.cpp
//
// The GIF entry of the codec table: detection by the "GIF87a"/"GIF89a"
// signature; reading and writing live in gif_reader.cpp and gif_writer.cpp.
//
//   const FormatCodec& gif = GifCodec();
//   if (gif.sniff(data, size)) r = gif.load(data, size, {}, &img);
#include <cstring>

#include "imaging/codecs/gif_internal.h"
#include "imaging/codecs/internal/format_codec.h"

namespace imaging::codecs::internal {
namespace {

bool GifSniff(const uint8_t* data, size_t size) {
  return size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

}  // namespace

const FormatCodec& GifCodec() {
  static const FormatCodec codec{FileFormat::kGif, &GifSniff, &GifReadInfo, &GifLoad, &GifSave};
  return codec;
}

}  // namespace imaging::codecs::internal

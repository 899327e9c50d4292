// File: imaging/codecs/tiff_codec.cpp
//
// The TIFF entry of the codec table: detection by the "II*\0" / "MM\0*"
// byte-order marks (classic and BigTIFF); reading and writing live in
// tiff_reader.cpp and tiff_writer.cpp.
//
//   const FormatCodec& tiff = TiffCodec();
//   if (tiff.sniff(data, size)) r = tiff.load(data, size, {}, &img);
#include "imaging/codecs/internal/format_codec.h"
#include "imaging/codecs/tiff_internal.h"

namespace imaging::codecs::internal {
namespace {

bool TiffSniff(const uint8_t* data, size_t size) {
  if (size < 4) return false;
  const bool le = data[0] == 'I' && data[1] == 'I' && (data[2] == 42 || data[2] == 43) && data[3] == 0;
  const bool be = data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43);
  return le || be;
}

}  // namespace

const FormatCodec& TiffCodec() {
  static const FormatCodec codec{FileFormat::kTiff, &TiffSniff, &TiffReadInfo, &TiffLoad, &TiffSave};
  return codec;
}

}  // namespace imaging::codecs::internal

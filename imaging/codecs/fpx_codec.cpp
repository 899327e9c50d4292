// File: imaging/codecs/fpx_codec.cpp
//
// The FlashPix entry of the codec table: detection by the OLE2 signature
// plus the image contents property set in the root storage (so other
// compound files, a word processor document say, are not taken); reading
// and writing live in fpx_reader.cpp and fpx_writer.cpp, the layout is
// described in fpx_internal.h.
//
//   const FormatCodec& fpx = FpxCodec();
//   if (fpx.sniff(data, size)) r = fpx.load(data, size, {}, &img);
#include <cstdio>

#include "imaging/codecs/fpx_internal.h"
#include "imaging/codecs/internal/format_codec.h"

namespace imaging::codecs::internal {

// 56616000-C154-11CE-8553-00AA00A1F95B, in the byte order of a stored GUID.
const uint8_t kFpxImageClsid[16] = {0x00, 0x60, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11,
                                    0x85, 0x53, 0x00, 0xAA, 0x00, 0xA1, 0xF9, 0x5B};
// 56616100-C154-11CE-8553-00AA00A1F95B
const uint8_t kFpxResolutionClsid[16] = {0x00, 0x61, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11,
                                         0x85, 0x53, 0x00, 0xAA, 0x00, 0xA1, 0xF9, 0x5B};
// 56616000-C154-11CE-8553-00AA00A1F95B
const uint8_t kFpxImageContentsFmtid[16] = {0x00, 0x60, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11,
                                            0x85, 0x53, 0x00, 0xAA, 0x00, 0xA1, 0xF9, 0x5B};
// F29F85E0-4FF9-1068-AB91-08002B27B3D9
const uint8_t kSummaryInformationFmtid[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                              0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};

std::string StorageNameOfLevel(int level) {
  char name[32];
  std::snprintf(name, sizeof name, "Resolution %04d", level);
  return name;
}

const FormatCodec& FpxCodec() {
  static const FormatCodec codec{FileFormat::kFpx, &FpxSniff, &FpxReadInfo, &FpxLoad, &FpxSave};
  return codec;
}

}  // namespace imaging::codecs::internal

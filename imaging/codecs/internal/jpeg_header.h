// File: imaging/codecs/internal/jpeg_header.h
//
// The header of a JPEG file gathered by walking its markers with seeks, so
// that the picture's facts and its EXIF block are read without the
// compressed data.  Private to imaging/codecs.
//
//   std::vector<uint8_t> head;
//   bool exif = false;
//   if (JpegGatherHeader(&source, &head, &exif).ok())
//     JpegCodec().read_info(head.data(), head.size(), 0, &info);
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/codecs/byte_source.h"
#include "imaging/status.h"

namespace imaging::codecs::internal {

// JpegGatherHeader() builds a small JPEG stream of the file's header: SOI,
// every marker segment before the first scan except the application and
// comment segments (of those it keeps JFIF APP0, the first EXIF APP1 and
// Adobe APP14), the scan header, then EOI.  The JPEG readers take it as
// they take the whole file.  Skipped segments are seeked over, never read.
// *has_exif tells whether an APP1 segment starting "Exif\0\0" comes before
// the first scan.  kBadFile when the source is not JPEG, kBroken when the
// header ends early or a marker is malformed.
Result JpegGatherHeader(ByteSource* source, std::vector<uint8_t>* out, bool* has_exif);

}  // namespace imaging::codecs::internal

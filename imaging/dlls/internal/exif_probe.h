// File: imaging/dlls/internal/exif_probe.h
//
// Telling a JPEG that carries an EXIF block from one that does not, by
// walking its markers up to the first scan.  Reads at most the first
// kExifProbeBytes of the file.
//
//   if (mv7::internal::HasExifBlock("/p/a.jpg")) format = MV_FORMAT_JPEG_EXIF;
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mv7::internal {

inline constexpr size_t kExifProbeBytes = 256 * 1024;

// HasExifBlockIn() checks a JPEG's leading bytes: true when an APP1 segment
// starting "Exif\0\0" comes before the first scan.  Never reads past `size`.
bool HasExifBlockIn(const uint8_t* data, size_t size);

// HasExifBlock() reads the file's leading bytes and checks them.
bool HasExifBlock(const std::string& path);

}  // namespace mv7::internal

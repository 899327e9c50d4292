// EXIF detection by a bounded walk over JPEG markers.
#include "imaging/dlls/internal/exif_probe.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace mv7::internal {

bool HasExifBlockIn(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
  size_t pos = 2;
  while (pos + 4 <= size) {
    if (data[pos] != 0xFF) return false;  // not at a marker: malformed
    const uint8_t marker = data[pos + 1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return false;  // scan or end: no EXIF ahead of the data
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
      pos += 2;
      continue;
    }
    const size_t length = static_cast<size_t>(data[pos + 2]) << 8 | data[pos + 3];
    if (length < 2) return false;
    if (marker == 0xE1 && length >= 8 && pos + 10 <= size && std::memcmp(data + pos + 4, "Exif\0\0", 6) == 0)
      return true;
    pos += 2 + length;
  }
  return false;
}

bool HasExifBlock(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::vector<uint8_t> head(kExifProbeBytes);
  const size_t got = std::fread(head.data(), 1, head.size(), f);
  std::fclose(f);
  return HasExifBlockIn(head.data(), got);
}

}  // namespace mv7::internal

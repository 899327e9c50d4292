#include "thumb/thumb_file.h"

#include <cstring>

namespace thumb {
namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
void Put16(std::vector<uint8_t>* out, uint16_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The largest DIB a record may carry: a thumbnail is small, and this bounds
// what a damaged length can make the reader allocate.
constexpr uint32_t kMaxDibBytes = 64u << 20;

}  // namespace

bool ThumbFileReader::Read(void* buffer, size_t n) {
  if (ended_) return false;
  const int64_t got = read_(buffer, n);
  if (got < 0 || static_cast<size_t>(got) != n) {
    if (got > 0) consumed_ += static_cast<uint64_t>(got);
    ended_ = true;
    return false;
  }
  consumed_ += n;
  return true;
}

bool ThumbFileReader::ReadHeader() {
  uint8_t header[kThumbHeaderSize];
  if (!Read(header, sizeof header)) return false;
  if (!StartsWithThumbMagic(header, sizeof header)) {
    ended_ = true;
    return false;
  }
  image_size_ = static_cast<int16_t>(Le16(header + 20));
  return true;
}

bool ThumbFileReader::ReadString(std::string* out) {
  uint8_t len_bytes[2];
  if (!Read(len_bytes, 2)) return false;
  const uint16_t len = Le16(len_bytes);
  // The length counts the NUL; a path must fit its 260-byte buffer.
  if (len == 0 || len > kThumbMaxString) {
    ended_ = true;
    damaged_ = true;
    return false;
  }
  char buffer[kThumbMaxString];
  if (!Read(buffer, len)) return false;
  if (buffer[len - 1] != '\0' || std::memchr(buffer, '\0', len - 1) != nullptr) {
    ended_ = true;
    damaged_ = true;
    return false;
  }
  out->assign(buffer, len - 1);
  return true;
}

bool ThumbFileReader::Next(ThumbRecord* out) {
  if (ended_) return false;
  ThumbRecord rec;
  // A clean end: nothing at all left where a record would start.
  uint8_t first[2];
  const int64_t got = read_(first, 2);
  if (got == 0) {
    ended_ = true;
    return false;
  }
  if (got != 2) {
    ended_ = true;
    damaged_ = true;
    return false;
  }
  consumed_ += 2;
  const uint16_t l1 = Le16(first);
  if (l1 == 0 || l1 > kThumbMaxString) {
    ended_ = damaged_ = true;
    return false;
  }
  char folder[kThumbMaxString];
  if (!Read(folder, l1) || folder[l1 - 1] != '\0' || std::memchr(folder, '\0', l1 - 1) != nullptr) {
    ended_ = damaged_ = true;
    return false;
  }
  rec.folder.assign(folder, l1 - 1);
  uint8_t tail[kThumbDateSize + 2 + 4];
  if (!ReadString(&rec.file_name) || !Read(tail, sizeof tail)) {
    ended_ = damaged_ = true;
    return false;
  }
  std::memcpy(rec.date, tail, kThumbDateSize);
  rec.date[kThumbDateSize] = '\0';
  rec.image_number = static_cast<int16_t>(Le16(tail + kThumbDateSize));
  const uint32_t l3 = Le32(tail + kThumbDateSize + 2);
  if (l3 > kMaxDibBytes || rec.image_number < 0) {
    ended_ = damaged_ = true;
    return false;
  }
  if (l3 > 0) {
    rec.dib.resize(l3);
    if (!Read(rec.dib.data(), l3) || PackedDibSize(rec.dib.data(), l3) != l3) {
      ended_ = damaged_ = true;
      return false;
    }
  }
  *out = std::move(rec);
  return true;
}

size_t PackedDibSize(const uint8_t* dib, size_t available) {
  if (!dib || available < 40) return 0;
  const uint32_t header = Le32(dib);
  const int32_t width = static_cast<int32_t>(Le32(dib + 4));
  const int32_t height = static_cast<int32_t>(Le32(dib + 8));
  const uint16_t planes = Le16(dib + 12);
  const uint16_t bits = Le16(dib + 14);
  const uint32_t compression = Le32(dib + 16);
  const uint32_t used = Le32(dib + 32);
  if (header != 40 || width <= 0 || height <= 0 || width > 65500 || height > 65500 || planes != 1 ||
      compression != 0)
    return 0;
  uint64_t colours = 0;
  switch (bits) {
    case 1: case 4: case 8:
      colours = used ? used : (1u << bits);
      if (colours > (1u << bits)) return 0;
      break;
    case 16: case 24: case 32:
      if (used != 0) return 0;
      break;
    default: return 0;
  }
  const uint64_t stride = (static_cast<uint64_t>(bits) * width + 31) / 32 * 4;
  const uint64_t total = 40 + colours * 4 + stride * static_cast<uint64_t>(height);
  return total <= SIZE_MAX ? static_cast<size_t>(total) : 0;
}

void AppendThumbHeader(std::vector<uint8_t>* out, int16_t image_size) {
  out->insert(out->end(), kThumbMagic, kThumbMagic + 16);
  Put32(out, 0);
  Put16(out, static_cast<uint16_t>(image_size));
}

bool AppendThumbRecord(std::vector<uint8_t>* out, const std::string& folder, const std::string& file_name,
                       const char* date, int16_t image_number, const uint8_t* dib, size_t dib_size) {
  if (folder.size() + 1 > kThumbMaxString || file_name.size() + 1 > kThumbMaxString) return false;
  if (folder.find('\0') != std::string::npos || file_name.find('\0') != std::string::npos) return false;
  if (dib_size > kMaxDibBytes) return false;
  Put16(out, static_cast<uint16_t>(folder.size() + 1));
  out->insert(out->end(), folder.begin(), folder.end());
  out->push_back(0);
  Put16(out, static_cast<uint16_t>(file_name.size() + 1));
  out->insert(out->end(), file_name.begin(), file_name.end());
  out->push_back(0);
  char d[kThumbDateSize] = {};
  if (date) std::memcpy(d, date, strnlen(date, kThumbDateSize));
  out->insert(out->end(), d, d + kThumbDateSize);
  Put16(out, static_cast<uint16_t>(image_number));
  Put32(out, static_cast<uint32_t>(dib ? dib_size : 0));
  if (dib && dib_size) out->insert(out->end(), dib, dib + dib_size);
  return true;
}

bool StartsWithThumbMagic(const uint8_t* data, size_t size) {
  return data && size >= 16 && std::memcmp(data, kThumbMagic, 16) == 0;
}

}  // namespace thumb

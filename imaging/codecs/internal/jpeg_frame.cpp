// Reading a JPEG frame header from bytes.  Every rule below is at least as
// strict as libjpeg's reading of the same segment up to the first scan
// (jpeg_read_header()); where libjpeg would accept something only with a
// repair, a warning or a special case, we decline and let it read.
#include "imaging/codecs/internal/jpeg_frame.h"

#include <cstring>

namespace imaging::codecs::internal {
namespace {

constexpr uint8_t kSof0 = 0xC0, kSof1 = 0xC1, kSof2 = 0xC2, kDht = 0xC4, kSoi = 0xD8, kSos = 0xDA, kDqt = 0xDB,
                  kDri = 0xDD, kApp0 = 0xE0, kApp1 = 0xE1, kApp15 = 0xEF, kCom = 0xFE;
constexpr int kMaxDimension = 65500;  // libjpeg's JPEG_MAX_DIMENSION
constexpr int kMaxComponents = 4;
constexpr int kMaxSampling = 4;
constexpr int kTables = 4;  // quantisation and Huffman table slots
// Far more segments than a writer puts before a scan.
constexpr int kMaxSegments = 8192;

int Be16(const uint8_t* p) { return p[0] << 8 | p[1]; }

struct Components {
  int count = 0;
  uint8_t id[kMaxComponents] = {};
};

// Start of frame: precision, height, width, components (id, sampling,
// quantisation table).
bool ReadSof(const uint8_t* s, size_t n, JpegFrame* f, Components* comps) {
  if (n < 6 || s[0] != 8) return false;
  const int height = Be16(s + 1), width = Be16(s + 3), count = s[5];
  if (height < 1 || width < 1 || height > kMaxDimension || width > kMaxDimension) return false;
  if (count < 1 || count > kMaxComponents || n != 6 + 3 * static_cast<size_t>(count)) return false;
  for (int c = 0; c < count; ++c) {
    const uint8_t* p = s + 6 + 3 * c;
    const int h = p[1] >> 4, v = p[1] & 15;
    if (h < 1 || h > kMaxSampling || v < 1 || v > kMaxSampling || p[2] >= kTables) return false;
    for (int e = 0; e < c; ++e)
      if (comps->id[e] == p[0]) return false;  // ids must tell the components apart
    comps->id[c] = p[0];
  }
  comps->count = count;
  f->width = width;
  f->height = height;
  f->components = count;
  return true;
}

// Huffman tables: each a class and slot byte, 16 counts and as many
// symbols, filling the segment exactly.
bool ReadDht(const uint8_t* s, size_t n) {
  size_t at = 0;
  while (at < n) {
    if (n - at < 17) return false;
    const uint8_t index = s[at];
    if ((index & 0x0F) >= kTables || (index & 0xF0) > 0x10) return false;
    size_t count = 0;
    for (int i = 1; i <= 16; ++i) count += s[at + i];
    at += 17;
    if (count > 256 || count > n - at) return false;
    at += count;
  }
  return true;
}

// Quantisation tables: each a precision and slot byte and 64 entries of
// one or two bytes, filling the segment exactly.
bool ReadDqt(const uint8_t* s, size_t n) {
  size_t at = 0;
  while (at < n) {
    const uint8_t pq = s[at] >> 4, slot = s[at] & 0x0F;
    if (pq > 1 || slot >= kTables) return false;
    const size_t bytes = 64 * (pq + 1u);
    if (n - at - 1 < bytes) return false;
    at += 1 + bytes;
  }
  return true;
}

// Scan header: 1 to 4 of the frame's components, in frame order, then the
// spectral selection and approximation bytes.
bool ReadSos(const uint8_t* s, size_t n, const Components& comps) {
  if (n < 1) return false;
  const int count = s[0];
  if (count < 1 || count > comps.count || n != 4 + 2 * static_cast<size_t>(count)) return false;
  int next = 0;  // frame index the next component may have, at least
  for (int c = 0; c < count; ++c) {
    const uint8_t id = s[1 + 2 * c], tables = s[2 + 2 * c];
    if ((tables >> 4) >= kTables || (tables & 15) >= kTables) return false;
    int at = next;
    while (at < comps.count && comps.id[at] != id) ++at;
    if (at == comps.count) return false;
    next = at + 1;
  }
  return true;
}

}  // namespace

bool JpegReadFrame(const uint8_t* data, size_t size, JpegFrame* out) {
  if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != kSoi) return false;
  JpegFrame f;
  Components comps;
  bool frame = false;
  size_t pos = 2;
  for (int n = 0; n < kMaxSegments; ++n) {
    // Segments follow one another without stray or fill bytes.
    if (size - pos < 4 || data[pos] != 0xFF) return false;
    const uint8_t code = data[pos + 1];
    const size_t length = static_cast<size_t>(Be16(data + pos + 2));
    if (length < 2 || length > size - pos - 2) return false;
    const uint8_t* s = data + pos + 4;
    const size_t len = length - 2;
    switch (code) {
      case kSof0:
      case kSof1:
      case kSof2:
        if (frame || !ReadSof(s, len, &f, &comps)) return false;
        frame = true;
        break;
      case kDht:
        if (!ReadDht(s, len)) return false;
        break;
      case kDqt:
        if (!ReadDqt(s, len)) return false;
        break;
      case kDri:
        if (len != 2) return false;
        break;
      case kSos:
        if (!frame || !ReadSos(s, len, comps)) return false;
        *out = f;
        return true;
      case kApp0:
        // libjpeg takes the density of every APP0 long enough to be JFIF.
        if (len >= 14 && std::memcmp(s, "JFIF\0", 5) == 0) {
          f.jfif = true;
          f.density_unit = s[7];
          f.x_density = Be16(s + 8);
          f.y_density = Be16(s + 10);
        }
        break;
      case kApp1:
        if (f.exif == nullptr && len >= 6 && std::memcmp(s, "Exif\0\0", 6) == 0) {
          f.exif = s;
          f.exif_size = len;
        }
        break;
      default:
        if ((code > kApp1 && code <= kApp15) || code == kCom) break;  // passed over
        return false;  // any other marker is libjpeg's to judge
    }
    pos += 2 + length;
  }
  return false;
}

}  // namespace imaging::codecs::internal

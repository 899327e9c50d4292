// Format detection and the reader dispatch.
#include "imaging/vector/readers.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace imaging::vector {
namespace {

uint32_t U32At(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// The leading text with a byte-order mark and blanks skipped.
std::string_view Head(const uint8_t* data, size_t size, size_t limit) {
  std::string_view s(reinterpret_cast<const char*>(data), std::min(size, limit));
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
    s.remove_prefix(1);
  return s;
}

bool IsDxf(std::string_view s) {
  // A DXF file opens with group code 0 and the word SECTION (or a comment, 999).
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  const bool zero = s.substr(i, 1) == "0";
  const bool comment = s.substr(i, 3) == "999";
  if (!zero && !comment) return false;
  if (comment) return true;
  i += 1;
  while (i < s.size() && (s[i] == '\r' || s[i] == ' ')) ++i;
  if (i >= s.size() || s[i] != '\n') return false;
  ++i;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return s.substr(i, 7) == "SECTION";
}

}  // namespace

VectorFormat DetectVectorFormat(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 4) return VectorFormat::kUnknown;
  if (U32At(data) == 0x9AC6CDD7u) return VectorFormat::kWmf;
  if (size >= 44 && U32At(data) == 1 && U32At(data + 40) == 0x464D4520u) return VectorFormat::kEmf;
  if (size >= 18) {
    const uint16_t type = static_cast<uint16_t>(data[0] | data[1] << 8);
    const uint16_t words = static_cast<uint16_t>(data[2] | data[3] << 8);
    const uint16_t version = static_cast<uint16_t>(data[4] | data[5] << 8);
    if ((type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300)) return VectorFormat::kWmf;
  }
  const std::string_view head = Head(data, size, 1024);
  if (head.substr(0, 13) == "ISO-10303-21;") {
    // Feature comment files carry their features in "/*SXF" comments.
    const std::string_view more = Head(data, size, 8192);
    return more.find("/*SXF") != std::string_view::npos || more.find("feature_mode") != std::string_view::npos
               ? VectorFormat::kSxfSfc
               : VectorFormat::kSxfP21;
  }
  if (IsDxf(head)) return VectorFormat::kDxf;
  if (head.substr(0, 1) == "<" && head.find("<svg") != std::string_view::npos) return VectorFormat::kSvg;
  return VectorFormat::kUnknown;
}

Result ReadDrawing(const uint8_t* data, size_t size, Drawing* out, VectorFormat* format) {
  if (data == nullptr || out == nullptr) return Result(Status::kBadValue, "no data");
  const VectorFormat f = DetectVectorFormat(data, size);
  if (format != nullptr) *format = f;
  switch (f) {
    case VectorFormat::kWmf: return ReadWmf(data, size, out);
    case VectorFormat::kEmf: return ReadEmf(data, size, out);
    case VectorFormat::kDxf: return ReadDxf(data, size, out);
    case VectorFormat::kSxfP21:
    case VectorFormat::kSxfSfc: return ReadSxf(data, size, out);
    case VectorFormat::kSvg: {
      Drawing d;
      d.SetSvg(std::string(reinterpret_cast<const char*>(data), size));
      *out = std::move(d);
      return Result::Ok();
    }
    case VectorFormat::kUnknown: break;
  }
  return Result(Status::kBadFile, "not a vector picture");
}

}  // namespace imaging::vector

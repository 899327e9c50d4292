#include "slide/slide_list_text.h"

#include <iconv.h>

#include <cstdint>

namespace slide {

bool IsValidUtf8(std::string_view s) {
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  const size_t n = s.size();
  size_t i = 0;
  while (i < n) {
    const uint8_t c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) len = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) len = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) len = 4, cp = c & 0x07;
    else return false;
    if (i + len > n) return false;
    for (size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += len;
  }
  return true;
}

bool Cp932ToUtf8(std::string_view bytes, std::string* out) {
  out->clear();
  if (bytes.empty()) return true;
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string buf(bytes.size() * 3 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  char* dst = buf.data();
  size_t room = buf.size();
  const bool ok = iconv(cd, &in, &in_left, &dst, &room) != static_cast<size_t>(-1) && in_left == 0;
  iconv_close(cd);
  if (!ok) return false;
  buf.resize(buf.size() - room);
  *out = std::move(buf);
  return true;
}

SlideListText SplitSlideList(std::string_view bytes) {
  SlideListText t;
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF" && IsValidUtf8(bytes)) bytes.remove_prefix(3);
  t.shift_jis = !IsValidUtf8(bytes);
  size_t pos = 0;
  std::string decoded;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    pos = next;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    // The longest CP932 line that can fit is kMaxSlideLine bytes before
    // decoding too (a character never shrinks into UTF-8).
    if (line.size() > kMaxSlideLine || line.find('\0') != std::string_view::npos) {
      ++t.refused;
      continue;
    }
    if (t.shift_jis) {
      if (!Cp932ToUtf8(line, &decoded) || decoded.size() > kMaxSlideLine) {
        ++t.refused;
        continue;
      }
      t.lines.push_back(decoded);
    } else {
      t.lines.emplace_back(line);
    }
  }
  return t;
}

}  // namespace slide

#include "viewer_common/utils/text.h"

#include <cstring>

namespace viewer {
namespace {

// Strict UTF-16 -> UTF-8; false on an unpaired surrogate.
bool Utf16ToUtf8(std::u16string_view in, std::string* out) {
  out->clear();
  for (size_t i = 0; i < in.size(); ++i) {
    uint32_t c = in[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= in.size() || in[i + 1] < 0xDC00 || in[i + 1] > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (in[++i] - 0xDC00);
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
    if (c < 0x80) {
      *out += static_cast<char>(c);
    } else if (c < 0x800) {
      *out += static_cast<char>(0xC0 | (c >> 6));
      *out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *out += static_cast<char>(0xE0 | (c >> 12));
      *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      *out += static_cast<char>(0xF0 | (c >> 18));
      *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return true;
}

// Strict UTF-8 -> UTF-16; false on malformed, overlong or surrogate sequences.
bool Utf8ToUtf16(std::string_view in, std::u16string* out) {
  out->clear();
  for (size_t i = 0; i < in.size();) {
    const auto b0 = static_cast<unsigned char>(in[i]);
    int extra;
    uint32_t c;
    if (b0 < 0x80) { c = b0; extra = 0; }
    else if ((b0 & 0xE0) == 0xC0) { c = b0 & 0x1F; extra = 1; }
    else if ((b0 & 0xF0) == 0xE0) { c = b0 & 0x0F; extra = 2; }
    else if ((b0 & 0xF8) == 0xF0) { c = b0 & 0x07; extra = 3; }
    else return false;
    if (static_cast<size_t>(extra) > in.size() - i - 1) return false;  // sequence cut short
    for (int k = 1; k <= extra; ++k) {
      const auto b = static_cast<unsigned char>(in[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      c = (c << 6) | (b & 0x3F);
    }
    static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c >= 0x10000) {
      c -= 0x10000;
      *out += static_cast<char16_t>(0xD800 + (c >> 10));
      *out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      *out += static_cast<char16_t>(c);
    }
    i += 1 + extra;
  }
  return true;
}

}  // namespace

char* WideToAnsi(const char16_t* src, char* dst, size_t dst_size) {
  if (!dst || dst_size == 0) return nullptr;
  dst[0] = '\0';
  if (!src) return nullptr;
  std::string narrow;
  if (!Utf16ToUtf8(std::u16string_view(src), &narrow) || !CopyToBuffer(narrow, dst, dst_size)) return nullptr;
  return dst;
}

char16_t* AnsiToWide(const char* src, char16_t* dst, size_t dst_size) {
  if (!dst || dst_size == 0) return nullptr;
  dst[0] = u'\0';
  if (!src) return nullptr;
  std::u16string wide;
  if (!Utf8ToUtf16(std::string_view(src), &wide) || wide.size() >= dst_size) return nullptr;
  std::memcpy(dst, wide.data(), wide.size() * sizeof(char16_t));
  dst[wide.size()] = u'\0';
  return dst;
}

std::string ToAnsi(std::u16string_view wide) {
  std::string s;
  if (!Utf16ToUtf8(wide, &s)) s.clear();
  return s;
}

std::u16string ToWide(std::string_view ansi) {
  std::u16string s;
  if (!Utf8ToUtf16(ansi, &s)) s.clear();
  return s;
}

std::u16string TrimTrailingSeparator(std::u16string path) {
  if (path.size() >= 2 && path.back() == u'/') path.pop_back();
  return path;
}

bool CopyToBuffer(std::string_view text, char* dst, size_t dst_size) {
  if (!dst || dst_size == 0) return false;
  dst[0] = '\0';
  if (text.size() >= dst_size) return false;
  std::memcpy(dst, text.data(), text.size());
  dst[text.size()] = '\0';
  return true;
}

}  // namespace viewer

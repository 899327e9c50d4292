// Text of vector files as UTF-8, through iconv.
#include "imaging/vector/internal/text_decode.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace imaging::vector::internal {
namespace {

const char* CodePageOf(int charset) {
  switch (charset) {
    case 128: return "CP932";   // SHIFTJIS_CHARSET
    case 129: return "CP949";   // HANGUL_CHARSET
    case 134: return "GBK";     // GB2312_CHARSET
    case 136: return "BIG5";    // CHINESEBIG5_CHARSET
    case 161: return "CP1253";  // GREEK
    case 162: return "CP1254";  // TURKISH
    case 177: return "CP1255";  // HEBREW
    case 178: return "CP1256";  // ARABIC
    case 186: return "CP1257";  // BALTIC
    case 204: return "CP1251";  // RUSSIAN
    case 222: return "CP874";   // THAI
    case 238: return "CP1250";  // EASTEUROPE
    default: return "CP1252";
  }
}

void AppendReplacement(std::string* out) { out->append("\xEF\xBF\xBD"); }

}  // namespace

std::string DecodeCodePage(const uint8_t* bytes, size_t n, const char* code_page) {
  std::string out;
  if (bytes == nullptr || n == 0) return out;
  const void* nul = std::memchr(bytes, 0, n);
  if (nul != nullptr) n = static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes);
  if (n == 0) return out;
  iconv_t cd = iconv_open("UTF-8", code_page);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (size_t i = 0; i < n; ++i) {
      if (bytes[i] < 0x80) out.push_back(static_cast<char>(bytes[i])); else AppendReplacement(&out);
    }
    return out;
  }
  std::vector<char> in(bytes, bytes + n);
  char* src = in.data();
  size_t src_left = n;
  std::vector<char> buffer(n * 4 + 16);
  while (src_left > 0) {
    char* dst = buffer.data();
    size_t dst_left = buffer.size();
    const size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buffer.data(), buffer.size() - dst_left);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An invalid or cut-short sequence: one byte becomes U+FFFD.
      AppendReplacement(&out);
      ++src;
      --src_left;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

std::string DecodeCharset(const uint8_t* bytes, size_t n, int charset) {
  if (charset == 2) {  // SYMBOL_CHARSET: the bytes are glyph numbers; show them as Latin-1
    std::string out;
    for (size_t i = 0; i < n && bytes[i] != 0; ++i) {
      const uint8_t c = bytes[i];
      if (c < 0x80) {
        out.push_back(static_cast<char>(c));
      } else {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
      }
    }
    return out;
  }
  return DecodeCodePage(bytes, n, CodePageOf(charset));
}

std::string DecodeUtf16(const uint8_t* bytes, size_t units) {
  std::string out;
  for (size_t i = 0; i < units; ++i) {
    uint32_t c = static_cast<uint32_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    if (c == 0) break;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
      const uint32_t lo = static_cast<uint32_t>(bytes[2 * i + 2] | bytes[2 * i + 3] << 8);
      if (lo >= 0xDC00 && lo < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
        ++i;
      } else {
        c = 0xFFFD;
      }
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

}  // namespace imaging::vector::internal

// File: imaging/vector/internal/text_decode.h
//
// Text of vector files as UTF-8: byte strings in a Windows character set
// (Shift-JIS for the Japanese one) and UTF-16LE strings.  Undecodable bytes
// become U+FFFD; nothing is read past the given length.
//
//   std::string s = DecodeCharset(bytes, n, 128);   // Shift-JIS -> UTF-8
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace imaging::vector::internal {

// Windows character-set numbers of LOGFONT.
inline constexpr int kAnsiCharset = 0;
inline constexpr int kShiftJisCharset = 128;

// DecodeCharset(): `n` bytes in the code page of `charset` (the system's
// ANSI code page for 0 and 1 is taken as Windows-1252).  Stops at a NUL.
std::string DecodeCharset(const uint8_t* bytes, size_t n, int charset);
// DecodeCodePage(): as above for a code page name iconv knows ("CP932").
std::string DecodeCodePage(const uint8_t* bytes, size_t n, const char* code_page);
// DecodeUtf16(): `units` little-endian UTF-16 units.  Stops at a NUL.
std::string DecodeUtf16(const uint8_t* bytes, size_t units);

}  // namespace imaging::vector::internal

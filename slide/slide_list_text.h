// File: slide/slide_list_text.h
//
// The text of a slide list file, split into the lines that may name
// pictures.  Lines end in LF or CR LF (a final line needs no newline); one
// trailing CR is removed.  A file that is valid UTF-8 is read as UTF-8 (a
// leading byte-order mark dropped), any other as Shift-JIS (CP932), the
// encoding lists written on Windows use.  Empty lines are left out, and so
// are lines longer than a path buffer allows (259 bytes): such a line is
// refused whole, never cut into pieces, and counted.  A CP932 line that does
// not decode is left out and counted the same way.  No Qt, no file access:
// the caller reads the bytes.
//
//   slide::SlideListText t = slide::SplitSlideList(bytes);
//   for (const std::string& line : t.lines) ...   // UTF-8
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace slide {

inline constexpr size_t kMaxSlideLine = 259;        // bytes of one line, as UTF-8
inline constexpr size_t kMaxSlideEntries = 10000;   // entries a list takes at most
inline constexpr size_t kMaxSlideFileBytes = 64u << 20;  // larger files are refused

struct SlideListText {
  std::vector<std::string> lines;  // UTF-8, in file order, none empty
  int refused = 0;                 // too long, or not decodable
  bool shift_jis = false;          // the file was read as CP932
};

SlideListText SplitSlideList(std::string_view bytes);

// IsValidUtf8(): well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view bytes);
// Cp932ToUtf8(): false when the bytes are not valid CP932.
bool Cp932ToUtf8(std::string_view bytes, std::string* out);

}  // namespace slide

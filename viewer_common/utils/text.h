// File: viewer_common/utils/text.h
//
// Text at the viewer controls' edges: wide (UTF-16) at the interface,
// narrow ("ANSI", UTF-8 on this platform) inside and in the imaging
// libraries, in buffers of 260 bytes for paths.  Conversions never truncate:
// text that does not fit its buffer is a failure, so a path can never turn
// into the name of a different file.
//
//   char path[viewer::kMaxPath];
//   if (!viewer::WideToAnsi(u"/pictures/a.jpg", path, sizeof path)) ... too long ...
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace viewer {

inline constexpr size_t kMaxPath = 260;  // bytes, terminating NUL included

// WideToAnsi(): converts `src` into `dst` (`dst_size` bytes, NUL included).
// `dst` is set to "" first.  Returns dst, or nullptr when a pointer is null,
// the size is 0, the text is not valid UTF-16 or does not fit.
char* WideToAnsi(const char16_t* src, char* dst, size_t dst_size);
// AnsiToWide(): the reverse; `dst_size` counts UTF-16 units.
char16_t* AnsiToWide(const char* src, char16_t* dst, size_t dst_size);

std::string ToAnsi(std::u16string_view wide);
std::u16string ToWide(std::string_view ansi);

// FitsPathBuffer(): true when `path` and its NUL fit in kMaxPath bytes.
inline bool FitsPathBuffer(std::string_view path) { return path.size() < kMaxPath; }

// TrimTrailingSeparator(): one trailing "/" is cut when the path is at least
// two characters long ("/pictures/" gives "/pictures"; "/" stays "/").
std::u16string TrimTrailingSeparator(std::u16string path);

// CopyToBuffer(): copies `text` with its NUL into `dst` when it fits;
// otherwise `dst` becomes "" and false is returned.
bool CopyToBuffer(std::string_view text, char* dst, size_t dst_size);

}  // namespace viewer

// Fuzzes the slide list text reader: any bytes, any line length, CR LF or
// LF, UTF-8 or Shift-JIS.  Every line handed out must be non-empty, fit a
// path buffer and carry no NUL or line feed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "slide/slide_list_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const slide::SlideListText t = slide::SplitSlideList(bytes);
  for (const std::string& line : t.lines) {
    if (line.empty() || line.size() > slide::kMaxSlideLine) std::abort();
    if (line.find('\0') != std::string::npos || line.find('\n') != std::string::npos) std::abort();
    if (!slide::IsValidUtf8(line)) std::abort();
  }
  return 0;
}

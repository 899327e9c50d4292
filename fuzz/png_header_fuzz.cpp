// libFuzzer target: PNG headers read from their chunks (PngReadHeader),
// against libpng's reading of the same bytes.  Whatever is read from the
// chunks must be read by libpng too, with the same facts; a difference
// stops the fuzzer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/codecs/internal/png_header.h"
#include "imaging/codecs/png_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  internal::PngHeader header;
  if (!internal::PngReadHeader(data, size, &header)) return 0;
  FileInfo fast, library;
  const imaging::Result a = internal::PngReadInfo(data, size, 0, &fast);
  const imaging::Result b = internal::PngReadInfoWithLibrary(data, size, &library);
  if (!a.ok()) {  // sides beyond the limits, refused ahead of either reading
    if (b.ok() || a.code() != b.code()) std::abort();
    return 0;
  }
  if (!b.ok()) std::abort();
  if (fast.width != library.width || fast.height != library.height || fast.bpp != library.bpp ||
      fast.gray != library.gray || fast.dpi_x != library.dpi_x || fast.dpi_y != library.dpi_y)
    std::abort();
  return 0;
}

// libFuzzer target: JPEG frame headers read from their bytes
// (JpegReadFrame), against libjpeg's reading of the same bytes.  Whatever
// is read from the bytes must be read by libjpeg too, with the same facts;
// a difference stops the fuzzer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/codecs/internal/jpeg_frame.h"
#include "imaging/codecs/jpeg_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  internal::JpegFrame frame;
  if (!internal::JpegReadFrame(data, size, &frame)) return 0;
  FileInfo fast, library;
  if (!internal::JpegReadInfo(data, size, 0, &fast).ok()) std::abort();
  if (!internal::JpegReadInfoWithLibrary(data, size, &library).ok()) std::abort();
  if (fast.width != library.width || fast.height != library.height || fast.bpp != library.bpp ||
      fast.gray != library.gray || fast.dpi_x != library.dpi_x || fast.dpi_y != library.dpi_y ||
      fast.has_exif != library.has_exif)
    std::abort();
  return 0;
}

// libFuzzer target: the one-eighth-scale DC decoder on its own, and the
// bounded JPEG load that uses it.  Whatever the bytes, it must stay inside
// the buffer, and a picture it hands out has the size the frame header gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/codecs/jpeg_dc_decoder.h"
#include "imaging/codecs/jpeg_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  imaging::Image img;
  bool handled = false;
  const imaging::Result r = internal::JpegDcDecode(data, size, &img, &handled);
  if (r.ok() && (!handled || img.empty())) std::abort();
  // Through the reader: a bound small enough for the 1/8 scale on most sizes.
  FileInfo info;
  if (!internal::JpegReadInfo(data, size, 0, &info).ok()) return 0;
  if (static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height) > (64u << 20)) return 0;
  LoadOptions options;
  options.max_width = options.max_height = 16;
  imaging::Image bounded;
  (void)internal::JpegLoad(data, size, options, &bounded);
  return 0;
}

// libFuzzer target: the reduced-scale decoder on its own at 1/8 and 1/4,
// and the bounded JPEG loads that use it.  Whatever the bytes, it must stay inside
// the buffer, and a picture it hands out has the size the frame header gives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/codecs/jpeg_dc_decoder.h"
#include "imaging/codecs/jpeg_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  for (int scale : {1, 2}) {
    imaging::Image img;
    bool handled = false;
    const imaging::Result r = internal::JpegScaledDecode(data, size, scale, &img, &handled);
    if (r.ok() && (!handled || img.empty())) std::abort();
  }
  // Through the reader: bounds small enough for the 1/8 and 1/4 scales on
  // most sizes.
  FileInfo info;
  if (!internal::JpegReadInfo(data, size, 0, &info).ok()) return 0;
  if (static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height) > (64u << 20)) return 0;
  for (int bound : {16, 32}) {
    LoadOptions options;
    options.max_width = options.max_height = bound;
    imaging::Image bounded;
    (void)internal::JpegLoad(data, size, options, &bounded);
  }
  return 0;
}

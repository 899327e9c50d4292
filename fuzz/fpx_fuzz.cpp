// libFuzzer target: the FlashPix reader on memory: detection, the header
// and property set walk, a full decode and a bounded decode of a smaller
// level.
#include <cstddef>
#include <cstdint>

#include "imaging/codecs/internal/format_codec.h"
#include "fuzz/fuzz_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  const internal::FormatCodec& codec = internal::FpxCodec();
  if (!codec.sniff(data, size)) return 0;
  FileInfo info;
  (void)codec.read_info(data, size, 0, &info);
  imaging::Image img;
  LoadOptions options;
  if (fuzz::FullLoadWanted(codec, data, size)) (void)codec.load(data, size, options, &img);
  options.max_width = options.max_height = 32;
  (void)codec.load(data, size, options, &img);
  return 0;
}

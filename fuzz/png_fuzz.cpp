// libFuzzer target: the PNG reader's header read and full decode on memory, and a bounded load.
#include <cstddef>
#include <cstdint>

#include "imaging/codecs/codec.h"
#include "imaging/codecs/internal/format_codec.h"
#include "fuzz/fuzz_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  const internal::FormatCodec& codec = internal::PngCodec();
  FileInfo info;
  (void)codec.read_info(data, size, 0, &info);
  imaging::Image img;
  if (fuzz::FullLoadWanted(codec, data, size)) (void)codec.load(data, size, LoadOptions{}, &img);
  fuzz::BoundedLoad(data, size);
  return 0;
}

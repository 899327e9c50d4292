// libFuzzer target: the JPEG 2000 reader's header walk and full decode on memory, and a bounded load.
#include <cstddef>
#include <cstdint>

#include "imaging/codecs/codec.h"
#include "imaging/codecs/internal/format_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  const internal::FormatCodec& codec = internal::Jp2Codec();
  FileInfo info;
  (void)codec.read_info(data, size, 0, &info);
  imaging::Image img;
  LoadOptions options;
  (void)codec.load(data, size, options, &img);
  options.image_index = 1;
  (void)codec.load(data, size, options, &img);
  LoadOptions bounded;  // through the dispatcher, with its final fit
  bounded.max_width = bounded.max_height = 160;
  (void)LoadMemory(data, size, bounded, &img);
  return 0;
}

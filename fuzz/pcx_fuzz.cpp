// libFuzzer target: the PCX reader's header read and full decode on memory, and a bounded load.
#include <cstddef>
#include <cstdint>

#include "imaging/codecs/codec.h"
#include "imaging/codecs/internal/format_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  const internal::FormatCodec& codec = internal::PcxCodec();
  FileInfo info;
  (void)codec.read_info(data, size, 0, &info);
  imaging::Image img;
  (void)codec.load(data, size, LoadOptions{}, &img);
  LoadOptions bounded;  // through the dispatcher, with its final fit
  bounded.max_width = bounded.max_height = 160;
  (void)LoadMemory(data, size, bounded, &img);
  return 0;
}

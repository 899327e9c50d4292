// libFuzzer target: format detection over every reader, then a full and a
// bounded load through the dispatcher, and the packed-DIB block reader.
#include <cstddef>
#include <cstdint>

#include "imaging/codecs/codec.h"
#include "imaging/dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  (void)DetectFormat(data, size);
  imaging::Image img;
  (void)LoadMemory(data, size, LoadOptions{}, &img);
  LoadOptions bounded;
  bounded.max_width = 64;
  bounded.max_height = 48;
  (void)LoadMemory(data, size, bounded, &img);
  (void)imaging::FromPackedDib(data, size, &img);
  return 0;
}

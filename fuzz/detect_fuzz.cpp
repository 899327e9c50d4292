// libFuzzer target: format detection over every reader, then a full and a
// bounded load through the dispatcher, and the packed-DIB block reader.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_limits.h"
#include "imaging/codecs/codec.h"
#include "imaging/codecs/internal/format_codec.h"
#include "imaging/dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  (void)DetectFormat(data, size);
  imaging::Image img;
  // The codec the dispatcher picks, in its order.
  const internal::FormatCodec* codec = nullptr;
  for (const internal::FormatCodec* c :
       {&internal::BmpCodec(), &internal::JpegCodec(), &internal::PngCodec(), &internal::GifCodec(),
        &internal::TiffCodec(), &internal::Jp2Codec(), &internal::PcxCodec(), &internal::FpxCodec()})
    if (c->sniff(data, size)) {
      codec = c;
      break;
    }
  if (codec == nullptr || fuzz::FullLoadWanted(*codec, data, size)) (void)LoadMemory(data, size, LoadOptions{}, &img);
  LoadOptions bounded;
  bounded.max_width = 64;  // a bounded load is tried whatever the size
  bounded.max_height = 48;
  (void)LoadMemory(data, size, bounded, &img);
  (void)imaging::FromPackedDib(data, size, &img);
  return 0;
}

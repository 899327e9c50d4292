// libFuzzer target: the JPEG reader (header, full and DCT-scaled decode,
// EXIF thumbnail route) and the EXIF facts and thumbnail on memory.
// Only pictures of up to 64 megapixels are decoded (at full size up to 16),
// so a tiny file claiming a huge picture cannot make the fuzzer allocate
// gigabytes.
#include <cstddef>
#include <cstdint>

#include "imaging/codecs/internal/format_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  const internal::FormatCodec& codec = internal::JpegCodec();
  ExifInfo exif;
  (void)internal::JpegReadExifInfo(data, size, &exif);
  imaging::Image thumb;
  (void)internal::JpegExifThumbnail(data, size, &thumb);
  FileInfo info;
  if (!codec.read_info(data, size, 0, &info).ok()) return 0;
  const uint64_t pixels = static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height);
  if (pixels > (64u << 20)) return 0;
  LoadOptions options;
  options.max_width = options.max_height = 64;
  options.prefer_exif_thumbnail = true;
  imaging::Image img;
  (void)codec.load(data, size, options, &img);
  if (pixels <= (16u << 20)) (void)LoadMemory(data, size, LoadOptions{}, &img);
  return 0;
}

// libFuzzer target: picture facts read from a byte source, as the imaging
// libraries read files when listing folders: every page's header in one
// pass, and a JPEG's header with its EXIF thumbnail gathered by seeking.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/codecs/byte_source.h"
#include "imaging/codecs/codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  {
    MemoryByteSource src(data, size);
    std::vector<FileInfo> pages;
    (void)ReadPageInfos(&src, 0, 64, &pages);
  }
  {
    MemoryByteSource src(data, size);
    FileInfo info;
    (void)ReadInfoFrom(&src, 1, &info);
  }
  MemoryByteSource src(data, size);
  std::vector<uint8_t> header;
  if (ReadJpegHeader(&src, &header).ok()) {
    MemoryByteSource head(header.data(), header.size());
    imaging::Image thumb;
    (void)ExifThumbnailFrom(&head, &thumb);
  }
  return 0;
}

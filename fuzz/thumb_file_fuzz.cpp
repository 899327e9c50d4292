// The thumbnail control's thumbnail file reader on arbitrary bytes: every
// record it hands out must be whole and its DIB the size its header says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "thumb/thumb_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t pos = 0;
  thumb::ThumbFileReader reader([&](void* buffer, size_t n) -> int64_t {
    const size_t take = n < size - pos ? n : size - pos;
    std::memcpy(buffer, data + pos, take);
    pos += take;
    return static_cast<int64_t>(take);
  });
  if (!reader.ReadHeader()) return 0;
  thumb::ThumbRecord rec;
  while (reader.Next(&rec)) {
    if (rec.folder.size() >= thumb::kThumbMaxString || rec.file_name.size() >= thumb::kThumbMaxString) std::abort();
    if (!rec.dib.empty() && thumb::PackedDibSize(rec.dib.data(), rec.dib.size()) != rec.dib.size()) std::abort();
    if (reader.consumed() > size) std::abort();
  }
  return 0;
}

// Vector picture handles: header and file bytes in one block.
#include "imaging/dlls/internal/vector_handle.h"

#include <cstring>

#include "imaging/dlls/internal/handles.h"
#include "imaging/image.h"

namespace mv7::internal {
namespace {

constexpr size_t kHeaderSize = 24;

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

MVHANDLE MakeVectorHandle(int16_t format, int width, int height, const uint8_t* bytes, size_t size) {
  if (width < 1 || height < 1 || width > imaging::kMaxDimension || height > imaging::kMaxDimension) return 0;
  if (bytes == nullptr || size == 0 || size > (1ull << 31)) return 0;
  const MVHANDLE handle = MVGlobalAlloc(kHeaderSize + size);
  if (handle == 0) return 0;
  LockedBlock block(handle);
  if (block.data() == nullptr || block.size() < kHeaderSize + size) {
    MVGlobalFree(handle);
    return 0;
  }
  uint8_t* p = block.data();
  Put32(p, kVectorMagic);
  Put32(p + 4, kHeaderSize);
  Put32(p + 8, static_cast<uint32_t>(width));
  Put32(p + 12, static_cast<uint32_t>(height));
  Put32(p + 16, static_cast<uint16_t>(format));
  Put32(p + 20, static_cast<uint32_t>(size));
  std::memcpy(p + kHeaderSize, bytes, size);
  return handle;
}

bool ReadVectorBlock(const uint8_t* block, size_t size, VectorFacts* facts) {
  if (block == nullptr || size < kHeaderSize || Get32(block) != kVectorMagic || Get32(block + 4) != kHeaderSize)
    return false;
  const uint32_t w = Get32(block + 8), h = Get32(block + 12), bytes = Get32(block + 20);
  if (w < 1 || h < 1 || w > static_cast<uint32_t>(imaging::kMaxDimension) ||
      h > static_cast<uint32_t>(imaging::kMaxDimension) || bytes == 0 || bytes > size - kHeaderSize)
    return false;
  facts->width = static_cast<int>(w);
  facts->height = static_cast<int>(h);
  facts->format = static_cast<int16_t>(Get32(block + 16));
  facts->bytes = block + kHeaderSize;
  facts->size = bytes;
  return true;
}

}  // namespace mv7::internal

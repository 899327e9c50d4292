// Numbered heap blocks behind a process-wide table.  The table maps a handle
// to its block, so unknown or freed handles are detected instead of being
// dereferenced.
#include "imaging/global_memory.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include "imaging/dib.h"

namespace imaging {
namespace {

struct Block {
  std::unique_ptr<uint8_t[]> bytes;
  size_t size = 0;
  int locks = 0;
};

struct Table {
  std::mutex mutex;
  std::unordered_map<MemHandle, Block> blocks;
  MemHandle next = 0x1000;
};

Table& table() {
  static Table* t = new Table;  // never destroyed: handles may be freed during exit
  return *t;
}

}  // namespace

MemHandle MemAlloc(size_t bytes) {
  if (bytes == 0) return 0;
  Block block;
  block.bytes.reset(new (std::nothrow) uint8_t[bytes]);
  if (!block.bytes) return 0;
  std::memset(block.bytes.get(), 0, bytes);
  block.size = bytes;
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  const MemHandle h = t.next;
  t.next += 0x10;
  t.blocks.emplace(h, std::move(block));
  return h;
}

void* MemLock(MemHandle handle) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.blocks.find(handle);
  if (it == t.blocks.end()) return nullptr;
  ++it->second.locks;
  return it->second.bytes.get();
}

bool MemUnlock(MemHandle handle) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.blocks.find(handle);
  if (it == t.blocks.end() || it->second.locks == 0) return false;
  --it->second.locks;
  return true;
}

size_t MemSize(MemHandle handle) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.blocks.find(handle);
  return it == t.blocks.end() ? 0 : it->second.size;
}

bool MemFree(MemHandle handle) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.blocks.erase(handle) == 1;
}

MemHandle MemDuplicate(MemHandle handle) {
  const size_t size = MemSize(handle);
  if (size == 0) return 0;
  const MemHandle copy = MemAlloc(size);
  if (copy == 0) return 0;
  const void* src = MemLock(handle);
  void* dst = MemLock(copy);
  if (src == nullptr || dst == nullptr) {
    if (src) MemUnlock(handle);
    if (dst) MemUnlock(copy);
    MemFree(copy);
    return 0;
  }
  std::memcpy(dst, src, size);
  MemUnlock(handle);
  MemUnlock(copy);
  return copy;
}

MemHandle ImageToHandle(const Image& image) {
  if (image.empty()) return 0;
  const size_t size = PackedDibSize(image);
  const MemHandle h = MemAlloc(size);
  if (h == 0) return 0;
  auto* dst = static_cast<uint8_t*>(MemLock(h));
  const bool ok = dst != nullptr && WritePackedDib(image, dst, size).ok();
  MemUnlock(h);
  if (!ok) {
    MemFree(h);
    return 0;
  }
  return h;
}

Result ImageFromHandle(MemHandle handle, Image* out) {
  const size_t size = MemSize(handle);
  if (size == 0) return Result(Status::kBadImage, "unknown image handle");
  const auto* data = static_cast<const uint8_t*>(MemLock(handle));
  if (data == nullptr) return Result(Status::kBadImage, "unknown image handle");
  Result r = FromPackedDib(data, size, out);
  MemUnlock(handle);
  return r;
}

}  // namespace imaging

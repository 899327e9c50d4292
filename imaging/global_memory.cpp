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
  PixelBuffer bytes;
  size_t size = 0;
  int locks = 0;
  // A deferred block: packed from this picture on first use.
  const Image* source = nullptr;
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

MemHandle Insert(Block block) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  const MemHandle h = t.next;
  t.next += 0x10;
  try {
    t.blocks.emplace(h, std::move(block));
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return h;
}

// Packs a deferred block's picture into `out`.  Called with
// the table locked, so the picture's owner, which frees the handle before
// it changes the picture, waits until the packing is done.
bool PackSource(const Block& block, PixelBuffer* out) {
  const size_t size = PackedDibSize(*block.source);
  if (size == 0 || !out->Allocate(size, false)) return false;
  if (!WritePackedDib(*block.source, out->data(), size).ok()) {
    out->Reset();
    return false;
  }
  return true;
}

size_t SizeOf(const Block& block) { return block.source != nullptr ? PackedDibSize(*block.source) : block.size; }

}  // namespace

MemHandle MemAlloc(size_t bytes) {
  if (bytes == 0) return 0;
  Block block;
  if (!block.bytes.Allocate(bytes, true)) return 0;
  block.size = bytes;
  return Insert(std::move(block));
}

MemHandle ImageToDeferredHandle(const Image* image) {
  if (image == nullptr) return 0;
  Block block;
  block.source = image;
  return Insert(std::move(block));
}

bool MemDeferred(MemHandle handle) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.blocks.find(handle);
  return it != t.blocks.end() && it->second.source != nullptr;
}

void* MemLock(MemHandle handle) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.blocks.find(handle);
  if (it == t.blocks.end()) return nullptr;
  Block& b = it->second;
  if (b.source != nullptr) {
    if (!PackSource(b, &b.bytes)) return nullptr;
    b.size = b.bytes.size();
    b.source = nullptr;
  }
  ++b.locks;
  return b.bytes.data();
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
  return it == t.blocks.end() ? 0 : SizeOf(it->second);
}

bool MemFree(MemHandle handle) {
  Block gone;  // released after the table is unlocked
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.blocks.find(handle);
  if (it == t.blocks.end()) return false;
  gone = std::move(it->second);
  t.blocks.erase(it);
  return true;
}

size_t MemCount() {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.blocks.size();
}

MemHandle MemDuplicate(MemHandle handle) {
  {
    // A deferred block is packed straight into the copy; it stays deferred.
    Block copy;
    Table& t = table();
    std::unique_lock<std::mutex> lock(t.mutex);
    auto it = t.blocks.find(handle);
    if (it == t.blocks.end()) return 0;
    if (it->second.source != nullptr) {
      if (!PackSource(it->second, &copy.bytes)) return 0;
      copy.size = copy.bytes.size();
      lock.unlock();
      return Insert(std::move(copy));
    }
  }
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

// Packing engine pictures into blocks of the shared memory table.
#include "imaging/dlls/internal/handles.h"

#include "imaging/dib.h"

namespace mv7::internal {

LockedBlock::LockedBlock(MVHANDLE handle) : handle_(handle) {
  if (handle_ == 0) return;
  data_ = static_cast<uint8_t*>(MVGlobalLock(handle_));
  if (data_ != nullptr) size_ = MVGlobalSize(handle_);
}

LockedBlock::~LockedBlock() {
  if (data_ != nullptr) MVGlobalUnlock(handle_);
}

MVHANDLE ImageToMvHandle(const imaging::Image& image) {
  if (image.empty()) return 0;
  const size_t bytes = imaging::PackedDibSize(image);
  if (bytes == 0) return 0;
  MVHANDLE handle = MVGlobalAlloc(bytes);
  if (handle == 0) return 0;
  bool written = false;
  {
    LockedBlock block(handle);
    written = block.data() != nullptr && imaging::WritePackedDib(image, block.data(), block.size()).ok();
  }
  if (!written) {
    MVGlobalFree(handle);
    return 0;
  }
  return handle;
}

imaging::Result ImageFromMvHandle(MVHANDLE handle, imaging::Image* out) {
  LockedBlock block(handle);
  if (block.data() == nullptr) return imaging::Result(imaging::Status::kBadImage, "unknown image handle");
  return imaging::FromPackedDib(block.data(), block.size(), out);
}

}  // namespace mv7::internal

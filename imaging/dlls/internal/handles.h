// File: imaging/dlls/internal/handles.h
//
// Image handles of the imaging libraries: engine pictures packed into
// global-memory blocks, and back.  Every library of the family goes through
// the MVGlobal* entries of libmv7com.so here, never through the engine's
// memory table directly, so there is one table in the process and a handle
// made by one library can be freed by another.
//
//   MVHANDLE h = mv7::internal::ImageToMvHandle(img);   // 0 on failure
//   imaging::Image back;
//   if (!mv7::internal::ImageFromMvHandle(h, &back).ok()) ...
#pragma once

#include "imaging/dlls/mv7.h"
#include "imaging/image.h"
#include "imaging/status.h"

namespace mv7::internal {

// ImageToMvHandle() packs the picture into a new block; 0 on failure.
MVHANDLE ImageToMvHandle(const imaging::Image& image);

// ImageFromMvHandle() reads a block holding a packed DIB: kBadImage for an
// unknown handle or a malformed block.
imaging::Result ImageFromMvHandle(MVHANDLE handle, imaging::Image* out);

// A block of the memory table locked for the lifetime of the object.
class LockedBlock {
 public:
  explicit LockedBlock(MVHANDLE handle);
  ~LockedBlock();
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;

  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  MVHANDLE handle_;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace mv7::internal

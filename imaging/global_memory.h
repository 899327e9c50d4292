// File: imaging/global_memory.h
//
// A stand-in for movable global memory: numbered heap blocks that callers
// lock to get a pointer.  Image handles are such blocks holding a packed DIB
// (imaging/dib.h).  Handles are checked against a process-wide table, so a
// stale or made-up handle is refused instead of crashing.  Thread-safe.
//
//   imaging::MemHandle h = imaging::ImageToHandle(img);   // 0 on failure
//   const uint8_t* dib = static_cast<const uint8_t*>(imaging::MemLock(h));
//   ...
//   imaging::MemUnlock(h);
//   imaging::MemFree(h);
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/image.h"

namespace imaging {

using MemHandle = uintptr_t;  // 0 = no block

// MemAlloc() returns a zero-filled block of `bytes` (> 0), or 0.
MemHandle MemAlloc(size_t bytes);
// MemLock() returns the block's memory, or nullptr for an unknown handle
// (or a deferred block there is no memory to write).
// Locks nest; the pointer stays valid until the block is freed.
void* MemLock(MemHandle handle);
// MemUnlock() undoes one lock; false for an unknown handle or no lock held.
bool MemUnlock(MemHandle handle);
// MemSize() is the block's size in bytes, 0 for an unknown handle.
size_t MemSize(MemHandle handle);
// MemFree() releases the block; false for an unknown handle (freeing twice).
bool MemFree(MemHandle handle);
// MemCount() is the number of blocks alive in the table (for leak checks).
size_t MemCount();
// MemDuplicate() copies a block into a new handle, or 0.  The copy of a
// deferred block is written at once; the block itself stays deferred.
MemHandle MemDuplicate(MemHandle handle);

// ImageToHandle() packs the picture into a new block; 0 on failure.
MemHandle ImageToHandle(const Image& image);
// ImageToDeferredHandle() gives `*image` a handle whose packed DIB is
// written only when the block is first used (MemLock(), MemDuplicate(),
// ImageFromHandle()), from the picture as it is then; until then the block
// holds no copy of the pixels and MemSize() follows the picture.  The
// caller keeps `*image` alive until it frees the handle, and does not
// change it while another thread may use the handle.  0 for nullptr.
MemHandle ImageToDeferredHandle(const Image* image);
// MemDeferred() tells whether a block is still waiting to be written.
bool MemDeferred(MemHandle handle);
// ImageFromHandle() reads a block holding a packed DIB.  kBadImage for an
// unknown handle or a malformed block.
Result ImageFromHandle(MemHandle handle, Image* out);

}  // namespace imaging

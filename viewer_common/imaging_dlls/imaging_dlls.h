// File: viewer_common/imaging_dlls/imaging_dlls.h
//
// The viewer controls' binding to the imaging library family.  When the
// module that holds this code is loaded, it finds its own folder, loads the
// seven libraries from there by name (libmv7com.so, libmv7file.so,
// libmv7scan.so, libmv7print.so, libmv7effect.so, libmv7vectcom.so,
// libmv7rastovect.so, in that order), resolves every entry once into a
// process-wide table (null where a library did not load or lacks the
// entry), and frees the libraries in the same order when it is unloaded.
//
// Pictures load only when libmv7com and libmv7file are there and every
// entry the loading path needs is bound (CanLoadPictures()); the wrappers
// below return failure instead of calling a missing entry.
//
//   if (!imaging_dlls::CanLoadPictures()) return false;
//   MVHANDLE h = imaging_dlls::FileLoad(path, 0, 800, 600);
//   ...
//   imaging_dlls::FreeMemory(h);
//
// Entries outside the wrappers are reached through Entries(); check the
// pointer first, or use Call<&Table::Entry>(failure, args...).
//
// The table is process-wide and not locked: it is written only when the
// family is bound (at load, or by BindFrom()/Unbind() in tests) and only
// read afterwards, so the wrappers may be called from several threads at
// once, as the thumbnail control's loading workers do.  Rebinding while a
// worker runs is the caller's race.  Which entries of the family are safe
// on several threads is listed in imaging/dlls/mv7.h.
#pragma once

#include <string>

#include "imaging/dlls/mv7.h"
#include "imaging/dlls/mv7_exports.h"

namespace imaging_dlls {

// One pointer per exported entry of the family, named as the entry.
struct Table {
#define IMAGING_DLLS_FIELD(lib, entry) decltype(&::entry) entry = nullptr;
  MV7_EXPORTS(IMAGING_DLLS_FIELD)
#undef IMAGING_DLLS_FIELD
};

// Entries() is the process-wide table.
const Table& Entries();

// LibraryLoaded() tells whether library `lib` (MV7_LIB_*) is loaded.
bool LibraryLoaded(int lib);

// CanLoadPictures() is true when libmv7com and libmv7file are loaded and
// MVFileType, MVFileLoad, MVGetImageType, SetImageSize, MVVectorToRaster and
// MVFreeMemory are bound.  MVResize and MVJpegExifInfo are optional.
bool CanLoadPictures();

// ModuleFolder() is the folder of the module holding this code ("" when it
// cannot be found); BoundFolder() the folder the table was last bound from.
std::string ModuleFolder();
std::string BoundFolder();

// BindFrom() frees any bound libraries and binds the family from `folder`
// (for tests; the module binds itself from ModuleFolder() at load).  Returns
// CanLoadPictures().  Unbind() frees the libraries in load order and
// empties the table.
bool BindFrom(const std::string& folder);
void Unbind();

// Call() runs entry `Member` of the table, or returns `failure` when the
// entry is not bound.
template <auto Member, typename R, typename... Args>
R Call(R failure, Args... args) {
  const auto fn = Entries().*Member;
  return fn != nullptr ? static_cast<R>(fn(args...)) : failure;
}

// Picture entries, gated by CanLoadPictures(): each returns 0 (no picture)
// when the gate is closed or its entry is missing.  See mv7.h for their
// arguments.
int32_t FileType(const char* file, int32_t index, MVFileInfo* info);
MVHANDLE FileLoad(const char* file, int32_t index, int32_t max_width, int32_t max_height);
int32_t JpegExifInfo(const char* file, MVExifInfo* info);
int32_t GetImageType(MVHANDLE handle, MVImageType* info);
// Resize() returns 0 without MVResize; callers keep the picture unscaled.
MVHANDLE Resize(MVHANDLE* pair, int32_t width, int32_t height);
MVHANDLE SetImageSize(MVHANDLE handle, int32_t width, int32_t height);
MVHANDLE VectorToRaster(MVHANDLE handle, int32_t red, int32_t green, int32_t blue);
// FreeMemory() frees through MVFreeMemory when it is bound (whatever the
// gate says, so handles handed in from outside are not leaked).
void FreeMemory(MVHANDLE handle);

// Global memory of the family's one handle table (libmv7com.so).  Every
// block a viewer control allocates, reads or frees goes through these; each
// fails (0, nullptr, false) when its entry is not bound.
//   GlobalAlloc(): a zero-filled block of `bytes` (> 0), or 0.
//   GlobalLock(): the block's memory, nullptr for an unknown handle.
//   GlobalUnlock(): undoes one lock; false when none was held.
//   GlobalSize(): the block's size, 0 for an unknown handle.
//   GlobalFree(): false for an unknown handle (freeing twice).
//   GlobalDuplicate(): a copy of the block in a new handle, or 0.
MVHANDLE GlobalAlloc(size_t bytes);
void* GlobalLock(MVHANDLE handle);
bool GlobalUnlock(MVHANDLE handle);
size_t GlobalSize(MVHANDLE handle);
bool GlobalFree(MVHANDLE handle);
MVHANDLE GlobalDuplicate(MVHANDLE handle);

// LockedBlock: a lock held for one scope.
//   imaging_dlls::LockedBlock dib(handle);
//   if (!dib) return false;
//   const auto* bi = static_cast<const MVBITMAPINFOHEADER*>(dib.data());
class LockedBlock {
 public:
  explicit LockedBlock(MVHANDLE handle) : handle_(handle), data_(GlobalLock(handle)) {}
  ~LockedBlock() {
    if (data_) (void)GlobalUnlock(handle_);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;
  explicit operator bool() const { return data_ != nullptr; }
  void* data() const { return data_; }
  size_t size() const { return data_ ? GlobalSize(handle_) : 0; }

 private:
  MVHANDLE handle_;
  void* data_;
};

}  // namespace imaging_dlls

// File: viewer_common/file_list/thumbnail_entry.h
//
// One entry of a viewer control's picture list, and the list that owns the
// entries and their image handles.  The list grows by one entry per append
// and shrinks on removal; removing or clearing frees the entry's image.
// The controls number images in 16-bit values, so a list holds at most
// kMaxEntries (32 767) entries: an append to a full list is refused.
// Images are handles of the imaging library family's one handle table and
// are freed through its bound MVFreeMemory unless the list is told otherwise.
//
//   file_list::EntryList list;
//   file_list::ThumbnailEntry e;
//   e.folder = "/pictures";
//   e.file_name = "a.jpg";
//   list.Append(std::move(e));
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/dlls/mv7.h"

namespace file_list {

inline constexpr size_t kDateTextSize = 16;  // NUL included
// The most entries a list holds: every 1-based image number and every
// count then fits a signed 16-bit value.
inline constexpr size_t kMaxEntries = 32767;

struct ThumbnailEntry {
  MVHANDLE image = 0;            // packed DIB, 0 while not loaded
  std::string folder;            // without a trailing "/" (the root stays "/")
  std::string file_name;
  char date_text[kDateTextSize] = {};
  int16_t image_number = 0;      // 0-based inside a multi-image file
  int32_t selected = 0;
  // True while date_text has not been taken yet (lists built with
  // ListRequest::defer_dates); FillDateTexts() takes it.
  bool date_pending = false;

  // FullPath(): folder + "/" + file name.
  std::string FullPath() const;
};

class EntryList {
 public:
  using FreeImageFn = void (*)(MVHANDLE);
  // `free_image` releases entry images; the bound MVFreeMemory when null.
  explicit EntryList(FreeImageFn free_image = nullptr) : free_image_(free_image) {}
  ~EntryList() { Clear(); }
  EntryList(const EntryList&) = delete;
  EntryList& operator=(const EntryList&) = delete;

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  ThumbnailEntry& operator[](size_t i) { return entries_[i]; }
  const ThumbnailEntry& operator[](size_t i) const { return entries_[i]; }
  std::vector<ThumbnailEntry>& entries() { return entries_; }
  const std::vector<ThumbnailEntry>& entries() const { return entries_; }

  // max_entries(): kMaxEntries unless lowered with SetMaxEntries() (tests
  // and tools reach the limit with small folders that way); full(): no
  // entry can join.
  size_t max_entries() const { return max_entries_; }
  void SetMaxEntries(size_t n) { max_entries_ = n < 1 ? 1 : (n > kMaxEntries ? kMaxEntries : n); }
  bool full() const { return entries_.size() >= max_entries_; }

  // Append(): false when the list is full; the entry is then dropped and
  // its image freed.
  bool Append(ThumbnailEntry entry);
  // Insert(): puts the entry before index `index` (the end when `index` is
  // the size or more) and returns where it went; kNotInserted (with the
  // entry's image freed) when the list is full.
  static constexpr size_t kNotInserted = static_cast<size_t>(-1);
  size_t Insert(size_t index, ThumbnailEntry entry);
  // Reserve() makes room for `n` entries in all, so a folder's entries are
  // appended without moving the list again and again.
  void Reserve(size_t n) { entries_.reserve(n < max_entries_ ? n : max_entries_); }
  // Remove(): false for an index out of range.
  bool Remove(size_t index);
  // FreeImage(): frees the entry's image so that it is loaded again.
  void FreeImage(size_t index);
  void Clear();
  // SetImage(): the entry's image becomes `image` (owned from now on); a
  // different image it held is freed.
  void SetImage(size_t index, MVHANDLE image);
  // TakeImage(): hands the entry's image to the caller (0 left behind).
  MVHANDLE TakeImage(size_t index);

  // Find(): the first entry equal in folder and name (without regard to
  // case) and image number, or -1.
  long Find(std::string_view folder, std::string_view file_name, int image_number) const;
  // FindPath(): the first entry whose full path equals `path` without
  // regard to case (any image number), or -1.
  long FindPath(std::string_view path) const;

 private:
  void Release(MVHANDLE h) const;
  FreeImageFn free_image_;
  size_t max_entries_ = kMaxEntries;
  std::vector<ThumbnailEntry> entries_;
};

}  // namespace file_list

#include "viewer_common/file_list/thumbnail_entry.h"

#include <strings.h>

#include "viewer_common/imaging_dlls/imaging_dlls.h"

namespace file_list {

std::string ThumbnailEntry::FullPath() const {
  if (folder.empty()) return file_name;
  if (folder.back() == '/') return folder + file_name;
  return folder + "/" + file_name;
}

namespace {

// Equal without regard to ASCII case (names are compared as the Windows
// design compared them; multibyte UTF-8 bytes compare exactly).
bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && (a.empty() || strncasecmp(a.data(), b.data(), a.size()) == 0);
}

}  // namespace

void EntryList::Release(MVHANDLE h) const {
  if (!h) return;
  if (free_image_) free_image_(h);
  else imaging_dlls::FreeMemory(h);
}

bool EntryList::Append(ThumbnailEntry entry) {
  if (full()) {
    Release(entry.image);
    return false;
  }
  entries_.push_back(std::move(entry));
  return true;
}

size_t EntryList::Insert(size_t index, ThumbnailEntry entry) {
  if (full()) {
    Release(entry.image);
    return kNotInserted;
  }
  if (index > entries_.size()) index = entries_.size();
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
  return index;
}

void EntryList::SetImage(size_t index, MVHANDLE image) {
  if (index >= entries_.size()) {
    Release(image);
    return;
  }
  if (entries_[index].image != image) Release(entries_[index].image);
  entries_[index].image = image;
}

MVHANDLE EntryList::TakeImage(size_t index) {
  if (index >= entries_.size()) return 0;
  const MVHANDLE h = entries_[index].image;
  entries_[index].image = 0;
  return h;
}

long EntryList::Find(std::string_view folder, std::string_view file_name, int image_number) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    const ThumbnailEntry& e = entries_[i];
    if (e.image_number == image_number && EqualNoCase(e.folder, folder) && EqualNoCase(e.file_name, file_name))
      return static_cast<long>(i);
  }
  return -1;
}

long EntryList::FindPath(std::string_view path) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (EqualNoCase(entries_[i].FullPath(), path)) return static_cast<long>(i);
  return -1;
}

bool EntryList::Remove(size_t index) {
  if (index >= entries_.size()) return false;
  Release(entries_[index].image);
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

void EntryList::FreeImage(size_t index) {
  if (index >= entries_.size()) return;
  Release(entries_[index].image);
  entries_[index].image = 0;
}

void EntryList::Clear() {
  for (ThumbnailEntry& e : entries_) Release(e.image);
  entries_.clear();
}

}  // namespace file_list

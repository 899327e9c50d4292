#include "viewer_common/file_list/thumbnail_entry.h"

namespace file_list {

std::string ThumbnailEntry::FullPath() const {
  if (folder.empty()) return file_name;
  if (folder.back() == '/') return folder + file_name;
  return folder + "/" + file_name;
}

void EntryList::Release(imaging::MemHandle h) const {
  if (!h) return;
  if (free_image_) free_image_(h);
  else (void)imaging::MemFree(h);
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

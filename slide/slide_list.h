// File: slide/slide_list.h
//
// Building a slideshow's list of entries, through the imaging library
// family bound by name: from a slide list file (one picture a line, an
// image number in the library's "|N" notation, file order kept) or from
// folders (every file matching "*." + extension, hidden files and folders
// left out, one entry per file or per image of a multi-image file, then
// the shared list sort).  Both give status 0 or 5 (nothing usable).
//
//   file_list::EntryList list;
//   slide::FolderRequest req{"/pictures", "JPG;PNG", 1, 0, 1, false};
//   if (slide::BuildFromFolder(req, &list) != 0) ... status 5 ...
#pragma once

#include <cstdint>
#include <string>

#include "viewer_common/file_list/thumbnail_entry.h"

namespace slide {

inline constexpr int16_t kStatusNoList = 5;

struct SlideFileReport {
  int lines = 0;        // lines that named something
  int unrecognised = 0; // not a picture the library knows, or missing
  int refused = 0;      // too long or undecodable lines, paths that do not fit
  bool shift_jis = false;
};

// BuildFromSlideFile(): appends the pictures the file names (10000 at most).
// 5 when the name is empty or not absolute, the file is missing, unreadable
// or larger than kMaxSlideFileBytes; 0 otherwise, also with no entry.
int16_t BuildFromSlideFile(const std::string& slide_file, file_list::EntryList* list,
                           SlideFileReport* report = nullptr);

struct FolderRequest {
  std::string file_path;   // one or more folders, ";"-separated
  std::string file_ext;    // extensions, as FileExt
  int sort = 0;
  int sort_order = 0;
  int sort_date = 1;
  bool multi_image = false;
};

// BuildFromFolder(): appends the pictures of the folders and sorts them.
// 5 when the path is empty or not absolute, no extension is given, or no
// picture matches at all.  A list that fills up (EntryList::max_entries())
// keeps the entries found first, in listing order, and sets *truncated.
int16_t BuildFromFolder(const FolderRequest& request, file_list::EntryList* list, bool* truncated = nullptr);

// ScanFolderEntry(): the entries one file gives (used by the folder watch);
// false when the file is hidden, not a picture or its path does not fit.
bool EntriesOfFile(const std::string& folder, const std::string& name, bool multi_image, int sort_date,
                   std::vector<file_list::ThumbnailEntry>* out);

// MatchesExtension(): the name matches "*." + entry, case-insensitively.
bool MatchesExtension(const std::string& name, const std::string& entry);

}  // namespace slide

// File: viewer_common/file_list/folder_list.h
//
// Building a viewer control's picture list from folders and extension
// patterns, and sorting it.  Each folder of `file_path` is searched with
// each entry of the extension table in table order: a bare extension
// "JPG" matches "*.JPG" (without regard to case) unless a file of exactly
// that name exists, a file name matches itself, a pattern with a "." and
// wildcards matches as a pattern.  Every recognised picture gives one entry,
// or one per image with `multi_image`.
//
//   file_list::ListRequest req;
//   req.file_path = "/pictures";
//   req.file_ext = "JPG;PNG";
//   req.sort = file_list::kSortFileName;
//   file_list::ListReport report;
//   if (file_list::BuildFolderList(paths, req, &list, &report) != 0) ... status 5 ...
#pragma once

#include <cstdint>
#include <string>

#include "viewer_common/file_list/path_services.h"
#include "viewer_common/file_list/thumbnail_entry.h"

namespace file_list {

enum SortKind : int {
  kSortNone = 0,
  kSortFileName = 1,
  kSortDate = 2,
  kSortFileExtName = 3,
  kSortFileExtDate = 4,
  kSortDirFileName = 5,
  kSortDirDate = 6,
  kSortDirFileExtName = 7,
  kSortDirFileExtDate = 8,
};
enum SortOrder : int { kSortOrderInc = 0, kSortOrderDec = 1 };

struct ListRequest {
  std::string file_path;
  std::string file_ext;
  int sort = kSortNone;
  int sort_order = kSortOrderInc;
  int sort_date = kDateLastWrite;
  bool multi_image = false;  // every image of multi-image files
  // Leave the date text to FillDateTexts() unless the sort needs it: one
  // file-status call less per file, for lists that never show dates.
  bool defer_dates = false;
};

struct ListReport {
  int extension_count = 0;
  int added = 0;
  int skipped_long_paths = 0;  // files whose full path does not fit 260 bytes
  bool sorted = false;
  // The list reached its most entries (EntryList::max_entries()) with
  // pictures still to come: those were left out, the first ones kept.
  bool truncated = false;
};

inline constexpr int16_t kStatusBadValue = 5;

// BuildFolderList(): appends the pictures found to `list` and sorts as
// described in the header.  Returns 0, or kStatusBadValue when the path is
// empty or not absolute, or no extension entry is left.  A folder that
// cannot be read gives no entries; a file that is not a picture, or whose
// full path would not fit a 260-byte buffer, is skipped (the latter counted
// in the report).  Each file is recognised with one FileTypePages() call.
// When the list fills up (EntryList::max_entries()) the listing stops:
// the entries found first, in listing order, stay (and are sorted) and
// report->truncated is set.
int16_t BuildFolderList(const PathServices& paths, const ListRequest& request, EntryList* list,
                        ListReport* report = nullptr);

// FillDateTexts(): takes the date text of every entry still pending.
void FillDateTexts(const PathServices& paths, int date_kind, EntryList* list);

// The sort parameters are process-wide: SortEntries() sets them before it
// sorts, CompareEntries() reads them.
struct SortParameters {
  int sort = kSortNone;
  int sort_order = kSortOrderInc;
  ExtensionTable extensions;
};
void SetSortParameters(SortParameters params);
const SortParameters& CurrentSortParameters();

// SortKey(): the comparison key of an entry for `sort` (folder, extension,
// date and name parts as the kind says, then the image number as "%04d"),
// case-folded.  An extension the services cannot take counts as empty.
std::string SortKey(const PathServices& paths, int sort, const ThumbnailEntry& entry);
// CompareEntries(): <0, 0, >0 by the process-wide parameters.
int CompareEntries(const PathServices& paths, const ThumbnailEntry& a, const ThumbnailEntry& b);
// SortEntries(): sorts the whole list by `params`; entries whose keys are
// equal keep their order.
void SortEntries(const PathServices& paths, SortParameters params, EntryList* list);

// ExtensionInTable(): the name's extension occurs in an upper-cased table
// entry (used for entries read back from a thumbnail file).
bool ExtensionInTable(const PathServices& paths, const std::string& name, const ExtensionTable& table);

}  // namespace file_list

#include "viewer_common/file_list/folder_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace file_list {
namespace {

// ASCII case folding: names are UTF-8, whose multi-byte sequences stay as they are.
std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool HasWildcard(const std::string& s) { return s.find_first_of("*?[") != std::string::npos; }

// The upper-cased extension of a bare name ("" when none).
std::string NameExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return {};
  return Upper(name.substr(dot + 1));
}

struct FolderFiles {
  std::vector<std::string> names;  // regular files, in directory order
  std::unordered_map<std::string, std::vector<size_t>> by_extension;
};

// Reads the folder once; every extension entry is matched against it.
bool ReadFolder(const std::string& folder, FolderFiles* out) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  const int fd = dirfd(dir);
  while (dirent* e = readdir(dir)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
    bool is_file = e->d_type == DT_REG;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st {};
      is_file = fstatat(fd, n, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
    if (!is_file) continue;  // folders (and devices) are skipped; hidden files are not
    out->names.emplace_back(n);
    out->by_extension[NameExtension(out->names.back())].push_back(out->names.size() - 1);
  }
  closedir(dir);
  return true;
}

// Indexes of the names an extension entry selects, in directory order.
std::vector<size_t> Match(const PathServices& paths, const std::string& folder, const std::string& entry,
                          const FolderFiles& files) {
  std::string pattern = entry;
  if (entry.find('.') == std::string::npos) {
    // A bare entry names a file when one of exactly that name exists, else an extension.
    const std::string exact = folder == "/" ? "/" + entry : folder + "/" + entry;
    if (paths.FileNameSize(exact) <= 0) pattern = "*." + entry;
  }
  std::vector<size_t> hits;
  if (pattern.size() > 2 && pattern.compare(0, 2, "*.") == 0 && !HasWildcard(pattern.substr(2))) {
    auto it = files.by_extension.find(Upper(pattern.substr(2)));
    if (it != files.by_extension.end()) hits = it->second;
  } else if (!HasWildcard(pattern)) {
    for (size_t i = 0; i < files.names.size(); ++i)
      if (files.names[i] == pattern) hits.push_back(i);
  } else {
    for (size_t i = 0; i < files.names.size(); ++i)
      if (fnmatch(pattern.c_str(), files.names[i].c_str(), FNM_CASEFOLD) == 0) hits.push_back(i);
  }
  return hits;
}

// Entries are the same when folder, name and image number are: names compare
// as the file system does, so a.jpg and A.jpg are two files.
std::string EntryKey(const std::string& folder, const std::string& name, int image) {
  std::string key;
  key.reserve(folder.size() + name.size() + 8);
  key += folder;
  key += '\0';
  key += name;
  key += '\0';
  key += std::to_string(image);
  return key;
}

SortParameters& Params() {
  static SortParameters p;
  return p;
}

// True when the collation order is plain byte order, so keys need no transform.
bool ByteCollation() {
  const char* name = std::setlocale(LC_COLLATE, nullptr);
  return !name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
         std::strncmp(name, "C.", 2) == 0;
}

std::string CollationKey(const std::string& folded, bool byte_order) {
  if (byte_order) return folded;
  const size_t n = std::strxfrm(nullptr, folded.c_str(), 0);
  std::string out(n + 1, '\0');
  std::strxfrm(out.data(), folded.c_str(), n + 1);
  out.resize(n);
  return out;
}

}  // namespace

int16_t BuildFolderList(const PathServices& paths, const ListRequest& req, EntryList* list, ListReport* report) {
  ListReport scratch;
  if (!report) report = &scratch;
  *report = ListReport{};
  if (req.file_path.empty() || !paths.IsSetDrive(req.file_path)) return kStatusBadValue;
  ExtensionTable table;
  report->extension_count = paths.SplitExtensions(req.file_path, req.file_ext, &table);
  if (report->extension_count <= 0) return kStatusBadValue;

  const size_t before = list->size();
  const bool date_sort = req.sort == kSortDate || req.sort == kSortFileExtDate || req.sort == kSortDirDate ||
                         req.sort == kSortDirFileExtDate;
  const bool take_dates = !req.defer_dates || date_sort;
  std::unordered_set<std::string> present;
  if (before > 0) {
    present.reserve(before * 2);
    for (const ThumbnailEntry& e : list->entries()) present.insert(EntryKey(e.folder, e.file_name, e.image_number));
  }

  std::string folder;
  std::vector<std::string> done_folders;
  std::vector<FileTypeInfo> pages;  // reused for every file
  for (int fi = 0; !report->truncated && paths.FolderAt(fi, req.file_path, &folder); ++fi) {
    // A folder named twice gives its files once.
    if (std::find(done_folders.begin(), done_folders.end(), folder) != done_folders.end()) continue;
    done_folders.push_back(folder);
    FolderFiles files;
    if (!ReadFolder(folder, &files)) continue;  // a folder that cannot be searched gives nothing
    list->Reserve(list->size() + files.names.size());
    // Images already taken from this folder, by name index (only the first
    // image of each file is common enough to need the fast path).
    std::vector<uint8_t> taken(files.names.size(), 0);
    const std::string prefix = folder == "/" ? "/" : folder + "/";
    std::string path;  // one buffer for every file's path
    std::string ext;
    for (const std::string& entry : table) {
      if (report->truncated) break;
      for (size_t index : Match(paths, folder, entry, files)) {
        if (taken[index]) continue;  // matched by an earlier table entry
        taken[index] = 1;
        std::string& name = files.names[index];
        path.assign(prefix).append(name);
        if (path.size() >= kMaxPath) {  // would not fit the path buffers: refuse, never truncate
          ++report->skipped_long_paths;
          continue;
        }
        if (!paths.FileExt(path, &ext)) continue;
        // Every page a multi-image listing wants is described by one
        // reading of the file; no more pages than the list has room for
        // (and one past it, to tell that the listing goes on).
        const size_t room = list->max_entries() > list->size() ? list->max_entries() - list->size() : 0;
        const int want = req.multi_image ? static_cast<int>(std::min<size_t>(room + 1, kMaxEntries)) : 1;
        // The date, when the list takes it now, comes from the same reading.
        char date[kDateTextSize] = {};
        const bool recognised = take_dates ? paths.FileTypePagesDated(path, want, req.sort_date, &pages, date)
                                           : paths.FileTypePages(path, want, &pages);
        if (!recognised || pages.empty()) continue;
        int count = req.multi_image ? pages[0].image_count : 1;
        if (pages[0].format >= 16 && pages[0].format <= 18) count = 1;
        count = std::clamp(count, 1, static_cast<int>(kMaxEntries));
        for (int j = 0; j < count; ++j) {
          if (j > 0 && (static_cast<size_t>(j) >= pages.size() || pages[j].format == 0)) continue;
          if (before > 0 && !present.insert(EntryKey(folder, name, j)).second) continue;
          if (list->full()) {
            // Further pictures would take numbers past the interface's
            // 16 bits: the first ones, in listing order, are kept.
            report->truncated = true;
            break;
          }
          ThumbnailEntry e;
          e.folder = folder;
          // The name is copied for all but the file's last picture, which
          // takes it over (the folder's listing has no further use of it).
          if (j + 1 == count) e.file_name = std::move(name);
          else e.file_name = name;
          std::memcpy(e.date_text, date, kDateTextSize);
          e.image_number = static_cast<int16_t>(j);
          e.date_pending = !take_dates;
          (void)list->Append(std::move(e));
          ++report->added;
        }
        if (report->truncated) break;
      }
    }
  }

  // Entries that were there before (read from a thumbnail file) are checked
  // against the file's current date; a changed file is loaded again.  The
  // entries just added carry the date taken a moment ago.
  for (size_t i = 0; i < before; ++i) {
    ThumbnailEntry& e = (*list)[i];
    char date[kDateTextSize] = {};
    (void)paths.DateText(e.FullPath(), req.sort_date, date);
    if (e.date_pending) {  // never taken: nothing to compare with
      std::memcpy(e.date_text, date, kDateTextSize);
      e.date_pending = false;
      continue;
    }
    if (std::strncmp(date, e.date_text, kDateTextSize) != 0) {
      std::memcpy(e.date_text, date, kDateTextSize);
      list->FreeImage(i);
    }
  }

  if (before <= 1 && req.sort > kSortNone && list->size() > 1) {
    SortEntries(paths, {req.sort, req.sort_order, table}, list);
    report->sorted = true;
  }
  return 0;
}

void FillDateTexts(const PathServices& paths, int date_kind, EntryList* list) {
  for (ThumbnailEntry& e : list->entries()) {
    if (!e.date_pending) continue;
    (void)paths.DateText(e.FullPath(), date_kind, e.date_text);
    e.date_pending = false;
  }
}

void SetSortParameters(SortParameters params) { Params() = std::move(params); }
const SortParameters& CurrentSortParameters() { return Params(); }

std::string SortKey(const PathServices& paths, int sort, const ThumbnailEntry& e) {
  const bool dir = sort >= kSortDirFileName;
  const int rest = dir ? sort - 4 : sort;  // 1 name, 2 date, 3 ext+name, 4 ext+date
  std::string key;
  if (dir) key += e.folder;
  if (rest == 3 || rest == 4) {
    std::string ext;
    if (paths.FileExt(e.file_name, &ext)) key += ext;
  }
  if (rest == 2 || rest == 4) key.append(e.date_text, strnlen(e.date_text, kDateTextSize));
  key += e.file_name;
  // "%04d" of the image number (0..32767).
  const int n = e.image_number < 0 ? 0 : e.image_number;
  if (n >= 10000) key += static_cast<char>('0' + n / 10000);
  key += static_cast<char>('0' + n / 1000 % 10);
  key += static_cast<char>('0' + n / 100 % 10);
  key += static_cast<char>('0' + n / 10 % 10);
  key += static_cast<char>('0' + n % 10);
  return Lower(std::move(key));
}

int CompareEntries(const PathServices& paths, const ThumbnailEntry& a, const ThumbnailEntry& b) {
  const SortParameters& p = Params();
  const std::string ka = SortKey(paths, p.sort, a), kb = SortKey(paths, p.sort, b);
  const int r = std::strcoll(ka.c_str(), kb.c_str());
  return p.sort_order == kSortOrderDec ? -r : r;
}

void SortEntries(const PathServices& paths, SortParameters params, EntryList* list) {
  SetSortParameters(std::move(params));
  const SortParameters& p = Params();
  if (p.sort <= kSortNone || p.sort > kSortDirFileExtDate || list->size() < 2) return;
  // Keys are made once per entry, not once per comparison, and kept end to
  // end in one buffer.
  std::vector<ThumbnailEntry>& v = list->entries();
  const bool byte_order = ByteCollation();
  std::string arena;
  std::vector<std::pair<size_t, size_t>> spans(v.size());  // offset, length
  for (size_t i = 0; i < v.size(); ++i) {
    const std::string key = CollationKey(SortKey(paths, p.sort, v[i]), byte_order);
    spans[i] = {arena.size(), key.size()};
    arena += key;
  }
  auto key_of = [&](uint32_t i) { return std::string_view(arena).substr(spans[i].first, spans[i].second); };
  std::vector<uint32_t> order(v.size());
  std::iota(order.begin(), order.end(), 0u);
  const bool dec = p.sort_order == kSortOrderDec;
  std::sort(order.begin(), order.end(),
            [&](uint32_t a, uint32_t b) { return dec ? key_of(b) < key_of(a) : key_of(a) < key_of(b); });
  // Entries go to their sorted places in place, cycle by cycle.
  for (size_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    size_t at = start;
    ThumbnailEntry held = std::move(v[start]);
    while (order[at] != start) {
      const size_t from = order[at];
      v[at] = std::move(v[from]);
      order[at] = static_cast<uint32_t>(at);
      at = from;
    }
    v[at] = std::move(held);
    order[at] = static_cast<uint32_t>(at);
  }
}

bool ExtensionInTable(const PathServices& paths, const std::string& name, const ExtensionTable& table) {
  std::string ext;
  if (!paths.FileExt(name, &ext)) return false;
  for (const std::string& entry : table)
    if (Upper(entry).find(ext) != std::string::npos) return true;
  return false;
}

}  // namespace file_list

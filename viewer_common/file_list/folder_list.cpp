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
#include <memory>
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

bool HasWildcard(const std::string& s) { return s.find_first_of("*?[") != std::string::npos; }

// The upper-cased extension of a bare name into *ext ("" when none).
const std::string& NameExtension(std::string_view name, std::string* ext) {
  ext->clear();
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return *ext;
  for (char c : name.substr(dot + 1)) ext->push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  return *ext;
}

struct FolderFiles {
  // The folder stays open while its files are looked at: they are opened
  // relative to it, as the names were read from it.
  std::unique_ptr<DIR, int (*)(DIR*)> dir{nullptr, &closedir};
  // The regular files' names in directory order, end to end in one buffer,
  // each with its NUL; starts[i] is where name i begins, and one more start
  // closes the last.
  std::string text;
  std::vector<size_t> starts;
  std::unordered_map<std::string, std::vector<size_t>> by_extension;

  int fd() const { return dir ? dirfd(dir.get()) : -1; }
  size_t count() const { return starts.empty() ? 0 : starts.size() - 1; }
  const char* name(size_t i) const { return text.data() + starts[i]; }
  std::string_view name_view(size_t i) const { return {name(i), starts[i + 1] - starts[i] - 1}; }
};

// Reads the folder once; every extension entry is matched against it.
bool ReadFolder(const std::string& folder, FolderFiles* out) {
  out->dir.reset(opendir(folder.c_str()));
  DIR* dir = out->dir.get();
  if (!dir) return false;
  const int fd = dirfd(dir);
  std::string ext;
  while (dirent* e = readdir(dir)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
    bool is_file = e->d_type == DT_REG;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st {};
      is_file = fstatat(fd, n, &st, 0) == 0 && S_ISREG(st.st_mode);
    }
    if (!is_file) continue;  // folders (and devices) are skipped; hidden files are not
    const std::string_view name(n);
    out->by_extension[NameExtension(name, &ext)].push_back(out->starts.size());
    out->starts.push_back(out->text.size());
    out->text.append(name).push_back('\0');
  }
  out->starts.push_back(out->text.size());
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
    for (size_t i = 0; i < files.count(); ++i)
      if (files.name_view(i) == pattern) hits.push_back(i);
  } else {
    for (size_t i = 0; i < files.count(); ++i)
      if (fnmatch(pattern.c_str(), files.name(i), FNM_CASEFOLD) == 0) hits.push_back(i);
  }
  return hits;
}

// Entries are the same when folder, name and image number are: names compare
// as the file system does, so a.jpg and A.jpg are two files.
std::string EntryKey(std::string_view folder, std::string_view name, int image) {
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
  // The kind asked of each file with its type (-1: no date now).
  const int date_kind = !take_dates ? -1 : (req.sort_date < 0 ? kDateLastWrite : req.sort_date);
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
    list->Reserve(list->size() + files.count());
    // Images already taken from this folder, by name index (only the first
    // image of each file is common enough to need the fast path).
    std::vector<uint8_t> taken(files.count(), 0);
    const std::string prefix = folder == "/" ? "/" : folder + "/";
    std::string path;  // one buffer for every file's path
    std::string ext;
    for (const std::string& entry : table) {
      if (report->truncated) break;
      for (size_t index : Match(paths, folder, entry, files)) {
        if (taken[index]) continue;  // matched by an earlier table entry
        taken[index] = 1;
        const std::string_view name = files.name_view(index);
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
        const bool recognised =
            paths.FileTypePagesIn(files.fd(), folder, files.name(index), path, want, date_kind, &pages, date);
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
          e.file_name = name;
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

namespace {

// Appends `text` to `out` with ASCII upper case folded to lower case.
void AppendLower(std::string_view text, std::string* out) {
  const size_t at = out->size();
  out->append(text);
  for (char* c = out->data() + at; c != out->data() + out->size(); ++c)
    if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
}

// Appends the entry's case-folded key for `sort` to `out`.
void AppendSortKey(const PathServices& paths, int sort, const ThumbnailEntry& e, std::string* out) {
  const bool dir = sort >= kSortDirFileName;
  const int rest = dir ? sort - 4 : sort;  // 1 name, 2 date, 3 ext+name, 4 ext+date
  if (dir) AppendLower(e.folder, out);
  if (rest == 3 || rest == 4) {
    std::string ext;
    if (paths.FileExt(e.file_name, &ext)) AppendLower(ext, out);
  }
  if (rest == 2 || rest == 4) AppendLower(std::string_view(e.date_text, strnlen(e.date_text, kDateTextSize)), out);
  AppendLower(e.file_name, out);
  // "%04d" of the image number (0..32767).
  const int n = e.image_number < 0 ? 0 : e.image_number;
  if (n >= 10000) *out += static_cast<char>('0' + n / 10000);
  *out += static_cast<char>('0' + n / 1000 % 10);
  *out += static_cast<char>('0' + n / 100 % 10);
  *out += static_cast<char>('0' + n / 10 % 10);
  *out += static_cast<char>('0' + n % 10);
}

// The order of the keys (`spans` into `arena`: offset, length), increasing
// or decreasing; equal keys keep their order.  Each key is compared first by
// the eight bytes after the prefix all keys share, held beside its index,
// and only on a tie by the rest of its bytes: folder listings are full of
// names that begin alike ("IMG_", "DSC0").
std::vector<uint32_t> SortedOrder(const std::string& arena, const std::vector<std::pair<size_t, size_t>>& spans,
                                  bool decreasing) {
  size_t common = spans.empty() ? 0 : spans[0].second;
  const char* first = arena.data() + (spans.empty() ? 0 : spans[0].first);
  for (const auto& [at, length] : spans) {
    common = std::min(common, length);
    size_t k = 0;
    while (k < common && arena[at + k] == first[k]) ++k;
    common = k;
  }
  struct Item {
    uint64_t head;     // the 8 bytes after the shared prefix, big-endian, 0-padded
    const char* rest;  // the bytes after those
    uint32_t rest_size;
    uint32_t index;
  };
  std::vector<Item> items(spans.size());
  for (size_t i = 0; i < spans.size(); ++i) {
    const char* key = arena.data() + spans[i].first + common;
    const size_t size = spans[i].second - common;
    const size_t in_head = std::min<size_t>(size, 8);
    uint64_t head = 0;
    for (size_t b = 0; b < 8; ++b) head = head << 8 | (b < in_head ? static_cast<uint8_t>(key[b]) : 0u);
    items[i] = {head, key + in_head, static_cast<uint32_t>(size - in_head), static_cast<uint32_t>(i)};
  }
  // Keys hold no NUL bytes, so a key that ends inside its head bytes has
  // smaller head bytes than any longer key it is a prefix of.
  auto compare = [](const Item& a, const Item& b) {
    if (a.head != b.head) return a.head < b.head ? -1 : 1;
    if (const int c = std::memcmp(a.rest, b.rest, std::min(a.rest_size, b.rest_size)); c != 0) return c;
    return a.rest_size == b.rest_size ? 0 : (a.rest_size < b.rest_size ? -1 : 1);
  };
  std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
    const int c = decreasing ? compare(b, a) : compare(a, b);
    return c != 0 ? c < 0 : a.index < b.index;
  });
  std::vector<uint32_t> order(items.size());
  for (size_t i = 0; i < items.size(); ++i) order[i] = items[i].index;
  return order;
}

}  // namespace

std::string SortKey(const PathServices& paths, int sort, const ThumbnailEntry& e) {
  std::string key;
  AppendSortKey(paths, sort, e, &key);
  return key;
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
  size_t guess = 0;
  for (const ThumbnailEntry& e : v) guess += e.file_name.size() + 8;
  arena.reserve(guess);
  std::vector<std::pair<size_t, size_t>> spans(v.size());  // offset, length
  std::string folded;
  for (size_t i = 0; i < v.size(); ++i) {
    const size_t at = arena.size();
    if (byte_order) {
      AppendSortKey(paths, p.sort, v[i], &arena);  // the folded key is the collation key
    } else {
      folded.clear();
      AppendSortKey(paths, p.sort, v[i], &folded);
      arena += CollationKey(folded, false);
    }
    spans[i] = {at, arena.size() - at};
  }
  const std::vector<uint32_t> order = SortedOrder(arena, spans, p.sort_order == kSortOrderDec);
  // The entries are moved into a new array in sorted order: reads in
  // sorted order run ahead of each other, where cycles through the array
  // would wait on every read.
  std::vector<ThumbnailEntry> sorted;
  sorted.reserve(v.size());
  for (const uint32_t from : order) sorted.push_back(std::move(v[from]));
  v.swap(sorted);
}

bool ExtensionInTable(const PathServices& paths, const std::string& name, const ExtensionTable& table) {
  std::string ext;
  if (!paths.FileExt(name, &ext)) return false;
  for (const std::string& entry : table)
    if (Upper(entry).find(ext) != std::string::npos) return true;
  return false;
}

}  // namespace file_list

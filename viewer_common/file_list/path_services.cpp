#include "viewer_common/file_list/path_services.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdio>
#include <ctime>

namespace file_list {
namespace {

// Splits at any of `seps`, dropping empty parts.
std::vector<std::string> Split(const std::string& text, const char* seps) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : text) {
    if (std::strchr(seps, c)) {
      if (!cur.empty()) parts.push_back(std::move(cur));
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(std::move(cur));
  return parts;
}

std::string StripTrailingSlash(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

}  // namespace

bool PathServices::FileTypePages(const std::string& path, int max, std::vector<FileTypeInfo>* pages) const {
  pages->clear();
  FileTypeInfo first;
  if (!FileType(path, 0, &first)) return false;
  pages->push_back(first);
  const int count = std::min<int>(std::max<int>(first.image_count, 1), std::max(max, 1));
  for (int k = 1; k < count; ++k) {
    FileTypeInfo more;
    if (!FileType(path, k, &more)) more = FileTypeInfo{0, 0};
    pages->push_back(more);
  }
  return true;
}

bool PathServices::FileTypePagesDated(const std::string& path, int max, int date_kind,
                                      std::vector<FileTypeInfo>* pages, char* date) const {
  date[0] = '\0';
  if (!FileTypePages(path, max, pages)) return false;
  if (!DateText(path, date_kind, date)) date[0] = '\0';
  return true;
}

bool PathServices::FileTypePagesIn(int, const std::string&, const char*, const std::string& path, int max,
                                   int date_kind, std::vector<FileTypeInfo>* pages, char* date) const {
  return date_kind >= 0 ? FileTypePagesDated(path, max, date_kind, pages, date) : FileTypePages(path, max, pages);
}

void FormatDateText(int64_t seconds, char* out) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  // Each field is bounded so the text always has its 14 digits.
  auto two = [](int v) { return static_cast<unsigned>(v) % 100u; };
  std::snprintf(out, kDateTextSize, "%04u%02u%02u%02u%02u%02u", static_cast<unsigned>(tm.tm_year + 1900) % 10000u,
                two(tm.tm_mon + 1), two(tm.tm_mday), two(tm.tm_hour), two(tm.tm_min), two(tm.tm_sec));
}

bool NativePathServices::IsSetDrive(const std::string& file_path) const {
  const std::vector<std::string> parts = Split(file_path, ";");
  if (parts.empty()) return false;
  for (const std::string& p : parts)
    if (p.front() != '/' || p.size() >= kMaxPath) return false;
  return true;
}

int NativePathServices::SplitExtensions(const std::string& file_path, const std::string& file_ext,
                                        ExtensionTable* table) const {
  table->clear();
  if (!IsSetDrive(file_path)) return 0;
  for (std::string& e : Split(file_ext, ";,| \t")) {
    if (table->size() >= kExtensionTableEntries) break;
    // An entry that does not fit its 64 bytes is left out, never cut short.
    if (e.size() >= kExtensionEntrySize) continue;
    table->push_back(std::move(e));
  }
  return static_cast<int>(table->size());
}

bool NativePathServices::FolderAt(int index, const std::string& file_path, std::string* dir) const {
  int i = 0;
  for (std::string& p : Split(file_path, ";")) {
    if (p.size() >= kMaxPath) continue;
    if (i++ == index) {
      *dir = StripTrailingSlash(std::move(p));
      return true;
    }
  }
  return false;
}

bool NativePathServices::FileExt(const std::string& path, std::string* ext) const {
  const size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size() || name.size() - dot > kExtensionEntrySize)
    return false;
  ext->assign(name.substr(dot + 1));
  for (char& c : *ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return true;
}

bool NativePathServices::FileType(const std::string& path, int index, FileTypeInfo* info) const {
  if (!recognizer_) return false;
  return recognizer_(path, index, info);
}

bool NativePathServices::DateText(const std::string& path, int kind, char* out) const {
  out[0] = '\0';
  struct statx st {};
  if (statx(AT_FDCWD, path.c_str(), AT_STATX_DONT_SYNC, STATX_BTIME | STATX_MTIME | STATX_ATIME, &st) != 0)
    return false;
  int64_t seconds = st.stx_mtime.tv_sec;
  if (kind == kDateCreation && (st.stx_mask & STATX_BTIME)) seconds = st.stx_btime.tv_sec;
  if (kind == kDateLastAccess) seconds = st.stx_atime.tv_sec;
  FormatDateText(seconds, out);
  return true;
}

int64_t NativePathServices::FileNameSize(const std::string& path) const {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return st.st_size;
}

}  // namespace file_list

// libmv7file.so: path helpers.  Folders are separated by "/"; a folder
// list separates its folders with ";"; an image number rides on a name as
// the suffix "|N".
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

#include "imaging/dlls/internal/guard.h"
#include "imaging/dlls/mv7.h"

using namespace mv7::internal;

namespace {

constexpr char kPageMark = '|';
constexpr int kMaxPage = 32767;

// Extensions of every format the family reads, for an open extension list.
constexpr const char* kAllExtensions[] = {"BMP", "DIB", "JPG", "JPEG", "JPE", "JFIF", "GIF", "TIF",
                                          "TIFF", "PNG", "PCX", "FPX", "JP2", "J2K", "JPC", "J2C"};

// Length of the text before a valid page suffix, or npos when there is none.
size_t PageSuffixStart(std::string_view name) {
  const size_t mark = name.rfind(kPageMark);
  if (mark == std::string_view::npos || mark == 0) return std::string_view::npos;
  const std::string_view digits = name.substr(mark + 1);
  if (digits.empty() || digits.size() > 5) return std::string_view::npos;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::string_view::npos;
    value = value * 10 + (c - '0');
  }
  return value <= kMaxPage ? mark : std::string_view::npos;
}

bool IsSeparator(char c) { return c == ';' || c == ',' || c == '|' || c == ' ' || c == '\t'; }

// Calls `take` for every non-empty ';'-separated element.
template <typename F>
void ForEachElement(std::string_view list, F&& take) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start && !take(list.substr(start, end - start))) return;
    start = end + 1;
  }
}

}  // namespace

extern "C" {

MV7_API int32_t GetFileExt(const char* path, char* ext, int32_t size) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (!PathFits(path) || ext == nullptr || size < 1) return 0;
    const std::string_view p(path);
    const size_t slash = p.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? p : p.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return 0;
    std::string upper(name.substr(dot + 1));
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return CopyOut(upper, ext, static_cast<size_t>(size)) ? static_cast<int32_t>(upper.size()) : 0;
  });
}

MV7_API int32_t GetPathFileExt(const char* file_path, const char* file_ext, char table[][MV_EXT_ENTRY_SIZE]) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (table == nullptr || IsSetDrive(file_path) == 0) return 0;
    std::memset(table, 0, sizeof(char[MV_EXT_ENTRY_SIZE]) * MV_EXT_TABLE_ENTRIES);
    const std::string_view list = file_ext != nullptr ? std::string_view(file_ext) : std::string_view();
    int32_t count = 0;
    auto add = [&](std::string_view entry) {
      if (entry.size() >= MV_EXT_ENTRY_SIZE || count >= MV_EXT_TABLE_ENTRIES) return;
      std::memcpy(table[count], entry.data(), entry.size());
      table[count][entry.size()] = '\0';
      ++count;
    };
    std::string_view trimmed = list;
    while (!trimmed.empty() && IsSeparator(trimmed.front())) trimmed.remove_prefix(1);
    while (!trimmed.empty() && IsSeparator(trimmed.back())) trimmed.remove_suffix(1);
    if (trimmed.empty() || trimmed == "*" || trimmed == "*.*") {
      for (const char* e : kAllExtensions) add(e);
      return count;
    }
    size_t start = 0;
    while (start < list.size()) {
      while (start < list.size() && IsSeparator(list[start])) ++start;
      size_t end = start;
      while (end < list.size() && !IsSeparator(list[end])) ++end;
      if (end > start) add(list.substr(start, end - start));
      start = end;
    }
    return count;
  });
}

MV7_API int32_t GetPathDir(int32_t index, const char* file_path, char* dir) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (file_path == nullptr || dir == nullptr || index < 0) return 0;
    int32_t seen = 0;
    int32_t found = 0;
    ForEachElement(file_path, [&](std::string_view element) {
      while (element.size() > 1 && element.back() == '/') element.remove_suffix(1);
      if (element.size() >= MV_MAX_PATH) return true;  // over-long folders do not count
      if (seen++ < index) return true;
      found = CopyOut(std::string(element), dir, MV_MAX_PATH) ? 1 : 0;
      return false;
    });
    return found;
  });
}

MV7_API int32_t GetFullpathFilename(const char* path, char* dir, char* name) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (!PathFits(path) || dir == nullptr || name == nullptr) return 0;
    const std::string p(path);
    const size_t slash = p.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : (slash == 0 ? "/" : p.substr(0, slash));
    const std::string file = slash == std::string::npos ? p : p.substr(slash + 1);
    if (file.empty()) return 0;
    return CopyOut(folder, dir, MV_MAX_PATH) && CopyOut(file, name, MV_MAX_PATH) ? 1 : 0;
  });
}

MV7_API int32_t GetPagefromFilename(const char* name) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (!PathFits(name)) return 0;
    const std::string_view n(name);
    const size_t mark = PageSuffixStart(n);
    if (mark == std::string_view::npos) return 0;
    int32_t value = 0;
    for (char c : n.substr(mark + 1)) value = value * 10 + (c - '0');
    return value;
  });
}

MV7_API int32_t CutPagefromFilename(const char* name, char* out) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (!PathFits(name) || out == nullptr) return 0;
    const std::string_view n(name);
    const size_t mark = PageSuffixStart(n);
    const size_t keep = mark == std::string_view::npos ? n.size() : mark;
    std::memmove(out, name, keep);  // `out` may be `name`
    out[keep] = '\0';
    return 1;
  });
}

MV7_API int32_t IsSetDrive(const char* path) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (!PathFits(path)) return 0;
    bool any = false;
    bool all_absolute = true;
    ForEachElement(path, [&](std::string_view element) {
      any = true;
      all_absolute = all_absolute && element.front() == '/';
      return all_absolute;
    });
    return any && all_absolute ? 1 : 0;
  });
}

MV7_API int32_t SetTermYEN(char* path) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (!PathFits(path)) return 0;
    const size_t length = std::strlen(path);
    if (length == 0 || path[length - 1] == '/') return 1;
    if (length + 1 >= MV_MAX_PATH) return 0;
    path[length] = '/';
    path[length + 1] = '\0';
    return 1;
  });
}

}  // extern "C"

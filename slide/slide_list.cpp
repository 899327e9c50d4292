#include "slide/slide_list.h"

#include <fnmatch.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "slide/slide_list_text.h"
#include "viewer_common/file_list/dll_path_services.h"
#include "viewer_common/file_list/folder_list.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"

namespace slide {
namespace {

namespace fs = std::filesystem;
const imaging_dlls::Table& T() { return imaging_dlls::Entries(); }

bool ReadWholeFile(const std::string& path, std::string* out) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  if (ec || size > kMaxSlideFileBytes) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(static_cast<size_t>(size), '\0');
  in.read(out->data(), static_cast<std::streamsize>(size));
  out->resize(static_cast<size_t>(in.gcount()));
  return !in.bad();
}

}  // namespace

bool MatchesExtension(const std::string& name, const std::string& entry) {
  if (entry.empty()) return false;
  const std::string pattern = "*." + entry;
  return fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) == 0;
}

int16_t BuildFromSlideFile(const std::string& slide_file, file_list::EntryList* list, SlideFileReport* report) {
  SlideFileReport local;
  SlideFileReport& r = report ? *report : local;
  if (slide_file.empty()) return kStatusNoList;
  if (!T().IsSetDrive || !T().IsSetDrive(slide_file.c_str())) return kStatusNoList;
  if (!T().DataFileExist || !T().DataFileExist(slide_file.c_str())) return kStatusNoList;
  std::string bytes;
  if (!ReadWholeFile(slide_file, &bytes)) return kStatusNoList;
  const SlideListText text = SplitSlideList(bytes);
  r.refused = text.refused;
  r.shift_jis = text.shift_jis;
  const size_t start = list->size();
  for (const std::string& line : text.lines) {
    if (list->size() - start >= kMaxSlideEntries) break;
    ++r.lines;
    const int page = imaging_dlls::Call<&imaging_dlls::Table::GetPagefromFilename>(0, line.c_str());
    char path[MV_MAX_PATH] = {};
    if (!T().CutPagefromFilename || !T().CutPagefromFilename(line.c_str(), path)) {
      ++r.refused;
      continue;
    }
    MVFileInfo info{};
    if (page < 0 || page > INT16_MAX || imaging_dlls::FileType(path, page, &info) == 0) {
      ++r.unrecognised;
      continue;
    }
    char dir[MV_MAX_PATH] = {}, name[MV_MAX_PATH] = {};
    if (!T().GetFullpathFilename || !T().GetFullpathFilename(path, dir, name)) {
      ++r.refused;
      continue;
    }
    file_list::ThumbnailEntry e;
    e.folder = dir;
    e.file_name = name;
    e.image_number = static_cast<int16_t>(page);
    if (T().GetPathFileDateTime) T().GetPathFileDateTime(path, e.date_text);
    e.date_text[file_list::kDateTextSize - 1] = '\0';
    list->Append(std::move(e));
  }
  return 0;
}

bool EntriesOfFile(const std::string& folder, const std::string& name, bool multi_image, int sort_date,
                   std::vector<file_list::ThumbnailEntry>* out) {
  if (name.empty() || name[0] == '.') return false;  // hidden
  char path[MV_MAX_PATH] = {};
  if (folder.size() >= sizeof path) return false;
  std::memcpy(path, folder.data(), folder.size());
  if (!T().SetTermYEN || !T().SetTermYEN(path)) return false;
  const size_t dir_len = std::strlen(path);
  if (dir_len + name.size() >= sizeof path) return false;  // refused, never cut
  std::memcpy(path + dir_len, name.data(), name.size() + 1);
  // Every page is described by one reading of the file.
  std::vector<file_list::FileTypeInfo> pages;
  const int want = multi_image ? static_cast<int>(file_list::kMaxEntries) : 1;
  if (!imaging_dlls::CanLoadPictures() || !file_list::DllPathServices().FileTypePages(path, want, &pages) ||
      pages.empty())
    return false;
  const int count = multi_image ? std::max<int>(1, pages[0].image_count) : 1;
  char date[file_list::kDateTextSize] = {};
  if (T().GetFileDateTimeEx) T().GetFileDateTimeEx(path, sort_date, date);
  date[file_list::kDateTextSize - 1] = '\0';
  bool any = false;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && (static_cast<size_t>(i) >= pages.size() || pages[i].format == 0)) continue;
    file_list::ThumbnailEntry e;
    e.folder = folder;
    e.file_name = name;
    e.image_number = static_cast<int16_t>(i);
    std::memcpy(e.date_text, date, sizeof date);
    out->push_back(std::move(e));
    any = true;
  }
  return any;
}

int16_t BuildFromFolder(const FolderRequest& request, file_list::EntryList* list, bool* truncated) {
  if (truncated) *truncated = false;
  file_list::DllPathServices paths;
  if (request.file_path.empty() || !paths.IsSetDrive(request.file_path)) return kStatusNoList;
  file_list::ExtensionTable table;
  if (paths.SplitExtensions(request.file_path, request.file_ext, &table) < 1) return kStatusNoList;

  std::vector<file_list::ThumbnailEntry> found;
  long matched = 0;  // images of every recognised match, hidden ones too
  std::string dir;
  for (int d = 0; paths.FolderAt(d, request.file_path, &dir); ++d) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code ec2;
      if (it->is_directory(ec2)) continue;
      names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& ext : table) {
      for (const std::string& name : names) {
        if (!MatchesExtension(name, ext)) continue;
        if (name[0] == '.') {
          // Hidden pictures count towards "something was found" only.
          MVFileInfo info{};
          if (imaging_dlls::FileType((dir + "/" + name).c_str(), 0, &info)) ++matched;
          continue;
        }
        if (EntriesOfFile(dir, name, request.multi_image, request.sort_date, &found)) ++matched;
      }
    }
  }
  if (matched < 1) return kStatusNoList;
  list->Reserve(list->size() + found.size());
  // The first entries in listing order stay when the list fills up.
  for (auto& e : found)
    if (!list->Append(std::move(e))) {
      if (truncated) *truncated = true;
      break;
    }
  if (request.sort > 0 && list->size() >= 2) {
    file_list::SortParameters params;
    params.sort = request.sort;
    params.sort_order = request.sort_order;
    params.extensions = table;
    file_list::SortEntries(paths, std::move(params), list);
  }
  return 0;
}

}  // namespace slide

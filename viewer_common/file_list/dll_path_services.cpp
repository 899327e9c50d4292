#include "viewer_common/file_list/dll_path_services.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "viewer_common/imaging_dlls/imaging_dlls.h"

namespace file_list {
namespace {
const imaging_dlls::Table& T() { return imaging_dlls::Entries(); }
}  // namespace

bool DllPathServices::IsSetDrive(const std::string& file_path) const {
  return T().IsSetDrive && T().IsSetDrive(file_path.c_str()) != 0;
}

int DllPathServices::SplitExtensions(const std::string& file_path, const std::string& file_ext,
                                     ExtensionTable* table) const {
  table->clear();
  if (!T().GetPathFileExt) return 0;
  auto raw = std::make_unique<char[][MV_EXT_ENTRY_SIZE]>(MV_EXT_TABLE_ENTRIES);
  const int n = T().GetPathFileExt(file_path.c_str(), file_ext.c_str(), raw.get());
  for (int i = 0; i < n && i < MV_EXT_TABLE_ENTRIES; ++i)
    table->emplace_back(raw[i], strnlen(raw[i], MV_EXT_ENTRY_SIZE));
  return static_cast<int>(table->size());
}

bool DllPathServices::FolderAt(int index, const std::string& file_path, std::string* dir) const {
  if (!T().GetPathDir) return false;
  char buf[MV_MAX_PATH] = {};
  if (!T().GetPathDir(index, file_path.c_str(), buf)) return false;
  dir->assign(buf, strnlen(buf, sizeof buf));
  return true;
}

bool DllPathServices::FileExt(const std::string& path, std::string* ext) const {
  if (!T().GetFileExt) return false;
  char buf[MV_EXT_ENTRY_SIZE] = {};
  if (T().GetFileExt(path.c_str(), buf, sizeof buf) <= 0) return false;
  ext->assign(buf, strnlen(buf, sizeof buf));
  return true;
}

bool DllPathServices::FileType(const std::string& path, int index, FileTypeInfo* info) const {
  if (!T().MVFileType) return false;
  MVFileInfo raw{};
  if (!T().MVFileType(path.c_str(), index, &raw)) return false;
  info->format = raw.format;
  info->image_count = raw.image_count;
  return true;
}

namespace {

// The records of one call into `pages`: `ask` fills up to `max` records
// and returns how many it filled.
template <typename Ask>
bool LibraryPages(int max, std::vector<FileTypeInfo>* pages, Ask&& ask) {
  pages->clear();
  max = std::clamp(max, 1, 32767);
  // A few records on the stack (a listing of single pictures asks for one
  // per file); longer requests share one buffer per thread, grown to the
  // largest request and reused.
  MVFileInfo few[4];
  MVFileInfo* buffer = few;
  if (max > 4) {
    thread_local std::unique_ptr<MVFileInfo[]> many;
    thread_local int capacity = 0;
    if (capacity < max) {
      many.reset(new MVFileInfo[static_cast<size_t>(max)]);
      capacity = max;
    }
    buffer = many.get();
  }
  const int n = ask(buffer, max);
  if (n < 1) return false;
  pages->resize(static_cast<size_t>(std::min(n, max)));
  for (size_t k = 0; k < pages->size(); ++k) {
    (*pages)[k].format = buffer[k].format;
    (*pages)[k].image_count = buffer[k].image_count;
  }
  return true;
}

}  // namespace

bool DllPathServices::FileTypePages(const std::string& path, int max, std::vector<FileTypeInfo>* pages) const {
  if (!T().MVFileTypePages) return PathServices::FileTypePages(path, max, pages);
  return LibraryPages(max, pages, [&](MVFileInfo* infos, int n) { return T().MVFileTypePages(path.c_str(), infos, n); });
}

bool DllPathServices::FileTypePagesDated(const std::string& path, int max, int date_kind,
                                         std::vector<FileTypeInfo>* pages, char* date) const {
  if (!T().MVFileTypePagesDated) return PathServices::FileTypePagesDated(path, max, date_kind, pages, date);
  date[0] = '\0';
  const int kind = date_kind < 0 ? kDateLastWrite : date_kind;
  if (!LibraryPages(max, pages, [&](MVFileInfo* infos, int n) {
        return T().MVFileTypePagesDated(path.c_str(), infos, n, kind, date);
      }))
    return false;
  date[kDateTextSize - 1] = '\0';
  return true;
}

bool DllPathServices::FileTypePagesIn(int folder_fd, const std::string& folder, const char* name,
                                      const std::string& path, int max, int date_kind,
                                      std::vector<FileTypeInfo>* pages, char* date) const {
  if (folder_fd < 0 || !T().MVFileTypePagesAt)
    return PathServices::FileTypePagesIn(folder_fd, folder, name, path, max, date_kind, pages, date);
  char* const out = date_kind >= 0 ? date : nullptr;
  if (out) out[0] = '\0';
  if (!LibraryPages(max, pages, [&](MVFileInfo* infos, int n) {
        return T().MVFileTypePagesAt(folder_fd, folder.c_str(), name, infos, n, date_kind, out);
      }))
    return false;
  if (out) out[kDateTextSize - 1] = '\0';
  return true;
}

bool DllPathServices::DateText(const std::string& path, int kind, char* out) const {
  out[0] = '\0';
  return T().GetFileDateTimeEx && T().GetFileDateTimeEx(path.c_str(), kind, out) != 0;
}

int64_t DllPathServices::FileNameSize(const std::string& path) const {
  return T().DataFileNameSize ? T().DataFileNameSize(path.c_str()) : -1;
}

}  // namespace file_list

// File: viewer_common/file_list/dll_path_services.h
//
// The path services of the viewer controls: the imaging library family's
// own path, file-type and file-time entries, through the by-name binding.
// A missing entry makes its function fail; it is never called.
//
//   file_list::DllPathServices paths(/*multi_image_read=*/true);
//   file_list::BuildFolderList(paths, request, &list);
#pragma once

#include "viewer_common/file_list/path_services.h"

namespace file_list {

class DllPathServices : public PathServices {
 public:
  bool IsSetDrive(const std::string& file_path) const override;
  int SplitExtensions(const std::string& file_path, const std::string& file_ext, ExtensionTable* table) const override;
  bool FolderAt(int index, const std::string& file_path, std::string* dir) const override;
  bool FileExt(const std::string& path, std::string* ext) const override;
  bool FileType(const std::string& path, int index, FileTypeInfo* info) const override;
  // Through MVFileTypePages when the library has it: the file is read once.
  bool FileTypePages(const std::string& path, int max, std::vector<FileTypeInfo>* pages) const override;
  // Through MVFileTypePagesDated when the library has it: the date comes
  // from the same opening of the file.
  bool FileTypePagesDated(const std::string& path, int max, int date_kind, std::vector<FileTypeInfo>* pages,
                          char* date) const override;
  // Through MVFileTypePagesAt when the library has it and the folder is
  // held open: the file is opened relative to the folder.
  bool FileTypePagesIn(int folder_fd, const std::string& folder, const char* name, const std::string& path,
                       int max, int date_kind, std::vector<FileTypeInfo>* pages, char* date) const override;
  bool DateText(const std::string& path, int kind, char* out) const override;
  int64_t FileNameSize(const std::string& path) const override;
};

}  // namespace file_list

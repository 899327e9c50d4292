// File: viewer_common/file_list/path_services.h
//
// The path, file-type and file-time functions a folder list is built with.
// The viewer controls use the imaging library's functions (DllPathServices);
// NativePathServices does the same on its own for tests and tools, with a
// file-type check the caller supplies.
//
//   file_list::NativePathServices paths;
//   paths.SetRecognizer([](const std::string& path, int index, file_list::FileTypeInfo* info) {
//     ...; return true;
//   });
//
// Conventions: folder lists and extension lists are separated by ";" (the
// extension list also by ",", "|" and blanks), extensions are upper-case
// without the dot, date text is "YYYYMMDDhhmmss" in UTC (sorts in time order).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "viewer_common/file_list/thumbnail_entry.h"

namespace file_list {

inline constexpr size_t kMaxPath = 260;               // bytes, NUL included
inline constexpr size_t kExtensionTableEntries = 1000;
inline constexpr size_t kExtensionEntrySize = 64;     // bytes, NUL included

using ExtensionTable = std::vector<std::string>;

enum DateKind : int { kDateCreation = 0, kDateLastWrite = 1, kDateLastAccess = 2 };

struct FileTypeInfo {
  int16_t format = 0;
  int16_t image_count = 1;
};

class PathServices {
 public:
  virtual ~PathServices() = default;
  // True when every folder of the list is absolute and fits a path buffer.
  virtual bool IsSetDrive(const std::string& file_path) const = 0;
  // Fills `table`; returns the entries filled (0 on failure).
  virtual int SplitExtensions(const std::string& file_path, const std::string& file_ext, ExtensionTable* table) const = 0;
  // Folder `index` of the list into *dir; false past the last.
  virtual bool FolderAt(int index, const std::string& file_path, std::string* dir) const = 0;
  // The upper-cased extension of the name; false when it has none.
  virtual bool FileExt(const std::string& path, std::string* ext) const = 0;
  // Recognises picture `index` of the file from its content.
  virtual bool FileType(const std::string& path, int index, FileTypeInfo* info) const = 0;
  // FileTypePages(): the types of pictures 0 .. max-1 of the file (those
  // it has), as FileType() gives them, from one reading of the file:
  // (*pages)[k] is picture k, format 0 for a picture FileType() refuses.
  // False, with `pages` empty, when picture 0 is not recognised.  This
  // fallback asks FileType() page by page.
  virtual bool FileTypePages(const std::string& path, int max, std::vector<FileTypeInfo>* pages) const;
  // FileTypePagesDated(): FileTypePages() and, into `date` (kDateTextSize
  // bytes), the file's date text of `date_kind` as DateText() gives it,
  // from the same reading of the file; "" when the date cannot be taken.
  // This fallback asks DateText() after FileTypePages().
  virtual bool FileTypePagesDated(const std::string& path, int max, int date_kind, std::vector<FileTypeInfo>* pages,
                                  char* date) const;
  // FileTypePagesIn(): for the file `name` of `folder`, whose full path is
  // `path`, FileTypePagesDated() when date_kind >= 0, else FileTypePages()
  // (`date` untouched).  The caller holds the folder open as `folder_fd`
  // (-1 when it does not), so the file can be opened relative to it instead
  // of by its path.  This fallback asks by path.
  virtual bool FileTypePagesIn(int folder_fd, const std::string& folder, const char* name,
                               const std::string& path, int max, int date_kind, std::vector<FileTypeInfo>* pages,
                               char* date) const;
  // Date text of the kind into `out` (kDateTextSize bytes); false on failure.
  virtual bool DateText(const std::string& path, int kind, char* out) const = 0;
  // Size of a regular file, -1 when missing or not a regular file.
  virtual int64_t FileNameSize(const std::string& path) const = 0;
};

class NativePathServices : public PathServices {
 public:
  using Recognizer = std::function<bool(const std::string& path, int index, FileTypeInfo* info)>;
  void SetRecognizer(Recognizer r) { recognizer_ = std::move(r); }

  bool IsSetDrive(const std::string& file_path) const override;
  int SplitExtensions(const std::string& file_path, const std::string& file_ext, ExtensionTable* table) const override;
  bool FolderAt(int index, const std::string& file_path, std::string* dir) const override;
  bool FileExt(const std::string& path, std::string* ext) const override;
  bool FileType(const std::string& path, int index, FileTypeInfo* info) const override;
  bool DateText(const std::string& path, int kind, char* out) const override;
  int64_t FileNameSize(const std::string& path) const override;

 private:
  Recognizer recognizer_;
};

// FormatDateText(): "YYYYMMDDhhmmss" (UTC) of seconds since the epoch.
void FormatDateText(int64_t seconds, char* out);

}  // namespace file_list

// File: imaging/dlls/internal/file_date.h
//
// A file's date text ("YYYYMMDDhhmmss", UTC) of one kind, from its path or
// from a descriptor already open on it.
//
//   char date[MV_DATE_TEXT_SIZE];
//   if (mv7::internal::FileDateText(AT_FDCWD, "/p/a.jpg", 0, MV_DATE_LAST_WRITE, date)) ...
//   if (mv7::internal::FileDateText(fd, "", AT_EMPTY_PATH, MV_DATE_CREATION, date)) ...
#pragma once

#include <cstdint>

namespace mv7::internal {

// FileDateText(): statx(dirfd, path, flags) and the date of `kind`
// (MV_DATE_*: creation falls back to the last write where the file system
// keeps no birth time).  False for a folder, an unknown kind or a failure.
bool FileDateText(int dirfd, const char* path, int flags, int32_t kind, char* date);

}  // namespace mv7::internal

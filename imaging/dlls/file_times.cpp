// libmv7file.so: file times as sortable date text.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "imaging/dlls/internal/file_date.h"
#include "imaging/dlls/internal/guard.h"
#include "imaging/dlls/mv7.h"

using namespace mv7::internal;

namespace {

bool FormatTime(int64_t seconds, char* date) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (::gmtime_r(&t, &tm) == nullptr || tm.tm_year + 1900 > 9999 || tm.tm_year + 1900 < 0) return false;
  // Written digit by digit: a listing formats one date per file.
  const int fields[6] = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  char* out = date;
  for (int f = 0; f < 6; ++f) {
    const int width = f == 0 ? 4 : 2;
    if (fields[f] < 0 || fields[f] > (f == 0 ? 9999 : 99)) return false;
    for (int d = width - 1, v = fields[f]; d >= 0; --d, v /= 10) out[d] = static_cast<char>('0' + v % 10);
    out += width;
  }
  *out = '\0';
  return true;
}

int32_t DateOf(const char* path, int32_t kind, char* date) {
  if (!PathFits(path) || date == nullptr) return 0;
  return FileDateText(AT_FDCWD, path, 0, kind, date) ? 1 : 0;
}

}  // namespace

namespace mv7::internal {

bool FileDateText(int dirfd, const char* path, int flags, int32_t kind, char* date) {
  if (kind != MV_DATE_CREATION && kind != MV_DATE_LAST_WRITE && kind != MV_DATE_LAST_ACCESS) return false;
  struct statx st{};
  if (::statx(dirfd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) return false;
  if ((st.stx_mode & S_IFMT) == S_IFDIR) return false;
  int64_t seconds = st.stx_mtime.tv_sec;
  if (kind == MV_DATE_LAST_ACCESS) seconds = st.stx_atime.tv_sec;
  if (kind == MV_DATE_CREATION && (st.stx_mask & STATX_BTIME) != 0) seconds = st.stx_btime.tv_sec;
  return FormatTime(seconds, date);
}

}  // namespace mv7::internal

extern "C" {

MV7_API int32_t GetFileDateTimeEx(const char* path, int32_t kind, char* date) {
  return Guarded<int32_t>(0, [&] { return DateOf(path, kind, date); });
}

MV7_API int32_t GetPathFileDateTime(const char* path, char* date) {
  return Guarded<int32_t>(0, [&] { return DateOf(path, MV_DATE_LAST_WRITE, date); });
}

}  // extern "C"

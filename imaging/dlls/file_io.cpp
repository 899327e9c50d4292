// libmv7file.so: numbered file I/O.  Files opened for writing are written
// to a temporary file in the target's folder and renamed over the target
// when closed after clean writes, so a failed or interrupted write never
// damages the file that was there.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "imaging/dlls/internal/guard.h"
#include "imaging/dlls/mv7.h"

using namespace mv7::internal;

namespace {

struct OpenFile {
  int fd = -1;
  bool writing = false;
  bool failed = false;
  std::string temp_path;
  std::string final_path;
};

std::mutex g_mutex;
std::map<int32_t, OpenFile> g_files;
int32_t g_next = 1;

int32_t Register(OpenFile file) {
  std::lock_guard<std::mutex> lock(g_mutex);
  do {
    if (g_next < 1 || g_next == INT32_MAX) g_next = 1;
  } while (g_files.count(g_next++) != 0);
  const int32_t number = g_next - 1;
  g_files.emplace(number, std::move(file));
  return number;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsRegularFile(const char* path, struct stat* st) {
  return ::stat(path, st) == 0 && S_ISREG(st->st_mode);
}

}  // namespace

extern "C" {

MV7_API int32_t DataFileReadOpen(const char* path) {
  return Guarded<int32_t>(-1, [&]() -> int32_t {
    if (!PathFits(path)) return -1;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return -1;
    }
    OpenFile file;
    file.fd = fd;
    return Register(std::move(file));
  });
}

MV7_API int32_t DataFileCreateOpen(const char* path) {
  return Guarded<int32_t>(-1, [&]() -> int32_t {
    if (!PathFits(path) || *path == '\0' || path[std::char_traits<char>::length(path) - 1] == '/') return -1;
    const std::string final_path = path;
    struct stat st;
    mode_t mode = 0644;
    if (::stat(path, &st) == 0) {
      if (!S_ISREG(st.st_mode)) return -1;
      mode = st.st_mode & 07777;
    }
    std::string temp = FolderOf(final_path) + "/.mv7tmp.XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    ::fchmod(fd, mode);
    OpenFile file;
    file.fd = fd;
    file.writing = true;
    file.temp_path = temp;
    file.final_path = final_path;
    return Register(std::move(file));
  });
}

MV7_API int32_t DataFileClose(int32_t number) {
  return Guarded<int32_t>(-1, [&]() -> int32_t {
    OpenFile file;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      auto it = g_files.find(number);
      if (it == g_files.end()) return -1;
      file = std::move(it->second);
      g_files.erase(it);
    }
    if (!file.writing) return ::close(file.fd) == 0 ? 0 : -1;
    bool ok = !file.failed && ::fsync(file.fd) == 0;
    ok = ::close(file.fd) == 0 && ok;
    if (ok) ok = std::rename(file.temp_path.c_str(), file.final_path.c_str()) == 0;
    if (!ok) {
      ::unlink(file.temp_path.c_str());
      return -1;
    }
    const int dir = ::open(FolderOf(file.final_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);  // best effort: make the rename itself durable
      ::close(dir);
    }
    return 0;
  });
}

MV7_API int32_t __hread(int32_t number, void* buffer, int32_t count) {
  return Guarded<int32_t>(-1, [&]() -> int32_t {
    if (count < 0 || (buffer == nullptr && count > 0)) return -1;
    int fd;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      auto it = g_files.find(number);
      if (it == g_files.end() || it->second.writing) return -1;
      fd = it->second.fd;
    }
    int32_t done = 0;
    while (done < count) {
      const ssize_t n = ::read(fd, static_cast<char*>(buffer) + done, static_cast<size_t>(count - done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return -1;
      if (n == 0) break;
      done += static_cast<int32_t>(n);
    }
    return done;
  });
}

MV7_API int32_t __hwrite(int32_t number, const void* buffer, int32_t count) {
  return Guarded<int32_t>(-1, [&]() -> int32_t {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_files.find(number);
    if (it == g_files.end() || !it->second.writing) return -1;
    OpenFile& file = it->second;
    if (count < 0 || (buffer == nullptr && count > 0)) {
      file.failed = true;
      return -1;
    }
    int32_t done = 0;
    while (done < count) {
      const ssize_t n = ::write(file.fd, static_cast<const char*>(buffer) + done, static_cast<size_t>(count - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        file.failed = true;  // the close will keep the old file
        return -1;
      }
      done += static_cast<int32_t>(n);
    }
    return done;
  });
}

MV7_API int32_t DataFileExist(const char* path) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    struct stat st;
    return PathFits(path) && IsRegularFile(path, &st) ? 1 : 0;
  });
}

MV7_API int32_t DataFileDelete(const char* path) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    struct stat st;
    if (!PathFits(path) || ::lstat(path, &st) != 0 || S_ISDIR(st.st_mode)) return 0;
    return ::unlink(path) == 0 ? 1 : 0;
  });
}

MV7_API int64_t DataFileNameSize(const char* path) {
  return Guarded<int64_t>(-1, [&]() -> int64_t {
    struct stat st;
    if (!PathFits(path) || !IsRegularFile(path, &st)) return -1;
    return static_cast<int64_t>(st.st_size);
  });
}

}  // extern "C"

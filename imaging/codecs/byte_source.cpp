// Byte sources over files (pread on one descriptor) and buffers.
#include "imaging/codecs/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace imaging::codecs {

const uint8_t* ByteSource::Head(size_t n, size_t* got) {
  const size_t want = static_cast<size_t>(std::min<uint64_t>(n, size()));
  if (head_.size() < want) {
    head_.resize(want);
    head_.resize(ReadAt(0, head_.data(), want));
  }
  *got = std::min(head_.size(), want);
  return head_.data();
}

bool ByteSource::ReadRange(uint64_t offset, size_t n, std::vector<uint8_t>* out) {
  if (offset > size() || n > size() - offset) return false;
  out->resize(n);
  return n == 0 || ReadAt(offset, out->data(), n) == n;
}

FileByteSource::~FileByteSource() {
  if (fd_ >= 0) ::close(fd_);
}

Result FileByteSource::Open(const std::string& path) { return OpenFile(AT_FDCWD, path.c_str()); }

Result FileByteSource::OpenAt(int folder_fd, const char* name) { return OpenFile(folder_fd, name); }

Result FileByteSource::OpenFile(int folder_fd, const char* path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
  size_known_ = false;
  head_.clear();
  first_size_ = 0;
  // Non-blocking, so that a pipe or device given as a file name fails at
  // its first read instead of waiting for a writer.
  const int fd = ::openat(folder_fd, path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return errno == ENOENT || errno == ENOTDIR ? Result(Status::kNotFound, std::string("file not found: ") + path)
                                               : Result(Status::kCannotOpen, std::string("cannot open: ") + path);
  }
  // The head is read at once: every reader starts there, and a read that
  // fails tells a folder, pipe or socket from a file without asking the
  // file system for the file's status (a listing opens thousands of files).
  ssize_t got;
  do {
    got = ::pread(fd, first_, sizeof first_, 0);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    ::close(fd);
    return Result(Status::kCannotOpen, std::string("not a regular file: ") + path);
  }
  first_size_ = static_cast<size_t>(got);
  bytes_read_ += static_cast<uint64_t>(got);
  fd_ = fd;
  if (first_size_ < kHeadBytes) {  // the whole file is in the head
    size_ = first_size_;
    size_known_ = true;
  }
  return Result::Ok();
}

uint64_t FileByteSource::size() const {
  if (!size_known_ && fd_ >= 0) {
    struct stat st {};
    // A device or anything else without a length ends with its head.
    size_ = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : head_size();
    size_ = std::max<uint64_t>(size_, head_size());
    size_known_ = true;
  }
  return size_;
}

size_t FileByteSource::ReadAt(uint64_t offset, void* out, size_t n) {
  if (fd_ < 0 || n == 0) return 0;
  if (offset + n <= head_size()) {  // already fetched with the head
    std::memcpy(out, head_data() + offset, n);
    return n;
  }
  if (offset >= size()) return 0;
  n = static_cast<size_t>(std::min<uint64_t>(n, size() - offset));
  size_t done = 0;
  auto* dst = static_cast<uint8_t*>(out);
  while (done < n) {
    const ssize_t k = ::pread(fd_, dst + done, n - done, static_cast<off_t>(offset + done));
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) break;
    done += static_cast<size_t>(k);
  }
  bytes_read_ += done;
  return done;
}

const uint8_t* FileByteSource::Head(size_t n, size_t* got) {
  const size_t have = head_size();
  const size_t want = n <= have ? n : static_cast<size_t>(std::min<uint64_t>(n, size()));
  if (have < want) {
    // Only the part not fetched yet is read, after what the first read gave.
    std::vector<uint8_t> more(want - have);
    more.resize(ReadAt(have, more.data(), more.size()));
    if (!grown()) head_.assign(first_, first_ + first_size_);
    head_.insert(head_.end(), more.begin(), more.end());
  }
  *got = std::min(head_size(), want);
  return head_data();
}

size_t MemoryByteSource::ReadAt(uint64_t offset, void* out, size_t n) {
  if (offset >= size_ || n == 0) return 0;
  n = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
  std::memcpy(out, data_ + offset, n);
  return n;
}

const uint8_t* MemoryByteSource::Head(size_t n, size_t* got) {
  *got = std::min(n, size_);
  return data_;
}

}  // namespace imaging::codecs

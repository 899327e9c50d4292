// File: imaging/codecs/byte_source.h
//
// Random access to a picture file's bytes without reading the whole file:
// header readers ask for the ranges they need.  FileByteSource keeps the
// file open and serves its first bytes from one read (into a buffer of its
// own, so that recognising a file allocates nothing for its head);
// MemoryByteSource serves a buffer (tests, fuzzing).
//
//   imaging::codecs::FileByteSource src;
//   if (!src.Open("/p/a.tif").ok()) ...
//   uint8_t head[16];
//   if (src.ReadAt(0, head, sizeof head) != sizeof head) ... short file ...
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/status.h"

namespace imaging::codecs {

// The bytes a header reader looks at first; formats whose header lies
// further in read more by seeking.
inline constexpr size_t kHeadBytes = 4096;

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // size(): the file's length in bytes.
  virtual uint64_t size() const = 0;
  // ReadAt(): copies up to `n` bytes from `offset` into `out`; returns the
  // bytes copied (fewer at the end of the file, 0 past it or on a read
  // error).
  virtual size_t ReadAt(uint64_t offset, void* out, size_t n) = 0;

  // Head(): the first min(size(), n) bytes, as a view valid until the next
  // call on this source.
  virtual const uint8_t* Head(size_t n, size_t* got);
  // ReadRange(): bytes [offset, offset + n) into `out`; false when the file
  // is shorter.
  bool ReadRange(uint64_t offset, size_t n, std::vector<uint8_t>* out);

 protected:
  std::vector<uint8_t> head_;
};

class FileByteSource : public ByteSource {
 public:
  FileByteSource() = default;
  ~FileByteSource() override;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;

  // Open(): opens the file and reads its first kHeadBytes.  kNotFound,
  // kCannotOpen (also for a folder, pipe or anything else that cannot be
  // read as a file).
  Result Open(const std::string& path);
  // OpenAt(): Open() of `name` in the folder open as `folder_fd` (openat()
  // semantics: an absolute `name` ignores the folder), for listings that
  // open many files of one folder without looking its path up each time.
  Result OpenAt(int folder_fd, const char* name);
  // size(): known from the head for short files, else asked of the file
  // system once, when first needed.
  uint64_t size() const override;
  size_t ReadAt(uint64_t offset, void* out, size_t n) override;
  const uint8_t* Head(size_t n, size_t* got) override;
  // bytes_read(): bytes fetched from the file so far (each range once per
  // request; the head is fetched once).
  uint64_t bytes_read() const { return bytes_read_; }
  // descriptor(): the open file, -1 when none (for asking about the file
  // itself, e.g. its times, without a second lookup of its path).
  int descriptor() const { return fd_; }

 private:
  Result OpenFile(int folder_fd, const char* path);
  // The head lives in first_ until a reader asks for more than one read
  // gave; from then on it lives in head_.
  bool grown() const { return !head_.empty(); }
  const uint8_t* head_data() const { return grown() ? head_.data() : first_; }
  size_t head_size() const { return grown() ? head_.size() : first_size_; }

  int fd_ = -1;
  uint8_t first_[kHeadBytes];
  size_t first_size_ = 0;
  mutable uint64_t size_ = 0;
  mutable bool size_known_ = false;
  uint64_t bytes_read_ = 0;
};

class MemoryByteSource : public ByteSource {
 public:
  MemoryByteSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* out, size_t n) override;
  const uint8_t* Head(size_t n, size_t* got) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

}  // namespace imaging::codecs

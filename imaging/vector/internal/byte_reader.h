// File: imaging/vector/internal/byte_reader.h
//
// Bounds-checked little-endian reads over a byte range.  A read past the end
// yields 0 and marks the reader failed, so record parsers read their fields
// first and test ok() once.
//
//   ByteReader r(data, size);
//   const int16_t x = r.I16(), y = r.I16();
//   if (!r.ok()) return Result(Status::kBroken, "record cut short");
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging::vector::internal {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  size_t pos() const { return pos_; }
  size_t size() const { return size_; }
  size_t left() const { return pos_ <= size_ ? size_ - pos_ : 0; }
  const uint8_t* data() const { return data_; }
  const uint8_t* here() const { return data_ + (pos_ <= size_ ? pos_ : size_); }

  void Seek(size_t pos) {
    if (pos > size_) {
      ok_ = false;
      pos_ = size_;
    } else {
      pos_ = pos;
    }
  }
  void Skip(size_t n) { Seek(n > left() ? size_ + 1 : pos_ + n); }

  uint8_t U8() { return Need(1) ? data_[pos_++] : 0; }
  uint16_t U16() {
    if (!Need(2)) return 0;
    const uint16_t v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  uint32_t U32() {
    if (!Need(4)) return 0;
    const uint32_t v = static_cast<uint32_t>(data_[pos_]) | static_cast<uint32_t>(data_[pos_ + 1]) << 8 |
                       static_cast<uint32_t>(data_[pos_ + 2]) << 16 | static_cast<uint32_t>(data_[pos_ + 3]) << 24;
    pos_ += 4;
    return v;
  }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  float F32() {
    const uint32_t bits = U32();
    float f;
    static_assert(sizeof f == 4);
    __builtin_memcpy(&f, &bits, 4);
    return f;
  }

 private:
  bool Need(size_t n) {
    if (!ok_ || n > left()) {
      ok_ = false;
      return false;
    }
    return true;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace imaging::vector::internal

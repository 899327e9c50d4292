// File: viewer_common/hosting/property_stream.h
//
// The byte form of a control's persisted properties: a header (magic
// "OSPS", format version, the control's extent in HIMETRIC), then each
// entry of the property map in map order as DISPID, value type and value,
// little-endian.  The reader checks every length against what is left, so a
// short or damaged stream ends reading instead of reading past the end.
//
//   hosting::StreamWriter w;
//   w.WriteHeader(5080, 5080);
//   w.WriteEntry(-501, hosting::Variant::Color(0xFFFFFF), {});
//   hosting::StreamReader r(w.bytes().data(), w.bytes().size());
#pragma once

#include <cstdint>
#include <vector>

#include "viewer_common/hosting/type_info.h"
#include "viewer_common/hosting/variant.h"

namespace hosting {

inline constexpr uint32_t kStreamMagic = 0x5350534Fu;  // "OSPS"
inline constexpr uint16_t kStreamVersion = 1;
// Bounds no real property reaches; larger lengths mark a damaged stream.
inline constexpr uint32_t kMaxStreamString = 1u << 20;    // UTF-16 units
inline constexpr uint32_t kMaxStreamPicture = 256u << 20;  // bytes

class StreamWriter {
 public:
  void WriteHeader(int32_t extent_x, int32_t extent_y);
  // `picture_bytes` is the picture's stream form for kPicture values.
  void WriteEntry(DispId id, const Variant& value, const std::vector<uint8_t>& picture_bytes);
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  void U16(uint16_t v);
  void U32(uint32_t v);
  void U64(uint64_t v);
  void Text(const std::u16string& s);
  std::vector<uint8_t> bytes_;
};

class StreamReader {
 public:
  StreamReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
  // ReadHeader(): false when the magic or version is wrong or data is short.
  bool ReadHeader(int32_t* extent_x, int32_t* extent_y);
  // ReadEntry(): false at the end of the data or on a malformed entry.  A
  // picture's bytes point into the stream (valid while it is).
  bool ReadEntry(DispId* id, Variant* value, const uint8_t** picture, size_t* picture_size);

 private:
  bool U16(uint16_t* v);
  bool U32(uint32_t* v);
  bool U64(uint64_t* v);
  bool Text(std::u16string* s);
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace hosting

// File: thumb/thumb_file.h
//
// The thumbnail file: thumbnails kept from one run to the next.  All
// integers little-endian:
//
//   offset 0   16 bytes  magic "MV6100THUMBNAIL" and its NUL
//   offset 16   4 bytes  reserved (0)
//   offset 20   2 bytes  the thumbnail size (longer side) when written
//   offset 22  records, one per entry:
//              2 L1, L1 folder with NUL, 2 L2, L2 file name with NUL,
//              15 date text, 2 image number, 4 L3, L3 packed DIB
//
// L3 is 0 for an entry written without a thumbnail.  The reader trusts no
// length: each is bounded by the path buffers (260 bytes) and the bytes
// left, a DIB must be a well-formed packed DIB of exactly L3 bytes, and the
// first short or mismatched field ends the reading with the records before
// it kept.
//
//   thumb::ThumbFileReader reader(source);
//   thumb::ThumbRecord rec;
//   if (!reader.ReadHeader()) ... not a thumbnail file ...
//   while (reader.Next(&rec)) ...
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace thumb {

inline constexpr char kThumbMagic[16] = "MV6100THUMBNAIL";
inline constexpr size_t kThumbHeaderSize = 22;
inline constexpr size_t kThumbDateSize = 15;
inline constexpr size_t kThumbMaxString = 260;   // L1 and L2, NUL included
inline constexpr size_t kThumbMinFileSize = 37;  // smaller files are not read

struct ThumbRecord {
  std::string folder;
  std::string file_name;
  char date[16] = {};       // 15 bytes as stored, NUL added
  int16_t image_number = 0;
  std::vector<uint8_t> dib; // empty: written without a thumbnail
};

// Reads `n` bytes into `buffer`; returns the bytes read (fewer at the end,
// negative on failure).
using ReadFn = std::function<int64_t(void* buffer, size_t n)>;

class ThumbFileReader {
 public:
  explicit ThumbFileReader(ReadFn read) : read_(std::move(read)) {}
  // ReadHeader(): false when the header is short or the magic differs.
  bool ReadHeader();
  int16_t image_size() const { return image_size_; }
  // Next(): the next whole record; false at the end or at the first short
  // or malformed field (damaged() tells which).
  bool Next(ThumbRecord* out);
  bool damaged() const { return damaged_; }
  uint64_t consumed() const { return consumed_; }

 private:
  bool Read(void* buffer, size_t n);
  bool ReadString(std::string* out);
  ReadFn read_;
  int16_t image_size_ = 0;
  bool damaged_ = false;
  bool ended_ = false;
  uint64_t consumed_ = 0;
};

// PackedDibSize(): header + colour table + height x stride of a packed DIB
// header, or 0 when the header is not one the family makes (40-byte header,
// positive size, 1/4/8/16/24/32 bits, uncompressed, sane colour count).
size_t PackedDibSize(const uint8_t* dib, size_t available);

// Serialisation for the writer.
void AppendThumbHeader(std::vector<uint8_t>* out, int16_t image_size);
// AppendThumbRecord(): false (nothing appended) when a string does not fit
// its 260-byte buffer.
bool AppendThumbRecord(std::vector<uint8_t>* out, const std::string& folder, const std::string& file_name,
                       const char* date, int16_t image_number, const uint8_t* dib, size_t dib_size);

// StartsWithThumbMagic(): the first 16 bytes are the magic.
bool StartsWithThumbMagic(const uint8_t* data, size_t size);

}  // namespace thumb

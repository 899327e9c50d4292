// Tests of gathering a JPEG header by its markers: what is kept, what is
// only seeked over, and malformed or cut headers.
#include "imaging/codecs/internal/jpeg_header.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace imaging::codecs::internal {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Segment(uint8_t marker, const Bytes& payload) {
  Bytes s = {0xFF, marker, static_cast<uint8_t>((payload.size() + 2) >> 8),
             static_cast<uint8_t>((payload.size() + 2) & 0xFF)};
  s.insert(s.end(), payload.begin(), payload.end());
  return s;
}

Bytes Jpeg(std::initializer_list<Bytes> segments) {
  Bytes j = {0xFF, 0xD8};
  for (const Bytes& s : segments) j.insert(j.end(), s.begin(), s.end());
  return j;
}

// A source that remembers every range asked of it.
class RecordingSource : public MemoryByteSource {
 public:
  explicit RecordingSource(const Bytes& b) : MemoryByteSource(b.data(), b.size()) {}
  size_t ReadAt(uint64_t offset, void* out, size_t n) override {
    reads.emplace_back(offset, n);
    return MemoryByteSource::ReadAt(offset, out, n);
  }
  // True when some read touched [from, to).
  bool Touched(uint64_t from, uint64_t to) const {
    for (const auto& [at, n] : reads)
      if (at < to && at + n > from) return true;
    return false;
  }
  std::vector<std::pair<uint64_t, size_t>> reads;
};

const Bytes kExif = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0};
const Bytes kJfif = {'J', 'F', 'I', 'F', 0, 1, 2, 0, 0, 1, 0, 1, 0, 0};
const Bytes kFrame = {8, 0, 4, 0, 6, 1, 1, 0x11, 0};  // 6 x 4, one component
const Bytes kScan = Segment(0xDA, {1, 1, 0, 0, 63, 0});

bool Gather(const Bytes& file, Bytes* out, bool* exif) {
  MemoryByteSource src(file.data(), file.size());
  return JpegGatherHeader(&src, out, exif).ok();
}

TEST(JpegGatherHeader, KeepsTheFrameJfifAndExifAndEndsWithTheScanHeader) {
  const Bytes icc(5000, 0x11);
  const Bytes file = Jpeg({Segment(0xE0, kJfif), Segment(0xE2, icc), Segment(0xE1, kExif), Segment(0xFE, icc),
                           Segment(0xC0, kFrame), kScan, Bytes(100, 0x55), {0xFF, 0xD9}});
  Bytes head;
  bool exif = false;
  ASSERT_TRUE(Gather(file, &head, &exif));
  EXPECT_TRUE(exif);
  Bytes expected = Jpeg({Segment(0xE0, kJfif), Segment(0xE1, kExif), Segment(0xC0, kFrame), kScan});
  expected.push_back(0xFF);
  expected.push_back(0xD9);
  EXPECT_EQ(head, expected);

  // The ICC and comment segments were seeked over: of each only the
  // identifier (at most 6 bytes) was looked at.
  RecordingSource src(file);
  ASSERT_TRUE(JpegGatherHeader(&src, &head, &exif).ok());
  const uint64_t icc_body = 2 + Segment(0xE0, kJfif).size() + 4;
  EXPECT_FALSE(src.Touched(icc_body + 6, icc_body + icc.size()));
  const uint64_t com_body = icc_body + icc.size() + Segment(0xE1, kExif).size() + 4;
  EXPECT_FALSE(src.Touched(com_body, com_body + icc.size()));
  EXPECT_FALSE(src.Touched(file.size() - 102, file.size())) << "the scan data was read";
}

TEST(JpegGatherHeader, TellsExifOnlyAheadOfTheScan) {
  Bytes head;
  bool exif = true;
  ASSERT_TRUE(Gather(Jpeg({Segment(0xE0, kJfif), Segment(0xC0, kFrame), kScan, Segment(0xE1, kExif)}), &head, &exif));
  EXPECT_FALSE(exif);
  const Bytes xmp = {'h', 't', 't', 'p', ':', '/', '/', 'n', 's'};
  ASSERT_TRUE(Gather(Jpeg({Segment(0xE1, xmp), Segment(0xC0, kFrame), kScan}), &head, &exif));
  EXPECT_FALSE(exif);
  // Two EXIF blocks: the first is kept, the second skipped.
  Bytes other_exif = kExif;
  other_exif.push_back(7);
  ASSERT_TRUE(Gather(Jpeg({Segment(0xE1, kExif), Segment(0xE1, other_exif), Segment(0xC0, kFrame), kScan}), &head,
                     &exif));
  EXPECT_TRUE(exif);
  EXPECT_EQ(head.size(), 2 + Segment(0xE1, kExif).size() + Segment(0xC0, kFrame).size() + kScan.size() + 2);
  // Fill bytes and restart markers between segments are passed over.
  ASSERT_TRUE(Gather(Jpeg({{0xFF, 0xFF}, Segment(0xC0, kFrame), {0xFF, 0xD0}, kScan}), &head, &exif));
  // So are stray bytes after a segment that ends short of its content
  // (a stuffed zero among them is no marker); they are not copied.
  ASSERT_TRUE(Gather(Jpeg({Segment(0xE1, kExif), {0x12, 0x34, 0xFF, 0x00, 0x56}, Segment(0xC0, kFrame), kScan}),
                     &head, &exif));
  Bytes clean = Jpeg({Segment(0xE1, kExif), Segment(0xC0, kFrame), kScan});
  clean.push_back(0xFF);
  clean.push_back(0xD9);
  EXPECT_EQ(head, clean);
  EXPECT_TRUE(exif);
  // An application segment with a length below 2 counts as empty, as in
  // libjpeg; a frame header that short is an error.
  ASSERT_TRUE(Gather(Jpeg({{0xFF, 0xED, 0x00, 0x01}, Segment(0xC0, kFrame), kScan}), &head, &exif));
  EXPECT_FALSE(Gather(Jpeg({{0xFF, 0xC0, 0x00, 0x01}, kScan}), &head, &exif));
}

TEST(JpegGatherHeader, RefusesCutAndMalformedHeaders) {
  const Bytes full = Jpeg({Segment(0xE0, kJfif), Segment(0xE1, kExif), Segment(0xC0, kFrame), kScan});
  Bytes head;
  bool exif = false;
  for (size_t n = 3; n < full.size(); ++n) {
    const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    MemoryByteSource src(cut.data(), cut.size());
    EXPECT_EQ(JpegGatherHeader(&src, &head, &exif).code(), Status::kBroken) << n;
  }
  Bytes huge_length = full;
  huge_length[4] = 0xFF;  // the APP0 length runs past the end
  huge_length[5] = 0xFF;
  MemoryByteSource huge(huge_length.data(), huge_length.size());
  EXPECT_EQ(JpegGatherHeader(&huge, &head, &exif).code(), Status::kBroken);
  const Bytes zero_length = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xE1};
  MemoryByteSource zero(zero_length.data(), zero_length.size());
  EXPECT_EQ(JpegGatherHeader(&zero, &head, &exif).code(), Status::kBroken);
  const Bytes no_marker = {0xFF, 0xD8, 0xFF, 0xC0, 0, 11, 8, 0, 4, 0, 6, 1, 1, 0x11, 0, 0x12, 0x34};
  MemoryByteSource junk(no_marker.data(), no_marker.size());
  EXPECT_EQ(JpegGatherHeader(&junk, &head, &exif).code(), Status::kBroken);
  const Bytes end_first = {0xFF, 0xD8, 0xFF, 0xD9};
  MemoryByteSource ended(end_first.data(), end_first.size());
  EXPECT_EQ(JpegGatherHeader(&ended, &head, &exif).code(), Status::kBroken);
  const Bytes not_jpeg = {'P', 'K', 3, 4, 0, 0};
  MemoryByteSource zip(not_jpeg.data(), not_jpeg.size());
  EXPECT_EQ(JpegGatherHeader(&zip, &head, &exif).code(), Status::kBadFile);
  // Endless tiny segments end at the segment limit, not at the file's end.
  Bytes many = {0xFF, 0xD8};
  for (int i = 0; i < 10000; ++i) {
    const Bytes s = Segment(0xE5, {});
    many.insert(many.end(), s.begin(), s.end());
  }
  MemoryByteSource endless(many.data(), many.size());
  EXPECT_EQ(JpegGatherHeader(&endless, &head, &exif).code(), Status::kBroken);
}

}  // namespace
}  // namespace imaging::codecs::internal

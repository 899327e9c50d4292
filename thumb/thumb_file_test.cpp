#include "thumb/thumb_file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace thumb {
namespace {

// A small packed DIB: 40-byte header and 24-bit rows.
std::vector<uint8_t> Dib(int w, int h, uint8_t fill) {
  const size_t stride = (24 * w + 31) / 32 * 4;
  std::vector<uint8_t> d(40 + stride * h, fill);
  std::memset(d.data(), 0, 40);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(d.data() + at, &v, 4); };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(w));
  put32(8, static_cast<uint32_t>(h));
  d[12] = 1;
  d[14] = 24;
  return d;
}

ReadFn MemoryReader(const std::vector<uint8_t>& bytes, size_t* pos) {
  return [&bytes, pos](void* buffer, size_t n) -> int64_t {
    const size_t take = std::min(n, bytes.size() - *pos);
    std::memcpy(buffer, bytes.data() + *pos, take);
    *pos += take;
    return static_cast<int64_t>(take);
  };
}

std::vector<ThumbRecord> ReadAll(const std::vector<uint8_t>& bytes, bool* header_ok, bool* damaged) {
  size_t pos = 0;
  ThumbFileReader reader(MemoryReader(bytes, &pos));
  std::vector<ThumbRecord> out;
  *header_ok = reader.ReadHeader();
  ThumbRecord r;
  while (*header_ok && reader.Next(&r)) out.push_back(r);
  *damaged = reader.damaged();
  return out;
}

std::vector<uint8_t> ThreeRecords() {
  std::vector<uint8_t> bytes;
  AppendThumbHeader(&bytes, 96);
  const std::vector<uint8_t> a = Dib(3, 2, 0x11), c = Dib(1, 1, 0x33);
  EXPECT_TRUE(AppendThumbRecord(&bytes, "/pics", "a.jpg", "20240101120000", 0, a.data(), a.size()));
  EXPECT_TRUE(AppendThumbRecord(&bytes, "/pics", "b.tif", "20240101120001", 2, nullptr, 0));
  EXPECT_TRUE(AppendThumbRecord(&bytes, "/", "c.png", "20240101120002", 0, c.data(), c.size()));
  return bytes;
}

TEST(ThumbFile, HeaderLayout) {
  std::vector<uint8_t> bytes;
  AppendThumbHeader(&bytes, 128);
  ASSERT_EQ(bytes.size(), kThumbHeaderSize);
  EXPECT_EQ(std::memcmp(bytes.data(), "MV6100THUMBNAIL\0", 16), 0);
  EXPECT_EQ(bytes[16] | bytes[17] | bytes[18] | bytes[19], 0);
  EXPECT_EQ(bytes[20], 128);
  EXPECT_EQ(bytes[21], 0);
}

TEST(ThumbFile, RecordsRoundTrip) {
  const std::vector<uint8_t> bytes = ThreeRecords();
  bool ok = false, damaged = true;
  const std::vector<ThumbRecord> recs = ReadAll(bytes, &ok, &damaged);
  ASSERT_TRUE(ok);
  EXPECT_FALSE(damaged);
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(recs[0].folder, "/pics");
  EXPECT_EQ(recs[0].file_name, "a.jpg");
  EXPECT_STREQ(recs[0].date, "20240101120000");
  EXPECT_EQ(recs[0].dib, Dib(3, 2, 0x11));
  EXPECT_EQ(recs[1].image_number, 2);
  EXPECT_TRUE(recs[1].dib.empty());
  EXPECT_EQ(recs[2].folder, "/");
}

TEST(ThumbFile, DamageKeepsTheRecordsBeforeIt) {
  const std::vector<uint8_t> good = ThreeRecords();
  // Every truncation point: never more records than whole ones before it.
  for (size_t cut = 0; cut < good.size(); ++cut) {
    std::vector<uint8_t> bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    bool ok = false, damaged = false;
    const std::vector<ThumbRecord> recs = ReadAll(bytes, &ok, &damaged);
    EXPECT_EQ(ok, cut >= kThumbHeaderSize) << cut;
    EXPECT_LE(recs.size(), 2u) << cut;
    for (size_t i = 0; i < recs.size(); ++i) EXPECT_FALSE(recs[i].file_name.empty());
  }
  // A length past the 260-byte buffers stops the reading after record 1.
  std::vector<uint8_t> bytes;
  AppendThumbHeader(&bytes, 96);
  const std::vector<uint8_t> a = Dib(2, 2, 1);
  ASSERT_TRUE(AppendThumbRecord(&bytes, "/p", "a.bmp", "x", 0, a.data(), a.size()));
  bytes.push_back(0x05);
  bytes.push_back(0x01);  // L1 = 261
  bytes.insert(bytes.end(), 400, 'x');
  bool ok = false, damaged = false;
  EXPECT_EQ(ReadAll(bytes, &ok, &damaged).size(), 1u);
  EXPECT_TRUE(damaged);
}

TEST(ThumbFile, MismatchedDibEndsReading) {
  std::vector<uint8_t> bytes;
  AppendThumbHeader(&bytes, 96);
  std::vector<uint8_t> d = Dib(4, 4, 7);
  d.push_back(0);  // L3 one byte longer than the DIB's own size
  ASSERT_TRUE(AppendThumbRecord(&bytes, "/p", "a.bmp", "x", 0, d.data(), d.size()));
  bool ok = false, damaged = false;
  EXPECT_TRUE(ReadAll(bytes, &ok, &damaged).empty());
  EXPECT_TRUE(damaged);
  // A name without its NUL, or with one inside, is damage too.
  std::vector<uint8_t> bad;
  AppendThumbHeader(&bad, 96);
  ASSERT_TRUE(AppendThumbRecord(&bad, "/p", "abc", "x", 0, nullptr, 0));
  bad[kThumbHeaderSize + 2 + 3 + 2 + 1] = 0;  // "a\0c\0"
  EXPECT_TRUE(ReadAll(bad, &ok, &damaged).empty());
  EXPECT_TRUE(damaged);
}

TEST(ThumbFile, WrongMagicIsNotRead) {
  std::vector<uint8_t> bytes = ThreeRecords();
  bytes[3] = 'X';
  bool ok = true, damaged = false;
  EXPECT_TRUE(ReadAll(bytes, &ok, &damaged).empty());
  EXPECT_FALSE(ok);
}

TEST(ThumbFile, WriterRefusesLongPaths) {
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(AppendThumbRecord(&bytes, std::string(260, 'a'), "b", "x", 0, nullptr, 0));
  EXPECT_TRUE(bytes.empty());
  EXPECT_TRUE(AppendThumbRecord(&bytes, std::string(259, 'a'), "b", "x", 0, nullptr, 0));
}

TEST(ThumbFile, PackedDibSizeChecksTheHeader) {
  const std::vector<uint8_t> d = Dib(5, 3, 0);
  EXPECT_EQ(PackedDibSize(d.data(), d.size()), 40u + 16u * 3u);
  std::vector<uint8_t> pal = Dib(5, 3, 0);
  pal[14] = 8;  // 8 bits, 256 colours by default
  EXPECT_EQ(PackedDibSize(pal.data(), pal.size()), 40u + 1024u + 8u * 3u);
  pal[32] = 16;  // 16 colours used
  EXPECT_EQ(PackedDibSize(pal.data(), pal.size()), 40u + 64u + 8u * 3u);
  std::vector<uint8_t> bad = Dib(5, 3, 0);
  bad[14] = 7;
  EXPECT_EQ(PackedDibSize(bad.data(), bad.size()), 0u);
  EXPECT_EQ(PackedDibSize(d.data(), 39), 0u);
}

}  // namespace
}  // namespace thumb

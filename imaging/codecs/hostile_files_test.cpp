// Small files that claim huge pictures: each is refused, or loaded, at a
// cost in proportion to the file and the load's bound rather than to what
// its header claims.  Peak memory is read from the process's high-water
// mark (ctest runs every case in a process of its own).
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/testing/codec_test_support.h"

namespace imaging::codecs {
namespace {

using namespace imaging::testing;

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// Loads `bytes` from a file through type detection, a full load and a
// load bounded to 160 x 160; every step must be refused with kMemory or
// kBroken, or succeed within the bound, and the process must not grow by
// more than `budget_mb`.
void ExpectCheapToRefuse(const std::vector<uint8_t>& bytes, const std::string& name, long budget_mb = 48) {
  SCOPED_TRACE(name);
  const std::string path = TempPath(name);
  ASSERT_TRUE(WriteFile(path, bytes));
  const long before = PeakRssKb();
  FileInfo info;
  const Result info_result = ReadInfo(path, 0, &info);
  EXPECT_TRUE(info_result.ok() || info_result.code() == Status::kBroken || info_result.code() == Status::kMemory ||
              info_result.code() == Status::kBadFile)
      << info_result.message();
  Image full;
  const Result full_result = Load(path, LoadOptions{}, &full);
  EXPECT_TRUE(full_result.code() == Status::kMemory || full_result.code() == Status::kBroken)
      << "full load: " << full_result.number() << " " << full_result.message();
  LoadOptions bounded;
  bounded.max_width = bounded.max_height = 160;
  Image small;
  const Result bounded_result = Load(path, bounded, &small);
  if (bounded_result.ok()) {
    EXPECT_LE(small.width(), 160);
    EXPECT_LE(small.height(), 160);
  } else {
    EXPECT_TRUE(bounded_result.code() == Status::kMemory || bounded_result.code() == Status::kBroken)
        << "bounded load: " << bounded_result.number() << " " << bounded_result.message();
  }
  EXPECT_LT(PeakRssKb() - before, budget_mb * 1024) << "peak memory grew too much";
  std::remove(path.c_str());
}

// Found by the fuzz smoke: an RLE BMP of 114 bytes declaring
// 16997 x 48640 pixels (once 1.6 GB unbounded and a crash bounded).
TEST(HostileFiles, RegressionIssue14RleBmpClaimingGigabytes) {
  ExpectCheapToRefuse(
      FromHex("424d640000004d4d4d4d5b0000004d000000654200000042ffff4242080001000000004242fbffff0000ff03ff7eff10f64d0100"
              "080000000000000000000000424d4d4d4d4d4d4d4d4d13000000000000000042c0bdbcbd42ff00000142ff00454d4d4d13919191"
              "9191919191914d640042"),
      "hostile.bmp");
}

// GIFs of 42 and 27 bytes whose pictures lie far outside their screens.
TEST(HostileFiles, RegressionIssue14TinyGifsClaimingHugeCanvases) {
  ExpectCheapToRefuse(FromHex("474946383961474946383961462c9adada07070707070707073946383961ff0ada4749463861ff0a4749"),
                      "hostile42.gif");
  ExpectCheapToRefuse(FromHex("474946383761385252525253522c21002700b7522c210000007b00"), "hostile27.gif");
}


void PutBe32(std::vector<uint8_t>* b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b->push_back(static_cast<uint8_t>(v >> s));
}

uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

// Headers of every raster format claiming n x n pixels over a few bytes
// of data.
std::vector<std::pair<std::string, std::vector<uint8_t>>> OversizedFiles(uint32_t n = 20000) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
  {  // BMP, 8 bpp RLE ending at once
    std::vector<uint8_t> b = {'B', 'M'};
    PutLe32(&b, 54 + 1024 + 2);
    PutLe32(&b, 0);
    PutLe32(&b, 54 + 1024);
    PutLe32(&b, 40);
    PutLe32(&b, n);
    PutLe32(&b, n);
    PutLe16(&b, 1);
    PutLe16(&b, 8);
    PutLe32(&b, 1);
    for (int i = 0; i < 4; ++i) PutLe32(&b, 0);
    PutLe32(&b, 0);
    b.resize(b.size() + 1024, 0);
    b.push_back(0);
    b.push_back(1);
    files.emplace_back("big.bmp", b);
  }
  {  // GIF: a huge screen around a 1 x 1 picture
    std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a'};
    PutLe16(&b, n);
    PutLe16(&b, n);
    b.insert(b.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x4C, 0x01, 0, 0x3B});
    files.emplace_back("big.gif", b);
  }
  {  // PCX, 8 bits in one plane
    std::vector<uint8_t> b(128, 0);
    b[0] = 0x0A;
    b[1] = 5;
    b[2] = 1;
    b[3] = 8;
    b[8] = b[10] = static_cast<uint8_t>((n - 1) & 0xFF);
    b[9] = b[11] = static_cast<uint8_t>((n - 1) >> 8);
    b[65] = 1;
    b[66] = static_cast<uint8_t>(n & 0xFF);
    b[67] = static_cast<uint8_t>(n >> 8);
    b.insert(b.end(), 64, 0xFF);
    files.emplace_back("big.pcx", b);
  }
  {  // TIFF, one LZW strip of ten bytes
    std::vector<uint8_t> b = {'I', 'I', 42, 0};
    PutLe32(&b, 8);
    const uint16_t tags[][3] = {{256, 4, 0}, {257, 4, 0}, {258, 3, 8}, {259, 3, 5}, {262, 3, 1},
                                {273, 4, 0}, {277, 3, 1}, {278, 4, 0}, {279, 4, 10}};
    PutLe16(&b, 9);
    for (const auto& t : tags) {
      PutLe16(&b, t[0]);
      PutLe16(&b, t[1]);
      PutLe32(&b, 1);
      const uint32_t value = t[0] == 256 || t[0] == 257 || t[0] == 278 ? n : t[0] == 273 ? 8 + 2 + 9 * 12 + 4 : t[2];
      if (t[1] == 3) {
        PutLe16(&b, value);
        PutLe16(&b, 0);
      } else {
        PutLe32(&b, value);
      }
    }
    PutLe32(&b, 0);
    b.insert(b.end(), {0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0x80});
    files.emplace_back("big.tif", b);
  }
  {  // JPEG: a small picture's frame header made to claim the size
    Image img;
    EXPECT_TRUE(Image::Create(16, 16, 24, &img).ok());
    SaveOptions so;
    so.type = SaveType::kJpeg;
    const std::string path = TempPath("small.jpg");
    EXPECT_TRUE(Save(img, path, so).ok());
    std::vector<uint8_t> b = TakeFile(path);
    for (size_t i = 2; i + 9 < b.size(); ++i)
      if (b[i] == 0xFF && b[i + 1] == 0xC0) {
        b[i + 5] = b[i + 7] = static_cast<uint8_t>(n >> 8);
        b[i + 6] = b[i + 8] = static_cast<uint8_t>(n & 0xFF);
        break;
      }
    files.emplace_back("big.jpg", b);
  }
  {  // PNG: header and a few bytes of pixel data
    std::vector<uint8_t> b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr = {'I', 'H', 'D', 'R'};
    PutBe32(&ihdr, n);
    PutBe32(&ihdr, n);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    PutBe32(&b, 13);
    b.insert(b.end(), ihdr.begin(), ihdr.end());
    PutBe32(&b, Crc32(ihdr.data(), ihdr.size()));
    const std::vector<uint8_t> idat = {'I', 'D', 'A', 'T', 0x78, 0x9C, 0x03, 0x00};
    PutBe32(&b, 4);
    b.insert(b.end(), idat.begin(), idat.end());
    PutBe32(&b, Crc32(idat.data(), idat.size()));
    files.emplace_back("big.png", b);
  }
  return files;
}

// Beyond the engine's picture size limit every format refuses the picture
// with the memory status, bounded or not, before allocating for it; type
// detection still describes it from the header alone.
TEST(HostileFiles, EveryFormatRefusesPicturesBeyondTheSizeLimit) {
  for (const auto& [name, bytes] : OversizedFiles(20000)) {  // 400 megapixels
    SCOPED_TRACE(name);
    const std::string path = TempPath(name);
    ASSERT_TRUE(WriteFile(path, bytes));
    const long before = PeakRssKb();
    FileInfo info;
    const Result ri = ReadInfo(path, 0, &info);
    ASSERT_TRUE(ri.ok()) << ri.message();
    EXPECT_EQ(info.width, 20000);
    EXPECT_EQ(info.height, 20000);
    Image img;
    const Result full = Load(path, LoadOptions{}, &img);
    EXPECT_EQ(full.code(), Status::kMemory) << full.message();
    LoadOptions bounded;
    bounded.max_width = bounded.max_height = 160;
    const Result small = Load(path, bounded, &img);
    EXPECT_EQ(small.code(), Status::kMemory) << small.message();
    EXPECT_TRUE(img.empty());
    EXPECT_LT(PeakRssKb() - before, 32 * 1024);
    std::remove(path.c_str());
  }
}

// Within the limit (144 megapixels) the same tiny files are refused as too
// short for their pictures before anything is allocated, except two that
// are whole: the RLE BMP, whose end-of-bitmap code rightly ends it at once,
// and the GIF, a 1 x 1 picture on a big screen.  Their bounded loads
// succeed without holding the full picture.
TEST(HostileFiles, TinyFilesClaimingBigPicturesCostLittle) {
  for (const auto& [name, bytes] : OversizedFiles(12000)) {
    if (name == "big.jpg") continue;  // a JPEG's cost is bounded by its DCT scaling instead
    SCOPED_TRACE(name);
    const std::string path = TempPath(name);
    ASSERT_TRUE(WriteFile(path, bytes));
    const long before = PeakRssKb();
    Image img;
    LoadOptions bounded;
    bounded.max_width = bounded.max_height = 160;
    const Result small = Load(path, bounded, &img);
    if (name == "big.bmp" || name == "big.gif") {
      ASSERT_TRUE(small.ok()) << small.message();
      EXPECT_EQ(img.width(), 160);
    } else {
      EXPECT_EQ(small.code(), Status::kBroken) << small.message();
      EXPECT_EQ(Load(path, LoadOptions{}, &img).code(), Status::kBroken);
    }
    EXPECT_LT(PeakRssKb() - before, 32 * 1024);
    std::remove(path.c_str());
  }
}

}  // namespace
}  // namespace imaging::codecs

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/codecs/internal/format_codec.h"
#include "imaging/testing/awkward_files.h"
#include "imaging/testing/codec_test_support.h"
#include "imaging/testing/reference_reader.h"

namespace imaging::codecs::internal {
namespace {

using namespace imaging::testing;

// Random bytes, a third of them 0xC5: a run-length count byte when not
// escaped.
Image RunBytePicture(int w, int h, int bpp, unsigned seed) {
  return RandomPicture(w, h, bpp, seed,
                       {.byte = [](std::mt19937& rng) { return uint8_t(rng() % 3 == 0 ? 0xC5 : rng()); }});
}

Result SaveBytes(const Image& img, std::vector<uint8_t>* bytes) {
  SaveOptions so;
  so.type = SaveType::kPcx;
  return SaveToBytes(PcxCodec().save, img, so, "out.pcx", bytes);
}

Result Decode(const std::vector<uint8_t>& bytes, Image* out) {
  return PcxCodec().load(bytes.data(), bytes.size(), {}, out);
}

// A 128-byte PCX header.
std::vector<uint8_t> Header(int w, int h, int bits, int planes, int bpl, int encoding = 1) {
  std::vector<uint8_t> b(128, 0);
  b[0] = 0x0A;
  b[1] = 5;
  b[2] = static_cast<uint8_t>(encoding);
  b[3] = static_cast<uint8_t>(bits);
  b[8] = static_cast<uint8_t>((w - 1) & 0xFF);
  b[9] = static_cast<uint8_t>((w - 1) >> 8);
  b[10] = static_cast<uint8_t>((h - 1) & 0xFF);
  b[11] = static_cast<uint8_t>((h - 1) >> 8);
  b[65] = static_cast<uint8_t>(planes);
  b[66] = static_cast<uint8_t>(bpl & 0xFF);
  b[67] = static_cast<uint8_t>(bpl >> 8);
  return b;
}

TEST(PcxCodec, RoundTripEveryDepth) {
  for (int bpp : {1, 4, 8, 24})
    for (int w : {1, 7, 8, 33, 130}) {
      SCOPED_TRACE(::testing::Message() << "bpp " << bpp << " w " << w);
      Image img = RunBytePicture(w, 7, bpp, bpp * 1000 + w);
      img.set_dpi(200, 100);
      std::vector<uint8_t> bytes;
      ASSERT_TRUE(SaveBytes(img, &bytes).ok());
      ASSERT_TRUE(PcxCodec().sniff(bytes.data(), bytes.size()));
      Image back;
      ASSERT_TRUE(Decode(bytes, &back).ok());
      EXPECT_EQ(back.bpp(), bpp);
      ExpectSamePixels(img, back);
      EXPECT_EQ(back.dpi_x(), 200);
      EXPECT_EQ(back.dpi_y(), 100);
      FileInfo info;
      ASSERT_TRUE(PcxCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
      EXPECT_EQ(info.width, w);
      EXPECT_EQ(info.height, 7);
      EXPECT_EQ(info.bpp, bpp);
    }
}

TEST(PcxCodec, HighDepthsAreWrittenAsThreePlanes) {
  for (int bpp : {16, 32}) {
    const Image img = RunBytePicture(9, 3, bpp, bpp);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(SaveBytes(img, &bytes).ok());
    EXPECT_EQ(bytes[65], 3);
    Image back;
    ASSERT_TRUE(Decode(bytes, &back).ok());
    EXPECT_EQ(back.bpp(), 24);
    ExpectSamePixels(img, back);
  }
}

TEST(PcxCodec, GoldenFileOfTinyPictures) {
  // 16 colours, 3 x 1, indices 1 2 15: four bit planes, header palette.
  Image img;
  ASSERT_TRUE(Image::Create(3, 1, 4, &img).ok());
  for (int i = 0; i < 16; ++i) img.palette()[i] = PaletteEntry{uint8_t(i), uint8_t(16 + i), uint8_t(32 + i), 0};
  img.row(0)[0] = 0x12;
  img.row(0)[1] = 0xF0;
  img.set_dpi(72, 72);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SaveBytes(img, &bytes).ok());
  std::vector<uint8_t> expected = Header(3, 1, 1, 4, 2);
  expected[12] = 72;
  expected[14] = 72;
  for (int i = 0; i < 16; ++i) {  // R G B
    expected[16 + 3 * i] = static_cast<uint8_t>(32 + i);
    expected[17 + 3 * i] = static_cast<uint8_t>(16 + i);
    expected[18 + 3 * i] = static_cast<uint8_t>(i);
  }
  expected[68] = 1;  // colour palette
  // Planes of bits 0..3 for pixels 1 (0001), 2 (0010), 15 (1111), 2 bytes each.
  expected.insert(expected.end(), {0xA0, 0x00, 0x60, 0x00, 0x20, 0x00, 0x20, 0x00});
  // 0xA0 < 0xC0 and single: written as itself; 0x00 likewise.
  EXPECT_EQ(bytes, expected);

  // 256 colours, 2 x 1: one plane, RLE byte 0xC5 escaped, trailing palette.
  Image pal;
  ASSERT_TRUE(Image::Create(2, 1, 8, &pal).ok());
  pal.row(0)[0] = 0xC5;
  pal.row(0)[1] = 0xC5;
  pal.palette()[0xC5] = PaletteEntry{3, 2, 1, 0};
  ASSERT_TRUE(SaveBytes(pal, &bytes).ok());
  ASSERT_EQ(bytes.size(), 128u + 2 + 769);
  EXPECT_EQ(bytes[3], 8);
  EXPECT_EQ(bytes[65], 1);
  EXPECT_EQ(bytes[66], 2);
  EXPECT_EQ(bytes[128], 0xC2);  // run of two
  EXPECT_EQ(bytes[129], 0xC5);
  EXPECT_EQ(bytes[130], 0x0C);
  EXPECT_EQ(bytes[131 + 3 * 0xC5], 1);  // R G B of entry 0xC5
  EXPECT_EQ(bytes[132 + 3 * 0xC5], 2);
  EXPECT_EQ(bytes[133 + 3 * 0xC5], 3);
}

TEST(PcxCodec, ReadsHandMadeFiles) {
  {  // 24 bits, 2 x 1, uncompressed planes R, G, B with bytes per line 2
    std::vector<uint8_t> b = Header(2, 1, 8, 3, 2, 0);
    b.insert(b.end(), {10, 11, 20, 21, 30, 31});
    Image img;
    ASSERT_TRUE(Decode(b, &img).ok());
    ASSERT_EQ(img.bpp(), 24);
    EXPECT_EQ(img.PixelRgb(0, 0), 0x0A141Eu);
    EXPECT_EQ(img.PixelRgb(1, 0), 0x0B151Fu);
  }
  {  // 8 bits, 4 x 2, an RLE run that carries over into the next line
    std::vector<uint8_t> b = Header(4, 2, 8, 1, 4);
    b.insert(b.end(), {0xC6, 7, 0xC1, 0xC9, 0xC1, 0xC9});
    std::vector<uint8_t> palette(769, 0);
    palette[0] = 0x0C;
    palette[1 + 3 * 7] = 0x70;
    b.insert(b.end(), palette.begin(), palette.end());
    Image img;
    ASSERT_TRUE(Decode(b, &img).ok());
    ASSERT_EQ(img.bpp(), 8);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(img.row(0)[x], 7);
    EXPECT_EQ(img.row(1)[0], 7);
    EXPECT_EQ(img.row(1)[1], 7);
    EXPECT_EQ(img.row(1)[2], 0xC9);
    EXPECT_EQ(img.PixelRgb(0, 0), 0x700000u);
  }
  {  // 2 bits, one plane (CGA): four pixels per byte, widened to 4 bpp
    std::vector<uint8_t> b = Header(4, 1, 2, 1, 2);
    b.insert(b.end(), {0x1B, 0x00});  // 0 1 2 3
    Image img;
    ASSERT_TRUE(Decode(b, &img).ok());
    ASSERT_EQ(img.bpp(), 4);
    EXPECT_EQ(img.row(0)[0], 0x01);
    EXPECT_EQ(img.row(0)[1], 0x23);
  }
}

TEST(PcxCodec, MalformedFilesGiveErrorCodes) {
  Image img;
  std::vector<uint8_t> short_line = Header(100, 2, 8, 1, 50);  // 50 bytes for 100 pixels
  short_line.resize(short_line.size() + 400, 1);
  EXPECT_EQ(Decode(short_line, &img).code(), Status::kBroken);
  std::vector<uint8_t> zero_line = Header(8, 2, 1, 1, 0);
  zero_line.resize(zero_line.size() + 64, 1);
  EXPECT_EQ(Decode(zero_line, &img).code(), Status::kBroken);
  std::vector<uint8_t> window = Header(8, 8, 8, 1, 8);
  window[4] = 9;  // xmin past xmax
  window.resize(window.size() + 64, 1);
  EXPECT_EQ(Decode(window, &img).code(), Status::kBroken);
  std::vector<uint8_t> huge = Header(65535, 65535, 8, 1, 65535);
  huge.resize(huge.size() + 100, 0xFF);
  EXPECT_EQ(Decode(huge, &img).code(), Status::kBroken);
  std::vector<uint8_t> truncated = Header(64, 64, 8, 1, 64);
  truncated.insert(truncated.end(), {0xFF, 1, 0xFF, 1});  // a few runs, far from 64 lines
  EXPECT_EQ(Decode(truncated, &img).code(), Status::kBroken);
  std::vector<uint8_t> layout = Header(4, 4, 4, 3, 4);
  layout.resize(layout.size() + 64, 1);
  EXPECT_EQ(Decode(layout, &img).code(), Status::kUnsupported);  // 4 bits x 3 planes
  const std::vector<uint8_t> tiny = {0x0A, 5, 1, 8};
  EXPECT_EQ(Decode(tiny, &img).code(), Status::kBadFile);
  EXPECT_TRUE(img.empty());

  std::vector<uint8_t> good;
  ASSERT_TRUE(SaveBytes(RunBytePicture(40, 30, 24, 8), &good).ok());
  for (size_t cut = 128; cut + 1 < good.size(); cut += 41) {
    Image o;
    EXPECT_EQ(PcxCodec().load(good.data(), cut, {}, &o).code(), Status::kBroken) << cut;
  }
  std::mt19937 rng(9);
  for (int i = 0; i < 300; ++i) {
    std::vector<uint8_t> d = good;
    for (int k = 0; k < 6; ++k) d[rng() % d.size()] = uint8_t(rng());
    d[0] = 0x0A;
    Image o;
    (void)PcxCodec().load(d.data(), d.size(), {}, &o);
  }
}

TEST(PcxCodec, FailedSaveLeavesExistingFileUntouched) {
  ExpectFailedSaveKeepsExistingFile(RunBytePicture(512, 512, 24, 10), SaveType::kPcx, "keep.pcx");
}

}  // namespace
}  // namespace imaging::codecs::internal

namespace imaging::codecs::internal {
namespace {

// 16 colours as four 1-bit planes (EGA) from several PCX versions, odd
// widths, runs crossing plane lines: the colours must be ImageMagick's.
TEST(PcxCodec, EgaPlanesDecodeLikeAnIndependentReader) {
  for (int version : {2, 3, 5})
    for (int w : {1, 19, 64}) {
      SCOPED_TRACE(::testing::Message() << "version " << version << " width " << w);
      const int h = 7;
      std::vector<uint8_t> indices(static_cast<size_t>(w) * h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) indices[static_cast<size_t>(y) * w + x] = uint8_t(x < 20 ? (x + 3 * y) % 16 : y);
      const std::string path = TempPath("ega.pcx");
      ASSERT_TRUE(WriteFile(path, EgaPcx(w, h, indices, version)));
      Image ours, theirs;
      ASSERT_TRUE(Load(path, {}, &ours).ok());
      EXPECT_EQ(ours.bpp(), 4);
      ASSERT_TRUE(ReferenceDecode(path, &theirs));
      ExpectSameColours(ours, theirs, 0);
      std::remove(path.c_str());
    }
}

}  // namespace
}  // namespace imaging::codecs::internal

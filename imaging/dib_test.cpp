#include "imaging/dib.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/testing/codec_test_support.h"

namespace imaging {
namespace {

using namespace imaging::testing;

std::vector<uint8_t> InfoHeader(int32_t w, int32_t h, int bpp, uint32_t compression, uint32_t used = 0,
                                uint32_t header = 40) {
  std::vector<uint8_t> b;
  PutLe32(&b, header);
  PutLe32(&b, static_cast<uint32_t>(w));
  PutLe32(&b, static_cast<uint32_t>(h));
  PutLe16(&b, 1);
  PutLe16(&b, static_cast<unsigned>(bpp));
  PutLe32(&b, compression);
  PutLe32(&b, 0);
  PutLe32(&b, 0);
  PutLe32(&b, 0);
  PutLe32(&b, used);
  PutLe32(&b, 0);
  b.resize(header, 0);
  return b;
}

TEST(PackedDib, LayoutIsByteForByte) {
  Image img;
  ASSERT_TRUE(Image::Create(3, 2, 8, &img).ok());
  img.palette() = {PaletteEntry{1, 2, 3, 0}, PaletteEntry{4, 5, 6, 0}, PaletteEntry{7, 8, 9, 0}};
  const uint8_t top[] = {0, 1, 2}, bottom[] = {2, 2, 1};
  std::copy(top, top + 3, img.row(0));
  std::copy(bottom, bottom + 3, img.row(1));
  img.set_dpi(254, 127);
  std::vector<uint8_t> block;
  ASSERT_TRUE(ToPackedDib(img, &block).ok());
  const std::vector<uint8_t> expected = {
      40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0,                  // size, width, height, planes, depth
      0, 0, 0, 0, 8, 0, 0, 0, 0x10, 0x27, 0, 0, 0x88, 0x13, 0, 0,       // BI_RGB, 8 bytes of rows, 10000 / 5000 ppm
      3, 0, 0, 0, 0, 0, 0, 0,                                            // three colours used
      1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0,                                // B G R 0 entries
      2, 2, 1, 0,                                                        // bottom row first, padded
      0, 1, 2, 0};
  EXPECT_EQ(block, expected);
  EXPECT_EQ(PackedDibSize(img), expected.size());
  EXPECT_EQ(DibHeaderSize(img), 52u);

  // 24 bpp: no colour table, B G R triples, rows padded to 4 bytes.
  Image rgb;
  ASSERT_TRUE(Image::Create(1, 2, 24, &rgb).ok());
  rgb.SetPixelRgb(0, 0, 0x112233);
  rgb.SetPixelRgb(0, 1, 0x445566);
  ASSERT_TRUE(ToPackedDib(rgb, &block).ok());
  ASSERT_EQ(block.size(), 40u + 8);
  EXPECT_EQ(block[14], 24);
  EXPECT_EQ(block[32], 0);  // biClrUsed
  const std::vector<uint8_t> rows(block.begin() + 40, block.end());
  EXPECT_EQ(rows, (std::vector<uint8_t>{0x66, 0x55, 0x44, 0, 0x33, 0x22, 0x11, 0}));

  // A 1-bit picture without a palette is written with black and white.
  Image bare;
  ASSERT_TRUE(Image::Create(8, 1, 1, &bare).ok());
  bare.palette().clear();
  ASSERT_TRUE(ToPackedDib(bare, &block).ok());
  ASSERT_EQ(block.size(), 40u + 8 + 4);
  EXPECT_EQ(block[32], 2);
  EXPECT_EQ(std::vector<uint8_t>(block.begin() + 40, block.begin() + 48),
            (std::vector<uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));
}

TEST(PackedDib, RoundTripEveryDepth) {
  for (int bpp : {1, 4, 8, 16, 24, 32})
    for (int w : {1, 3, 17}) {
      SCOPED_TRACE(::testing::Message() << "bpp " << bpp << " w " << w);
      Image img = RandomPicture(w, 5, bpp, bpp * 7 + w);
      img.set_dpi(300, 600);
      std::vector<uint8_t> block;
      ASSERT_TRUE(ToPackedDib(img, &block).ok());
      Image back;
      ASSERT_TRUE(FromPackedDib(block.data(), block.size(), &back).ok());
      ASSERT_EQ(back.bpp(), bpp);
      ASSERT_EQ(back.width(), w);
      ASSERT_EQ(back.height(), 5);
      for (int y = 0; y < 5; ++y) ASSERT_EQ(std::memcmp(img.row(y), back.row(y), img.stride()), 0) << y;
      EXPECT_EQ(back.palette(), img.palette());
      EXPECT_EQ(back.dpi_x(), 300);
      EXPECT_EQ(back.dpi_y(), 600);
      // Writing the read block again gives the same bytes.
      std::vector<uint8_t> again;
      ASSERT_TRUE(ToPackedDib(back, &again).ok());
      EXPECT_EQ(again, block);
    }
}

TEST(PackedDib, WriteChecksCapacity) {
  const Image img = RandomPicture(4, 4, 24, 1);
  std::vector<uint8_t> buffer(PackedDibSize(img) - 1);
  EXPECT_EQ(WritePackedDib(img, buffer.data(), buffer.size()).code(), Status::kBadValue);
  buffer.resize(PackedDibSize(img));
  EXPECT_TRUE(WritePackedDib(img, buffer.data(), buffer.size()).ok());
  EXPECT_EQ(WritePackedDib(Image(), buffer.data(), buffer.size()).code(), Status::kBadImage);
}

TEST(PackedDib, ReadsTopDownBitFieldsAndLargerHeaders) {
  {  // top-down 8-bit block with a short colour table
    std::vector<uint8_t> b = InfoHeader(2, -2, 8, 0, 2);
    b.insert(b.end(), {10, 20, 30, 0, 40, 50, 60, 0});
    b.insert(b.end(), {0, 1, 0, 0, 1, 1, 0, 0});
    Image img;
    ASSERT_TRUE(FromPackedDib(b.data(), b.size(), &img).ok());
    EXPECT_EQ(img.PixelRgb(0, 0), 0x1E140Au);  // first stored row is the top
    EXPECT_EQ(img.PixelRgb(1, 0), 0x3C3228u);
    EXPECT_EQ(img.PixelRgb(0, 1), 0x3C3228u);
  }
  {  // BI_BITFIELDS 5-6-5 after the header: 24 bpp
    std::vector<uint8_t> b = InfoHeader(2, 1, 16, 3);
    PutLe32(&b, 0xF800);
    PutLe32(&b, 0x07E0);
    PutLe32(&b, 0x001F);
    b.insert(b.end(), {0xE0, 0x07, 0xFF, 0xFF});
    Image img;
    ASSERT_TRUE(FromPackedDib(b.data(), b.size(), &img).ok());
    ASSERT_EQ(img.bpp(), 24);
    EXPECT_EQ(img.PixelRgb(0, 0), 0x00FF00u);
    EXPECT_EQ(img.PixelRgb(1, 0), 0xFFFFFFu);
  }
  {  // V5 header (124 bytes) with 32-bit masks inside it, alpha mask kept
    std::vector<uint8_t> b = InfoHeader(1, 1, 32, 3, 0, 124);
    const uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    for (int i = 0; i < 4; ++i)
      for (int k = 0; k < 4; ++k) b[40 + 4 * i + k] = static_cast<uint8_t>(masks[i] >> (8 * k));
    b.insert(b.end(), {0x33, 0x22, 0x11, 0x80});
    Image img;
    ASSERT_TRUE(FromPackedDib(b.data(), b.size(), &img).ok());
    ASSERT_EQ(img.bpp(), 32);
    EXPECT_EQ(img.PixelRgb(0, 0), 0x112233u);
    EXPECT_EQ(img.row(0)[3], 0x80);
  }
  {  // 24-bit block carrying an optional colour table: skipped
    std::vector<uint8_t> b = InfoHeader(1, 1, 24, 0, 2);
    b.insert(b.end(), {9, 9, 9, 0, 9, 9, 9, 0});
    b.insert(b.end(), {1, 2, 3, 0});
    Image img;
    ASSERT_TRUE(FromPackedDib(b.data(), b.size(), &img).ok());
    EXPECT_EQ(img.PixelRgb(0, 0), 0x030201u);
  }
}

TEST(PackedDib, MalformedBlocksAreRefused) {
  Image img;
  std::vector<uint8_t> b = InfoHeader(4, 4, 24, 0);
  b.resize(b.size() + 47);  // one byte short of four 12-byte rows
  EXPECT_EQ(FromPackedDib(b.data(), b.size(), &img).code(), Status::kBadImage);
  b = InfoHeader(4, 4, 8, 0);
  b.resize(b.size() + 100);  // colour table of 256 entries missing
  EXPECT_EQ(FromPackedDib(b.data(), b.size(), &img).code(), Status::kBadImage);
  b = InfoHeader(4, 4, 24, 0, 0, 200);
  b.resize(60);  // header claims more than the block holds
  EXPECT_EQ(FromPackedDib(b.data(), b.size(), &img).code(), Status::kBadImage);
  b = InfoHeader(4, 4, 4, 2);  // RLE is no handle layout
  b.resize(b.size() + 200);
  EXPECT_EQ(FromPackedDib(b.data(), b.size(), &img).code(), Status::kBadImage);
  b = InfoHeader(0, 4, 24, 0);
  b.resize(b.size() + 200);
  EXPECT_EQ(FromPackedDib(b.data(), b.size(), &img).code(), Status::kBadImage);
  b = InfoHeader(60000, 60000, 32, 0);
  EXPECT_EQ(FromPackedDib(b.data(), b.size(), &img).code(), Status::kMemory);
  EXPECT_EQ(FromPackedDib(b.data(), 20, &img).code(), Status::kBadImage);
  EXPECT_TRUE(img.empty());
}

TEST(PackedDib, IndicesPastThePaletteGetEntries) {
  std::vector<uint8_t> b = InfoHeader(4, 1, 8, 0, 2);
  b.insert(b.end(), {1, 1, 1, 0, 2, 2, 2, 0});
  b.insert(b.end(), {0, 1, 200, 7});
  Image img;
  ASSERT_TRUE(FromPackedDib(b.data(), b.size(), &img).ok());
  ASSERT_EQ(img.palette().size(), 201u);
  EXPECT_EQ(img.PixelRgb(1, 0), 0x020202u);
  EXPECT_EQ(img.PixelRgb(2, 0), 0u);
}

}  // namespace
}  // namespace imaging

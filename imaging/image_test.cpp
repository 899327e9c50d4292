#include "imaging/image.h"

#include <gtest/gtest.h>

namespace imaging {
namespace {

TEST(Image, RowBytesPadsToFourBytes) {
  EXPECT_EQ(Image::RowBytes(1, 1), 4u);
  EXPECT_EQ(Image::RowBytes(33, 1), 8u);
  EXPECT_EQ(Image::RowBytes(3, 4), 4u);
  EXPECT_EQ(Image::RowBytes(9, 4), 8u);
  EXPECT_EQ(Image::RowBytes(5, 8), 8u);
  EXPECT_EQ(Image::RowBytes(3, 16), 8u);
  EXPECT_EQ(Image::RowBytes(1, 24), 4u);
  EXPECT_EQ(Image::RowBytes(3, 24), 12u);
  EXPECT_EQ(Image::RowBytes(5, 24), 16u);
  EXPECT_EQ(Image::RowBytes(7, 32), 28u);
}

TEST(Image, CreateRejectsBadArguments) {
  Image img;
  EXPECT_EQ(Image::Create(0, 5, 24, &img).code(), Status::kBadValue);
  EXPECT_EQ(Image::Create(5, 5, 12, &img).code(), Status::kBadValue);
  EXPECT_EQ(Image::Create(kMaxDimension + 1, 1, 24, &img).code(), Status::kMemory);
  // 60000 x 60000 x 32 bpp is beyond the byte limit even though each side is allowed.
  EXPECT_EQ(Image::Create(60000, 60000, 32, &img).code(), Status::kMemory);
  EXPECT_TRUE(img.empty());
}

TEST(Image, PixelAccessAtEveryDepth) {
  // Indexed depths: set palette entry 1 and put index 1 at x = 8 of row 1.
  for (int bpp : {1, 4, 8}) {
    Image img;
    ASSERT_TRUE(Image::Create(9, 2, bpp, &img).ok());
    ASSERT_EQ(img.palette().size(), size_t{1} << bpp);
    img.palette()[1] = PaletteEntry{0x30, 0x20, 0x10, 0};
    if (bpp == 1) img.row(1)[1] = 0x80;  // most significant bit first
    if (bpp == 4) img.row(1)[4] = 0x10;  // high nibble is the even pixel
    if (bpp == 8) img.row(1)[8] = 1;
    EXPECT_EQ(img.PixelRgb(8, 1), 0x102030u) << "bpp " << bpp;
    EXPECT_EQ(img.PixelRgb(7, 1), 0u) << "bpp " << bpp;
    EXPECT_EQ(img.PixelRgb(8, 0), 0u) << "bpp " << bpp;
  }
  // Direct depths: 16 bpp keeps 5 bits per channel, expanded by bit replication.
  for (int bpp : {16, 24, 32}) {
    Image img;
    ASSERT_TRUE(Image::Create(3, 3, bpp, &img).ok());
    img.SetPixelRgb(2, 1, 0xF80408);
    const uint32_t expected = bpp == 16 ? 0xFF0008u : 0xF80408u;
    EXPECT_EQ(img.PixelRgb(2, 1), expected) << "bpp " << bpp;
    EXPECT_EQ(img.PixelRgb(1, 1), 0u);
  }
}

TEST(Image, GrayPaletteDetection) {
  Image img;
  ASSERT_TRUE(Image::Create(2, 2, 8, &img).ok());
  EXPECT_TRUE(img.IsGrayPalette());
  img.palette()[7].red = 1;
  EXPECT_FALSE(img.IsGrayPalette());
  ASSERT_TRUE(Image::Create(2, 2, 24, &img).ok());
  EXPECT_FALSE(img.IsGrayPalette());
}

}  // namespace
}  // namespace imaging

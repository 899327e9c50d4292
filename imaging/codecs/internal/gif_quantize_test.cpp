#include "imaging/codecs/internal/gif_quantize.h"

#include <gtest/gtest.h>


namespace imaging::codecs::internal {
namespace {

TEST(GifQuantize, FewColoursAreKeptExactlyAtEveryDepth) {
  for (int bpp : {16, 24, 32}) {
    Image img;
    ASSERT_TRUE(Image::Create(17, 9, bpp, &img).ok());
    // 16-bit holds 5 bits per channel: use colours it represents exactly.
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 17; ++x) img.SetPixelRgb(x, y, ((x * 8u) << 16) | ((y * 24u) << 8) | 0x08);
    Image out;
    ASSERT_TRUE(QuantizeForGif(img, QuantizeDither::kFloydSteinberg, &out).ok());
    EXPECT_EQ(out.bpp(), 8);
    EXPECT_EQ(out.palette().size(), 17u * 9u);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 17; ++x) ASSERT_EQ(out.PixelRgb(x, y), img.PixelRgb(x, y));
  }
}

TEST(GifQuantize, ManyColoursGiveBoundedPaletteAndSmallError) {
  Image img;
  ASSERT_TRUE(Image::Create(96, 96, 24, &img).ok());
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 96; ++x) img.SetPixelRgb(x, y, (uint32_t(x * 255 / 95) << 16) | (uint32_t(y * 255 / 95) << 8) | uint32_t((x + y) & 255));
  for (QuantizeDither d : {QuantizeDither::kNone, QuantizeDither::kFloydSteinberg}) {
    Image out;
    ASSERT_TRUE(QuantizeForGif(img, d, &out, 64).ok());
    EXPECT_LE(out.palette().size(), 64u);
    double err = 0;
    for (int y = 0; y < 96; ++y)
      for (int x = 0; x < 96; ++x) {
        ASSERT_LT(out.row(y)[x], out.palette().size());
        const uint32_t a = img.PixelRgb(x, y), b = out.PixelRgb(x, y);
        for (int s = 0; s < 24; s += 8) err += std::abs(int((a >> s) & 255) - int((b >> s) & 255));
      }
    EXPECT_LT(err / (96.0 * 96 * 3), 16.0);
  }
}

TEST(GifQuantize, RejectsPaletteSourcesAndBadCounts) {
  Image pal, out;
  ASSERT_TRUE(Image::Create(4, 4, 8, &pal).ok());
  EXPECT_EQ(QuantizeForGif(pal, QuantizeDither::kNone, &out).code(), Status::kBadImage);
  Image rgb;
  ASSERT_TRUE(Image::Create(4, 4, 24, &rgb).ok());
  EXPECT_EQ(QuantizeForGif(rgb, QuantizeDither::kNone, &out, 1).code(), Status::kBadValue);
  EXPECT_EQ(QuantizeForGif(rgb, QuantizeDither::kNone, &out, 257).code(), Status::kBadValue);
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace imaging::codecs::internal

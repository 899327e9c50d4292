#include "imaging/ops/clip.h"

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Noise;

TEST(Trim, CopiesTheRectangleAtEveryDepth) {
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    for (int w : {1, 7, 13}) {
      const Image src = Noise(w, 9, bpp, static_cast<uint32_t>(bpp * 100 + w));
      const ClipRect rect{w / 3, w - 1, 2, 6};
      Image out;
      ASSERT_TRUE(Trim(src, &out, rect).ok()) << bpp;
      ASSERT_EQ(out.width(), w - w / 3);
      ASSERT_EQ(out.height(), 5);
      EXPECT_EQ(out.bpp(), bpp);
      EXPECT_EQ(out.palette(), src.palette());
      for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
          ASSERT_EQ(out.PixelRgb(x, y), src.PixelRgb(x + w / 3, y + 2)) << bpp << " " << x << "," << y;
    }
  }
}

TEST(Trim, ClampsToThePictureAndRejectsEmptyRectangles) {
  Image src = Noise(10, 8, 24, 1);
  src.set_dpi(300, 200);
  Image out;
  ASSERT_TRUE(Trim(src, &out, ClipRect{-4, 100, 3, 100}).ok());
  EXPECT_EQ(out.width(), 10);
  EXPECT_EQ(out.height(), 5);
  EXPECT_EQ(out.dpi_x(), 300);
  EXPECT_EQ(Trim(src, &out, ClipRect{5, 4, 0, 7}).code(), Status::kBadValue);
  EXPECT_EQ(Trim(src, &out, ClipRect{20, 30, 0, 7}).code(), Status::kBadValue);
  EXPECT_EQ(Trim(src, nullptr, ClipRect{0, 1, 0, 1}).code(), Status::kBadValue);
  EXPECT_EQ(Trim(Image(), &out, ClipRect{0, 1, 0, 1}).code(), Status::kBadImage);
  // In place.
  ASSERT_TRUE(Trim(src, &src, ClipRect{1, 1, 1, 1}).ok());
  EXPECT_EQ(src.width(), 1);
}

// Trimming the rows after a band and pasting them over it closes the gap:
// a 1000-row picture less rows 100..199 keeps 900 rows.
TEST(Trim, ClosingAGapLeavesOneBandLess) {
  const int h = 1000, top = 100, bottom = 199;
  Image src;
  ASSERT_TRUE(Image::Create(3, h, 24, &src).ok());
  for (int y = 0; y < h; ++y) src.SetPixelRgb(0, y, static_cast<uint32_t>(y));
  Image rest, joined;
  ASSERT_TRUE(Trim(src, &rest, ClipRect{0, 3, bottom + 1, h}).ok());
  ASSERT_TRUE(Trim(src, &joined, ClipRect{0, 3, 0, h - (bottom - top) - 2}).ok());
  ASSERT_EQ(joined.height(), 900);
  ASSERT_EQ(rest.height(), 800);
}

TEST(FillOutside, PaintsOnlyOutsideAtEveryDepth) {
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    Image src = Noise(11, 9, bpp, static_cast<uint32_t>(bpp));
    if (bpp <= 8) src.palette().back() = PaletteEntry{255, 255, 255, 0};
    Image out;
    ASSERT_TRUE(FillOutside(src, &out, Region::Rectangle(2, 3, 6, 5), 0xFFFFFF).ok());
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 11; ++x) {
        const bool inside = x >= 2 && x <= 6 && y >= 3 && y <= 5;
        ASSERT_EQ(out.PixelRgb(x, y), inside ? src.PixelRgb(x, y) : 0xFFFFFFu) << bpp << " " << x << "," << y;
      }
  }
}

TEST(FillOutside, WholeRegionChangesNothing) {
  const Image src = Noise(5, 4, 24, 2);
  Image out;
  ASSERT_TRUE(FillOutside(src, &out, Region::Whole(), 0).ok());
  EXPECT_TRUE(testing::SamePixels(src, out));
}

}  // namespace
}  // namespace imaging::ops

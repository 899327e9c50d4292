#include "imaging/ops/emboss.h"

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Flat;
using testing::Px;

TEST(Emboss, FlatAreasTakeTheBackgroundGrey) {
  for (int mask = 0; mask < 8; ++mask) {
    Image out;
    ASSERT_TRUE(Emboss(Flat(6, 5, 32, 0x3080F0), &out, mask, 5, 100).ok());
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) ASSERT_EQ(out.PixelRgb(x, y), 0x646464u) << mask;
  }
}

TEST(Emboss, AStepLitFromTheLeft) {
  // Dark left half (grey 50), bright right half (grey 150).
  Image src = Flat(6, 3, 24, 0x323232);
  for (int y = 0; y < 3; ++y)
    for (int x = 3; x < 6; ++x) src.SetPixelRgb(x, y, 0x969696);
  Image out;
  // Light from the left: the bright side's edge faces the light, Y(x+1) - Y(x-1).
  ASSERT_TRUE(Emboss(src, &out, 7, 1, 128).ok());
  EXPECT_EQ(Px(out, 2, 1)[0], 128 + 150 - 50);
  EXPECT_EQ(Px(out, 3, 1)[0], 128 + 150 - 50);
  EXPECT_EQ(Px(out, 0, 1)[0], 128);
  ASSERT_TRUE(Emboss(src, &out, 3, 2, 128).ok());  // from the right, doubled: 128 - 200, clamped
  EXPECT_EQ(Px(out, 2, 1)[0], 0);
  ASSERT_TRUE(Emboss(src, &out, 7, 2, 100).ok());
  EXPECT_EQ(Px(out, 2, 1)[0], 255);  // 100 + 200, clamped
  EXPECT_EQ(Emboss(src, &out, 8, 1, 0).code(), Status::kBadValue);
  EXPECT_EQ(Emboss(src, &out, 0, 6, 0).code(), Status::kBadValue);
}

TEST(Mosaic, CellsAreUniformMeans) {
  const Image src = testing::Noise(23, 17, 32, 9);
  Image out;
  ASSERT_TRUE(Mosaic(src, &out, 5, 4).ok());
  for (int cy = 0; cy < 17; cy += 4)
    for (int cx = 0; cx < 23; cx += 5) {
      const int w = std::min(5, 23 - cx), h = std::min(4, 17 - cy);
      for (int c = 0; c < 4; ++c) {
        int sum = 0;
        for (int y = cy; y < cy + h; ++y)
          for (int x = cx; x < cx + w; ++x) sum += Px(src, x, y)[c];
        const int mean = (sum + w * h / 2) / (w * h);
        for (int y = cy; y < cy + h; ++y)
          for (int x = cx; x < cx + w; ++x) ASSERT_EQ(Px(out, x, y)[c], mean) << cx << "," << cy;
      }
    }
}

TEST(Mosaic, CellsStartAtTheRegionCorner) {
  const Image src = testing::Noise(12, 12, 24, 2);
  Image out;
  ASSERT_TRUE(Mosaic(src, &out, 3, 3, Region::Rectangle(1, 2, 6, 7)).ok());
  // The cell (1..3, 2..4) is uniform.
  for (int y = 2; y <= 4; ++y)
    for (int x = 1; x <= 3; ++x) EXPECT_EQ(out.PixelRgb(x, y), out.PixelRgb(1, 2));
  EXPECT_NE(out.PixelRgb(1, 2), out.PixelRgb(4, 2));
}

TEST(Mosaic, OneByOneIsTheIdentityAndSizesAreChecked) {
  const Image src = testing::Noise(7, 3, 24, 1);
  Image out;
  ASSERT_TRUE(Mosaic(src, &out, 1, 1).ok());
  EXPECT_TRUE(testing::SamePixels(src, out));
  ASSERT_TRUE(Mosaic(src, &out, 100, 100).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), out.PixelRgb(6, 2));
  EXPECT_EQ(Mosaic(src, &out, 0, 5).code(), Status::kBadValue);
  EXPECT_EQ(Mosaic(src, &out, 5, 101).code(), Status::kBadValue);
}

}  // namespace
}  // namespace imaging::ops

#include "imaging/codecs/internal/reduced_picture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "imaging/testing/codec_test_support.h"

namespace imaging::codecs::internal {
namespace {

using namespace imaging::testing;

TEST(ReducedPicture, FactorLeavesTheFinalFitALittleToDo) {
  LoadOptions o;
  EXPECT_EQ(ReducedPicture::Factor(1000, 1000, o), 1);  // no bound
  o.max_width = o.max_height = 160;
  EXPECT_EQ(ReducedPicture::Factor(1000, 600, o), 3);    // 333 x 200 still covers 160 x 160
  EXPECT_EQ(ReducedPicture::Factor(300, 300, o), 1);
  o.max_height = 0;
  EXPECT_EQ(ReducedPicture::Factor(16997, 48640, o), 106);
  EXPECT_EQ(ReducedPicture::Factor(65000, 65000, LoadOptions{0, 1, 1, false}), 1024);  // at most 1024
}

// True-colour rows, fed bottom row first, become block means (edge blocks
// smaller), as a slow sum over each block gives them.
TEST(ReducedPicture, TrueColourBlocksAreMeansInAnyRowOrder) {
  for (int bpp : {24, 32})
    for (int k : {1, 2, 3, 7}) {
      SCOPED_TRACE(::testing::Message() << "bpp " << bpp << " k " << k);
      const Image src = RandomPicture(37, 23, bpp, unsigned(bpp + k));
      ReducedPicture pic;
      ASSERT_TRUE(pic.Start(37, 23, bpp, k).ok());
      for (int y = 22; y >= 0; --y) pic.PutRow(y, src.row(y));
      const Image out = pic.Finish();
      ASSERT_EQ(out.width(), (37 + k - 1) / k);
      ASSERT_EQ(out.height(), (23 + k - 1) / k);
      const int n = bpp / 8;
      for (int oy = 0; oy < out.height(); ++oy)
        for (int ox = 0; ox < out.width(); ++ox)
          for (int c = 0; c < n; ++c) {
            unsigned sum = 0, count = 0;
            for (int y = oy * k; y < std::min(23, oy * k + k); ++y)
              for (int x = ox * k; x < std::min(37, ox * k + k); ++x, ++count) sum += src.row(y)[x * n + c];
            ASSERT_EQ(out.row(oy)[ox * n + c], (sum + count / 2) / count) << ox << "," << oy << " c" << c;
          }
    }
}

// Palette and 16-bit pictures keep the top-left pixel of each block.
TEST(ReducedPicture, PalettePicturesKeepTheTopLeftPixel) {
  for (int bpp : {1, 4, 8, 16})
    for (int k : {1, 3}) {
      SCOPED_TRACE(::testing::Message() << "bpp " << bpp << " k " << k);
      const Image src = RandomPicture(29, 11, bpp, unsigned(bpp * 3 + k), {.random_palette = false});
      ReducedPicture pic;
      ASSERT_TRUE(pic.Start(29, 11, bpp, k).ok());
      for (int y = 0; y < 11; ++y)
        if (pic.Wants(y)) pic.PutRow(y, src.row(y));
      Image out = pic.Finish();
      if (bpp <= 8) out.palette() = src.palette();
      for (int oy = 0; oy < out.height(); ++oy)
        for (int ox = 0; ox < out.width(); ++ox) ASSERT_EQ(out.PixelRgb(ox, oy), src.PixelRgb(ox * k, oy * k));
    }
}

TEST(ReducedPicture, RefusesPicturesBeyondTheEngineLimit) {
  ReducedPicture pic;
  EXPECT_EQ(pic.Start(20000, 20000, 8, 100).code(), Status::kMemory);
  EXPECT_EQ(pic.Start(70000, 10, 8, 100).code(), Status::kMemory);
}

}  // namespace
}  // namespace imaging::codecs::internal

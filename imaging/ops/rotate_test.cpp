#include "imaging/ops/rotate.h"

#include <cmath>

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Noise;
using testing::SamePixels;

constexpr int kDepths[] = {1, 4, 8, 16, 24, 32};

TEST(RotateImage, FourQuarterTurnsAreTheIdentityAtEveryDepth) {
  for (int bpp : kDepths)
    for (auto [w, h] : {std::pair{1, 1}, std::pair{7, 3}, std::pair{13, 10}}) {
      const Image src = Noise(w, h, bpp, static_cast<uint32_t>(bpp + w));
      for (int step : {9000, -9000}) {
        Image img = src;
        for (int i = 0; i < 4; ++i) {
          ASSERT_TRUE(RotateImage(img, &img, step).ok());
          EXPECT_EQ(img.width(), i % 2 == 0 ? h : w);
        }
        EXPECT_TRUE(SamePixels(img, src)) << bpp << " " << w << "x" << h;
      }
    }
}

TEST(RotateImage, QuarterTurnMovesPixelsAsExpected) {
  for (int bpp : kDepths) {
    const Image src = Noise(5, 3, bpp, 11);
    Image left, right, half;
    ASSERT_TRUE(RotateImage(src, &left, 9000).ok());
    ASSERT_TRUE(RotateImage(src, &right, -9000).ok());
    ASSERT_TRUE(RotateImage(src, &half, 18000).ok());
    ASSERT_EQ(left.width(), 3);
    ASSERT_EQ(left.height(), 5);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        const uint32_t c = src.PixelRgb(x, y);
        ASSERT_EQ(left.PixelRgb(y, 4 - x), c) << bpp;   // anticlockwise: top row becomes the left column
        ASSERT_EQ(right.PixelRgb(2 - y, x), c) << bpp;  // clockwise
        ASSERT_EQ(half.PixelRgb(4 - x, 2 - y), c) << bpp;
      }
    EXPECT_EQ(left.palette(), src.palette());
  }
}

TEST(RotateImage, FlipsAreInvolutionsAndMirror) {
  for (int bpp : kDepths) {
    const Image src = Noise(9, 4, bpp, 5);
    for (Flip f : {Flip::kHorizontal, Flip::kVertical, Flip::kBoth}) {
      Image once, twice;
      ASSERT_TRUE(RotateImage(src, &once, 0, f).ok());
      ASSERT_TRUE(RotateImage(once, &twice, 0, f).ok());
      EXPECT_TRUE(SamePixels(twice, src)) << bpp;
      EXPECT_FALSE(SamePixels(once, src)) << bpp;
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) {
          const int sx = (f == Flip::kVertical) ? x : 8 - x, sy = (f == Flip::kHorizontal) ? y : 3 - y;
          ASSERT_EQ(once.PixelRgb(x, y), src.PixelRgb(sx, sy)) << bpp;
        }
    }
    // Both flips are a half turn.
    Image both, half;
    ASSERT_TRUE(RotateImage(src, &both, 0, Flip::kBoth).ok());
    ASSERT_TRUE(RotateImage(src, &half, -18000).ok());
    EXPECT_TRUE(SamePixels(both, half));
  }
}

TEST(RotateImage, FlipComesBeforeTheTurn) {
  const Image src = Noise(4, 3, 24, 2);
  Image a, flipped, b;
  ASSERT_TRUE(RotateImage(src, &a, 9000, Flip::kHorizontal).ok());
  ASSERT_TRUE(RotateImage(src, &flipped, 0, Flip::kHorizontal).ok());
  ASSERT_TRUE(RotateImage(flipped, &b, 9000).ok());
  EXPECT_TRUE(SamePixels(a, b));
}

TEST(RotateImage, FreeAngleExpandsTheCanvasAndFillsWhite) {
  const Image src = testing::Flat(100, 60, 24, 0x204060);
  Image out;
  ASSERT_TRUE(RotateImage(src, &out, 750).ok());
  const double c = std::cos(7.5 * 3.14159265358979 / 180), s = std::sin(7.5 * 3.14159265358979 / 180);
  EXPECT_EQ(out.width(), static_cast<int>(std::ceil(100 * c + 60 * s)));
  EXPECT_EQ(out.height(), static_cast<int>(std::ceil(100 * s + 60 * c)));
  EXPECT_EQ(out.PixelRgb(0, 0), 0xFFFFFFu);
  EXPECT_EQ(out.PixelRgb(out.width() - 1, out.height() - 1), 0xFFFFFFu);
  EXPECT_EQ(out.PixelRgb(out.width() / 2, out.height() / 2), 0x204060u);
  // Keeping the size cuts the corners off.
  ASSERT_TRUE(RotateImage(src, &out, 750, Flip::kNone, 0x000000, RotateCanvas::kKeepSize).ok());
  EXPECT_EQ(out.width(), 100);
  EXPECT_EQ(out.PixelRgb(0, 0), 0x000000u);
}

TEST(RotateImage, FreeAngleAtLowDepths) {
  for (int bpp : {1, 4, 8, 16}) {
    const Image src = Noise(21, 11, bpp, 1);
    Image out;
    ASSERT_TRUE(RotateImage(src, &out, 3000).ok()) << bpp;
    EXPECT_EQ(out.bpp(), bpp);
    EXPECT_GT(out.width(), 21);
  }
}

TEST(RotateImage, KeepSizeQuarterTurnCentres) {
  const Image src = Noise(6, 2, 8, 4);
  Image out;
  ASSERT_TRUE(RotateImage(src, &out, 9000, Flip::kNone, 0xFFFFFF, RotateCanvas::kKeepSize).ok());
  ASSERT_EQ(out.width(), 6);
  ASSERT_EQ(out.height(), 2);
  // Columns 2 and 3 hold the turned picture's middle rows.
  EXPECT_EQ(out.PixelRgb(2, 0), src.PixelRgb(3, 0));
  EXPECT_EQ(out.PixelRgb(3, 1), src.PixelRgb(2, 1));
}

TEST(RotateImage, RejectsBadArguments) {
  Image out;
  EXPECT_EQ(RotateImage(Noise(2, 2, 24, 1), nullptr, 9000).code(), Status::kBadValue);
  EXPECT_EQ(RotateImage(Image(), &out, 9000).code(), Status::kBadImage);
  EXPECT_EQ(RotateImage(Noise(2, 2, 24, 1), &out, 0, static_cast<Flip>(7)).code(), Status::kBadValue);
}

}  // namespace
}  // namespace imaging::ops

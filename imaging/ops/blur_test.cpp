#include "imaging/ops/blur.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Flat;
using testing::Noise;
using testing::Px;

double Variance(const Image& img) {
  double sum = 0, sq = 0;
  const int n = img.width() * img.height();
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const double v = Px(img, x, y)[1];
      sum += v;
      sq += v * v;
    }
  return sq / n - (sum / n) * (sum / n);
}

TEST(Blur, FlatPicturesStayFlat) {
  for (int bpp : {24, 32})
    for (int w : {1, 2, 7}) {
      const Image src = Flat(w, 5, bpp, 0x3399CC);
      Image a, b, c;
      ASSERT_TRUE(Blur(src, &a, 20).ok());
      ASSERT_TRUE(Sharpen(src, &b, 100).ok());
      ASSERT_TRUE(SmoothEdges(src, &c).ok());
      EXPECT_TRUE(testing::SamePixels(a, src)) << w;
      EXPECT_TRUE(testing::SamePixels(b, src)) << w;
      EXPECT_TRUE(testing::SamePixels(c, src)) << w;
    }
}

TEST(Blur, StrongerLevelsSmoothMore) {
  const Image src = Noise(40, 30, 24, 1);
  Image weak, strong;
  ASSERT_TRUE(Blur(src, &weak, 1).ok());
  ASSERT_TRUE(Blur(src, &strong, 6).ok());
  EXPECT_LT(Variance(weak), Variance(src));
  EXPECT_LT(Variance(strong), Variance(weak) / 4);
}

TEST(Blur, RejectsLevelsOutOfRange) {
  Image out;
  EXPECT_EQ(Blur(Noise(3, 3, 24, 1), &out, 0).code(), Status::kBadValue);
  EXPECT_EQ(Blur(Noise(3, 3, 24, 1), &out, 21).code(), Status::kBadValue);
  EXPECT_EQ(Sharpen(Noise(3, 3, 24, 1), &out, 101).code(), Status::kBadValue);
  EXPECT_EQ(GaussianBlur(Noise(3, 3, 24, 1), &out, 0.0).code(), Status::kBadValue);
  EXPECT_EQ(Blur(Noise(3, 3, 8, 1), &out, 2).code(), Status::kNotTarget);
}

// Slow reference: p + s (p - mean of the 3 x 3 neighbourhood, edges repeated).
TEST(Sharpen, MatchesTheUnsharpReference) {
  for (int w : {1, 2, 9}) {
    const Image src = Noise(w, 6, 32, static_cast<uint32_t>(w));
    for (int level : {5, 50, 100}) {
      Image out;
      ASSERT_TRUE(Sharpen(src, &out, level).ok());
      const double s = level / 10.0;
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < w; ++x)
          for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int j = -1; j <= 1; ++j)
              for (int i = -1; i <= 1; ++i)
                sum += Px(src, std::clamp(x + i, 0, w - 1), std::clamp(y + j, 0, 5))[c];
            const double p = Px(src, x, y)[c];
            const double want = std::clamp(p + s * (p - sum / 9), 0.0, 255.0);
            ASSERT_NEAR(Px(out, x, y)[c], want, 1.01) << w << " " << level << " " << x << "," << y;
          }
    }
  }
}

TEST(Sharpen, LevelZeroIsTheIdentity) {
  const Image src = Noise(7, 5, 24, 3);
  Image out;
  ASSERT_TRUE(Sharpen(src, &out, 0).ok());
  EXPECT_TRUE(testing::SamePixels(src, out));
}

TEST(SmoothEdges, SoftensAStepAndLeavesFlatSidesAlone) {
  Image src = Flat(12, 6, 24, 0x000000);
  for (int y = 0; y < 6; ++y)
    for (int x = 6; x < 12; ++x) src.SetPixelRgb(x, y, 0xFFFFFF);
  Image out;
  ASSERT_TRUE(SmoothEdges(src, &out).ok());
  EXPECT_EQ(out.PixelRgb(1, 3), 0x000000u);
  EXPECT_EQ(out.PixelRgb(10, 3), 0xFFFFFFu);
  EXPECT_GT(Px(out, 5, 3)[0], 0);
  EXPECT_LT(Px(out, 6, 3)[0], 255);
}

}  // namespace
}  // namespace imaging::ops

#include "viewer_common/utils/fit_size.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace viewer {
namespace {

TEST(FitInside, WidePictureInASmallArea) {
  const Fit f = FitInside(1000, 500, 76, 56);
  EXPECT_EQ(f.width, 76);
  EXPECT_EQ(f.height, 38);
  EXPECT_EQ(f.x, 0);
  EXPECT_EQ(f.y, 9);
}

TEST(FitInside, NeverEnlargesUnlessAsked) {
  const Fit f = FitInside(20, 10, 100, 50);
  EXPECT_EQ(f.width, 20);
  EXPECT_EQ(f.height, 10);
  EXPECT_EQ(f.x, 40);
  EXPECT_EQ(f.y, 20);
  const Fit g = FitInside(20, 10, 100, 80, true);
  EXPECT_EQ(g.width, 100);
  EXPECT_EQ(g.height, 50);
  EXPECT_EQ(g.y, 15);
}

TEST(FitInside, SweepStaysInsideAndKeepsAspect) {
  // Against the obvious reference: the drawn picture fits the area, touches
  // it on the limiting side, and keeps the aspect within a rounding step.
  for (int iw : {1, 3, 17, 160, 999})
    for (int ih : {1, 2, 45, 120, 1001})
      for (int aw : {1, 7, 76, 160})
        for (int ah : {1, 9, 56, 120}) {
          const Fit f = FitInside(iw, ih, aw, ah);
          ASSERT_LE(f.width, std::max(aw, 1)) << iw << "x" << ih << " in " << aw << "x" << ah;
          ASSERT_LE(f.height, std::max(ah, 1));
          ASSERT_GE(f.x, 0);
          ASSERT_GE(f.y, 0);
          if (iw <= aw && ih <= ah) {
            ASSERT_EQ(f.width, iw);
            ASSERT_EQ(f.height, ih);
          } else {
            ASSERT_TRUE(f.width == aw || f.height == ah);
            const double s = std::max(double(iw) / aw, double(ih) / ah);
            ASSERT_LE(std::abs(f.width - iw / s), 1.0);
            ASSERT_LE(std::abs(f.height - ih / s), 1.0);
          }
        }
  EXPECT_EQ(FitInside(0, 10, 10, 10).width, 0);
  EXPECT_EQ(FitInside(10, 10, 0, 10).width, 0);
}

TEST(ThumbnailSize, LongerSideTakesTheSize) {
  EXPECT_EQ(ThumbnailSize(640, 480, 96).width, 96);
  EXPECT_EQ(ThumbnailSize(640, 480, 96).height, 72);
  EXPECT_EQ(ThumbnailSize(480, 640, 96).width, 72);
  EXPECT_EQ(ThumbnailSize(480, 640, 96).height, 96);
  EXPECT_EQ(ThumbnailSize(1000, 1, 96).height, 1);  // never 0
  EXPECT_EQ(ThumbnailSize(3, 2, 5).height, 3);      // 3.33 + 0.5 truncated
  EXPECT_EQ(ThumbnailSize(0, 5, 96).width, 0);
}

}  // namespace
}  // namespace viewer

#include "slide/slide_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace slide {
namespace {

// The fit worked out in double precision: the single-precision result may
// differ from it by at most one pixel, never leaves the box and never
// enlarges.
TEST(FitSize, AgreesWithADoublePrecisionFitAndStaysInTheBox) {
  for (int w : {1, 3, 5, 99, 400, 401, 1919, 1920, 6000, 65500})
    for (int h : {1, 2, 7, 300, 1080, 4000, 65500})
      for (auto [bw, bh] : {std::pair{1, 1}, {5, 5}, {400, 300}, {1916, 1076}, {7, 9000}}) {
        const Fitted f = FitSize(w, h, bw, bh);
        const double s = std::max({w > bw ? double(w) / bw : 1.0, h > bh ? double(h) / bh : 1.0});
        EXPECT_NEAR(f.width, std::floor(w / s + 0.5), 1) << w << "x" << h << " in " << bw << "x" << bh;
        EXPECT_NEAR(f.height, std::floor(h / s + 0.5), 1);
        EXPECT_LE(f.width, std::max(1, std::min(w, bw)));
        EXPECT_LE(f.height, std::max(1, std::min(h, bh)));
        EXPECT_GE(f.width, 1);
        EXPECT_GE(f.height, 1);
      }
  EXPECT_EQ(FitSize(4000, 3000, 1920, 1080).width, 1440);
  EXPECT_EQ(FitSize(4000, 3000, 1920, 1080).height, 1080);
  EXPECT_EQ(FitSize(20, 10, 400, 300).width, 20);  // small pictures stay small
  EXPECT_EQ(FitSize(0, 10, 400, 300).width, 0);
}

TEST(InnerRect, BorderKindsTakeOneOrTwoPixels) {
  InnerRect r = ComputeInnerRect(100, 50, false, 1);
  EXPECT_EQ(r.Width(), 100);
  EXPECT_EQ(r.Height(), 50);
  r = ComputeInnerRect(100, 50, true, 0);
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.Width(), 98);
  r = ComputeInnerRect(100, 50, true, 2);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.bottom, 47);
  EXPECT_EQ(ComputeInnerRect(3, 50, true, 1).Width(), -1);
}

TEST(RangeRule, EndsWithAndWithoutEndless) {
  EXPECT_EQ(RangeRule(-1, 5, false), 0);
  EXPECT_EQ(RangeRule(-1, 5, true), 4);
  EXPECT_EQ(RangeRule(5, 5, false), 4);
  EXPECT_EQ(RangeRule(5, 5, true), 0);
  EXPECT_EQ(RangeRule(3, 5, true), 3);
  EXPECT_EQ(RangeRule(int64_t{1} << 40, 5, false), 4);
  EXPECT_EQ(RangeRule(0, 0, true), -1);
  EXPECT_EQ(RangeRule(-1, 1, true), 0);
}

}  // namespace
}  // namespace slide

#include "imaging/ops/edge_extract.h"

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Flat;
using testing::Px;

// A vertical step of 40 levels in red only, between columns 3 and 4.
Image RedStep() {
  Image img = Flat(8, 5, 24, 0x102030);
  for (int y = 0; y < 5; ++y)
    for (int x = 4; x < 8; ++x) img.SetPixelRgb(x, y, 0x382030);
  return img;
}

TEST(EdgeExtract, FlatIsBlackForEveryPattern) {
  for (int p = 0; p < 3; ++p) {
    Image out;
    ASSERT_TRUE(EdgeExtract(Flat(5, 4, 32, 0x8090A0), &out, EdgePlane::kLuminance, EdgePattern(p), 100).ok());
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) ASSERT_EQ(out.PixelRgb(x, y), 0u);
  }
}

TEST(EdgeExtract, StepGivesItsHeightOnTheEdgeColumns) {
  const Image src = RedStep();
  Image out;
  ASSERT_TRUE(EdgeExtract(src, &out, EdgePlane::kRed, EdgePattern::kDifference, 0).ok());
  EXPECT_EQ(Px(out, 3, 2)[0], 40);  // |p - right|
  EXPECT_EQ(Px(out, 4, 2)[0], 0);
  EXPECT_EQ(Px(out, 3, 2)[0], Px(out, 3, 2)[2]);
  ASSERT_TRUE(EdgeExtract(src, &out, EdgePlane::kRed, EdgePattern::kRoberts, 0).ok());
  EXPECT_EQ(Px(out, 3, 2)[0], 80);  // both diagonals cross the step
  ASSERT_TRUE(EdgeExtract(src, &out, EdgePlane::kRed, EdgePattern::kSobel, 0).ok());
  EXPECT_EQ(Px(out, 3, 2)[0], 40);  // 4 x 40 / 4
  EXPECT_EQ(Px(out, 4, 2)[0], 40);
  EXPECT_EQ(Px(out, 1, 2)[0], 0);
  // Brightness 10 doubles, 100 multiplies by eleven (clamped).
  ASSERT_TRUE(EdgeExtract(src, &out, EdgePlane::kRed, EdgePattern::kDifference, 10).ok());
  EXPECT_EQ(Px(out, 3, 2)[0], 80);
  ASSERT_TRUE(EdgeExtract(src, &out, EdgePlane::kRed, EdgePattern::kDifference, 100).ok());
  EXPECT_EQ(Px(out, 3, 2)[0], 255);
}

TEST(EdgeExtract, PlaneChoiceMatters) {
  const Image src = RedStep();
  Image out;
  ASSERT_TRUE(EdgeExtract(src, &out, EdgePlane::kGreen, EdgePattern::kSobel, 100).ok());
  EXPECT_EQ(Px(out, 3, 2)[0], 0);
  ASSERT_TRUE(EdgeExtract(src, &out, EdgePlane::kBlue, EdgePattern::kSobel, 100).ok());
  EXPECT_EQ(Px(out, 3, 2)[0], 0);
  ASSERT_TRUE(EdgeExtract(src, &out, EdgePlane::kLuminance, EdgePattern::kDifference, 0).ok());
  EXPECT_NEAR(Px(out, 3, 2)[0], 0.299 * 40, 1);
  EXPECT_EQ(EdgeExtract(src, &out, EdgePlane(4), EdgePattern::kSobel, 0).code(), Status::kBadValue);
  EXPECT_EQ(EdgeExtract(src, &out, EdgePlane::kRed, EdgePattern(3), 0).code(), Status::kBadValue);
  EXPECT_EQ(EdgeExtract(src, &out, EdgePlane::kRed, EdgePattern::kSobel, 101).code(), Status::kBadValue);
}

TEST(EdgeExtract, OneByOne) {
  Image out;
  ASSERT_TRUE(EdgeExtract(Flat(1, 1, 24, 0xFFFFFF), &out, EdgePlane::kLuminance, EdgePattern::kRoberts, 5).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), 0u);
}

}  // namespace
}  // namespace imaging::ops

#include "imaging/ops/motion_blur.h"

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Flat;
using testing::Px;

TEST(MotionBlur, FlatStaysFlatForEveryKind) {
  for (int kind = 0; kind < 3; ++kind)
    for (int w : {1, 2, 15}) {
      Image out;
      ASSERT_TRUE(MotionBlur(Flat(w, 9, 32, 0x5070A0), &out, MotionKind(kind), 40, 33).ok());
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(out.PixelRgb(x, y), 0x5070A0u) << kind << " " << w;
    }
}

TEST(MotionBlur, HorizontalLineSpreadsAlongItsDirectionOnly) {
  // A single white column on black, blurred horizontally by 9 pixels.
  Image src = Flat(41, 7, 24, 0);
  for (int y = 0; y < 7; ++y) src.SetPixelRgb(20, y, 0xFFFFFF);
  Image out;
  ASSERT_TRUE(MotionBlur(src, &out, MotionKind::kLinear, 9, 0).ok());
  int total = 0;
  for (int x = 0; x < 41; ++x) total += Px(out, x, 3)[0];
  EXPECT_NEAR(total, 255, 12);               // the light is kept
  EXPECT_NEAR(Px(out, 20, 3)[0], 255 / 9, 4);
  EXPECT_NEAR(Px(out, 16, 3)[0], 255 / 9, 4);
  EXPECT_EQ(Px(out, 10, 3)[0], 0);
  for (int y = 0; y < 7; ++y) EXPECT_EQ(Px(out, 20, y)[0], Px(out, 20, 3)[0]);
  // Vertically, a vertical column does not change.
  ASSERT_TRUE(MotionBlur(src, &out, MotionKind::kLinear, 9, 90).ok());
  EXPECT_EQ(Px(out, 20, 3)[0], 255);
  EXPECT_EQ(Px(out, 19, 3)[0], 0);
}

TEST(MotionBlur, SpinAndZoomLeaveTheCentreSharp) {
  const Image src = testing::Noise(31, 31, 24, 5);
  for (MotionKind kind : {MotionKind::kRadial, MotionKind::kZoom}) {
    Image out;
    ASSERT_TRUE(MotionBlur(src, &out, kind, 60, 0).ok());
    EXPECT_EQ(out.PixelRgb(15, 15), src.PixelRgb(15, 15));
    EXPECT_NE(out.PixelRgb(0, 0), src.PixelRgb(0, 0));
  }
}

TEST(MotionBlur, ShortLengthIsTheIdentityAndValuesAreChecked) {
  const Image src = testing::Noise(6, 4, 24, 1);
  Image out;
  ASSERT_TRUE(MotionBlur(src, &out, MotionKind::kLinear, 0, 0).ok());
  EXPECT_TRUE(testing::SamePixels(src, out));
  EXPECT_EQ(MotionBlur(src, &out, MotionKind::kLinear, 256, 0).code(), Status::kBadValue);
  EXPECT_EQ(MotionBlur(src, &out, MotionKind::kLinear, 5, 361).code(), Status::kBadValue);
  EXPECT_EQ(MotionBlur(src, &out, MotionKind(3), 5, 0).code(), Status::kBadValue);
}

}  // namespace
}  // namespace imaging::ops

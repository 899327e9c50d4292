#include "imaging/ops/tone_curve.h"

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using V = std::vector<int>;

TEST(ToneCurvePoints, FollowsTheSliders) {
  CurvePoints p = ToneCurvePoints(0, 0);
  EXPECT_EQ(p.x, (V{0, 64, 128, 192, 255}));
  EXPECT_EQ(p.y, (V{0, 64, 128, 192, 255}));
  p = ToneCurvePoints(50, 0);
  EXPECT_EQ(p.y, (V{0, 32, 128, 224, 255}));
  EXPECT_EQ(ToneCurvePoints(0, 100).x, (V{0, 64, 128, 192, 255}));
  EXPECT_EQ(ToneCurvePoints(0, -50).x, (V{0, 32, 64, 96, 128}));
  EXPECT_EQ(ToneCurvePoints(0, 50).x, (V{128, 160, 192, 224, 255}));
  // Inputs crowd at 255 for small positive levels.
  EXPECT_EQ(ToneCurvePoints(0, 1).x, (V{253, 254, 255, 255, 255}));
  // Flattening: y1 toward y2 by half the gap, y3 likewise.
  EXPECT_EQ(ToneCurvePoints(-50, 0).y, (V{0, 96, 128, 160, 255}));
  // Ties go to the even neighbour: 63 - 0.5 * 63 = 31.5 -> 32; 0.5 * 63 + 190 = 221.5 -> 222.
  p = ToneCurvePoints(50, -1);  // x = 0, 63, 127, 190, 253
  EXPECT_EQ(p.x, (V{0, 63, 127, 190, 253}));
  EXPECT_EQ(p.y, (V{0, 32, 127, 222, 253}));
}

TEST(BuildToneCurve, IdentityPointsGiveTheIdentity) {
  std::array<uint8_t, 256> t;
  for (const V& x : {V{0, 255}, V{0, 64, 128, 192, 255}, V{255, 0, 100}}) {
    ASSERT_TRUE(BuildToneCurve(x, x, &t).ok());
    for (int i = 0; i < 256; ++i) ASSERT_EQ(t[i], i);
  }
}

TEST(BuildToneCurve, PassesThroughItsPointsAndIsFlatBeyondThem) {
  std::array<uint8_t, 256> t;
  ASSERT_TRUE(BuildToneCurve({0, 64, 128, 192, 255}, {0, 30, 128, 225, 255}, &t).ok());
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(t[64], 30);
  EXPECT_EQ(t[128], 128);
  EXPECT_EQ(t[192], 225);
  EXPECT_EQ(t[255], 255);
  for (int i = 1; i < 256; ++i) EXPECT_GE(t[i], t[i - 1]) << i;  // this S-curve rises everywhere
  ASSERT_TRUE(BuildToneCurve({128, 160, 192, 224, 255}, {128, 160, 192, 224, 255}, &t).ok());
  EXPECT_EQ(t[0], 128);
  EXPECT_EQ(t[127], 128);
  EXPECT_EQ(t[200], 200);
  ASSERT_TRUE(BuildToneCurve({253, 254, 255, 255, 255}, {253, 254, 255, 255, 255}, &t).ok());
  EXPECT_EQ(t[10], 253);
  EXPECT_EQ(BuildToneCurve({0, 300}, {0, 255}, &t).code(), Status::kBadValue);
  EXPECT_EQ(BuildToneCurve({0, 255}, {0}, &t).code(), Status::kBadValue);
}

TEST(ToneCurve, MapsOnlyTheChosenChannels) {
  const Image src = testing::Noise(9, 4, 32, 2);
  Image out;
  ASSERT_TRUE(ToneCurve(src, &out, {0, 255}, {255, 0}, kRedChannel).ok());  // invert red
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) {
      const uint8_t* s = testing::Px(src, x, y);
      const uint8_t* d = testing::Px(out, x, y);
      ASSERT_EQ(d[2], 255 - s[2]);
      ASSERT_EQ(d[1], s[1]);
      ASSERT_EQ(d[0], s[0]);
      ASSERT_EQ(d[3], s[3]);
    }
  ASSERT_TRUE(ToneCurve(src, &out, {0, 128, 255}, {0, 128, 255}, kAllChannels).ok());
  EXPECT_TRUE(testing::SamePixels(src, out));
}

TEST(ToneCurveYCrCb, BrighteningLumaKeepsGreysGreyAndAlpha) {
  const Image src = testing::Flat(3, 2, 32, 0x404040);
  Image out;
  ASSERT_TRUE(ToneCurveYCrCb(src, &out, {0, 64, 255}, {0, 128, 255}, kRedChannel).ok());
  const uint8_t* p = testing::Px(out, 1, 1);
  EXPECT_NEAR(p[0], 128, 1);
  EXPECT_EQ(p[0], p[1]);
  EXPECT_EQ(p[1], p[2]);
  EXPECT_EQ(p[3], testing::Px(src, 1, 1)[3]);
}

}  // namespace
}  // namespace imaging::ops

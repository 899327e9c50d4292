#include "imaging/ops/color_adjust.h"

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Flat;
using testing::Noise;
using testing::SamePixels;

TEST(AdjustBrightness, AddsPerChannelAndClamps) {
  const Image src = Flat(5, 3, 24, 0xF01020);
  Image out;
  ASSERT_TRUE(AdjustBrightness(src, &out, 80, -80, 40).ok());
  EXPECT_EQ(out.PixelRgb(4, 2), 0xFF0048u);
  ASSERT_TRUE(AdjustBrightness(src, &out, -255, 255, 0).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), 0x00FF20u);
  EXPECT_EQ(AdjustBrightness(src, &out, 256, 0, 0).code(), Status::kBadValue);
  EXPECT_EQ(AdjustBrightness(Flat(2, 2, 16, 0), &out, 1, 1, 1).code(), Status::kNotTarget);
}

TEST(AdjustSaturation, MinusHundredGivesGreyAndZeroNothing) {
  const Image src = Noise(11, 5, 32, 1);
  Image grey, same;
  ASSERT_TRUE(AdjustSaturation(src, &grey, -100).ok());
  ASSERT_TRUE(AdjustSaturation(src, &same, 0).ok());
  EXPECT_TRUE(SamePixels(src, same));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 11; ++x) {
      const uint8_t* p = testing::Px(grey, x, y);
      const uint8_t* s = testing::Px(src, x, y);
      ASSERT_EQ(p[0], p[1]);
      ASSERT_EQ(p[1], p[2]);
      ASSERT_NEAR(p[0], 0.114 * s[0] + 0.587 * s[1] + 0.299 * s[2], 1.0);
      ASSERT_EQ(p[3], s[3]);
    }
}

TEST(AdjustSaturation, GreysStayAndColoursGrow) {
  Image src = Flat(2, 1, 24, 0x777777);
  src.SetPixelRgb(1, 0, 0x806060);
  Image out;
  ASSERT_TRUE(AdjustSaturation(src, &out, 200).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), 0x777777u);
  const uint8_t* p = testing::Px(out, 1, 0);
  EXPECT_GT(p[2] - p[1], 0x80 - 0x60);
  EXPECT_EQ(AdjustSaturation(src, &out, 1001).code(), Status::kBadValue);
}

TEST(InvertChannels, TwiceIsTheIdentityAtEveryDepth) {
  for (int bpp : {1, 4, 8, 16, 24, 32})
    for (const Region& r : {Region::Whole(), Region::Rectangle(1, 1, 4, 3)}) {
      Image src = Noise(7, 5, bpp, static_cast<uint32_t>(bpp));
      if (bpp <= 8) {  // a palette closed under inversion: a grey ramp
        Image ramp;
        ASSERT_TRUE(Image::Create(1, 1, bpp, &ramp).ok());
        src.palette() = ramp.palette();
      }
      Image once, twice;
      ASSERT_TRUE(InvertChannels(src, &once, kAllChannels, r).ok());
      ASSERT_TRUE(InvertChannels(once, &twice, kAllChannels, r).ok());
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
          ASSERT_EQ(twice.PixelRgb(x, y), src.PixelRgb(x, y)) << bpp;
          const bool inside = r.whole() || (x >= 1 && x <= 4 && y >= 1 && y <= 3);
          const uint32_t expect = inside ? (src.PixelRgb(x, y) ^ 0xFFFFFF) : src.PixelRgb(x, y);
          if (bpp != 16) {
            ASSERT_EQ(once.PixelRgb(x, y), expect) << bpp << " " << x << "," << y;
          }
        }
    }
}

TEST(InvertChannels, OnlyTheChosenChannels) {
  const Image src = Flat(2, 2, 24, 0x102030);
  Image out;
  ASSERT_TRUE(InvertChannels(src, &out, kGreenChannel).ok());
  EXPECT_EQ(out.PixelRgb(1, 1), 0x10DF30u);
  ASSERT_TRUE(InvertChannels(src, &out, ChannelsOf(false, false, false)).ok());
  EXPECT_TRUE(SamePixels(src, out));
  Image hi = Flat(1, 1, 16, 0xFF0000);
  ASSERT_TRUE(InvertChannels(hi, &out, kRedChannel | kBlueChannel).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), 0x0000FFu);
  EXPECT_EQ(InvertChannels(src, &out, ChannelSet(8)).code(), Status::kBadValue);
}

}  // namespace
}  // namespace imaging::ops

#include "imaging/ops/noise.h"

#include <set>

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Flat;

TEST(RemoveNoise, RemovesASpeckAndKeepsSmallDeviations) {
  Image src = Flat(7, 7, 24, 0x808080);
  src.SetPixelRgb(3, 3, 0xFF0000);  // red speck
  src.SetPixelRgb(1, 1, 0x8A8080);  // deviation of 10 in red
  Image out;
  ASSERT_TRUE(RemoveNoise(src, &out, NoiseMode::kPerChannel, 50).ok());
  EXPECT_EQ(out.PixelRgb(3, 3), 0x808080u);
  EXPECT_EQ(out.PixelRgb(1, 1), 0x8A8080u);
  ASSERT_TRUE(RemoveNoise(src, &out, NoiseMode::kPerChannel, 0).ok());
  EXPECT_EQ(out.PixelRgb(1, 1), 0x808080u);
  ASSERT_TRUE(RemoveNoise(src, &out, NoiseMode::kPerChannel, 255).ok());
  EXPECT_TRUE(testing::SamePixels(out, src));
}

TEST(RemoveNoise, WholePixelModeOnlyUsesColoursOfTheNeighbourhood) {
  const Image src = testing::Noise(9, 8, 32, 4);
  Image out;
  ASSERT_TRUE(RemoveNoise(src, &out, NoiseMode::kWholePixel, 0).ok());
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 9; ++x) {
      std::set<uint32_t> near;
      for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) near.insert(src.PixelRgb(std::clamp(x + i, 0, 8), std::clamp(y + j, 0, 7)));
      ASSERT_TRUE(near.count(out.PixelRgb(x, y))) << x << "," << y;
      ASSERT_EQ(testing::Px(out, x, y)[3], testing::Px(src, x, y)[3]);  // alpha kept
    }
  Image speck = Flat(5, 5, 24, 0x101010);
  speck.SetPixelRgb(2, 2, 0xFFFFFF);
  ASSERT_TRUE(RemoveNoise(speck, &out, NoiseMode::kWholePixel, 0).ok());
  EXPECT_EQ(out.PixelRgb(2, 2), 0x101010u);
}

TEST(RemoveNoise, OneByOneAndBadValues) {
  const Image one = Flat(1, 1, 24, 0x123456);
  Image out;
  ASSERT_TRUE(RemoveNoise(one, &out, NoiseMode::kWholePixel, 0).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), 0x123456u);
  EXPECT_EQ(RemoveNoise(one, &out, NoiseMode::kPerChannel, 256).code(), Status::kBadValue);
  EXPECT_EQ(RemoveNoise(one, &out, static_cast<NoiseMode>(5), 1).code(), Status::kBadValue);
}

}  // namespace
}  // namespace imaging::ops

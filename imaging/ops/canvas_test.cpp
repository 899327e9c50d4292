#include "imaging/ops/canvas.h"

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Flat;
using testing::Px;

TEST(Canvas, TextureRepeatsEveryEightPixelsWithinTheDepth) {
  const Image src = Flat(29, 19, 32, 0x808080);
  for (int light = 0; light < 4; ++light) {
    Image out;
    ASSERT_TRUE(Canvas(src, &out, CanvasLight(light), 40).ok());
    bool varied = false;
    for (int y = 0; y < 19; ++y)
      for (int x = 0; x < 29; ++x) {
        const uint8_t* p = Px(out, x, y);
        ASSERT_LE(std::abs(p[0] - 128), 20);
        ASSERT_EQ(p[0], p[2]);
        ASSERT_EQ(p[3], Px(src, x, y)[3]);
        if (x + 8 < 29) {
          ASSERT_EQ(p[0], Px(out, x + 8, y)[0]);
        }
        if (y + 8 < 19) {
          ASSERT_EQ(p[0], Px(out, x, y + 8)[0]);
        }
        varied |= p[0] != 128;
      }
    EXPECT_TRUE(varied) << light;
  }
}

TEST(Canvas, OppositeLightsGiveOppositeShades) {
  const Image src = Flat(16, 16, 24, 0x808080);
  Image a, b;
  ASSERT_TRUE(Canvas(src, &a, CanvasLight::kTopRight, 60).ok());
  ASSERT_TRUE(Canvas(src, &b, CanvasLight::kBottomLeft, 60).ok());
  EXPECT_NE(a.PixelRgb(3, 3), b.PixelRgb(3, 3));
}

TEST(Canvas, DepthZeroIsTheIdentityAndValuesAreChecked) {
  const Image src = testing::Noise(5, 5, 24, 1);
  Image out;
  ASSERT_TRUE(Canvas(src, &out, CanvasLight::kTopLeft, 0).ok());
  EXPECT_TRUE(testing::SamePixels(src, out));
  EXPECT_EQ(Canvas(src, &out, CanvasLight(4), 10).code(), Status::kBadValue);
  EXPECT_EQ(Canvas(src, &out, CanvasLight::kTopLeft, 256).code(), Status::kBadValue);
}

}  // namespace
}  // namespace imaging::ops

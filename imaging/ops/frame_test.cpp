#include "imaging/ops/frame.h"

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

TEST(AddPictureFrame, ThinTopLeftBroadBottomRight) {
  const Image src = testing::Noise(20, 12, 24, 3);
  Image out;
  ASSERT_TRUE(AddPictureFrame(src, &out).ok());
  ASSERT_EQ(out.width(), 20);
  ASSERT_EQ(out.height(), 12);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool edge = y < 1 || x < 1 || y >= 12 - 5 || x >= 20 - 5;
      ASSERT_EQ(out.PixelRgb(x, y), edge ? 0x808080u : src.PixelRgb(x, y)) << x << "," << y;
    }
}

TEST(AddPictureFrame, LowDepthsBecomeTrueColourAndTinyPicturesAreCovered) {
  Image out;
  ASSERT_TRUE(AddPictureFrame(testing::Noise(9, 9, 4, 1), &out).ok());
  EXPECT_EQ(out.bpp(), 24);
  EXPECT_EQ(out.PixelRgb(8, 8), 0x808080u);
  ASSERT_TRUE(AddPictureFrame(testing::Noise(3, 2, 32, 1), &out, FrameOptions{2, 68, 0x010203}).ok());
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(out.PixelRgb(x, y), 0x010203u);
  EXPECT_EQ(AddPictureFrame(testing::Noise(3, 2, 32, 1), &out, FrameOptions{-1, 5, 0}).code(), Status::kBadValue);
}

}  // namespace
}  // namespace imaging::ops

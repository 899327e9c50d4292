#include "imaging/ops/distort.h"

#include <gtest/gtest.h>

#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Flat;
using testing::Noise;
using testing::SamePixels;

TEST(Distort, FlatStaysFlat) {
  const Image src = Flat(17, 12, 24, 0x406080);
  Image a, b, c, d;
  ASSERT_TRUE(Wave(src, &a, WaveDirection::kHorizontal, 7, 5, 0.3).ok());
  ASSERT_TRUE(Ripple(src, &b, 20, 10, 0.5, RippleEdge::kReflect).ok());
  ASSERT_TRUE(Whirl(src, &c, 360, 1, 1).ok());
  ASSERT_TRUE(Lens(src, &d, 3, LensOutside::kKeep).ok());
  for (const Image* img : {&a, &b, &c, &d}) EXPECT_TRUE(SamePixels(*img, src));
}

TEST(Distort, NeutralValuesAreTheIdentity) {
  const Image src = Noise(9, 7, 32, 3);
  Image out;
  ASSERT_TRUE(Wave(src, &out, WaveDirection::kVertical, 0, 10, 0.5).ok());
  EXPECT_TRUE(SamePixels(src, out));
  ASSERT_TRUE(Ripple(src, &out, 0, 10, 0, RippleEdge::kFade).ok());
  EXPECT_TRUE(SamePixels(src, out));
  ASSERT_TRUE(Lens(src, &out, 1, LensOutside::kKeep).ok());
  EXPECT_TRUE(SamePixels(src, out));
}

TEST(Wave, ShiftsRowsByTheAmplitude) {
  // With phase 0.25 and a huge wavelength, sin is 1 along the first rows:
  // every row moves by the amplitude.
  Image src;
  ASSERT_TRUE(Image::Create(12, 3, 24, &src).ok());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 12; ++x) src.SetPixelRgb(x, y, static_cast<uint32_t>(x * 10));
  Image out;
  ASSERT_TRUE(Wave(src, &out, WaveDirection::kHorizontal, 10000, 3, 0.25).ok());
  for (int x = 0; x < 9; ++x) EXPECT_EQ(out.PixelRgb(x, 0), static_cast<uint32_t>((x + 3) * 10)) << x;
  EXPECT_EQ(out.PixelRgb(11, 0), 110u);  // the edge repeats
}

TEST(Lens, PaintsOutsideTheEllipseAndKeepsTheCentre) {
  const Image src = Noise(21, 15, 24, 8);
  Image out;
  ASSERT_TRUE(Lens(src, &out, 3, LensOutside::kPaint, 0x00FF00).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), 0x00FF00u);
  EXPECT_EQ(out.PixelRgb(20, 14), 0x00FF00u);
  EXPECT_EQ(out.PixelRgb(10, 7), src.PixelRgb(10, 7));
  EXPECT_EQ(Lens(src, &out, 11, LensOutside::kKeep).code(), Status::kBadValue);
}

TEST(Whirl, LeavesPixelsBeyondTheRadiusAlone) {
  const Image src = Noise(21, 21, 24, 4);
  Image out;
  ASSERT_TRUE(Whirl(src, &out, 180, 0.3, 1).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), src.PixelRgb(0, 0));
  EXPECT_EQ(out.PixelRgb(20, 3), src.PixelRgb(20, 3));
  EXPECT_EQ(out.PixelRgb(10, 10), src.PixelRgb(10, 10));
  EXPECT_FALSE(SamePixels(out, src));
  // Twist 0 turns the disc rigidly: a half turn within it.
  ASSERT_TRUE(Whirl(src, &out, 180, 0.3, 0).ok());
  EXPECT_EQ(out.PixelRgb(11, 10), src.PixelRgb(9, 10));
  EXPECT_EQ(Whirl(src, &out, 90, 0, 1).code(), Status::kBadValue);
}

TEST(Ripple, RingsMoveWithThePhase) {
  const Image src = Noise(31, 31, 24, 2);
  Image a, b;
  ASSERT_TRUE(Ripple(src, &a, 20, 10, 0.0, RippleEdge::kReflect).ok());
  ASSERT_TRUE(Ripple(src, &b, 20, 10, 0.5, RippleEdge::kReflect).ok());
  EXPECT_FALSE(SamePixels(a, src));
  EXPECT_FALSE(SamePixels(a, b));
  EXPECT_EQ(Ripple(src, &a, 20, 101, 0, RippleEdge::kReflect).code(), Status::kBadValue);
}

}  // namespace
}  // namespace imaging::ops

#include "imaging/ops/region.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "imaging/ops/blur.h"
#include "imaging/ops/canvas.h"
#include "imaging/ops/color_adjust.h"
#include "imaging/ops/distort.h"
#include "imaging/ops/edge_extract.h"
#include "imaging/ops/emboss.h"
#include "imaging/ops/internal/test_pictures.h"
#include "imaging/ops/motion_blur.h"
#include "imaging/ops/noise.h"
#include "imaging/ops/tone_curve.h"

namespace imaging::ops {
namespace {

using testing::Noise;
using testing::SamePixels;

TEST(Region, RectangleCoversInclusiveCorners) {
  std::vector<uint8_t> mask;
  ASSERT_TRUE(RegionMask(Region::Rectangle(2, 1, 5, 3), 8, 6, &mask).ok());
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(mask[y * 8 + x], (x >= 2 && x <= 5 && y >= 1 && y <= 3) ? 255 : 0) << x << "," << y;
}

TEST(Region, OutsideIsTheComplementAndWholeCoversAll) {
  std::vector<uint8_t> in, out, whole;
  const Region tri{RegionMode::kInside, {RegionPoint{1, 1}, RegionPoint{9, 2}, RegionPoint{4, 8}, RegionPoint{1, 6}}};
  Region outside = tri;
  outside.mode = RegionMode::kOutside;
  ASSERT_TRUE(RegionMask(tri, 11, 10, &in).ok());
  ASSERT_TRUE(RegionMask(outside, 11, 10, &out).ok());
  ASSERT_TRUE(RegionMask(Region::Whole(), 11, 10, &whole).ok());
  int covered = 0;
  for (size_t i = 0; i < in.size(); ++i) {
    EXPECT_EQ(in[i] ^ out[i], 255);
    EXPECT_EQ(whole[i], 255);
    covered += in[i] != 0;
  }
  EXPECT_GT(covered, 20);
  EXPECT_LT(covered, 80);
}

TEST(Region, CornersBeyondThePictureAreClipped) {
  std::vector<uint8_t> mask;
  ASSERT_TRUE(RegionMask(Region::Rectangle(-5, -5, 2, 100), 4, 3, &mask).ok());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(mask[y * 4 + x], x <= 2 ? 255 : 0);
  ASSERT_TRUE(RegionMask(Region::Rectangle(50, 50, 60, 60), 4, 3, &mask).ok());
  for (uint8_t m : mask) EXPECT_EQ(m, 0);
  EXPECT_EQ(RegionMask(Region::Whole(), 0, 3, &mask).code(), Status::kBadValue);
}

TEST(Region, FromControlValues) {
  const std::array<int, 4> x{1, 5, 5, 1}, y{2, 2, 7, 7};
  EXPECT_TRUE(RegionFromControl(1, 1, x, y).whole());
  const Region inside = RegionFromControl(2, 1, x, y);
  EXPECT_EQ(inside.mode, RegionMode::kInside);
  EXPECT_EQ(inside.corners[2], (RegionPoint{5, 7}));
  EXPECT_EQ(RegionFromControl(2, 0, x, y).mode, RegionMode::kOutside);
}

// Every filter, in a region, leaves the pixels outside bit for bit.
struct NamedFilter {
  std::string name;
  std::function<Result(const Image&, Image*, const Region&)> run;
};

std::vector<NamedFilter> AllFilters() {
  return {
      {"RemoveNoise", [](const Image& s, Image* d, const Region& r) { return RemoveNoise(s, d, NoiseMode::kPerChannel, 50, r); }},
      {"RemoveNoiseWhole", [](const Image& s, Image* d, const Region& r) { return RemoveNoise(s, d, NoiseMode::kWholePixel, 0, r); }},
      {"Blur", [](const Image& s, Image* d, const Region& r) { return Blur(s, d, 2, r); }},
      {"Sharpen", [](const Image& s, Image* d, const Region& r) { return Sharpen(s, d, 5, r); }},
      {"SmoothEdges", [](const Image& s, Image* d, const Region& r) { return SmoothEdges(s, d, r); }},
      {"ToneCurve", [](const Image& s, Image* d, const Region& r) {
         return ToneCurve(s, d, {0, 64, 128, 192, 255}, {0, 30, 128, 225, 255}, kAllChannels, r); }},
      {"ToneCurveYCrCb", [](const Image& s, Image* d, const Region& r) {
         return ToneCurveYCrCb(s, d, {0, 128, 255}, {0, 160, 255}, kRedChannel, r); }},
      {"Emboss", [](const Image& s, Image* d, const Region& r) { return Emboss(s, d, 0, 3, 100, r); }},
      {"Mosaic", [](const Image& s, Image* d, const Region& r) { return Mosaic(s, d, 4, 3, r); }},
      {"EdgeExtract", [](const Image& s, Image* d, const Region& r) {
         return EdgeExtract(s, d, EdgePlane::kLuminance, EdgePattern::kSobel, 10, r); }},
      {"MotionLinear", [](const Image& s, Image* d, const Region& r) { return MotionBlur(s, d, MotionKind::kLinear, 9, 30, r); }},
      {"MotionZoom", [](const Image& s, Image* d, const Region& r) { return MotionBlur(s, d, MotionKind::kZoom, 30, 20, r); }},
      {"Wave", [](const Image& s, Image* d, const Region& r) { return Wave(s, d, WaveDirection::kVertical, 10, 3, 0.5, r); }},
      {"Ripple", [](const Image& s, Image* d, const Region& r) { return Ripple(s, d, 20, 10, 0.5, RippleEdge::kReflect, r); }},
      {"Whirl", [](const Image& s, Image* d, const Region& r) { return Whirl(s, d, 360, 1, 1, r); }},
      {"Lens", [](const Image& s, Image* d, const Region& r) { return Lens(s, d, 3, LensOutside::kPaint, 0xFFFFFF, r); }},
      {"Canvas", [](const Image& s, Image* d, const Region& r) { return Canvas(s, d, CanvasLight::kTopLeft, 20, r); }},
      {"Invert", [](const Image& s, Image* d, const Region& r) { return InvertChannels(s, d, kAllChannels, r); }},
      {"Saturation", [](const Image& s, Image* d, const Region& r) { return AdjustSaturation(s, d, 200, r); }},
      {"Brightness", [](const Image& s, Image* d, const Region& r) { return AdjustBrightness(s, d, 80, -40, 10, r); }},
  };
}

TEST(Region, EveryFilterLeavesTheOutsideUnchanged) {
  const Region regions[] = {
      Region::Rectangle(5, 4, 20, 15),
      Region{RegionMode::kInside, {RegionPoint{3, 2}, RegionPoint{25, 6}, RegionPoint{18, 19}, RegionPoint{6, 14}}},
      Region{RegionMode::kOutside, {RegionPoint{3, 2}, RegionPoint{25, 6}, RegionPoint{18, 19}, RegionPoint{6, 14}}},
  };
  for (int bpp : {24, 32}) {
    const Image src = Noise(29, 21, bpp, 7);
    for (const Region& region : regions) {
      std::vector<uint8_t> mask;
      ASSERT_TRUE(RegionMask(region, src.width(), src.height(), &mask).ok());
      for (const NamedFilter& f : AllFilters()) {
        Image out;
        ASSERT_TRUE(f.run(src, &out, region).ok()) << f.name;
        int changed_inside = 0;
        for (int y = 0; y < src.height(); ++y)
          for (int x = 0; x < src.width(); ++x) {
            const bool same = std::equal(testing::Px(src, x, y), testing::Px(src, x, y) + bpp / 8, testing::Px(out, x, y));
            if (mask[y * src.width() + x] == 0)
              ASSERT_TRUE(same) << f.name << " bpp " << bpp << " at " << x << "," << y;
            else
              changed_inside += !same;
          }
        EXPECT_GT(changed_inside, 0) << f.name << " did nothing inside";
      }
    }
  }
}

TEST(Region, EveryFilterRefusesLowDepthsAndNullDestinations) {
  for (const NamedFilter& f : AllFilters()) {
    if (f.name == "Invert") continue;  // inversion works at every depth
    for (int bpp : {1, 4, 8, 16}) {
      Image out;
      EXPECT_EQ(f.run(Noise(5, 5, bpp, 1), &out, {}).code(), Status::kNotTarget) << f.name << " " << bpp;
    }
    EXPECT_EQ(f.run(Noise(5, 5, 24, 1), nullptr, {}).code(), Status::kBadValue) << f.name;
    Image out;
    EXPECT_EQ(f.run(Image(), &out, {}).code(), Status::kBadImage) << f.name;
  }
}

// Filters that look at neighbours see the real pixels around a region, so
// inside it the result equals the whole-picture result.
TEST(Region, LocalFiltersInARegionMatchTheWholePicture) {
  const Image src = Noise(31, 23, 24, 3);
  const Region region = Region::Rectangle(6, 5, 22, 16);
  std::vector<uint8_t> mask;
  ASSERT_TRUE(RegionMask(region, src.width(), src.height(), &mask).ok());
  for (const NamedFilter& f : AllFilters()) {
    if (f.name == "Mosaic" || f.name.rfind("Motion", 0) == 0 || f.name == "Wave" || f.name == "Ripple" ||
        f.name == "Whirl" || f.name == "Lens" || f.name == "Canvas")
      continue;  // these centre or align themselves on the region
    Image whole, part;
    ASSERT_TRUE(f.run(src, &whole, Region::Whole()).ok());
    ASSERT_TRUE(f.run(src, &part, region).ok());
    for (int y = 5; y <= 16; ++y)
      for (int x = 6; x <= 22; ++x)
        ASSERT_TRUE(std::equal(testing::Px(whole, x, y), testing::Px(whole, x, y) + 3, testing::Px(part, x, y)))
            << f.name << " at " << x << "," << y;
  }
}

TEST(Region, DestinationMayBeTheSource) {
  Image img = Noise(9, 7, 24, 5);
  Image expected;
  ASSERT_TRUE(Blur(img, &expected, 3, Region::Rectangle(1, 1, 5, 5)).ok());
  ASSERT_TRUE(Blur(img, &img, 3, Region::Rectangle(1, 1, 5, 5)).ok());
  EXPECT_TRUE(SamePixels(img, expected));
}

}  // namespace
}  // namespace imaging::ops

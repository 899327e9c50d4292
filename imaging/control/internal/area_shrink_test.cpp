#include "imaging/control/internal/area_shrink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace imaging::control {
namespace {

// Noise in every channel, so a misplaced or misweighted tap shows.
Image Noise(int w, int h, uint32_t seed) {
  Image img;
  if (!Image::Create(w, h, 24, &img).ok()) return {};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 3 * w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      img.row(y)[x] = static_cast<uint8_t>(seed >> 24);
    }
  return img;
}

// The definition: the mean of the source area an output pixel covers,
// each source pixel weighted by the part of it inside.
double Overlap(double a0, double a1, double b0, double b1) { return std::max(0.0, std::min(a1, b1) - std::max(a0, b0)); }

uint32_t ReferencePixel(const Image& src, int w, int h, int ox, int oy) {
  const double sx = static_cast<double>(src.width()) / w, sy = static_cast<double>(src.height()) / h;
  double sum[3] = {0, 0, 0};
  for (int y = 0; y < src.height(); ++y) {
    const double wy = Overlap(oy * sy, (oy + 1) * sy, y, y + 1);
    if (wy == 0) continue;
    for (int x = 0; x < src.width(); ++x) {
      const double wx = Overlap(ox * sx, (ox + 1) * sx, x, x + 1);
      for (int c = 0; c < 3; ++c) sum[c] += wx * wy * src.row(y)[3 * x + c];
    }
  }
  uint32_t out = 0;
  for (int c = 0; c < 3; ++c) out |= static_cast<uint32_t>(std::lround(sum[c] / (sx * sy))) << (8 * c);
  return out;  // 0x00RRGGBB
}

TEST(AreaShrink, MatchesTheAreaMeanAtManyScales) {
  struct Case {
    int sw, sh, dw, dh;
  } cases[] = {
      {7, 5, 1, 1},    {9, 6, 3, 2},   {17, 11, 5, 3},  {40, 30, 40, 30}, {1, 9, 1, 4},
      {13, 1, 6, 1},   {101, 67, 17, 12}, {64, 48, 63, 47}, {30, 20, 7, 20}, {23, 29, 23, 4},
  };
  uint32_t seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh);
    const Image src = Noise(c.sw, c.sh, seed++);
    const QImage out = AreaShrinkToRgb32(src, QSize(c.dw, c.dh));
    ASSERT_EQ(out.size(), QSize(c.dw, c.dh));
    ASSERT_EQ(out.format(), QImage::Format_RGB32);
    int worst = 0;
    for (int y = 0; y < c.dh; ++y)
      for (int x = 0; x < c.dw; ++x) {
        const uint32_t got = reinterpret_cast<const uint32_t*>(out.constScanLine(y))[x];
        EXPECT_EQ(got >> 24, 0xFFu);
        const uint32_t want = ReferencePixel(src, c.dw, c.dh, x, y);
        for (int ch = 0; ch < 3; ++ch)
          worst = std::max(worst, std::abs(static_cast<int>((got >> (8 * ch)) & 0xFF) -
                                           static_cast<int>((want >> (8 * ch)) & 0xFF)));
      }
    // Float sums against exact ones: a rounding step at most.
    EXPECT_LE(worst, 1);
  }
}

TEST(AreaShrink, SameSizeIsACopyAndFlatStaysFlat) {
  const Image src = Noise(31, 17, 7);
  const QImage same = AreaShrinkToRgb32(src, QSize(31, 17));
  ASSERT_FALSE(same.isNull());
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 31; ++x)
      ASSERT_EQ(same.pixel(x, y) & 0xFFFFFFu, src.PixelRgb(x, y)) << x << "," << y;

  Image flat;
  ASSERT_TRUE(Image::Create(250, 170, 24, &flat).ok());
  for (int y = 0; y < flat.height(); ++y)
    for (int x = 0; x < flat.width(); ++x) flat.SetPixelRgb(x, y, 0xFF8001);
  const QImage small = AreaShrinkToRgb32(flat, QSize(37, 23));
  ASSERT_FALSE(small.isNull());
  for (int y = 0; y < small.height(); ++y)
    for (int x = 0; x < small.width(); ++x) ASSERT_EQ(small.pixel(x, y), 0xFFFF8001u) << x << "," << y;
}

TEST(AreaShrink, RefusesOtherDepthsAndSizes) {
  const Image src = Noise(20, 10, 3);
  EXPECT_TRUE(AreaShrinkToRgb32(src, QSize(21, 10)).isNull());
  EXPECT_TRUE(AreaShrinkToRgb32(src, QSize(10, 11)).isNull());
  EXPECT_TRUE(AreaShrinkToRgb32(src, QSize(0, 5)).isNull());
  EXPECT_TRUE(AreaShrinkToRgb32(Image(), QSize(1, 1)).isNull());
  Image grey;
  ASSERT_TRUE(Image::Create(20, 10, 8, &grey).ok());
  EXPECT_TRUE(AreaShrinkToRgb32(grey, QSize(5, 5)).isNull());
}

}  // namespace
}  // namespace imaging::control

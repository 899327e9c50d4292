#include "imaging/ops/dither.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/ops/palettes.h"

namespace imaging::ops {
namespace {

// Mean output value of a flat grey field of `value`, diffused onto `levels`.
double GrayFieldMean(int value, int levels, int bias, int width = 61, int height = 40) {
  GrayDiffuser fs(width, levels, bias);
  const std::vector<uint8_t> in(static_cast<size_t>(width), static_cast<uint8_t>(value));
  std::vector<uint8_t> out(static_cast<size_t>(width));
  const auto ramp = GrayRampPalette(levels);
  double sum = 0;
  for (int y = 0; y < height; ++y) {
    fs.DiffuseRow(in.data(), out.data());
    for (uint8_t i : out) {
      EXPECT_LT(i, levels);
      sum += ramp[i].red;
    }
  }
  return sum / (width * height);
}

TEST(GrayDiffuser, FlatFieldKeepsMeanBrightness) {
  for (int value : {0, 1, 30, 64, 128, 200, 254, 255}) {
    EXPECT_NEAR(GrayFieldMean(value, 2, 0), value, 3.0) << "two levels, value " << value;
    EXPECT_NEAR(GrayFieldMean(value, 16, 0), value, 1.0) << "16 levels, value " << value;
  }
}

TEST(GrayDiffuser, HalfGreyBecomesHalfBlack) {
  GrayDiffuser fs(64, 2);
  const std::vector<uint8_t> in(64, 128);
  std::vector<uint8_t> out(64);
  int white = 0;
  for (int y = 0; y < 64; ++y) {
    fs.DiffuseRow(in.data(), out.data());
    for (uint8_t i : out) white += i;
  }
  EXPECT_NEAR(white / 4096.0, 0.5, 0.02);
}

TEST(GrayDiffuser, LevelsOfTheRampPassUnchanged) {
  // Values that are levels carry no error, so nothing spreads.
  GrayDiffuser fs(17, 16);
  std::vector<uint8_t> in(17), out(17);
  for (int x = 0; x < 17; ++x) in[x] = static_cast<uint8_t>((x % 16) * 17);
  for (int y = 0; y < 3; ++y) {
    fs.DiffuseRow(in.data(), out.data());
    for (int x = 0; x < 17; ++x) ASSERT_EQ(out[x], x % 16);
  }
}

TEST(GrayDiffuser, BiasShiftsBrightness) {
  EXPECT_NEAR(GrayFieldMean(128, 2, -32), 96, 3.0);
  EXPECT_NEAR(GrayFieldMean(128, 2, 32), 160, 3.0);
}

TEST(ColorDiffuser, FlatColourKeepsMeanPerChannel) {
  const int width = 50, height = 50;
  const int colours[][3] = {{100, 150, 200}, {30, 200, 90}, {250, 10, 128}, {128, 128, 128}, {5, 5, 250}};
  for (const auto& pal : {Vga16Palette(), Fixed256Palette()}) {
    for (const auto& c : colours) {
      ColorMap map(pal);
      ColorDiffuser fs(width, &map);
      std::vector<uint8_t> in(3 * width), out(width);
      for (int x = 0; x < width; ++x) in[3 * x] = uint8_t(c[2]), in[3 * x + 1] = uint8_t(c[1]), in[3 * x + 2] = uint8_t(c[0]);
      double sum[3] = {0, 0, 0};
      for (int y = 0; y < height; ++y) {
        fs.DiffuseRow(in.data(), out.data());
        for (uint8_t i : out) sum[0] += pal[i].red, sum[1] += pal[i].green, sum[2] += pal[i].blue;
      }
      for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(sum[k] / (width * height), c[k], 3.0) << pal.size() << " colours, channel " << k << " of "
                                                          << c[0] << "," << c[1] << "," << c[2];
    }
  }
}

TEST(ColorDiffuser, PaletteColoursPassUnchanged) {
  const auto pal = Vga16Palette();
  ColorMap map(pal);
  ColorDiffuser fs(16, &map);
  std::vector<uint8_t> in(48), out(16);
  for (int x = 0; x < 16; ++x) in[3 * x] = pal[x].blue, in[3 * x + 1] = pal[x].green, in[3 * x + 2] = pal[x].red;
  for (int y = 0; y < 4; ++y) {
    fs.DiffuseRow(in.data(), out.data());
    for (int x = 0; x < 16; ++x) ASSERT_EQ(out[x], x);
  }
}

TEST(ColorDiffuser, OnePixelWide) {
  ColorMap map(MonoPalette());
  ColorDiffuser fs(1, &map);
  const uint8_t in[3] = {128, 128, 128};
  uint8_t out = 9;
  int white = 0;
  for (int y = 0; y < 100; ++y) {
    fs.DiffuseRow(in, &out);
    ASSERT_LT(out, 2);
    white += out;
  }
  EXPECT_NEAR(white, 50, 3);
}

}  // namespace
}  // namespace imaging::ops

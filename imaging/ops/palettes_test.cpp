#include "imaging/ops/palettes.h"

#include <gtest/gtest.h>

#include <set>

namespace imaging::ops {
namespace {

uint32_t RgbOf(const PaletteEntry& e) { return (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue; }

TEST(Palettes, MonoIsBlackThenWhite) {
  const auto pal = MonoPalette();
  ASSERT_EQ(pal.size(), 2u);
  EXPECT_EQ(RgbOf(pal[0]), 0x000000u);
  EXPECT_EQ(RgbOf(pal[1]), 0xFFFFFFu);
}

TEST(Palettes, Vga16HasTheSixteenStandardColours) {
  const auto pal = Vga16Palette();
  ASSERT_EQ(pal.size(), 16u);
  const uint32_t want[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                             0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(RgbOf(pal[i]), want[i]) << "entry " << i;
    EXPECT_EQ(pal[i].reserved, 0);
  }
}

TEST(Palettes, Fixed256IsCubePlusGreyRamp) {
  const auto pal = Fixed256Palette();
  ASSERT_EQ(pal.size(), 256u);
  // Cube: index 36 r + 6 g + b at levels of 51.
  EXPECT_EQ(RgbOf(pal[0]), 0x000000u);
  EXPECT_EQ(RgbOf(pal[215]), 0xFFFFFFu);
  EXPECT_EQ(RgbOf(pal[36 * 5]), 0xFF0000u);
  EXPECT_EQ(RgbOf(pal[36 * 1 + 6 * 2 + 3]), 0x336699u);
  // The extra entries are greys, ascending, not in the cube; with the cube's
  // six greys they form 46 levels no more than 6 apart.
  std::set<int> greys;
  for (int i = 216; i < 256; ++i) {
    EXPECT_EQ(pal[i].red, pal[i].green);
    EXPECT_EQ(pal[i].green, pal[i].blue);
    EXPECT_NE(pal[i].red % 51, 0) << "entry " << i;
    if (i > 216) { EXPECT_GT(pal[i].red, pal[i - 1].red); }
    greys.insert(pal[i].red);
  }
  for (int v = 0; v <= 255; v += 51) greys.insert(v);
  ASSERT_EQ(greys.size(), 46u);
  int previous = -1;
  for (int v : greys) {
    if (previous >= 0) { EXPECT_LE(v - previous, 6); }
    previous = v;
  }
  // No colour is there twice.
  std::set<uint32_t> distinct;
  for (const auto& e : pal) distinct.insert(RgbOf(e));
  EXPECT_EQ(distinct.size(), 256u);
}

TEST(Palettes, GrayRampMatchesImageCreate) {
  for (int bpp : {1, 4, 8}) {
    Image img;
    ASSERT_TRUE(Image::Create(1, 1, bpp, &img).ok());
    EXPECT_EQ(GrayRampPalette(1 << bpp), img.palette()) << bpp << " bpp";
  }
  EXPECT_EQ(RgbOf(GrayRampPalette(16)[1]), 0x111111u);
  EXPECT_EQ(RgbOf(GrayRampPalette(3)[1]), 0x808080u);  // 127.5 rounds up
  EXPECT_TRUE(GrayRampPalette(1).empty());
  EXPECT_TRUE(GrayRampPalette(257).empty());
}

}  // namespace
}  // namespace imaging::ops

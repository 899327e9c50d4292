#include "imaging/ops/quantize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>

#include "imaging/ops/palettes.h"

namespace imaging::ops {
namespace {

int Distance(const PaletteEntry& e, int r, int g, int b) {
  return (e.red - r) * (e.red - r) + (e.green - g) * (e.green - g) + (e.blue - b) * (e.blue - b);
}

// The obvious search: first entry of least distance.
int BruteNearest(const std::vector<PaletteEntry>& pal, int r, int g, int b) {
  int best = 0;
  for (int i = 1; i < static_cast<int>(pal.size()); ++i)
    if (Distance(pal[i], r, g, b) < Distance(pal[best], r, g, b)) best = i;
  return best;
}

PaletteEntry Entry(int r, int g, int b) {
  return PaletteEntry{static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 0};
}

TEST(ColorMap, MatchesBruteForceSearch) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> channel(0, 255);
  std::vector<std::vector<PaletteEntry>> palettes = {Vga16Palette(), Fixed256Palette(), {Entry(10, 20, 30)}};
  for (int size : {2, 5, 100, 256}) {
    std::vector<PaletteEntry> pal;
    for (int i = 0; i < size; ++i) pal.push_back(Entry(channel(rng), channel(rng), channel(rng)));
    palettes.push_back(pal);
  }
  // A tight cluster: many entries compete inside one cell.
  std::vector<PaletteEntry> cluster;
  for (int i = 0; i < 64; ++i) cluster.push_back(Entry(120 + i % 4, 120 + (i / 4) % 4, 120 + i / 16));
  palettes.push_back(cluster);

  for (const auto& pal : palettes) {
    ColorMap map(pal);
    for (int n = 0; n < 20000; ++n) {
      const int r = channel(rng), g = channel(rng), b = channel(rng);
      ASSERT_EQ(map.Nearest(r, g, b), BruteNearest(pal, r, g, b)) << r << "," << g << "," << b;
    }
    std::uniform_int_distribution<int> wide(-700, 900);  // beyond the cube, as diffusion asks
    for (int n = 0; n < 2000; ++n) {
      const int r = wide(rng), g = wide(rng), b = wide(rng);
      ASSERT_EQ(map.Nearest(r, g, b), BruteNearest(pal, r, g, b)) << r << "," << g << "," << b;
      ASSERT_EQ(map.Nearest(r, g, b), BruteNearest(pal, r, g, b)) << "cached " << r << "," << g << "," << b;
    }
    for (int i = 0; i < static_cast<int>(pal.size()); ++i)  // own colours map to themselves
      ASSERT_EQ(map.Nearest(pal[i].red, pal[i].green, pal[i].blue), BruteNearest(pal, pal[i].red, pal[i].green, pal[i].blue));
  }
}

TEST(ColorMap, DuplicateEntriesResolveToTheFirst) {
  ColorMap map({Entry(0, 0, 0), Entry(9, 9, 9), Entry(9, 9, 9)});
  EXPECT_EQ(map.Nearest(9, 9, 9), 1);
  EXPECT_EQ(map.Nearest(8, 8, 8), 1);
  EXPECT_EQ(map.Nearest(1, 1, 1), 0);
}

Image MakeClusters(int per_cluster, const std::vector<uint32_t>& centres, int noise) {
  Image img;
  EXPECT_TRUE(Image::Create(per_cluster, static_cast<int>(centres.size()), 24, &img).ok());
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> jitter(-noise, noise);
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      auto ch = [&](int shift) { return std::clamp(static_cast<int>((centres[y] >> shift) & 0xFF) + jitter(rng), 0, 255); };
      img.SetPixelRgb(x, y, (static_cast<uint32_t>(ch(16)) << 16) | (static_cast<uint32_t>(ch(8)) << 8) | ch(0));
    }
  }
  return img;
}

TEST(BuildOptimizedPalette, FewColoursAreKeptExactly) {
  const std::vector<uint32_t> centres = {0x102030, 0xF0E0D0, 0x00FF00, 0x123456, 0x808080};
  Image img = MakeClusters(7, centres, 0);
  OptimizedPalette pal;
  ASSERT_TRUE(BuildOptimizedPalette(img, 16, &pal).ok());
  EXPECT_TRUE(pal.exact);
  ASSERT_EQ(pal.colors.size(), centres.size());
  for (size_t i = 0; i < centres.size(); ++i)
    EXPECT_EQ(pal.colors[i], Entry(centres[i] >> 16, (centres[i] >> 8) & 0xFF, centres[i] & 0xFF));

  // Exactly as many colours as asked for still fits; one more does not.
  ASSERT_TRUE(BuildOptimizedPalette(img, 5, &pal).ok());
  EXPECT_TRUE(pal.exact);
  ASSERT_TRUE(BuildOptimizedPalette(img, 4, &pal).ok());
  EXPECT_FALSE(pal.exact);
  EXPECT_LE(pal.colors.size(), 4u);
}

TEST(BuildOptimizedPalette, WuFindsSeparatedClusters) {
  const std::vector<uint32_t> centres = {0x202020, 0xE0E0E0, 0xD02020, 0x20D020, 0x2020D0, 0xD0D020, 0x20D0D0, 0xD020D0};
  Image img = MakeClusters(300, centres, 6);  // thousands of distinct colours
  OptimizedPalette pal;
  ASSERT_TRUE(BuildOptimizedPalette(img, 8, &pal).ok());
  EXPECT_FALSE(pal.exact);
  ASSERT_EQ(pal.colors.size(), 8u);
  for (uint32_t c : centres) {
    const int r = c >> 16, g = (c >> 8) & 0xFF, b = c & 0xFF;
    const int i = BruteNearest(pal.colors, r, g, b);
    EXPECT_LE(Distance(pal.colors[i], r, g, b), 3 * 3 * 3) << std::hex << c;
  }
}

TEST(BuildOptimizedPalette, GradientGetsWellSpreadEntries) {
  // A smooth 2-D colour gradient: the mean error of mapping each pixel to its
  // nearest entry must be small with 256 entries and smaller than with 16.
  Image img;
  ASSERT_TRUE(Image::Create(256, 256, 24, &img).ok());
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) img.SetPixelRgb(x, y, (uint32_t(x) << 16) | (uint32_t(y) << 8) | uint32_t((x + y) / 2));
  auto mean_error = [&](int colours) {
    OptimizedPalette pal;
    EXPECT_TRUE(BuildOptimizedPalette(img, colours, &pal).ok());
    EXPECT_EQ(pal.colors.size(), static_cast<size_t>(colours));
    ColorMap map(pal.colors);
    double sum = 0;
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) sum += std::sqrt(static_cast<double>(Distance(pal.colors[map.Nearest(x, y, (x + y) / 2)], x, y, (x + y) / 2)));
    return sum / (256.0 * 256.0);
  };
  const double e256 = mean_error(256), e16 = mean_error(16);
  EXPECT_LT(e256, 8.0);
  EXPECT_LT(e256, e16 / 2);
}

TEST(BuildOptimizedPalette, RejectsBadArguments) {
  Image img;
  ASSERT_TRUE(Image::Create(2, 2, 24, &img).ok());
  OptimizedPalette pal;
  EXPECT_EQ(BuildOptimizedPalette(img, 1, &pal).code(), Status::kBadValue);
  EXPECT_EQ(BuildOptimizedPalette(img, 257, &pal).code(), Status::kBadValue);
  EXPECT_EQ(BuildOptimizedPalette(img, 16, nullptr).code(), Status::kBadValue);
  EXPECT_EQ(BuildOptimizedPalette(Image(), 16, &pal).code(), Status::kBadImage);
}

}  // namespace
}  // namespace imaging::ops

#include "imaging/pixel_helpers.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace imaging {
namespace {

TEST(PixelHelpers, PaletteIndexAtAgreesWithThePictureAtEveryDepth) {
  // A slow, obvious reference: PixelRgb() reads the palette colour of each
  // pixel; every palette entry has its own colour.
  std::mt19937 rng(3);
  for (int bpp : {1, 4, 8}) {
    for (int w : {1, 3, 7, 9, 17}) {
      Image img;
      ASSERT_TRUE(Image::Create(w, 3, bpp, &img).ok());
      for (size_t i = 0; i < img.palette().size(); ++i) img.palette()[i] = {static_cast<uint8_t>(i), 7, 200, 0};
      for (int y = 0; y < 3; ++y)
        for (size_t k = 0; k < img.stride(); ++k) img.row(y)[k] = static_cast<uint8_t>(rng());
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < w; ++x) {
          const int i = PaletteIndexAt(img.row(y), x, bpp);
          ASSERT_LT(i, 1 << bpp);
          EXPECT_EQ(img.PixelRgb(x, y), (200u << 16) | (7u << 8) | static_cast<uint32_t>(i)) << bpp << " " << x;
        }
      }
    }
  }
}

TEST(PixelHelpers, NearestPaletteIndexIsTheBruteForceMinimumWithTheLowestIndexOnTies) {
  std::mt19937 rng(5);
  std::vector<PaletteEntry> pal(40);
  for (PaletteEntry& e : pal) e = {static_cast<uint8_t>(rng() % 8 * 32), static_cast<uint8_t>(rng() % 8 * 32),
                                   static_cast<uint8_t>(rng() % 8 * 32), 0};
  for (int n = 0; n < 500; ++n) {
    const uint8_t r = static_cast<uint8_t>(rng()), g = static_cast<uint8_t>(rng()), b = static_cast<uint8_t>(rng());
    int best = 0, best_d = 1 << 30;
    for (int i = 0; i < static_cast<int>(pal.size()); ++i) {
      const int d = (pal[i].red - r) * (pal[i].red - r) + (pal[i].green - g) * (pal[i].green - g) +
                    (pal[i].blue - b) * (pal[i].blue - b);
      if (d < best_d) best_d = d, best = i;
    }
    EXPECT_EQ(NearestPaletteIndex(pal, r, g, b), best);
  }
  EXPECT_EQ(NearestPaletteIndex(pal, pal[17].red, pal[17].green, pal[17].blue),
            NearestPaletteIndex(pal.data() == nullptr ? nullptr : reinterpret_cast<const uint8_t*>(pal.data()), 18,
                                pal[17].red, pal[17].green, pal[17].blue));
  EXPECT_EQ(NearestPaletteIndex(std::vector<PaletteEntry>{}, 1, 2, 3), 0);
}

TEST(PixelHelpers, GuardResultMapsExceptionsToStatuses) {
  EXPECT_EQ(GuardResult("a", [] { return Result(Status::kBadValue); }).code(), Status::kBadValue);
  const Result memory = GuardResult("Trim", []() -> Result { throw std::bad_alloc(); });
  EXPECT_EQ(memory.code(), Status::kMemory);
  EXPECT_EQ(memory.message(), "Trim: out of memory");
  const Result other = GuardResult("Rotate", []() -> Result { throw std::runtime_error("bad size"); });
  EXPECT_EQ(other.code(), Status::kOther);
  EXPECT_EQ(other.message(), "Rotate: bad size");
  EXPECT_EQ(GuardResult("x", []() -> Result { throw 5; }).code(), Status::kOther);
}

}  // namespace
}  // namespace imaging

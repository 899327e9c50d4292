#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "imaging/codecs/internal/format_codec.h"

namespace imaging::codecs::internal {
namespace {

std::vector<uint8_t> SaveBytes(const Image& img, const SaveOptions& so) {
  const std::string path = testing::TempDir() + "jp2_" + std::to_string(getpid()) + ".jp2";
  EXPECT_TRUE(Jp2Codec().save(img, path, so).ok());
  std::ifstream f(path, std::ios::binary);
  std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(f), {});
  std::remove(path.c_str());
  return bytes;
}

Image Picture(int w, int h, int bpp, unsigned seed) {
  Image img;
  EXPECT_TRUE(Image::Create(w, h, bpp, &img).ok());
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t noise = rng() & 0x0F0F0F;
      const uint32_t rgb = (uint32_t(x * 3 & 255) << 16 | uint32_t(y * 2 & 255) << 8 | 100) ^ noise;
      if (bpp == 8) img.row(y)[x] = uint8_t(rgb);
      else img.SetPixelRgb(x, y, rgb);
    }
  img.set_gray(bpp == 8);
  return img;
}

double MeanDifference(const Image& a, const Image& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const uint32_t p = a.PixelRgb(x, y), q = b.PixelRgb(x, y);
      for (int s = 0; s < 24; s += 8) sum += std::abs(int((p >> s) & 255) - int((q >> s) & 255));
    }
  return sum / (3.0 * a.width() * a.height());
}

TEST(Jp2Codec, LosslessRoundTripGreyAndColourInBothContainers) {
  for (SaveType type : {SaveType::kJp2, SaveType::kJ2k})
    for (int bpp : {8, 24}) {
      SCOPED_TRACE(testing::Message() << "type " << int(type) << " bpp " << bpp);
      const Image img = Picture(45, 31, bpp, bpp);
      SaveOptions so;
      so.type = type;
      const std::vector<uint8_t> bytes = SaveBytes(img, so);
      ASSERT_TRUE(Jp2Codec().sniff(bytes.data(), bytes.size()));
      FileInfo info;
      ASSERT_TRUE(Jp2Codec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
      EXPECT_EQ(info.format, type == SaveType::kJp2 ? FileFormat::kJp2 : FileFormat::kJ2k);
      EXPECT_EQ(info.width, 45);
      EXPECT_EQ(info.bpp, bpp);
      Image back;
      ASSERT_TRUE(Jp2Codec().load(bytes.data(), bytes.size(), {}, &back).ok());
      ASSERT_EQ(back.bpp(), bpp);
      EXPECT_EQ(back.gray(), bpp == 8);
      EXPECT_EQ(MeanDifference(img, back), 0.0);
    }
}

TEST(Jp2Codec, LossyRateShrinksWithinTolerance) {
  const Image img = Picture(128, 96, 24, 3);
  SaveOptions so;
  so.type = SaveType::kJp2;
  const size_t lossless = SaveBytes(img, so).size();
  so.jp2_lossless = false;
  so.jp2_rate = 0.3;
  const std::vector<uint8_t> bytes = SaveBytes(img, so);
  EXPECT_LT(bytes.size(), lossless * 0.45);
  Image back;
  ASSERT_TRUE(Jp2Codec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_LT(MeanDifference(img, back), 8.0);
  so.jp2_rate = 0;
  EXPECT_EQ(Jp2Codec().save(img, testing::TempDir() + "never.jp2", so).code(), Status::kBadValue);
}

TEST(Jp2Codec, BoundedLoadUsesReducedResolution) {
  const Image img = Picture(200, 120, 24, 5);
  SaveOptions so;
  so.type = SaveType::kJ2k;
  const std::vector<uint8_t> bytes = SaveBytes(img, so);
  LoadOptions lo;
  lo.max_width = lo.max_height = 50;  // fit scale 0.25 -> two levels down
  Image small;
  ASSERT_TRUE(Jp2Codec().load(bytes.data(), bytes.size(), lo, &small).ok());
  EXPECT_EQ(small.width(), 50);
  EXPECT_EQ(small.height(), 30);
  lo.max_width = lo.max_height = 150;  // scale 0.75: full size needed
  ASSERT_TRUE(Jp2Codec().load(bytes.data(), bytes.size(), lo, &small).ok());
  EXPECT_EQ(small.width(), 200);
}

TEST(Jp2Codec, TruncatedAndForeignDataGiveErrorCodes) {
  const Image img = Picture(64, 64, 24, 7);
  for (SaveType type : {SaveType::kJp2, SaveType::kJ2k}) {
    SaveOptions so;
    so.type = type;
    const std::vector<uint8_t> bytes = SaveBytes(img, so);
    Image back;
    for (size_t cut : {size_t{14}, size_t{60}, bytes.size() / 2, bytes.size() - 3}) {
      SCOPED_TRACE(cut);
      EXPECT_EQ(Jp2Codec().load(bytes.data(), cut, {}, &back).code(), Status::kBroken);
    }
    EXPECT_TRUE(back.empty());
  }
  const uint8_t junk[] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0, 0, 0, 0, 0};
  Image back;
  EXPECT_FALSE(Jp2Codec().sniff(junk, sizeof junk));
  EXPECT_EQ(Jp2Codec().load(junk, sizeof junk, {}, &back).code(), Status::kBadFile);
}

}  // namespace
}  // namespace imaging::codecs::internal

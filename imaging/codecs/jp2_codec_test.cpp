#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/codecs/internal/format_codec.h"
#include "imaging/testing/codec_test_support.h"

namespace imaging::codecs::internal {
namespace {

using namespace imaging::testing;

std::vector<uint8_t> SaveBytes(const Image& img, const SaveOptions& so) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(SaveToBytes(Jp2Codec().save, img, so, "out.jp2", &bytes).ok());
  return bytes;
}

// A gradient with strong noise; 8 bpp keeps the blue byte as a grey picture.
Image Picture(int w, int h, int bpp, unsigned seed) {
  return GradientPicture(w, h, bpp, seed, {.blue = 100, .noise = 0x0F0F0F, .grey_shift = 0});
}

TEST(Jp2Codec, LosslessRoundTripGreyAndColourInBothContainers) {
  for (SaveType type : {SaveType::kJp2, SaveType::kJ2k})
    for (int bpp : {8, 24}) {
      SCOPED_TRACE(::testing::Message() << "type " << int(type) << " bpp " << bpp);
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
      EXPECT_EQ(MeanChannelDifference(img, back), 0.0);
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
  EXPECT_LT(MeanChannelDifference(img, back), 8.0);
  so.jp2_rate = 0;
  EXPECT_EQ(Jp2Codec().save(img, TempPath("never.jp2"), so).code(), Status::kBadValue);
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

#include "imaging/ops/resize.h"

#include <array>
#include <set>
#include <utility>

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include "imaging/ops/internal/cv_wrap.h"
#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Flat;
using testing::Noise;

TEST(ResizeImage, FlatStaysFlatWithEveryFilterAndSize) {
  for (int bpp : {16, 24, 32}) {
    const Image src = Flat(13, 7, bpp, 0xFF8000);
    const uint32_t expected = src.PixelRgb(0, 0);
    for (ResizeFilter f : {ResizeFilter::kAuto, ResizeFilter::kArea, ResizeFilter::kCubic, ResizeFilter::kLanczos,
                           ResizeFilter::kNearest})
      for (auto [w, h] : {std::pair{1, 1}, std::pair{6, 3}, std::pair{27, 15}, std::pair{5, 20}}) {
        Image out;
        ASSERT_TRUE(ResizeImage(src, &out, w, h, f).ok());
        ASSERT_EQ(out.width(), w);
        ASSERT_EQ(out.height(), h);
        ASSERT_EQ(out.bpp(), bpp);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) ASSERT_EQ(out.PixelRgb(x, y), expected) << bpp << " " << w << "x" << h;
      }
  }
}

TEST(ResizeImage, HalvingAveragesPairs) {
  Image src;
  ASSERT_TRUE(Image::Create(4, 2, 24, &src).ok());
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) src.SetPixelRgb(x, y, x < 2 ? 0x000000 : 0xC8C8C8);
  Image out;
  ASSERT_TRUE(ResizeImage(src, &out, 2, 1).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), 0x000000u);
  EXPECT_EQ(out.PixelRgb(1, 0), 0xC8C8C8u);
  ASSERT_TRUE(ResizeImage(src, &out, 1, 1).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), 0x646464u);
}

TEST(ResizeImage, PalettePicturesKeepTheirPaletteColours) {
  for (int bpp : {1, 4, 8}) {
    const Image src = Noise(9, 5, bpp, 3);
    std::set<uint32_t> colours;
    for (const PaletteEntry& e : src.palette()) colours.insert((e.red << 16) | (e.green << 8) | e.blue);
    Image out;
    ASSERT_TRUE(ResizeImage(src, &out, 17, 3).ok());
    EXPECT_EQ(out.bpp(), bpp);
    EXPECT_EQ(out.palette(), src.palette());
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 17; ++x) ASSERT_TRUE(colours.count(out.PixelRgb(x, y))) << bpp;
  }
}

TEST(ResizeImage, GreyPicturesAreFiltered) {
  Image src;
  ASSERT_TRUE(Image::Create(2, 1, 8, &src).ok());  // grey ramp palette
  src.row(0)[0] = 0;
  src.row(0)[1] = 200;
  Image out;
  ASSERT_TRUE(ResizeImage(src, &out, 1, 1).ok());
  EXPECT_EQ(out.row(0)[0], 100);
}

TEST(ResizeImage, ShrinkingMatchesOpenCvAreaAveraging) {
  // 24/32-bit and 256-grey pictures (odd widths give padded rows), whole
  // and other ratios, one side unchanged; every sample within a level of
  // OpenCV's own area averaging of the same rows.
  for (int bpp : {8, 24, 32})
    for (auto [sw, sh, dw, dh] : {std::array{256, 171, 160, 107}, std::array{37, 23, 12, 23}, std::array{40, 30, 20, 10},
                                   std::array{99, 5, 98, 2}, std::array{7, 300, 7, 41}}) {
      Image src = Noise(sw, sh, bpp, static_cast<uint32_t>(sw + bpp));
      if (bpp == 8)
        for (int i = 0; i < 256; ++i) src.palette()[i] = PaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), 0};
      for (ResizeFilter f : {ResizeFilter::kAuto, ResizeFilter::kArea}) {
        Image out;
        ASSERT_TRUE(ResizeImage(src, &out, dw, dh, f).ok());
        cv::Mat theirs;
        cv::resize(internal::MatOf(src), theirs, cv::Size(dw, dh), 0, 0, cv::INTER_AREA);
        EXPECT_LE(cv::norm(internal::MatOf(std::as_const(out)), theirs, cv::NORM_INF), 1)
            << bpp << " bpp " << sw << "x" << sh << " -> " << dw << "x" << dh;
        EXPECT_EQ(out.palette(), src.palette());
      }
    }
}

TEST(ResizeImage, RejectsBadArguments) {
  const Image src = Noise(3, 3, 24, 1);
  Image out;
  EXPECT_EQ(ResizeImage(src, &out, 0, 3).code(), Status::kBadValue);
  EXPECT_EQ(ResizeImage(src, &out, 3, kMaxDimension + 1).code(), Status::kBadValue);
  EXPECT_EQ(ResizeImage(src, nullptr, 3, 3).code(), Status::kBadValue);
  EXPECT_EQ(ResizeImage(Image(), &out, 3, 3).code(), Status::kBadImage);
  EXPECT_EQ(ResizeImage(src, &out, 2, 2, static_cast<ResizeFilter>(99)).code(), Status::kBadValue);
  ASSERT_TRUE(ResizeImage(src, &out, 3, 3).ok());
  EXPECT_TRUE(testing::SamePixels(src, out));
}

TEST(ReduceToSize, KeepsTheAspectRatioAsTheModeSays) {
  const Image src = Noise(400, 300, 24, 1);
  Image out;
  ASSERT_TRUE(ReduceToSize(src, &out, 100, 999, ReduceMode::kKeepWidth).ok());
  EXPECT_EQ(out.width(), 100);
  EXPECT_EQ(out.height(), 75);
  ASSERT_TRUE(ReduceToSize(src, &out, 999, 50, ReduceMode::kKeepHeight).ok());
  EXPECT_EQ(out.width(), 67);  // 50 / 300 * 400 = 66.7
  EXPECT_EQ(out.height(), 50);
  ASSERT_TRUE(ReduceToSize(src, &out, 31, 17, ReduceMode::kBoth).ok());
  EXPECT_EQ(out.width(), 31);
  EXPECT_EQ(out.height(), 17);
  EXPECT_EQ(ReduceToSize(src, &out, 0, 17, ReduceMode::kKeepWidth).code(), Status::kBadValue);
}

}  // namespace
}  // namespace imaging::ops

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/codecs/internal/format_codec.h"
#include "imaging/testing/codec_test_support.h"

namespace imaging::codecs::internal {
namespace {

using namespace imaging::testing;

// Random rows; a grey picture keeps the grey ramp palette, and 32-bit
// pictures get an alpha ramp so the alpha byte means something.
Image TiffPicture(int w, int h, int bpp, unsigned seed, bool grey = false) {
  Image img = RandomPicture(w, h, bpp, seed, {.random_palette = !grey});
  if (bpp == 32)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) img.row(y)[4 * x + 3] = uint8_t(x * 9);
  return img;
}

std::vector<uint8_t> Save(const Image& img, const SaveOptions& so) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(SaveToBytes(TiffCodec().save, img, so, "t.tif", &bytes).ok());
  return bytes;
}

TEST(TiffCodec, LosslessRoundTripsAtEveryDepthAndCompression) {
  for (TiffCompression c : {TiffCompression::kNone, TiffCompression::kPackBits, TiffCompression::kLzw,
                            TiffCompression::kDeflate})
    for (int bpp : {1, 4, 8, 24, 32})
      for (bool grey : {false, true}) {
        SCOPED_TRACE(::testing::Message() << "compression " << int(c) << " bpp " << bpp << " grey " << grey);
        const Image img = TiffPicture(37, 11, bpp, bpp + int(c), grey);
        SaveOptions so;
        so.type = SaveType::kTiff;
        so.tiff_compression = c;
        const std::vector<uint8_t> bytes = Save(img, so);
        ASSERT_TRUE(TiffCodec().sniff(bytes.data(), bytes.size()));
        Image back;
        ASSERT_TRUE(TiffCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
        EXPECT_EQ(back.bpp(), bpp);
        ASSERT_EQ(back.width(), 37);
        EXPECT_EQ(MaxChannelDifference(img, back), 0);
        if (bpp == 32) {
          for (int x = 0; x < 37; ++x) ASSERT_EQ(back.row(5)[4 * x + 3], img.row(5)[4 * x + 3]);
        }
      }
}

TEST(TiffCodec, LzwSaveTypeAndCcittAndJpeg) {
  Image bw = TiffPicture(50, 20, 1, 3);
  bw.palette() = {PaletteEntry{0, 0, 0, 0}, PaletteEntry{255, 255, 255, 0}};
  for (TiffCompression c : {TiffCompression::kCcittG3, TiffCompression::kCcittG4}) {
    SaveOptions so;
    so.type = SaveType::kTiff;
    so.tiff_compression = c;
    const std::vector<uint8_t> bytes = Save(bw, so);
    Image back;
    ASSERT_TRUE(TiffCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
    EXPECT_EQ(back.bpp(), 1);
    EXPECT_EQ(MaxChannelDifference(bw, back), 0);
  }
  SaveOptions g4;
  g4.type = SaveType::kTiff;
  g4.tiff_compression = TiffCompression::kCcittG4;
  EXPECT_EQ(TiffCodec().save(TiffPicture(4, 4, 8, 1), TempPath("x.tif"), g4).code(), Status::kUnsupported);

  const Image smooth = GradientPicture(64, 48, 24, 1, {.x_step = 4, .y_step = 5, .blue = 90, .noise = 0});
  SaveOptions jpeg;
  jpeg.type = SaveType::kTiff;
  jpeg.tiff_compression = TiffCompression::kJpeg;
  jpeg.jpeg_quality = 95;
  std::vector<uint8_t> bytes = Save(smooth, jpeg);
  Image back;
  ASSERT_TRUE(TiffCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.bpp(), 24);
  EXPECT_LE(MaxChannelDifference(smooth, back), 12);

  SaveOptions lzw;
  lzw.type = SaveType::kTiffLzw;
  bytes = Save(smooth, lzw);
  const std::string path = TempPath("lzw.tif");
  ASSERT_TRUE(WriteFile(path, bytes));
  TIFF* t = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(t, nullptr);
  uint16_t comp = 0;
  TIFFGetField(t, TIFFTAG_COMPRESSION, &comp);
  EXPECT_EQ(comp, COMPRESSION_LZW);
  TIFFClose(t);
  std::remove(path.c_str());
}

TEST(TiffCodec, ResolutionCommentAndGreyFlag) {
  Image img = TiffPicture(8, 8, 8, 4, true);
  img.set_dpi(300, 150);
  SaveOptions so;
  so.type = SaveType::kTiff;
  so.comment = "a description";
  const std::vector<uint8_t> bytes = Save(img, so);
  FileInfo info;
  ASSERT_TRUE(TiffCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
  EXPECT_EQ(info.dpi_x, 300);
  EXPECT_EQ(info.dpi_y, 150);
  EXPECT_TRUE(info.gray);
  EXPECT_EQ(info.bpp, 8);
  Image back;
  ASSERT_TRUE(TiffCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.comment(), "a description");
  EXPECT_EQ(back.dpi_x(), 300);
  EXPECT_TRUE(back.gray());
}

// Three pages written with libtiff: 8-bit grey (centimetre resolution),
// min-is-white 8-bit, 16-bit RGB.
std::vector<uint8_t> ThreePages() {
  const std::string path = TempPath("pages.tif");
  TIFF* t = TIFFOpen(path.c_str(), "w");
  for (int page = 0; page < 3; ++page) {
    const uint16_t spp = page == 2 ? 3 : 1, bps = page == 2 ? 16 : 8;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 10u + page);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 4u);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bps);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                 page == 0 ? PHOTOMETRIC_MINISBLACK : page == 1 ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 100.0f);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, 100.0f);
    std::vector<uint16_t> line16(spp * (10 + page));
    std::vector<uint8_t> line8(10 + page);
    for (uint32_t y = 0; y < 4; ++y) {
      for (size_t i = 0; i < line8.size(); ++i) line8[i] = uint8_t(i * 20 + y);
      for (size_t i = 0; i < line16.size(); ++i) line16[i] = uint16_t((i * 1000 + y) * 3);
      TIFFWriteScanline(t, page == 2 ? static_cast<void*>(line16.data()) : line8.data(), y, 0);
    }
    TIFFWriteDirectory(t);
  }
  TIFFClose(t);
  return TakeFile(path);
}

TEST(TiffCodec, MultipageByIndex) {
  const std::vector<uint8_t> bytes = ThreePages();
  FileInfo info;
  ASSERT_TRUE(TiffCodec().read_info(bytes.data(), bytes.size(), 2, &info).ok());
  EXPECT_EQ(info.image_count, 3);
  EXPECT_EQ(info.width, 12);
  EXPECT_EQ(info.bpp, 24);
  EXPECT_EQ(info.dpi_x, 254);
  Image img;
  LoadOptions lo;
  ASSERT_TRUE(TiffCodec().load(bytes.data(), bytes.size(), lo, &img).ok());
  EXPECT_EQ(img.PixelRgb(3, 1), 0x3D3D3Du);
  lo.image_index = 1;
  ASSERT_TRUE(TiffCodec().load(bytes.data(), bytes.size(), lo, &img).ok());
  EXPECT_EQ(img.PixelRgb(3, 1), 0xC2C2C2u);  // min-is-white: 61 shows as 194
  lo.image_index = 2;
  ASSERT_TRUE(TiffCodec().load(bytes.data(), bytes.size(), lo, &img).ok());
  const uint32_t r = ((3 * 3 * 1000 + 1) * 3) >> 8 & 0xFF;  // high byte of the 16-bit red sample
  EXPECT_EQ(img.PixelRgb(3, 1) >> 16, r);
  lo.image_index = 3;
  EXPECT_EQ(TiffCodec().load(bytes.data(), bytes.size(), lo, &img).code(), Status::kBadValue);
}

TEST(TiffCodec, TruncatedAndForeignDataGiveErrorCodes) {
  SaveOptions so;
  so.type = SaveType::kTiff;
  const std::vector<uint8_t> bytes = Save(TiffPicture(200, 100, 24, 8), so);
  Image img;
  EXPECT_EQ(TiffCodec().load(bytes.data(), bytes.size() / 2, {}, &img).code(), Status::kBroken);
  EXPECT_EQ(TiffCodec().load(bytes.data(), 6, {}, &img).code(), Status::kBroken);
  const uint8_t junk[] = {'P', 'K', 3, 4, 0, 0, 0, 0};
  EXPECT_FALSE(TiffCodec().sniff(junk, sizeof junk));
  EXPECT_EQ(TiffCodec().load(junk, sizeof junk, {}, &img).code(), Status::kBadFile);
  EXPECT_TRUE(img.empty());
}

}  // namespace
}  // namespace imaging::codecs::internal

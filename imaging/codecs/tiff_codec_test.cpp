#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/codecs/internal/format_codec.h"
#include "imaging/testing/awkward_files.h"
#include "imaging/testing/codec_test_support.h"
#include "imaging/testing/reference_reader.h"

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

namespace imaging::codecs::internal {
namespace {

// Writes `spec` and expects our decode to match ImageMagick's upright
// decode of the same file within `tolerance`.
void ExpectTiffLikeReference(const TiffSpec& spec, int tolerance, const std::string& name) {
  SCOPED_TRACE(name);
  const std::string path = TempPath(name + ".tif");
  ASSERT_TRUE(WriteTiffFile(spec, path));
  Image ours, theirs;
  const Result r = Load(path, {}, &ours);
  ASSERT_TRUE(r.ok()) << r.number() << " " << r.message();
  ASSERT_TRUE(ReferenceDecode(path, &theirs, "-auto-orient"));
  ExpectSameColours(ours, theirs, tolerance);
  FileInfo info;
  ASSERT_TRUE(ReadInfo(path, 0, &info).ok());
  EXPECT_EQ(info.width, theirs.width());
  EXPECT_EQ(info.height, theirs.height());
  std::remove(path.c_str());
}

// Every orientation value, on a picture that is not square, strip and
// tiled (libtiff's renderer) alike.
TEST(TiffCodec, EveryOrientationIsUprightLikeAnIndependentReader) {
  for (bool tiled : {false, true})
    for (uint16_t o = 1; o <= 8; ++o) {
      TiffSpec spec;
      spec.width = 11;
      spec.height = 6;
      spec.orientation = o;
      spec.tiled = tiled;
      ExpectTiffLikeReference(spec, 0, "orientation" + std::to_string(o) + (tiled ? "t" : "s"));
    }
}

// Sample depths other than 8 bits are reduced to the engine's depths:
// 16 bits keep their high byte, other depths scale by their range (the
// reference rounds, hence a tolerance of one).
TEST(TiffCodec, SamplesOtherThanEightBitsReadLikeAnIndependentReader) {
  struct Case {
    const char* name;
    uint16_t bps, spp, photometric, compression, planar;
  };
  const Case cases[] = {
      {"grey2", 2, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, 1},
      {"grey12", 12, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE, 1},
      {"grey16", 16, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_DEFLATE, 1},
      {"rgb16", 16, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW, 1},
      {"rgb16planes", 16, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE, 2},
      {"rgb12", 12, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE, 1},
      {"cmyk8", 8, 4, PHOTOMETRIC_SEPARATED, COMPRESSION_NONE, 1},
      {"cmyk16", 16, 4, PHOTOMETRIC_SEPARATED, COMPRESSION_LZW, 1},
      {"cmyk8planes", 8, 4, PHOTOMETRIC_SEPARATED, COMPRESSION_PACKBITS, 2},
  };
  for (const Case& c : cases) {
    TiffSpec spec;
    spec.width = 13;
    spec.height = 9;
    spec.bps = c.bps;
    spec.spp = c.spp;
    spec.photometric = c.photometric;
    spec.compression = c.compression;
    spec.planar = c.planar;
    ExpectTiffLikeReference(spec, 1, c.name);
  }
}

// White-is-zero grey of 12 bits, against the obvious computation (the
// reference reader leaves it black-is-zero at this depth).
TEST(TiffCodec, TwelveBitWhiteIsZeroGreyIsInverted) {
  TiffSpec spec;
  spec.width = 13;
  spec.height = 9;
  spec.bps = 12;
  spec.spp = 1;
  spec.photometric = PHOTOMETRIC_MINISWHITE;
  spec.compression = COMPRESSION_LZW;
  const std::string path = TempPath("white12.tif");
  ASSERT_TRUE(WriteTiffFile(spec, path));
  Image ours;
  ASSERT_TRUE(Load(path, {}, &ours).ok());
  ASSERT_EQ(ours.width(), 13);
  for (uint32_t y = 0; y < spec.height; ++y)
    for (uint32_t x = 0; x < spec.width; ++x) {
      const uint32_t v = 255 - (TiffSample(spec, x, y, 0) * 255 + 2047) / 4095;
      ASSERT_EQ(ours.PixelRgb(static_cast<int>(x), static_cast<int>(y)), v * 0x010101u) << x << "," << y;
    }
  std::remove(path.c_str());
}

// CMYK in JPEG-compressed strips.  Both readers decode the same JPEG data
// through libjpeg, so only the CMYK arithmetic may differ.
TEST(TiffCodec, JpegCompressedCmykReadsLikeAnIndependentReader) {
  TiffSpec spec;
  spec.width = 24;
  spec.height = 20;
  spec.bps = 8;
  spec.spp = 4;
  spec.photometric = PHOTOMETRIC_SEPARATED;
  spec.compression = COMPRESSION_JPEG;
  ExpectTiffLikeReference(spec, 2, "cmykjpeg");
}

// A bounded load of a turned picture fits the upright sides.
TEST(TiffCodec, BoundedLoadOfTurnedPictureShrinksWhileDecoding) {
  TiffSpec spec;
  spec.width = 400;
  spec.height = 100;
  spec.orientation = ORIENTATION_RIGHTTOP;
  const std::string path = TempPath("turned.tif");
  ASSERT_TRUE(WriteTiffFile(spec, path));
  const std::vector<uint8_t> bytes = ReadFile(path);
  LoadOptions bounded;
  bounded.max_width = 40;
  bounded.max_height = 100;
  Image small;
  ASSERT_TRUE(TiffCodec().load(bytes.data(), bytes.size(), bounded, &small).ok());
  // Upright 100 x 400 inside 40 x 100: the decoder shrinks by 2 and turns.
  EXPECT_EQ(small.width(), 50);
  EXPECT_EQ(small.height(), 200);
  Image theirs;
  ASSERT_TRUE(ReferenceDecode(path, &theirs, "-auto-orient -scale 50x200!"));
  EXPECT_LE(MaxChannelDifference(small, theirs), 2);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace imaging::codecs::internal

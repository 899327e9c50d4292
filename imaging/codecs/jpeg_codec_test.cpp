#include <gtest/gtest.h>
#include <libexif/exif-data.h>
#include <turbojpeg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "imaging/codecs/internal/format_codec.h"
#include "imaging/codecs/jpeg_internal.h"
#include "imaging/testing/awkward_files.h"
#include "imaging/testing/codec_test_support.h"
#include "imaging/testing/reference_reader.h"

namespace imaging::codecs::internal {
namespace {

using Bytes = std::vector<uint8_t>;
using imaging::testing::MeanChannelDifference;
using imaging::testing::ReadFile;
using imaging::testing::TempPath;

void WriteTestFile(const std::string& path, const Bytes& bytes) { ASSERT_TRUE(imaging::testing::WriteFile(path, bytes)); }

// Smooth gradients with a little noise; 8 bpp gives a grey picture.
Image Picture(int w, int h, int bpp, unsigned seed = 1) {
  Image img;
  EXPECT_TRUE(Image::Create(w, h, bpp, &img).ok());
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t n = rng() & 0x070707;
      const uint32_t rgb = (uint32_t(x * 255 / w) << 16 | uint32_t(y * 255 / h) << 8 | uint32_t((x + y) & 127)) ^ n;
      if (bpp == 8) img.row(y)[x] = uint8_t(rgb >> 8);
      else if (bpp > 8) img.SetPixelRgb(x, y, rgb);
    }
  img.set_gray(bpp == 8);
  return img;
}

Bytes Encode(const Image& img, SaveOptions so = {}) {
  if (so.type != SaveType::kJpegProgressive) so.type = SaveType::kJpeg;
  const std::string path = TempPath("enc.jpg");
  EXPECT_TRUE(JpegCodec().save(img, path, so).ok());
  Bytes bytes = ReadFile(path);
  std::remove(path.c_str());
  return bytes;
}

// The independent decode: TurboJPEG at scale n/8, B,G,R or grey rows.
struct TjPicture {
  int width = 0, height = 0, channels = 0;
  Bytes pixels;
};
TjPicture TjDecode(const Bytes& jpeg, bool grey, int n = 8) {
  TjPicture p;
  tjhandle tj = tjInitDecompress();
  int w = 0, h = 0, sub = 0, cs = 0;
  EXPECT_EQ(tjDecompressHeader3(tj, jpeg.data(), jpeg.size(), &w, &h, &sub, &cs), 0);
  const tjscalingfactor f{n, 8};
  p.width = TJSCALED(w, f);
  p.height = TJSCALED(h, f);
  p.channels = grey ? 1 : 3;
  p.pixels.resize(size_t(p.width) * p.height * p.channels);
  EXPECT_EQ(tjDecompress2(tj, jpeg.data(), jpeg.size(), p.pixels.data(), p.width, 0, p.height,
                          grey ? TJPF_GRAY : TJPF_BGR, 0),
            0);
  tjDestroy(tj);
  return p;
}

int MaxDifference(const Image& img, const TjPicture& ref) {
  EXPECT_EQ(img.width(), ref.width);
  EXPECT_EQ(img.height(), ref.height);
  if (img.width() != ref.width || img.height() != ref.height) return 999;
  int worst = 0;
  const size_t n = size_t(ref.width) * ref.channels;
  for (int y = 0; y < ref.height; ++y)
    for (size_t i = 0; i < n; ++i)
      worst = std::max(worst, std::abs(int(img.row(y)[i]) - int(ref.pixels[y * n + i])));
  return worst;
}

// An EXIF APP1 payload built with libexif; `thumb` may be empty.
Bytes ExifPayload(const Bytes& thumb, bool with_resolution) {
  ExifData* ed = exif_data_new();
  exif_data_unset_option(ed, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_set_byte_order(ed, EXIF_BYTE_ORDER_MOTOROLA);
  const ExifByteOrder order = EXIF_BYTE_ORDER_MOTOROLA;
  auto add = [&](ExifIfd ifd, ExifTag tag) {
    ExifEntry* e = exif_entry_new();
    exif_content_add_entry(ed->ifd[ifd], e);
    exif_entry_initialize(e, tag);
    exif_entry_unref(e);
    return e;
  };
  auto text = [&](ExifIfd ifd, ExifTag tag, const char* s) {
    ExifEntry* e = exif_entry_new();
    e->tag = tag;
    e->format = EXIF_FORMAT_ASCII;
    e->components = e->size = static_cast<unsigned>(std::strlen(s) + 1);
    e->data = static_cast<unsigned char*>(std::malloc(e->size));
    std::memcpy(e->data, s, e->size);
    exif_content_add_entry(ed->ifd[ifd], e);
    exif_entry_unref(e);
  };
  text(EXIF_IFD_0, EXIF_TAG_MAKE, "Osmund Camera   ");
  text(EXIF_IFD_0, EXIF_TAG_MODEL, "OC-1");
  text(EXIF_IFD_0, EXIF_TAG_DATE_TIME, "2020:01:01 00:00:00");
  text(EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, "2024:05:06 07:08:09");
  exif_set_short(add(EXIF_IFD_0, EXIF_TAG_ORIENTATION)->data, order, 6);
  if (with_resolution) {
    exif_set_rational(add(EXIF_IFD_0, EXIF_TAG_X_RESOLUTION)->data, order, ExifRational{240, 1});
    exif_set_rational(add(EXIF_IFD_0, EXIF_TAG_Y_RESOLUTION)->data, order, ExifRational{480, 2});
    exif_set_short(add(EXIF_IFD_0, EXIF_TAG_RESOLUTION_UNIT)->data, order, 2);
  }
  if (!thumb.empty()) {
    ed->data = static_cast<unsigned char*>(std::malloc(thumb.size()));
    std::memcpy(ed->data, thumb.data(), thumb.size());
    ed->size = static_cast<unsigned>(thumb.size());
  }
  unsigned char* buf = nullptr;
  unsigned int len = 0;
  exif_data_save_data(ed, &buf, &len);
  Bytes payload(buf, buf + len);
  std::free(buf);
  exif_data_unref(ed);
  return payload;
}

// `jpeg` with an APP1 marker carrying `payload` right after SOI.
Bytes WithApp1(const Bytes& jpeg, const Bytes& payload) {
  Bytes out(6 + payload.size());
  const uint8_t head[6] = {0xFF, 0xD8, 0xFF, 0xE1, uint8_t((payload.size() + 2) >> 8), uint8_t(payload.size() + 2)};
  std::copy(head, head + 6, out.begin());
  std::copy(payload.begin(), payload.end(), out.begin() + 6);
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

Image Flat(int w, int h, uint32_t rgb) {
  Image img;
  EXPECT_TRUE(Image::Create(w, h, 24, &img).ok());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.SetPixelRgb(x, y, rgb);
  return img;
}

TEST(JpegCodec, RoundTripsMatchAnIndependentDecode) {
  for (SaveType type : {SaveType::kJpeg, SaveType::kJpegProgressive})
    for (int bpp : {8, 24}) {
      SCOPED_TRACE(::testing::Message() << "type " << int(type) << " bpp " << bpp);
      const Image img = Picture(157, 83, bpp, bpp);
      SaveOptions so;
      so.type = type;
      so.jpeg_quality = 95;
      const Bytes bytes = Encode(img, so);
      ASSERT_TRUE(JpegCodec().sniff(bytes.data(), bytes.size()));
      // SOF2 marks a progressive frame, SOF0 a baseline one.
      const uint8_t sof[2] = {0xFF, uint8_t(type == SaveType::kJpegProgressive ? 0xC2 : 0xC0)};
      EXPECT_NE(std::search(bytes.begin(), bytes.end(), sof, sof + 2), bytes.end());
      FileInfo info;
      ASSERT_TRUE(JpegCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
      EXPECT_EQ(info.width, 157);
      EXPECT_EQ(info.height, 83);
      EXPECT_EQ(info.bpp, bpp);
      EXPECT_EQ(info.gray, bpp == 8);
      Image back;
      ASSERT_TRUE(JpegCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
      ASSERT_EQ(back.bpp(), bpp);
      EXPECT_EQ(back.gray(), bpp == 8);
      if (bpp == 8) {
        EXPECT_EQ(back.palette()[200], (PaletteEntry{200, 200, 200, 0}));
      }
      EXPECT_EQ(MaxDifference(back, TjDecode(bytes, bpp == 8)), 0);
      EXPECT_LT(MeanChannelDifference(img, back), 4.0);
    }
}

TEST(JpegCodec, OtherDepthsAreWrittenAsColour) {
  const Image src = Picture(64, 40, 24, 3);
  Image pal = Picture(64, 40, 4, 3);  // colour palette, not grey
  for (int i = 0; i < 16; ++i) pal.palette()[i] = PaletteEntry{uint8_t(i * 16), 40, uint8_t(255 - i * 16), 0};
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 32; ++x) pal.row(y)[x] = uint8_t((x / 4) << 4 | (x / 4 + 1));
  Image d16, d32;
  ASSERT_TRUE(Image::Create(64, 40, 16, &d16).ok());
  ASSERT_TRUE(Image::Create(64, 40, 32, &d32).ok());
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 64; ++x) {
      d16.SetPixelRgb(x, y, src.PixelRgb(x, y));
      d32.SetPixelRgb(x, y, src.PixelRgb(x, y));
    }
  Image pal8 = Picture(64, 40, 8, 3);  // colour entries on an 8-bit picture
  for (int i = 0; i < 256; ++i) pal8.palette()[i] = PaletteEntry{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
  pal8.set_gray(false);
  for (const Image* img : {&pal, &pal8, &d16, &d32}) {
    SCOPED_TRACE(img->bpp());
    SaveOptions so;
    so.jpeg_quality = 100;
    const Bytes bytes = Encode(*img, so);
    Image back;
    ASSERT_TRUE(JpegCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
    EXPECT_EQ(back.bpp(), 24);
    // Sharp palette edges lose a little to the subsampled chroma.
    EXPECT_LT(MeanChannelDifference(*img, back), img->bpp() == 4 ? 6.0 : 3.0);
  }
}

TEST(JpegCodec, GreyPalettesOtherThanTheRampStayGrey) {
  Image img = Picture(40, 24, 8, 6);
  for (int i = 0; i < 256; ++i) img.palette()[i] = PaletteEntry{uint8_t(255 - i), uint8_t(255 - i), uint8_t(255 - i), 0};
  SaveOptions so;
  so.jpeg_quality = 100;
  const Bytes bytes = Encode(img, so);
  Image back;
  ASSERT_TRUE(JpegCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  ASSERT_EQ(back.bpp(), 8);
  EXPECT_TRUE(back.gray());
  EXPECT_LT(MeanChannelDifference(img, back), 1.5);
}

TEST(JpegCodec, QualityChangesSizeWithinItsRange) {
  const Image img = Picture(200, 150, 24, 4);
  auto size_at = [&](int q) {
    SaveOptions so;
    so.jpeg_quality = q;
    return Encode(img, so).size();
  };
  EXPECT_LT(size_at(30), size_at(60));
  EXPECT_LT(size_at(60), size_at(95));
  EXPECT_EQ(size_at(5), size_at(20));
  EXPECT_EQ(size_at(250), size_at(100));
}

TEST(JpegCodec, CommentAndResolutionRoundTrip) {
  Image img = Picture(48, 32, 24);
  img.set_dpi(300, 150);
  img.set_comment("撮影メモ");
  Bytes bytes = Encode(img);
  Image back;
  ASSERT_TRUE(JpegCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.comment(), "撮影メモ");
  EXPECT_EQ(back.dpi_x(), 300);
  EXPECT_EQ(back.dpi_y(), 150);
  FileInfo info;
  ASSERT_TRUE(JpegCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
  EXPECT_EQ(info.dpi_x, 300);

  // A comment too long for one marker is split and joined again; the save
  // option wins over the picture's own comment.
  SaveOptions so;
  so.comment = std::string(70000, 'a') + "end";
  bytes = Encode(img, so);
  ASSERT_TRUE(JpegCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.comment(), so.comment);

  // Dots per centimetre: JFIF units byte at offset 13, densities after it.
  bytes = Encode(img);
  ASSERT_EQ(std::memcmp(&bytes[6], "JFIF", 4), 0);
  bytes[13] = 2;
  bytes[14] = 0, bytes[15] = 118, bytes[16] = 0, bytes[17] = 59;
  ASSERT_TRUE(JpegCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.dpi_x(), 300);
  EXPECT_EQ(back.dpi_y(), 150);

  // Without a JFIF density the EXIF resolution is used.
  img.set_dpi(0, 0);
  bytes = WithApp1(Encode(img), ExifPayload({}, true));
  ASSERT_TRUE(JpegCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
  EXPECT_EQ(info.dpi_x, 240);
  EXPECT_EQ(info.dpi_y, 240);
  bytes = WithApp1(Encode(img), ExifPayload({}, false));
  ASSERT_TRUE(JpegCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.dpi_x(), 0);
}

// CMYK and YCCK files as Adobe writes them: inverted samples, 255 = no ink.
TEST(JpegCodec, CmykAndYcckAreConvertedToRgb) {
  const uint8_t inks[4][4] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {0, 0, 0, 128}};
  const uint32_t expect[4] = {0x00FFFF, 0xFF00FF, 0xFFFF00, 0x7F7F7F};
  for (J_COLOR_SPACE space : {JCS_CMYK, JCS_YCCK}) {
    SCOPED_TRACE(int(space));
    jpeg_compress_struct ci{};
    jpeg_error_mgr jerr{};
    ci.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&ci);
    unsigned char* mem = nullptr;
    unsigned long mem_size = 0;
    jpeg_mem_dest(&ci, &mem, &mem_size);
    ci.image_width = 64;
    ci.image_height = 16;
    ci.input_components = 4;
    ci.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&ci);
    jpeg_set_colorspace(&ci, space);
    jpeg_set_quality(&ci, 100, TRUE);
    jpeg_start_compress(&ci, TRUE);
    std::vector<uint8_t> row(64 * 4);
    for (int x = 0; x < 64; ++x)
      for (int c = 0; c < 4; ++c) row[4 * x + c] = uint8_t(255 - inks[x / 16][c]);
    JSAMPROW rp = row.data();
    for (int y = 0; y < 16; ++y) jpeg_write_scanlines(&ci, &rp, 1);
    jpeg_finish_compress(&ci);
    jpeg_destroy_compress(&ci);
    const Bytes bytes(mem, mem + mem_size);
    std::free(mem);

    FileInfo info;
    ASSERT_TRUE(JpegCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
    EXPECT_EQ(info.bpp, 24);
    Image back;
    ASSERT_TRUE(JpegCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
    ASSERT_EQ(back.bpp(), 24);
    for (int patch = 0; patch < 4; ++patch) {
      const uint32_t got = back.PixelRgb(patch * 16 + 8, 8);
      for (int s = 0; s < 24; s += 8)
        EXPECT_NEAR(int((got >> s) & 255), int((expect[patch] >> s) & 255), 4) << "patch " << patch;
    }
  }
}

TEST(JpegCodec, BoundedLoadsDecodeAtTheSmallestCoveringScale) {
  const Bytes bytes = Encode(Picture(4000, 3000, 24, 9));
  struct Case {
    int max_w, max_h, decoded_w, decoded_h, fitted_w, fitted_h, n;
  };
  for (const Case& c : {Case{160, 160, 500, 375, 160, 120, 1}, Case{1000, 1000, 1000, 750, 1000, 750, 2},
                        Case{2100, 0, 2500, 1875, 2100, 1575, 5}, Case{0, 2999, 4000, 3000, 3999, 2999, 8}}) {
    SCOPED_TRACE(::testing::Message() << c.max_w << "x" << c.max_h);
    EXPECT_EQ(JpegScaleFor(4000, 3000, c.max_w, c.max_h), c.n);
    LoadOptions lo;
    lo.max_width = c.max_w;
    lo.max_height = c.max_h;
    Image decoded, fitted;
    ASSERT_TRUE(JpegCodec().load(bytes.data(), bytes.size(), lo, &decoded).ok());
    EXPECT_EQ(decoded.width(), c.decoded_w);
    EXPECT_EQ(decoded.height(), c.decoded_h);
    if (c.n == 1) {
      EXPECT_EQ(MaxDifference(decoded, TjDecode(bytes, false, 1)), 0);
    }
    ASSERT_TRUE(LoadMemory(bytes.data(), bytes.size(), lo, &fitted).ok());
    EXPECT_EQ(fitted.width(), c.fitted_w);
    EXPECT_EQ(fitted.height(), c.fitted_h);
  }
}

TEST(JpegCodec, ExifThumbnailAndInfo) {
  const Bytes thumb = Encode(Flat(160, 120, 0xE02020));  // red thumbnail of a blue picture
  const Bytes main = Encode(Flat(640, 480, 0x2020E0));
  const Bytes bytes = WithApp1(main, ExifPayload(thumb, true));
  ExifInfo info;
  ASSERT_TRUE(JpegReadExifInfo(bytes.data(), bytes.size(), &info).ok());
  EXPECT_EQ(info.width, 640);
  EXPECT_EQ(info.height, 480);
  EXPECT_TRUE(info.has_thumbnail);
  EXPECT_EQ(info.thumb_width, 160);
  EXPECT_EQ(info.thumb_height, 120);
  EXPECT_EQ(info.date_taken, "2024:05:06 07:08:09");
  EXPECT_EQ(info.maker, "Osmund Camera");
  EXPECT_EQ(info.model, "OC-1");
  EXPECT_EQ(info.orientation, 6);
  EXPECT_EQ(info.dpi_x, 240);

  Image t;
  ASSERT_TRUE(JpegExifThumbnail(bytes.data(), bytes.size(), &t).ok());
  EXPECT_EQ(MaxDifference(t, TjDecode(thumb, false)), 0);

  // Bounded loads use the thumbnail only when asked and when it is big enough.
  const auto red = [](const Image& img) { return (img.PixelRgb(img.width() / 2, img.height() / 2) >> 16) > 0x80; };
  LoadOptions lo;
  lo.max_width = lo.max_height = 160;
  Image img;
  ASSERT_TRUE(LoadMemory(bytes.data(), bytes.size(), lo, &img).ok());
  EXPECT_FALSE(red(img));
  lo.prefer_exif_thumbnail = true;
  ASSERT_TRUE(LoadMemory(bytes.data(), bytes.size(), lo, &img).ok());
  EXPECT_TRUE(red(img));
  EXPECT_EQ(img.width(), 160);
  EXPECT_EQ(img.dpi_x(), 240);
  lo.max_width = lo.max_height = 320;
  ASSERT_TRUE(LoadMemory(bytes.data(), bytes.size(), lo, &img).ok());
  EXPECT_FALSE(red(img));
  EXPECT_EQ(img.width(), 320);

  // Through the file interface; files without EXIF or thumbnail, non-JPEG.
  const std::string path = TempPath("exif.jpg");
  WriteTestFile(path, bytes);
  ASSERT_TRUE(ReadExifInfo(path, &info).ok());
  EXPECT_EQ(info.model, "OC-1");
  ASSERT_TRUE(ExifThumbnail(path, &t).ok());
  EXPECT_EQ(t.width(), 160);
  std::remove(path.c_str());
  EXPECT_EQ(JpegExifThumbnail(main.data(), main.size(), &t).code(), Status::kNotFound);
  EXPECT_EQ(JpegReadExifInfo(main.data(), main.size(), &info).code(), Status::kNotFound);
  const Bytes bare = WithApp1(main, ExifPayload({}, false));
  EXPECT_EQ(JpegExifThumbnail(bare.data(), bare.size(), &t).code(), Status::kNotFound);
  ASSERT_TRUE(JpegReadExifInfo(bare.data(), bare.size(), &info).ok());
  EXPECT_FALSE(info.has_thumbnail);
  EXPECT_EQ(info.dpi_x, 0);
  const uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  EXPECT_EQ(JpegReadExifInfo(png, sizeof png, &info).code(), Status::kBadFile);
}

TEST(JpegCodec, DamagedExifBlocksNeverHurtThePicture) {
  const Bytes main = Encode(Picture(64, 48, 24));
  const Bytes payload = ExifPayload(Encode(Flat(32, 24, 0x808080)), true);
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    Bytes bad = payload;
    if (round % 3 == 0) bad.resize(6 + rng() % (payload.size() - 6));
    for (int k = 0; k < 4; ++k) bad[6 + rng() % (bad.size() - 6)] = uint8_t(rng());
    const Bytes bytes = WithApp1(main, bad);
    SCOPED_TRACE(round);
    ExifInfo info;
    const Status s = JpegReadExifInfo(bytes.data(), bytes.size(), &info).code();
    EXPECT_TRUE(s == Status::kOk || s == Status::kBroken);
    Image img;
    const Status t = JpegExifThumbnail(bytes.data(), bytes.size(), &img).code();
    EXPECT_TRUE(t == Status::kOk || t == Status::kNotFound || t == Status::kBroken);
    LoadOptions lo;
    lo.max_width = lo.max_height = 16;
    lo.prefer_exif_thumbnail = true;
    ASSERT_TRUE(JpegCodec().load(bytes.data(), bytes.size(), lo, &img).ok());
  }
}

// A thumbnail header claiming 65344 x 9216 pixels must not be allocated.
TEST(JpegCodec, RegressionForgedThumbnailSize) {
  Bytes thumb = Encode(Picture(16, 16, 24));
  const uint8_t sof0[2] = {0xFF, 0xC0};
  const auto at = std::search(thumb.begin(), thumb.end(), sof0, sof0 + 2) - thumb.begin();
  thumb[at + 5] = 0x24, thumb[at + 6] = 0x00, thumb[at + 7] = 0xFF, thumb[at + 8] = 0x40;
  const Bytes bytes = WithApp1(Encode(Picture(64, 48, 24)), ExifPayload(thumb, false));
  Image img;
  EXPECT_EQ(JpegExifThumbnail(bytes.data(), bytes.size(), &img).code(), Status::kBroken);
  ExifInfo info;
  ASSERT_TRUE(JpegReadExifInfo(bytes.data(), bytes.size(), &info).ok());
  EXPECT_FALSE(info.has_thumbnail);
  LoadOptions lo;
  lo.max_width = lo.max_height = 32;
  lo.prefer_exif_thumbnail = true;
  ASSERT_TRUE(JpegCodec().load(bytes.data(), bytes.size(), lo, &img).ok());  // the main picture at 1/2
  EXPECT_EQ(img.width(), 32);
  EXPECT_EQ(img.height(), 24);
}

TEST(JpegCodec, TruncatedDamagedAndForeignDataGiveErrorCodes) {
  for (SaveType type : {SaveType::kJpeg, SaveType::kJpegProgressive}) {
    SaveOptions so;
    so.type = type;
    const Bytes bytes = Encode(Picture(120, 90, 24, 2), so);
    for (size_t cut : {size_t{3}, size_t{20}, size_t{200}, bytes.size() / 3, bytes.size() / 2, bytes.size() - 10}) {
      SCOPED_TRACE(::testing::Message() << "type " << int(type) << " cut " << cut);
      Image back = Picture(5, 5, 24);
      EXPECT_EQ(JpegCodec().load(bytes.data(), cut, {}, &back).code(), Status::kBroken);
      EXPECT_EQ(back.width(), 5);  // untouched
    }
    FileInfo info;
    EXPECT_EQ(JpegCodec().read_info(bytes.data(), 100, 0, &info).code(), Status::kBroken);
    // Entropy data overwritten in the middle.
    Bytes damaged = bytes;
    std::fill(damaged.begin() + damaged.size() / 2, damaged.begin() + damaged.size() / 2 + 64, 0xFF);
    damaged[damaged.size() / 2 + 64] = 0xD0;
    Image back;
    EXPECT_EQ(JpegCodec().load(damaged.data(), damaged.size(), {}, &back).code(), Status::kBroken);
  }
  std::mt19937 rng(5);
  Bytes junk(500);
  for (auto& b : junk) b = uint8_t(rng());
  junk[0] = 0x12;
  Image back;
  EXPECT_FALSE(JpegCodec().sniff(junk.data(), junk.size()));
  EXPECT_EQ(JpegCodec().load(junk.data(), junk.size(), {}, &back).code(), Status::kBadFile);
  EXPECT_EQ(LoadMemory(junk.data(), junk.size(), {}, &back).code(), Status::kBadFile);
}

TEST(JpegCodec, SidesBeyondTheEngineLimitAreMemoryErrors) {
  Bytes bytes = Encode(Picture(16, 16, 24));
  const uint8_t sof0[2] = {0xFF, 0xC0};
  const auto at = std::search(bytes.begin(), bytes.end(), sof0, sof0 + 2) - bytes.begin();
  ASSERT_LT(size_t(at), bytes.size());
  bytes[at + 7] = 0xFF, bytes[at + 8] = 0xFF;  // width 65535
  FileInfo info;
  Image back;
  EXPECT_EQ(JpegCodec().read_info(bytes.data(), bytes.size(), 0, &info).code(), Status::kMemory);
  EXPECT_EQ(JpegCodec().load(bytes.data(), bytes.size(), {}, &back).code(), Status::kMemory);
}

TEST(JpegCodec, SavesThroughTheDispatcherAndFailedSavesKeepTheOldFile) {
  const std::string dir = TempPath("save_dir");
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/pic.jpg";
  const Image img = Picture(600, 400, 24, 8);
  SaveOptions so;
  so.type = SaveType::kJpeg;
  ASSERT_TRUE(Save(img, path, so).ok());
  FileInfo info;
  ASSERT_TRUE(ReadInfo(path, 0, &info).ok());
  EXPECT_EQ(info.format, FileFormat::kJpeg);
  Image back;
  ASSERT_TRUE(Load(path, {}, &back).ok());
  EXPECT_EQ(back.width(), 600);

  std::filesystem::remove_all(dir);

  // A write that fails half-way (a full disk) keeps the file that was there.
  imaging::testing::ExpectFailedSaveKeepsExistingFile(Picture(1200, 800, 24, 9), SaveType::kJpeg, "pic.jpg");
}

}  // namespace
}  // namespace imaging::codecs::internal

namespace imaging::codecs::internal {
namespace {

using namespace imaging::testing;

// Broken EXIF and Photoshop blocks of every kind: the picture loads, full
// as ImageMagick decodes it, bounded (the 1/8 decoder included) exactly as
// the same file without the broken block.
TEST(JpegCodec, DamagedMetadataBlocksAreIgnoredLikeAnIndependentReader) {
  const Image picture = imaging::testing::GradientPicture(640, 480, 24, 3);
  SaveOptions so;
  so.type = SaveType::kJpeg;
  so.jpeg_quality = 90;
  const std::string clean_path = TempPath("clean.jpg");
  ASSERT_TRUE(Save(picture, clean_path, so).ok());
  const std::vector<uint8_t> clean = ReadFile(clean_path);
  LoadOptions bounded;
  bounded.max_width = bounded.max_height = 80;
  Image clean_small;
  ASSERT_TRUE(Load(clean_path, bounded, &clean_small).ok());
  for (JpegDamage damage : kAllJpegDamage) {
    SCOPED_TRACE(static_cast<int>(damage));
    const std::string path = TempPath("damaged.jpg");
    ASSERT_TRUE(WriteFile(path, WithDamagedMetadata(clean, damage)));
    FileInfo info;
    ASSERT_TRUE(ReadInfo(path, 0, &info).ok());
    EXPECT_EQ(info.width, 640);
    Image ours, theirs, small;
    const Result r = Load(path, {}, &ours);
    ASSERT_TRUE(r.ok()) << r.message();
    ASSERT_TRUE(ReferenceDecode(path, &theirs));
    ExpectSameColours(ours, theirs, 1);
    ASSERT_TRUE(Load(path, bounded, &small).ok());
    ExpectSamePixels(small, clean_small);
    std::remove(path.c_str());
  }
  std::remove(clean_path.c_str());
}

}  // namespace
}  // namespace imaging::codecs::internal

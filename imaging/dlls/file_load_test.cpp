// Tests of recognising and loading picture files through libmv7file.so.
#include <gtest/gtest.h>

#include <cstring>

#include "imaging/codecs/codec.h"
#include "imaging/dlls/mv7.h"
#include "imaging/dlls/testing/jpeg_files.h"
#include "imaging/dlls/testing/test_pictures.h"

namespace {

using mv7test::Blocks;
using mv7test::TempFolder;

std::string SavePicture(const TempFolder& tmp, const std::string& name, const imaging::Image& img,
                        imaging::codecs::SaveType type) {
  imaging::codecs::SaveOptions options;
  options.type = type;
  const std::string path = tmp.File(name);
  EXPECT_TRUE(imaging::codecs::Save(img, path, options).ok()) << path;
  return path;
}

TEST(MVFileType, FillsTheInfoRecordAtItsOffsets) {
  TempFolder tmp;
  const std::string png = SavePicture(tmp, "a.png", Blocks(37, 21, 4), imaging::codecs::SaveType::kPng);
  unsigned char raw[sizeof(MVFileInfo)];
  std::memset(raw, 0xEE, sizeof raw);
  ASSERT_NE(MVFileType(png.c_str(), 0, reinterpret_cast<MVFileInfo*>(raw)), 0);
  int32_t width, height;
  int16_t format, count;
  std::memcpy(&width, raw + 0, 4);
  std::memcpy(&height, raw + 4, 4);
  std::memcpy(&format, raw + 28, 2);
  std::memcpy(&count, raw + 32, 2);
  EXPECT_EQ(width, 37);
  EXPECT_EQ(height, 21);
  EXPECT_EQ(format, MV_FORMAT_PNG);
  EXPECT_EQ(count, 1);
  const MVFileInfo* info = reinterpret_cast<const MVFileInfo*>(raw);
  EXPECT_EQ(info->kind, MV_KIND_RASTER);
  EXPECT_EQ(info->bit_count, 24);

  const std::string bmp = SavePicture(tmp, "b.bmp", Blocks(5, 6, 2), imaging::codecs::SaveType::kWorkBmp);
  MVFileInfo b{};
  ASSERT_NE(MVFileType(bmp.c_str(), 0, &b), 0);
  EXPECT_EQ(b.format, MV_FORMAT_BMP);
}

TEST(MVFileType, RejectsUnknownMissingAndPastTheLastImage) {
  TempFolder tmp;
  const std::string png = SavePicture(tmp, "a.png", Blocks(8, 8, 4), imaging::codecs::SaveType::kPng);
  MVFileInfo info{};
  EXPECT_EQ(MVFileType(png.c_str(), 1, &info), 0);
  EXPECT_EQ(MVFileType(png.c_str(), -1, &info), 0);
  EXPECT_EQ(MVFileType(png.c_str(), 0, nullptr), 0);
  EXPECT_EQ(MVFileType(tmp.File("missing.png").c_str(), 0, &info), 0);
  const std::string text = tmp.File("notes.jpg");
  { FILE* f = std::fopen(text.c_str(), "w"); std::fputs("not a picture", f); std::fclose(f); }
  EXPECT_EQ(MVFileType(text.c_str(), 0, &info), 0);
  EXPECT_EQ(MVFileLoad(text.c_str(), 0, 0, 0, 0, 0, 0, 0), 0u);
}

TEST(MVFileType, TellsJpegWithExifApart) {
  TempFolder tmp;
  const imaging::Image img = Blocks(64, 48, 8);
  const std::string plain = tmp.File("plain.jpg"), exif = tmp.File("exif.jpg");
  ASSERT_TRUE(mv7test::WriteJpeg(img, plain, mv7test::Exif::kNone));
  ASSERT_TRUE(mv7test::WriteJpeg(img, exif, mv7test::Exif::kWithoutThumbnail));
  MVFileInfo info{};
  ASSERT_NE(MVFileType(plain.c_str(), 0, &info), 0);
  EXPECT_EQ(info.format, MV_FORMAT_JPEG);
  ASSERT_NE(MVFileType(exif.c_str(), 0, &info), 0);
  EXPECT_EQ(info.format, MV_FORMAT_JPEG_EXIF);
  EXPECT_EQ(info.width, 64);

  MVExifInfo ex{};
  EXPECT_EQ(MVJpegExifInfo(plain.c_str(), &ex), 0);
  ASSERT_NE(MVJpegExifInfo(exif.c_str(), &ex), 0);
  EXPECT_EQ(ex.thumbnail, 0u);
  EXPECT_EQ(ex.width, 64);
  EXPECT_EQ(ex.height, 48);
}

TEST(MVJpegExifInfo, HandsOverTheEmbeddedThumbnail) {
  TempFolder tmp;
  const std::string path = tmp.File("camera.jpg");
  ASSERT_TRUE(mv7test::WriteJpeg(Blocks(640, 480, 40), path, mv7test::Exif::kWithThumbnail));
  MVExifInfo ex{};
  ASSERT_NE(MVJpegExifInfo(path.c_str(), &ex), 0);
  ASSERT_NE(ex.thumbnail, 0u);
  EXPECT_EQ(ex.thumb_width, 160);
  EXPECT_EQ(ex.thumb_height, 120);
  MVImageType t{};
  ASSERT_NE(MVGetImageType(ex.thumbnail, &t), 0);
  EXPECT_EQ(t.width, 160);
  MVFreeMemory(ex.thumbnail);
}

TEST(MVFileLoad, LoadsFullSizeAndBounded) {
  TempFolder tmp;
  const imaging::Image img = Blocks(400, 300, 50);
  const std::string png = SavePicture(tmp, "big.png", img, imaging::codecs::SaveType::kPng);
  MVHANDLE full = MVFileLoad(png.c_str(), 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(full, 0u);
  const imaging::Image back = mv7test::ImageOf(full);
  ASSERT_EQ(back.width(), 400);
  EXPECT_EQ(back.PixelRgb(399, 299), img.PixelRgb(399, 299));
  MVFreeMemory(full);

  MVImageType t{};
  MVHANDLE bounded = MVFileLoad(png.c_str(), 0, 160, 160, 0, 0, 0, 0);
  ASSERT_NE(MVGetImageType(bounded, &t), 0);
  EXPECT_EQ(t.width, 160);
  EXPECT_EQ(t.height, 120);
  MVFreeMemory(bounded);

  MVHANDLE small = MVFileLoad(png.c_str(), 0, 800, 600, 0, 0, 0, 0);  // never enlarged
  ASSERT_NE(MVGetImageType(small, &t), 0);
  EXPECT_EQ(t.width, 400);
  MVFreeMemory(small);

  const std::string jpg = tmp.File("big.jpg");
  ASSERT_TRUE(mv7test::WriteJpeg(Blocks(1600, 1200, 100), jpg, mv7test::Exif::kNone));
  MVHANDLE thumb = MVFileLoad(jpg.c_str(), 0, 160, 160, 0, 0, 0, 0);
  ASSERT_NE(MVGetImageType(thumb, &t), 0);
  EXPECT_EQ(t.width, 160);
  EXPECT_EQ(t.height, 120);
  MVFreeMemory(thumb);

  EXPECT_EQ(MVFileLoad(png.c_str(), 0, -1, 160, 0, 0, 0, 0), 0u);
  EXPECT_EQ(MVFileLoad(png.c_str(), 1, 0, 0, 0, 0, 0, 0), 0u);
}

}  // namespace

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/codecs/gif_internal.h"
#include "imaging/codecs/internal/format_codec.h"
#include "imaging/testing/awkward_files.h"
#include "imaging/testing/codec_test_support.h"
#include "imaging/testing/reference_reader.h"

namespace imaging::codecs::internal {
namespace {

using namespace imaging::testing;

Result SaveAndLoad(const Image& img, const SaveOptions& so, Image* back, const std::string& name) {
  std::vector<uint8_t> bytes;
  if (Result r = SaveToBytes(GifCodec().save, img, so, name, &bytes); !r.ok()) return r;
  if (!GifCodec().sniff(bytes.data(), bytes.size())) return Result(Status::kBadFile, "not sniffed");
  return GifCodec().load(bytes.data(), bytes.size(), {}, back);
}

TEST(GifCodec, RoundTripEveryPaletteDepth) {
  for (int bpp : {1, 4, 8})
    for (bool interlace : {false, true})
      for (int w : {1, 7, 33}) {
        SCOPED_TRACE(::testing::Message() << "bpp " << bpp << " interlace " << interlace << " w " << w);
        const Image img = RandomPicture(w, 13, bpp, bpp * 100 + w);
        SaveOptions so;
        so.type = SaveType::kGif;
        so.interlace = interlace;
        Image back;
        ASSERT_TRUE(SaveAndLoad(img, so, &back, "rt.gif").ok());
        EXPECT_EQ(back.bpp(), bpp);
        ExpectSamePixels(img, back);
        EXPECT_EQ(back.transparent_index(), -1);
      }
}

TEST(GifCodec, InterlacedFileDecodesLikeGiflib) {
  const Image img = RandomPicture(9, 21, 8, 5);
  SaveOptions so;
  so.type = SaveType::kGif;
  so.interlace = true;
  const std::string path = TempPath("il.gif");
  ASSERT_TRUE(GifCodec().save(img, path, so).ok());
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  ASSERT_NE(gif, nullptr);
  ASSERT_EQ(DGifSlurp(gif), GIF_OK);  // giflib de-interlaces on its own
  ASSERT_EQ(gif->ImageCount, 1);
  EXPECT_TRUE(gif->SavedImages[0].ImageDesc.Interlace);
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 9; ++x) ASSERT_EQ(gif->SavedImages[0].RasterBits[y * 9 + x], img.row(y)[x]);
  DGifCloseFile(gif, &error);
  std::remove(path.c_str());
}

TEST(GifCodec, TransparentColourAndCommentRoundTrip) {
  Image img = RandomPicture(16, 16, 4, 9);
  img.palette()[5] = PaletteEntry{30, 20, 10, 0};
  SaveOptions so;
  so.type = SaveType::kGif;
  so.use_transparent = true;
  so.transparent_red = 10;
  so.transparent_green = 20;
  so.transparent_blue = 30;
  so.comment = std::string(600, 'c') + "end";  // longer than one sub-block
  Image back;
  ASSERT_TRUE(SaveAndLoad(img, so, &back, "tr.gif").ok());
  EXPECT_EQ(back.transparent_index(), 5);
  EXPECT_EQ(back.comment(), so.comment);
  ExpectSamePixels(img, back);
}

TEST(GifCodec, TrueColourWithFewColoursKeepsThemExactly) {
  Image img;
  ASSERT_TRUE(Image::Create(40, 30, 24, &img).ok());
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) img.SetPixelRgb(x, y, 0x010203u * static_cast<uint32_t>((x * 7 + y) % 200));
  SaveOptions so;
  so.type = SaveType::kGif;
  Image back;
  ASSERT_TRUE(SaveAndLoad(img, so, &back, "tc.gif").ok());
  EXPECT_EQ(back.bpp(), 8);
  ExpectSamePixels(img, back);
}

TEST(GifCodec, TrueColourGradientIsQuantisedCloseToOriginal) {
  const Image img = GradientPicture(64, 64, 32, 1, {.x_step = 4, .y_step = 4, .blue = 128, .noise = 0});
  SaveOptions so;
  so.type = SaveType::kGif;
  Image back;
  ASSERT_TRUE(SaveAndLoad(img, so, &back, "grad.gif").ok());
  EXPECT_LT(MeanChannelDifference(img, back), 6.0);
}

// Three pictures of different sizes, the second one interlaced, written
// with giflib directly.
std::vector<uint8_t> ThreePictureGif() {
  const std::string path = TempPath("multi.gif");
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  ColorMapObject* map = GifMakeMapObject(4, nullptr);
  for (int i = 0; i < 4; ++i) map->Colors[i] = GifColorType{uint8_t(i * 60), uint8_t(i * 20), uint8_t(255 - i * 60)};
  EGifPutScreenDesc(gif, 20, 10, 2, 0, map);
  const int sizes[3][4] = {{0, 0, 20, 10}, {2, 1, 5, 8}, {4, 3, 3, 2}};
  for (int n = 0; n < 3; ++n) {
    const int w = sizes[n][2], h = sizes[n][3];
    EGifPutImageDesc(gif, sizes[n][0], sizes[n][1], w, h, n == 1, nullptr);
    std::vector<int> order;
    if (n == 1) {
      const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < h; y += step[pass]) order.push_back(y);
    } else {
      for (int y = 0; y < h; ++y) order.push_back(y);
    }
    for (int y : order) {
      std::vector<GifPixelType> line(w);
      for (int x = 0; x < w; ++x) line[x] = GifPixelType((x + y + n) % 4);
      EGifPutLine(gif, line.data(), w);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return TakeFile(path);
}

TEST(GifCodec, MultiplePicturesByIndex) {
  const std::vector<uint8_t> bytes = ThreePictureGif();
  FileInfo info;
  ASSERT_TRUE(GifCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
  EXPECT_EQ(info.format, FileFormat::kGif);
  EXPECT_EQ(info.image_count, 3);
  EXPECT_EQ(info.width, 20);
  EXPECT_EQ(info.height, 10);
  EXPECT_EQ(info.bpp, 4);

  LoadOptions lo;
  lo.image_index = 1;
  Image img;
  ASSERT_TRUE(GifCodec().load(bytes.data(), bytes.size(), lo, &img).ok());
  ASSERT_EQ(img.width(), 20);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 5; ++x) {
      const int v = (x + y + 1) % 4;
      ASSERT_EQ(img.PixelRgb(2 + x, 1 + y), (uint32_t(v * 60) << 16) | (uint32_t(v * 20) << 8) | uint32_t(255 - v * 60));
    }
  lo.image_index = 3;
  EXPECT_EQ(GifCodec().load(bytes.data(), bytes.size(), lo, &img).code(), Status::kBadValue);
  EXPECT_EQ(GifCodec().read_info(bytes.data(), bytes.size(), 3, &info).code(), Status::kBadValue);
}

TEST(GifCodec, TruncatedAndForeignDataGiveErrorCodes) {
  const std::vector<uint8_t> bytes = ThreePictureGif();
  Image img;
  // Cut inside the first picture's data.
  for (size_t cut : {size_t{8}, size_t{20}, bytes.size() / 3}) {
    SCOPED_TRACE(cut);
    EXPECT_EQ(GifCodec().load(bytes.data(), cut, {}, &img).code(), Status::kBroken);
  }
  EXPECT_TRUE(img.empty());
  // A missing trailer alone is tolerated.
  FileInfo info;
  ASSERT_TRUE(GifCodec().read_info(bytes.data(), bytes.size() - 1, 0, &info).ok());
  EXPECT_EQ(info.image_count, 3);

  const std::vector<uint8_t> junk = {'G', 'I', 'F', '8', '9', 'b', 0, 0, 0, 0};
  EXPECT_FALSE(GifCodec().sniff(junk.data(), junk.size()));
  EXPECT_EQ(GifCodec().load(junk.data(), junk.size(), {}, &img).code(), Status::kBadFile);
  EXPECT_EQ(GifCodec().load(junk.data(), 0, {}, &img).code(), Status::kBadFile);
}

TEST(GifCodec, HugeLogicalScreenIsRefusedBeforeAllocating) {
  std::vector<uint8_t> bytes = ThreePictureGif();
  bytes[6] = bytes[7] = bytes[8] = bytes[9] = 0xFF;  // 65535 x 65535 screen
  Image img;
  EXPECT_EQ(GifCodec().load(bytes.data(), bytes.size(), {}, &img).code(), Status::kMemory);
}

}  // namespace
}  // namespace imaging::codecs::internal

namespace imaging::codecs::internal {
namespace {

// LZW data at minimum code sizes from 2 to 11 (above 8 as some encoders
// write it), plain and interlaced, decodes as ImageMagick decodes it.
TEST(GifCodec, EveryMinimumCodeSizeDecodesLikeAnIndependentReader) {
  const int w = 37, h = 23;
  for (int m = 2; m <= 11; ++m)
    for (bool interlace : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "code size " << m << " interlace " << interlace);
      const int table_bits = std::min(m, 8);
      std::vector<uint8_t> indices(static_cast<size_t>(w) * h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) indices[static_cast<size_t>(y) * w + x] = uint8_t((x * 5 + y * 3) % (1 << table_bits));
      const std::string path = TempPath("cs" + std::to_string(m) + ".gif");
      ASSERT_TRUE(WriteFile(path, GifFile(w, h, indices, table_bits, m, interlace)));
      FileInfo info;
      ASSERT_TRUE(ReadInfo(path, 0, &info).ok());
      EXPECT_EQ(info.format, FileFormat::kGif);
      Image ours, theirs;
      const Result r = Load(path, {}, &ours);
      ASSERT_TRUE(r.ok()) << r.message();
      ASSERT_TRUE(ReferenceDecode(path, &theirs));
      ExpectSameColours(ours, theirs, 0);
      std::remove(path.c_str());
    }
}

// Long pictures make the codes grow to 12 bits and the table fill, clear
// and refill; a bounded load keeps every k-th pixel.
TEST(GifCodec, FullTablesAndBoundedLoadsDecodeLikeAnIndependentReader) {
  const int w = 301, h = 97;
  std::vector<uint8_t> indices(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint8_t((i * 7 + i / 301) % 256);
  const std::string path = TempPath("full.gif");
  const std::vector<uint8_t> bytes = GifFile(w, h, indices, 8, 8);
  ASSERT_TRUE(WriteFile(path, bytes));
  Image ours, theirs;
  ASSERT_TRUE(Load(path, {}, &ours).ok());
  ASSERT_TRUE(ReferenceDecode(path, &theirs));
  ExpectSameColours(ours, theirs, 0);
  LoadOptions bounded;
  bounded.max_width = 100;
  Image small;
  ASSERT_TRUE(GifCodec().load(bytes.data(), bytes.size(), bounded, &small).ok());
  ASSERT_EQ(small.width(), 101);  // shrunk by 3 while decoding
  ASSERT_EQ(small.height(), 33);
  for (int y = 0; y < small.height(); ++y)
    for (int x = 0; x < small.width(); ++x) ASSERT_EQ(small.PixelRgb(x, y), theirs.PixelRgb(3 * x, 3 * y));
  std::remove(path.c_str());
}

}  // namespace
}  // namespace imaging::codecs::internal

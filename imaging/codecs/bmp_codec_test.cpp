#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/codecs/internal/format_codec.h"
#include "imaging/testing/codec_test_support.h"
#include "imaging/testing/reference_reader.h"

namespace imaging::codecs::internal {
namespace {

using namespace imaging::testing;

// Runs of random length and value, with some noise between them: the kind
// of picture RLE shrinks.
Image RunsPicture(int w, int h, int bpp, unsigned seed) {
  Image img = RandomPicture(w, h, bpp, seed);
  std::mt19937 rng(seed + 1);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = img.row(y);
    int x = 0;
    while (x < w) {
      const int len = 1 + static_cast<int>(rng() % (rng() % 4 == 0 ? 3 : 40));
      const int v = static_cast<int>(rng() % (1u << bpp));
      for (int i = 0; i < len && x < w; ++i, ++x) {
        if (bpp == 8) {
          row[x] = static_cast<uint8_t>(v);
        } else if (x & 1) {
          row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | v);
        } else {
          row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | (v << 4));
        }
      }
    }
  }
  return img;
}

Result SaveBytes(const Image& img, SaveType type, std::vector<uint8_t>* bytes) {
  SaveOptions so;
  so.type = type;
  return SaveToBytes(BmpCodec().save, img, so, "out.bmp", bytes);
}

Result Decode(const std::vector<uint8_t>& bytes, Image* out) {
  return BmpCodec().load(bytes.data(), bytes.size(), {}, out);
}

// A BMP file with a 40-byte header; `extra` goes between header and
// pixels (colour table, masks).
std::vector<uint8_t> HandMadeBmp(int32_t w, int32_t h, int bpp, uint32_t compression,
                                 const std::vector<uint8_t>& extra, const std::vector<uint8_t>& pixels,
                                 uint32_t used = 0) {
  std::vector<uint8_t> b = {'B', 'M'};
  PutLe32(&b, static_cast<uint32_t>(54 + extra.size() + pixels.size()));
  PutLe32(&b, 0);
  PutLe32(&b, static_cast<uint32_t>(54 + extra.size()));
  PutLe32(&b, 40);
  PutLe32(&b, static_cast<uint32_t>(w));
  PutLe32(&b, static_cast<uint32_t>(h));
  PutLe16(&b, 1);
  PutLe16(&b, static_cast<unsigned>(bpp));
  PutLe32(&b, compression);
  PutLe32(&b, static_cast<uint32_t>(pixels.size()));
  PutLe32(&b, 2835);
  PutLe32(&b, 2835);
  PutLe32(&b, used);
  PutLe32(&b, 0);
  b.insert(b.end(), extra.begin(), extra.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

std::vector<uint8_t> GreyTable(int n) {
  std::vector<uint8_t> t;
  for (int i = 0; i < n; ++i) {
    const auto v = static_cast<uint8_t>(i * 255 / (n - 1));
    t.insert(t.end(), {v, v, v, 0});
  }
  return t;
}

// --- Round trips and layout ----------------------------------------------

TEST(BmpCodec, RoundTripEveryDepthAndType) {
  for (int bpp : {1, 4, 8, 16, 24, 32})
    for (SaveType type : {SaveType::kWorkBmp, SaveType::kBmp})
      for (int w : {1, 7, 33}) {
        SCOPED_TRACE(::testing::Message() << "bpp " << bpp << " type " << int(type) << " w " << w);
        Image img = (bpp == 4 || bpp == 8) && w > 1 ? RunsPicture(w, 9, bpp, bpp + w) : RandomPicture(w, 9, bpp, bpp + w);
        img.set_dpi(300, 72);
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(SaveBytes(img, type, &bytes).ok());
        Image back;
        ASSERT_TRUE(Decode(bytes, &back).ok());
        EXPECT_EQ(back.bpp(), bpp);
        ExpectSamePixels(img, back);
        if (bpp == 16 || bpp == 32) {  // every stored byte comes back, unused bit and alpha included
          for (int y = 0; y < img.height(); ++y)
            ASSERT_EQ(std::memcmp(img.row(y), back.row(y), Image::RowBytes(w, bpp)), 0);
        }
        EXPECT_EQ(back.dpi_x(), 300);
        EXPECT_EQ(back.dpi_y(), 72);
        FileInfo info;
        ASSERT_TRUE(BmpCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
        EXPECT_EQ(info.width, w);
        EXPECT_EQ(info.height, 9);
        EXPECT_EQ(info.bpp, bpp);
      }
}

TEST(BmpCodec, GoldenHeaderOfTinyPictures) {
  Image img;
  ASSERT_TRUE(Image::Create(2, 2, 24, &img).ok());
  img.SetPixelRgb(0, 0, 0x010203);  // top row
  img.SetPixelRgb(1, 0, 0x040506);
  img.SetPixelRgb(0, 1, 0x070809);  // bottom row, stored first
  img.SetPixelRgb(1, 1, 0x0A0B0C);
  img.set_dpi(96, 96);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SaveBytes(img, SaveType::kBmp, &bytes).ok());
  const std::vector<uint8_t> expected = {
      'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                  // file header
      40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,                // size, width, height, planes, depth
      0, 0, 0, 0, 16, 0, 0, 0, 0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0,    // BI_RGB, image size, 3780 ppm
      0, 0, 0, 0, 0, 0, 0, 0,                                          // colours used, important
      9, 8, 7, 12, 11, 10, 0, 0,                                       // bottom row, padded
      3, 2, 1, 6, 5, 4, 0, 0};                                         // top row
  EXPECT_EQ(bytes, expected);

  // Work files are the same picture stored top-down (negative height), so
  // they go out as the rows lie in memory; they read back identical.
  ASSERT_TRUE(SaveBytes(img, SaveType::kWorkBmp, &bytes).ok());
  const std::vector<uint8_t> expected_work = {
      'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                  // file header
      40, 0, 0, 0, 2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 24, 0,    // size, width, height -2, planes, depth
      0, 0, 0, 0, 16, 0, 0, 0, 0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0, 0,    // BI_RGB, image size, 3780 ppm
      0, 0, 0, 0, 0, 0, 0, 0,                                          // colours used, important
      3, 2, 1, 6, 5, 4, 0, 0,                                          // top row first
      9, 8, 7, 12, 11, 10, 0, 0};                                      // bottom row
  EXPECT_EQ(bytes, expected_work);
  Image back;
  ASSERT_TRUE(BmpCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  ExpectSamePixels(back, img);

  Image mono;
  ASSERT_TRUE(Image::Create(3, 1, 1, &mono).ok());
  mono.palette() = {PaletteEntry{0, 0, 0, 0}, PaletteEntry{255, 128, 64, 0}};
  mono.row(0)[0] = 0xA0;  // 1 0 1
  ASSERT_TRUE(SaveBytes(mono, SaveType::kBmp, &bytes).ok());
  const std::vector<uint8_t> expected_mono = {
      'B', 'M', 66, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0,
      40, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0,
      0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      2, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 0, 0, 255, 128, 64, 0,                                     // colour table, B G R 0
      0xA0, 0, 0, 0};
  EXPECT_EQ(bytes, expected_mono);
}

TEST(BmpCodec, RleOnlyWhenItIsSmaller) {
  for (int bpp : {4, 8}) {
    SCOPED_TRACE(bpp);
    const uint32_t code = bpp == 8 ? 1 : 2;
    const Image runs = RunsPicture(200, 40, bpp, 3);
    std::vector<uint8_t> rle, plain;
    ASSERT_TRUE(SaveBytes(runs, SaveType::kBmp, &rle).ok());
    ASSERT_TRUE(SaveBytes(runs, SaveType::kWorkBmp, &plain).ok());
    EXPECT_EQ(Le32(rle, 30), code);
    EXPECT_EQ(Le32(plain, 30), 0u);
    EXPECT_LT(rle.size(), plain.size());
    EXPECT_EQ(Le32(rle, 34), rle.size() - Le32(rle, 10));  // biSizeImage is the RLE size
    EXPECT_EQ(Le32(rle, 2), rle.size());
    Image back;
    ASSERT_TRUE(Decode(rle, &back).ok());
    ExpectSamePixels(runs, back);

    const Image noise = RandomPicture(200, 40, bpp, 4);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(SaveBytes(noise, SaveType::kBmp, &bytes).ok());
    EXPECT_EQ(Le32(bytes, 30), 0u);  // RLE would be larger
    ASSERT_TRUE(Decode(bytes, &back).ok());
    ExpectSamePixels(noise, back);
  }
}

// --- Hand-made files -----------------------------------------------------

TEST(BmpCodec, DecodesHandMadeRle8AndRle4) {
  // RLE8, 6 x 3, bottom-up: a run, an absolute run, a delta, end of bitmap.
  const std::vector<uint8_t> rle8 = {
      3, 5, 0, 3, 7, 8, 9, 0, 0, 0,  // bottom row: 5 5 5 7 8 9 (absolute run padded), end of line
      0, 2, 2, 1,                    // delta: right 2, up 1 (to the top row)
      2, 4, 0, 1};                   // top row: x 2..3 = 4, end of bitmap
  Image img;
  ASSERT_TRUE(Decode(HandMadeBmp(6, 3, 8, 1, GreyTable(256), rle8), &img).ok());
  ASSERT_EQ(img.bpp(), 8);
  const uint8_t bottom[] = {5, 5, 5, 7, 8, 9};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(img.row(2)[x], bottom[x]) << x;
  for (int x = 0; x < 6; ++x) EXPECT_EQ(img.row(1)[x], 0) << x;  // skipped row
  const uint8_t top[] = {0, 0, 4, 4, 0, 0};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(img.row(0)[x], top[x]) << x;

  // RLE4, 8 x 1: alternating run of 5, absolute run of 3 (padded to 16 bits).
  const std::vector<uint8_t> rle4 = {5, 0x1F, 0, 3, 0x34, 0x50, 0, 1};
  ASSERT_TRUE(Decode(HandMadeBmp(8, 1, 4, 2, GreyTable(16), rle4), &img).ok());
  ASSERT_EQ(img.bpp(), 4);
  const int expected[] = {1, 15, 1, 15, 1, 3, 4, 5};
  for (int x = 0; x < 8; ++x) EXPECT_EQ((x & 1) ? (img.row(0)[x >> 1] & 15) : (img.row(0)[x >> 1] >> 4), expected[x]) << x;
}

TEST(BmpCodec, MalformedRleIsSafe) {
  Image img;
  // Runs past the right edge and deltas past the top are clipped.
  const std::vector<uint8_t> wide = {255, 1, 0, 200, 0, 0, 0, 2, 100, 100, 0, 1};
  std::vector<uint8_t> wide_pixels = wide;
  wide_pixels.resize(wide.size() + 200, 9);
  EXPECT_TRUE(Decode(HandMadeBmp(4, 2, 8, 1, GreyTable(256), {255, 1, 0, 1}), &img).ok());
  for (int x = 0; x < 4; ++x) EXPECT_EQ(img.row(1)[x], 1);
  (void)Decode(HandMadeBmp(4, 2, 8, 1, GreyTable(256), wide_pixels), &img);
  (void)Decode(HandMadeBmp(3, 2, 4, 2, GreyTable(16), wide_pixels), &img);
  // Data that ends before the end of the picture.
  EXPECT_EQ(Decode(HandMadeBmp(4, 4, 8, 1, GreyTable(256), {2, 1, 0, 0, 0, 5}), &img).code(), Status::kBroken);
  EXPECT_EQ(Decode(HandMadeBmp(4, 4, 8, 1, GreyTable(256), {0, 9, 1, 2}), &img).code(), Status::kBroken);
  // RLE with a bit count it does not fit.
  EXPECT_FALSE(Decode(HandMadeBmp(4, 4, 24, 1, {}, {0, 1}), &img).ok());
  // Random codes never write out of bounds.
  std::mt19937 rng(5);
  for (int i = 0; i < 300; ++i) {
    std::vector<uint8_t> junk(static_cast<size_t>(rng() % 200));
    for (auto& b : junk) b = static_cast<uint8_t>(rng() % 4 == 0 ? rng() % 3 : rng());
    Image o;
    (void)Decode(HandMadeBmp(1 + rng() % 9, 1 + rng() % 9, i % 2 ? 8 : 4, i % 2 ? 1 : 2, GreyTable(16), junk), &o);
  }
}

TEST(BmpCodec, ReadsOs2CoreHeaderTopDownAndBitFields) {
  {  // OS/2 1.x: 12-byte header, 16-bit sides, RGB triples
    std::vector<uint8_t> b = {'B', 'M'};
    PutLe32(&b, 14 + 12 + 6 + 4);
    PutLe32(&b, 0);
    PutLe32(&b, 14 + 12 + 6);
    PutLe32(&b, 12);
    PutLe16(&b, 3);
    PutLe16(&b, 1);
    PutLe16(&b, 1);
    PutLe16(&b, 1);
    b.insert(b.end(), {10, 20, 30, 40, 50, 60});  // B G R, B G R
    b.insert(b.end(), {0x40, 0, 0, 0});          // 0 1 0
    Image img;
    ASSERT_TRUE(Decode(b, &img).ok());
    ASSERT_EQ(img.bpp(), 1);
    EXPECT_EQ(img.PixelRgb(0, 0), 0x1E140Au);
    EXPECT_EQ(img.PixelRgb(1, 0), 0x3C3228u);
    EXPECT_EQ(img.PixelRgb(2, 0), 0x1E140Au);
  }
  {  // top-down 24-bit rows (negative height)
    const std::vector<uint8_t> rows = {1, 2, 3, 0, 4, 5, 6, 0};
    Image img;
    ASSERT_TRUE(Decode(HandMadeBmp(1, -2, 24, 0, {}, rows), &img).ok());
    EXPECT_EQ(img.PixelRgb(0, 0), 0x030201u);
    EXPECT_EQ(img.PixelRgb(0, 1), 0x060504u);
  }
  {  // BI_BITFIELDS 5-6-5 becomes 24 bpp
    std::vector<uint8_t> masks;
    PutLe32(&masks, 0xF800);
    PutLe32(&masks, 0x07E0);
    PutLe32(&masks, 0x001F);
    const std::vector<uint8_t> rows = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x00, 0x00};  // red, green, blue
    Image img;
    ASSERT_TRUE(Decode(HandMadeBmp(3, 1, 16, 3, masks, rows), &img).ok());
    ASSERT_EQ(img.bpp(), 24);
    EXPECT_EQ(img.PixelRgb(0, 0), 0xFF0000u);
    EXPECT_EQ(img.PixelRgb(1, 0), 0x00FF00u);
    EXPECT_EQ(img.PixelRgb(2, 0), 0x0000FFu);
  }
  {  // BI_BITFIELDS 32-bit with swapped channels
    std::vector<uint8_t> masks;
    PutLe32(&masks, 0x000000FF);
    PutLe32(&masks, 0x0000FF00);
    PutLe32(&masks, 0x00FF0000);
    const std::vector<uint8_t> rows = {0x11, 0x22, 0x33, 0x44};
    Image img;
    ASSERT_TRUE(Decode(HandMadeBmp(1, 1, 32, 3, masks, rows), &img).ok());
    EXPECT_EQ(img.PixelRgb(0, 0), 0x112233u);
  }
}

TEST(BmpCodec, MalformedHeadersGiveErrorCodes) {
  Image img;
  const std::vector<uint8_t> rows(64, 0);
  EXPECT_EQ(Decode(HandMadeBmp(0, 4, 24, 0, {}, rows), &img).code(), Status::kBroken);
  EXPECT_EQ(Decode(HandMadeBmp(4, 4, 7, 0, {}, rows), &img).code(), Status::kUnsupported);
  EXPECT_EQ(Decode(HandMadeBmp(4, 4, 24, 9, {}, rows), &img).code(), Status::kUnsupported);
  EXPECT_EQ(Decode(HandMadeBmp(40, 40, 24, 0, {}, rows), &img).code(), Status::kBroken);  // rows cut short
  EXPECT_NE(Decode(HandMadeBmp(100000, 100000, 24, 0, {}, rows), &img).code(), Status::kOk);
  std::vector<uint8_t> bad_offset = HandMadeBmp(4, 4, 24, 0, {}, rows);
  bad_offset[10] = 0xFF;
  bad_offset[11] = 0xFF;
  EXPECT_EQ(Decode(bad_offset, &img).code(), Status::kBroken);
  std::vector<uint8_t> bad_header = HandMadeBmp(4, 4, 24, 0, {}, rows);
  bad_header[14] = 0xF0;  // header larger than the file
  EXPECT_EQ(Decode(bad_header, &img).code(), Status::kBroken);
  const std::vector<uint8_t> not_bmp = {'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Decode(not_bmp, &img).code(), Status::kBadFile);
  EXPECT_TRUE(img.empty());

  std::vector<uint8_t> good;
  ASSERT_TRUE(SaveBytes(RandomPicture(20, 20, 8, 6), SaveType::kWorkBmp, &good).ok());
  for (size_t cut = 0; cut < good.size(); cut += 37) {
    Image o;
    EXPECT_FALSE(BmpCodec().load(good.data(), cut, {}, &o).ok()) << cut;
  }
}

TEST(BmpCodec, FailedSaveLeavesExistingFileUntouched) {
  ExpectFailedSaveKeepsExistingFile(RandomPicture(512, 512, 24, 7), SaveType::kWorkBmp, "keep.bmp");  // 768 KB of rows
}

}  // namespace
}  // namespace imaging::codecs::internal

namespace imaging::codecs::internal {
namespace {

// Sixteen distinct colours, as BMP colour table entries (B, G, R, 0).
std::vector<uint8_t> ColourTable16() {
  std::vector<uint8_t> t;
  for (int i = 0; i < 16; ++i) {
    t.push_back(static_cast<uint8_t>(i * 16));
    t.push_back(static_cast<uint8_t>(255 - i * 13));
    t.push_back(static_cast<uint8_t>((i * 77) & 255));
    t.push_back(0);
  }
  return t;
}

// An RLE4 file written by hand: runs that alternate two colours (odd and
// even counts), absolute runs of odd and even length with their word
// padding, end-of-line before the right edge and a delta that skips rows
// and columns.  Our decode must equal ImageMagick's.
TEST(BmpCodec, Rle4DecodesLikeAnIndependentReader) {
  const std::vector<uint8_t> rle = {
      5, 0x12,  0, 3, 0x34, 0x50,  0, 5, 0x67, 0x89, 0xA0, 0x00,  0, 0,                  // row 0
      0, 7, 0xBC, 0xDE, 0xF1, 0x20,  6, 0xAB,  0, 0,                                  // row 1
      2, 0xF0,  0, 2, 3, 1,                                                           // row 2, delta
      4, 0x56,  0, 0,                                                                  // row 3 from x 5
      0, 4, 0x9A, 0xBC,  9, 0xCD,  0, 0,                                               // row 4
      1, 0xE0,  3, 0x7E,  0, 3, 0x11, 0x20,  6, 0x33,  0, 0,  0, 1};                   // row 5, end
  const std::vector<uint8_t> bytes = HandMadeBmp(13, 6, 4, 2, ColourTable16(), rle, 16);
  const std::string path = TempPath("rle4.bmp");
  ASSERT_TRUE(WriteFile(path, bytes));
  Image ours, theirs;
  ASSERT_TRUE(Load(path, {}, &ours).ok());
  ASSERT_TRUE(ReferenceDecode(path, &theirs));
  ExpectSameColours(ours, theirs, 0);
  // A bounded load decodes at half size, keeping the top-left pixel of
  // each 2 x 2 block.
  LoadOptions bounded;
  bounded.max_width = 6;
  Image small;
  ASSERT_TRUE(BmpCodec().load(bytes.data(), bytes.size(), bounded, &small).ok());
  ASSERT_EQ(small.width(), 7);
  ASSERT_EQ(small.height(), 3);
  for (int y = 0; y < small.height(); ++y)
    for (int x = 0; x < small.width(); ++x) EXPECT_EQ(small.PixelRgb(x, y), theirs.PixelRgb(2 * x, 2 * y));
  std::remove(path.c_str());
}

}  // namespace
}  // namespace imaging::codecs::internal

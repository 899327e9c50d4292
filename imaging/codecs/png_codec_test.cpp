#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/codecs/internal/format_codec.h"
#include "imaging/codecs/png_internal.h"
#include "imaging/testing/codec_test_support.h"

namespace imaging::codecs::internal {
namespace {

using namespace imaging::testing;

Result SaveBytes(const Image& img, const SaveOptions& so, std::vector<uint8_t>* bytes) {
  return SaveToBytes(PngCodec().save, img, so, "out.png", bytes);
}

Result SaveAndLoad(const Image& img, const SaveOptions& so, Image* back) {
  std::vector<uint8_t> bytes;
  if (Result r = SaveBytes(img, so, &bytes); !r.ok()) return r;
  if (!PngCodec().sniff(bytes.data(), bytes.size())) return Result(Status::kBadFile, "not sniffed");
  return PngCodec().load(bytes.data(), bytes.size(), {}, back);
}

uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return c ^ 0xFFFFFFFFu;
}

// --- Writing PNG files with libpng directly ------------------------------

struct MemoryWriter {
  std::vector<uint8_t> bytes;
};

void WriteToMemory(png_structp png, png_bytep data, size_t n) {
  auto* w = static_cast<MemoryWriter*>(png_get_io_ptr(png));
  w->bytes.insert(w->bytes.end(), data, data + n);
}
void FlushNothing(png_structp) {}

struct PngSpec {
  int width = 0;
  int height = 0;
  int color_type = PNG_COLOR_TYPE_GRAY;
  int bit_depth = 8;
  bool interlace = false;
  std::vector<png_color> palette;
  std::vector<png_byte> trns_alpha;
  bool trns_key = false;
  png_color_16 key{};
  std::vector<std::vector<png_byte>> rows;  // packed rows as libpng takes them (RGB order, big-endian 16-bit)
  const char* comment = nullptr;
  bool itxt = false;
};

std::vector<uint8_t> WritePng(const PngSpec& s) {
  MemoryWriter w;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "libpng write failed";
    return {};
  }
  png_set_write_fn(png, &w, WriteToMemory, FlushNothing);
  png_set_IHDR(png, info, s.width, s.height, s.bit_depth, s.color_type,
               s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
  if (!s.trns_alpha.empty())
    png_set_tRNS(png, info, s.trns_alpha.data(), static_cast<int>(s.trns_alpha.size()), nullptr);
  if (s.trns_key) png_set_tRNS(png, info, nullptr, 0, &s.key);
  png_text text{};
  if (s.comment != nullptr) {
    text.compression = s.itxt ? PNG_ITXT_COMPRESSION_NONE : PNG_TEXT_COMPRESSION_NONE;
    text.key = const_cast<char*>("Comment");
    text.text = const_cast<char*>(s.comment);
    text.lang = const_cast<char*>("");
    text.lang_key = const_cast<char*>("");
    png_set_text(png, info, &text, 1);
  }
  std::vector<png_bytep> rows;
  for (const auto& r : s.rows) rows.push_back(const_cast<png_bytep>(r.data()));
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return w.bytes;
}

int Channels(int color_type) {
  switch (color_type) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    default: return 4;
  }
}

// Random samples of the spec's layout; for 16-bit samples the low byte
// repeats the high one (v * 257), so every sound 16-to-8 reduction gives
// the high byte back.
void FillRandomRows(PngSpec* s, unsigned seed) {
  std::mt19937 rng(seed);
  const int samples = s->width * Channels(s->color_type);
  const size_t bytes = (static_cast<size_t>(samples) * s->bit_depth + 7) / 8;
  const int max_index = s->color_type == PNG_COLOR_TYPE_PALETTE ? static_cast<int>(s->palette.size()) - 1 : -1;
  s->rows.assign(s->height, std::vector<png_byte>(bytes, 0));
  for (auto& row : s->rows) {
    for (int i = 0; i < samples; ++i) {
      int v = static_cast<int>(rng() % (1u << std::min(s->bit_depth, 8)));
      if (max_index >= 0) v = std::min(v, max_index);
      if (s->bit_depth == 16) {
        row[2 * i] = row[2 * i + 1] = static_cast<png_byte>(v);
      } else {
        const int bit = i * s->bit_depth;
        row[bit / 8] |= static_cast<png_byte>(v << (8 - s->bit_depth - bit % 8));
      }
    }
  }
}

// The pixels decoded by libpng's simplified API as B,G,R,A: the reference
// our decoder is compared against.
bool ReferenceDecode(const std::vector<uint8_t>& file, int* w, int* h, std::vector<uint8_t>* bgra) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return false;
  image.format = PNG_FORMAT_BGRA;
  bgra->assign(PNG_IMAGE_SIZE(image), 0);
  const bool ok = png_image_finish_read(&image, nullptr, bgra->data(), 0, nullptr) != 0;
  *w = static_cast<int>(image.width);
  *h = static_cast<int>(image.height);
  png_image_free(&image);
  return ok;
}

void ExpectMatchesReference(const std::vector<uint8_t>& file, const Image& ours, bool compare_alpha) {
  int w = 0, h = 0;
  std::vector<uint8_t> ref;
  ASSERT_TRUE(ReferenceDecode(file, &w, &h, &ref));
  ASSERT_EQ(ours.width(), w);
  ASSERT_EQ(ours.height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = ref.data() + (static_cast<size_t>(y) * w + x) * 4;
      const uint32_t rgb = (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
      ASSERT_EQ(ours.PixelRgb(x, y), rgb) << x << "," << y;
      if (compare_alpha && ours.bpp() == 32) {
        ASSERT_EQ(ours.row(y)[4 * x + 3], p[3]) << x << "," << y;
      }
    }
}

std::vector<png_color> RandomPalette(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<png_color> p(static_cast<size_t>(n));
  for (auto& c : p) c = png_color{png_byte(rng()), png_byte(rng()), png_byte(rng())};
  return p;
}

// --- Round trips ---------------------------------------------------------

TEST(PngCodec, RoundTripEveryDepth) {
  for (int bpp : {1, 4, 8, 16, 24, 32})
    for (bool interlace : {false, true})
      for (int w : {1, 7, 33}) {
        SCOPED_TRACE(::testing::Message() << "bpp " << bpp << " interlace " << interlace << " w " << w);
        // 16-bit words keep their unused bit 15 clear.
        Image img = RandomPicture(w, 11, bpp, bpp * 100 + w + interlace, {.clear_unused_bit = true});
        if (bpp == 32)  // some alpha, so the alpha channel is kept
          for (int y = 0; y < img.height(); ++y) img.row(y)[3] |= 1;
        SaveOptions so;
        so.type = SaveType::kPng;
        so.interlace = interlace;
        Image back;
        ASSERT_TRUE(SaveAndLoad(img, so, &back).ok());
        EXPECT_EQ(back.bpp(), bpp == 16 ? 24 : bpp);
        ExpectSamePixels(img, back);
        if (bpp == 32) {
          for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(back.row(y)[4 * x + 3], img.row(y)[4 * x + 3]);
        }
        EXPECT_EQ(back.transparent_index(), -1);
      }
}

TEST(PngCodec, GreyPicturesStayGreyIndexed) {
  for (int bpp : {1, 4, 8}) {
    SCOPED_TRACE(bpp);
    Image img = RandomPicture(13, 5, bpp, bpp);
    const int n = 1 << bpp;
    for (int i = 0; i < n; ++i) {
      const auto v = static_cast<uint8_t>(i * 255 / (n - 1));
      img.palette()[i] = PaletteEntry{v, v, v, 0};
    }
    img.set_gray(true);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(SaveBytes(img, {}, &bytes).ok());
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ(bytes[24], bpp);                   // IHDR bit depth
    EXPECT_EQ(bytes[25], PNG_COLOR_TYPE_GRAY);   // IHDR colour type
    Image back;
    ASSERT_TRUE(PngCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
    EXPECT_EQ(back.bpp(), bpp);
    EXPECT_TRUE(back.gray());
    ExpectSamePixels(img, back);
  }
}

TEST(PngCodec, OpaqueThirtyTwoBitIsWrittenOpaque) {
  const Image img = RandomPicture(9, 4, 32, 3);
  Image zero_alpha = img;
  for (int y = 0; y < zero_alpha.height(); ++y)
    for (int x = 0; x < zero_alpha.width(); ++x) zero_alpha.row(y)[4 * x + 3] = 0;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SaveBytes(zero_alpha, {}, &bytes).ok());
  Image back;
  ASSERT_TRUE(PngCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  ExpectSamePixels(zero_alpha, back);
  ASSERT_EQ(back.bpp(), 32);
  for (int x = 0; x < back.width(); ++x) EXPECT_EQ(back.row(2)[4 * x + 3], 255);
}

// --- Files written by libpng ---------------------------------------------

TEST(PngCodec, DecodesEveryColourTypeLikeLibpng) {
  struct Case {
    int color_type, bit_depth, bpp;
  };
  const Case cases[] = {
      {PNG_COLOR_TYPE_GRAY, 1, 1},       {PNG_COLOR_TYPE_GRAY, 2, 4},      {PNG_COLOR_TYPE_GRAY, 4, 4},
      {PNG_COLOR_TYPE_GRAY, 8, 8},       {PNG_COLOR_TYPE_GRAY, 16, 8},     {PNG_COLOR_TYPE_PALETTE, 1, 1},
      {PNG_COLOR_TYPE_PALETTE, 2, 4},    {PNG_COLOR_TYPE_PALETTE, 4, 4},   {PNG_COLOR_TYPE_PALETTE, 8, 8},
      {PNG_COLOR_TYPE_RGB, 8, 24},       {PNG_COLOR_TYPE_RGB, 16, 24},     {PNG_COLOR_TYPE_GRAY_ALPHA, 8, 32},
      {PNG_COLOR_TYPE_GRAY_ALPHA, 16, 32}, {PNG_COLOR_TYPE_RGB_ALPHA, 8, 32}, {PNG_COLOR_TYPE_RGB_ALPHA, 16, 32},
  };
  for (const Case& c : cases)
    for (bool interlace : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "type " << c.color_type << " depth " << c.bit_depth << " il " << interlace);
      PngSpec s;
      s.width = 19;
      s.height = 10;
      s.color_type = c.color_type;
      s.bit_depth = c.bit_depth;
      s.interlace = interlace;
      if (c.color_type == PNG_COLOR_TYPE_PALETTE) s.palette = RandomPalette(1 << c.bit_depth, c.bit_depth);
      FillRandomRows(&s, c.color_type * 31 + c.bit_depth);
      const std::vector<uint8_t> file = WritePng(s);
      Image ours;
      ASSERT_TRUE(PngCodec().load(file.data(), file.size(), {}, &ours).ok());
      EXPECT_EQ(ours.bpp(), c.bpp);
      EXPECT_EQ(ours.gray(), c.color_type == PNG_COLOR_TYPE_GRAY);
      if (c.bit_depth == 16) {
        // libpng's simplified reader treats 16-bit samples as linear light;
        // compare with the same samples written at 8 bits instead.
        PngSpec eight = s;
        eight.bit_depth = 8;
        for (auto& row : eight.rows) {
          std::vector<png_byte> high(row.size() / 2);
          for (size_t i = 0; i < high.size(); ++i) high[i] = row[2 * i];
          row = high;
        }
        ExpectMatchesReference(WritePng(eight), ours, true);
      } else {
        ExpectMatchesReference(file, ours, true);
      }
      FileInfo info;
      ASSERT_TRUE(PngCodec().read_info(file.data(), file.size(), 0, &info).ok());
      EXPECT_EQ(info.width, 19);
      EXPECT_EQ(info.height, 10);
      EXPECT_EQ(info.bpp, c.bpp);
    }
}

TEST(PngCodec, SixteenBitSamplesAreScaledToEightBits) {
  PngSpec s;
  s.width = 4;
  s.height = 1;
  s.color_type = PNG_COLOR_TYPE_GRAY;
  s.bit_depth = 16;
  s.rows = {{0x00, 0x00, 0xFF, 0xFF, 0x80, 0x00, 0x7F, 0xFF}};  // 0, 65535, 32768, 32767
  const std::vector<uint8_t> file = WritePng(s);
  Image img;
  ASSERT_TRUE(PngCodec().load(file.data(), file.size(), {}, &img).ok());
  ASSERT_EQ(img.bpp(), 8);
  EXPECT_EQ(img.row(0)[0], 0);
  EXPECT_EQ(img.row(0)[1], 255);
  EXPECT_EQ(img.row(0)[2], 128);
  EXPECT_EQ(img.row(0)[3], 127);
}

// --- Transparency, resolution, comments ----------------------------------

TEST(PngCodec, TransparencyChunksBecomeTransparentIndexOrAlpha) {
  {  // palette: the first fully transparent entry
    PngSpec s;
    s.width = 8;
    s.height = 2;
    s.color_type = PNG_COLOR_TYPE_PALETTE;
    s.palette = RandomPalette(16, 4);
    s.trns_alpha = {255, 128, 255, 0, 0};
    FillRandomRows(&s, 1);
    const std::vector<uint8_t> file = WritePng(s);
    Image img;
    ASSERT_TRUE(PngCodec().load(file.data(), file.size(), {}, &img).ok());
    EXPECT_EQ(img.transparent_index(), 3);
  }
  {  // grey key
    PngSpec s;
    s.width = 8;
    s.height = 2;
    s.color_type = PNG_COLOR_TYPE_GRAY;
    s.bit_depth = 4;
    s.trns_key = true;
    s.key.gray = 9;
    FillRandomRows(&s, 2);
    const std::vector<uint8_t> file = WritePng(s);
    Image img;
    ASSERT_TRUE(PngCodec().load(file.data(), file.size(), {}, &img).ok());
    EXPECT_EQ(img.bpp(), 4);
    EXPECT_EQ(img.transparent_index(), 9);
  }
  {  // RGB key: alpha 0 exactly on the key colour
    PngSpec s;
    s.width = 3;
    s.height = 1;
    s.color_type = PNG_COLOR_TYPE_RGB;
    s.trns_key = true;
    s.key.red = 10;
    s.key.green = 20;
    s.key.blue = 30;
    s.rows = {{10, 20, 30, 10, 20, 31, 1, 2, 3}};
    const std::vector<uint8_t> file = WritePng(s);
    Image img;
    ASSERT_TRUE(PngCodec().load(file.data(), file.size(), {}, &img).ok());
    ASSERT_EQ(img.bpp(), 32);
    EXPECT_EQ(img.PixelRgb(0, 0), 0x0A141Eu);
    EXPECT_EQ(img.row(0)[3], 0);
    EXPECT_EQ(img.row(0)[7], 255);
    EXPECT_EQ(img.row(0)[11], 255);
  }
}

// A tRNS chunk as libpng reads it: a colour key (grey and RGB files) or
// palette alphas.
struct Trns {
  bool has_key = false;
  png_color_16 key{};
  std::vector<png_byte> alpha;
};

// Reads the tRNS chunk of a file with libpng; false when there is none.
bool ReadTrns(const std::vector<uint8_t>& file, Trns* trns) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  struct Reader {
    const std::vector<uint8_t>* file;
    size_t pos;
  } reader{&file, 0};
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &reader, [](png_structp p, png_bytep out, size_t n) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(p));
    if (r->file->size() - r->pos < n) png_error(p, "short");
    std::memcpy(out, r->file->data() + r->pos, n);
    r->pos += n;
  });
  png_read_info(png, info);
  bool found = false;
  png_bytep a = nullptr;
  int n = 0;
  png_color_16p k = nullptr;
  if (png_get_tRNS(png, info, &a, &n, &k) != 0) {
    found = true;
    trns->has_key = png_get_color_type(png, info) != PNG_COLOR_TYPE_PALETTE;
    if (trns->has_key) trns->key = *k;
    else trns->alpha.assign(a, a + n);
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return found;
}

// Saves with the option that makes the colour (red, green, blue) transparent.
Result SaveTransparent(const Image& img, uint8_t red, uint8_t green, uint8_t blue, std::vector<uint8_t>* bytes) {
  SaveOptions so;
  so.use_transparent = true;
  so.transparent_red = red;
  so.transparent_green = green;
  so.transparent_blue = blue;
  return SaveBytes(img, so, bytes);
}

TEST(PngCodec, SaveOptionsTransparentColourWritesTrns) {
  {  // palette picture: the entry nearest the chosen colour
    Image img = RandomPicture(10, 3, 8, 8);
    img.palette()[77] = PaletteEntry{200, 100, 50, 0};  // blue, green, red
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(SaveTransparent(img, 52, 99, 201, &bytes).ok());
    Trns trns;
    ASSERT_TRUE(ReadTrns(bytes, &trns));
    ASSERT_FALSE(trns.has_key);
    ASSERT_EQ(trns.alpha.size(), 78u);
    EXPECT_EQ(trns.alpha[77], 0);
    EXPECT_EQ(trns.alpha[0], 255);
    Image back;
    ASSERT_TRUE(PngCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
    EXPECT_EQ(back.transparent_index(), 77);
    ExpectSamePixels(img, back);
  }
  {  // 24-bit picture: an RGB key
    Image img = RandomPicture(6, 2, 24, 9);
    img.SetPixelRgb(1, 1, 0x112233);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(SaveTransparent(img, 0x11, 0x22, 0x33, &bytes).ok());
    Trns trns;
    ASSERT_TRUE(ReadTrns(bytes, &trns));
    ASSERT_TRUE(trns.has_key);
    EXPECT_EQ(trns.key.red, 0x11);
    EXPECT_EQ(trns.key.green, 0x22);
    EXPECT_EQ(trns.key.blue, 0x33);
    Image back;
    ASSERT_TRUE(PngCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
    ASSERT_EQ(back.bpp(), 32);
    ExpectSamePixels(img, back);
    EXPECT_EQ(back.row(1)[4 * 1 + 3], 0);
    EXPECT_EQ(back.row(1)[4 * 0 + 3], 255);
  }
  {  // the picture's own transparent index survives a save
    Image img = RandomPicture(5, 2, 4, 10);
    img.set_transparent_index(6);
    Image back;
    ASSERT_TRUE(SaveAndLoad(img, {}, &back).ok());
    EXPECT_EQ(back.transparent_index(), 6);
  }
}

TEST(PngCodec, ResolutionAndCommentRoundTrip) {
  Image img = RandomPicture(4, 4, 24, 11);
  img.set_dpi(300, 150);
  img.set_comment("ascii comment");
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SaveBytes(img, {}, &bytes).ok());
  Image back;
  ASSERT_TRUE(PngCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.dpi_x(), 300);
  EXPECT_EQ(back.dpi_y(), 150);
  EXPECT_EQ(back.comment(), "ascii comment");
  FileInfo info;
  ASSERT_TRUE(PngCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
  EXPECT_EQ(info.dpi_x, 300);
  EXPECT_EQ(info.dpi_y, 150);
  // pHYs in pixels per metre.
  const std::string needle = "pHYs";
  const auto at = std::search(bytes.begin(), bytes.end(), needle.begin(), needle.end());
  ASSERT_NE(at, bytes.end());
  const size_t p = static_cast<size_t>(at - bytes.begin()) + 4;
  const uint32_t ppm_x = (uint32_t{bytes[p]} << 24) | (bytes[p + 1] << 16) | (bytes[p + 2] << 8) | bytes[p + 3];
  EXPECT_EQ(ppm_x, 11811u);
  EXPECT_EQ(bytes[p + 8], 1);  // unit: metre

  // UTF-8 text goes to iTXt; the options' comment wins over the picture's.
  SaveOptions so;
  so.comment = "日本語のコメント";
  ASSERT_TRUE(SaveBytes(img, so, &bytes).ok());
  const std::string itxt = "iTXt";
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), itxt.begin(), itxt.end()), bytes.end());
  ASSERT_TRUE(PngCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.comment(), "日本語のコメント");

  // Long comments are stored compressed (zTXt) and read back whole.
  so.comment.assign(5000, 'x');
  so.comment += "end";
  ASSERT_TRUE(SaveBytes(img, so, &bytes).ok());
  const std::string ztxt = "zTXt";
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), ztxt.begin(), ztxt.end()), bytes.end());
  EXPECT_LT(bytes.size(), 5000u);
  ASSERT_TRUE(PngCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.comment(), so.comment);
}

TEST(PngCodec, ReadsCommentsWrittenByLibpng) {
  PngSpec s;
  s.width = 2;
  s.height = 2;
  FillRandomRows(&s, 5);
  s.comment = "caf\xE9";  // Latin-1 tEXt
  std::vector<uint8_t> file = WritePng(s);
  Image img;
  ASSERT_TRUE(PngCodec().load(file.data(), file.size(), {}, &img).ok());
  EXPECT_EQ(img.comment(), "caf\xC3\xA9");
  s.comment = "写真";
  s.itxt = true;
  file = WritePng(s);
  ASSERT_TRUE(PngCodec().load(file.data(), file.size(), {}, &img).ok());
  EXPECT_EQ(img.comment(), "写真");
}

TEST(PngCodec, InterlaceOptionWritesAdam7) {
  const Image img = RandomPicture(37, 23, 24, 12);
  SaveOptions so;
  so.interlace = true;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SaveBytes(img, so, &bytes).ok());
  ASSERT_GT(bytes.size(), 29u);
  EXPECT_EQ(bytes[28], 1);  // IHDR interlace method
  Image back;
  ASSERT_TRUE(PngCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  ExpectSamePixels(img, back);
  ExpectMatchesReference(bytes, back, false);
  so.interlace = false;
  ASSERT_TRUE(SaveBytes(img, so, &bytes).ok());
  EXPECT_EQ(bytes[28], 0);
}

TEST(PngCodec, BoundedLoadShrinksWhileDecoding) {
  // 403 x 301: left part red, right part blue, a noisy band at the bottom.
  Image img;
  ASSERT_TRUE(Image::Create(403, 301, 24, &img).ok());
  std::mt19937 rng(17);
  for (int y = 0; y < 301; ++y)
    for (int x = 0; x < 403; ++x)
      img.SetPixelRgb(x, y, y >= 280 ? (rng() & 0xFFFFFF) : x < 200 ? 0xFF0000u : 0x0000FFu);
  img.set_dpi(72, 72);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SaveBytes(img, {}, &bytes).ok());

  LoadOptions bound;
  bound.max_width = 100;
  bound.max_height = 100;
  Image small;
  ASSERT_TRUE(PngLoad(bytes.data(), bytes.size(), bound, &small).ok());
  EXPECT_EQ(small.width(), 135);  // factor 3 (301 / 100); the last blocks are one pixel wide or high
  EXPECT_EQ(small.height(), 101);
  EXPECT_EQ(small.dpi_x(), 72);
  EXPECT_EQ(small.PixelRgb(0, 0), 0xFF0000u);
  EXPECT_EQ(small.PixelRgb(65, 50), 0xFF0000u);   // block of x 195..197
  EXPECT_EQ(small.PixelRgb(67, 50), 0x0000FFu);   // block of x 201..203
  EXPECT_EQ(small.PixelRgb(134, 0), 0x0000FFu);   // the one-pixel edge block
  // Each pixel is the rounded mean of its block.
  for (int oy : {93, 100})
    for (int ox : {0, 66, 134}) {
      uint32_t sum[3] = {};
      int n = 0;
      for (int y = oy * 3; y < std::min(301, oy * 3 + 3); ++y)
        for (int x = ox * 3; x < std::min(403, ox * 3 + 3); ++x, ++n)
          for (int c = 0; c < 3; ++c) sum[c] += img.row(y)[3 * x + c];
      for (int c = 0; c < 3; ++c) EXPECT_EQ(small.row(oy)[3 * ox + c], (sum[c] + n / 2) / n) << ox << "," << oy;
    }

  // Through the dispatcher the result fits the bound.
  Image fitted;
  ASSERT_TRUE(LoadMemory(bytes.data(), bytes.size(), bound, &fitted).ok());
  EXPECT_EQ(fitted.width(), 100);
  EXPECT_EQ(fitted.height(), 75);
  // Interlaced pictures are decoded whole; the dispatcher fits them.
  SaveOptions il;
  il.interlace = true;
  ASSERT_TRUE(SaveBytes(img, il, &bytes).ok());
  ASSERT_TRUE(PngLoad(bytes.data(), bytes.size(), bound, &small).ok());
  EXPECT_EQ(small.width(), 403);
  // A truncated file still fails.
  ASSERT_TRUE(SaveBytes(img, {}, &bytes).ok());
  EXPECT_EQ(PngLoad(bytes.data(), bytes.size() - 30, bound, &small).code(), Status::kBroken);
}

// --- Damaged input -------------------------------------------------------

TEST(PngCodec, DamagedFilesGiveErrorCodes) {
  const Image img = RandomPicture(64, 64, 24, 13);
  std::vector<uint8_t> good;
  ASSERT_TRUE(SaveBytes(img, {}, &good).ok());
  Image out;
  FileInfo info;

  const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g', 0, 0, 0};
  EXPECT_EQ(PngLoad(text.data(), text.size(), {}, &out).code(), Status::kBadFile);
  EXPECT_EQ(PngReadInfo(text.data(), text.size(), 0, &info).code(), Status::kBadFile);

  for (size_t cut : {size_t{8}, size_t{20}, size_t{40}, good.size() / 2, good.size() - 20}) {
    SCOPED_TRACE(cut);
    EXPECT_EQ(PngLoad(good.data(), cut, {}, &out).code(), Status::kBroken);
    EXPECT_TRUE(out.empty());
  }

  std::vector<uint8_t> bad_crc = good;
  bad_crc[good.size() / 2] ^= 0x55;  // inside IDAT
  EXPECT_FALSE(PngLoad(bad_crc.data(), bad_crc.size(), {}, &out).ok());

  // Random damage anywhere must never crash.
  std::mt19937 rng(14);
  for (int i = 0; i < 200; ++i) {
    std::vector<uint8_t> d = good;
    for (int k = 0; k < 4; ++k) d[8 + rng() % (d.size() - 8)] = uint8_t(rng());
    Image o;
    (void)PngLoad(d.data(), d.size(), {}, &o);
  }
}

TEST(PngCodec, RefusesOversizedAndBombHeaders) {
  // 100000 x 1: past the engine's side limit.
  PngSpec s;
  s.width = 1;
  s.height = 1;
  FillRandomRows(&s, 1);
  std::vector<uint8_t> file = WritePng(s);
  auto set_size = [&](uint32_t w, uint32_t h) {
    for (int i = 0; i < 4; ++i) {
      file[16 + i] = static_cast<uint8_t>(w >> (24 - 8 * i));
      file[20 + i] = static_cast<uint8_t>(h >> (24 - 8 * i));
    }
    // Recompute the IHDR CRC so libpng looks at the sizes, not the checksum.
    const uint32_t c = Crc32(file.data() + 12, 17);
    for (int i = 0; i < 4; ++i) file[29 + i] = static_cast<uint8_t>(c >> (24 - 8 * i));
  };
  Image out;
  set_size(100000, 1);
  EXPECT_EQ(PngLoad(file.data(), file.size(), {}, &out).code(), Status::kMemory);
  // 60000 x 60000 grey from a few bytes of pixel data: refused before the
  // 3.6 GB of rows would be allocated.
  set_size(60000, 60000);
  const Result r = PngLoad(file.data(), file.size(), {}, &out);
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(out.empty());
}

// --- Through the dispatcher ----------------------------------------------

TEST(PngCodec, DispatcherDetectsAndLoadsPng) {
  const Image img = RandomPicture(20, 10, 8, 15);
  const std::string path = TempPath("disp.png");
  SaveOptions so;
  so.type = SaveType::kPng;
  ASSERT_TRUE(Save(img, path, so).ok());
  FileInfo info;
  ASSERT_TRUE(ReadInfo(path, 0, &info).ok());
  EXPECT_EQ(info.format, FileFormat::kPng);
  Image back;
  ASSERT_TRUE(Load(path, {}, &back).ok());
  ExpectSamePixels(img, back);
  LoadOptions bounded;
  bounded.max_width = bounded.max_height = 5;
  ASSERT_TRUE(Load(path, bounded, &back).ok());
  EXPECT_EQ(back.width(), 5);
  std::remove(path.c_str());
}

TEST(PngCodec, FailedSaveLeavesExistingFileUntouched) {
  // Noise: about 800 KB of PNG, more than the 64 KB a file may grow to.
  ExpectFailedSaveKeepsExistingFile(RandomPicture(512, 512, 24, 16), SaveType::kPng, "keep.png");
}

}  // namespace
}  // namespace imaging::codecs::internal

// Tests of reading a PNG header from its chunks, against libpng's reading
// of the same header (png_read_info(), as the codec's libpng path runs
// it): files written by libpng in every layout must be read alike, and no
// damaged or unusual header may be read here differently from libpng, or
// where libpng refuses it.
#include "imaging/codecs/internal/png_header.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "imaging/codecs/png_internal.h"
#include "imaging/testing/codec_test_support.h"

namespace imaging::codecs::internal {
namespace {

using Bytes = std::vector<uint8_t>;

struct Layout {
  std::string name{};
  int width = 7, height = 5, color_type = PNG_COLOR_TYPE_RGB, depth = 8;
  bool interlace = false;
  int palette = 0;           // entries, for palette pictures
  bool grey_palette = false;
  int trns = 0;              // palette: alpha entries; grey/RGB: 1 for a key colour
  int unit = -1;             // pHYs unit, -1 for none
  uint32_t x_ppu = 0, y_ppu = 0;
  bool text = false, gamma = false, srgb = false, time = false;
  bool declined = false;     // has a chunk left to libpng
  bool compressed_text = false, background = false;
};

void WriteTo(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void Flush(png_structp) {}

Bytes Write(const Layout& l) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "libpng could not write " << l.name;
    return {};
  }
  png_set_write_fn(png, &out, WriteTo, Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(l.width), static_cast<png_uint_32>(l.height), l.depth,
               l.color_type, l.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette(static_cast<size_t>(l.palette));
  for (int i = 0; i < l.palette; ++i) {
    const auto v = static_cast<png_byte>(i * 37);
    palette[i] = l.grey_palette ? png_color{v, v, v} : png_color{v, static_cast<png_byte>(v ^ 0x55), 9};
  }
  if (l.palette > 0) png_set_PLTE(png, info, palette.data(), l.palette);
  std::vector<png_byte> alpha(static_cast<size_t>(std::max(l.trns, 1)), 0);
  png_color_16 key{};
  key.gray = 1;
  key.red = 2;
  key.green = 3;
  key.blue = 4;
  if (l.trns > 0) png_set_tRNS(png, info, alpha.data(), l.color_type == PNG_COLOR_TYPE_PALETTE ? l.trns : 0, &key);
  if (l.unit >= 0) png_set_pHYs(png, info, l.x_ppu, l.y_ppu, l.unit);
  if (l.gamma) png_set_gAMA(png, info, 0.45455);
  if (l.srgb) png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  if (l.time) {
    png_time t{2003, 4, 5, 6, 7, 8};
    png_set_tIME(png, info, &t);
  }
  png_text text{};
  char key_text[] = "Comment", value[] = "a picture";
  text.compression = PNG_TEXT_COMPRESSION_NONE;
  text.key = key_text;
  text.text = value;
  if (l.text) png_set_text(png, info, &text, 1);
  png_text ztext = text;
  ztext.compression = PNG_TEXT_COMPRESSION_zTXt;
  if (l.compressed_text) png_set_text(png, info, &ztext, 1);
  png_color_16 back{};
  if (l.background) png_set_bKGD(png, info, &back);
  png_write_info(png, info);
  const int channels = l.color_type == PNG_COLOR_TYPE_RGB ? 3 : l.color_type == PNG_COLOR_TYPE_RGBA ? 4
                       : l.color_type == PNG_COLOR_TYPE_GRAY_ALPHA ? 2 : 1;
  std::vector<png_byte> row(static_cast<size_t>(l.width * channels * 2 + 8), 0);
  if (l.interlace) png_set_interlace_handling(png);
  const int passes = l.interlace ? 7 : 1;
  for (int p = 0; p < passes; ++p)
    for (int y = 0; y < l.height; ++y) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<Layout> Layouts() {
  std::vector<Layout> v;
  for (int depth : {1, 2, 4, 8, 16}) v.push_back({.name = "grey " + std::to_string(depth), .color_type = 0, .depth = depth});
  for (int depth : {1, 2, 4, 8})
    v.push_back({.name = "palette " + std::to_string(depth), .color_type = 3, .depth = depth, .palette = 1 << depth});
  for (int depth : {8, 16}) {
    v.push_back({.name = "rgb " + std::to_string(depth), .color_type = 2, .depth = depth});
    v.push_back({.name = "grey alpha " + std::to_string(depth), .color_type = 4, .depth = depth});
    v.push_back({.name = "rgba " + std::to_string(depth), .color_type = 6, .depth = depth});
  }
  v.push_back({.name = "1x1", .width = 1, .height = 1});
  v.push_back({.name = "interlaced", .width = 33, .height = 17, .interlace = true});
  v.push_back({.name = "short palette", .color_type = 3, .depth = 8, .palette = 3});
  v.push_back({.name = "grey palette", .color_type = 3, .depth = 4, .palette = 9, .grey_palette = true});
  v.push_back({.name = "palette alpha", .color_type = 3, .depth = 8, .palette = 20, .trns = 5});
  v.push_back({.name = "grey key", .color_type = 0, .depth = 8, .trns = 1});
  v.push_back({.name = "rgb key", .color_type = 2, .depth = 16, .trns = 1});
  v.push_back({.name = "dpi", .unit = 1, .x_ppu = 11811, .y_ppu = 3780});
  v.push_back({.name = "aspect only", .unit = 0, .x_ppu = 2, .y_ppu = 1});
  v.push_back({.name = "described", .unit = 1, .x_ppu = 2835, .y_ppu = 2835, .text = true, .gamma = true,
               .srgb = true, .time = true});
  v.push_back({.name = "compressed text", .declined = true, .compressed_text = true});
  v.push_back({.name = "background", .declined = true, .background = true});
  return v;
}

void ExpectSameReading(const Bytes& data, const std::string& what) {
  FileInfo fast, slow;
  const Result a = PngReadInfo(data.data(), data.size(), 0, &fast);
  const Result b = PngReadInfoWithLibrary(data.data(), data.size(), &slow);
  if (!a.ok()) {  // refused ahead of either reading (sides beyond the limits)
    EXPECT_EQ(a.code(), b.code()) << what;
    return;
  }
  ASSERT_TRUE(b.ok()) << what << ": read here, refused by libpng: " << b.message();
  imaging::testing::ExpectSameInfo(fast, slow, what);
}

TEST(PngReadHeader, ReadsWhatLibpngReadsFromFilesOfEveryLayout) {
  for (const Layout& l : Layouts()) {
    const Bytes file = Write(l);
    ASSERT_FALSE(file.empty()) << l.name;
    PngHeader h;
    EXPECT_EQ(PngReadHeader(file.data(), file.size(), &h), !l.declined) << l.name;
    ExpectSameReading(file, l.name);
    if (!l.declined) {
      EXPECT_EQ(h.width, static_cast<uint32_t>(l.width)) << l.name;
      EXPECT_EQ(h.color_type, l.color_type) << l.name;
      EXPECT_EQ(h.has_trns, l.trns > 0) << l.name;
    }
  }
}

// Sets the checksum of the chunk starting at `at` to match its content.
void FixCrc(Bytes* b, size_t at) {
  if (at + 8 > b->size()) return;
  const uint32_t length = (uint32_t{(*b)[at]} << 24) | (uint32_t{(*b)[at + 1]} << 16) |
                          (uint32_t{(*b)[at + 2]} << 8) | (*b)[at + 3];
  if (length > b->size() || at + 12 + length > b->size()) return;
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), b->data() + at + 4, length + 4);
  for (int k = 0; k < 4; ++k) (*b)[at + 8 + length + k] = static_cast<uint8_t>(crc >> (24 - 8 * k));
}

// Where each chunk before the first IDAT starts.
std::vector<size_t> ChunksBeforePixels(const Bytes& b) {
  std::vector<size_t> at;
  size_t pos = 8;
  while (pos + 12 <= b.size() && std::memcmp(b.data() + pos + 4, "IDAT", 4) != 0) {
    at.push_back(pos);
    const uint32_t length = (uint32_t{b[pos]} << 24) | (uint32_t{b[pos + 1]} << 16) | (uint32_t{b[pos + 2]} << 8) |
                            b[pos + 3];
    pos += 12 + length;
  }
  return at;
}

TEST(PngReadHeader, NeverReadsADamagedHeaderOtherwiseThanLibpng) {
  // Bytes of the chunks before the pixels changed at random, most often
  // with the chunk's checksum made good again so the content is judged.
  std::mt19937 rng(3);
  int read = 0, declined = 0;
  const std::vector<Layout> layouts = Layouts();
  for (const char* name : {"palette alpha", "grey key", "rgb key", "dpi", "described", "grey palette", "palette 2"}) {
    const Layout* l = nullptr;
    for (const Layout& c : layouts)
      if (c.name == name) l = &c;
    ASSERT_NE(l, nullptr) << name;
    const Bytes file = Write(*l);
    const std::vector<size_t> chunks = ChunksBeforePixels(file);
    ASSERT_FALSE(chunks.empty());
    const size_t pixels = chunks.back() + 12 + ((uint32_t{file[chunks.back()]} << 24) |
                                                (uint32_t{file[chunks.back() + 1]} << 16) |
                                                (uint32_t{file[chunks.back() + 2]} << 8) | file[chunks.back() + 3]);
    for (int round = 0; round < 3000; ++round) {
      Bytes mutant = file;
      const int changes = 1 + static_cast<int>(rng() % 2);
      for (int c = 0; c < changes; ++c) {
        const size_t at = 8 + rng() % (pixels + 8 - 8);  // the IDAT header too
        mutant[at] = rng() % 3 == 0 ? static_cast<uint8_t>(mutant[at] ^ (1u << (rng() % 8)))
                                    : static_cast<uint8_t>(rng() % 4 == 0 ? rng() % 20 : rng());
      }
      if (rng() % 5 != 0)
        for (size_t at : ChunksBeforePixels(mutant)) FixCrc(&mutant, at);
      PngHeader h;
      if (!PngReadHeader(mutant.data(), mutant.size(), &h)) {
        ++declined;
        continue;
      }
      ++read;
      ExpectSameReading(mutant, std::string(name) + " round " + std::to_string(round));
    }
  }
  EXPECT_GT(read, 2000);
  EXPECT_GT(declined, 2000);
}

TEST(PngReadHeader, CutHeadersAreNeverRead) {
  // Cut anywhere before the pixel data's chunk header is whole, a header
  // is left to libpng (which asks for more of the file); nothing past the
  // cut is touched (the copies end exactly there, for the sanitizers).
  for (const Layout& l : Layouts()) {
    const Bytes file = Write(l);
    const std::vector<size_t> chunks = ChunksBeforePixels(file);
    const size_t last = chunks.back();
    const size_t pixels = last + 12 + ((uint32_t{file[last]} << 24) | (uint32_t{file[last + 1]} << 16) |
                                       (uint32_t{file[last + 2]} << 8) | file[last + 3]);
    for (size_t n = 0; n < pixels + 8; ++n) {
      const std::unique_ptr<uint8_t[]> cut(new uint8_t[n == 0 ? 1 : n]);
      std::memcpy(cut.get(), file.data(), n);
      PngHeader h;
      EXPECT_FALSE(PngReadHeader(cut.get(), n, &h)) << l.name << " cut at " << n;
    }
  }
}

Bytes Chunk(const char* type, const Bytes& body) {
  Bytes c = {static_cast<uint8_t>(body.size() >> 24), static_cast<uint8_t>(body.size() >> 16),
             static_cast<uint8_t>(body.size() >> 8), static_cast<uint8_t>(body.size())};
  c.insert(c.end(), type, type + 4);
  c.insert(c.end(), body.begin(), body.end());
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), c.data() + 4, static_cast<uInt>(body.size() + 4));
  for (int k = 0; k < 4; ++k) c.push_back(static_cast<uint8_t>(crc >> (24 - 8 * k)));
  return c;
}

Bytes Be32Bytes(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
          static_cast<uint8_t>(v)};
}

// A picture of `base` (its IHDR, pixel data and end) with `extra` chunks
// between the header and the pixels.
Bytes WithChunks(const Bytes& base, const std::vector<Bytes>& extra) {
  Bytes out(base.begin(), base.begin() + 8 + 25);  // signature and IHDR
  for (const Bytes& c : extra) out.insert(out.end(), c.begin(), c.end());
  const std::vector<size_t> before = ChunksBeforePixels(base);
  const size_t pixels = before.back() + 12 + ((uint32_t{base[before.back()]} << 24) |
                                              (uint32_t{base[before.back() + 1]} << 16) |
                                              (uint32_t{base[before.back() + 2]} << 8) | base[before.back() + 3]);
  out.insert(out.end(), base.begin() + static_cast<std::ptrdiff_t>(pixels), base.end());
  return out;
}

TEST(PngReadHeader, ChunksLibpngDropsRepairsOrRefusesAreLeftToIt) {
  const Bytes rgb = Write({.name = "rgb"});
  const Bytes palette = Write({.name = "palette", .color_type = 3, .depth = 2, .palette = 4});
  Bytes phys = Be32Bytes(11811);
  const Bytes y = Be32Bytes(11811);
  phys.insert(phys.end(), y.begin(), y.end());
  phys.push_back(1);
  Bytes other_phys = Be32Bytes(3780);
  other_phys.insert(other_phys.end(), y.begin(), y.end());
  other_phys.push_back(1);
  Bytes bad_crc = Chunk("pHYs", phys);
  bad_crc.back() ^= 1;
  Bytes long_palette;  // six grey entries, then two coloured ones: more than 2 bits index
  for (int i = 0; i < 8; ++i) {
    const auto v = static_cast<uint8_t>(i * 30);
    long_palette.insert(long_palette.end(), {v, v, static_cast<uint8_t>(i < 4 ? v : 1)});
  }
  // The RGB picture's header turned RGBA (the pixel data is not read).
  Bytes ihdr(rgb.begin() + 16, rgb.begin() + 29);
  ihdr[9] = 6;
  Bytes rgba_file(rgb.begin(), rgb.begin() + 8);
  const Bytes rgba_ihdr = Chunk("IHDR", ihdr);
  rgba_file.insert(rgba_file.end(), rgba_ihdr.begin(), rgba_ihdr.end());
  rgba_file.insert(rgba_file.end(), rgb.begin() + 33, rgb.end());

  const struct {
    const char* what;
    Bytes file;
  } cases[] = {
      {"RGB key of the wrong length", WithChunks(rgb, {Chunk("tRNS", {0, 1})})},
      {"two RGB keys", WithChunks(rgb, {Chunk("tRNS", {0, 1, 0, 2, 0, 3}), Chunk("tRNS", {0, 1, 0, 2, 0, 3})})},
      {"two resolutions", WithChunks(rgb, {Chunk("pHYs", phys), Chunk("pHYs", other_phys)})},
      {"resolution with a bad checksum", WithChunks(rgb, {bad_crc})},
      {"resolution of the wrong length", WithChunks(rgb, {Chunk("pHYs", Bytes(phys.begin(), phys.end() - 1))})},
      {"unknown chunk", WithChunks(rgb, {Chunk("abCd", {1, 2, 3})})},
      {"key with alpha", WithChunks(rgba_file, {Chunk("tRNS", {0, 1, 0, 2, 0, 3})})},
      {"palette longer than its depth", WithChunks(palette, {Chunk("PLTE", long_palette)})},
      {"transparency before the palette", WithChunks(palette, {Chunk("tRNS", {0}), Chunk("PLTE", {1, 1, 1})})},
      {"two palettes", WithChunks(palette, {Chunk("PLTE", {1, 1, 1}), Chunk("PLTE", {2, 2, 2})})},
      {"palette picture without one", WithChunks(palette, {})},
  };
  for (const auto& c : cases) {
    PngHeader h;
    EXPECT_FALSE(PngReadHeader(c.file.data(), c.file.size(), &h)) << c.what;
    FileInfo fast, slow;
    const Result a = PngReadInfo(c.file.data(), c.file.size(), 0, &fast);
    const Result b = PngReadInfoWithLibrary(c.file.data(), c.file.size(), &slow);
    EXPECT_EQ(a.ok(), b.ok()) << c.what;
    if (a.ok() && b.ok()) {
      EXPECT_EQ(fast.bpp, slow.bpp) << c.what;
      EXPECT_EQ(fast.dpi_x, slow.dpi_x) << c.what;
      EXPECT_EQ(fast.gray, slow.gray) << c.what;
    }
  }
  // The same chunks, well formed, are read here.
  PngHeader h;
  const Bytes good = WithChunks(rgb, {Chunk("pHYs", phys), Chunk("tRNS", {0, 1, 0, 2, 0, 3})});
  ASSERT_TRUE(PngReadHeader(good.data(), good.size(), &h));
  EXPECT_TRUE(h.has_trns);
  EXPECT_EQ(h.unit, 1);
  ExpectSameReading(good, "good chunks");
}

}  // namespace
}  // namespace imaging::codecs::internal

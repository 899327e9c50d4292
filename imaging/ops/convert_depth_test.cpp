#include "imaging/ops/convert_depth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>
#include <string>

#include "imaging/ops/palettes.h"
#include "imaging/pixel_helpers.h"

namespace imaging::ops {
namespace {

constexpr DepthCode kAllCodes[] = {DepthCode::kMono,    DepthCode::kColor16, DepthCode::kColor256,
                                   DepthCode::kHigh16,  DepthCode::kTrue24,  DepthCode::kTrue32,
                                   DepthCode::kGray16,  DepthCode::kGray256};

int R(uint32_t c) { return (c >> 16) & 0xFF; }
int G(uint32_t c) { return (c >> 8) & 0xFF; }
int B(uint32_t c) { return c & 0xFF; }
uint32_t Rgb(int r, int g, int b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }
uint32_t Grey(int v) { return Rgb(v, v, v); }
int LumaOf(uint32_t c) { return (299 * R(c) + 587 * G(c) + 114 * B(c) + 500) / 1000; }
int Dist(uint32_t a, uint32_t b) {
  return (R(a) - R(b)) * (R(a) - R(b)) + (G(a) - G(b)) * (G(a) - G(b)) + (B(a) - B(b)) * (B(a) - B(b));
}
uint32_t EntryRgb(const PaletteEntry& e) { return Rgb(e.red, e.green, e.blue); }

// A picture of the given kind ("gray8", "gray4" or a bpp) filled with a
// deterministic mix of colours.
Image MakePicture(const std::string& kind, int width, int height, unsigned seed = 1) {
  std::mt19937 rng(seed);
  const int bpp = kind == "gray8" ? 8 : kind == "gray4" ? 4 : std::stoi(kind);
  Image img;
  EXPECT_TRUE(Image::Create(width, height, bpp, &img).ok());
  if (bpp <= 8) {
    const bool grey = kind.rfind("gray", 0) == 0;
    if (!grey)
      for (auto& e : img.palette())
        e = PaletteEntry{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
    const unsigned n = 1u << bpp;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const unsigned index = rng() % n;
        uint8_t* p = img.row(y);
        if (bpp == 8) p[x] = uint8_t(index);
        if (bpp == 4) p[x >> 1] |= uint8_t((x & 1) ? index : index << 4);
        if (bpp == 1) p[x >> 3] |= uint8_t(index << (7 - (x & 7)));
      }
    img.set_gray(grey);
  } else {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) img.SetPixelRgb(x, y, rng() & 0xFFFFFF);
  }
  return img;
}

const char* kSourceKinds[] = {"1", "4", "8", "gray4", "gray8", "16", "24", "32"};

uint32_t Expand5(int v5) { return uint32_t((v5 << 3) | (v5 >> 2)); }

// The colour a pixel of colour `c` must get, or 0xFF000000 when any nearest
// palette colour will do (checked apart).
uint32_t Expected(DepthCode code, uint32_t c, int threshold = 128) {
  switch (code) {
    case DepthCode::kMono: return LumaOf(c) >= threshold ? 0xFFFFFF : 0;
    case DepthCode::kGray256: return Grey(LumaOf(c));
    case DepthCode::kGray16: return Grey(17 * ((LumaOf(c) * 15 + 127) / 255));
    case DepthCode::kHigh16: {
      auto q = [](int v) { return int(Expand5((v * 31 + 127) / 255)); };
      return Rgb(q(R(c)), q(G(c)), q(B(c)));
    }
    case DepthCode::kTrue24: case DepthCode::kTrue32: return c;
    default: return 0xFF000000u;
  }
}

TEST(ConvertDepth, EveryDepthToEveryTargetMatchesReference) {
  for (const char* kind : kSourceKinds) {
    for (int width : {1, 2, 3, 5, 7, 9, 17}) {
      for (int height : {1, 3}) {
        const Image src = MakePicture(kind, width, height, unsigned(width * 31 + height));
        for (DepthCode code : kAllCodes) {
          for (PaletteKind palette : {PaletteKind::kOptimized, PaletteKind::kFixed}) {
            SCOPED_TRACE(std::string("source ") + kind + " width " + std::to_string(width) + " height " +
                         std::to_string(height) + " code " + std::to_string(int(code)) +
                         (palette == PaletteKind::kFixed ? " fixed" : " optimised"));
            ConvertDepthOptions opt;
            opt.palette = palette;
            Image out;
            ASSERT_TRUE(ConvertDepth(src, &out, code, opt).ok());
            ASSERT_EQ(out.width(), width);
            ASSERT_EQ(out.height(), height);
            ASSERT_EQ(DepthCodeOf(out).has_value(), true);
            const bool grey_target = code == DepthCode::kGray16 || code == DepthCode::kGray256;
            if (grey_target) {
              EXPECT_EQ(*DepthCodeOf(out), code);
              EXPECT_TRUE(out.gray());
            }
            const bool keeps_palette = (std::string(kind) == "gray4" && code == DepthCode::kGray16) ||
                                       (std::string(kind) == "gray8" && code == DepthCode::kGray256);
            std::set<uint32_t> colours;
            for (int y = 0; y < height; ++y)
              for (int x = 0; x < width; ++x) colours.insert(src.PixelRgb(x, y));
            for (int y = 0; y < height; ++y) {
              for (int x = 0; x < width; ++x) {
                const uint32_t c = src.PixelRgb(x, y), got = out.PixelRgb(x, y);
                const uint32_t want = Expected(code, c);
                if (keeps_palette) {
                  ASSERT_EQ(got, c);
                } else if (want != 0xFF000000u) {
                  ASSERT_EQ(got, want) << "at " << x << "," << y;
                } else {
                  // Palette targets: an exact colour when an optimised palette
                  // can hold every colour, otherwise a nearest entry.
                  const size_t limit = code == DepthCode::kColor16 ? 16 : 256;
                  if (palette == PaletteKind::kOptimized && colours.size() <= limit) {
                    ASSERT_EQ(got, c) << "at " << x << "," << y;
                  } else {
                    int best = 1 << 30;
                    for (const auto& e : out.palette()) best = std::min(best, Dist(EntryRgb(e), c));
                    ASSERT_EQ(Dist(got, c), best) << "at " << x << "," << y;
                  }
                }
              }
            }
            if (palette == PaletteKind::kFixed && code == DepthCode::kColor16 && src.bpp() != 4) {
              EXPECT_EQ(out.palette(), Vga16Palette());
            }
            if (palette == PaletteKind::kFixed && code == DepthCode::kColor256 && src.bpp() != 8) {
              EXPECT_EQ(out.palette(), Fixed256Palette());
            }
          }
        }
      }
    }
  }
}

TEST(ConvertDepth, DiffusionAtEveryDepthAndWidth) {
  for (const char* kind : kSourceKinds) {
    for (int width : {1, 2, 3, 5, 8, 9, 33}) {
      const Image src = MakePicture(kind, width, 4, unsigned(width + 100));
      for (DepthCode code : {DepthCode::kMono, DepthCode::kColor16, DepthCode::kColor256, DepthCode::kGray16}) {
        for (PaletteKind palette : {PaletteKind::kOptimized, PaletteKind::kFixed}) {
          SCOPED_TRACE(std::string("source ") + kind + " width " + std::to_string(width) + " code " +
                       std::to_string(int(code)));
          ConvertDepthOptions opt;
          opt.palette = palette;
          opt.dither = Dither::kFloydSteinberg;
          Image out;
          ASSERT_TRUE(ConvertDepth(src, &out, code, opt).ok());
          ASSERT_EQ(out.width(), width);
          ASSERT_LE(out.palette().size(), size_t{1} << out.bpp());
          for (int y = 0; y < 4; ++y)
            for (int x = 0; x < width; ++x) ASSERT_LT(PaletteIndexAt(out.row(y), x, out.bpp()), int(out.palette().size()));
        }
      }
    }
  }
}

TEST(ConvertDepth, PaddingBitsStayZero) {
  const Image src = MakePicture("24", 5, 2);
  for (DepthCode code : {DepthCode::kMono, DepthCode::kColor16, DepthCode::kGray16}) {
    for (bool invert : {false, true}) {
      ConvertDepthOptions opt;
      opt.invert = invert;
      opt.dither = Dither::kFloydSteinberg;
      Image out;
      ASSERT_TRUE(ConvertDepth(src, &out, code, opt).ok());
      for (int y = 0; y < 2; ++y) {
        const uint8_t* p = out.row(y);
        if (out.bpp() == 1) { EXPECT_EQ(p[0] & 0x07, 0) << int(code); }
        if (out.bpp() == 4) { EXPECT_EQ(p[2] & 0x0F, 0) << int(code); }
        for (size_t i = out.bpp() == 1 ? 1 : 3; i < out.stride(); ++i) EXPECT_EQ(p[i], 0) << int(code);
      }
    }
  }
}

TEST(ConvertDepth, OptimisedPaletteKeepsExactColours) {
  // 200 distinct colours in a 24-bit picture: the 256-colour palette holds
  // them all, with or without diffusion.  16 of them fit a 4-bit palette.
  Image src;
  ASSERT_TRUE(Image::Create(40, 30, 24, &src).ok());
  std::mt19937 rng(5);
  std::vector<uint32_t> colours;
  for (int i = 0; i < 200; ++i) colours.push_back(rng() & 0xFFFFFF);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) src.SetPixelRgb(x, y, colours[(x * 7 + y * 13) % 200]);
  for (Dither dither : {Dither::kNone, Dither::kFloydSteinberg}) {
    ConvertDepthOptions opt;
    opt.dither = dither;
    Image out;
    ASSERT_TRUE(ConvertDepth(src, &out, DepthCode::kColor256, opt).ok());
    EXPECT_EQ(out.bpp(), 8);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) ASSERT_EQ(out.PixelRgb(x, y), src.PixelRgb(x, y));
  }
  Image small;
  ASSERT_TRUE(Image::Create(33, 5, 16, &small).ok());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 33; ++x) small.SetPixelRgb(x, y, colours[(x + y) % 16]);
  Image out;
  ConvertDepthOptions opt;
  opt.dither = Dither::kFloydSteinberg;
  ASSERT_TRUE(ConvertDepth(small, &out, DepthCode::kColor16, opt).ok());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 33; ++x) ASSERT_EQ(out.PixelRgb(x, y), small.PixelRgb(x, y));
}

TEST(ConvertDepth, ThresholdBoundaries) {
  Image ramp;
  ASSERT_TRUE(Image::Create(256, 1, 24, &ramp).ok());
  for (int x = 0; x < 256; ++x) ramp.SetPixelRgb(x, 0, Grey(x));
  for (int t : {0, 1, 127, 128, 129, 254, 255}) {
    ConvertDepthOptions opt;
    opt.threshold = t;
    Image out;
    ASSERT_TRUE(ConvertDepth(ramp, &out, DepthCode::kMono, opt).ok());
    EXPECT_EQ(out.palette(), MonoPalette());
    for (int x = 0; x < 256; ++x) ASSERT_EQ(out.PixelRgb(x, 0), x >= t ? 0xFFFFFFu : 0u) << "t " << t << " x " << x;
  }
  // Colours go by luma: pure red has luma 76.
  Image red;
  ASSERT_TRUE(Image::Create(1, 1, 24, &red).ok());
  red.SetPixelRgb(0, 0, 0xFF0000);
  for (int t : {76, 77}) {
    ConvertDepthOptions opt;
    opt.threshold = t;
    Image out;
    ASSERT_TRUE(ConvertDepth(red, &out, DepthCode::kMono, opt).ok());
    EXPECT_EQ(out.PixelRgb(0, 0), t == 76 ? 0xFFFFFFu : 0u);
  }
}

double WhiteShare(const Image& mono) {
  int white = 0;
  for (int y = 0; y < mono.height(); ++y)
    for (int x = 0; x < mono.width(); ++x) white += mono.PixelRgb(x, y) == 0xFFFFFF;
  return double(white) / (mono.width() * mono.height());
}

TEST(ConvertDepth, DiffusionKeepsMeanOfFlatGrey) {
  for (int value : {64, 128, 191}) {
    Image src;
    ASSERT_TRUE(Image::Create(63, 47, 24, &src).ok());
    for (int y = 0; y < 47; ++y)
      for (int x = 0; x < 63; ++x) src.SetPixelRgb(x, y, Grey(value));
    ConvertDepthOptions opt;
    opt.dither = Dither::kFloydSteinberg;
    Image mono, grey16, fixed256;
    ASSERT_TRUE(ConvertDepth(src, &mono, DepthCode::kMono, opt).ok());
    EXPECT_NEAR(WhiteShare(mono), value / 255.0, 0.02) << value;
    ASSERT_TRUE(ConvertDepth(src, &grey16, DepthCode::kGray16, opt).ok());
    double sum = 0;
    for (int y = 0; y < 47; ++y)
      for (int x = 0; x < 63; ++x) sum += B(grey16.PixelRgb(x, y));
    EXPECT_NEAR(sum / (63 * 47), value, 1.0);
    // Without diffusion the same field is one flat colour.
    opt.dither = Dither::kNone;
    ASSERT_TRUE(ConvertDepth(src, &mono, DepthCode::kMono, opt).ok());
    EXPECT_TRUE(WhiteShare(mono) == 0.0 || WhiteShare(mono) == 1.0);
  }
  // With diffusion the threshold acts as a brightness control.
  Image src;
  ASSERT_TRUE(Image::Create(50, 50, 8, &src).ok());
  std::fill(src.data(), src.data() + src.data_size(), uint8_t{128});
  ConvertDepthOptions opt = ControlDepthOptions(false, true, 160);
  Image darker;
  ASSERT_TRUE(ConvertDepth(src, &darker, DepthCode::kMono, opt).ok());
  EXPECT_NEAR(WhiteShare(darker), 96 / 255.0, 0.03);
}

TEST(ConvertDepth, DiffusedColourKeepsMean) {
  Image src;
  ASSERT_TRUE(Image::Create(40, 40, 32, &src).ok());
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) src.SetPixelRgb(x, y, Rgb(100, 150, 200));
  for (DepthCode code : {DepthCode::kColor16, DepthCode::kColor256}) {
    ConvertDepthOptions opt;
    opt.palette = PaletteKind::kFixed;
    opt.dither = Dither::kFloydSteinberg;
    Image out;
    ASSERT_TRUE(ConvertDepth(src, &out, code, opt).ok());
    double r = 0, g = 0, b = 0;
    std::set<uint32_t> used;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        const uint32_t c = out.PixelRgb(x, y);
        r += R(c), g += G(c), b += B(c);
        used.insert(c);
      }
    EXPECT_NEAR(r / 1600, 100, 3.0);
    EXPECT_NEAR(g / 1600, 150, 3.0);
    EXPECT_NEAR(b / 1600, 200, 3.0);
    EXPECT_GT(used.size(), 1u);  // the colour is not in either fixed palette
  }
}

TEST(ConvertDepth, RoundTripThrough16Bits) {
  Image src;
  ASSERT_TRUE(Image::Create(256, 3, 24, &src).ok());
  for (int x = 0; x < 256; ++x) {
    src.SetPixelRgb(x, 0, Grey(x));
    src.SetPixelRgb(x, 1, Rgb(x, 255 - x, (x * 7) & 0xFF));
    src.SetPixelRgb(x, 2, Rgb(int(Expand5(x & 31)), int(Expand5((x >> 3) & 31)), 0));
  }
  Image mid, back;
  ASSERT_TRUE(ConvertDepth(src, &mid, DepthCode::kHigh16).ok());
  ASSERT_EQ(mid.bpp(), 16);
  ASSERT_TRUE(ConvertDepth(mid, &back, DepthCode::kTrue24).ok());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 256; ++x) {
      const uint32_t a = src.PixelRgb(x, y), c = back.PixelRgb(x, y);
      ASSERT_LE(std::abs(R(a) - R(c)), 4);
      ASSERT_LE(std::abs(G(a) - G(c)), 4);
      ASSERT_LE(std::abs(B(a) - B(c)), 4);
      if (y == 2) { ASSERT_EQ(a, c); }  // 5-bit levels come back exactly
    }
}

TEST(ConvertDepth, Inversion) {
  const Image src = MakePicture("24", 7, 5);
  ConvertDepthOptions opt;
  opt.invert = true;
  Image once, twice;
  ASSERT_TRUE(ConvertDepth(src, &once, DepthCode::kTrue24, opt).ok());
  ASSERT_TRUE(ConvertDepth(once, &twice, DepthCode::kTrue24, opt).ok());
  EXPECT_EQ(twice.PixelRgb(3, 2), src.PixelRgb(3, 2));
  EXPECT_TRUE(std::equal(src.data(), src.data() + src.data_size(), twice.data()));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(once.PixelRgb(x, y), src.PixelRgb(x, y) ^ 0xFFFFFFu);

  // Every target: the inverted result is the plain result with each colour
  // c turned into 255 - c.
  for (const char* kind : {"8", "24", "32"}) {
    const Image pic = MakePicture(kind, 9, 4, 11);
    for (DepthCode code : kAllCodes) {
      Image plain, inverted;
      ConvertDepthOptions none;
      ASSERT_TRUE(ConvertDepth(pic, &plain, code, none).ok());
      ASSERT_TRUE(ConvertDepth(pic, &inverted, code, opt).ok());
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) {
          const uint32_t p = plain.PixelRgb(x, y), i = inverted.PixelRgb(x, y);
          if (code == DepthCode::kHigh16)  // 5-bit levels invert within the 5 bits
            ASSERT_EQ(i, Rgb(int(Expand5(31 - (R(p) >> 3))), int(Expand5(31 - (G(p) >> 3))), int(Expand5(31 - (B(p) >> 3)))));
          else
            ASSERT_EQ(i, p ^ 0xFFFFFFu) << kind << " code " << int(code);
        }
      if (code == DepthCode::kMono || code == DepthCode::kGray16 || code == DepthCode::kGray256) {
        EXPECT_EQ(inverted.palette(), plain.palette());  // ramp kept, indices flipped
        EXPECT_TRUE(inverted.gray());
      }
    }
  }
}

TEST(ConvertDepth, GreyToGreyKeepsValues) {
  Image g4 = MakePicture("gray4", 16, 1);
  for (int x = 0; x < 16; ++x) g4.row(0)[x >> 1] = uint8_t((x & 1) ? (g4.row(0)[x >> 1] & 0xF0) | x : x << 4);
  Image g8;
  ASSERT_TRUE(ConvertDepth(g4, &g8, DepthCode::kGray256).ok());
  EXPECT_EQ(*DepthCodeOf(g8), DepthCode::kGray256);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(g8.PixelRgb(x, 0), Grey(17 * x));
  Image back;
  for (Dither d : {Dither::kNone, Dither::kFloydSteinberg}) {
    ConvertDepthOptions opt;
    opt.dither = d;
    ASSERT_TRUE(ConvertDepth(g8, &back, DepthCode::kGray16, opt).ok());
    for (int x = 0; x < 16; ++x) EXPECT_EQ(back.PixelRgb(x, 0), Grey(17 * x));
  }
  // A grey picture with a palette of its own keeps it at the same depth.
  Image odd;
  ASSERT_TRUE(Image::Create(3, 1, 8, &odd).ok());
  odd.palette().resize(3);
  odd.palette()[0] = PaletteEntry{7, 7, 7, 0};
  odd.palette()[1] = PaletteEntry{99, 99, 99, 0};
  odd.palette()[2] = PaletteEntry{200, 200, 200, 0};
  odd.row(0)[0] = 0, odd.row(0)[1] = 1, odd.row(0)[2] = 2;
  odd.set_gray(true);
  ASSERT_TRUE(ConvertDepth(odd, &back, DepthCode::kGray256).ok());
  EXPECT_EQ(back.PixelRgb(0, 0), Grey(7));
  EXPECT_EQ(back.PixelRgb(1, 0), Grey(99));
  EXPECT_EQ(back.PixelRgb(2, 0), Grey(200));
}

TEST(ConvertDepth, GreyPictureToSixteenColoursStaysGrey) {
  // The colour dialog reaches 16 greys through 256 greys and then code 4.
  Image src;
  ASSERT_TRUE(Image::Create(64, 8, 24, &src).ok());
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 64; ++x) src.SetPixelRgb(x, y, Grey(x * 4 + y % 4));
  Image g8, g4;
  ASSERT_TRUE(ConvertDepth(src, &g8, DepthCode::kGray256).ok());
  ASSERT_TRUE(ConvertDepth(g8, &g4, DepthCode::kColor16, ControlDepthOptions(false, true, 128)).ok());
  EXPECT_EQ(g4.bpp(), 4);
  EXPECT_TRUE(g4.gray());
  EXPECT_EQ(*DepthCodeOf(g4), DepthCode::kGray16);
}

TEST(ConvertDepth, KeepsMetadataAndWorksInPlace) {
  Image src = MakePicture("8", 11, 3);
  src.set_dpi(300, 150);
  src.set_comment("scan");
  src.set_transparent_index(5);
  const uint32_t transparent = EntryRgb(src.palette()[5]);
  for (DepthCode code : kAllCodes) {
    Image out;
    ASSERT_TRUE(ConvertDepth(src, &out, code).ok());
    EXPECT_EQ(out.dpi_x(), 300);
    EXPECT_EQ(out.dpi_y(), 150);
    EXPECT_EQ(out.comment(), "scan");
    if (code == DepthCode::kColor256) {
      ASSERT_GE(out.transparent_index(), 0);
      EXPECT_EQ(EntryRgb(out.palette()[out.transparent_index()]), transparent);
    }
    if (out.bpp() > 8) { EXPECT_EQ(out.transparent_index(), -1); }
  }
  // The destination may be the source itself.
  Image in_place = MakePicture("24", 13, 7);
  Image expected;
  ConvertDepthOptions opt;
  opt.dither = Dither::kFloydSteinberg;
  ASSERT_TRUE(ConvertDepth(in_place, &expected, DepthCode::kColor16, opt).ok());
  ASSERT_TRUE(ConvertDepth(in_place, &in_place, DepthCode::kColor16, opt).ok());
  EXPECT_EQ(in_place.bpp(), 4);
  EXPECT_EQ(in_place.palette(), expected.palette());
  EXPECT_TRUE(std::equal(expected.data(), expected.data() + expected.data_size(), in_place.data()));
}

TEST(ConvertDepth, ThirtyTwoBitKeepsAlphaOrGetsZero) {
  Image src;
  ASSERT_TRUE(Image::Create(3, 1, 32, &src).ok());
  src.row(0)[3] = 77;
  Image out;
  ASSERT_TRUE(ConvertDepth(src, &out, DepthCode::kTrue32).ok());
  EXPECT_EQ(out.row(0)[3], 77);
  ConvertDepthOptions opt;
  opt.invert = true;
  ASSERT_TRUE(ConvertDepth(src, &out, DepthCode::kTrue32, opt).ok());
  EXPECT_EQ(out.row(0)[3], 77);
  EXPECT_EQ(out.PixelRgb(0, 0), 0xFFFFFFu);
  const Image from24 = MakePicture("24", 3, 1);
  ASSERT_TRUE(ConvertDepth(from24, &out, DepthCode::kTrue32).ok());
  EXPECT_EQ(out.row(0)[3], 0);
  EXPECT_EQ(out.row(0)[7], 0);
}

TEST(ConvertDepth, RejectsBadArguments) {
  const Image src = MakePicture("24", 2, 2);
  Image dst = MakePicture("8", 1, 1);
  const uint32_t before = dst.PixelRgb(0, 0);
  ConvertDepthOptions opt;
  EXPECT_EQ(ConvertDepth(src, nullptr, DepthCode::kMono).code(), Status::kBadValue);
  EXPECT_EQ(ConvertDepth(src, &dst, static_cast<DepthCode>(2)).code(), Status::kBadValue);
  opt.threshold = -1;
  EXPECT_EQ(ConvertDepth(src, &dst, DepthCode::kMono, opt).code(), Status::kBadValue);
  opt.threshold = 256;
  EXPECT_EQ(ConvertDepth(src, &dst, DepthCode::kTrue24, opt).code(), Status::kBadValue);
  opt = {};
  opt.palette = static_cast<PaletteKind>(9);
  EXPECT_EQ(ConvertDepth(src, &dst, DepthCode::kColor256, opt).code(), Status::kBadValue);
  opt = {};
  opt.dither = static_cast<Dither>(9);
  EXPECT_EQ(ConvertDepth(src, &dst, DepthCode::kColor256, opt).code(), Status::kBadValue);
  EXPECT_EQ(ConvertDepth(Image(), &dst, DepthCode::kTrue24).code(), Status::kBadImage);
  EXPECT_EQ(dst.bpp(), 8);
  EXPECT_EQ(dst.PixelRgb(0, 0), before);
}

TEST(ConvertDepth, PaletteIndicesBeyondThePaletteReadAsBlack) {
  Image src;
  ASSERT_TRUE(Image::Create(2, 1, 8, &src).ok());
  src.palette().resize(2);
  src.palette()[1] = PaletteEntry{255, 255, 255, 0};
  src.row(0)[0] = 1, src.row(0)[1] = 200;
  Image out;
  ASSERT_TRUE(ConvertDepth(src, &out, DepthCode::kTrue24).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), 0xFFFFFFu);
  EXPECT_EQ(out.PixelRgb(1, 0), 0u);
}

TEST(DepthCode, CodesOfPicturesAndNumbers) {
  EXPECT_FALSE(DepthCodeOf(Image()).has_value());
  Image img;
  ASSERT_TRUE(Image::Create(1, 1, 8, &img).ok());
  EXPECT_EQ(*DepthCodeOf(img), DepthCode::kGray256);  // grey ramp palette
  img.palette()[3].red = 1;
  EXPECT_EQ(*DepthCodeOf(img), DepthCode::kColor256);
  img.set_gray(true);
  EXPECT_EQ(*DepthCodeOf(img), DepthCode::kGray256);
  ASSERT_TRUE(Image::Create(1, 1, 4, &img).ok());
  EXPECT_EQ(*DepthCodeOf(img), DepthCode::kGray16);
  img.palette()[0].blue = 9;
  EXPECT_EQ(*DepthCodeOf(img), DepthCode::kColor16);
  ASSERT_TRUE(Image::Create(1, 1, 1, &img).ok());
  EXPECT_EQ(*DepthCodeOf(img), DepthCode::kMono);
  for (int bpp : {16, 24, 32}) {
    ASSERT_TRUE(Image::Create(1, 1, bpp, &img).ok());
    EXPECT_EQ(static_cast<int>(*DepthCodeOf(img)), bpp);
  }
  for (int n : {1, 4, 8, 16, 24, 32, 40, 80}) EXPECT_EQ(static_cast<int>(*DepthCodeFromNumber(n)), n);
  for (int n : {0, 2, 12, 48, 800, -1}) EXPECT_FALSE(DepthCodeFromNumber(n).has_value());
}

TEST(DepthCode, ControlArgumentsMapOntoOptions) {
  ConvertDepthOptions o = ControlDepthOptions(true, false, 50);
  EXPECT_EQ(o.palette, PaletteKind::kFixed);
  EXPECT_EQ(o.dither, Dither::kNone);
  EXPECT_EQ(o.threshold, 50);
  o = ControlDepthOptions(false, true, 999);  // typed beyond the slider
  EXPECT_EQ(o.palette, PaletteKind::kOptimized);
  EXPECT_EQ(o.dither, Dither::kFloydSteinberg);
  EXPECT_EQ(o.threshold, 255);
  EXPECT_EQ(ControlDepthOptions(false, false, -4).threshold, 0);
  EXPECT_FALSE(o.invert);
}

}  // namespace
}  // namespace imaging::ops

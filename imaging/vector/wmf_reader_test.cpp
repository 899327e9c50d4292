#include <gtest/gtest.h>

#include <variant>

#include "imaging/vector/readers.h"
#include "imaging/vector/render.h"
#include "imaging/vector/testing/file_builders.h"
#include "imaging/vector/vector_file.h"

namespace imaging::vector {
namespace {

using testing::Bytes;
using testing::CountNear;
using testing::Placeable;
using testing::RenderBytes;
using testing::WmfBuilder;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

void Brush(WmfBuilder& w, uint32_t bgr_colorref, uint16_t style = 0) {
  w.Record(0x02FC, Bytes().U16(style).U32(bgr_colorref).U16(0));
}
void Pen(WmfBuilder& w, uint16_t style, int16_t width, uint32_t colorref) {
  w.Record(0x02FA, Bytes().U16(style).I16(width).I16(0).U32(colorref));
}
void Select(WmfBuilder& w, int16_t index) { w.Words(0x012D, {index}); }
void Rectangle(WmfBuilder& w, int16_t l, int16_t t, int16_t r, int16_t b) { w.Words(0x041B, {b, r, t, l}); }

// COLORREF is 0x00BBGGRR.
constexpr uint32_t kRefRed = 0x0000FF, kRefGreen = 0x00FF00, kRefBlue = 0xFF0000;

TEST(WmfReader, PlaceableShapesLandWhereAndInTheColourTheFileSays) {
  WmfBuilder w;
  w.Words(0x020B, {0, 0});        // SETWINDOWORG
  w.Words(0x020C, {100, 100});    // SETWINDOWEXT
  Brush(w, kRefRed);              // object 0
  Pen(w, 5, 0, 0);                // object 1: no outline
  Select(w, 0);
  Select(w, 1);
  Rectangle(w, 10, 10, 50, 50);
  Brush(w, kRefGreen);            // object 2
  Select(w, 2);
  w.Words(0x0418, {90, 90, 60, 60});  // ELLIPSE
  Pen(w, 0, 4, kRefBlue);         // object 3
  Select(w, 3);
  w.Words(0x0214, {10, 75});      // MOVETO (y, x)
  w.Words(0x0213, {90, 75});      // LINETO
  const auto file = w.Build(Placeable{0, 0, 100, 100, 96});

  Drawing d;
  ASSERT_TRUE(LoadDrawing(file.data(), file.size(), &d).ok());
  EXPECT_EQ(d.natural_width(), 100);
  EXPECT_EQ(d.natural_height(), 100);

  const Image img = RenderBytes(file, 200, 200);
  ASSERT_FALSE(img.empty());
  EXPECT_EQ(img.PixelRgb(60, 60), kRed);
  EXPECT_EQ(img.PixelRgb(15, 15), kWhite);
  EXPECT_EQ(img.PixelRgb(110, 110), kWhite);
  EXPECT_EQ(img.PixelRgb(140, 160), kGreen);
  EXPECT_EQ(img.PixelRgb(150, 100), kBlue);  // on the vertical line x = 75
  EXPECT_EQ(img.PixelRgb(150, 10), kWhite);  // above it
}

TEST(WmfReader, MappingModesAndExtents) {
  {  // Anisotropic: a window of 1000 units fills the page.
    WmfBuilder w;
    w.Words(0x0103, {8});
    w.Words(0x020C, {1000, 1000});
    Brush(w, kRefRed);
    Select(w, 0);
    Rectangle(w, 0, 0, 500, 500);
    const Image img = RenderBytes(w.Build(), 100, 100);
    ASSERT_FALSE(img.empty());
    EXPECT_EQ(img.PixelRgb(25, 25), kRed);
    EXPECT_EQ(img.PixelRgb(75, 75), kWhite);
  }
  {  // A viewport twice the window: logical 50 is page 100.
    WmfBuilder w;
    w.Words(0x0103, {8});
    w.Words(0x020C, {100, 100});
    w.Words(0x020E, {200, 200});
    w.Words(0x020D, {0, 0});
    Brush(w, kRefBlue);
    Select(w, 0);
    Rectangle(w, 0, 0, 50, 50);
    Drawing d;
    const auto file = w.Build();
    ASSERT_TRUE(LoadDrawing(file.data(), file.size(), &d).ok());
    EXPECT_DOUBLE_EQ(d.page().width, 200);
    const Image img = RenderBytes(file, 100, 100);
    EXPECT_EQ(img.PixelRgb(40, 40), kBlue);
    EXPECT_EQ(img.PixelRgb(60, 60), kWhite);
  }
  {  // Metric mode: y grows upwards, so the second square is below the first.
    WmfBuilder w;
    w.Words(0x0103, {2});  // MM_LOMETRIC, 0.1 mm
    Pen(w, 5, 0, 0);
    Select(w, 0);
    Brush(w, kRefRed);
    Select(w, 1);
    Rectangle(w, 0, 0, 127, -127);
    Brush(w, kRefBlue);
    Select(w, 2);
    Rectangle(w, 127, -127, 254, -254);
    Drawing d;
    const auto file = w.Build();
    ASSERT_TRUE(LoadDrawing(file.data(), file.size(), &d).ok());
    EXPECT_EQ(d.natural_width(), 96);  // 25.4 mm at 96 dpi
    const Image img = RenderBytes(file, 100, 100);
    EXPECT_EQ(img.PixelRgb(20, 20), kRed);
    EXPECT_EQ(img.PixelRgb(80, 80), kBlue);
    EXPECT_EQ(img.PixelRgb(80, 20), kWhite);
  }
}

TEST(WmfReader, ShiftJisTextIsDecodedAndDrawn) {
  WmfBuilder w;
  w.Words(0x020C, {200, 100});
  // CREATEFONTINDIRECT: height -40, SHIFTJIS_CHARSET, face "ＭＳ ゴシック" in Shift-JIS.
  Bytes font;
  font.I16(-40).I16(0).I16(0).I16(0).I16(400).U8(0).U8(0).U8(0).U8(128).U8(0).U8(0).U8(0).U8(0);
  font.Raw({0x82, 0x6C, 0x82, 0x72, 0x20, 0x83, 0x53, 0x83, 0x56, 0x83, 0x62, 0x83, 0x4E, 0x00});
  w.Record(0x02FB, font);
  Select(w, 0);
  w.Words(0x0102, {1});  // transparent background
  w.Record(0x0209, Bytes().U32(kRefBlue));
  // TEXTOUT "日本語" (Shift-JIS 93FA 967B 8CEA) at (10, 10), top-aligned.
  Bytes text;
  text.I16(6).Raw({0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA}).I16(10).I16(10);
  w.Record(0x0521, text);
  const auto file = w.Build(Placeable{0, 0, 200, 100, 96});

  Drawing d;
  ASSERT_TRUE(LoadDrawing(file.data(), file.size(), &d).ok());
  ASSERT_EQ(d.items().size(), 1u);
  const auto* t = std::get_if<Text>(&d.items()[0].content);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->utf8, "日本語");
  EXPECT_EQ(t->face, "ＭＳ ゴシック");
  EXPECT_DOUBLE_EQ(t->height, 40);

  const Image img = RenderBytes(file, 200, 100);
  ASSERT_FALSE(img.empty());
  EXPECT_GT(CountNear(img, 10, 10, 140, 55, kBlue, 90), 150);  // glyph strokes
  EXPECT_EQ(CountNear(img, 0, 60, 200, 100, kWhite, 0), 200 * 40);  // nothing below the line
}

TEST(WmfReader, ArcsChordsAndPies) {
  WmfBuilder w;
  Pen(w, 5, 0, 0);
  Select(w, 0);
  Brush(w, kRefBlue);
  Select(w, 1);
  // PIE in (0,0)-(100,100) from the right (100,50) counter-clockwise to the top (50,0).
  w.Words(0x081A, {0, 50, 50, 100, 100, 100, 0, 0});
  const auto file = w.Build(Placeable{0, 0, 100, 100, 96});
  const Image img = RenderBytes(file, 100, 100);
  ASSERT_FALSE(img.empty());
  EXPECT_EQ(img.PixelRgb(70, 30), kBlue);   // top-right quarter
  EXPECT_EQ(img.PixelRgb(30, 30), kWhite);
  EXPECT_EQ(img.PixelRgb(70, 70), kWhite);
  EXPECT_EQ(img.PixelRgb(30, 70), kWhite);
}

TEST(WmfReader, PolyPolygonFillModesSaveRestoreAndClipping) {
  auto square_with_hole = [](int16_t fill_mode) {
    WmfBuilder w;
    w.Words(0x0106, {fill_mode});
    Pen(w, 5, 0, 0);
    Select(w, 0);
    Brush(w, kRefGreen);
    Select(w, 1);
    w.Words(0x0538, {2, 4, 4, 0, 0, 100, 0, 100, 100, 0, 100, 25, 25, 75, 25, 75, 75, 25, 75});
    return RenderBytes(w.Build(Placeable{0, 0, 100, 100, 96}), 100, 100);
  };
  const Image alternate = square_with_hole(1), winding = square_with_hole(2);
  EXPECT_EQ(alternate.PixelRgb(10, 10), kGreen);
  EXPECT_EQ(alternate.PixelRgb(50, 50), kWhite);
  EXPECT_EQ(winding.PixelRgb(50, 50), kGreen);

  WmfBuilder w;
  Pen(w, 5, 0, 0);
  Select(w, 0);
  Brush(w, kRefRed);    // 1
  Brush(w, kRefGreen);  // 2
  Select(w, 1);
  w.Words(0x001E, {});    // SAVEDC
  Select(w, 2);
  w.Words(0x0416, {100, 50, 0, 0});  // INTERSECTCLIPRECT left half
  w.Words(0x0127, {-1});  // RESTOREDC: red brush and no clip again
  w.Words(0x0416, {100, 100, 0, 50});  // clip to the right half
  Rectangle(w, 0, 0, 100, 100);
  const Image img = RenderBytes(w.Build(Placeable{0, 0, 100, 100, 96}), 100, 100);
  EXPECT_EQ(img.PixelRgb(75, 50), kRed);
  EXPECT_EQ(img.PixelRgb(25, 50), kWhite);
}

TEST(WmfReader, StretchedDibRecords) {
  WmfBuilder w;
  // STRETCHDIB of a 2 x 2 DIB (red green / blue white) over the whole page.
  Bytes b;
  b.U32(0x00CC0020).U16(0).I16(2).I16(2).I16(0).I16(0).I16(100).I16(100).I16(0).I16(0);
  b.Raw(testing::Dib24(2, 2, {kRed, kGreen, kBlue, kWhite}));
  w.Record(0x0F43, b);
  const Image img = RenderBytes(w.Build(Placeable{0, 0, 100, 100, 96}), 100, 100);
  ASSERT_FALSE(img.empty());
  EXPECT_EQ(img.PixelRgb(10, 10), kRed);
  EXPECT_EQ(img.PixelRgb(90, 10), kGreen);
  EXPECT_EQ(img.PixelRgb(10, 90), kBlue);
  EXPECT_EQ(img.PixelRgb(90, 90), kWhite);
}

TEST(WmfReader, DamagedAndCutFilesAreRefused) {
  WmfBuilder w;
  Brush(w, kRefRed);
  Select(w, 0);
  w.Words(0x0324, {3, 0, 0, 100, 0, 50, 100});
  Rectangle(w, 1, 2, 3, 4);
  const auto good = w.Build(Placeable{0, 0, 100, 100, 96});
  Drawing d;
  ASSERT_TRUE(ReadWmf(good.data(), good.size(), &d).ok());
  for (size_t n = 0; n + 1 < good.size(); ++n) {
    Drawing cut;
    EXPECT_FALSE(ReadWmf(good.data(), n, &cut).ok()) << n;
  }
  // A polygon that claims more points than its record holds.
  WmfBuilder bad;
  bad.Words(0x0324, {30000, 0, 0, 100, 0});
  const auto lying = bad.Build();
  EXPECT_EQ(ReadWmf(lying.data(), lying.size(), &d).code(), Status::kBroken);
  // Record sizes of 0 and past the end.
  std::vector<uint8_t> zero = good;
  zero[22 + 18] = 0;
  zero[22 + 19] = 0;
  EXPECT_EQ(ReadWmf(zero.data(), zero.size(), &d).code(), Status::kBroken);
  std::vector<uint8_t> huge = good;
  huge[22 + 21] = 0x7F;
  EXPECT_EQ(ReadWmf(huge.data(), huge.size(), &d).code(), Status::kBroken);
  const uint8_t junk[40] = {9, 9, 9, 9};
  EXPECT_EQ(ReadWmf(junk, sizeof junk, &d).code(), Status::kBadFile);
}

}  // namespace
}  // namespace imaging::vector

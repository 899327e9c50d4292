#include <gtest/gtest.h>

#include <variant>

#include "imaging/vector/readers.h"
#include "imaging/vector/testing/file_builders.h"
#include "imaging/vector/vector_file.h"

namespace imaging::vector {
namespace {

using testing::Bytes;
using testing::CountNear;
using testing::EmfBuilder;
using testing::RenderBytes;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
constexpr uint32_t kRefRed = 0x0000FF, kRefGreen = 0x00FF00, kRefBlue = 0xFF0000;

// A frame of 100 x 100 pixels at 96 dpi is 2646 x 2646 hundredths of a mm.
constexpr int32_t kFrame = 2646;

void Brush(EmfBuilder& e, uint32_t index, uint32_t colorref) {
  e.Record(39, Bytes().U32(index).U32(0).U32(colorref).U32(0));
}
void Select(EmfBuilder& e, uint32_t index) { e.Record(37, Bytes().U32(index)); }
void Box(Bytes& b, int32_t l, int32_t t, int32_t r, int32_t bo) { b.I32(l).I32(t).I32(r).I32(bo); }
void NoPen(EmfBuilder& e) { Select(e, 0x80000008u); }

TEST(EmfReader, FrameShapesAndStockObjects) {
  EmfBuilder e;
  NoPen(e);
  Brush(e, 1, kRefRed);
  Select(e, 1);
  Bytes rect;
  Box(rect, 0, 0, 50, 50);
  e.Record(43, rect);  // RECTANGLE
  Select(e, 0x80000004u);  // BLACK_BRUSH
  Bytes ellipse;
  Box(ellipse, 50, 50, 100, 100);
  e.Record(42, ellipse);
  // POLYGON16: a blue triangle on the right.
  Brush(e, 2, kRefBlue);
  Select(e, 2);
  Bytes tri;
  Box(tri, 0, 0, 0, 0);
  tri.U32(3).I16(60).I16(0).I16(100).I16(0).I16(100).I16(40);
  e.Record(86, tri);
  const auto file = e.Build(kFrame, kFrame);

  Drawing d;
  ASSERT_TRUE(LoadDrawing(file.data(), file.size(), &d).ok());
  EXPECT_EQ(d.natural_width(), 100);
  EXPECT_EQ(d.natural_height(), 100);
  const Image img = RenderBytes(file, 100, 100);
  ASSERT_FALSE(img.empty());
  EXPECT_EQ(img.PixelRgb(25, 25), kRed);
  EXPECT_EQ(img.PixelRgb(75, 75), 0x000000u);
  EXPECT_EQ(img.PixelRgb(95, 5), kBlue);
  EXPECT_EQ(img.PixelRgb(65, 35), kWhite);
}

TEST(EmfReader, WorldTransformMapModeAndPaths) {
  EmfBuilder e;
  NoPen(e);
  Brush(e, 1, kRefGreen);
  Select(e, 1);
  // Scale by 2: a 25-unit square covers half the page.
  Bytes xf;
  xf.F32(2).F32(0).F32(0).F32(2).F32(0).F32(0);
  e.Record(35, xf);
  e.Record(59, Bytes());  // BEGINPATH
  Bytes move;
  move.I32(0).I32(0);
  e.Record(27, move);
  Bytes line;
  Box(line, 0, 0, 0, 0);
  line.U32(3).I32(25).I32(0).I32(25).I32(25).I32(0).I32(25);
  e.Record(6, line);      // POLYLINETO
  e.Record(61, Bytes());  // CLOSEFIGURE
  e.Record(60, Bytes());  // ENDPATH
  Bytes bounds;
  Box(bounds, 0, 0, 0, 0);
  e.Record(62, bounds);   // FILLPATH
  const Image img = RenderBytes(e.Build(kFrame, kFrame), 100, 100);
  ASSERT_FALSE(img.empty());
  EXPECT_EQ(img.PixelRgb(40, 40), kGreen);
  EXPECT_EQ(img.PixelRgb(60, 60), kWhite);

  // Anisotropic mapping: a window of 10 x 10 onto a viewport of 100 x 100.
  EmfBuilder m;
  NoPen(m);
  Brush(m, 1, kRefBlue);
  Select(m, 1);
  m.Record(17, Bytes().U32(8));
  m.Record(9, Bytes().I32(10).I32(10));
  m.Record(11, Bytes().I32(100).I32(100));
  Bytes r2;
  Box(r2, 5, 0, 10, 5);
  m.Record(43, r2);
  const Image mapped = RenderBytes(m.Build(kFrame, kFrame), 100, 100);
  EXPECT_EQ(mapped.PixelRgb(75, 25), kBlue);
  EXPECT_EQ(mapped.PixelRgb(25, 25), kWhite);
  EXPECT_EQ(mapped.PixelRgb(75, 75), kWhite);
}

TEST(EmfReader, WideTextAndDibits) {
  EmfBuilder e;
  // EXTCREATEFONTINDIRECTW: height -30, face "Noto Sans CJK JP".
  Bytes font;
  font.U32(1).I32(-30).I32(0).I32(0).I32(0).I32(700).U8(0).U8(0).U8(0).U8(128).U8(0).U8(0).U8(0).U8(0);
  for (char c : std::string("Noto Sans CJK JP")) font.U16(static_cast<uint16_t>(c));
  for (size_t i = 16; i < 32; ++i) font.U16(0);
  e.Record(82, font);
  Select(e, 1);
  e.Record(18, Bytes().U32(1));          // transparent
  e.Record(24, Bytes().U32(kRefRed));    // text colour
  // EXTTEXTOUTW "図面" at (5, 5).
  Bytes text;
  Box(text, 0, 0, 0, 0);
  text.U32(1).F32(1).F32(1);
  text.I32(5).I32(5).U32(2).U32(76).U32(0);
  Box(text, 0, 0, 0, 0);
  text.U32(0);
  text.U16(0x56F3).U16(0x9762);
  e.Record(84, text);
  // STRETCHDIBITS of a 1 x 2 DIB (green over blue) into (50,50)-(100,100).
  const std::vector<uint8_t> dib = testing::Dib24(1, 2, {kGreen, kBlue});
  Bytes blt;
  Box(blt, 0, 0, 0, 0);
  blt.I32(50).I32(50).I32(0).I32(0).I32(1).I32(2);
  blt.U32(80).U32(40).U32(120).U32(static_cast<uint32_t>(dib.size() - 40));
  blt.U32(0).U32(0x00CC0020).I32(50).I32(50);
  blt.Raw(dib);
  e.Record(81, blt);
  const auto file = e.Build(kFrame, kFrame);

  Drawing d;
  ASSERT_TRUE(LoadDrawing(file.data(), file.size(), &d).ok());
  bool found = false;
  for (const Item& item : d.items())
    if (const auto* t = std::get_if<Text>(&item.content)) found = t->utf8 == "図面" && t->bold;
  EXPECT_TRUE(found);
  const Image img = RenderBytes(file, 100, 100);
  ASSERT_FALSE(img.empty());
  EXPECT_GT(CountNear(img, 0, 0, 70, 45, kRed, 90), 40);
  EXPECT_EQ(img.PixelRgb(75, 60), kGreen);
  EXPECT_EQ(img.PixelRgb(75, 90), kBlue);
}

TEST(EmfReader, DamagedAndCutFilesAreRefused) {
  EmfBuilder e;
  Brush(e, 1, kRefRed);
  Select(e, 1);
  Bytes rect;
  Box(rect, 0, 0, 50, 50);
  e.Record(43, rect);
  const auto good = e.Build(kFrame, kFrame);
  Drawing d;
  ASSERT_TRUE(ReadEmf(good.data(), good.size(), &d).ok());
  for (size_t n = 0; n + 1 < good.size(); ++n) {
    Drawing cut;
    EXPECT_FALSE(ReadEmf(good.data(), n, &cut).ok()) << n;
  }
  // Text whose string offset points outside its record.
  EmfBuilder t;
  Bytes text;
  Box(text, 0, 0, 0, 0);
  text.U32(1).F32(1).F32(1).I32(0).I32(0).U32(1000).U32(76).U32(0);
  Box(text, 0, 0, 0, 0);
  text.U32(0).U16('a').U16(0);
  t.Record(84, text);
  const auto lying = t.Build(kFrame, kFrame);
  EXPECT_EQ(ReadEmf(lying.data(), lying.size(), &d).code(), Status::kBroken);
  // Poly-polygon counts that do not add up.
  EmfBuilder p;
  Bytes pp;
  Box(pp, 0, 0, 0, 0);
  pp.U32(2).U32(3).U32(0x7FFFFFFF).U32(0x7FFFFFFF);
  p.Record(8, pp);
  const auto bad_counts = p.Build(kFrame, kFrame);
  EXPECT_EQ(ReadEmf(bad_counts.data(), bad_counts.size(), &d).code(), Status::kBroken);
}

}  // namespace
}  // namespace imaging::vector

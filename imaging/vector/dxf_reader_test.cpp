#include <gtest/gtest.h>

#include <cmath>
#include <variant>

#include "imaging/vector/internal/dxf_document.h"
#include "imaging/vector/readers.h"
#include "imaging/vector/testing/file_builders.h"
#include "imaging/vector/vector_file.h"

namespace imaging::vector {
namespace {

using testing::CountNear;
using testing::CountTinted;
using testing::DxfFile;
using testing::RenderText;

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00, kWhite = 0xFFFFFF;

Result Read(const std::string& text, Drawing* d) {
  return ReadDxf(reinterpret_cast<const uint8_t*>(text.data()), text.size(), d);
}

// Page pixel of a drawing point for a render of w x h.
void ToPixel(const Drawing& d, double x, double y, int w, int h, int* px, int* py) {
  const Rect& p = d.page();
  *px = static_cast<int>((x - p.x) / p.width * w);
  *py = static_cast<int>((-y - p.y) / p.height * h);
}

TEST(DxfReader, EntitiesLandAtTheirPlacesInLayerAndIndexColours) {
  const std::string entities =
      "0\nLINE\n8\nRED\n10\n0\n20\n10\n11\n100\n21\n10\n"                  // bylayer red, y = 10
      "0\nCIRCLE\n8\n0\n62\n5\n10\n50\n20\n50\n40\n20\n"                   // blue circle
      "0\nSOLID\n8\n0\n62\n3\n10\n70\n20\n70\n11\n90\n21\n70\n12\n70\n22\n90\n13\n90\n23\n90\n"  // green square
      "0\nLWPOLYLINE\n8\n0\n62\n1\n90\n2\n70\n0\n10\n10\n20\n80\n42\n1\n10\n30\n20\n80\n";      // red half circle
  const std::string file = DxfFile(0, 0, 100, 100, {"RED:1", "0:7"}, "", entities);
  Drawing d;
  ASSERT_TRUE(Read(file, &d).ok());
  const int w = 400, h = 400;
  const Image img = RenderText(file, w, h);
  ASSERT_FALSE(img.empty());
  int x, y;
  ToPixel(d, 50, 10, w, h, &x, &y);
  EXPECT_GT(CountTinted(img, x - 2, y - 2, x + 3, y + 3, kRed), 3);
  ToPixel(d, 50, 70, w, h, &x, &y);  // top of the circle
  EXPECT_GT(CountTinted(img, x - 2, y - 2, x + 3, y + 3, kBlue), 3);
  ToPixel(d, 50, 50, w, h, &x, &y);  // its centre stays white
  EXPECT_EQ(img.PixelRgb(x, y), kWhite);
  ToPixel(d, 80, 80, w, h, &x, &y);
  EXPECT_EQ(img.PixelRgb(x, y), kGreen);
  // The bulge of 1 makes a half circle of radius 10 around (20, 80),
  // counter-clockwise from (10, 80) to (30, 80): it passes below, at (20, 70).
  ToPixel(d, 20, 70, w, h, &x, &y);
  EXPECT_GT(CountTinted(img, x - 2, y - 2, x + 3, y + 3, kRed), 3);
  ToPixel(d, 20, 90, w, h, &x, &y);
  EXPECT_EQ(CountTinted(img, x - 2, y - 2, x + 3, y + 3, kRed), 0);
}

TEST(DxfReader, BlockInsertionWithRotationAndScale) {
  // Block "ARM": a line from its base (5, 0) to (15, 0), colour by block.
  const std::string blocks =
      "0\nBLOCK\n2\nARM\n10\n5\n20\n0\n70\n0\n"
      "0\nLINE\n8\n0\n62\n0\n10\n5\n20\n0\n11\n15\n21\n0\n"
      "0\nENDBLK\n";
  // Inserted at (50, 20), turned 90 degrees, scaled 3: a blue line up to (50, 50).
  const std::string entities = "0\nINSERT\n2\nARM\n8\n0\n62\n5\n10\n50\n20\n20\n41\n3\n42\n3\n50\n90\n";
  const std::string file = DxfFile(0, 0, 100, 100, {"0:7"}, blocks, entities);
  Drawing d;
  ASSERT_TRUE(Read(file, &d).ok());
  ASSERT_EQ(d.items().size(), 1u);
  const auto* s = std::get_if<Shape>(&d.items()[0].content);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->path.points().size(), 2u);
  EXPECT_NEAR(s->path.points()[0].x, 50, 1e-9);
  EXPECT_NEAR(s->path.points()[0].y, -20, 1e-9);  // page y runs down
  EXPECT_NEAR(s->path.points()[1].x, 50, 1e-9);
  EXPECT_NEAR(s->path.points()[1].y, -50, 1e-9);
  EXPECT_EQ(s->pen.color, (Color{0, 0, 255, 255}));
  const Image img = RenderText(file, 200, 200);
  int x, y;
  ToPixel(d, 50, 35, 200, 200, &x, &y);
  EXPECT_GT(CountTinted(img, x - 1, y - 1, x + 2, y + 2, kBlue), 1);
  ToPixel(d, 60, 35, 200, 200, &x, &y);
  EXPECT_EQ(CountTinted(img, x - 1, y - 1, x + 2, y + 2, kBlue), 0);
}

TEST(DxfReader, SolidHatchTextAndArcs) {
  const std::string entities =
      "0\nHATCH\n8\n0\n62\n1\n70\n1\n91\n1\n92\n2\n72\n0\n73\n1\n93\n4\n"
      "10\n0\n20\n0\n10\n40\n20\n0\n10\n40\n20\n40\n10\n0\n20\n40\n97\n0\n75\n0\n76\n1\n98\n0\n"
      "0\nARC\n8\n0\n62\n5\n10\n70\n20\n70\n40\n20\n50\n0\n51\n90\n"
      "0\nTEXT\n8\n0\n10\n10\n20\n60\n40\n8\n1\nA%%d\n";
  const std::string file = DxfFile(0, 0, 100, 100, {"0:7"}, "", entities);
  Drawing d;
  ASSERT_TRUE(Read(file, &d).ok());
  const Image img = RenderText(file, 200, 200);
  int x, y;
  ToPixel(d, 20, 20, 200, 200, &x, &y);
  EXPECT_EQ(img.PixelRgb(x, y), kRed);
  ToPixel(d, 60, 20, 200, 200, &x, &y);
  EXPECT_EQ(img.PixelRgb(x, y), kWhite);
  // The arc runs through (70 + 20 cos 45, 70 + 20 sin 45) but not (50, 70).
  ToPixel(d, 70 + 20 * std::cos(M_PI / 4), 70 + 20 * std::sin(M_PI / 4), 200, 200, &x, &y);
  EXPECT_GT(CountTinted(img, x - 2, y - 2, x + 3, y + 3, kBlue), 2);
  ToPixel(d, 50, 70, 200, 200, &x, &y);
  EXPECT_EQ(CountTinted(img, x - 2, y - 2, x + 3, y + 3, kBlue), 0);
  bool text = false;
  for (const Item& item : d.items())
    if (const auto* t = std::get_if<Text>(&item.content)) text = t->utf8 == "A°" && t->height == 8 * 1.0;
  EXPECT_TRUE(text);
}

TEST(DxfReader, AciColoursFollowTheStandardTable) {
  EXPECT_EQ(internal::AciColor(1), (Color{255, 0, 0, 255}));
  EXPECT_EQ(internal::AciColor(5), (Color{0, 0, 255, 255}));
  EXPECT_EQ(internal::AciColor(7), (Color{0, 0, 0, 255}));  // black on the white page
  EXPECT_EQ(internal::AciColor(10), (Color{255, 0, 0, 255}));
  EXPECT_EQ(internal::AciColor(11), (Color{255, 127, 127, 255}));
  EXPECT_EQ(internal::AciColor(30), (Color{255, 127, 0, 255}));
  EXPECT_EQ(internal::AciColor(250), (Color{51, 51, 51, 255}));
}

TEST(DxfReader, SelfInsertingBlocksAndCutFilesEndCleanly) {
  const std::string blocks =
      "0\nBLOCK\n2\nLOOP\n10\n0\n20\n0\n0\nINSERT\n2\nLOOP\n10\n1\n20\n1\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDBLK\n";
  const std::string file = DxfFile(0, 0, 10, 10, {"0:7"}, blocks, "0\nINSERT\n2\nLOOP\n10\n0\n20\n0\n");
  Drawing d;
  EXPECT_EQ(Read(file, &d).code(), Status::kBroken);
  // A block inserting another a thousand times, three levels deep, passes
  // the expansion budget instead of running for ever.
  std::string fan = "0\nBLOCK\n2\nL0\n10\n0\n20\n0\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDBLK\n";
  for (int level = 1; level <= 3; ++level) {
    fan += "0\nBLOCK\n2\nL" + std::to_string(level) + "\n10\n0\n20\n0\n0\nINSERT\n2\nL" +
           std::to_string(level - 1) + "\n70\n40\n71\n40\n44\n1\n45\n1\n0\nENDBLK\n";
  }
  const std::string big = DxfFile(0, 0, 10, 10, {"0:7"}, fan, "0\nINSERT\n2\nL3\n10\n0\n20\n0\n");
  EXPECT_EQ(Read(big, &d).code(), Status::kMemory);

  const std::string good = DxfFile(0, 0, 100, 100, {"0:7"}, "", "0\nLINE\n10\n0\n20\n0\n11\n9\n21\n9\n");
  const size_t entities_at = good.find("ENTITIES");
  for (size_t n = entities_at; n + 10 < good.size(); n += 3) {
    Drawing cut;
    EXPECT_FALSE(Read(good.substr(0, n), &cut).ok()) << n;
  }
  EXPECT_EQ(Read("hello\nworld\n", &d).code(), Status::kBadFile);
}

}  // namespace
}  // namespace imaging::vector

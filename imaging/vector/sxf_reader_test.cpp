#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "imaging/vector/readers.h"
#include "imaging/vector/testing/file_builders.h"

namespace imaging::vector {
namespace {

using testing::CountTinted;
using testing::RenderText;

// A feature comment file on a free 200 x 100 mm sheet.
std::string Sfc(const std::string& features) {
  return "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('SCADEC level2 feature_mode'),'2;1');\nENDSEC;\nDATA;\n"
         "/*SXF\n#10 = sheet_feature('s','9','1','200','100')\nSXF*/\n"
         "/*SXF\n#20 = layer_feature('shown','1')\nSXF*/\n"
         "/*SXF\n#30 = layer_feature('hidden','0')\nSXF*/\n"
         "/*SXF\n#40 = user_defined_colour_feature('0','128','0')\nSXF*/\n" +
         features + "ENDSEC;\nEND-ISO-10303-21;\n";
}

Result Read(const std::string& text, Drawing* d) {
  return ReadSxf(reinterpret_cast<const uint8_t*>(text.data()), text.size(), d);
}

TEST(SxfReader, FeaturesInTheirLayersAndColours) {
  const std::string file = Sfc(
      "/*SXF\n#100 = line_feature('1','2','1','1','0.0','10.0','200.0','10.0')\nSXF*/\n"           // red, y = 10
      "/*SXF\n#110 = line_feature('2','4','1','1','0.0','50.0','200.0','50.0')\nSXF*/\n"           // hidden layer
      "/*SXF\n#120 = circle_feature('1','4','1','1','150.0','50.0','20.0')\nSXF*/\n"              // blue circle
      "/*SXF\n#130 = fill_area_style_colour_feature('1','17','1',(20.0,60.0,60.0,20.0),(60.0,60.0,90.0,90.0))\nSXF*/\n"
      "/*SXF\n#140 = polyline_feature('1','2','1','1','3',(100.0,110.0,120.0),(90.0,80.0,90.0))\nSXF*/\n"
      "/*SXF\n#150 = text_string_feature('1','1','1','\x90\x7D\x96\xCA','10.0','20.0','5.0','20.0','0.0','0.0','0.0','1','1')\nSXF*/\n");
  Drawing d;
  ASSERT_TRUE(Read(file, &d).ok());
  EXPECT_DOUBLE_EQ(d.page().width, 200);
  EXPECT_DOUBLE_EQ(d.page().height, 100);
  EXPECT_EQ(d.natural_width(), 756);  // 200 mm at 96 dpi
  bool text = false;
  for (const Item& item : d.items())
    if (const auto* t = std::get_if<Text>(&item.content)) text = t->utf8 == "図面";
  EXPECT_TRUE(text);
  // 2 pixels a millimetre; y runs up from the sheet's bottom.
  const Image img = RenderText(file, 400, 200);
  ASSERT_FALSE(img.empty());
  EXPECT_GT(CountTinted(img, 40, 176, 60, 184, 0xFF0000), 10);   // the red line at y = 10
  EXPECT_EQ(CountTinted(img, 0, 96, 250, 104, 0x0000FF), 0);    // the hidden layer's line at y = 50
  EXPECT_GT(CountTinted(img, 336, 96, 346, 104, 0x0000FF), 3);   // the circle's right edge, x = 170
  EXPECT_EQ(img.PixelRgb(80, 50), 0x008000u);                    // the green fill, x 20..60, y 60..90
  EXPECT_GT(CountTinted(img, 216, 36, 224, 44, 0xFF0000), 2);    // the polyline's middle
}

TEST(SxfReader, DamagedFilesAreRefused) {
  const std::string good = Sfc("/*SXF\n#100 = line_feature('1','2','1','1','0','0','10','10')\nSXF*/\n");
  Drawing d;
  ASSERT_TRUE(Read(good, &d).ok());
  for (size_t n = good.find("#100"); n + 5 < good.size(); n += 7) {
    Drawing cut;
    EXPECT_FALSE(Read(good.substr(0, n), &cut).ok()) << n;
  }
  std::string deep = Sfc("/*SXF\n#100 = polyline_feature(" + std::string(100, '(') + "\nSXF*/\n");
  EXPECT_EQ(Read(deep, &d).code(), Status::kBroken);
  EXPECT_EQ(Read("hello", &d).code(), Status::kBadFile);
  EXPECT_EQ(DetectVectorFormat(reinterpret_cast<const uint8_t*>(good.data()), good.size()), VectorFormat::kSxfSfc);
}

}  // namespace
}  // namespace imaging::vector

#include "imaging/vector/render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "imaging/vector/testing/file_builders.h"
#include "imaging/vector/vector_file.h"

namespace imaging::vector {
namespace {

constexpr uint32_t kRed = 0xFF0000, kWhite = 0xFFFFFF;

std::string TempFile(const std::string& name, const std::string& content) {
  const std::string path = "/tmp/vector_render_test_" + std::to_string(::getpid()) + "_" + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

TEST(RenderDrawing, SvgKeepsItsNaturalSizeAndViewBox) {
  const std::string svg =
      "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"100\" "
      "viewBox=\"0 0 20 10\"><rect x=\"10\" y=\"0\" width=\"10\" height=\"10\" fill=\"#ff0000\"/></svg>\n";
  const std::string path = TempFile("a.svg", svg);
  VectorInfo info;
  ASSERT_TRUE(ReadVectorInfo(path, &info).ok());
  EXPECT_EQ(info.format, VectorFormat::kSvg);
  EXPECT_EQ(info.width, 200);
  EXPECT_EQ(info.height, 100);
  Image img;
  ASSERT_TRUE(RenderVectorFile(path, 0, 0, {255, 255, 255, 255}, &img).ok());
  EXPECT_EQ(img.width(), 200);
  EXPECT_EQ(img.height(), 100);
  EXPECT_EQ(img.PixelRgb(150, 50), kRed);
  EXPECT_EQ(img.PixelRgb(50, 50), kWhite);
  // A bound fits the page inside, never enlarging.
  ASSERT_TRUE(RenderVectorFile(path, 50, 50, {0, 0, 0, 255}, &img).ok());
  EXPECT_EQ(img.width(), 50);
  EXPECT_EQ(img.height(), 25);
  EXPECT_EQ(img.PixelRgb(10, 12), 0x000000u);  // the given background
  std::remove(path.c_str());

  const std::string broken = TempFile("b.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"><rect");
  EXPECT_FALSE(ReadVectorInfo(broken, &info).ok());
  std::remove(broken.c_str());
}

TEST(RenderDrawing, SizesDepthsAndBackgrounds) {
  Drawing d;
  d.SetPage({0, 0, 10, 10}, 10, 10);
  Shape s;
  s.path.AddRect({0, 0, 5, 10});
  s.pen.style = LineStyle::kNone;
  s.brush = {false, {255, 0, 0, 255}};
  ASSERT_TRUE(d.AddShape(std::move(s)).ok());
  RenderOptions o;
  o.width = 40;
  o.height = 20;
  o.bpp = 32;
  o.background = {0, 0, 255, 255};
  Image img;
  ASSERT_TRUE(RenderDrawing(d, o, &img).ok());
  EXPECT_EQ(img.bpp(), 32);
  EXPECT_EQ(img.PixelRgb(5, 10), kRed);
  EXPECT_EQ(img.PixelRgb(35, 10), 0x0000FFu);
  o.width = 0;
  EXPECT_EQ(RenderDrawing(d, o, &img).code(), Status::kBadValue);
  o.width = 60000;
  o.height = 60000;
  EXPECT_EQ(RenderDrawing(d, o, &img).code(), Status::kMemory);
  o.width = o.height = 10;
  o.bpp = 8;
  EXPECT_EQ(RenderDrawing(d, o, &img).code(), Status::kBadValue);
}

TEST(RenderDrawing, ArcsFollowTheirBoxes) {
  // A slow, obvious reference: every point of a sampled quarter arc lies on
  // the circle the path's cubic pieces approximate.
  Path p;
  p.AddArc({0, 0, 200, 200}, 0, 90, false);
  const auto& pts = p.points();
  ASSERT_EQ(pts.size(), 4u);
  EXPECT_NEAR(pts[0].x, 200, 1e-9);
  EXPECT_NEAR(pts[0].y, 100, 1e-9);
  EXPECT_NEAR(pts[3].x, 100, 1e-9);
  EXPECT_NEAR(pts[3].y, 200, 1e-9);
  for (double t = 0; t <= 1; t += 0.05) {
    const double a = (1 - t) * (1 - t) * (1 - t), b = 3 * (1 - t) * (1 - t) * t, c = 3 * (1 - t) * t * t,
                 e = t * t * t;
    const double x = a * pts[0].x + b * pts[1].x + c * pts[2].x + e * pts[3].x;
    const double y = a * pts[0].y + b * pts[1].y + c * pts[2].y + e * pts[3].y;
    EXPECT_NEAR(std::hypot(x - 100, y - 100), 100, 0.05);
  }
}

}  // namespace
}  // namespace imaging::vector

#include "viewer_common/utils/frame3d.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace viewer {
namespace {

QImage Frame(bool sunken) {
  QImage img(12, 12, QImage::Format_RGB32);
  img.fill(QColor(0, 0, 255));
  QPainter p(&img);
  p.setPen(QColor(1, 2, 3));
  DrawFrame3D(&p, 0, 0, 10, 10, sunken);
  EXPECT_EQ(p.pen().color(), QColor(1, 2, 3));  // pen restored
  return img;
}

TEST(Frame3D, RaisedCornersAndLines) {
  QImage img = Frame(false);
  const QColor white(255, 255, 255), black(0, 0, 0), dark(0x7F, 0x7F, 0x7F), light(0xDF, 0xDF, 0xDF);
  EXPECT_EQ(img.pixelColor(0, 0), white);
  EXPECT_EQ(img.pixelColor(9, 9), black);
  EXPECT_EQ(img.pixelColor(0, 10), white);  // the left line starts on (left, bottom)
  EXPECT_EQ(img.pixelColor(1, 10), dark);   // bottom line on the bottom edge
  EXPECT_EQ(img.pixelColor(10, 0), dark);   // right line starts at the top corner
  EXPECT_EQ(img.pixelColor(10, 10), dark);
  EXPECT_EQ(img.pixelColor(1, 1), light);
  EXPECT_EQ(img.pixelColor(1, 9), light);   // inner left line begins at bottom - 1
  EXPECT_EQ(img.pixelColor(5, 5), QColor(0, 0, 255));  // inside untouched
  EXPECT_EQ(img.pixelColor(11, 11), QColor(0, 0, 255));
}

TEST(Frame3D, SunkenSwapsTheColours) {
  QImage img = Frame(true);
  EXPECT_EQ(img.pixelColor(0, 0), QColor(0x7F, 0x7F, 0x7F));
  EXPECT_EQ(img.pixelColor(10, 10), QColor(255, 255, 255));
  EXPECT_EQ(img.pixelColor(1, 1), QColor(0, 0, 0));
  EXPECT_EQ(img.pixelColor(9, 9), QColor(0xDF, 0xDF, 0xDF));
}

TEST(Frame3D, NullPainterIsHarmless) { DrawFrame3D(nullptr, 0, 0, 1, 1, true); }

}  // namespace
}  // namespace viewer

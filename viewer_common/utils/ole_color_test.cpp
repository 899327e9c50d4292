#include "viewer_common/utils/ole_color.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QPalette>

namespace viewer {
namespace {

TEST(OleColor, PlainRgbPassesThrough) {
  EXPECT_EQ(TranslateOleColor(0x00123456u), 0x00123456u);
  EXPECT_EQ(TranslateOleColor(0x02123456u), 0x00123456u);  // palette-relative
  EXPECT_EQ(ColorRefToQColor(0x00123456u), QColor(0x56, 0x34, 0x12));
  EXPECT_EQ(QColorToColorRef(QColor(0x56, 0x34, 0x12)), 0x00123456u);
}

TEST(OleColor, SystemColoursComeFromThePalette) {
  QPalette pal;
  pal.setColor(QPalette::Active, QPalette::Base, QColor(1, 2, 3));
  pal.setColor(QPalette::Active, QPalette::Highlight, QColor(10, 20, 30));
  pal.setColor(QPalette::Active, QPalette::Button, QColor(200, 201, 202));
  EXPECT_EQ(TranslateOleColor(kSystemColorFlag | kColorWindow, &pal), Rgb(1, 2, 3));
  EXPECT_EQ(TranslateOleColor(kSystemColorFlag | kColorHighlight, &pal), Rgb(10, 20, 30));
  EXPECT_EQ(TranslateOleColor(kSystemColorFlag | kColorBtnFace, &pal), Rgb(200, 201, 202));
  // Without a palette the application's palette is used.
  bool ok = false;
  TranslateOleColor(kSystemColorFlag | kColorWindowText, nullptr, nullptr, &ok);
  EXPECT_TRUE(ok);
}

TEST(OleColor, UntranslatableGivesZero) {
  bool ok = true;
  EXPECT_EQ(TranslateOleColor(kSystemColorFlag | 25u, nullptr, nullptr, &ok), 0u);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TranslateOleColor(kSystemColorFlag | 31u, nullptr, nullptr, &ok), 0u);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TranslateOleColor(kSystemColorFlag | 0x105u, nullptr, nullptr, &ok), 0u);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TranslateOleColor(0x40FFFFFFu, nullptr, nullptr, &ok), 0u);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TranslateOleColor(0x01000002u, nullptr, nullptr, &ok), 0u);  // index without a table
  EXPECT_FALSE(ok);
  const std::vector<uint32_t> table = {Rgb(1, 1, 1), Rgb(2, 2, 2)};
  EXPECT_EQ(TranslateOleColor(0x01000001u, nullptr, &table, &ok), Rgb(2, 2, 2));
  EXPECT_TRUE(ok);
  EXPECT_EQ(TranslateOleColor(0x01000002u, nullptr, &table, &ok), 0u);
  EXPECT_FALSE(ok);
}

}  // namespace
}  // namespace viewer

#include "platform/screen.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(Twips, ConversionFollowsLogicalDpi) {
  ScreenMetrics m;
  m.dpi_x = 96;
  m.dpi_y = 120;
  const TwipsRect t = ToTwips(QRect(10, 20, 1270, 980), m);
  EXPECT_EQ(t.left, 150);
  EXPECT_EQ(t.top, 240);
  EXPECT_EQ(t.width, 19050);
  EXPECT_EQ(t.height, 11760);
  EXPECT_EQ(FromTwips(t, m), QRect(10, 20, 1270, 980));
  m.dpi_x = 144;  // 10 twips per pixel
  EXPECT_EQ(ToTwips(QRect(1, 0, 3, 0), m).width, 30);
}

TEST(Screen, DefaultScreenHasAWorkArea) {
  const ScreenMetrics m = CurrentScreen().Metrics();
  EXPECT_GT(m.work_area.width(), 0);
  EXPECT_GT(m.dpi_x, 0);
}

}  // namespace
}  // namespace platform

#include "editor/shell/main_window/header_layout.h"

#include <gtest/gtest.h>

namespace ruvel {
namespace {

TEST(HeaderLayout, PositionsInTwips) {
  const HeaderLayout l = LayOutHeader({600, 500, 450, 700}, {330, 330, 330, 330, 330, 330}, 15000);
  // Labels: 50, then each width + 100.
  EXPECT_EQ(l.labels[0], (TwipsBox{50, 80, 600, 330}));
  EXPECT_EQ(l.labels[1], (TwipsBox{750, 80, 500, 330}));
  EXPECT_EQ(l.labels[2], (TwipsBox{1350, 80, 450, 330}));
  EXPECT_EQ(l.labels[3], (TwipsBox{1900, 80, 700, 330}));
  // After the last gap (2700) add 80.
  EXPECT_EQ(l.separator, (TwipsBox{2780, 8, 3, 330}));
  // 100 on from the separator's left, then each width + 150.
  EXPECT_EQ(l.buttons[0], (TwipsBox{2880, 75, 330, 330}));
  EXPECT_EQ(l.buttons[1].left, 3360);
  EXPECT_EQ(l.buttons[5], (TwipsBox{2880 + 5 * 480, 75, 330, 330}));
  // x after the last gap = 2880 + 6 * 480 = 5760.
  EXPECT_EQ(l.info, (TwipsBox{5880, 8, 15000 - 5760, kInfoPanelHeight}));
  EXPECT_FALSE(l.stamp_shown);
}

TEST(HeaderLayout, StampPanelAndResize) {
  HeaderLayout l = LayOutHeader({600, 500, 450, 700}, {330, 330, 330, 330, 330, 330}, 15000);
  const int32_t right5 = l.buttons[5].left + 330;  // 5610
  PlaceAfterButtons(&l, true, 450, 15000);
  EXPECT_TRUE(l.stamp_shown);
  EXPECT_EQ(l.stamp, (TwipsBox{right5 + 50, 10, 450, kStampPanelHeight}));
  EXPECT_EQ(l.info, (TwipsBox{right5 + 50 + 450 + 120, 8, 15000 - (right5 + 500), kInfoPanelHeight}));
  PlaceAfterButtons(&l, false, 450, 15000);
  EXPECT_EQ(l.info.left, right5 + 50 + 120);

  WidenInfo(&l, 12000);
  EXPECT_EQ(l.info.width, 12000 - l.info.left - 300);
  // Too narrow: the width stays.
  const int32_t kept = l.info.width;
  WidenInfo(&l, l.info.left + 350);
  EXPECT_EQ(l.info.width, kept);
}

}  // namespace
}  // namespace ruvel

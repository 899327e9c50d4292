#include "thumb/grid_layout.h"

#include <gtest/gtest.h>

#include "thumb/thumb_ids.h"

namespace thumb {
namespace {

GridParams Params(int w, int h, int style = mvButton, bool button3d = false, bool captions = false) {
  GridParams p;
  p.client_width = w;
  p.client_height = h;
  p.style = style;
  p.button3d = button3d;
  p.disp_file_name = captions;
  return p;
}

TEST(GridLayout, ButtonCellsAndGaps) {
  GridLayout g;
  ASSERT_EQ(ComputeLayout(Params(200, 200), &g), 0);
  EXPECT_EQ(g.w, 92);
  EXPECT_EQ(g.h, 92);
  ASSERT_EQ(g.cells.size(), 4u);
  EXPECT_EQ(g.cells[0].rect, (Rect{5, 5, 97, 97}));
  EXPECT_EQ(g.cells[1].rect.left, 102);
  EXPECT_EQ(g.cells[2].rect.top, 102);
  // 3-D buttons pull each side in by 2; the buffer stays at the cell origin.
  ASSERT_EQ(ComputeLayout(Params(200, 200, mvButton, true), &g), 0);
  EXPECT_EQ(g.cells[1].rect, (Rect{104, 7, 192, 95}));
  EXPECT_EQ(g.cells[1].origin, (Rect{102, 5, 194, 97}));
}

TEST(GridLayout, FilmIgnoresTheGap) {
  GridLayout g;
  GridParams p = Params(200, 200, mvFilm, true);
  for (int gap : {0, 5, 40}) {
    p.gap = gap;
    ASSERT_EQ(ComputeLayout(p, &g), 0);
    EXPECT_EQ(g.w, 95);
    EXPECT_EQ(g.cells[0].rect.left, 5);
    EXPECT_EQ(g.cells[1].rect.left, 101);  // 1 pixel apart, and no 3-D pull in film
  }
}

TEST(GridLayout, PictureAndCaptionAreas) {
  GridLayout g;
  GridParams p = Params(110, 110, mvButton, false, true);
  p.cols = p.rows = 1;
  ASSERT_EQ(ComputeLayout(p, &g), 0);
  ASSERT_EQ(g.w, 100);
  Rect a = PictureArea(g, g.cells[0], p);
  EXPECT_EQ(a.width(), 80);
  EXPECT_EQ(a.height(), 70);
  p.disp_file_name = false;
  EXPECT_EQ(PictureArea(g, g.cells[0], p).height(), 80);
  p.style = mvFilm;
  p.disp_file_name = true;
  ASSERT_EQ(ComputeLayout(p, &g), 0);
  EXPECT_EQ(PictureArea(g, g.cells[0], p).height(), 60);
  const Rect film_caption = CaptionRect(g, g.cells[0], p);
  EXPECT_EQ(film_caption.bottom, g.cells[0].rect.bottom - 10);
  EXPECT_EQ(film_caption.top, g.cells[0].rect.bottom - 27);
  p.style = mvButton;
  const Rect caption = CaptionRect(g, g.cells[0], p);
  EXPECT_EQ(caption.left, g.cells[0].rect.left + 5);
  EXPECT_EQ(caption.right, g.cells[0].rect.right - 5);
  EXPECT_EQ(caption.top, g.cells[0].rect.bottom - 18);
}

TEST(GridLayout, NonPositiveCountsAreStatusFive) {
  GridLayout g;
  GridParams p = Params(200, 200);
  p.cols = 0;
  EXPECT_EQ(ComputeLayout(p, &g), kStatusBadValue);
  EXPECT_TRUE(g.cells.empty());
  p.cols = 2;
  p.rows = -1;
  EXPECT_EQ(ComputeLayout(p, &g), kStatusBadValue);
}

TEST(GridLayout, FilmHolesAreSpreadEvenly) {
  const auto holes = FilmHoles(Rect{0, 0, 100, 100});
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(holes[k].left, static_cast<int>(k * 20 + 5 + 0.5));
    EXPECT_EQ(holes[k].width(), 10);
    EXPECT_EQ(holes[k].height(), 4);
    EXPECT_EQ(holes[k].top, 3);
    EXPECT_EQ(holes[5 + k].bottom, 97);
  }
}

TEST(GridLayout, EntryMappingAndLines) {
  // Vertical: rows of ColCount; horizontal: columns of RowCount.
  EXPECT_EQ(EntryAt(4, 1, 1, 3, 2, false), 4 + 1 + 3);
  EXPECT_EQ(EntryAt(4, 1, 1, 3, 2, true), 4 + 1 + 2);
  EXPECT_EQ(LineCount(7, 2), 4);
  EXPECT_EQ(LineCount(8, 2), 4);
  EXPECT_EQ(LineCount(0, 2), 0);
}

}  // namespace
}  // namespace thumb

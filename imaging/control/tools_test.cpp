// The floating windows: pan window and drawing toolbar.
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "imaging/control/draw_toolbar.h"
#include "imaging/control/internal/test_support.h"
#include "imaging/control/morvik.h"
#include "imaging/control/pan_window.h"

namespace imaging::control {
namespace {

using testing::Pattern;
using testing::ShownControl;

Image White(int w, int h) {
  Image img;
  EXPECT_TRUE(Image::Create(w, h, 24, &img).ok());
  std::fill(img.data(), img.data() + img.data_size(), uint8_t{255});
  return img;
}

TEST(MorvikPanWindow, ShowsFrameAndScrollsTheView) {
  auto view = ShownControl(300, 200);
  ASSERT_TRUE(view->ReplaceImage(Pattern(1200, 800)));
  ASSERT_TRUE(view->DrawImage(kViewActual));
  QSignalSpy changed(view.get(), &Morvik::PanWindowChanged);
  PanWindow& pan = view->PanWindow();
  pan.ShowAt(QPoint(20, 30));
  QApplication::processEvents();
  EXPECT_TRUE(pan.IsShown());
  ASSERT_GE(changed.count(), 1);
  EXPECT_TRUE(changed.last().at(0).toBool());
  // The frame covers the visible part: about a quarter of the width.
  const QRect frame = pan.FrameRect();
  EXPECT_NEAR(frame.width(), 200 * (300.0 - 14) / 1200, 4);
  EXPECT_NEAR(frame.left(), 4, 2);
  // A click in the overview centres the view there.
  const QPoint target(pan.width() / 2, pan.height() / 2);
  QTest::mouseClick(&pan, Qt::LeftButton, Qt::NoModifier, target);
  const QPointF centre = view->ViewToPicture(QPointF(view->viewport()->width() / 2.0, view->viewport()->height() / 2.0));
  EXPECT_NEAR(centre.x(), 600, 10);
  EXPECT_NEAR(centre.y(), 400, 10);
  EXPECT_NEAR(pan.FrameRect().center().x(), target.x(), 3);
  pan.HideWindow();
  QApplication::processEvents();
  EXPECT_FALSE(changed.last().at(0).toBool());
}

TEST(MorvikPanWindow, AutoHideWhileWholePictureFits) {
  auto view = ShownControl(300, 200);
  ASSERT_TRUE(view->ReplaceImage(Pattern(1200, 800)));
  ASSERT_TRUE(view->DrawImage(kViewActual));
  view->PanWindow().SetOption(PanWindow::kAutoHide, true);
  view->PanWindow().ShowAt(QPoint(0, 0));
  ASSERT_TRUE(view->DrawImage(kViewScale));
  EXPECT_FALSE(view->PanWindow().IsShown());
  ASSERT_TRUE(view->DrawImage(kViewActual));
  EXPECT_TRUE(view->PanWindow().IsShown());
}

TEST(MorvikDrawToolbar, StyleToolsAndClosing) {
  auto view = ShownControl(300, 300);
  DrawToolbar& bar = view->DrawToolbar();
  bar.SetStyle(true, 10, true, "ToolBar", 50, 0, 0xFFFFFF);
  EXPECT_EQ(bar.Caption(), "ToolBar");
  QSignalSpy selected(view.get(), &Morvik::ToolSelected);
  QSignalSpy closed(view.get(), &Morvik::ToolbarClosed);
  bar.ShowToolbar();
  bar.SelectTool(DrawToolbar::kToolEllipse);
  ASSERT_EQ(selected.count(), 1);
  EXPECT_EQ(selected.at(0).at(0).toInt(), 5);
  bar.HideToolbar();  // quiet
  EXPECT_EQ(closed.count(), 0);
  bar.ShowToolbar();
  bar.Close();
  ASSERT_EQ(closed.count(), 1);
  EXPECT_FALSE(closed.at(0).at(0).toBool());
  EXPECT_FALSE(bar.IsShown());
}

TEST(MorvikDrawToolbar, LineToolPaintsAndReportsPoints) {
  auto view = ShownControl(300, 300);
  ASSERT_TRUE(view->ReplaceImage(White(100, 100)));
  ASSERT_TRUE(view->DrawImage(kViewActual));
  DrawToolbar& bar = view->DrawToolbar();
  bar.ShowToolbar();
  bar.SelectTool(DrawToolbar::kToolLine);
  bar.SetColour(QColor(255, 0, 0));
  bar.SetPenWidth(3);
  QSignalSpy clicks(view.get(), &Morvik::ImageClick);
  const QPoint a = view->PictureToView(QPointF(10, 50)).toPoint();
  const QPoint b = view->PictureToView(QPointF(90, 50)).toPoint();
  QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, a);
  // The click is raised before the stroke lands.
  ASSERT_EQ(clicks.count(), 1);
  EXPECT_EQ(view->image().PixelRgb(50, 50), 0xFFFFFFu);
  QTest::mouseMove(view->viewport(), b);
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, b);
  EXPECT_TRUE(bar.Drawn());
  ASSERT_EQ(bar.PointCount(), 2);
  EXPECT_EQ(bar.PointX(0), 10);
  EXPECT_EQ(bar.PointX(1), 90);
  EXPECT_EQ(view->image().PixelRgb(50, 50), 0xFF0000u);
  EXPECT_EQ(view->image().PixelRgb(50, 40), 0xFFFFFFu);
  EXPECT_EQ(view->RangeRight(), 0);  // no selection while drawing
}

TEST(MorvikDrawToolbar, RangeToolFramesFourCornersWithoutPainting) {
  auto view = ShownControl(300, 300);
  ASSERT_TRUE(view->ReplaceImage(White(100, 100)));
  ASSERT_TRUE(view->DrawImage(kViewActual));
  DrawToolbar& bar = view->DrawToolbar();
  bar.ShowToolbar();
  bar.SelectTool(DrawToolbar::kToolRange);
  const QPoint a = view->PictureToView(QPointF(20, 30)).toPoint();
  const QPoint b = view->PictureToView(QPointF(60, 70)).toPoint();
  QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, a);
  QTest::mouseMove(view->viewport(), b);
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, b);
  ASSERT_EQ(bar.PointCount(), 4);
  EXPECT_EQ(bar.PointX(0), 20);
  EXPECT_EQ(bar.PointY(0), 30);
  EXPECT_EQ(bar.PointX(2), 60);
  EXPECT_EQ(bar.PointY(2), 70);
  EXPECT_FALSE(bar.Drawn());
  EXPECT_EQ(view->image().PixelRgb(20, 30), 0xFFFFFFu);
}

TEST(MorvikDrawToolbar, FillTextAndDrawTargets) {
  auto view = ShownControl(300, 300);
  Image img = White(60, 60);
  for (int i = 0; i < 60; ++i) img.SetPixelRgb(30, i, 0x000000);  // a wall
  ASSERT_TRUE(view->ReplaceImage(std::move(img)));
  ASSERT_TRUE(view->DrawImage(kViewActual));
  DrawToolbar& bar = view->DrawToolbar();
  bar.ShowToolbar();
  bar.SelectTool(DrawToolbar::kToolFill);
  bar.SetColour(QColor(0, 0, 255));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, view->PictureToView(QPointF(5.5, 5.5)).toPoint());
  EXPECT_EQ(view->image().PixelRgb(29, 59), 0x0000FFu);
  EXPECT_EQ(view->image().PixelRgb(30, 10), 0x000000u);
  EXPECT_EQ(view->image().PixelRgb(31, 10), 0xFFFFFFu);

  // Marks on the view leave the pixels alone and go with Redraw().
  const MemHandle before = view->ImageHandle();
  bar.SetDrawTarget(0);
  EXPECT_TRUE(bar.DrawRect(40, 40, 44, 44));
  EXPECT_TRUE(bar.DrawLine(35, 10, 55, 50));
  EXPECT_EQ(view->ImageHandle(), before);
  bar.SetDrawTarget(1);
  EXPECT_TRUE(bar.DrawLine(35, 30, 55, 30));
  EXPECT_NE(view->ImageHandle(), before);
  EXPECT_EQ(view->image().PixelRgb(45, 30), 0x0000FFu);

  bar.SelectTool(DrawToolbar::kToolText);
  bar.SetText("A");
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, view->PictureToView(QPointF(40, 55)).toPoint());
  bool changed = false;
  for (int y = 35; y < 58 && !changed; ++y)
    for (int x = 38; x < 60; ++x)
      if (view->image().PixelRgb(x, y) != 0xFFFFFFu && y != 30) changed = true;
  EXPECT_TRUE(changed);
}

}  // namespace
}  // namespace imaging::control

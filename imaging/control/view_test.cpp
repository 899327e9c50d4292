#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>
#include <QStyle>
#include <QTest>
#include <cmath>

#include <gtest/gtest.h>

#include "imaging/control/internal/test_support.h"
#include "imaging/control/morvik.h"

namespace imaging::control {
namespace {

using testing::Pattern;
using testing::ShownControl;

int ScrollBarExtent(const Morvik& v) { return v.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &v); }

TEST(MorvikView, ViewModesGiveTheirDisplayedSize) {
  auto view = ShownControl(300, 300);
  ASSERT_TRUE(view->ReplaceImage(Pattern(400, 200)));
  ASSERT_TRUE(view->DrawImage(kViewScale));
  EXPECT_EQ(view->DisplayedSize(), QSize(300, 150));
  ASSERT_TRUE(view->DrawImage(kViewStretch));
  EXPECT_EQ(view->DisplayedSize(), QSize(300, 300));
  view->SetZoomX(0.5);
  view->SetZoomY(0.5);
  ASSERT_TRUE(view->DrawImage(kViewActual));
  EXPECT_EQ(view->DisplayedSize(), QSize(200, 100));
  ASSERT_TRUE(view->DrawImage(kViewFitWidth));
  EXPECT_EQ(view->DisplayedSize(), QSize(300, 150));
  // Fitting the height makes the picture wider than the view: a horizontal
  // scroll bar appears and the height left for the picture shrinks by it.
  ASSERT_TRUE(view->DrawImage(kViewFitHeight));
  const int h = 300 - ScrollBarExtent(*view);
  EXPECT_EQ(view->DisplayedSize(), QSize(2 * h, h));
  EXPECT_EQ(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(view->horizontalScrollBar()->maximum(), 2 * h - 300);
}

TEST(MorvikView, ActualSizeScrollsOnlyWhenLarger) {
  auto view = ShownControl(300, 200);
  ASSERT_TRUE(view->ReplaceImage(Pattern(250, 150)));
  ASSERT_TRUE(view->DrawImage(kViewActual));
  EXPECT_EQ(view->DisplayedSize(), QSize(250, 150));
  EXPECT_EQ(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  // Centred when smaller than the view.
  EXPECT_EQ(view->DisplayOrigin(), QPoint(25, 25));
  view->SetZoomX(2.0);
  view->SetZoomY(2.0);
  view->Redraw();
  EXPECT_EQ(view->DisplayedSize(), QSize(500, 300));
  EXPECT_EQ(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(view->horizontalScrollBar()->maximum(), 500 - (300 - ScrollBarExtent(*view)));
}

TEST(MorvikView, DrawImageFailures) {
  auto view = ShownControl(200, 200);
  EXPECT_FALSE(view->DrawImage(1));
  EXPECT_EQ(view->ErrorCode(), 24);
  ASSERT_TRUE(view->ReplaceImage(Pattern(10, 10)));
  EXPECT_FALSE(view->DrawImage(6));
  EXPECT_EQ(view->ErrorCode(), 5);
  EXPECT_FALSE(view->DrawImage(0));
  EXPECT_TRUE(view->DrawImage(2));
  EXPECT_EQ(view->ErrorCode(), 0);
}

TEST(MorvikView, ViewResetScrollsToTopLeft) {
  auto view = ShownControl(200, 200);
  ASSERT_TRUE(view->ReplaceImage(Pattern(1000, 1000)));
  ASSERT_TRUE(view->DrawImage(kViewActual));
  view->ScrollTo(QPoint(300, 400));
  EXPECT_EQ(view->ScrollPosition(), QPoint(300, 400));
  view->SetViewReset(true);
  ASSERT_TRUE(view->DrawImage(kViewActual));
  EXPECT_EQ(view->ScrollPosition(), QPoint(0, 0));
  EXPECT_FALSE(view->ViewReset());
}

TEST(MorvikView, PaintShowsThePicturePixels) {
  auto view = ShownControl(200, 200);
  Image img = Pattern(100, 100);
  for (int y = 40; y < 60; ++y)
    for (int x = 40; x < 60; ++x) img.SetPixelRgb(x, y, 0x00FF00);
  ASSERT_TRUE(view->ReplaceImage(std::move(img)));
  for (int mode : {1, 3}) {
    ASSERT_TRUE(view->DrawImage(mode));
    const QImage shot = view->viewport()->grab().toImage();
    const QPointF centre = view->PictureToView(QPointF(50, 50));
    EXPECT_EQ(shot.pixel(centre.toPoint()) & 0xFFFFFF, 0x00FF00u) << "mode " << mode;
    // Around the picture: the grey background.
    if (mode == 3) {
      EXPECT_EQ(shot.pixel(5, 5) & 0xFFFFFF, 0x808080u);
    }
  }
}

// Drags in the viewport from picture point a to picture point b.
void DragBetween(Morvik& view, QPointF a, QPointF b) {
  const QPoint va = view.PictureToView(a).toPoint();
  const QPoint vb = view.PictureToView(b).toPoint();
  QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, va);
  QTest::mouseMove(view.viewport(), (va + vb) / 2);
  QTest::mouseMove(view.viewport(), vb);
  QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, vb);
}

TEST(MorvikSelection, RubberBandGivesPictureRectangleInEveryMode) {
  struct Case {
    int mode;
    double zoom;
  };
  const Case cases[] = {{1, 1}, {2, 1}, {3, 0.5}, {3, 1}, {3, 2.5}, {4, 1}, {5, 1}};
  for (const Case& c : cases) {
    auto view = ShownControl(300, 200);
    ASSERT_TRUE(view->ReplaceImage(Pattern(200, 160)));
    view->SetZoomX(c.zoom);
    view->SetZoomY(c.zoom);
    ASSERT_TRUE(view->DrawImage(c.mode));
    if (c.zoom > 1) view->ScrollTo(QPoint(60, 50));
    const double scale = double(view->DisplayedSize().width()) / 200.0;
    const int tol = static_cast<int>(std::ceil(1.0 / scale)) + 1;
    // Stay inside the visible part when scrolled.
    const QPointF a = c.zoom > 1 ? QPointF(40, 30) : QPointF(20, 15);
    const QPointF b = c.zoom > 1 ? QPointF(120, 80) : QPointF(150, 120);
    DragBetween(*view, a, b);
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " zoom " << c.zoom);
    EXPECT_NEAR(view->RangeLeft(), a.x(), tol);
    EXPECT_NEAR(view->RangeTop(), a.y(), tol);
    EXPECT_NEAR(view->RangeRight(), b.x(), tol);
    EXPECT_NEAR(view->RangeBottom(), b.y(), tol);
  }
}

TEST(MorvikSelection, RubberBandIsClampedAndClickClears) {
  auto view = ShownControl(300, 300);
  ASSERT_TRUE(view->ReplaceImage(Pattern(100, 100)));
  ASSERT_TRUE(view->DrawImage(kViewActual));  // centred, grey all around
  QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
  QTest::mouseMove(view->viewport(), QPoint(290, 290));
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(295, 295));
  EXPECT_EQ(view->RangeLeft(), 50);
  EXPECT_EQ(view->RangeTop(), 50);
  EXPECT_EQ(view->RangeRight(), 100);
  EXPECT_EQ(view->RangeBottom(), 100);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
  EXPECT_EQ(view->RangeRight(), 0);
  EXPECT_EQ(view->RangeBottom(), 0);
}

TEST(MorvikSelection, DragMoveScrollsAndSelectsNothing) {
  auto view = ShownControl(300, 200);
  ASSERT_TRUE(view->ReplaceImage(Pattern(1000, 800)));
  ASSERT_TRUE(view->DrawImage(kViewActual));
  view->ScrollTo(QPoint(100, 100));
  view->SetDragMove(true);
  EXPECT_FALSE(view->RectSelect());
  QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 100));
  QTest::mouseMove(view->viewport(), QPoint(120, 80));
  QTest::mouseMove(view->viewport(), QPoint(100, 60));
  QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 60));
  EXPECT_EQ(view->ScrollPosition(), QPoint(150, 140));
  EXPECT_EQ(view->RangeRight(), 0);
}

TEST(MorvikSelection, ClicksReportButtonPointAndColour) {
  auto view = ShownControl(300, 300);
  ASSERT_TRUE(view->ReplaceImage(Pattern(100, 100)));
  ASSERT_TRUE(view->DrawImage(kViewActual));
  std::vector<std::tuple<int, int, int>> clicks;
  QObject::connect(view.get(), &Morvik::ImageClick,
                   [&](int b, int x, int y) { clicks.emplace_back(b, x, y); });
  const QPoint at = view->PictureToView(QPointF(30.2, 70.2)).toPoint();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, at);
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[0], std::make_tuple(1, 30, 70));
  EXPECT_EQ(std::get<0>(clicks[1]), 2);
  EXPECT_EQ(view->PointRed(), 30);
  EXPECT_EQ(view->PointGreen(), 70);
  EXPECT_EQ(view->PointBlue(), 100);
}

TEST(MorvikSelection, PointerShapesAndFile) {
  auto view = ShownControl(100, 100);
  view->SetPointerShape(17);
  EXPECT_EQ(view->viewport()->cursor().shape(), Qt::CrossCursor);
  view->SetPointerShape(14);
  EXPECT_EQ(view->viewport()->cursor().shape(), Qt::WaitCursor);
  view->SetPointerShape(3);
  EXPECT_EQ(view->ErrorCode(), 5);
  EXPECT_EQ(view->PointerShape(), 14);
  view->SetPointerFile("/nonexistent/Hand.cur");
  EXPECT_EQ(view->ErrorCode(), 6);
  view->SetPointerShape(15);
  EXPECT_EQ(view->viewport()->cursor().shape(), Qt::ArrowCursor);
  const QString png = QDir::temp().filePath("morvik_cursor_test.png");
  QImage cur(16, 16, QImage::Format_ARGB32);
  cur.fill(Qt::red);
  ASSERT_TRUE(cur.save(png));
  view->SetPointerFile(png);
  EXPECT_EQ(view->ErrorCode(), 0);
  EXPECT_EQ(view->viewport()->cursor().shape(), Qt::BitmapCursor);
  QFile::remove(png);
}

TEST(MorvikSelection, DroppedFilesAreReported) {
  auto view = ShownControl(100, 100);
  QStringList got;
  QObject::connect(view.get(), &Morvik::FileDropped, [&](const QString& p) { got << p; });
  auto* mime = new QMimeData;
  mime->setUrls({QUrl::fromLocalFile("/tmp/a.jpg"), QUrl("http://example.com/b.png")});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(view->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(view->viewport(), &drop);
  EXPECT_EQ(got, QStringList{"/tmp/a.jpg"});
  delete mime;
}

}  // namespace
}  // namespace imaging::control

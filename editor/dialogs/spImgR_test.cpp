#include "editor/dialogs/spImgR.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>

#include "editor/dialogs/dialog_test_support.h"
#include "imaging/control/processor.h"

namespace ruvel {
namespace {

using testing::AnswerImageMenu;
using testing::Direct;
using testing::EditorControl;
using testing::RunWhileShown;
using testing::SamePixels;
using testing::TestPicture;

TEST(spImgRAngle, BaseLineAngles) {
  // A line rising 45 degrees to the right.
  EXPECT_EQ(StraighteningAngle({0, 100, 100, 0}, false), -4500);
  EXPECT_EQ(StraighteningAngle({0, 100, 100, 0}, true), 4500);
  EXPECT_EQ(StraighteningAngle({0, 0, 100, 100}, false), 4500);
  EXPECT_EQ(StraighteningAngle({0, 0, 100, 100}, true), -4500);
  EXPECT_EQ(StraighteningAngle({5, 7, 90, 7}, false), 0);
  EXPECT_EQ(StraighteningAngle({5, 7, 5, 90}, true), 0);
  // 30 degrees: within a hundredth of a degree of the true angle.
  const BaseLine thirty{100, 600, 100 + 8660, 600 - 5000};
  EXPECT_NEAR(StraighteningAngle(thirty, false) / 100.0, -30.0, 0.01);
  EXPECT_NEAR(StraighteningAngle(thirty, true) / 100.0, 60.0, 0.01);
}

// The angle (degrees) of the dark line in `img`, by a least-squares fit
// through each column's dark-pixel centroid.
double DarkLineAngle(const QImage& img, int x0, int x1) {
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  int n = 0;
  for (int x = x0; x < x1; ++x) {
    double weight = 0, moment = 0;
    for (int y = 0; y < img.height(); ++y) {
      const double dark = 255 - qGray(img.pixel(x, y));
      if (dark < 40) continue;
      weight += dark;
      moment += dark * y;
    }
    if (weight == 0) continue;
    const double cy = moment / weight;
    sx += x, sy += cy, sxx += double(x) * x, sxy += x * cy;
    ++n;
  }
  const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
  return std::atan(slope) * 180.0 / M_PI;
}

TEST(spImgR, BaseLineAtThirtyDegreesStraightens) {
  // A white picture with a black line rising 30 degrees to the right.
  QImage picture(400, 300, QImage::Format_RGB888);
  picture.fill(Qt::white);
  const QPointF a(50, 250), b(50 + 300 * std::cos(M_PI / 6), 250 - 300 * std::sin(M_PI / 6));
  {
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(a, b);
  }
  ASSERT_NEAR(DarkLineAngle(picture, 70, 290), -30.0, 0.2);
  EditorControl editor(picture);
  spImgR d;
  AnswerImageMenu answer(QStringLiteral("画像を更新して閉じる"));
  RunWhileShown(&d, [&] {
    EXPECT_FALSE(d.cmLine(0)->isEnabled());
    d.PictureClicked(static_cast<int>(a.x()), static_cast<int>(a.y()));
    EXPECT_EQ(d.lbPoint()->text(), QStringLiteral("基準線の終了位置を指定して下さい"));
    d.PictureClicked(static_cast<int>(std::lround(b.x())), static_cast<int>(std::lround(b.y())));
    EXPECT_EQ(d.lbPoint()->text(), QStringLiteral("画像の回転方向を指定して下さい"));
    EXPECT_TRUE(d.cmLine(0)->isEnabled());
    d.PictureClicked(1, 1);  // a third click is ignored
    EXPECT_EQ(d.LineStep(), 2);
    d.cmLine(0)->click();
    d.lbCom(0)->click();
  });
  EXPECT_TRUE(d.Open(*editor.mv, 1, QStringLiteral("24.")));
  const QImage result = editor.Pixels();
  EXPECT_GT(result.width(), picture.width());  // "調整する": the picture grows
  const double angle = DarkLineAngle(result, result.width() / 2 - 100, result.width() / 2 + 100);
  EXPECT_NEAR(angle, 0.0, 0.05);
}

TEST(spImgR, FixedTurnsEqualTheDirectCallsAndConvertOnce) {
  const QImage picture = TestPicture().convertToFormat(QImage::Format_Indexed8);
  EditorControl editor(picture);
  EditorControl reference(picture);
  ASSERT_EQ(reference.mv->Object()->image().bpp(), 8);
  ASSERT_TRUE(Direct(reference).ConvertDepth(16, false, true, 128));
  ASSERT_TRUE(Direct(reference).RotateImage(-9000, false, false, true, 255, 255, 255, false));
  ASSERT_TRUE(Direct(reference).RotateImage(0, true, false, true, 255, 255, 255, false));
  spImgR d;
  AnswerImageMenu answer(QStringLiteral("画像を更新して閉じる"));
  RunWhileShown(&d, [&] {
    EXPECT_EQ(d.cmRect(2)->text(), QStringLiteral("右 90度"));
    d.cmRect(2)->click();
    d.cmRect(5)->click();
    d.lbCom(0)->click();
  });
  EXPECT_TRUE(d.Open(*editor.mv, 1, QStringLiteral("8.")));
  EXPECT_EQ(editor.mv->Object()->image().bpp(), 16);
  EXPECT_TRUE(SamePixels(editor.Pixels(), reference.Pixels()));
}

TEST(spImgR, UndoAndClosingWithoutAChoiceChangeNothing) {
  const QImage picture = TestPicture();
  EditorControl editor(picture);
  const imaging::MemHandle handle = editor.mv->ImageHandle();
  spImgR d;
  AnswerImageMenu answer{QString()};  // Escape on the menu
  RunWhileShown(&d, [&] {
    d.cmRect(2)->click();
    d.cmRect(2)->click();
    d.lbCom(1)->click();  // back to the picture as opened
    EXPECT_TRUE(SamePixels(d.mvImg().Picture(), picture));
    d.cmRect(0)->click();
    d.lbCom(0)->click();  // no choice: nothing applied, still open
    EXPECT_TRUE(d.isVisible());
  });
  EXPECT_FALSE(d.Open(*editor.mv, 1, QStringLiteral("24.")));
  EXPECT_EQ(editor.mv->ImageHandle(), handle);
  EXPECT_TRUE(SamePixels(editor.Pixels(), picture));
  EXPECT_EQ(d.mvImg().ImageHandle(), 0u);
}

TEST(spImgR, ClicksOnThePreviewSetTheBaseLine) {
  EditorControl editor(TestPicture(200, 150));
  spImgR d;
  RunWhileShown(&d, [&] {
    QWidget* view = d.mvImg().viewport();
    for (const QPoint p : {QPoint(20, 120), QPoint(180, 40)}) {
      const QPointF at = d.mvImg().PictureToViewport(p);
      QMouseEvent press(QEvent::MouseButtonPress, at, view->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
      QMouseEvent release(QEvent::MouseButtonRelease, at, view->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
      QApplication::sendEvent(view, &press);
      QApplication::sendEvent(view, &release);
    }
    EXPECT_EQ(d.LineStep(), 2);
    EXPECT_TRUE(d.cmLine(1)->isEnabled());
    d.cmClr()->click();
    EXPECT_EQ(d.LineStep(), 0);
    EXPECT_FALSE(d.cmLine(0)->isEnabled());
    EXPECT_EQ(d.lbPoint()->text(), QStringLiteral("基準線の開始位置を指定して下さい"));
  });
  EXPECT_FALSE(d.Open(*editor.mv, 1, QStringLiteral("24.")));
}

TEST(spImgR, ActualSizeAndMagnifier) {
  EditorControl editor(TestPicture());
  spImgR d;
  RunWhileShown(&d, [&] {
    EXPECT_FALSE(d.imDsp()->isEnabled());
    d.chDsp()->click();
    EXPECT_TRUE(d.imDsp()->isEnabled());
    testing::MouseClick(d.imDsp(), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(d.mvImg().ZoomX(), 1.5);
    testing::MouseClick(d.imDsp(), Qt::RightButton);
    EXPECT_DOUBLE_EQ(d.mvImg().ZoomY(), 1.0);
  });
  EXPECT_FALSE(d.Open(*editor.mv, 1, QStringLiteral("24.")));
}

}  // namespace
}  // namespace ruvel

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include "editor/picture_edit/urve.h"
#include "editor/picture_edit/urve_test_support.h"

namespace ruvel {
namespace {

using testing::ControlFixture;
using testing::EventLog;
using testing::Pattern;

class ViewTest : public ControlFixture {
 protected:
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QWidget* vp = pic_->Seam().mvImg().viewport();
    QMouseEvent e(type, QPointF(at), QPointF(vp->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(vp, &e);
  }
  // Drags with the left button between two picture points.
  void Drag(QPoint from_picture, QPoint to_picture) {
    MvInstance& mv = pic_->Seam().mvImg();
    const QPoint a = mv.PictureToViewport(from_picture);
    const QPoint b = mv.PictureToViewport(to_picture);
    Mouse(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, (a + b) / 2, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
  }
  QRect Range() {
    int32_t l = 0, r = 0, t = 0, b = 0;
    if (!pic_->GetRange(&l, &r, &t, &b)) return {};
    return QRect(QPoint(l, t), QPoint(r, b));
  }
};

TEST_F(ViewTest, MouseSelectionInEveryViewMode) {
  Load(Pattern(400, 300));
  struct Case {
    const char* word;
    double zoom;
  };
  for (const Case& c : {Case{"ｽｹｰﾙ", 0}, Case{"ｽﾄﾚｯﾁ", 0}, Case{"実寸", 1.0}, Case{"実寸", 2.0}, Case{"横合わせ", 0},
                        Case{"縦合わせ", 0}}) {
    SCOPED_TRACE(std::string(c.word) + " " + std::to_string(c.zoom));
    pic_->ClearRange();
    pic_->SetView(QString::fromUtf8(c.word), c.zoom);
    ASSERT_TRUE(pic_->LastOk());
    QApplication::processEvents();
    Drag(QPoint(40, 30), QPoint(200, 150));
    const QRect r = Range();
    ASSERT_FALSE(r.isNull());
    EXPECT_NEAR(r.left(), 40, 1);
    EXPECT_NEAR(r.top(), 30, 1);
    EXPECT_NEAR(r.right(), 200, 1);
    EXPECT_NEAR(r.bottom(), 150, 1);
    EXPECT_TRUE(pic_->HasRange());
    EXPECT_TRUE(pic_->GtMnState().selection);
    ASSERT_TRUE(pic_->BuildRegion());
    EXPECT_EQ(pic_->RegionX(), (std::array<int32_t, 4>{r.left(), r.right(), r.right(), r.left()}));
    EXPECT_EQ(pic_->RegionY(), (std::array<int32_t, 4>{r.top(), r.top(), r.bottom(), r.bottom()}));
  }
  pic_->ClearRange();
  EXPECT_FALSE(pic_->HasRange());
  EXPECT_FALSE(pic_->BuildRegion());
}

TEST_F(ViewTest, MoveModeDragDoesNotSelect) {
  Load(Pattern(1200, 900));
  pic_->SetView(QStringLiteral("実寸"), 1.0);
  pic_->pcAct(QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"), QStringLiteral("位置移動"));
  MvInstance& mv = pic_->Seam().mvImg();
  EXPECT_EQ(pic_->MouseMode(), 1);
  EXPECT_FALSE(mv.RectSelect());
  EXPECT_TRUE(mv.DragMove());
  EXPECT_EQ(mv.PointerShape(), 15);
  // No Hand.cur in the program's data folder: no cursor file.
  EXPECT_TRUE(mv.PointerFile().isEmpty());
  Drag(QPoint(300, 300), QPoint(100, 100));
  EXPECT_TRUE(Range().isNull());

  pic_->pcAct(QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"), QStringLiteral("矩形選択"));
  EXPECT_EQ(pic_->MouseMode(), 0);
  EXPECT_TRUE(mv.RectSelect());
  EXPECT_EQ(mv.PointerShape(), 17);
  pic_->pcAct(QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"), QStringLiteral("何か"));
  EXPECT_EQ(pic_->MouseMode(), 0);
  EXPECT_FALSE(mv.RectSelect());
  EXPECT_FALSE(mv.DragMove());
  EXPECT_EQ(mv.PointerShape(), 0);
}

TEST_F(ViewTest, ViewWordsZoomAndEvents) {
  Load(Pattern(200, 100));
  MvInstance& mv = pic_->Seam().mvImg();
  EventLog log(pic_);
  pic_->SetView(QStringLiteral("実寸"), 0);
  EXPECT_DOUBLE_EQ(mv.ZoomX(), 1.0);
  pic_->pcAct(QStringLiteral("拡大"), QStringLiteral(" 50%"));
  EXPECT_DOUBLE_EQ(mv.ZoomX(), 0.5);
  EXPECT_DOUBLE_EQ(mv.ZoomY(), 0.5);
  pic_->pcAct(QStringLiteral("拡大"), QStringLiteral("1000%"));
  EXPECT_DOUBLE_EQ(mv.ZoomX(), 10.0);
  pic_->pcAct(QStringLiteral("拡大"), QString());
  EXPECT_DOUBLE_EQ(mv.ZoomX(), 1.0);
  mv.SetZoomX(3.0);
  mv.SetZoomY(3.0);
  pic_->SetView(QStringLiteral("実寸B"));
  EXPECT_DOUBLE_EQ(mv.ZoomX(), 3.0);
  EXPECT_EQ(log.events.size(), 5);
  log.events.clear();
  pic_->SetView(QStringLiteral("Refresh"));
  EXPECT_TRUE(log.events.isEmpty());
  pic_->pcAct(QStringLiteral("表示"), QStringLiteral("ｽｹｰﾙ"));
  pic_->pcAct(QStringLiteral("表示"), QStringLiteral("縦合わせ"));
  EXPECT_EQ(log.events, QStringList({"eChgViewMode(1)", "eChgViewMode(5)"}));
  EXPECT_EQ(pic_->ViewMode(), 5);
  pic_->pcAct(QStringLiteral("表示"), QStringLiteral("全画面"));
  EXPECT_EQ(prompt_.texts(), std::vector<QString>({"Err pcView"}));
  EXPECT_EQ(pic_->ViewMode(), 5);
}

TEST_F(ViewTest, ViewWithoutPictureRaisesNothing) {
  EventLog log(pic_);
  pic_->SetView(QStringLiteral("ｽｹｰﾙ"));
  EXPECT_EQ(pic_->ViewMode(), 1);
  EXPECT_FALSE(pic_->LastOk());
  pic_->SetView(QStringLiteral("Refresh"));
  EXPECT_TRUE(log.events.isEmpty());
}

TEST_F(ViewTest, SetRectIsLimitedToThePicture) {
  Load(Pattern(640, 480));
  pic_->SetRect(800, 600);
  EXPECT_EQ(Range(), QRect(QPoint(10, 10), QPoint(640, 480)));
  EXPECT_EQ(pic_->RegionX(), (std::array<int32_t, 4>{10, 640, 640, 10}));
  EXPECT_EQ(pic_->RegionY(), (std::array<int32_t, 4>{10, 10, 480, 480}));
  pic_->SetRect(100, 50);
  EXPECT_EQ(Range(), QRect(QPoint(10, 10), QPoint(110, 60)));
  // A size that leaves nothing changes nothing.
  pic_->SetRect(-20, 50);
  EXPECT_EQ(Range(), QRect(QPoint(10, 10), QPoint(110, 60)));
}

TEST_F(ViewTest, SwapWidthAndHeight) {
  Load(Pattern(300, 300));
  MvInstance& mv = pic_->Seam().mvImg();
  mv.SetRangeLeft(10);
  mv.SetRangeTop(20);
  mv.SetRangeRight(110);
  mv.SetRangeBottom(70);
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("X-Y変換"));
  EXPECT_EQ(Range(), QRect(QPoint(10, 20), QPoint(60, 120)));
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("範囲のｸﾘｱ"));
  EXPECT_TRUE(Range().isNull());
}

TEST_F(ViewTest, WritingRegisteredRangesKeepsValidEntries) {
  pic_->setUsrHani(QStringLiteral("名刺,9.1,5.5,cm:no commas:空,0,5,px:画面,640,480,dot"));
  EXPECT_EQ(pic_->UsrHani(), "名刺,9.1,5.5,cm:画面,640,480,dot");
  EXPECT_TRUE(pic_->PopupMenu().rangeHeaderVisible);
  EXPECT_EQ(pic_->PopupMenu().rangeCaptions, QStringList({"名刺(9.1 * 5.5 cm)", "画面(640 * 480 px)"}));
  pic_->setUsrHani(QStringLiteral("A4,21.0,29.70,CM:"));
  EXPECT_EQ(pic_->UsrHani(), "A4,21.0,29.70,CM");
  EXPECT_EQ(pic_->PopupMenu().rangeCaptions, QStringList({"A4(21 * 29.7 cm)"}));
  pic_->setUsrHani(QStringLiteral("bad"));
  EXPECT_EQ(pic_->UsrHani(), "");
  EXPECT_FALSE(pic_->PopupMenu().rangeHeaderVisible);
  EXPECT_TRUE(pic_->PopupMenu().rangeCaptions.isEmpty());
}

TEST_F(ViewTest, RegisteredCentimetresFollowTheResolution) {
  pic_->setUsrHani(QStringLiteral("名刺,9.1,5.5,cm:画面,640,480,px"));
  struct Case {
    int dpi;
    int right, bottom;  // 10 + size in pixels, rounded
  };
  for (const Case& c : {Case{72, 10 + 258, 10 + 156}, Case{300, 10 + 1075, 10 + 650}, Case{0, 10 + 344, 10 + 208}}) {
    SCOPED_TRACE(c.dpi);
    imaging::Image img = Pattern(2000, 1500);
    img.set_dpi(c.dpi, c.dpi);
    Load(img);
    pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("名刺(9.1 * 5.5 cm)"));
    EXPECT_EQ(Range(), QRect(QPoint(10, 10), QPoint(c.right, c.bottom)));
  }
  // A picture without a resolution was given 96 dpi.
  pic_->Seam().mvImg().ReadImageInfo();
  EXPECT_EQ(pic_->Seam().mvImg().ResolutionX(), 96);
  // Pixel sizes ignore the resolution.
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("画面(640 * 480 px)"));
  EXPECT_EQ(Range(), QRect(QPoint(10, 10), QPoint(650, 490)));
  // A job given as a size.
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("User.Range(120 * 80px)"));
  EXPECT_EQ(Range(), QRect(QPoint(10, 10), QPoint(130, 90)));
}

TEST_F(ViewTest, RangeNamesMatchWholeNames) {
  pic_->setUsrHani(QStringLiteral("大名刺,10,10,cm:名刺,9.1,5.5,cm"));
  imaging::Image img = Pattern(2000, 1500);
  img.set_dpi(72, 72);
  Load(img);
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("名刺(9.1 * 5.5 cm)"));
  EXPECT_EQ(Range(), QRect(QPoint(10, 10), QPoint(268, 166)));
  // Unknown names do nothing.
  pic_->ClearRange();
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("はがき"));
  EXPECT_TRUE(Range().isNull());
}

TEST_F(ViewTest, MarkerInvertsBlueInsideTheSelection) {
  Load(Pattern(100, 80));
  pic_->SetRect(30, 20);  // (10, 10)-(40, 30)
  const QImage before = Shown();
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("ﾏｰｶｰ"));
  EXPECT_EQ(pic_->UndoCount(), 1);
  const QImage after = Shown();
  const QRgb in_before = before.pixel(20, 20), in_after = after.pixel(20, 20);
  EXPECT_EQ(qRed(in_after), qRed(in_before));
  EXPECT_EQ(qGreen(in_after), qGreen(in_before));
  EXPECT_EQ(qBlue(in_after), 255 - qBlue(in_before));
  EXPECT_EQ(after.pixel(70, 60), before.pixel(70, 60));
  EXPECT_TRUE(Range().isNull());
  ASSERT_TRUE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), before);
}

TEST_F(ViewTest, RelativeHighlightDimsOutsideOnPalettePictures) {
  Load(Pattern(100, 80, 8));
  pic_->SetRect(30, 20);
  const QImage before = Shown();
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("相対"));
  EXPECT_EQ(pic_->UndoCount(), 1);
  // The depth comes back after the work at 16 bits.
  EXPECT_EQ(pic_->DepthCode(), "8.");
  const QRgb out = Shown().pixel(80, 70);
  EXPECT_EQ(qRed(out), qGreen(out));
  EXPECT_EQ(qGreen(out), qBlue(out));
  ASSERT_TRUE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), before);
}

TEST_F(ViewTest, RelativeHighlightDimsOutside) {
  Load(Pattern(100, 80));
  pic_->SetRect(30, 20);
  const QImage before = Shown();
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("相対"));
  const QRgb out = Shown().pixel(80, 70);
  EXPECT_EQ(qRed(out), qGreen(out));
  EXPECT_EQ(qGreen(out), qBlue(out));
  EXPECT_EQ(Shown().pixel(20, 20), before.pixel(20, 20));
}

TEST_F(ViewTest, HighlightWithoutSelectionOnlySnapshots) {
  Load(Pattern(100, 80));
  const QImage before = Shown();
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("相対"));
  EXPECT_EQ(pic_->UndoCount(), 1);
  EXPECT_EQ(Shown(), before);
}

TEST_F(ViewTest, RegisteringASelectionGoesThroughTheDialog) {
  static QString seen;
  static int32_t seen_w = 0, seen_h = 0;
  pic_->SetRangeDialog([](QString* ranges, int32_t w, int32_t h) {
    seen = *ranges;
    seen_w = w;
    seen_h = h;
    *ranges += ":新規,3,4,px";
    return true;
  });
  pic_->setUsrHani(QStringLiteral("画面,640,480,px"));
  Load(Pattern(300, 300));
  pic_->SetRect(50, 40);
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("範囲の登録"));
  EXPECT_EQ(seen, "画面,640,480,px");
  EXPECT_EQ(seen_w, 50);
  EXPECT_EQ(seen_h, 40);
  EXPECT_EQ(pic_->UsrHani(), "画面,640,480,px:新規,3,4,px");
  EXPECT_EQ(pic_->PopupMenu().rangeCaptions.size(), 2);
}

}  // namespace
}  // namespace ruvel

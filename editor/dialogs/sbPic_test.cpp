// The sub picture window: an editing control of its own beside the main
// one (pictures and undo histories apart), its menus, keys and routing,
// and the unsaved-changes question on every close.
#include "editor/dialogs/sbPic.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "editor/shell/test_printers.h"

#include "editor/picture_edit/urve.h"
#include "editor/shell/usr.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

QImage Filled(int w, int h, QRgb colour) {
  QImage img(w, h, QImage::Format_RGB888);
  img.fill(colour);
  return img;
}

QRgb PixelOf(uRvE& pic, int x, int y) { return pic.Seam().mvImg().Picture().pixel(x, y); }

// A change with an undo step: a marker over a selection.
void Mark(uRvE& pic) {
  pic.SetRect(20, 20);
  pic.pcAct("範囲", "ﾏｰｶｰ");
}

class SbPicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ResetUsr();
    Usr().UserDataFolder = dir_.path() + "/";
    QDir().mkpath(dir_.path() + "/Wrk");
    platform::SetPrompt(&prompt_);
    main_ = std::make_unique<QWidget>();
    main_->setGeometry(100, 100, 1000, 700);
    main_->show();
    Usr().MainForm = main_.get();
    mainPic_ = new uRvE(main_.get());
    mainPic_->resize(900, 600);
    mainPic_->cOn(main_.get(), Usr().UserDataFolder + "Wrk/");
    ASSERT_TRUE(mainPic_->Seam().mvImg().SetPicture(Filled(200, 100, qRgb(200, 200, 200))));
    mainPic_->RefreshInfo();
    mainPic_->SetEditState("読込");
  }
  void TearDown() override {
    if (sbPic* sub = sbPic::Current()) {
      prompt_.SetDefaultAnswer(platform::PromptAnswer::kNo);
      sub->close();
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    mainPic_->cOff();
    main_.reset();
    platform::SetPrompt(nullptr);
    ResetUsr();
  }
  sbPic* OpenWithPicture() {
    sbPic* sub = sbPic::Act();
    EXPECT_TRUE(sub->picture()->Seam().mvImg().SetPicture(Filled(120, 80, qRgb(30, 60, 90))));
    sub->picture()->RefreshInfo();
    sub->picture()->SetEditState("読込");
    return sub;
  }

  QTemporaryDir dir_;
  platform::ScriptedPrompt prompt_;
  std::unique_ptr<QWidget> main_;
  uRvE* mainPic_ = nullptr;
};

TEST_F(SbPicTest, OpensOnceOverTheMainWindowWithItsOwnWorkFolder) {
  sbPic* sub = sbPic::Act();
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sbPic::Act(), sub);
  EXPECT_TRUE(sub->isVisible());
  EXPECT_EQ(sub->width(), 900);
  EXPECT_EQ(sub->height(), 630);
  EXPECT_EQ(sub->picture()->WorkFolder(), Usr().UserDataFolder + "Wrk/Sub/");
  EXPECT_TRUE(QFileInfo(sub->picture()->WorkFolder()).isDir());
  EXPECT_NE(sub->picture(), mainPic_);
}

TEST_F(SbPicTest, EditsAndUndoStayInTheirOwnControl) {
  sbPic* sub = OpenWithPicture();
  uRvE* pic = sub->picture();
  Mark(*mainPic_);
  Mark(*pic);
  Mark(*pic);
  ASSERT_EQ(mainPic_->UndoCount(), 1);
  ASSERT_EQ(pic->UndoCount(), 2);
  EXPECT_NE(mainPic_->UndoFileName(1), pic->UndoFileName(1));
  EXPECT_TRUE(QFileInfo::exists(mainPic_->UndoFileName(1)));
  EXPECT_TRUE(QFileInfo::exists(pic->UndoFileName(2)));
  const QRgb mainMarked = PixelOf(*mainPic_, 15, 15);
  EXPECT_NE(mainMarked, qRgb(200, 200, 200));
  EXPECT_EQ(PixelOf(*mainPic_, 150, 80), qRgb(200, 200, 200));

  // Ctrl+Z in the sub window undoes there only (a key of the picture's
  // own widget reaches the window's key table first).
  QTest::keyClick(pic->GetObject(), Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(pic->GetObject(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(pic->UndoCount(), 0);
  EXPECT_EQ(PixelOf(*pic, 15, 15), qRgb(30, 60, 90));
  EXPECT_EQ(mainPic_->UndoCount(), 1);
  EXPECT_EQ(PixelOf(*mainPic_, 15, 15), mainMarked);

  // Closing the sub window removes its undo files, not the main ones.
  Mark(*pic);
  const QString subFile = pic->UndoFileName(1);
  ASSERT_TRUE(QFileInfo::exists(subFile));
  prompt_.QueueAnswer(platform::PromptAnswer::kNo);
  sub->close();
  EXPECT_FALSE(QFileInfo::exists(subFile));
  EXPECT_TRUE(QFileInfo::exists(mainPic_->UndoFileName(1)));
  mainPic_->pcAct("画像編集", "編集を一つ戻す");
  EXPECT_EQ(PixelOf(*mainPic_, 15, 15), qRgb(200, 200, 200));
}

TEST_F(SbPicTest, MenusRecordPairsAndFollowTheControlsState) {
  sbPic* sub = sbPic::Act();
  ASSERT_NE(sub->FindAction("ﾌｧｲﾙ", "ﾌｧｲﾙを開く"), nullptr);
  EXPECT_TRUE(sub->FindAction("ﾌｧｲﾙ", "ﾌｧｲﾙを開く")->text().startsWith("ﾌｧｲﾙを開く(&O)"));
  for (const char* missing : {"画像ｴﾃﾞｨﾀの登録", "ﾊﾟﾝｳｨﾝﾄﾞｳの表示"}) EXPECT_EQ(sub->FindAction("画像編集", missing), nullptr);
  EXPECT_NE(sub->FindAction("範囲", "現在のｻｲｽﾞを保存"), nullptr);
  EXPECT_FALSE(sub->FindAction("範囲", "前回のｻｲｽﾞを呼出")->isEnabled());
  EXPECT_NE(sub->FindAction("拡大", " 50%"), nullptr);

  sub->PrepareFileMenu();
  EXPECT_FALSE(sub->FindAction("ﾌｧｲﾙ", "名前を付けて保存")->isEnabled());
  EXPECT_FALSE(sub->FindAction("ﾌｧｲﾙ", "上書き保存")->isEnabled());
  sub->PrepareEditMenu();
  EXPECT_FALSE(sub->FindAction("画像編集", "解像度")->isEnabled());

  uRvE* pic = sub->picture();
  ASSERT_TRUE(pic->Seam().mvImg().SetPicture(Filled(120, 80, qRgb(1, 2, 3))));
  pic->RefreshInfo();
  pic->SetEditState("読込");
  sub->PrepareFileMenu();
  EXPECT_TRUE(sub->FindAction("ﾌｧｲﾙ", "名前を付けて保存")->isEnabled());
  EXPECT_TRUE(sub->FindAction("ﾌｧｲﾙ", "別名保存(詳細指定)")->isEnabled());
  EXPECT_FALSE(sub->FindAction("ﾌｧｲﾙ", "上書き保存")->isEnabled());
  sub->PrepareEditMenu();
  EXPECT_TRUE(sub->FindAction("色数", "24ﾋﾞｯﾄ")->isChecked());
  EXPECT_FALSE(sub->FindAction("色数", "256色(8bit)")->isChecked());
  EXPECT_FALSE(sub->FindAction("画像編集", "ﾄﾘﾐﾝｸﾞ")->isEnabled());
  pic->SetRect(30, 20);
  sub->PrepareEditMenu();
  EXPECT_TRUE(sub->FindAction("画像編集", "ﾄﾘﾐﾝｸﾞ")->isEnabled());
  EXPECT_TRUE(sub->FindAction("範囲", "現在のｻｲｽﾞを保存")->isEnabled());

  // Registered ranges appear in the range menu and apply when chosen.
  pic->setUsrHani("Box,40,30,px");
  sub->PrepareEditMenu();
  QAction* box = sub->FindAction("範囲", "Box(40 * 30 px)");
  ASSERT_NE(box, nullptr);
  box->trigger();
  int32_t l = 0, r = 0, t = 0, b = 0;
  ASSERT_TRUE(pic->GetRange(&l, &r, &t, &b));
  EXPECT_EQ(r - l, 40);
  EXPECT_EQ(b - t, 30);

  // A chosen item is routed at once: the zoom item sets the zoom.
  sub->FindAction("拡大", "200%")->trigger();
  EXPECT_DOUBLE_EQ(pic->Seam().mvImg().ZoomX(), 2.0);
}

TEST_F(SbPicTest, KeysGoStraightToTheControlExceptMail) {
  sbPic* sub = OpenWithPicture();
  uRvE* pic = sub->picture();
  EXPECT_TRUE(sub->HandleKey(Qt::Key_M, Qt::ControlModifier));
  EXPECT_EQ(pic->EditState(), "読込");
  EXPECT_FALSE(sub->HandleKey(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier));
  EXPECT_FALSE(sub->HandleKey(Qt::Key_Q, Qt::ControlModifier));
  EXPECT_FALSE(sub->HandleKey(Qt::Key_F7, Qt::NoModifier));
  Mark(*pic);
  ASSERT_EQ(pic->UndoCount(), 1);
  EXPECT_TRUE(sub->HandleKey(Qt::Key_Z, Qt::ControlModifier));
  EXPECT_EQ(pic->UndoCount(), 0);
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(SbPicTest, EveryCloseAsksAboutUnsavedChanges) {
  sbPic* sub = OpenWithPicture();
  QPointer<sbPic> watch = sub;
  uRvE* pic = sub->picture();
  Mark(*pic);
  pic->SetEditState("編集");

  // Title-bar close: cancel keeps the window.
  prompt_.QueueAnswer(platform::PromptAnswer::kCancel);
  sub->close();
  ASSERT_EQ(prompt_.shown().size(), 1u);
  EXPECT_EQ(prompt_.texts()[0], "現在の画像の変更を保存しますか");
  EXPECT_TRUE(sub->isVisible());

  // The "終了" command asks as well.
  prompt_.QueueAnswer(platform::PromptAnswer::kCancel);
  sub->Route("ﾌｧｲﾙ", "終了");
  EXPECT_EQ(prompt_.shown().size(), 2u);
  EXPECT_TRUE(sub->isVisible());

  // An empty pair does nothing.
  sub->Route("", "終了");
  EXPECT_EQ(prompt_.shown().size(), 2u);

  // Closing the application's windows (shutdown) asks too; "No" closes.
  prompt_.QueueAnswer(platform::PromptAnswer::kNo);
  QApplication::closeAllWindows();
  EXPECT_EQ(prompt_.shown().size(), 3u);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(watch.isNull());
  EXPECT_EQ(sbPic::Current(), nullptr);
}

}  // namespace
}  // namespace ruvel

// The plugged windows opened the way the editing control opens them: the
// resolution dialog through its seam, with the result reaching the saved
// file's header, and the selection-size dialog from "範囲の登録".
#include "editor/dialogs/window_plugs.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

#include "editor/dialogs/other_windows.h"
#include "editor/dialogs/sbPic.h"
#include "editor/dialogs/spDpi.h"
#include "editor/dialogs/spImgSV.h"
#include "editor/dialogs/spPex.h"
#include "editor/dialogs/spSize.h"
#include "editor/picture_edit/dialog_seams.h"
#include "editor/picture_edit/urve.h"
#include "editor/shell/test_printers.h"
#include "editor/shell/usr.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

// Runs `act` on the modal dialog of type T as soon as it is shown.
template <typename T>
void WhenShown(std::function<void(T*)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(d);
    }
  });
  timer->start(10);
}

class WindowPlugsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    platform::SetPrompt(&prompt_);
    dialog_seams::ResetAll();
    PlugEditorWindows();
    pic_.resize(600, 400);
    pic_.cOn(&pic_, dir_.path() + "/");
    QImage img(300, 200, QImage::Format_RGB888);
    img.fill(qRgb(10, 120, 200));
    ASSERT_TRUE(pic_.Seam().mvImg().SetPicture(img));
    pic_.RefreshInfo();
  }
  void TearDown() override {
    pic_.cOff();
    dialog_seams::ResetAll();
    platform::SetPrompt(nullptr);
  }
  QTemporaryDir dir_;
  platform::ScriptedPrompt prompt_;
  uRvE pic_;
};

TEST_F(WindowPlugsTest, ResolutionDialogResultReachesTheSavedFile) {
  ASSERT_TRUE(dialog_seams::HasResolutionDialog());
  for (int dpi : {96, 300}) {
    SCOPED_TRACE(dpi);
    ResolutionDialogArgs args;
    args.resolutionX = 72;
    args.resolutionY = 72;
    args.width = 300;
    args.height = 200;
    WhenShown<spDpi>([dpi](spDpi* d) {
      d->chXY()->setChecked(true);
      d->txYoko()->setText(QString::number(dpi));
      d->Recalculate(1);
      d->cmOK(0)->click();
    });
    ASSERT_TRUE(dialog_seams::OpenResolutionDialog(args));
    EXPECT_EQ(args.resolutionX, dpi);
    EXPECT_EQ(args.resolutionY, dpi);

    // Applied as the editing control applies it, then saved.
    MvInstance& mv = pic_.Seam().mvImg();
    mv.SetResolutionX(args.resolutionX);
    mv.SetResolutionY(args.resolutionY);
    ASSERT_TRUE(mv.ApplyResolution());
    for (const char* ext : {"png", "jpg"}) {
      QString file = dir_.filePath(QString("r%1.%2").arg(dpi).arg(ext));
      pic_.pcSaveAs(file, false, false);
      QImageReader reader(file);
      const QImage back = reader.read();
      ASSERT_FALSE(back.isNull()) << ext;
      EXPECT_NEAR(back.dotsPerMeterX() * 0.0254, dpi, 0.5) << ext;
      EXPECT_NEAR(back.dotsPerMeterY() * 0.0254, dpi, 0.5) << ext;
    }
  }
  // Cancel, or OK without a change, reports "not done".
  ResolutionDialogArgs same;
  WhenShown<spDpi>([](spDpi* d) { d->cmOK(0)->click(); });
  EXPECT_FALSE(dialog_seams::OpenResolutionDialog(same));
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(WindowPlugsTest, ResolutionCommandChangesThePictureAndItsFile) {
  WhenShown<spDpi>([](spDpi* d) {
    EXPECT_EQ(d->lbYoko(0)->text(), "300");
    d->txYoko()->setText("150");
    d->txTate()->setText("600");
    d->cmOK(0)->click();
  });
  pic_.pcAct("画像編集", "解像度");
  EXPECT_EQ(pic_.EditState(), "編集");
  QString file = dir_.filePath("d.png");
  pic_.pcSaveAs(file, false, false);
  const QImage back(file);
  ASSERT_FALSE(back.isNull());
  EXPECT_NEAR(back.dotsPerMeterX() * 0.0254, 150, 0.5);
  EXPECT_NEAR(back.dotsPerMeterY() * 0.0254, 600, 0.5);

  // Cancelled, the picture keeps its resolution and state.
  const QString state = pic_.EditState();
  const int16_t undo = pic_.UndoCount();
  WhenShown<spDpi>([](spDpi* d) {
    EXPECT_EQ(d->txYoko()->text(), "150");
    d->txYoko()->setText("999");
    d->cmOK(1)->click();
  });
  pic_.pcAct("画像編集", "解像度");
  EXPECT_EQ(pic_.EditState(), state);
  EXPECT_EQ(pic_.UndoCount(), undo);
  pic_.Seam().mvImg().ReadImageInfo();
  EXPECT_EQ(pic_.Seam().mvImg().ResolutionX(), 150);
}

TEST_F(WindowPlugsTest, RegisteringARangeOpensTheSizeDialog) {
  pic_.setUsrHani("Old,10,10,px");
  pic_.SetRect(64, 48);
  WhenShown<spSize>([](spSize* d) {
    EXPECT_EQ(d->lsHani()->item(0)->text(), "Temporary(64*48 px)");
    d->txCap()->setText("Thumb");
    d->SizeEdited(0);
    d->ListButton(4);
    d->cmClose()->click();
  });
  pic_.pcAct("範囲", "範囲の登録");
  EXPECT_EQ(pic_.UsrHani(), "Thumb,64,48,px:Temporary,64,48,px:Old,10,10,px");
  EXPECT_EQ(pic_.PopupMenu().rangeCaptions.size(), 3);
}

TEST_F(WindowPlugsTest, MainWindowCommandsOpenTheWindows) {
  std::array<QString, 3> editors = {"GIMP,/usr/bin/gimp", "", ""};
  WhenShown<spPex>([](spPex* d) {
    EXPECT_EQ(d->txExe(0)->text(), "/usr/bin/gimp");
    d->txName(1)->setText("View");
    d->cmOk()->click();
  });
  EXPECT_TRUE(CurrentOtherWindows().EditExternalEditors(&pic_, &editors));
  EXPECT_EQ(editors[1], "View,");
  WhenShown<spPex>([](spPex* d) { d->reject(); });
  EXPECT_FALSE(CurrentOtherWindows().EditExternalEditors(&pic_, &editors));
  EXPECT_EQ(editors[0], "GIMP,/usr/bin/gimp");

  Usr().UserDataFolder = dir_.path() + "/";
  CurrentOtherWindows().OpenSubWindow(&pic_);
  sbPic* sub = sbPic::Current();
  ASSERT_NE(sub, nullptr);
  EXPECT_TRUE(sub->isVisible());
  sub->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(sbPic::Current(), nullptr);

  // The detailed save dialog gets the picture behind the handle.
  WhenShown<spImgSV>([](spImgSV* d) {
    EXPECT_NE(d->mvImg().ImageHandle(), 0u);
    d->cmRet(1)->click();
  });
  CurrentOtherWindows().OpenDetailedSave(&pic_, pic_.GetHndle());
  EXPECT_TRUE(prompt_.shown().empty());
  ResetUsr();
}

}  // namespace
}  // namespace ruvel

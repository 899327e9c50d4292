#include "editor/dialogs/parameter_dialogs.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include "editor/dialogs/dialog_test_support.h"
#include "editor/dialogs/spImgC.h"
#include "editor/dialogs/spImgR.h"
#include "editor/picture_edit/dialog_seams.h"
#include "imaging/control/processor.h"

namespace ruvel {
namespace {

using testing::AnswerImageMenu;
using testing::EditorControl;
using testing::SamePixels;
using testing::TestPicture;

// Acts on whichever dialog is up once it is up: the rotation dialog turns
// right and updates; the colour dialog picks 256 colours and confirms.
void DriveNextDialog() {
  QTimer* poll = new QTimer;
  poll->setInterval(1);
  QObject::connect(poll, &QTimer::timeout, [poll] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    if (auto* r = qobject_cast<spImgR*>(modal)) {
      r->cmRect(2)->click();
      r->lbCom(0)->click();
    } else if (auto* c = qobject_cast<spImgC*>(modal)) {
      c->opColor(3)->click();
      c->cmOk(0)->click();
    }
  });
  poll->start();
}

TEST(ParameterDialogs, PluggedIntoTheEditingControlsSeam) {
  dialog_seams::ResetAll();
  EXPECT_FALSE(dialog_seams::HasDetailDialog(DetailDialog::kRotation));
  PlugInParameterDialogs();
  for (auto code : {DetailDialog::kColour, DetailDialog::kCorrection, DetailDialog::kEffects, DetailDialog::kRotation})
    EXPECT_TRUE(dialog_seams::HasDetailDialog(code));

  const QImage picture = TestPicture();
  {
    EditorControl editor(picture);
    EditorControl reference(picture);
    ASSERT_TRUE(reference.mv->RotateImage(-9000, false, false, true, 255, 255, 255, false));
    AnswerImageMenu answer(QStringLiteral("画像を更新して閉じる"));
    DetailDialogArgs args;
    args.mvImg = editor.mv.get();
    args.depthCode = QStringLiteral("24.");
    DriveNextDialog();
    EXPECT_TRUE(dialog_seams::OpenDetailDialog(DetailDialog::kRotation, args));
    EXPECT_TRUE(SamePixels(editor.Pixels(), reference.Pixels()));
  }
  {
    EditorControl editor(picture);
    EditorControl reference(picture);
    ASSERT_TRUE(reference.mv->ConvertDepth(8, false, false, 128));
    DetailDialogArgs args;
    args.mvImg = editor.mv.get();
    args.depthCode = QStringLiteral("24.");
    DriveNextDialog();
    EXPECT_TRUE(dialog_seams::OpenDetailDialog(DetailDialog::kColour, args));
    EXPECT_TRUE(SamePixels(editor.Pixels(), reference.Pixels()));
  }
  DetailDialogArgs none;  // no imaging control: nothing opens
  EXPECT_FALSE(dialog_seams::OpenDetailDialog(DetailDialog::kEffects, none));
  dialog_seams::ResetAll();
}

}  // namespace
}  // namespace ruvel

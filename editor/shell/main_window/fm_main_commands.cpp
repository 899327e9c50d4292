// fmMain: routing the popup menus' pairs, the picture buttons, the key
// table, external editors, mail and deleting the picture's file.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QToolButton>

#include "editor/dialogs/other_windows.h"
#include "editor/picture_edit/urve.h"
#include "editor/shell/main_window/fm_main.h"
#include "editor/shell/sb_mapi.h"
#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "platform/prompt.h"

namespace ruvel {

namespace {

const QString kFile = QStringLiteral("ﾌｧｲﾙ");
const QString kAsk = QStringLiteral("確認有");

}  // namespace

void fmMain::Route(const QString& group, const QString& caption) {
  if (group.isEmpty() || caption.isEmpty()) return;
  if (group == kFile && caption == QStringLiteral("別名保存(詳細指定)")) {
    CurrentOtherWindows().OpenDetailedSave(this, pic_->GetHndle());
  } else if (group == kFile && caption == QStringLiteral("ﾌｧｲﾙを削除")) {
    DeleteCurrentFile();
  } else if (group == kFile && caption == QStringLiteral("終了")) {
    if (pic_->vCheckSave() != 2) Shutdown(true);
  } else if (group == kFile && caption == QStringLiteral("画像を添付してﾒｰﾙ")) {
    MailPicture();
  } else if (group == kFile && caption == QStringLiteral("ｻﾌﾞﾌｫｰﾑを開く")) {
    CurrentOtherWindows().OpenSubWindow(this);
  } else if (group == QStringLiteral("APR") && caption == QStringLiteral("4")) {
    if (CurrentOtherWindows().EditExternalEditors(this, &settings_.external_editors)) SetEditorCaptions();
  } else if (group == QStringLiteral("APR") &&
             (caption == QStringLiteral("0") || caption == QStringLiteral("1") || caption == QStringLiteral("2"))) {
    RunExternalEditor(caption.toInt());
  } else if (group == QStringLiteral("削除前")) {
    // The dispatcher knows nothing of this setting; it is the window's.
    if (caption == kAsk || caption == QStringLiteral("確認無")) settings_.confirm_delete = caption == kAsk;
  } else {
    SendToControl(group, caption);
  }
}

void fmMain::SendToControl(const QString& group, const QString& caption) {
  if (sink_) {
    sink_(group, caption);
  } else {
    pic_->pcAct(group, caption);
  }
}

// --- Buttons and keys ----------------------------------------------------------------

void fmMain::RunButton(int i) {
  if (i < 0 || i > 5 || !imBtn_[i]->isEnabled()) return;
  imBtn_[i]->setEnabled(false);
  SendToControl(QString::fromUtf8(kButtonCommands[i].group), QString::fromUtf8(kButtonCommands[i].caption));
  QCoreApplication::processEvents();
  // The save and undo buttons follow the edit state the command left.
  imBtn_[i]->setEnabled((i != 1 && i != 5) || editMode_ == kStateEdited);
}

bool fmMain::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
  modifiers &= ~Qt::KeypadModifier;
  if (modifiers == Qt::NoModifier) {
    if (key != Qt::Key_F8) return false;
    RunButton(1);
    return true;
  }
  if (modifiers != Qt::ControlModifier) return false;
  switch (key) {
    case Qt::Key_O: RunButton(0); return true;
    case Qt::Key_S: RunButton(1); return true;
    case Qt::Key_V: RunButton(2); return true;
    case Qt::Key_C: RunButton(3); return true;
    case Qt::Key_T: RunButton(4); return true;
    case Qt::Key_Z: RunButton(5); return true;
    case Qt::Key_W: SendToControl(kFile, QStringLiteral("連番をつけて作業ﾌｫﾙﾀﾞに複写")); return true;
    case Qt::Key_P: SendToControl(kFile, QStringLiteral("印刷")); return true;
    case Qt::Key_M: MailPicture(); return true;
    case Qt::Key_R: SendToControl(QStringLiteral("回転"), QStringLiteral("右90度")); return true;
    case Qt::Key_L: SendToControl(QStringLiteral("回転"), QStringLiteral("左90度")); return true;
    default: return false;
  }
}

// --- External editors ------------------------------------------------------------------

void fmMain::SetEditorCaptions() {
  for (int k = 0; k < 3; ++k) {
    QString caption = settings_.external_editors[k];
    CutAt(&caption, QStringLiteral(","));
    menus_->SetEditorItem(k, caption);
  }
}

void fmMain::RunExternalEditor(int n) {
  if (n < 0 || n > 2) return;
  QString caption, program;
  SplitAt(settings_.external_editors[n], QStringLiteral(","), &caption, &program);
  if (program.isEmpty() || currentFile_.isEmpty()) return;
  if (!IsFile(program)) {
    platform::ShowMessage(program + QStringLiteral(" Not Found"), this);
    return;
  }
  // Program and picture are separate arguments, so a path with spaces
  // reaches the editor whole.
  if (!QProcess::startDetached(program, {currentFile_})) {
    platform::ShowMessage(program + QStringLiteral(" を起動できません"), this);
  }
}

// --- Mail ------------------------------------------------------------------------------

void fmMain::MailPicture() {
  const QString path = Usr().UserDataFolder + QStringLiteral("Wrk/pic.jpg");
  // A picture left from an earlier mail must never go out in place of this
  // one, so it goes first; the copy leaves the edited picture as it is.
  if (IsFile(path) && !QFile::remove(path)) {
    platform::ShowMessage(path + QStringLiteral(" を書き換えられません"), this);
    return;
  }
  if (!pic_->SaveCopy(path) || !IsFile(path)) return;
  sbMapi::Mail(QStringLiteral("画像を送ります"), QString(), path, this);
}

// --- Deleting the picture's file --------------------------------------------------------

void fmMain::DeleteCurrentFile() {
  const QString file = currentFile_;
  if (file.isEmpty() || !IsFile(file)) return;
  if (settings_.confirm_delete &&
      platform::AskYesNo(file + QStringLiteral(" をごみ箱に移動します｡よろしいですか?"), this) !=
          platform::PromptAnswer::kYes) {
    return;
  }
  // Into the desktop's trash, where the user can still get it back.
  if (!QFile::moveToTrash(file)) {
    platform::ShowMessage(file + QStringLiteral(" を削除できません"), this);
    return;
  }
  pic_->ForgetFile();
}

}  // namespace ruvel

// uRvE: pcAct, the command dispatcher.  Every menu, popup and toolbar
// command arrives here as a pair of words (group, job) and is routed to its
// action; around each action come the steps every call shares: the last
// job word, the busy pointer, and the edit state afterwards.
//
// The edit state becomes "編集" only when an editing action really changed
// the picture (it reports so); an action that finds no picture or no
// selection, is refused, cancelled or fails leaves the state, the picture
// and the undo history as they were.  A save sets "読込" only when it
// succeeded.
#include <QStringList>

#include "editor/picture_edit/file_rules/messages.h"
#include "editor/picture_edit/urve.h"
#include "editor/shell/usr.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

// Groups whose changes mark the picture as edited.
bool IsEditingGroup(const QString& group) {
  static const QStringList kGroups = {
      QStringLiteral("綴じ込み"), QStringLiteral("色数"), QStringLiteral("補正"),
      QStringLiteral("効果"),     QStringLiteral("色反転"), QStringLiteral("彩度"),
      QStringLiteral("明度"),     QStringLiteral("回転"), QStringLiteral("ﾘｻｲｽﾞ")};
  return kGroups.contains(group);
}

const QString kDetail = QStringLiteral("詳細指定");

}  // namespace

void uRvE::pcAct(const QString& group, const QString& job) {
  lastJob = job;
  // Dialogs show their own pointer; "加工" hands over to a window.
  const bool busy = !job.contains(QStringLiteral("詳細")) && job != QStringLiteral("加工");
  if (busy) BusyPointer(true);
  const Outcome outcome = Dispatch(group, job);
  if (busy) BusyPointer(false);

  if (outcome == Outcome::kSaved) {
    // A save that reloads the file has set "読込" already.
    if (editState != kStateLoaded || undoCount != 0) SetEditState(kStateLoaded);
  } else if (outcome == Outcome::kChanged && (IsEditingGroup(group) || job == QStringLiteral("ﾄﾘﾐﾝｸﾞ"))) {
    SetEditState(kStateEdited);
  }
}

uRvE::Outcome uRvE::Dispatch(const QString& group, const QString& job) {
  if (group == QStringLiteral("ﾌｧｲﾙ")) return FileCommand(job);
  if (group == QStringLiteral("表示")) {
    SetView(job);
    return Outcome::kNone;
  }
  if (group == QStringLiteral("画像編集")) return PictureCommand(job);
  if (group == QStringLiteral("ﾘｻｲｽﾞ")) {
    if (job == QStringLiteral("横方向を基準に縮小")) return ReduceToRange(0);
    if (job == QStringLiteral("縦方向を基準に縮小")) return ReduceToRange(1);
    if (job == QStringLiteral("縦横比率を変えて縮小")) return ReduceToRange(2);
    return Outcome::kNone;
  }
  if (group == QStringLiteral("綴じ込み")) return CloseGap(job == QStringLiteral("横方向"));
  if (group == QStringLiteral("色数")) {
    if (job == kDetail) return OpenDetailDialog(DetailDialog::kColour);
    return ChangeDepth(job);
  }
  if (group == QStringLiteral("補正") || group == QStringLiteral("効果")) {
    if (job == kDetail) {
      return OpenDetailDialog(group == QStringLiteral("補正") ? DetailDialog::kCorrection : DetailDialog::kEffects);
    }
    return ApplyFilter(job);
  }
  if (group == QStringLiteral("色反転")) return InvertColours(job);
  if (group == QStringLiteral("彩度")) return AdjustSaturationBy(job);
  if (group == QStringLiteral("明度")) return AdjustBrightnessBy(job);
  if (group == QStringLiteral("回転")) {
    if (job == kDetail) return OpenDetailDialog(DetailDialog::kRotation);
    return RotateBy(job);
  }
  if (group == QStringLiteral("JPG")) {
    AskJpegQuality();
  } else if (group == QStringLiteral("編集更新")) {
    if (job == QStringLiteral("確認有")) updateMode = 0;
    else if (job == QStringLiteral("確認無")) updateMode = 1;
    else if (job == QStringLiteral("自動更新")) updateMode = 2;
  } else if (group == QStringLiteral("編集状態")) {
    SetEditState(job);
  } else if (group == QStringLiteral("範囲")) {
    RangeCommand(job);
  } else if (group == QStringLiteral("拡大")) {
    ZoomCommand(job);
  } else if (group == QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ")) {
    SetMouseMode(job);
  } else if (group == QStringLiteral("ﾊﾟﾝｳｨﾝﾄﾞｳ")) {
    PanCommand(job);
  }
  return Outcome::kNone;
}

uRvE::Outcome uRvE::FileCommand(const QString& job) {
  if (job == QStringLiteral("新規作成")) {
    NewBlankPicture();
  } else if (job == QStringLiteral("ﾌｧｲﾙを開く")) {
    QString file;
    pcOpen(1, file, false);
  } else if (job == QStringLiteral("上書き保存")) {
    QString none;
    if (SaveCore(0, none, false, false)) return Outcome::kSaved;
  } else if (job == QStringLiteral("名前を付けて保存")) {
    QString none;
    if (SaveCore(1, none, false, false)) return Outcome::kSaved;
  } else if (job == QStringLiteral("複写して新規")) {
    CopyAsNew();
  } else if (job == QStringLiteral("連番をつけて作業ﾌｫﾙﾀﾞに複写") || job == QStringLiteral("連番をつけて保存")) {
    NumberedSave();
  } else if (job == QStringLiteral("ｽｷｬﾅｰから読込")) {
    Scan();
  } else if (job == QStringLiteral("印刷設定")) {
    PrinterSetup();
  } else if (job == QStringLiteral("印刷")) {
    PrintPicture();
  } else if (job == QStringLiteral("ﾌｧｲﾙの詳細")) {
    FileDetails();
  } else if (job == QStringLiteral("ｽｷｬﾝｿｰｽ")) {
    ScanSource();
  } else if (job == QStringLiteral("初期化")) {
    ClearPicture();
  }
  return Outcome::kNone;
}

uRvE::Outcome uRvE::PictureCommand(const QString& job) {
  if (job == QStringLiteral("読込時に戻す")) {
    // Without a file there is nothing to go back to (an open dialog here
    // would drop the changes without asking).
    if (currentFile.isEmpty()) return Outcome::kNone;
    QString file = currentFile;
    pcOpen(0, file, false);
  } else if (job == QStringLiteral("編集を一つ戻す")) {
    UndoOneStep();
  } else if (job == QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ")) {
    Usr().InitBusy = true;
    CopyPictureToClipboard();
    Usr().InitBusy = false;
  } else if (job == QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規")) {
    Usr().InitBusy = true;
    NewFromClipboard();
    Usr().InitBusy = false;
  } else if (job == QStringLiteral("ﾄﾘﾐﾝｸﾞ")) {
    return TrimToRange();
  } else if (job == QStringLiteral("ﾂｰﾙﾊﾞｰを表示")) {
    if (toolbarShown) {
      seam_->mvImg().ToolbarClose();
    } else {
      SetToolbar(true);
    }
  } else if (job == QStringLiteral("画像枠を追加")) {
    if (AddFrame() == Outcome::kChanged) SetEditState(kStateEdited);
  } else if (job == QStringLiteral("解像度")) {
    ResolutionDialog();
  }
  return Outcome::kNone;
}

bool uRvE::RequireEffectDepth() {
  if (!DepthCodeIn(depthCode, QStringLiteral(".1.2.4.8.16."))) return true;
  platform::ShowMessage(QString::fromUtf8(file_rules::kEffectNeedsDepth), this);
  return false;
}

}  // namespace ruvel

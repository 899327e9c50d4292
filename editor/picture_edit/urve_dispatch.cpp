// uRvE: pcAct, the command dispatcher.  Routes the view, zoom, mouse-drag,
// range and pan-window groups, undo and the edit-state word; other groups
// do nothing here yet.
#include "editor/picture_edit/urve.h"

namespace ruvel {

void uRvE::pcAct(const QString& group, const QString& job) {
  lastJob = job;
  if (group == QStringLiteral("表示")) {
    SetView(job);
  } else if (group == QStringLiteral("拡大")) {
    ZoomCommand(job);
  } else if (group == QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ")) {
    SetMouseMode(job);
  } else if (group == QStringLiteral("範囲")) {
    RangeCommand(job);
  } else if (group == QStringLiteral("ﾊﾟﾝｳｨﾝﾄﾞｳ")) {
    PanCommand(job);
  } else if (group == QStringLiteral("画像編集") && job == QStringLiteral("編集を一つ戻す")) {
    BusyPointer(true);
    UndoOneStep();
    BusyPointer(false);
  } else if (group == QStringLiteral("編集状態")) {
    SetEditState(job);
  }
}

}  // namespace ruvel

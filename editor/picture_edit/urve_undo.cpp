// uRvE: undo snapshots in the work folder.
//
// Step n is the file workFolder + "$$Undo" + n ("000") + ".bmp", written
// through the imaging control's work-file type before a change.  Only steps
// this control wrote since the last load (1..undoCount) are ever read back,
// so files a crashed earlier run left in the folder are overwritten or
// ignored, never restored.
#include <QFileInfo>
#include <limits>

#include "editor/picture_edit/urve.h"

namespace ruvel {

QString uRvE::UndoFileName(int step) const {
  return workFolder + "$$Undo" + QString::number(step).rightJustified(3, '0') + ".bmp";
}

bool uRvE::SaveUndoStep() {
  MvInstance& mv = seam_->mvImg();
  // The counter is 16 bits; at its end further changes are refused rather
  // than made without a way back.
  if (undoCount >= std::numeric_limits<int16_t>::max()) {
    lastOk = false;
    return false;
  }
  const int step = undoCount + 1;
  const QString name = UndoFileName(step);
  mv.SetFileName(name);
  lastOk = mv.ImageHandle() != 0 && mv.SaveFile(0, mv.ImageHandle());
  if (!lastOk) return false;
  undoCount = static_cast<int16_t>(step);
  infoFile = name;
  return true;
}

bool uRvE::UndoOneStep() {
  if (undoCount < 1) return false;
  const QString name = UndoFileName(undoCount);
  if (!QFileInfo(name).isFile()) return false;
  MvInstance& mv = seam_->mvImg();
  mv.SetFileName(name);
  // A snapshot that cannot be read leaves the picture and the history as
  // they are.
  lastOk = mv.LoadFile(0) && mv.FinishLoad();
  if (!lastOk) return false;
  comment.clear();
  lastOk = mv.DrawImage(viewMode == 0 ? 1 : viewMode);
  RefreshInfo();
  infoFile = name;
  if (undoCount == 1) {
    SetEditState(kStateLoaded);
  } else {
    toolbarEdited = false;
    undoCount = static_cast<int16_t>(undoCount - 1);
  }
  return true;
}

}  // namespace ruvel

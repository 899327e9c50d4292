// Placing a parameter dialog over the main window.
#include "editor/dialogs/dialog_place.h"

#include <QWidget>

#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"

namespace ruvel {

void PlaceDialogWindow(QWidget* dialog) {
  dialog->adjustSize();
  TwipsGeometry g = WindowTwips(dialog);
  if (!Usr().MainForm) return;  // nothing to place over: the window system decides
  int32_t left = 0;
  int32_t top = 0;
  PlaceDialog(g.width, g.height, &left, &top);
  g.left = left;
  g.top = top;
  const QSize laid_out = dialog->size();
  MoveWindowTwips(dialog, g);
  dialog->resize(laid_out);  // keep the exact pixel size (twips round)
}

}  // namespace ruvel

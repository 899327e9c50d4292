// The parameter dialogs' update/close menu, run by the popup window.
#include "editor/dialogs/image_menu.h"

#include "editor/dialogs/pp_pic.h"

namespace ruvel {

QString ChooseImageMenu(QWidget* over) {
  ppPic* menus = ppPic::Current();
  ppPic own;  // a dialog opened without the editor's window holds its own
  if (!menus) menus = &own;
  menus->PopUp(over, kMenuPicture);
  return menus->sGrp() == QStringLiteral("sbImg") ? menus->sCap() : QString();
}

}  // namespace ruvel

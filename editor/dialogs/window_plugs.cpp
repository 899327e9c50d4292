#include "editor/dialogs/window_plugs.h"

#include "editor/dialogs/spDpi.h"
#include "editor/dialogs/spSize.h"
#include "editor/picture_edit/dialog_seams.h"

namespace ruvel {

void PlugEditorWindows() {
  dialog_seams::SetResolutionDialog([](ResolutionDialogArgs& a) {
    int32_t x = a.resolutionX, y = a.resolutionY;
    bool ok = false;
    spDpi::Act(&x, &y, a.width, a.height, &ok, a.parent);
    if (ok) {
      a.resolutionX = x;
      a.resolutionY = y;
    }
    return ok;
  });
  dialog_seams::SetSizeDialog([](SizeDialogArgs& a) {
    spSize::Act(&a.ranges, a.width, a.height, a.parent);
    return true;
  });
}

}  // namespace ruvel

// The detail dialogs behind the editing control's "詳細指定" jobs.
#include "editor/dialogs/parameter_dialogs.h"

#include "editor/dialogs/spImgC.h"
#include "editor/dialogs/spImgH.h"
#include "editor/dialogs/spImgK.h"
#include "editor/dialogs/spImgR.h"
#include "editor/picture_edit/dialog_seams.h"

namespace ruvel {

bool OpenDetailDialog(int code, MvInstance& xImg, int& view_mode, QString& depth_code, const DialogRegion& region) {
  bool ok = false;
  switch (code) {
    case 0: spImgC::Act(xImg, view_mode, depth_code, ok); break;
    case 1: spImgH::Act(xImg, view_mode, region, ok); break;
    case 2: spImgK::Act(xImg, view_mode, region, ok); break;
    case 3: spImgR::Act(xImg, view_mode, depth_code, ok); break;
    default: break;
  }
  return ok;
}

void PlugInParameterDialogs() {
  for (const DetailDialog code :
       {DetailDialog::kColour, DetailDialog::kCorrection, DetailDialog::kEffects, DetailDialog::kRotation}) {
    dialog_seams::SetDetailDialog(code, [code](DetailDialogArgs& a) {
      if (!a.mvImg) return false;
      int mode = a.viewMode;
      return OpenDetailDialog(static_cast<int>(code), *a.mvImg, mode, a.depthCode, a.range);
    });
  }
}

}  // namespace ruvel

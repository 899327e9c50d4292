// File: editor/dialogs/parameter_dialogs.h
//
// The editing control's detail dialogs in one place: code 0 colour depth
// (spImgC), 1 correction (spImgH), 2 effects (spImgK), 3 rotation (spImgR).
//
//   int mode = 1;
//   QString depth = "24.";
//   bool ok = OpenDetailDialog(2, editor_mv, mode, depth, {0, 0, 0, 0});
//
// At start-up the program plugs them into the editing control:
//
//   ruvel::PlugInParameterDialogs();
#pragma once

#include <QString>

#include "editor/dialogs/effect_dialog.h"

namespace ruvel {

class MvInstance;

// OpenDetailDialog(): opens dialog `code` modally on the editor's imaging
// control `xImg` (view mode, depth code text, region left/right/top/bottom)
// and returns whether the picture was changed.  An unknown code opens
// nothing and returns false.
bool OpenDetailDialog(int code, MvInstance& xImg, int& view_mode, QString& depth_code, const DialogRegion& region);

// PlugInParameterDialogs(): makes the four dialogs the editing control's
// detail dialogs (its "詳細指定" jobs).  Called once at start-up.
void PlugInParameterDialogs();

}  // namespace ruvel

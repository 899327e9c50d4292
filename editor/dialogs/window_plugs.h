// File: editor/dialogs/window_plugs.h
//
// Plugs the sub picture window and the plain-value dialogs into the seams
// through which the editing control and the main window open them: the
// resolution dialog (spDpi) and the selection-size dialog (spSize) into the
// editing control's dialog seams, the detailed save dialog (spImgSV), the
// sub picture window (sbPic) and the external editor dialog (spPex) into
// the main window's.  Called once at start-up, before the main window.
//
//   ruvel::PlugEditorWindows();
#pragma once

namespace ruvel {

void PlugEditorWindows();

}  // namespace ruvel

// File: editor/dialogs/centre_dialog.h
//
// Placing the editor's plain-value dialogs: centred over the main window
// (left = main left + (main width - dialog width) / 2, top likewise), over
// `fallback`'s window when there is no main window, and kept on the screen.
//
//   CentreOverMainWindow(this, parentWidget());
//   exec();
#pragma once

class QWidget;

namespace ruvel {

void CentreOverMainWindow(QWidget* dialog, QWidget* fallback = nullptr);

}  // namespace ruvel

// File: editor/dialogs/dialog_place.h
//
// PlaceDialogWindow(): puts a dialog at its laid-out size over the main
// window with PlaceDialog (inside the work area).
//
//   PlaceDialogWindow(this);
//   exec();
#pragma once

class QWidget;

namespace ruvel {

void PlaceDialogWindow(QWidget* dialog);

}  // namespace ruvel

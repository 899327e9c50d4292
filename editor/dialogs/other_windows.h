// File: editor/dialogs/other_windows.h
//
// The editor's windows that the main window opens by command: the detailed
// save dialog, the sub picture window and the external editor dialog.  The
// main window reaches them only through CurrentOtherWindows(), so tests can
// record the calls.  By default they are spImgSV, sbPic and spPex.
//
//   ruvel::CurrentOtherWindows().OpenSubWindow(this);
//   std::array<QString, 3> editors = ...;
//   if (ruvel::CurrentOtherWindows().EditExternalEditors(this, &editors)) ...
#pragma once

#include <QString>
#include <array>
#include <cstdint>

class QWidget;

namespace ruvel {

class OtherWindows {
 public:
  virtual ~OtherWindows() = default;
  // The detailed save dialog for the picture behind image_handle.
  virtual void OpenDetailedSave(QWidget* owner, int32_t image_handle);
  // The sub picture window.
  virtual void OpenSubWindow(QWidget* owner);
  // The external editor dialog; each entry is "caption,program".  True when
  // the user confirmed (editors then holds the new entries).
  virtual bool EditExternalEditors(QWidget* owner, std::array<QString, 3>* editors);
};

OtherWindows& CurrentOtherWindows();
void SetOtherWindows(OtherWindows* windows);  // nullptr restores the default

}  // namespace ruvel

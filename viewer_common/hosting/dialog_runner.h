// File: viewer_common/hosting/dialog_runner.h
//
// The one place where the hosting layer runs a modal dialog or shows a
// message box, so tests can look at dialogs and answer them instead of
// blocking.
//
//   hosting::SetDialogRunner([](QDialog* d) { seen = d->windowTitle(); return 0; });
//   control.ShowAbout();              // returns at once
//   hosting::SetDialogRunner(nullptr);  // back to QDialog::exec()
#pragma once

#include <functional>

class QDialog;
class QString;
class QWidget;

namespace hosting {

using DialogRunner = std::function<int(QDialog*)>;
using MessageRunner = std::function<void(QWidget* parent, const QString& title, const QString& text)>;

void SetDialogRunner(DialogRunner runner);
void SetMessageRunner(MessageRunner runner);
// RunDialog(): the dialog's result code.
int RunDialog(QDialog* dialog);
// ShowWarning(): a warning message box with an OK button.
void ShowWarning(QWidget* parent, const QString& title, const QString& text);

}  // namespace hosting

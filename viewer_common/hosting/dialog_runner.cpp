#include "viewer_common/hosting/dialog_runner.h"

#include <QDialog>
#include <QMessageBox>

namespace hosting {
namespace {
DialogRunner& Runner() {
  static DialogRunner r;
  return r;
}
MessageRunner& Messages() {
  static MessageRunner r;
  return r;
}
}  // namespace

void SetDialogRunner(DialogRunner runner) { Runner() = std::move(runner); }
void SetMessageRunner(MessageRunner runner) { Messages() = std::move(runner); }

int RunDialog(QDialog* dialog) { return Runner() ? Runner()(dialog) : dialog->exec(); }

void ShowWarning(QWidget* parent, const QString& title, const QString& text) {
  if (Messages()) {
    Messages()(parent, title, text);
    return;
  }
  QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

}  // namespace hosting

#include "editor/dialogs/centre_dialog.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "editor/shell/usr.h"

namespace ruvel {

void CentreOverMainWindow(QWidget* dialog, QWidget* fallback) {
  if (dialog == nullptr) return;
  dialog->adjustSize();
  QWidget* main = Usr().MainForm.data();
  if (main == nullptr && fallback != nullptr) main = fallback->window();
  const QSize size = dialog->frameGeometry().size().expandedTo(dialog->size());
  QRect over;
  if (main != nullptr && main != dialog && main->isVisible()) {
    over = main->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    over = screen->availableGeometry();
  } else {
    return;
  }
  int left = over.left() + (over.width() - size.width()) / 2;
  int top = over.top() + (over.height() - size.height()) / 2;
  // A main window partly off the screen must not take its dialog along.
  if (QScreen* screen = QGuiApplication::screenAt(over.center()); screen != nullptr || QGuiApplication::primaryScreen()) {
    const QRect area = (screen != nullptr ? screen : QGuiApplication::primaryScreen())->availableGeometry();
    left = std::clamp(left, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    top = std::clamp(top, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
  }
  dialog->move(left, top);
}

}  // namespace ruvel

// The parameter dialogs' update/close menu.
#include "editor/dialogs/image_menu.h"

#include <QAction>
#include <QMenu>

namespace ruvel {

namespace {

ImageMenuChooser& Chooser() {
  static ImageMenuChooser chooser;
  return chooser;
}

}  // namespace

void SetImageMenuChooser(ImageMenuChooser chooser) { Chooser() = std::move(chooser); }

QString ChooseImageMenu(QWidget* over, QPoint global_pos) {
  if (Chooser()) return Chooser()(over);
  QMenu menu(over);
  QAction* update = menu.addAction(QStringLiteral("画像を更新して閉じる"));
  QAction* close = menu.addAction(QStringLiteral("編集はｷｬﾝｾﾙして閉じる"));
  const QAction* chosen = menu.exec(global_pos);
  if (chosen == update) return QStringLiteral("更新");
  if (chosen == close) return QStringLiteral("閉じる");
  return {};
}

}  // namespace ruvel

// The parameter dialogs' update/close menu, run by the popup window.
#include "editor/dialogs/image_menu.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "editor/dialogs/pp_pic.h"

namespace ruvel {

QString ChooseImageMenu(QWidget* over) {
  ppPic* menus = ppPic::Current();
  ppPic own;  // a dialog opened without the editor's window holds its own
  if (!menus) menus = &own;
  menus->PopUp(over, kMenuPicture);
  return menus->sGrp() == QStringLiteral("sbImg") ? menus->sCap() : QString();
}

QHBoxLayout* NewImageMenuRow(QWidget* parent, std::array<QToolButton*, 2>* labels) {
  auto* row = new QHBoxLayout;
  const QString captions[2] = {QStringLiteral("画像(&F)"), QStringLiteral("戻す(&U)")};
  for (int i = 0; i < 2; ++i) {
    QToolButton* label = new QToolButton(parent);
    label->setText(captions[i]);
    label->setAutoRaise(true);
    label->setFocusPolicy(Qt::NoFocus);
    row->addWidget(label);
    (*labels)[i] = label;
  }
  row->addStretch(1);
  return row;
}

}  // namespace ruvel

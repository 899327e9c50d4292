// File: editor/dialogs/image_menu.h
//
// The parameter dialogs' "画像(&F)" menu: "画像を更新して閉じる" reports
// "更新", "編集はｷｬﾝｾﾙして閉じる" reports "閉じる", and a menu closed without a
// choice reports "".
//
//   const QString choice = ChooseImageMenu(this, button->mapToGlobal(QPoint(0, h)));
//   if (choice == QStringLiteral("更新")) Update();
//
// Tests replace the menu with SetImageMenuChooser() and answer directly.
#pragma once

#include <QPoint>
#include <QString>
#include <functional>

class QWidget;

namespace ruvel {

// ChooseImageMenu(): pops the menu up at `global_pos` over `over` and
// returns the caption word of the choice.
QString ChooseImageMenu(QWidget* over, QPoint global_pos);

// A replacement for the popped-up menu; an empty function restores it.
using ImageMenuChooser = std::function<QString(QWidget* over)>;
void SetImageMenuChooser(ImageMenuChooser chooser);

}  // namespace ruvel

// File: editor/dialogs/image_menu.h
//
// The parameter dialogs' "画像(&F)" menu, the popup window's menu 10:
// "画像を更新して閉じる" reports "更新", "編集はｷｬﾝｾﾙして閉じる" reports "閉じる",
// and a menu closed without a choice reports "".
//
//   const QString choice = ChooseImageMenu(this);
//   if (choice == QStringLiteral("更新")) Update();
//
// Tests answer through ppPic::SetMenuRunner() and TriggerMenuPath().
#pragma once

#include <QString>
#include <array>

class QHBoxLayout;
class QToolButton;
class QWidget;

namespace ruvel {

// ChooseImageMenu(): pops the menu up over `over` and returns the caption
// word of the choice.
QString ChooseImageMenu(QWidget* over);

// NewImageMenuRow(): the row along a parameter dialog's top holding the
// clickable labels "画像(&F)" and "戻す(&U)" (stored in `labels`, children of
// `parent`), stretched to the left.
QHBoxLayout* NewImageMenuRow(QWidget* parent, std::array<QToolButton*, 2>* labels);

}  // namespace ruvel

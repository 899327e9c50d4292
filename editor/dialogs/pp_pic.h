// File: editor/dialogs/pp_pic.h
//
// ppPic: the hidden window that holds every menu of the editor.  A window
// pops up one of its top-level menus (PopUp); a choice does not act, it only
// records a command pair (group, caption), which the caller reads afterwards
// with sGrp()/sCap() and routes.  Before a menu opens its items are enabled
// and checked from the state the main window reports (MenuStateSource).
//
//   ppPic* menus = ppPic::Current();          // the editor's one instance
//   menus->PopUp(this, 10);                   // "画像" of a parameter dialog
//   if (menus->sGrp() == "sbImg" && menus->sCap() == "更新") Apply();
//
// Top-level menus: 1 "ﾌｧｲﾙ", 3 "画像編集", 4 "設定", 10 "画像".  Tests replace
// the way a menu is run (SetMenuRunner) and choose items by caption:
//
//   ppPic::SetMenuRunner([](QMenu* m, QWidget*) {
//     ruvel::TriggerMenuPath(m, {"回転", "右90度"});
//   });
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <map>

#include "editor/picture_edit/urve.h"

class QAction;
class QActionGroup;
class QMenu;

namespace ruvel {

// The state the menus are prepared from: the seven values of the editing
// control's GtMnState, the folder-tree mode the main window adds, and the
// marks the control keeps for the menus (toolbar and pan-window checks,
// registered ranges).
struct PopupState {
  MenuState control;
  int16_t folder_mode = 2;
  PopupMenuState marks;
};

// Implemented by the main window (reached through Usr().MainForm).
class MenuStateSource {
 public:
  virtual ~MenuStateSource() = default;
  // GtMnState(): false when the state could not be obtained.
  virtual bool GtMnState(PopupState* state) = 0;
};

// Top-level menu indexes.
inline constexpr int16_t kMenuFile = 1;
inline constexpr int16_t kMenuEdit = 3;
inline constexpr int16_t kMenuSettings = 4;
inline constexpr int16_t kMenuPicture = 10;

class ppPic : public QWidget {
  Q_OBJECT

 public:
  explicit ppPic(QWidget* parent = nullptr);
  ~ppPic() override;

  // Current(): the editor's instance (the first one created and still alive).
  static ppPic* Current();

  // PopUp(): clears the pair, prepares the menu, pops it up at the mouse over
  // form and returns when it has closed.  Unknown indexes do nothing.
  void PopUp(QWidget* form, int16_t index);
  const QString& sGrp() const { return group_; }
  const QString& sCap() const { return caption_; }

  // SetLMenu(): hides the items this edition does not offer.
  void SetLMenu();
  // SetParam(): the starting check marks of the settings menu.
  void SetParam(int16_t edit_update, bool confirm_delete, bool select_on_enter, const QString& display,
                int16_t mouse_mode, bool thumbs_per_folder);
  // prEdtMode(): the edit menu is enabled exactly when mode is not "初期".
  void prEdtMode(const QString& mode);
  // SetEditorItem(): caption of external-editor item k (0..2); the item is
  // shown only when the caption is not "".
  void SetEditorItem(int k, const QString& caption);

  // Prepare(): the state query and the enabling of one top-level menu (run
  // by PopUp before the menu opens).
  void Prepare(int16_t index);
  // Record(): stores group and the caption cut before its first "(&".
  void Record(const QString& group, const QString& caption);

  // The top-level menu of an index (nullptr when unknown).
  QMenu* Menu(int16_t index) const;
  // Finds an item by the captions leading to it (full captions, "(&" parts
  // included; the registered ranges and external editors by their captions).
  QAction* Find(int16_t index, const QStringList& path) const;

  // How a menu is run: by default exec() at the mouse position.  nullptr
  // restores the default.
  using MenuRunner = std::function<void(QMenu* menu, QWidget* form)>;
  static void SetMenuRunner(MenuRunner runner);

 private:
  QMenu* NewMenu(QMenu* parent, const QString& caption);
  QAction* AddItem(QMenu* menu, const QString& caption, const QString& group, const QString& shortcut = {});
  QActionGroup* AddRadioGroup(QMenu* menu, const QStringList& captions, const QString& group,
                              const QStringList& jobs = {});
  void BuildFileMenu();
  void BuildEditMenu();
  void BuildRangeMenu(QMenu* parent);
  void BuildDepthMenu(QMenu* parent);
  void BuildCorrectionMenu(QMenu* parent);
  void BuildEffectsMenu(QMenu* parent);
  void BuildSettingsMenu();
  void BuildPictureMenu();
  void PrepareFile(const PopupState& s);
  void PrepareEdit(const PopupState& s);
  void FillRanges(const PopupMenuState& marks);
  QAction* Item(const QString& key) const;

  QString group_;
  QString caption_;
  std::map<int16_t, QMenu*> top_;
  // Items the preparation and SetParam reach, by a short key.
  std::map<QString, QAction*> items_;
  std::array<QAction*, 3> editors_{};
  QActionGroup* updateGroup_ = nullptr;
  QActionGroup* deleteGroup_ = nullptr;
  QActionGroup* displayGroup_ = nullptr;
  QActionGroup* mouseGroup_ = nullptr;
  QMenu* rangeMenu_ = nullptr;
  QAction* rangeSeparator_ = nullptr;
  QList<QAction*> rangeItems_;
  QList<QAction*> depthItems_;
};

// TriggerMenuPath(): opens the submenus along the captions (as a user would,
// so their opening handlers run) and triggers the last item; false when an
// item is missing, hidden or disabled.
bool TriggerMenuPath(QMenu* menu, const QStringList& captions);

// ClipboardHasPicture(): the clipboard offers a bitmap, an enhanced
// metafile or a device-independent bitmap.
bool ClipboardHasPicture();

}  // namespace ruvel

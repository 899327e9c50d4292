// File: editor/dialogs/sbPic.h
//
// sbPic: the sub picture window.  A modeless window holding a second,
// independent editing control (uRvE) with its own menu bar, so that a
// second picture can be opened and edited beside the main one.  Menu
// choices are routed at once; the shortcut keys go straight to the
// control's dispatcher.  Closing the window, for any reason, first asks
// about unsaved changes; the control's undo files live in their own folder
// under the work folder, so the two controls' histories never meet.
//
//   ruvel::sbPic* sub = ruvel::sbPic::Act();   // opens, or raises the open one
//   sub->picture()->pcOpen(0, file, false);
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>

class QAction;
class QMenu;

namespace ruvel {

class uRvE;

// Folder of the sub window's undo files, below the work folder.
inline const QString kSubWorkFolder = QStringLiteral("Wrk/Sub/");

class sbPic : public QMainWindow {
  Q_OBJECT

 public:
  explicit sbPic(QWidget* parent = nullptr);
  ~sbPic() override;

  // Act(): places the sub window over the main window (10 % in, 90 % of
  // its size), connects its editing control and shows it modeless.  A
  // second call raises the window already open.
  static sbPic* Act();
  // The window currently open, nullptr when none.
  static sbPic* Current();

  // Route(): runs a chosen command pair (caption cut before "(&").
  void Route(const QString& group, const QString& caption);
  // HandleKey(): the window's key table; true when the key was taken.
  bool HandleKey(int key, Qt::KeyboardModifiers modifiers);

  uRvE* picture() const { return picture_; }
  QMenu* FileMenu() const { return fileMenu_; }
  QMenu* EditMenu() const { return editMenu_; }
  QMenu* ViewMenu() const { return viewMenu_; }
  // The menu action recording (group, caption), nullptr when none.
  QAction* FindAction(const QString& group, const QString& caption) const;
  // Enables the menus' items from the editing control's state, as opening
  // them does.
  void PrepareFileMenu();
  void PrepareEditMenu();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  QAction* AddItem(QMenu* menu, const QString& caption, const QString& group, const QString& shortcut = {});
  void BuildRangeMenu();
  void PopUpEditMenu();

  uRvE* picture_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QMenu* viewMenu_ = nullptr;
  QMenu* rangeMenu_ = nullptr;
  QMenu* emphasisMenu_ = nullptr;
  QMenu* depthMenu_ = nullptr;
  QAction* rangeMenuAction_ = nullptr;
  QList<QAction*> rangeItems_;
  bool closeConfirmed_ = false;
};

}  // namespace ruvel

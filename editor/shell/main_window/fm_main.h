// File: editor/shell/main_window/fm_main.h
//
// fmMain: Ruvel's main window.  A header strip (four menu labels, a
// separator, six picture buttons, the stamp panel and the information
// panel) over the picture editing control uRvE.  It loads and saves the
// user's settings, routes every command chosen in the popup menus, handles
// the shortcut keys, answers the control's events and shuts the editor down.
//
//   ruvel::StartupOptions options;
//   options.create_main_window = [&] { return new ruvel::fmMain(app.arguments()); };
//   QWidget* main = ruvel::Main(options);
//
// The window is built and loaded (Form_Load) by its constructor; the
// settings object, the folders and the popup window (ppPic::Current(), or
// one of its own) must be ready by then.
//
// Files: fm_main.cpp (load, header strip, events of uRvE, menu state),
// fm_main_commands.cpp (routing, buttons, keys, external editors, mail,
// deleting the file), fm_main_settings.cpp (settings, stamps, closing and
// shutdown).
#pragma once

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "editor/dialogs/pp_pic.h"
#include "editor/shell/main_window/header_layout.h"
#include "editor/shell/user_settings.h"

class QFrame;
class QLabel;
class QSessionManager;
class QToolButton;

namespace ruvel {

class uRvE;

// The picture buttons: tip text and the pair each sends.
struct ButtonCommand {
  const char* tip;
  const char* group;
  const char* caption;
  const char* theme_icon;
  const char* own_icon;
};
extern const std::array<ButtonCommand, 6> kButtonCommands;

class fmMain : public QWidget, public MenuStateSource {
  Q_OBJECT

 public:
  using CommandSink = std::function<void(const QString& group, const QString& caption)>;
  // arguments: the program's arguments (the first is the program).  sink:
  // see SetCommandSink (also used while the window loads).
  explicit fmMain(const QStringList& arguments, QWidget* parent = nullptr, CommandSink sink = {});
  ~fmMain() override;

  // GtMnState(): the control's seven values, the folder-tree mode (always
  // 2) and the control's menu marks.
  bool GtMnState(PopupState* state) override;

  // --- commands (also reached by clicks and keys) ---
  // RunButton(): button command i, only while the button is enabled.
  void RunButton(int i);
  // ClickLabel(): lbCom(i), i = 1..4.
  void ClickLabel(int i);
  // Route(): a pair chosen in a popup menu.
  void Route(const QString& group, const QString& caption);
  // HandleKey(): the key table; true when the key was one of the window's.
  bool HandleKey(int key, Qt::KeyboardModifiers modifiers);
  void MailPicture();
  void RunExternalEditor(int n);
  void DeleteCurrentFile();
  // ApplyStamp(): shows and hands over the current stamp picture, first
  // moving to the next one when advance is true.
  void ApplyStamp(bool advance);
  // Shutdown(): the six steps; once.  from_exit: the window closes itself.
  void Shutdown(bool from_exit);

  // Where the pairs for the editing control go: pcAct unless a sink is set
  // (tests record the pairs the window sends).
  void SetCommandSink(CommandSink sink) { sink_ = std::move(sink); }

  // --- state (tests, the popup menus) ---
  uRvE* Picture() const { return pic_; }
  ppPic* Menus() const { return menus_; }
  const QString& CurrentFile() const { return currentFile_; }
  const QString& EditMode() const { return editMode_; }
  const UserSettings& Settings() const { return settings_; }
  const QStringList& StampList() const { return stamps_; }
  int StampIndex() const { return stampIndex_; }
  const QString& StampFile() const { return stampFile_; }
  const HeaderLayout& Layout() const { return layout_; }
  QLabel* Label(int i) const { return lbCom_[i - 1]; }
  QToolButton* Button(int i) const { return imBtn_[i]; }
  QLabel* StampPanel() const { return pnBmp_; }
  QLabel* InfoPanel() const { return ssImg_; }
  QFrame* HeaderStrip() const { return fMnu_; }
  bool IsShutDown() const { return shutDown_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildHeader();
  void LayOutHeaderStrip();
  void ApplyLayout();
  void LoadSettings();
  void SaveSettings();
  void ReadStamps();
  void OpenFromCommandLine(const QStringList& arguments);
  void SetEditorCaptions();
  void PopUpAndRoute(int16_t index);
  void OnCommitData(QSessionManager& manager);
  void SendToControl(const QString& group, const QString& caption);
  // Events of uRvE.
  void OnStFile(const QString& file);
  void OnStPcTyp(const QString& file, const QString& depth, const QString& info);
  void OnEdtMode(const QString& mode);
  void OnShwTBar(bool shown);
  void OnAskPcPh(QString* folder);

  uRvE* pic_ = nullptr;
  ppPic* menus_ = nullptr;
  std::unique_ptr<ppPic> ownMenus_;
  QFrame* fMnu_ = nullptr;
  std::array<QLabel*, 4> lbCom_{};
  QFrame* ssPnl_ = nullptr;
  std::array<QToolButton*, 6> imBtn_{};
  QLabel* pnBmp_ = nullptr;
  QLabel* ssImg_ = nullptr;
  HeaderLayout layout_;

  UserSettings settings_;
  QString currentFile_;
  QString editMode_;
  QStringList stamps_;
  int stampIndex_ = 0;
  QString stampFile_;  // full path of the current stamp picture
  bool shutDown_ = false;
  CommandSink sink_;
};

}  // namespace ruvel

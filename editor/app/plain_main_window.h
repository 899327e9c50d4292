// File: editor/app/plain_main_window.h
//
// A plain main window for the editor: titled with the program name, placed
// from the user's settings and writing them back when the user closes it,
// showing the picture named on the command line.  It keeps the settings the
// way the full editor window does, so settings pass between the two.
//
//   auto* window = new ruvel::PlainMainWindow(picture_path);  // reads Usr().Ini
//   window->show();
#pragma once

#include <QMainWindow>

#include "editor/shell/user_settings.h"

class QLabel;

namespace ruvel {

class PlainMainWindow : public QMainWindow {
 public:
  explicit PlainMainWindow(const QString& picture_path, QWidget* parent = nullptr);

  // Shutdown(): settings into the document, then the document to the file.
  // Runs once; later calls do nothing.
  void Shutdown();

  const UserSettings& settings() const { return settings_; }
  const QString& picture_path() const { return picture_path_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void ShowPicture();

  UserSettings settings_;
  QString picture_path_;
  QLabel* view_ = nullptr;
  bool shut_down_ = false;
};

}  // namespace ruvel

// File: editor/shell/startup.h
//
// The editor's start-up: program name, user-data folder, work folders,
// work area, the settings document, then the main window.
//
//   ruvel::StartupOptions options;
//   options.create_main_window = [] { return new MainWindow; };
//   QWidget* main = ruvel::Main(options);
//   ... app.exec() ...
//   ruvel::ReleaseSettings();
//
// Tests pass their own program path and folder and install the platform
// seams (prompt, registry, special folders, screen) beforehand.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace ruvel {

struct StartupOptions {
  // Full path of the executable; "" = the running one.
  QString program_path;
  // Folder the program's shipped files ("UserData.ini", "apData/") are in;
  // "" = the folder of program_path.
  QString program_folder;
  // Creates the main window; it reads its settings through Usr().Ini while
  // it is built.  Main shows it.  Without one, no window is made.
  std::function<QWidget*()> create_main_window;
};

// ProgramNameFromPath(): base name without the executable suffix; a trailing
// "_dv" (any case) is removed.
QString ProgramNameFromPath(const QString& program_path);

// Main(): runs the start-up and returns the main window (nullptr when none
// was made).  The window is owned by the caller.
QWidget* Main(const StartupOptions& options);

// ReleaseSettings(): releases the settings object at shutdown.
void ReleaseSettings();

}  // namespace ruvel

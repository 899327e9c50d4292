// File: editor/app/main.cpp
//
// The Ruvel editor:  ruvel [picture]
#include <QApplication>
#include <memory>

#include "editor/dialogs/parameter_dialogs.h"
#include "editor/dialogs/pp_pic.h"
#include "editor/dialogs/sbWmf.h"
#include "editor/dialogs/window_plugs.h"
#include "editor/shell/main_window/fm_main.h"
#include "editor/shell/startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ruvel"));
  QApplication::setDesktopFileName(QStringLiteral("ruvel"));
  ruvel::PlugInVectorViewer();
  ruvel::PlugEditorWindows();
  ruvel::PlugInParameterDialogs();
  // The hidden window holding every menu, loaded before the main window.
  auto menus = std::make_unique<ruvel::ppPic>();
  ruvel::StartupOptions options;
  const QStringList arguments = QApplication::arguments();
  options.create_main_window = [&arguments] { return new ruvel::fmMain(arguments); };
  std::unique_ptr<QWidget> main_window(ruvel::Main(options));
  const int rc = main_window ? QApplication::exec() : 1;
  main_window.reset();
  menus.reset();
  ruvel::ReleaseSettings();
  return rc;
}

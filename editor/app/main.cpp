// File: editor/app/main.cpp
//
// The Ruvel editor:  ruvel [picture]
#include <QApplication>
#include <memory>

#include "editor/app/command_line.h"
#include "editor/app/plain_main_window.h"
#include "editor/dialogs/sbWmf.h"
#include "editor/shell/startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ruvel::PlugInVectorViewer();
  const QString picture = ruvel::PicturePathFromArguments(QApplication::arguments());
  ruvel::StartupOptions options;
  options.create_main_window = [&picture] { return new ruvel::PlainMainWindow(picture); };
  std::unique_ptr<QWidget> main_window(ruvel::Main(options));
  const int rc = main_window ? QApplication::exec() : 1;
  main_window.reset();
  ruvel::ReleaseSettings();
  return rc;
}

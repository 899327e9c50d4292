// urve_demo: one editing control in a window, for trying it by hand.
#include <QApplication>
#include <QMainWindow>

#include "editor/picture_edit/urve.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  auto* pic = new ruvel::uRvE(&window);
  window.setCentralWidget(pic);
  window.resize(900, 650);
  window.show();
  return app.exec();
}

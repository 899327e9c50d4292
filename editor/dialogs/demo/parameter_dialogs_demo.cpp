// parameter_dialogs_demo: a picture in an imaging control and one of the parameter
// dialogs opened over it, for looking at the dialogs.
//
//   parameter_dialogs_demo colour|correction|effects|rotation [picture]
//
// After the dialog closes the window shows the picture as the dialog left
// it, and the program prints whether it was changed.
#include <QApplication>
#include <QLinearGradient>
#include <QMainWindow>
#include <QPainter>
#include <cstdio>

#include "editor/dialogs/dialog_imaging.h"
#include "editor/dialogs/parameter_dialogs.h"
#include "editor/dialogs/pp_pic.h"
#include "editor/shell/usr.h"
#include "platform/font_substitution.h"

namespace {

QImage SamplePicture() {
  QImage img(800, 600, QImage::Format_RGB888);
  QPainter p(&img);
  QLinearGradient g(0, 0, 800, 600);
  g.setColorAt(0, QColor(30, 90, 200));
  g.setColorAt(1, QColor(250, 200, 60));
  p.fillRect(img.rect(), g);
  p.setPen(QPen(Qt::white, 8));
  p.drawEllipse(QPoint(400, 300), 200, 140);
  p.setPen(QPen(Qt::black, 5));
  p.drawLine(80, 520, 720, 150);
  p.setFont(platform::SubstituteFont(QStringLiteral("ＭＳ Ｐゴシック"), 36));
  p.drawText(img.rect().adjusted(0, 0, 0, -30), Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("画像の補正 ﾃﾞﾓ"));
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  platform::InstallFontSubstitutions();
  const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("effects");
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("parameter_dialogs_demo"));
  window.resize(900, 700);
  window.move(20, 20);
  auto mv = ruvel::NewPreviewControl(&window);
  window.setCentralWidget(mv->widget());
  QImage picture = argc > 2 ? QImage(QString::fromLocal8Bit(argv[2])) : QImage();
  if (picture.isNull()) picture = SamplePicture();
  mv->SetPicture(picture);
  window.show();
  mv->DrawImage(1);
  ruvel::Usr().MainForm = &window;
  ruvel::ppPic menus;

  const int code = which == QLatin1String("colour")       ? 0
                   : which == QLatin1String("correction") ? 1
                   : which == QLatin1String("rotation")   ? 3
                                                          : 2;
  int mode = 1;
  QString depth = QStringLiteral("24.");
  const bool changed = ruvel::OpenDetailDialog(code, *mv, mode, depth, {0, 0, 0, 0});
  std::printf("changed: %s\n", changed ? "yes" : "no");
  std::fflush(stdout);
  return app.exec();
}

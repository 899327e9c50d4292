// dialogs_demo: opens one of the editor's windows over a stand-in main
// window with a sample picture, and prints what the window returned.
//
//   dialogs_demo spSize | spDpi | spPex | spImgSV | sbPic
#include <QApplication>
#include <QLinearGradient>
#include <QMainWindow>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>

#include "editor/dialogs/sbPic.h"
#include "editor/dialogs/spDpi.h"
#include "editor/dialogs/spImgSV.h"
#include "editor/dialogs/spPex.h"
#include "editor/dialogs/spSize.h"
#include "editor/picture_edit/urve.h"
#include "editor/shell/usr.h"

namespace {

QImage SamplePicture() {
  QImage img(480, 320, QImage::Format_RGB888);
  QPainter p(&img);
  QLinearGradient g(0, 0, 480, 320);
  g.setColorAt(0, QColor(30, 90, 200));
  g.setColorAt(1, QColor(250, 200, 60));
  p.fillRect(img.rect(), g);
  p.fillRect(QRect(40, 40, 120, 80), QColor(250, 10, 20));
  p.setPen(Qt::white);
  p.setFont(QFont("Noto Sans CJK JP", 24));
  p.drawText(img.rect(), Qt::AlignCenter, QStringLiteral("ｻﾝﾌﾟﾙ画像"));
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("spSize");
  QTemporaryDir data;
  ruvel::Usr().UserDataFolder = data.path() + "/";
  ruvel::Usr().Started = true;
  QMainWindow main;
  main.setWindowTitle(QStringLiteral("Ruvel"));
  main.setGeometry(80, 60, 1100, 760);
  auto* pic = new ruvel::uRvE(&main);
  main.setCentralWidget(pic);
  main.show();
  ruvel::Usr().MainForm = &main;
  pic->Seam().mvImg().SetPicture(SamplePicture());
  pic->StSize();
  pic->Seam().mvImg().DrawImage(1);
  pic->RefreshInfo();

  if (which == "spSize") {
    QString ranges = QStringLiteral("名刺,9.1,5.5,cm:Icon,64,64,px");
    ruvel::spSize::Act(&ranges, 320, 240, &main);
    std::printf("%s\n", ranges.toUtf8().constData());
  } else if (which == "spDpi") {
    int32_t x = 72, y = 72;
    bool ok = false;
    ruvel::spDpi::Act(&x, &y, 1200, 800, &ok, &main);
    std::printf("ok=%d x=%d y=%d\n", ok, x, y);
  } else if (which == "spPex") {
    QString r1 = QStringLiteral("GIMP,/usr/bin/gimp"), r2, r3 = QStringLiteral("表示,/usr/bin/eog");
    const bool ok = ruvel::spPex::Act(&r1, &r2, &r3, &main);
    std::printf("ok=%d [%s] [%s] [%s]\n", ok, r1.toUtf8().constData(), r2.toUtf8().constData(),
                r3.toUtf8().constData());
  } else if (which == "spImgSV") {
    ruvel::spImgSV::Act(static_cast<imaging::MemHandle>(pic->GetHndle()), &main);
  } else if (which == "sbPic") {
    ruvel::sbPic* sub = ruvel::sbPic::Act();
    sub->picture()->Seam().mvImg().SetPicture(SamplePicture().mirrored(true, false));
    sub->picture()->Seam().mvImg().DrawImage(1);
    sub->picture()->RefreshInfo();
    sub->picture()->SetEditState(QStringLiteral("読込"));
    return QApplication::exec();
  }
  return 0;
}

// urve_demo: one editing control in a window with menus for opening,
// saving, the view and mouse modes, zoom, selection sizes and undo.
//
//   urve_demo [picture [view word [range job [group=job | capture=file]...]]]
//
// e.g. urve_demo a.jpg 実寸 "名刺(9.1 * 5.5 cm)" opens a.jpg at actual size
// with a card-sized selection; urve_demo a.jpg ｽｹｰﾙ "" 回転=右90度 効果=ﾓｻﾞｲｸ
// then turns it and applies the mosaic; capture=/tmp/s.png saves a capture
// of the active window and opens it.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLinearGradient>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QTemporaryDir>

#include <utility>
#include <vector>

#include "editor/picture_edit/urve.h"
#include "editor/shell/usr.h"

namespace {

// A picture to work on when none could be opened.
QImage SamplePicture() {
  QImage img(640, 480, QImage::Format_RGB888);
  QPainter p(&img);
  QLinearGradient g(0, 0, 640, 480);
  g.setColorAt(0, QColor(30, 90, 200));
  g.setColorAt(1, QColor(250, 200, 60));
  p.fillRect(img.rect(), g);
  p.setPen(QPen(Qt::white, 6));
  p.drawEllipse(QPoint(320, 240), 150, 110);
  p.setPen(Qt::black);
  p.setFont(QFont("Noto Sans CJK JP", 28));
  p.drawText(img.rect().adjusted(0, 0, 0, -20), Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("画像編集 ﾃﾞﾓ"));
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("urve_demo");
  auto* pic = new ruvel::uRvE(&window);
  window.setCentralWidget(pic);

  QTemporaryDir work;
  pic->cOn(&window, work.path() + "/");
  pic->SetPram(85, 1, QStringLiteral("ｽｹｰﾙ"), 0, "jpg");
  pic->setUsrHani(QStringLiteral("名刺,9.1,5.5,cm:VGA,640,480,px"));

  auto* info = new QLabel;
  auto* state = new QLabel;
  window.statusBar()->addWidget(info, 1);
  window.statusBar()->addPermanentWidget(state);
  QObject::connect(pic, &ruvel::uRvE::eStPcTyp, info,
                   [info](const QString& file, const QString& depth, const QString& text) {
                     info->setText((file.isEmpty() ? QStringLiteral("(無題)") : file) + "  " + depth + "  " + text);
                   });
  QObject::connect(pic, &ruvel::uRvE::eEdtMode, state, &QLabel::setText);
  QObject::connect(pic, &ruvel::uRvE::eAskPcPh, pic, [](QString* folder) {
    if (folder->isEmpty()) *folder = QDir::homePath();
  }, Qt::DirectConnection);

  auto act = [pic](const QString& group, const QString& job) { return [pic, group, job] { pic->pcAct(group, job); }; };

  QMenu* file = window.menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ"));
  file->addAction(QStringLiteral("ﾌｧｲﾙを開く"), [pic] {
    QString name;
    pic->pcOpen(1, name, false);
  });
  file->addAction(QStringLiteral("上書き保存"), [pic] {
    QString name;
    pic->SaveCore(0, name, false, false);
  });
  file->addAction(QStringLiteral("名前を付けて保存"), [pic] {
    QString name;
    pic->SaveCore(1, name, false, false);
  });
  file->addSeparator();
  file->addAction(QStringLiteral("終了"), &window, &QWidget::close);

  QMenu* view = window.menuBar()->addMenu(QStringLiteral("表示"));
  for (int mode = 1; mode <= 5; ++mode) view->addAction(ruvel::ViewWordOf(mode), act("表示", ruvel::ViewWordOf(mode)));
  QMenu* zoom = window.menuBar()->addMenu(QStringLiteral("拡大"));
  for (const char* z : {" 25%", " 50%", "100%", "200%", "400%"}) zoom->addAction(z, act("拡大", z));

  QMenu* mouse = window.menuBar()->addMenu(QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"));
  for (const char* m : {"矩形選択", "位置移動", "拡大縮小"})
    mouse->addAction(QString::fromUtf8(m), act("ﾏｳｽﾄﾞﾗｯｸﾞ", QString::fromUtf8(m)));

  QMenu* range = window.menuBar()->addMenu(QStringLiteral("範囲"));
  for (const QString& caption : pic->PopupMenu().rangeCaptions) range->addAction(caption, act("範囲", caption));
  range->addSeparator();
  for (const char* j : {"X-Y変換", "ﾏｰｶｰ", "相対", "範囲のｸﾘｱ"})
    range->addAction(QString::fromUtf8(j), act("範囲", QString::fromUtf8(j)));

  QMenu* edit = window.menuBar()->addMenu(QStringLiteral("画像編集"));
  edit->addAction(QStringLiteral("編集を一つ戻す"), act("画像編集", "編集を一つ戻す"));
  for (const char* j : {"ﾄﾘﾐﾝｸﾞ", "画像枠を追加", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規", "解像度"})
    edit->addAction(QString::fromUtf8(j), act("画像編集", QString::fromUtf8(j)));
  const std::pair<const char*, std::vector<const char*>> groups[] = {
      {"色数", {"白黒", "16色(4bit)", "ｸﾞﾚ-(8bit)", "256色(8bit)", "24ﾋﾞｯﾄ"}},
      {"補正", {"ﾉｲｽﾞの除去", "ぼかし", "ｼｬ-ﾌﾟ", "ｽﾌﾟﾗｲﾝ補正"}},
      {"効果", {"ｴﾝﾎﾞｽ", "ﾓｻﾞｲｸ", "輪郭", "波", "渦巻", "ﾚﾝｽﾞ", "ｷｬﾝﾊﾞｽ"}},
      {"回転", {"左右反転", "上下反転", "右90度", "左90度", "右180度"}},
      {"明度", {"明るく", "暗く"}},
      {"彩度", {"鮮やか", "淡く"}},
      {"色反転", {"全て", "Red"}},
  };
  for (const auto& [group, jobs] : groups) {
    QMenu* menu = window.menuBar()->addMenu(QString::fromUtf8(group));
    for (const char* j : jobs) menu->addAction(QString::fromUtf8(j), act(QString::fromUtf8(group), QString::fromUtf8(j)));
  }
  edit->addAction(QStringLiteral("ﾂｰﾙﾊﾞｰ"), [pic] { pic->SetToolbar(!pic->ToolbarShown()); });

  window.resize(900, 650);
  window.show();
  pic->StSize();

  QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  if (!name.isEmpty()) pic->pcOpen(0, name, false);
  if (pic->GetHndle() == 0) {
    pic->Seam().mvImg().SetPicture(SamplePicture());
    pic->SetEditState(ruvel::kStateLoaded);
    pic->SetView(QStringLiteral("ｽｹｰﾙ"));
    pic->RefreshPicture(false);
  }
  if (argc > 2) pic->pcAct(QStringLiteral("表示"), QString::fromLocal8Bit(argv[2]));
  if (argc > 3 && argv[3][0] != '\0') pic->pcAct(QStringLiteral("範囲"), QString::fromLocal8Bit(argv[3]));
  for (int i = 4; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    const int eq = arg.indexOf('=');
    if (eq < 0) continue;
    if (arg.left(eq) == QStringLiteral("capture")) {
      ruvel::Usr().Started = true;
      pic->aeSaveCapt(arg.mid(eq + 1), true);
    } else {
      pic->pcAct(arg.left(eq), arg.mid(eq + 1));
    }
  }
  const int rc = app.exec();
  pic->cOff();
  return rc;
}

// morvik_demo: opens a picture in the imaging control, with buttons and
// keys for the view modes, zoom, mouse modes, pan window and toolbar.
//
//   morvik_demo [picture] [--mode N] [--zoom F] [--select l,t,r,b]
//               [--scroll x,y] [--pan] [--toolbar] [--drag]
//
// Keys: 1-5 view modes, +/- zoom, S select, M move, P pan window,
// T toolbar, O open.
#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLinearGradient>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "imaging/control/draw_toolbar.h"
#include "imaging/control/file_io.h"
#include "imaging/control/morvik.h"
#include "imaging/control/pan_window.h"

using imaging::control::Morvik;

namespace {

// A test card for runs without a picture file.
QImage TestCard() {
  QImage img(2400, 1600, QImage::Format_RGB32);
  QPainter p(&img);
  QLinearGradient g(0, 0, img.width(), img.height());
  g.setColorAt(0, QColor(30, 60, 160));
  g.setColorAt(1, QColor(240, 200, 60));
  p.fillRect(img.rect(), g);
  p.setPen(QPen(Qt::white, 4));
  for (int x = 0; x < img.width(); x += 200) p.drawLine(x, 0, x, img.height());
  for (int y = 0; y < img.height(); y += 200) p.drawLine(0, y, img.width(), y);
  p.setBrush(Qt::red);
  p.drawEllipse(QPoint(1200, 800), 300, 300);
  QFont f = p.font();
  f.setPixelSize(120);
  p.setFont(f);
  p.drawText(QRect(0, 1300, 2400, 200), Qt::AlignCenter, "Morvik 画像");
  return img;
}

bool OpenPicture(Morvik* view, const QString& path, QLabel* status) {
  view->FileIO().SetFileName(path);
  if (view->FileIO().LoadFile(0) && view->FileIO().FinishLoad()) return true;
  const int code = view->ErrorCode();
  // The engine's codecs decide; Qt's reader is a fallback for this demo only.
  QImageReader reader(path);
  const QImage img = reader.read();
  if (!img.isNull() && view->SetPicture(img)) {
    status->setText(QString("loaded through Qt (codec code %1)").arg(code));
    return true;
  }
  status->setText(QString("cannot open %1: code %2").arg(path).arg(code));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow win;
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  auto* buttons = new QHBoxLayout;
  auto* view = new Morvik;
  auto* status = new QLabel("");
  layout->addLayout(buttons);
  layout->addWidget(view, 1);
  layout->addWidget(status);
  win.setCentralWidget(central);
  win.resize(1000, 760);
  win.move(240, 40);

  int mode = 1;
  auto show_state = [&] {
    status->setText(QString("mode %1  zoom %2  range (%3,%4)-(%5,%6)  %7x%8  code %9")
                        .arg(view->CurrentViewMode())
                        .arg(view->ZoomX(), 0, 'f', 2)
                        .arg(view->RangeLeft()).arg(view->RangeTop()).arg(view->RangeRight()).arg(view->RangeBottom())
                        .arg(view->image().width()).arg(view->image().height())
                        .arg(view->ErrorCode()));
  };
  auto add = [&](const QString& text, const QString& key, auto fn) {
    auto* b = new QPushButton(text);
    buttons->addWidget(b);
    QObject::connect(b, &QPushButton::clicked, fn);
    auto* sc = new QShortcut(QKeySequence(key), &win);
    QObject::connect(sc, &QShortcut::activated, fn);
  };
  const char* names[] = {"ｽｹｰﾙ", "ｽﾄﾚｯﾁ", "実寸", "横合わせ", "縦合わせ"};
  for (int m = 1; m <= 5; ++m)
    add(QString::fromUtf8(names[m - 1]), QString::number(m), [&, m] { mode = m; view->DrawImage(m); show_state(); });
  add("+", "+", [&] { view->SetZoomX(view->ZoomX() * 1.25); view->SetZoomY(view->ZoomY() * 1.25); view->DrawImage(3); show_state(); });
  add("-", "-", [&] { view->SetZoomX(view->ZoomX() / 1.25); view->SetZoomY(view->ZoomY() / 1.25); view->DrawImage(3); show_state(); });
  add("選択", "S", [&] { view->SetRectSelect(true); view->SetPointerShape(17); });
  add("移動", "M", [&] { view->SetDragMove(true); view->SetPointerShape(15); });
  add("ﾊﾟﾝ", "P", [&] {
    if (view->PanWindow().IsShown()) view->PanWindow().HideWindow();
    else view->PanWindow().ShowAt(win.geometry().topLeft() - QPoint(220, 0));
  });
  add("ﾂｰﾙﾊﾞｰ", "T", [&] {
    if (view->DrawToolbar().IsShown()) view->DrawToolbar().Close();
    else {
      view->DrawToolbar().SetPosition(std::max(0, win.geometry().left() - 120), win.geometry().top() + 260);
      view->DrawToolbar().SetStyle(true, 10, true, "ToolBar", 50, 0, 0xFFFFFF);
      view->DrawToolbar().ShowToolbar();
    }
  });
  add("開く", "O", [&] {
    const QString path = QFileDialog::getOpenFileName(&win);
    if (!path.isEmpty() && OpenPicture(view, path, status)) { view->SetViewReset(true); view->DrawImage(mode); }
  });
  QObject::connect(view, &Morvik::RangeSelected, [&](int, int, int, int) { show_state(); });
  QObject::connect(view, &Morvik::FileDropped, [&](const QString& path) {
    if (OpenPicture(view, path, status)) { view->SetViewReset(true); view->DrawImage(mode); }
  });

  // Command line.
  QStringList args = app.arguments().mid(1);
  QString file;
  double zoom = 1.0;
  QList<int> select, scroll;
  bool pan = false, toolbar = false, drag = false;
  for (int i = 0; i < args.size(); ++i) {
    const QString a = args[i];
    const QString next = i + 1 < args.size() ? args[i + 1] : QString();
    auto ints = [](const QString& s) { QList<int> v; for (const QString& t : s.split(',')) v << t.toInt(); return v; };
    if (a == "--mode") { mode = next.toInt(); ++i; }
    else if (a == "--zoom") { zoom = next.toDouble(); ++i; }
    else if (a == "--select") { select = ints(next); ++i; }
    else if (a == "--scroll") { scroll = ints(next); ++i; }
    else if (a == "--pan") pan = true;
    else if (a == "--toolbar") toolbar = true;
    else if (a == "--drag") drag = true;
    else file = a;
  }
  win.show();
  bool loaded = !file.isEmpty() && OpenPicture(view, file, status);
  if (!loaded) loaded = view->SetPicture(TestCard());
  view->SetZoomX(zoom);
  view->SetZoomY(zoom);
  QTimer::singleShot(100, [&] {
    view->SetViewReset(true);
    view->DrawImage(mode < 1 || mode > 5 ? 1 : mode);
    if (scroll.size() == 2) view->ScrollTo(QPoint(scroll[0], scroll[1]));
    if (select.size() == 4) {
      view->SetRangeLeft(select[0]); view->SetRangeTop(select[1]);
      view->SetRangeRight(select[2]); view->SetRangeBottom(select[3]);
    }
    if (drag) view->SetDragMove(true);
    if (pan) view->PanWindow().ShowAt(QPoint(10, 40));
    if (toolbar) {
      view->DrawToolbar().SetPosition(10, 300);
      view->DrawToolbar().SetStyle(true, 10, true, "ToolBar", 50, 0, 0xFFFFFF);
      view->DrawToolbar().ShowToolbar();
      view->DrawToolbar().SelectTool(imaging::control::DrawToolbar::kToolLine);
      view->DrawToolbar().SetColour(Qt::green);
      view->DrawToolbar().SetPenWidth(8);
      view->DrawToolbar().DrawLine(100, 100, 900, 600);
    }
    show_state();
  });
  return app.exec();
}

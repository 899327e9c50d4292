// File: tools/make_sample_pictures.cpp
//
// Draws the pictures the build ships for trying the editor: a colourful
// sample picture, a few stamp pictures and the cursors of the mouse modes.
//
//   make_sample_pictures <sample.png> <stamp folder>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>

namespace {

QImage SamplePicture() {
  QImage image(800, 600, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, 600);
  sky.setColorAt(0.0, QColor(30, 60, 160));
  sky.setColorAt(0.55, QColor(250, 150, 90));
  sky.setColorAt(1.0, QColor(255, 230, 150));
  p.fillRect(image.rect(), sky);

  QRadialGradient sun(600, 170, 110);
  sun.setColorAt(0.0, QColor(255, 255, 210));
  sun.setColorAt(0.6, QColor(255, 210, 60));
  sun.setColorAt(1.0, QColor(255, 120, 40, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(sun);
  p.drawEllipse(QPointF(600, 170), 110, 110);

  // Hills.
  QPainterPath hills;
  hills.moveTo(0, 600);
  for (int x = 0; x <= 800; x += 10)
    hills.lineTo(x, 430 + 40 * std::sin(x / 90.0) + 20 * std::sin(x / 37.0));
  hills.lineTo(800, 600);
  hills.closeSubpath();
  QLinearGradient grass(0, 380, 0, 600);
  grass.setColorAt(0.0, QColor(70, 170, 60));
  grass.setColorAt(1.0, QColor(20, 90, 40));
  p.setBrush(grass);
  p.drawPath(hills);

  // A row of colour swatches, for checking colour depth and dithering.
  const QColor swatches[] = {Qt::red, QColor(255, 140, 0), Qt::yellow, Qt::green,
                             Qt::cyan, Qt::blue, Qt::magenta, Qt::white, Qt::black};
  for (int i = 0; i < 9; ++i) {
    p.setBrush(swatches[i]);
    p.setPen(QPen(Qt::black, 2));
    p.drawRoundedRect(QRectF(40 + i * 50, 500, 40, 40), 6, 6);
  }

  // A triangle and a circle with outlines.
  p.setBrush(QColor(120, 40, 200, 200));
  p.setPen(QPen(Qt::white, 4));
  p.drawPolygon(QPolygonF({QPointF(90, 380), QPointF(190, 200), QPointF(290, 380)}));
  p.setBrush(QColor(0, 200, 220, 180));
  p.drawEllipse(QPointF(330, 300), 70, 70);

  QFont font(QStringLiteral("Sans Serif"));
  font.setPixelSize(110);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(0, 0, 0, 110));
  p.drawText(QRect(6, 36, 800, 140), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Ruvel"));
  p.setPen(Qt::white);
  p.drawText(QRect(0, 30, 800, 140), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Ruvel"));
  p.end();
  return image;
}

QImage Stamp(int kind) {
  QImage image(64, 64, QImage::Format_RGB888);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 2));
  if (kind == 0) {  // star
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
      const double r = i % 2 ? 12 : 28;
      const double a = -M_PI / 2 + i * M_PI / 5;
      star << QPointF(32 + r * std::cos(a), 33 + r * std::sin(a));
    }
    p.setBrush(QColor(255, 200, 0));
    p.drawPolygon(star);
  } else if (kind == 1) {  // heart
    QPainterPath heart;
    heart.moveTo(32, 56);
    heart.cubicTo(-4, 30, 14, 2, 32, 20);
    heart.cubicTo(50, 2, 68, 30, 32, 56);
    p.setBrush(QColor(230, 30, 70));
    p.drawPath(heart);
  } else {  // check mark in a circle
    p.setBrush(QColor(40, 170, 80));
    p.drawEllipse(QPointF(32, 32), 28, 28);
    p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(18, 33), QPointF(28, 44), QPointF(47, 22)}));
  }
  p.end();
  return image;
}

// A mouse cursor: 32 x 32, drawn with a white outline around black so it
// shows on any picture.
QImage CursorPicture(int kind) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath shape;
  if (kind == 0) {  // open hand: palm and four fingers and a thumb
    shape.addRoundedRect(QRectF(9, 14, 15, 14), 5, 5);
    for (int i = 0; i < 4; ++i) shape.addRoundedRect(QRectF(9 + i * 4, 4 + (i == 0 || i == 3 ? 3 : 0), 3.4, 14), 1.7, 1.7);
    shape.addRoundedRect(QRectF(3, 14, 9, 3.4), 1.7, 1.7);
  } else {  // magnifier: a lens and a handle
    shape.addEllipse(QPointF(12, 12), 9, 9);
    QPainterPath handle;
    handle.moveTo(18, 20);
    handle.lineTo(21, 17);
    handle.lineTo(30, 26);
    handle.lineTo(27, 29);
    handle.closeSubpath();
    shape = shape.united(handle);
  }
  p.setPen(QPen(Qt::white, 2.5));
  p.setBrush(Qt::black);
  p.drawPath(shape.simplified());
  if (kind == 1) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 225, 255));
    p.drawEllipse(QPointF(12, 12), 6, 6);
  }
  p.end();
  return image;
}

// Writes a Windows cursor file: one 32 x 32 image, 32 bits with alpha, its
// AND mask, and the hot spot.
bool SaveCursor(const QImage& image, int hot_x, int hot_y, const QString& path) {
  QByteArray out;
  auto u16 = [&out](int v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
  auto u32 = [&out](uint32_t v) { for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF)); };
  const int w = image.width(), h = image.height();
  const int mask_row = ((w + 31) / 32) * 4;
  const uint32_t dib = 40 + w * h * 4 + mask_row * h;
  u16(0); u16(2); u16(1);                              // cursor directory, one image
  out.append(char(w)).append(char(h)).append('\0').append('\0');
  u16(hot_x); u16(hot_y); u32(dib); u32(22);
  u32(40); u32(w); u32(h * 2); u16(1); u16(32); u32(0); u32(w * h * 4); u32(0); u32(0); u32(0); u32(0);
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) u32(image.pixel(x, y));
  for (int y = h - 1; y >= 0; --y) {
    QByteArray row(mask_row, '\0');
    for (int x = 0; x < w; ++x)
      if (qAlpha(image.pixel(x, y)) == 0) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
    out.append(row);
  }
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size()) {
    std::fprintf(stderr, "make_sample_pictures: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

bool Save(const QImage& image, const QString& path, const char* format) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !image.save(path, format)) {
    std::fprintf(stderr, "make_sample_pictures: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_sample_pictures <sample.png> <stamp folder>\n");
    return 2;
  }
  const QString sample = QString::fromLocal8Bit(argv[1]);
  const QString stamps = QString::fromLocal8Bit(argv[2]);
  bool ok = Save(SamplePicture(), sample, "PNG");
  const char* names[] = {"stamp_star.bmp", "stamp_heart.bmp", "stamp_check.bmp"};
  for (int i = 0; i < 3; ++i) ok = Save(Stamp(i), stamps + "/" + names[i], "BMP") && ok;
  // The cursors of the mouse modes "位置移動" and "拡大縮小".
  ok = SaveCursor(CursorPicture(0), 16, 16, stamps + "/Hand.cur") && ok;
  ok = SaveCursor(CursorPicture(1), 12, 12, stamps + "/Magnify.cur") && ok;
  return ok ? 0 : 1;
}

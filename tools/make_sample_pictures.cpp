// File: tools/make_sample_pictures.cpp
//
// Draws the pictures the build ships for trying the editor: a colourful
// sample picture and a few stamp pictures.
//
//   make_sample_pictures <sample.png> <stamp folder>
#include <QDir>
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
  return ok ? 0 : 1;
}

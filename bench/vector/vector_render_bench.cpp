// Rendering vector files at 2000 x 1500 against painting the same
// primitives directly with QPainter into a QImage (the peer).  Our runs
// include reading the file into the drawing model and handing out an
// engine picture; the target is at most 1.5 times the peer.
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "bench/qt_bench_main.h"
#include "imaging/vector/render.h"
#include "imaging/vector/testing/file_builders.h"
#include "imaging/vector/vector_file.h"

namespace {

using imaging::vector::testing::Bytes;

constexpr int kWidth = 2000, kHeight = 1500;

// One primitive of the shared scene, in page units of a 2000 x 1500 page.
struct Prim {
  enum Kind { kPolyline, kPolygon, kRect, kEllipse, kCircle, kArc } kind;
  std::vector<QPointF> pts;  // polyline/polygon points; rect/ellipse: two corners; circle/arc: centre
  double radius = 0, a0 = 0, a1 = 0;
  QRgb pen = 0, brush = 0;
  bool filled = false;
};

std::vector<Prim> Scene(int count, bool dxf) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> x(0, kWidth), y(0, kHeight), d(-60, 60);
  std::uniform_int_distribution<int> c(0, 255), kind(0, dxf ? 3 : 3), n(3, 9);
  std::vector<Prim> out;
  for (int i = 0; i < count; ++i) {
    Prim p;
    const int k = kind(rng);
    p.pen = qRgb(c(rng), c(rng), c(rng));
    p.brush = qRgb(c(rng), c(rng), c(rng));
    const QPointF at(x(rng), y(rng));
    if (dxf) {
      p.kind = k == 0 ? Prim::kPolyline : k == 1 ? Prim::kCircle : k == 2 ? Prim::kArc : Prim::kPolyline;
      if (p.kind == Prim::kPolyline) {
        const int m = k == 0 ? 2 : n(rng);
        p.pts.push_back(at);
        for (int j = 1; j < m; ++j) p.pts.push_back(p.pts.back() + QPointF(d(rng), d(rng)));
      } else {
        p.pts.push_back(at);
        p.radius = std::fabs(d(rng)) + 2;
        p.a0 = c(rng);
        p.a1 = p.a0 + 30 + c(rng) / 2;
      }
    } else {
      p.kind = k == 0 ? Prim::kPolyline : k == 1 ? Prim::kPolygon : k == 2 ? Prim::kRect : Prim::kEllipse;
      p.filled = p.kind != Prim::kPolyline;
      if (p.kind == Prim::kPolyline || p.kind == Prim::kPolygon) {
        const int m = n(rng);
        p.pts.push_back(at);
        for (int j = 1; j < m; ++j) p.pts.push_back(p.pts.back() + QPointF(d(rng), d(rng)));
      } else {
        p.pts = {at, at + QPointF(std::fabs(d(rng)) + 4, std::fabs(d(rng)) + 4)};
      }
    }
    out.push_back(p);
  }
  return out;
}

uint32_t Ref(QRgb c) { return static_cast<uint32_t>(qRed(c) | qGreen(c) << 8 | qBlue(c) << 16); }

// The scene as an EMF: pen and brush created and selected for each shape
// (four records a shape, so 1250 shapes make 5000 records).
std::vector<uint8_t> EmfOf(const std::vector<Prim>& scene) {
  imaging::vector::testing::EmfBuilder e;
  for (const Prim& p : scene) {
    e.Record(38, Bytes().U32(1).U32(0).I32(1).I32(0).U32(Ref(p.pen)));
    e.Record(37, Bytes().U32(1));
    if (p.filled) {
      e.Record(39, Bytes().U32(2).U32(0).U32(Ref(p.brush)).U32(0));
      e.Record(37, Bytes().U32(2));
    } else {
      e.Record(37, Bytes().U32(0x80000005u));
      e.Record(37, Bytes().U32(0x80000005u));
    }
    Bytes b;
    if (p.kind == Prim::kRect || p.kind == Prim::kEllipse) {
      b.I32(static_cast<int32_t>(p.pts[0].x())).I32(static_cast<int32_t>(p.pts[0].y()))
          .I32(static_cast<int32_t>(p.pts[1].x())).I32(static_cast<int32_t>(p.pts[1].y()));
      e.Record(p.kind == Prim::kRect ? 43 : 42, b);
    } else {
      b.I32(0).I32(0).I32(0).I32(0).U32(static_cast<uint32_t>(p.pts.size()));
      for (const QPointF& q : p.pts) b.I16(static_cast<int16_t>(q.x())).I16(static_cast<int16_t>(q.y()));
      e.Record(p.kind == Prim::kPolygon ? 86 : 87, b);
    }
  }
  // 2000 x 1500 pixels at 96 dpi in hundredths of a millimetre.
  return e.Build(52917, 39688);
}

std::string DxfOf(const std::vector<Prim>& scene) {
  std::string s;
  s.reserve(scene.size() * 160);
  auto num = [](double v) { return std::to_string(v); };
  for (const Prim& p : scene) {
    const std::string colour = "420\n" + std::to_string((qRed(p.pen) << 16) | (qGreen(p.pen) << 8) | qBlue(p.pen)) + "\n";
    if (p.kind == Prim::kPolyline && p.pts.size() == 2) {
      s += "0\nLINE\n8\n0\n" + colour + "10\n" + num(p.pts[0].x()) + "\n20\n" + num(kHeight - p.pts[0].y()) +
           "\n11\n" + num(p.pts[1].x()) + "\n21\n" + num(kHeight - p.pts[1].y()) + "\n";
    } else if (p.kind == Prim::kPolyline) {
      s += "0\nLWPOLYLINE\n8\n0\n" + colour + "90\n" + std::to_string(p.pts.size()) + "\n70\n0\n";
      for (const QPointF& q : p.pts) s += "10\n" + num(q.x()) + "\n20\n" + num(kHeight - q.y()) + "\n";
    } else if (p.kind == Prim::kCircle) {
      s += "0\nCIRCLE\n8\n0\n" + colour + "10\n" + num(p.pts[0].x()) + "\n20\n" + num(kHeight - p.pts[0].y()) +
           "\n40\n" + num(p.radius) + "\n";
    } else {
      s += "0\nARC\n8\n0\n" + colour + "10\n" + num(p.pts[0].x()) + "\n20\n" + num(kHeight - p.pts[0].y()) +
           "\n40\n" + num(p.radius) + "\n50\n" + num(p.a0) + "\n51\n" + num(p.a1) + "\n";
    }
  }
  return "0\nSECTION\n2\nHEADER\n9\n$EXTMIN\n10\n0\n20\n0\n9\n$EXTMAX\n10\n2000\n20\n1500\n0\nENDSEC\n"
         "0\nSECTION\n2\nENTITIES\n" + s + "0\nENDSEC\n0\nEOF\n";
}

// The peer: the same primitives straight onto a QImage.
void PaintDirect(const std::vector<Prim>& scene, const QTransform& page, QImage* canvas) {
  canvas->fill(Qt::white);
  QPainter painter(canvas);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setTransform(page);
  for (const Prim& p : scene) {
    QPen pen{QColor(p.pen)};
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(p.filled ? QBrush(QColor(p.brush)) : QBrush(Qt::NoBrush));
    switch (p.kind) {
      case Prim::kPolyline: painter.drawPolyline(QPolygonF(QList<QPointF>(p.pts.begin(), p.pts.end()))); break;
      case Prim::kPolygon: painter.drawPolygon(QPolygonF(QList<QPointF>(p.pts.begin(), p.pts.end()))); break;
      case Prim::kRect: painter.drawRect(QRectF(p.pts[0], p.pts[1])); break;
      case Prim::kEllipse: painter.drawEllipse(QRectF(p.pts[0], p.pts[1])); break;
      case Prim::kCircle: painter.drawEllipse(p.pts[0], p.radius, p.radius); break;
      case Prim::kArc: {
        const QRectF box(p.pts[0].x() - p.radius, p.pts[0].y() - p.radius, 2 * p.radius, 2 * p.radius);
        painter.drawArc(box, static_cast<int>(p.a0 * 16), static_cast<int>((p.a1 - p.a0) * 16));
        break;
      }
    }
  }
}

void RenderFile(benchmark::State& state, const std::vector<uint8_t>& file) {
  imaging::vector::RenderOptions o;
  o.width = kWidth;
  o.height = kHeight;
  imaging::Image img;
  {
    imaging::vector::Drawing d;
    if (!imaging::vector::LoadDrawing(file.data(), file.size(), &d).ok() ||
        !imaging::vector::RenderDrawing(d, o, &img).ok() || img.PixelRgb(kWidth / 2, kHeight / 2) == 0) {
      state.SkipWithError("the file does not render");
      return;
    }
  }
  for (auto _ : state) {
    imaging::vector::Drawing d;
    (void)imaging::vector::LoadDrawing(file.data(), file.size(), &d);
    (void)imaging::vector::RenderDrawing(d, o, &img);
    benchmark::DoNotOptimize(img.data());
  }
}

const std::vector<Prim>& EmfScene() {
  static const std::vector<Prim> scene = Scene(1250, false);
  return scene;
}
const std::vector<Prim>& DxfScene() {
  static const std::vector<Prim> scene = Scene(20000, true);
  return scene;
}

void BM_RenderEmf5000Records(benchmark::State& state) {
  static const std::vector<uint8_t> file = EmfOf(EmfScene());
  RenderFile(state, file);
}
void BM_PeerEmfScene(benchmark::State& state) {
  QImage canvas(kWidth, kHeight, QImage::Format_RGB32);
  // The EMF's page is its frame in reference pixels, a hair over the scene.
  for (auto _ : state) PaintDirect(EmfScene(), QTransform(), &canvas);
}
void BM_RenderDxf20000Entities(benchmark::State& state) {
  static const std::string text = DxfOf(DxfScene());
  static const std::vector<uint8_t> file(text.begin(), text.end());
  RenderFile(state, file);
}
void BM_PeerDxfScene(benchmark::State& state) {
  QImage canvas(kWidth, kHeight, QImage::Format_RGB32);
  // DXF arcs run counter-clockwise with y up: mirrored drawing keeps them so.
  for (auto _ : state) PaintDirect(DxfScene(), QTransform(), &canvas);
}

BENCHMARK(BM_RenderEmf5000Records)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PeerEmfScene)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderDxf20000Entities)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PeerDxfScene)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return bench::RunQtBenchmarks(argc, argv, [](const bench::RatioReporter& r) {
    r.PrintRatio("EMF 5000 records / direct QPainter", "BM_RenderEmf5000Records", "BM_PeerEmfScene", 1.5);
    r.PrintRatio("DXF 20000 entities / direct QPainter", "BM_RenderDxf20000Entities", "BM_PeerDxfScene", 1.5);
  });
}

// Benchmarks of the imaging control's view on a 24-megapixel picture:
// repainting after a scroll against a plain QPainter::drawImage of a
// window-sized image, and switching the view mode against one
// area-averaging resize of the picture to the window size.  Ratios are
// printed at the end.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <map>
#include <opencv2/imgproc.hpp>
#include <string>

#include "bench/qt_bench_main.h"
#include "imaging/control/morvik.h"

namespace {

using imaging::control::Morvik;

constexpr int kPicW = 6000, kPicH = 4000;  // 24 MP
constexpr int kWinW = 1280, kWinH = 1024;

const imaging::Image& BigPicture() {
  static imaging::Image img = [] {
    imaging::Image i;
    if (!imaging::Image::Create(kPicW, kPicH, 24, &i).ok()) return i;
    for (int y = 0; y < kPicH; ++y) {
      uint8_t* row = i.row(y);
      for (int x = 0; x < kPicW; ++x) {
        row[3 * x] = static_cast<uint8_t>(x);
        row[3 * x + 1] = static_cast<uint8_t>(y);
        row[3 * x + 2] = static_cast<uint8_t>(x ^ y);
      }
    }
    return i;
  }();
  return img;
}

Morvik& View() {
  static Morvik* view = [] {
    auto* v = new Morvik;
    v->resize(kWinW, kWinH);
    v->show();
    QApplication::processEvents();
    if (!v->ReplaceImage(BigPicture())) fprintf(stderr, "cannot hold the picture (code %d)\n", v->ErrorCode());
    return v;
  }();
  return *view;
}

void BM_ViewRepaintAfterScroll(benchmark::State& state) {
  Morvik& view = View();
  view.SetZoomX(1.0);
  view.SetZoomY(1.0);
  if (!view.DrawImage(3)) {
    state.SkipWithError("DrawImage failed");
    return;
  }
  QImage target(view.viewport()->size(), QImage::Format_RGB32);
  view.viewport()->render(&target);  // warm the full-size copy
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 8;
    view.ScrollTo(QPoint(300 + step * 97, 200 + step * 61));
    view.viewport()->render(&target);
    benchmark::DoNotOptimize(target.constBits());
  }
  // The check: what was painted is the picture at the scrolled position.
  const QPointF p = view.ViewToPicture(QPointF(10, 10));
  const uint8_t* src = BigPicture().row(int(p.y())) + 3 * int(p.x());
  if (qBlue(target.pixel(10, 10)) != src[0]) state.SkipWithError("painted pixels do not match the picture");
}
BENCHMARK(BM_ViewRepaintAfterScroll)->Unit(benchmark::kMillisecond);

void BM_PeerDrawImageWindowSized(benchmark::State& state) {
  const QSize size = View().viewport()->size();
  QImage source(size, QImage::Format_RGB32);
  source.fill(qRgb(10, 20, 30));
  QImage target(size, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&target);
    p.drawImage(0, 0, source);
    p.end();
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_PeerDrawImageWindowSized)->Unit(benchmark::kMillisecond);

void BM_ViewSwitchMode(benchmark::State& state) {
  Morvik& view = View();
  QImage target(view.viewport()->size(), QImage::Format_RGB32);
  int mode = 1;
  for (auto _ : state) {
    mode = mode == 1 ? 2 : 1;  // sizes differ, so each switch rescales
    if (!view.DrawImage(mode)) {
      state.SkipWithError("DrawImage failed");
      return;
    }
    view.viewport()->render(&target);
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_ViewSwitchMode)->Unit(benchmark::kMillisecond);

void BM_PeerAreaResizeToWindow(benchmark::State& state) {
  const imaging::Image& img = BigPicture();
  const cv::Mat src(img.height(), img.width(), CV_8UC3, const_cast<uint8_t*>(img.data()), img.stride());
  cv::Mat dst;
  const QSize size = View().viewport()->size();
  for (auto _ : state) {
    cv::resize(src, dst, cv::Size(size.width(), size.width() * kPicH / kPicW), 0, 0, cv::INTER_AREA);
    benchmark::DoNotOptimize(dst.data);
  }
}
BENCHMARK(BM_PeerAreaResizeToWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunQtBenchmarks(argc, argv, [](const bench::RatioReporter& r) {
    r.PrintRatio("repaint after scroll / drawImage", "BM_ViewRepaintAfterScroll", "BM_PeerDrawImageWindowSized", 2.0);
    r.PrintRatio("view mode switch / area resize", "BM_ViewSwitchMode", "BM_PeerAreaResizeToWindow", 1.2);
  });
}

// Opening a 24-megapixel JPEG in the editing control until it is shown,
// against the bare libjpeg-turbo decode of the same file (tjDecompress2 into
// a buffer that already exists).  "Shown" means the open routine has run,
// the view has been laid out at scale-to-fit and one paint has completed.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

#include "bench/qt_bench_main.h"
#include "editor/picture_edit/urve.h"
#include "imaging/codecs/codec.h"
#include "imaging/image.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;  // 24 megapixels

struct Setup {
  QTemporaryDir dir{QDir::tempPath() + "/open_bench_XXXXXX"};
  QString jpeg;
  std::vector<uint8_t> bytes;
  std::unique_ptr<ruvel::uRvE> pic;
};

Setup& Shared() {
  static Setup* s = [] {
    auto* setup = new Setup;
    imaging::Image img;
    if (!imaging::Image::Create(kWidth, kHeight, 24, &img).ok()) return setup;
    // A photo-like picture: gradients with a little noise.
    uint32_t noise = 1;
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* row = img.row(y);
      for (int x = 0; x < kWidth; ++x) {
        noise = noise * 1664525u + 1013904223u;
        const int n = static_cast<int>(noise >> 27) - 16;
        row[3 * x] = static_cast<uint8_t>(std::clamp(x * 255 / kWidth + n, 0, 255));
        row[3 * x + 1] = static_cast<uint8_t>(std::clamp(y * 255 / kHeight + n, 0, 255));
        row[3 * x + 2] = static_cast<uint8_t>(std::clamp(((x ^ y) & 255) + n, 0, 255));
      }
    }
    setup->jpeg = setup->dir.path() + "/photo.jpg";
    imaging::codecs::SaveOptions so;
    so.type = imaging::codecs::SaveType::kJpeg;
    so.jpeg_quality = 90;
    if (!imaging::codecs::Save(img, setup->jpeg.toStdString(), so).ok()) return setup;
    std::ifstream f(setup->jpeg.toStdString(), std::ios::binary);
    setup->bytes.assign(std::istreambuf_iterator<char>(f), {});
    QDir().mkpath(setup->dir.path() + "/work");
    setup->pic = std::make_unique<ruvel::uRvE>();
    setup->pic->resize(1024, 768);
    setup->pic->show();
    setup->pic->cOn(nullptr, setup->dir.path() + "/work/");
    return setup;
  }();
  return *s;
}

void BM_OpenUntilShown(benchmark::State& state) {
  Setup& s = Shared();
  if (!s.pic || s.bytes.empty()) {
    state.SkipWithError("setup failed");
    return;
  }
  for (auto _ : state) {
    QString file = s.jpeg;
    s.pic->pcOpen(0, file, true);
    s.pic->repaint();
    QApplication::processEvents();
    if (s.pic->prFile() != s.jpeg) {
      state.SkipWithError("the picture did not open");
      return;
    }
  }
}
BENCHMARK(BM_OpenUntilShown)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_PeerTjDecompress(benchmark::State& state) {
  Setup& s = Shared();
  tjhandle tj = tjInitDecompress();
  std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 3);
  for (auto _ : state)
    if (tjDecompress2(tj, s.bytes.data(), s.bytes.size(), pixels.data(), kWidth, 0, kHeight, TJPF_BGR, 0) != 0) {
      state.SkipWithError("tjDecompress2 failed");
      break;
    }
  tjDestroy(tj);
}
BENCHMARK(BM_PeerTjDecompress)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunQtBenchmarks(argc, argv, [](const bench::RatioReporter& r) {
    r.PrintRatio("open 24 MP JPEG until shown / tjDecompress2", "BM_OpenUntilShown", "BM_PeerTjDecompress", 1.3);
    // The control goes before QApplication does; the temporary folder with it.
    if (Setup& s = Shared(); s.pic) {
      s.pic->cOff();
      s.pic.reset();
      s.dir.remove();
    }
  });
}

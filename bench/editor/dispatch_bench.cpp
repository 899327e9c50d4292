// Editing commands through pcAct on a 24-megapixel 24-bit picture, against
// the engine operation alone plus one undo snapshot, on an imaging control
// of its own: rotate 90 degrees, blur, brightness, trim and the depth change
// to 256 colours.  The difference is what the dispatcher adds (the region,
// the busy pointer, the refresh and the picture information); it must not
// hide another copy of the picture.
//
// Each run starts from the same picture, handed over outside the timing;
// the snapshot file of the run before is removed outside the timing too.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

#include "bench/qt_bench_main.h"
#include "editor/picture_edit/imaging_seam/imaging_seam.h"
#include "editor/picture_edit/urve.h"
#include "imaging/global_memory.h"
#include "imaging/image.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;  // 24 megapixels

struct Setup {
  QTemporaryDir work{QDir::currentPath() + "/dispatch_bench_XXXXXX"};
  imaging::Image picture;
  std::unique_ptr<QWidget> host;
  ruvel::uRvE* pic = nullptr;
  ruvel::MvInstance* peer = nullptr;
};

Setup& Shared() {
  static Setup* s = [] {
    auto* setup = new Setup;
    if (!imaging::Image::Create(kWidth, kHeight, 24, &setup->picture).ok()) return setup;
    uint32_t noise = 1;
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* row = setup->picture.row(y);
      for (int x = 0; x < kWidth * 3; ++x) {
        noise = noise * 1664525u + 1013904223u;
        row[x] = static_cast<uint8_t>((x / 3 + y) / 40 + (noise >> 28));
      }
    }
    setup->host = std::make_unique<QWidget>();
    setup->host->resize(1024, 768);
    setup->pic = new ruvel::uRvE(setup->host.get());
    setup->pic->setGeometry(0, 0, 1024, 768);
    setup->peer = new ruvel::MvInstance(setup->host.get());
    setup->host->show();
    setup->pic->cOn(setup->host.get(), setup->work.path() + "/");
    setup->pic->StSize();
    setup->pic->SetPram(85, 1, QStringLiteral("ｽｹｰﾙ"), 0, "jpg");
    return setup;
  }();
  return *s;
}

void HandOver(Setup& s) {
  QFile::remove(s.pic->UndoFileName(1));
  s.pic->setDispImage(static_cast<int32_t>(imaging::ImageToHandle(s.picture)));
}

void Through(benchmark::State& state, const char* group, const char* job, bool select) {
  Setup& s = Shared();
  if (!s.pic || s.picture.empty()) {
    state.SkipWithError("setup failed");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    HandOver(s);
    if (select) s.pic->SetRect(4000, 3000);
    state.ResumeTiming();
    s.pic->pcAct(QString::fromUtf8(group), QString::fromUtf8(job));
    if (s.pic->UndoCount() != 1 || s.pic->EditState() != ruvel::kStateEdited) {
      state.SkipWithError("the command did not change the picture");
      return;
    }
  }
}

void Alone(benchmark::State& state, const std::function<bool(ruvel::MvInstance&)>& op) {
  Setup& s = Shared();
  if (!s.peer || s.picture.empty()) {
    state.SkipWithError("setup failed");
    return;
  }
  ruvel::MvInstance& mv = *s.peer;
  const QString snapshot = s.work.path() + "/$$Peer001.bmp";
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(snapshot);
    mv.SetImageHandle(imaging::ImageToHandle(s.picture));
    mv.DrawImage(1);
    state.ResumeTiming();
    mv.SetFileName(snapshot);
    if (!mv.SaveFile(0, mv.ImageHandle()) || !op(mv)) {
      state.SkipWithError("the engine operation failed");
      return;
    }
  }
}

const ruvel::SeamCorners kWhole{};

void BM_PcActRotate90(benchmark::State& st) { Through(st, "回転", "右90度", false); }
void BM_EngineRotate90(benchmark::State& st) {
  Alone(st, [](ruvel::MvInstance& m) { return m.RotateImage(-9000, false, false, true, 255, 255, 255, false); });
}
void BM_PcActBlur(benchmark::State& st) { Through(st, "補正", "ぼかし", false); }
void BM_EngineBlur(benchmark::State& st) {
  Alone(st, [](ruvel::MvInstance& m) {
    m.SetRegionMode(1);
    return m.Blur(kWhole, 2);
  });
}
void BM_PcActBrightness(benchmark::State& st) { Through(st, "明度", "明るく", false); }
void BM_EngineBrightness(benchmark::State& st) {
  Alone(st, [](ruvel::MvInstance& m) {
    m.SetRegionMode(1);
    return m.AdjustBrightness(kWhole, 80, 80, 80);
  });
}
void BM_PcActTrim(benchmark::State& st) { Through(st, "画像編集", "ﾄﾘﾐﾝｸﾞ", true); }
void BM_EngineTrim(benchmark::State& st) {
  Alone(st, [](ruvel::MvInstance& m) {
    m.ClipRect(10, 4010, 10, 3010);
    return m.Trim();
  });
}
void BM_PcActDepth256(benchmark::State& st) { Through(st, "色数", "256色(8bit)", false); }
void BM_EngineDepth256(benchmark::State& st) {
  Alone(st, [](ruvel::MvInstance& m) { return m.ConvertDepth(8, false, true, 128); });
}

#define PAIR(ours, engine)                                                                        \
  BENCHMARK(ours)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);    \
  BENCHMARK(engine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

PAIR(BM_PcActRotate90, BM_EngineRotate90)
PAIR(BM_PcActBlur, BM_EngineBlur)
PAIR(BM_PcActBrightness, BM_EngineBrightness)
PAIR(BM_PcActTrim, BM_EngineTrim)
PAIR(BM_PcActDepth256, BM_EngineDepth256)

}  // namespace

int main(int argc, char** argv) {
  return bench::RunQtBenchmarks(argc, argv, [](const bench::RatioReporter& r) {
    r.PrintRatio("pcAct rotate 90 / engine + snapshot", "BM_PcActRotate90/iterations:5", "BM_EngineRotate90/iterations:5", 1.15);
    r.PrintRatio("pcAct blur / engine + snapshot", "BM_PcActBlur/iterations:5", "BM_EngineBlur/iterations:5", 1.15);
    r.PrintRatio("pcAct brightness / engine + snapshot", "BM_PcActBrightness/iterations:5", "BM_EngineBrightness/iterations:5", 1.15);
    r.PrintRatio("pcAct trim / engine + snapshot", "BM_PcActTrim/iterations:5", "BM_EngineTrim/iterations:5", 1.15);
    r.PrintRatio("pcAct 256 colours / engine + snapshot", "BM_PcActDepth256/iterations:5", "BM_EngineDepth256/iterations:5", 1.15);
    // The controls go before QApplication does; the work folder with them.
    Setup& s = Shared();
    if (s.pic) s.pic->cOff();
    s.host.reset();
    s.work.remove();
  });
}

// One undo snapshot of a 24-megapixel picture against a plain write() of
// the same number of bytes into the same folder.
//
// The snapshot is written through the imaging control's work-file save,
// which writes a temporary file, flushes it and renames it into place; the
// peer is write() of the same bytes into a new file, shown once without and
// once with fsync().  Each run writes a new file; the file of the run before
// is removed outside the timing.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "bench/qt_bench_main.h"
#include "editor/picture_edit/urve.h"
#include "imaging/global_memory.h"
#include "imaging/image.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;  // 24 megapixels

struct Setup {
  QTemporaryDir work{QDir::currentPath() + "/undo_bench_XXXXXX"};
  std::unique_ptr<ruvel::uRvE> pic;
  int64_t snapshot_bytes = 0;
  std::vector<char> bytes;
};

Setup& Shared() {
  static Setup* s = [] {
    auto* setup = new Setup;
    imaging::Image img;
    if (!imaging::Image::Create(kWidth, kHeight, 24, &img).ok()) return setup;
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* row = img.row(y);
      for (int x = 0; x < kWidth * 3; ++x) row[x] = static_cast<uint8_t>(x * 7 + y);
    }
    setup->pic = std::make_unique<ruvel::uRvE>();
    setup->pic->cOn(nullptr, setup->work.path() + "/");
    setup->pic->setDispImage(static_cast<int32_t>(imaging::ImageToHandle(img)));
    // One snapshot to learn its size.
    if (setup->pic->SaveUndoStep()) setup->snapshot_bytes = QFileInfo(setup->pic->InfoFile()).size();
    setup->pic->SetEditState(ruvel::kStateLoaded);
    setup->bytes.assign(static_cast<size_t>(setup->snapshot_bytes), 'x');
    return setup;
  }();
  return *s;
}

void BM_UndoSnapshot24MP(benchmark::State& state) {
  Setup& s = Shared();
  if (!s.pic || s.snapshot_bytes < int64_t{kWidth} * kHeight * 3) {
    state.SkipWithError("setup failed");
    return;
  }
  for (auto _ : state) {
    // Each run writes the next step as a new file, as an editing session
    // does; the file of the run before is removed outside the timing.
    state.PauseTiming();
    QFile::remove(s.pic->UndoFileName(1));
    s.pic->SetEditState(ruvel::kStateLoaded);
    state.ResumeTiming();
    if (!s.pic->SaveUndoStep()) {
      state.SkipWithError("snapshot failed");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * s.snapshot_bytes);
}
BENCHMARK(BM_UndoSnapshot24MP)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void WritePeer(benchmark::State& state, bool flush) {
  Setup& s = Shared();
  const std::string path = (s.work.path() + "/peer.bin").toStdString();
  for (auto _ : state) {
    state.PauseTiming();
    ::unlink(path.c_str());
    state.ResumeTiming();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    size_t done = 0;
    while (fd >= 0 && done < s.bytes.size()) {
      const ssize_t n = ::write(fd, s.bytes.data() + done, s.bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    if (flush && fd >= 0) ::fsync(fd);
    if (fd >= 0) ::close(fd);
    if (done != s.bytes.size()) {
      state.SkipWithError("write failed");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(s.bytes.size()));
}

void BM_PeerWrite(benchmark::State& state) { WritePeer(state, false); }
void BM_PeerWriteFsync(benchmark::State& state) { WritePeer(state, true); }
BENCHMARK(BM_PeerWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_PeerWriteFsync)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunQtBenchmarks(argc, argv, [](const bench::RatioReporter& r) {
    r.PrintRatio("undo snapshot / write()", "BM_UndoSnapshot24MP", "BM_PeerWrite", 1.2);
    r.PrintRatio("undo snapshot / write() + fsync()", "BM_UndoSnapshot24MP", "BM_PeerWriteFsync", 1.2);
    // The control goes before QApplication does; the work folder with it.
    Setup& s = Shared();
    s.pic->cOff();
    s.pic.reset();
    s.work.remove();
  });
}

// The thumbnail control: GetFiles in read mode 0 over a cold folder of 48
// JPEGs of 6 megapixels at ImageSize 160 against vipsthumbnail making the
// same thumbnails in two processes; painting a full 8 x 6 grid of loaded
// thumbnails against drawing the same 48 pictures with
// QPainter::drawImage; and the memory a list of 10 000 entries with
// 96-pixel thumbnails holds against the thumbnails' own bytes.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/qt_bench_main.h"
#include "imaging/codecs/codec.h"
#include "imaging/image.h"
#include "thumb/morvik_thumb.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"

extern char** environ;

namespace {

using hosting::Variant;
namespace fs = std::filesystem;

constexpr int kFiles = 48;

const std::string& Folder() {
  static const std::string dir = [] {
    const std::string d = "/tmp/osmund_thumb_bench_" + std::to_string(getpid());
    fs::create_directories(d);
    imaging::Image img;
    if (!imaging::Image::Create(3000, 2000, 24, &img).ok()) std::abort();
    for (int i = 0; i < kFiles; ++i) {
      for (int y = 0; y < 2000; ++y)
        for (int x = 0; x < 3000; ++x)
          img.SetPixelRgb(x, y, static_cast<uint32_t>(((x / 50 + i) * 37) & 0xFF) << 16 |
                                    static_cast<uint32_t>(((y / 40) * 53 + i) & 0xFF) << 8 |
                                    static_cast<uint32_t>((x ^ y) & 0xFF));
      imaging::codecs::SaveOptions so;
      so.type = imaging::codecs::SaveType::kJpeg;
      so.jpeg_quality = 85;
      char name[32];
      std::snprintf(name, sizeof name, "/p%02d.jpg", i);
      if (!imaging::codecs::Save(img, d + name, so).ok()) std::abort();
    }
    return d;
  }();
  return dir;
}

void Configure(thumb::CMorvikThumb* c, int image_size) {
  // Every run decodes: the desktop's shared thumbnail cache is left out (and
  // kept away from the user's own cache all the same).
  setenv("XDG_CACHE_HOME", (Folder() + "/cache").c_str(), 1);
  c->PutProperty(thumb::kUseSharedCache, Variant::Bool(false));
  c->PutProperty(thumb::kFilePath, Variant::Bstr(QString::fromStdString(Folder()).toStdU16String()));
  c->PutProperty(thumb::kReadMode, Variant::I2(thumb::mvThumbRd));
  c->PutProperty(thumb::kImageSize, Variant::I2(static_cast<int16_t>(image_size)));
  c->PutProperty(thumb::kSort, Variant::I2(1));
}

void GetFiles160(benchmark::State& state) {
  thumb::CMorvikThumb check;
  Configure(&check, 160);
  if (!check.GetFiles() || check.Entries().size() != kFiles) state.SkipWithError("GetFiles did not load the folder");
  for (auto _ : state) {
    thumb::CMorvikThumb c;
    Configure(&c, 160);
    benchmark::DoNotOptimize(c.GetFiles());
  }
}
BENCHMARK(GetFiles160)->Name("ours/getfiles48x6mp")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// vipsthumbnail over the two halves of the folder, as two processes.
void VipsThumbnail2Proc(benchmark::State& state) {
  const std::string out = Folder() + "/vips_out";
  fs::create_directories(out);
  std::vector<std::string> halves[2];
  for (int i = 0; i < kFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/p%02d.jpg", i);
    halves[i % 2].push_back(Folder() + name);
  }
  const std::string pattern = out + "/%s.jpg";
  auto run = [&] {
    pid_t pids[2];
    for (int h = 0; h < 2; ++h) {
      std::vector<std::string> args = {"vipsthumbnail", "-s", "160", "-o", pattern};
      args.insert(args.end(), halves[h].begin(), halves[h].end());
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      if (posix_spawnp(&pids[h], "vipsthumbnail", nullptr, nullptr, argv.data(), environ) != 0) return false;
    }
    bool ok = true;
    for (pid_t p : pids) {
      int status = 0;
      ok = waitpid(p, &status, 0) == p && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
  };
  if (!run() || !fs::exists(out + "/p00.jpg")) state.SkipWithError("vipsthumbnail (libvips-tools) did not run");
  for (auto _ : state) benchmark::DoNotOptimize(run());
}
BENCHMARK(VipsThumbnail2Proc)->Name("peer/vipsthumbnail2proc")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// A loaded 8 x 6 grid, painted into an image as the screen path paints.
void PaintGrid(benchmark::State& state) {
  thumb::CMorvikThumb c;
  Configure(&c, 96);
  c.PutProperty(thumb::kColCount, Variant::I2(8));
  c.PutProperty(thumb::kRowCount, Variant::I2(6));
  c.resize(8 * 120, 6 * 100);
  if (!c.GetFiles() || c.Entries().size() != kFiles) state.SkipWithError("GetFiles did not load the folder");
  QImage target(c.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    c.render(&target);
    benchmark::DoNotOptimize(target.bits());
  }
}
BENCHMARK(PaintGrid)->Name("ours/paint8x6")->Unit(benchmark::kMicrosecond)->UseRealTime();

void PeerDrawImages(benchmark::State& state) {
  thumb::CMorvikThumb c;
  Configure(&c, 96);
  if (!c.GetFiles() || c.Entries().size() != kFiles) state.SkipWithError("GetFiles did not load the folder");
  std::vector<QImage> pictures;
  for (const file_list::ThumbnailEntry& e : c.Entries().entries()) {
    imaging_dlls::LockedBlock dib(e.image);
    const auto* bi = static_cast<const MVBITMAPINFOHEADER*>(dib.data());
    QImage img(reinterpret_cast<const uchar*>(bi) + 40, bi->biWidth, bi->biHeight, (bi->biWidth * 3 + 3) / 4 * 4,
               QImage::Format_BGR888);
    pictures.push_back(img.mirrored().convertToFormat(QImage::Format_RGB32));
  }
  QImage target(8 * 120, 6 * 100, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&target);
    for (int i = 0; i < kFiles; ++i) p.drawImage(QPoint((i % 8) * 120 + 12, (i / 8) * 100 + 10), pictures[i]);
    p.end();
    benchmark::DoNotOptimize(target.bits());
  }
}
BENCHMARK(PeerDrawImages)->Name("peer/drawimage48")->Unit(benchmark::kMicrosecond)->UseRealTime();

long ResidentBytes() {
  std::ifstream f("/proc/self/statm");
  long pages = 0, resident = 0;
  f >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// One pass: 10 000 handed-in pictures of 96 x 72; reports the growth of the
// resident set against the thumbnails' bytes.
void ListMemory(benchmark::State& state) {
  for (auto _ : state) {
    const long before = ResidentBytes();
    double thumb_bytes = 0;
    {
      thumb::CMorvikThumb c;
      c.PutProperty(thumb::kReadMode, Variant::I2(thumb::mvThumbRdImage));
      for (int i = 0; i < 10000; ++i) {
        const uint32_t stride = (24 * 96 + 31) / 32 * 4;
        const size_t size = 40 + stride * 72;
        const MVHANDLE h = imaging_dlls::GlobalAlloc(size);
        imaging_dlls::LockedBlock b(h);
        MVBITMAPINFOHEADER bi{};
        bi.biSize = 40;
        bi.biWidth = 96;
        bi.biHeight = 72;
        bi.biPlanes = 1;
        bi.biBitCount = 24;
        std::memcpy(b.data(), &bi, 40);
        std::memset(static_cast<uint8_t*>(b.data()) + 40, i & 0xFF, size - 40);
        c.PutProperty(thumb::kImageHandle, Variant::I4(static_cast<int32_t>(h)));
        thumb_bytes += static_cast<double>(size);
      }
      const long held = ResidentBytes() - before;
      state.counters["held_MB"] = held / 1048576.0;
      state.counters["thumbs_MB"] = thumb_bytes / 1048576.0;
      state.counters["ratio_over_8MB"] = (held - 8.0 * 1048576) / thumb_bytes;
      if (c.Entries().size() != 10000) state.SkipWithError("not every picture was taken");
    }
  }
}
BENCHMARK(ListMemory)->Name("ours/list10000x96")->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const int rc = bench::RunQtBenchmarks(argc, argv, [](const bench::RatioReporter& r) {
    r.PrintRatio("GetFiles 48 x 6 MP / vipsthumbnail x2", "ours/getfiles48x6mp", "peer/vipsthumbnail2proc", 1.0);
    r.PrintRatio("paint 8 x 6 grid / drawImage x48", "ours/paint8x6", "peer/drawimage48", 1.5);
    std::printf("list of 10 000 x 96 px: see held_MB against 1.3 x thumbs_MB + 8 MB above\n");
  });
  std::error_code ec;
  fs::remove_all(Folder(), ec);
  return rc;
}

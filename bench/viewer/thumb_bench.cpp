// The thumbnail control, each figure against a peer in the same run:
//   - GetFiles in read mode 0 over a cold folder of 48 JPEGs of 6 megapixels
//     (no embedded thumbnails) at ImageSize 160, against vipsthumbnail
//     making the same thumbnails in two processes;
//   - the same folder on a first visit (the shared thumbnail cache on but
//     empty, so it is written), and again with the cache warm, against the
//     cold run;
//   - painting a full 8 x 6 grid of loaded thumbnails, against drawing the
//     same 48 pictures at the same places and sizes with
//     QPainter::drawImage;
//   - the bytes a list of 10 000 entries with 96-pixel thumbnails holds,
//     against 1.3 x the thumbnails' own bytes + 8 MB;
//   - the first paint of a folder of 10 000 pictures in read mode 1 (until
//     every visible cell has its thumbnail), against making the thumbnails
//     of just those cells.
// Every figure is the median of several repetitions; the ratios are
// printed at the end, each with its target.
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/qt_bench_main.h"
#include "imaging/codecs/codec.h"
#include "imaging/image.h"
#include "thumb/grid_layout.h"
#include "thumb/morvik_thumb.h"
#include "thumb/thumbnail_maker.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/utils/fit_size.h"

extern char** environ;

namespace {

using hosting::Variant;
namespace fs = std::filesystem;

constexpr int kFiles = 48;
constexpr int kBigList = 10000;

// Everything the bench writes lives under one folder, removed at the end.
const std::string& Work() {
  static const std::string dir = [] {
    const std::string d = (fs::temp_directory_path() / ("osmund_thumb_bench_" + std::to_string(getpid()))).string();
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

// A 24-bit picture with hard edges and texture, so the JPEG coder has work;
// `seed` makes each one different.
imaging::Image Picture(int w, int h, int seed) {
  imaging::Image img;
  if (!imaging::Image::Create(w, h, 24, &img).ok()) std::abort();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.SetPixelRgb(x, y, static_cast<uint32_t>(((x / 50 + seed) * 37) & 0xFF) << 16 |
                                static_cast<uint32_t>(((y / 40) * 53 + seed) & 0xFF) << 8 |
                                static_cast<uint32_t>((x ^ y) & 0xFF));
  return img;
}

void SaveJpeg(const imaging::Image& img, const std::string& path) {
  imaging::codecs::SaveOptions so;
  so.type = imaging::codecs::SaveType::kJpeg;
  so.jpeg_quality = 85;
  if (!imaging::codecs::Save(img, path, so).ok()) std::abort();
}

std::string Numbered(const std::string& folder, const char* pattern, int i) {
  char name[40];
  std::snprintf(name, sizeof name, pattern, i);
  return folder + "/" + name;
}

// The 48 JPEGs of 3000 x 2000.
const std::string& PhotoFolder() {
  static const std::string dir = [] {
    const std::string d = Work() + "/photos";
    fs::create_directories(d);
    for (int i = 0; i < kFiles; ++i) SaveJpeg(Picture(3000, 2000, i), Numbered(d, "p%02d.jpg", i));
    return d;
  }();
  return dir;
}

// 10 000 names for pictures: hard links onto the 48 photos (the first 48
// names are the 48 photos in order), so the folder costs no disk.
const std::string& BigFolder() {
  static const std::string dir = [] {
    const std::string d = Work() + "/big";
    fs::create_directories(d);
    for (int i = 0; i < kBigList; ++i) fs::create_hard_link(Numbered(PhotoFolder(), "p%02d.jpg", i % kFiles),
                                                            Numbered(d, "f%05d.jpg", i));
    return d;
  }();
  return dir;
}

// 10 000 names for one small picture of 128 x 96.
const std::string& SmallFolder() {
  static const std::string dir = [] {
    const std::string d = Work() + "/small";
    fs::create_directories(d);
    SaveJpeg(Picture(128, 96, 7), d + "/s00000.jpg");
    for (int i = 1; i < kBigList; ++i) fs::create_hard_link(d + "/s00000.jpg", Numbered(d, "s%05d.jpg", i));
    return d;
  }();
  return dir;
}

// The shared thumbnail cache the control may write, emptied for cold runs.
const std::string& CacheHome() {
  static const std::string dir = [] {
    const std::string d = Work() + "/cache";
    fs::create_directories(d);
    setenv("XDG_CACHE_HOME", d.c_str(), 1);
    return d;
  }();
  return dir;
}

void EmptyCache() {
  std::error_code ec;
  fs::remove_all(CacheHome() + "/thumbnails", ec);
}

size_t CachedFiles() {
  size_t n = 0;
  std::error_code ec;
  if (fs::exists(CacheHome() + "/thumbnails", ec))
    for (const auto& e : fs::recursive_directory_iterator(CacheHome() + "/thumbnails", ec)) n += e.is_regular_file();
  return n;
}

std::unique_ptr<thumb::CMorvikThumb> Control(const std::string& folder, int mode, int image_size,
                                             bool shared_cache = false) {
  auto c = std::make_unique<thumb::CMorvikThumb>();
  c->PutProperty(thumb::kUseSharedCache, Variant::Bool(shared_cache));
  c->PutProperty(thumb::kFilePath, Variant::Bstr(QString::fromStdString(folder).toStdU16String()));
  c->PutProperty(thumb::kReadMode, Variant::I2(static_cast<int16_t>(mode)));
  c->PutProperty(thumb::kImageSize, Variant::I2(static_cast<int16_t>(image_size)));
  c->PutProperty(thumb::kSort, Variant::I2(1));
  return c;
}

bool AllLoaded(const thumb::CMorvikThumb& c, size_t first, size_t count) {
  const size_t n = c.Entries().size();
  if (n < first + count) return false;
  for (size_t i = first; i < first + count; ++i)
    if (c.Entries()[i].image == 0) return false;
  return true;
}

// ---- Memory of a list of 10 000 entries ---------------------------------

double g_list_held = 0, g_list_bound = 0;

long ResidentBytes() {
  std::ifstream f("/proc/self/statm");
  long pages = 0, resident = 0;
  f >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// One pass (it runs first, before the other figures fill the heap): the
// growth of the resident set while the list is built and held, against the
// bytes of its 10 000 thumbnails.
void ListMemory(benchmark::State& state) {
  const std::string& folder = SmallFolder();
  for (auto _ : state) {
    malloc_trim(0);
    const long before = ResidentBytes();
    const size_t heap_before = mallinfo2().uordblks + mallinfo2().hblkhd;
    auto c = Control(folder, thumb::mvThumbRd, 96);
    if (!c->GetFiles() || c->Entries().size() != kBigList) {
      state.SkipWithError("GetFiles did not load the 10 000 pictures");
      return;
    }
    const long held = ResidentBytes() - before;
    const double heap = static_cast<double>(mallinfo2().uordblks + mallinfo2().hblkhd - heap_before);
    double thumbs = 0;
    for (const file_list::ThumbnailEntry& e : c->Entries().entries()) {
      MVImageType t{};
      if (!imaging_dlls::GetImageType(e.image, &t) || t.width != 96 || t.height != 72) {
        state.SkipWithError("a thumbnail is not 96 x 72");
        return;
      }
      thumbs += static_cast<double>(imaging_dlls::GlobalSize(e.image));
    }
    const double bound = 1.3 * thumbs + 8.0 * 1048576;
    state.counters["held_MB"] = held / 1048576.0;
    state.counters["heap_MB"] = heap / 1048576.0;
    state.counters["thumbs_MB"] = thumbs / 1048576.0;
    state.counters["bound_MB"] = bound / 1048576.0;
    state.counters["held_over_bound"] = held / bound;
    g_list_held = static_cast<double>(held);
    g_list_bound = bound;
  }
}
BENCHMARK(ListMemory)->Name("ours/list10000x96")->Iterations(1)->Unit(benchmark::kMillisecond);

// ---- GetFiles cold and warm, vipsthumbnail ------------------------------

// The folder really is what the figure claims: 48 JPEGs of 6 megapixels
// without embedded thumbnails, all made into 160-pixel thumbnails.
bool CheckPhotoFolder(benchmark::State& state) {
  for (int i = 0; i < kFiles; ++i) {
    const std::string path = Numbered(PhotoFolder(), "p%02d.jpg", i);
    MVFileInfo info{};
    MVExifInfo exif{};
    if (!imaging_dlls::FileType(path.c_str(), 0, &info) || info.width != 3000 || info.height != 2000) {
      state.SkipWithError("the bench pictures are not 3000 x 2000 JPEGs");
      return false;
    }
    if (imaging_dlls::JpegExifInfo(path.c_str(), &exif) && exif.thumbnail != 0) {
      imaging_dlls::FreeMemory(exif.thumbnail);
      state.SkipWithError("a bench picture carries an embedded thumbnail");
      return false;
    }
  }
  return true;
}

// Cold: no thumbnail file, the shared cache off (every picture decoded);
// with `shared_cache` the cache is on but empty, as on a first visit, so
// the run also writes it.
void GetFilesCold(benchmark::State& state, bool shared_cache) {
  if (!CheckPhotoFolder(state)) return;
  EmptyCache();
  auto check = Control(PhotoFolder(), thumb::mvThumbRd, 160, shared_cache);
  if (!check->GetFiles() || check->Entries().size() != kFiles || !AllLoaded(*check, 0, kFiles)) {
    state.SkipWithError("GetFiles did not load the folder");
    return;
  }
  MVImageType t{};
  // 160 x 107, whether made from the picture or through the shared
  // cache's 256 x 171 entry.
  if (!imaging_dlls::GetImageType(check->Entries()[0].image, &t) || t.width != 160 ||
      t.height != 107) {
    const std::string message = "the thumbnails are " + std::to_string(t.width) + " x " + std::to_string(t.height) +
                                ", not 160 x 107";
    state.SkipWithError(message.c_str());
    return;
  }
  check.reset();
  for (auto _ : state) {
    state.PauseTiming();
    EmptyCache();  // no thumbnail file, and nothing cached from the run before
    auto c = Control(PhotoFolder(), thumb::mvThumbRd, 160, shared_cache);
    state.ResumeTiming();
    benchmark::DoNotOptimize(c->GetFiles());
    state.PauseTiming();
    c.reset();
    state.ResumeTiming();
  }
}
BENCHMARK_CAPTURE(GetFilesCold, first_visit, true)->Name("ours/getfiles_first_visit")->Unit(benchmark::kMillisecond)
    ->UseRealTime()->MinTime(0.01)->Repetitions(5);
BENCHMARK_CAPTURE(GetFilesCold, cold, false)->Name("ours/getfiles_cold")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.01)
    ->Repetitions(5);

// The same folder with the shared cache filled by a first run (and no
// thumbnail file).
void GetFilesWarm(benchmark::State& state) {
  if (!CheckPhotoFolder(state)) return;
  EmptyCache();
  auto prime = Control(PhotoFolder(), thumb::mvThumbRd, 160, true);
  if (!prime->GetFiles() || prime->Entries().size() != kFiles) {
    state.SkipWithError("GetFiles did not load the folder");
    return;
  }
  prime.reset();
  if (CachedFiles() < kFiles) {
    state.SkipWithError("the control wrote no shared thumbnail cache: no warm figure");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto c = Control(PhotoFolder(), thumb::mvThumbRd, 160, true);
    state.ResumeTiming();
    benchmark::DoNotOptimize(c->GetFiles());
    state.PauseTiming();
    if (!AllLoaded(*c, 0, kFiles)) state.SkipWithError("the warm run lost pictures");
    c.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(GetFilesWarm)->Name("ours/getfiles_warm")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.01)
    ->Repetitions(5);

// vipsthumbnail over the two halves of the folder, as two processes.
bool RunVipsThumbnail(const std::string& out) {
  std::vector<std::string> halves[2];
  for (int i = 0; i < kFiles; ++i) halves[i % 2].push_back(Numbered(PhotoFolder(), "p%02d.jpg", i));
  const std::string pattern = out + "/%s.jpg";
  pid_t pids[2] = {-1, -1};
  bool ok = true;
  for (int h = 0; h < 2; ++h) {
    std::vector<std::string> args = {"vipsthumbnail", "-s", "160", "-o", pattern};
    args.insert(args.end(), halves[h].begin(), halves[h].end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pids[h], "vipsthumbnail", nullptr, nullptr, argv.data(), environ) != 0) {
      pids[h] = -1;
      ok = false;
    }
  }
  for (pid_t p : pids) {
    if (p < 0) continue;
    int status = 0;
    ok = waitpid(p, &status, 0) == p && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
  }
  return ok;
}

void VipsThumbnail2Proc(benchmark::State& state) {
  const std::string out = Work() + "/vips_out";
  fs::create_directories(out);
  if (!RunVipsThumbnail(out) || !fs::exists(out + "/p00.jpg") || !fs::exists(out + "/p47.jpg")) {
    state.SkipWithError("vipsthumbnail did not run: install libvips-tools (scripts/install-deps.sh)");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(RunVipsThumbnail(out));
}
BENCHMARK(VipsThumbnail2Proc)->Name("peer/vipsthumbnail2proc")->Unit(benchmark::kMillisecond)->UseRealTime()
    ->MinTime(0.01)->Repetitions(5);

// ---- Painting a loaded 8 x 6 grid ----------------------------------------

// A grid of 8 x 6 over the 48 photos at ImageSize 96, loaded.
// Dropped by main() before the application object goes.
std::unique_ptr<thumb::CMorvikThumb> g_grid;
bool g_grid_made = false;

thumb::CMorvikThumb* LoadedGrid() {
  if (!g_grid_made) {
    g_grid_made = true;
    g_grid = Control(PhotoFolder(), thumb::mvThumbRd, 96);
    g_grid->PutProperty(thumb::kColCount, Variant::I2(8));
    g_grid->PutProperty(thumb::kRowCount, Variant::I2(6));
    g_grid->resize(8 * 120, 6 * 100);
    if (!g_grid->GetFiles() || g_grid->Entries().size() != kFiles || !AllLoaded(*g_grid, 0, kFiles)) g_grid.reset();
  }
  return g_grid.get();
}

void PaintGrid(benchmark::State& state) {
  thumb::CMorvikThumb* c = LoadedGrid();
  if (c == nullptr) {
    state.SkipWithError("GetFiles did not load the folder");
    return;
  }
  QImage target(c->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    c->render(&target);
    benchmark::DoNotOptimize(target.bits());
  }
}
BENCHMARK(PaintGrid)->Name("ours/paint8x6")->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5);

// The same 48 pictures drawn where and as large as the control draws them.
void PeerDrawImages(benchmark::State& state) {
  thumb::CMorvikThumb* c = LoadedGrid();
  if (c == nullptr) {
    state.SkipWithError("GetFiles did not load the folder");
    return;
  }
  QImage target(c->size(), QImage::Format_RGB32);
  c->render(&target);  // lays the grid out
  const thumb::GridLayout& g = c->Layout();
  const QRect client = c->ClientRect();
  const thumb::GridParams params{client.width(), client.height(), 8, 6, 5, 5, thumb::mvButton, true, false};
  if (g.cells.size() != kFiles) {
    state.SkipWithError("no 8 x 6 cell table");
    return;
  }
  std::vector<QImage> pictures;
  std::vector<QRect> places;
  for (int i = 0; i < kFiles; ++i) {
    imaging_dlls::LockedBlock dib(c->Entries()[i].image);
    const auto* bi = static_cast<const MVBITMAPINFOHEADER*>(dib.data());
    if (bi->biBitCount != 24) {
      state.SkipWithError("thumbnails are not 24-bit");
      return;
    }
    const QImage img(reinterpret_cast<const uchar*>(bi) + sizeof(MVBITMAPINFOHEADER), bi->biWidth, bi->biHeight,
                     (bi->biWidth * 3 + 3) / 4 * 4, QImage::Format_BGR888);
    pictures.push_back(img.mirrored().convertToFormat(QImage::Format_RGB32));
    const thumb::Rect area = thumb::PictureArea(g, g.cells[i], params);
    const viewer::Fit fit = viewer::FitInside(bi->biWidth, bi->biHeight, area.width(), area.height());
    places.emplace_back(area.left + fit.x, area.top + fit.y, fit.width, fit.height);
  }
  for (auto _ : state) {
    QPainter p(&target);
    for (int i = 0; i < kFiles; ++i) p.drawImage(places[i], pictures[i]);
    p.end();
    benchmark::DoNotOptimize(target.bits());
  }
}
BENCHMARK(PeerDrawImages)->Name("peer/drawimage48")->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5);

// ---- First paint of 10 000 pictures -------------------------------------

// GetFiles then Display in read mode 1 over 10 000 pictures, until the 48
// visible cells have their thumbnails.
void FirstPaint10000(benchmark::State& state) {
  const std::string& folder = BigFolder();
  for (auto _ : state) {
    state.PauseTiming();
    EmptyCache();
    auto c = Control(folder, thumb::mvThumbRdDsp, 96);
    c->PutProperty(thumb::kColCount, Variant::I2(8));
    c->PutProperty(thumb::kRowCount, Variant::I2(6));
    c->resize(8 * 120, 6 * 100);
    state.ResumeTiming();
    c->GetFiles();
    c->Display();
    const QDeadlineTimer deadline(60000);
    while (!AllLoaded(*c, 0, kFiles) && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    state.PauseTiming();
    if (c->Entries().size() != kBigList || !AllLoaded(*c, 0, kFiles)) {
      state.SkipWithError("the visible cells were not loaded");
      return;
    }
    c.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(FirstPaint10000)->Name("ours/first_paint10000")->Unit(benchmark::kMillisecond)->UseRealTime()
    ->MinTime(0.01)->Repetitions(5);

// The thumbnails of just the 48 visible pictures, made one after another
// through the same loading route.
void VisibleThumbnails(benchmark::State& state) {
  const std::string& folder = BigFolder();
  for (auto _ : state) {
    for (int i = 0; i < kFiles; ++i) {
      thumb::ThumbnailJob job;
      job.path = Numbered(folder, "f%05d.jpg", i);
      job.image_size = 96;
      const MVHANDLE h = thumb::BuildThumbnail(job);
      if (h == 0) {
        state.SkipWithError("a visible picture did not load");
        return;
      }
      imaging_dlls::FreeMemory(h);
    }
  }
}
BENCHMARK(VisibleThumbnails)->Name("peer/visible48")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.01)
    ->Repetitions(5);

// Ratio of the medians of two repeated runs.
void PrintMedianRatio(const bench::RatioReporter& r, const char* label, const std::string& ours,
                      const std::string& peer, double target, bool with_cpu = false) {
  if (!r.PrintRatio(label, ours + "_median", peer + "_median", target, with_cpu))
    std::printf("%-44s   --    (not measured: see the messages above)\n", label);
}

}  // namespace

int main(int argc, char** argv) {
  // The imaging libraries sit beside the other programs, not the benchmarks.
  imaging_dlls::BindFrom(QDir(QString::fromStdString(imaging_dlls::ModuleFolder()) + "/../bin")
                             .canonicalPath()
                             .toStdString());
  CacheHome();
  const int rc = bench::RunQtBenchmarks(argc, argv, [](const bench::RatioReporter& r) {
    std::printf("\nMedians of the repetitions (ours / peer):\n");
    PrintMedianRatio(r, "GetFiles cold 48 x 6 MP / vipsthumbnail x2", "ours/getfiles_cold",
                     "peer/vipsthumbnail2proc", 0.8);
    PrintMedianRatio(r, "GetFiles first visit (cache written) / vips", "ours/getfiles_first_visit",
                     "peer/vipsthumbnail2proc", 0);
    PrintMedianRatio(r, "GetFiles warm cache / cold", "ours/getfiles_warm", "ours/getfiles_cold", 0.1);
    // Both sides of these run in this process, so their CPU times compare too.
    PrintMedianRatio(r, "paint 8 x 6 grid / drawImage x48", "ours/paint8x6", "peer/drawimage48", 1.5, true);
    PrintMedianRatio(r, "first paint of 10 000 / visible 48 alone", "ours/first_paint10000", "peer/visible48", 1.5,
                     true);
    if (g_list_bound > 0)
      std::printf("%-44s %6.2f  (%.1f vs %.1f MB)  target <= 1.00 %s\n", "list 10 000 x 96 px held / (1.3 thumbs + 8 MB)",
                  g_list_held / g_list_bound, g_list_held / 1048576.0, g_list_bound / 1048576.0,
                  g_list_held <= g_list_bound ? "ok" : "OVER");
    g_grid.reset();
  });
  std::error_code ec;
  fs::remove_all(Work(), ec);
  return rc;
}

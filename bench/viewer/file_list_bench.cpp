// Listing and sorting a folder of 30 000 small pictures the way the viewer
// controls do (each file's type checked by MVFileType through the imaging
// libraries bound by name, its date taken, the list sorted by name),
// against a walk that opens each file, reads its first 4 KiB and closes
// it, plus std::sort of the names.  The folder is made once, by the
// engine's own writers, and kept in /tmp for later runs.
//
// Peak memory: every allocation of the listing and sort is counted (the
// program's operator new), and the bytes the finished list holds are
// reported as counters; the target is 24 MB for the entries without
// thumbnails.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "imaging/codecs/codec.h"
#include "viewer_common/file_list/dll_path_services.h"
#include "viewer_common/file_list/folder_list.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"

namespace fs = std::filesystem;

// ------------------------------------------------------ allocation counter

namespace {
std::atomic<int64_t> g_live{0};
std::atomic<int64_t> g_peak{0};

void* Counted(size_t n) {
  void* p = std::malloc(n + 16);
  if (p == nullptr) throw std::bad_alloc();
  *static_cast<size_t*>(p) = n;
  const int64_t now = g_live.fetch_add(static_cast<int64_t>(n)) + static_cast<int64_t>(n);
  int64_t peak = g_peak.load();
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char*>(p) + 16;
}
void Uncounted(void* p) {
  if (p == nullptr) return;
  char* base = static_cast<char*>(p) - 16;
  g_live.fetch_sub(static_cast<int64_t>(*reinterpret_cast<size_t*>(base)));
  std::free(base);
}
}  // namespace

void* operator new(size_t n) { return Counted(n); }
void* operator new[](size_t n) { return Counted(n); }
void operator delete(void* p) noexcept { Uncounted(p); }
void operator delete[](void* p) noexcept { Uncounted(p); }
void operator delete(void* p, size_t) noexcept { Uncounted(p); }
void operator delete[](void* p, size_t) noexcept { Uncounted(p); }

namespace {

constexpr int kFiles = 30000;
constexpr const char* kFolder = "/tmp/osmund_file_list_bench_30000";

// Tiny pictures of three formats, as the engine writes them.
std::vector<std::string> PictureBytes() {
  imaging::Image img;
  if (!imaging::Image::Create(8, 6, 24, &img).ok()) std::abort();
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      uint8_t* p = img.row(y) + 3 * x;
      p[0] = static_cast<uint8_t>(x * 30);
      p[1] = static_cast<uint8_t>(y * 40);
      p[2] = 128;
    }
  std::vector<std::string> out;
  const std::pair<imaging::codecs::SaveType, const char*> types[] = {
      {imaging::codecs::SaveType::kJpeg, "jpg"}, {imaging::codecs::SaveType::kPng, "png"},
      {imaging::codecs::SaveType::kBmp, "bmp"}};
  for (const auto& [type, ext] : types) {
    const std::string tmp = std::string(kFolder) + ".sample." + ext;
    imaging::codecs::SaveOptions so;
    so.type = type;
    if (!imaging::codecs::Save(img, tmp, so).ok()) std::abort();
    std::ifstream in(tmp, std::ios::binary);
    out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    fs::remove(tmp);
  }
  return out;
}

const char* Extension(int i) {
  static const char* const exts[] = {"jpg", "png", "bmp"};
  return exts[i % 3];
}

// Names in no particular order, so the sort has work to do.
std::string NameOf(int i) {
  const unsigned k = (static_cast<unsigned>(i) * 7919u) % 1000003u;
  return "photo_" + std::to_string(k) + "_" + std::to_string(i) + "." + Extension(i);
}

const std::string& Folder() {
  static const std::string dir = [] {
    const fs::path done = fs::path(kFolder) / ".complete";
    if (!fs::exists(done)) {
      fs::remove_all(kFolder);
      fs::create_directories(kFolder);
      const std::vector<std::string> bytes = PictureBytes();
      for (int i = 0; i < kFiles; ++i) {
        std::ofstream f(fs::path(kFolder) / NameOf(i), std::ios::binary);
        f.write(bytes[i % 3].data(), static_cast<std::streamsize>(bytes[i % 3].size()));
      }
      std::ofstream(done) << kFiles;
    }
    return std::string(kFolder);
  }();
  return dir;
}

// The peer: each file opened and its first 4 KiB read, then the names sorted.
size_t WalkRead4k() {
  std::vector<std::string> names;
  DIR* d = opendir(Folder().c_str());
  if (d == nullptr) return 0;
  const int dfd = dirfd(d);
  char buf[4096];
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] == '.') continue;
    const int fd = openat(dfd, e->d_name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    const ssize_t n = read(fd, buf, sizeof buf);
    close(fd);
    if (n > 0) names.emplace_back(e->d_name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names.size();
}

// Ours, as GetFiles asks for the list (ReadMode 1, Sort 1).
file_list::ListRequest Request(bool defer_dates = false) {
  file_list::ListRequest req;
  req.defer_dates = defer_dates;
  req.file_path = Folder();
  req.file_ext = "BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC";
  req.sort = file_list::kSortFileName;
  return req;
}

size_t ListAndSort(file_list::EntryList* list, bool defer_dates = false) {
  static const file_list::DllPathServices paths;
  (void)file_list::BuildFolderList(paths, Request(defer_dates), list);
  return list->size();
}

void BM_WalkRead4kAndSort(benchmark::State& state) {
  if (WalkRead4k() != static_cast<size_t>(kFiles)) state.SkipWithError("setup: wrong file count");
  for (auto _ : state) benchmark::DoNotOptimize(WalkRead4k());
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_WalkRead4kAndSort)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FolderListSorted(benchmark::State& state) {
  {
    // The list must hold every picture, sorted by name.
    file_list::EntryList check;
    if (ListAndSort(&check) != static_cast<size_t>(kFiles)) state.SkipWithError("setup: wrong entry count");
    for (size_t i = 1; i < check.size(); ++i)
      if (check[i - 1].file_name > check[i].file_name) {
        state.SkipWithError("setup: list not sorted");
        break;
      }
  }
  int64_t peak = 0, held = 0;
  for (auto _ : state) {
    const int64_t base = g_live.load();
    g_peak.store(base);
    file_list::EntryList list;
    benchmark::DoNotOptimize(ListAndSort(&list));
    peak = std::max(peak, g_peak.load() - base);
    held = g_live.load() - base;
  }
  state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["list_MB"] = static_cast<double>(held) / 1e6;
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_FolderListSorted)->Unit(benchmark::kMillisecond)->UseRealTime();

// For comparison: the same list with each file's date left for later, so
// only the type check stands against the peer's reads.
void BM_FolderListSortedDatesDeferred(benchmark::State& state) {
  for (auto _ : state) {
    file_list::EntryList list;
    benchmark::DoNotOptimize(ListAndSort(&list, true));
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_FolderListSortedDatesDeferred)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // The imaging libraries sit beside the other programs, not the benchmarks.
  std::error_code ec;
  const fs::path bin = fs::canonical(fs::path(imaging_dlls::ModuleFolder()) / ".." / "bin", ec);
  if (ec || !imaging_dlls::BindFrom(bin.string())) {
    std::fprintf(stderr, "the imaging libraries are not in %s\n", bin.c_str());
    return 1;
  }
  (void)Folder();
  benchmark::Initialize(&argc, argv);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("folder list 30000 / open+4KiB walk+sort", "BM_FolderListSorted", "BM_WalkRead4kAndSort", 1.5,
                      true);
  reporter.PrintRatio("  the same, dates deferred", "BM_FolderListSortedDatesDeferred", "BM_WalkRead4kAndSort", 0,
                      true);
  file_list::EntryList list;
  const int64_t base = g_live.load();
  g_peak.store(base);
  ListAndSort(&list);
  const double peak_mb = static_cast<double>(g_peak.load() - base) / 1e6;
  std::printf("%-44s %6.2f MB  target <= 24 MB %s (the list itself holds %.2f MB)\n",
              "peak memory of listing and sorting 30000", peak_mb, peak_mb <= 24.0 ? "ok" : "OVER",
              static_cast<double>(g_live.load() - base) / 1e6);
  benchmark::Shutdown();
  return 0;
}

// Listing and sorting a folder of 10 000 pictures with the viewer's folder
// list, against a bare std::filesystem walk plus std::sort by name.  The
// file-type check is by extension here, so both sides do the same I/O
// (one directory read; the list also takes each file's date).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "viewer_common/file_list/folder_list.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 10000;

const fs::path& Folder() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("file_list_bench_" + std::to_string(::getpid()));
    fs::create_directories(d);
    const char* exts[] = {"jpg", "png", "bmp", "tif"};
    for (int i = 0; i < kFiles; ++i) {
      // Names in no particular order, so the sort has work to do.
      const unsigned k = (static_cast<unsigned>(i) * 7919u) % 100003u;
      std::ofstream(d / ("img_" + std::to_string(k) + "." + exts[i % 4])) << "x";
    }
    return d;
  }();
  return dir;
}

std::vector<std::string> BareWalk() {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(Folder())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

file_list::NativePathServices& Services() {
  static file_list::NativePathServices paths = [] {
    file_list::NativePathServices p;
    p.SetRecognizer([](const std::string&, int index, file_list::FileTypeInfo* info) {
      info->format = 1;
      info->image_count = 1;
      return index == 0;
    });
    return p;
  }();
  return paths;
}

size_t FolderList(bool defer_dates) {
  file_list::ListRequest req;
  req.defer_dates = defer_dates;
  req.file_path = Folder().string();
  req.file_ext = "BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC";
  req.sort = file_list::kSortFileName;
  file_list::EntryList list;
  (void)file_list::BuildFolderList(Services(), req, &list);
  return list.size();
}

void BM_BareWalkAndSort(benchmark::State& state) {
  if (BareWalk().size() != static_cast<size_t>(kFiles)) state.SkipWithError("setup: wrong file count");
  for (auto _ : state) benchmark::DoNotOptimize(BareWalk());
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_BareWalkAndSort)->Unit(benchmark::kMillisecond);

// Arg 1: dates left for later (lists that never show them); 0: every entry's
// date taken while listing (one file-status call per file).
void BM_FolderListSortedByName(benchmark::State& state) {
  const bool defer = state.range(0) != 0;
  if (FolderList(defer) != static_cast<size_t>(kFiles)) state.SkipWithError("setup: wrong entry count");
  for (auto _ : state) benchmark::DoNotOptimize(FolderList(defer));
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_FolderListSortedByName)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

template <typename F>
double BestMs(F&& f) {
  double best = 1e30;
  for (int i = 0; i < 15; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(f());
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  const double bare = BestMs(BareWalk);
  const double deferred = BestMs([] { return FolderList(true); });
  const double dated = BestMs([] { return FolderList(false); });
  std::printf("folder list (dates deferred) / bare walk+sort: %.2f ms / %.2f ms = ratio %.2f (target <= 1.5)\n",
              deferred, bare, deferred / bare);
  std::printf("folder list (dates taken)    / bare walk+sort: %.2f ms / %.2f ms = ratio %.2f\n", dated, bare,
              dated / bare);
  benchmark::Shutdown();
  fs::remove_all(Folder());
  return 0;
}

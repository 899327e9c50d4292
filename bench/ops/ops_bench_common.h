// File: bench/ops/ops_bench_common.h
//
// Shared set-up of the pixel-operation benchmarks: a 24-megapixel 24-bit
// test picture, the same pixels as a libvips image, and a reporter that
// prints our time over the peer's time for named pairs.
//
//   RegisterPair("resize 50%", "ours/resize", "vips/resize");
//   return RunWithRatios(argc, argv);
#pragma once

#include <benchmark/benchmark.h>
#include <vips/vips.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "imaging/image.h"

namespace bench_ops {

inline constexpr int kWidth = 6000;  // 6000 x 4000 = 24 megapixels; rows need no padding
inline constexpr int kHeight = 4000;

// A photo-like picture: smooth gradients plus noise, so filters cannot
// take shortcuts on flat data.
inline const imaging::Image& Picture() {
  static imaging::Image img = [] {
    imaging::Image p;
    if (!imaging::Image::Create(kWidth, kHeight, 24, &p).ok()) std::abort();
    std::mt19937 rng(1);
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* row = p.row(y);
      for (int x = 0; x < kWidth; ++x) {
        const int n = static_cast<int>(rng() & 31) - 16;
        row[3 * x] = static_cast<uint8_t>(std::clamp(x * 255 / kWidth + n, 0, 255));
        row[3 * x + 1] = static_cast<uint8_t>(std::clamp(y * 255 / kHeight + n, 0, 255));
        row[3 * x + 2] = static_cast<uint8_t>(std::clamp(((x ^ y) & 255) + n, 0, 255));
      }
    }
    return p;
  }();
  return img;
}

// The same pixels as a vips image (shares the rows; B,G,R order does not
// matter to the operations timed).
inline VipsImage* VipsPicture() {
  static VipsImage* v = [] {
    if (VIPS_INIT("ops_bench")) std::abort();
    vips_cache_set_max(0);  // every call computes
    const imaging::Image& p = Picture();
    return vips_image_new_from_memory(p.data(), p.data_size(), kWidth, kHeight, 3, VIPS_FORMAT_UCHAR);
  }();
  return v;
}

// Runs a vips operation's output to memory (the pixels are computed) and
// frees it.
inline void Materialise(VipsImage* out) {
  size_t size = 0;
  void* mem = vips_image_write_to_memory(out, &size);
  benchmark::DoNotOptimize(mem);
  g_free(mem);
  g_object_unref(out);
}

struct Pair {
  std::string label, ours, peer;
};
inline std::vector<Pair>& Pairs() {
  static std::vector<Pair> pairs;
  return pairs;
}
inline void RegisterPair(std::string label, std::string ours, std::string peer) {
  Pairs().push_back({std::move(label), std::move(ours), std::move(peer)});
}

// Console output as usual, plus the real time of every run by name.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      std::string name = r.benchmark_name();
      // Drop the "/min_time:..." and "/real_time" decorations.
      for (const char* tag : {"/min_time", "/real_time"})
        if (const size_t cut = name.find(tag); cut != std::string::npos) name.resize(cut);
      times_[name] = r.GetAdjustedRealTime();
    }
  }
  void PrintRatios() const {
    std::printf("\nours / peer (real time; <= 1.00 meets the target)\n");
    for (const Pair& p : Pairs()) {
      auto a = times_.find(p.ours), b = times_.find(p.peer);
      if (a == times_.end() || b == times_.end()) continue;
      std::printf("  %-28s %6.2f   (%.1f ms vs %.1f ms)\n", p.label.c_str(), a->second / b->second, a->second,
                  b->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

inline int RunWithRatios(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}

// Megapixels per second of the picture, as a counter.
inline void CountMegapixels(benchmark::State& state) {
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kWidth) * kHeight / 1e6 * state.iterations(),
                                              benchmark::Counter::kIsRate);
}

}  // namespace bench_ops

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

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "imaging/image.h"

namespace bench_ops {

inline constexpr int kWidth = 6000;  // 6000 x 4000 = 24 megapixels; rows need no padding
inline constexpr int kHeight = 4000;

// A photo-like picture of `w` x `h`: smooth gradients plus noise (from
// `seed`), so filters cannot take shortcuts on flat data.
inline imaging::Image PhotoLike(int w, int h, unsigned seed) {
  imaging::Image p;
  if (!imaging::Image::Create(w, h, 24, &p).ok()) std::abort();
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = p.row(y);
    for (int x = 0; x < w; ++x) {
      const int n = static_cast<int>(rng() & 31) - 16;
      row[3 * x] = static_cast<uint8_t>(std::clamp(x * 255 / w + n, 0, 255));
      row[3 * x + 1] = static_cast<uint8_t>(std::clamp(y * 255 / h + n, 0, 255));
      row[3 * x + 2] = static_cast<uint8_t>(std::clamp(((x ^ y) & 255) + n, 0, 255));
    }
  }
  return p;
}

// The 24-megapixel test picture.
inline const imaging::Image& Picture() {
  static const imaging::Image img = PhotoLike(kWidth, kHeight, 1);
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
  double target = 1.0;  // 0 = printed without a target
};
inline std::vector<Pair>& Pairs() {
  static std::vector<Pair> pairs;
  return pairs;
}
inline void RegisterPair(std::string label, std::string ours, std::string peer, double target = 1.0) {
  Pairs().push_back({std::move(label), std::move(ours), std::move(peer), target});
}

// PrintPairs() prints every registered pair's ratio, with CPU time too when
// `with_cpu` (for peers that work on threads of their own).
inline void PrintPairs(const bench::RatioReporter& reporter, bool with_cpu = false) {
  std::printf("\nours / peer (real time; at or under the target meets it)\n");
  for (const Pair& p : Pairs()) reporter.PrintRatio(p.label, p.ours, p.peer, p.target, with_cpu);
}

inline int RunWithRatios(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintPairs(reporter);
  benchmark::Shutdown();
  return 0;
}

// Megapixels per second of the picture, as a counter.
inline void CountMegapixels(benchmark::State& state) {
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kWidth) * kHeight / 1e6 * state.iterations(),
                                              benchmark::Counter::kIsRate);
}

}  // namespace bench_ops

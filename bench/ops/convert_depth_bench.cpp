// Colour depth conversion of a 24-megapixel 24-bit picture: to 256
// optimised colours with and without error diffusion, and to 256 greys,
// with libvips' sRGB -> B_W colourspace conversion (one thread) as the peer
// for the grey case.  Prints megapixels per second and the grey ratio.
//
//   build-bench/bench/convert_depth_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>
#include <vips/vips.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "imaging/image.h"
#include "imaging/ops/convert_depth.h"

namespace {

constexpr int kWidth = 6000, kHeight = 4000;  // 24 MP

// A photo-like picture: smooth colour gradients, a few hard-edged shapes and
// sensor-like noise, so the quantiser sees hundreds of thousands of colours.
const imaging::Image& Picture() {
  static const imaging::Image picture = [] {
    imaging::Image img;
    if (!imaging::Image::Create(kWidth, kHeight, 24, &img).ok()) std::abort();
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> noise(-6, 6);
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* p = img.row(y);
      for (int x = 0; x < kWidth; ++x, p += 3) {
        const double fx = x / double(kWidth), fy = y / double(kHeight);
        double r = 120 + 100 * std::sin(6.0 * fx + 1.0), g = 60 + 150 * fy, b = 200 - 120 * fx * fy;
        if (std::hypot(x - 2000.0, y - 1500.0) < 700) r = 230, g = 40, b = 30;  // a red disc
        if (x > 4200 && y > 2500) r = 30 + 40 * fy, g = 90, b = 60;             // a dark green block
        auto put = [&](int i, double v) { p[i] = static_cast<uint8_t>(std::clamp(int(v) + noise(rng), 0, 255)); };
        put(0, b), put(1, g), put(2, r);
      }
    }
    return img;
  }();
  return picture;
}

void SetRate(benchmark::State& state) {
  state.counters["MP/s"] =
      benchmark::Counter(kWidth * double(kHeight) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// Mean distance per channel between two pictures, for the setup checks.
double MeanError(const imaging::Image& a, const imaging::Image& b) {
  double sum = 0;
  int n = 0;
  for (int y = 0; y < a.height(); y += 97)
    for (int x = 0; x < a.width(); x += 89, ++n) {
      const uint32_t p = a.PixelRgb(x, y), q = b.PixelRgb(x, y);
      for (int s = 0; s < 24; s += 8) sum += std::abs(int((p >> s) & 0xFF) - int((q >> s) & 0xFF));
    }
  return sum / (3.0 * n);
}

void Convert(benchmark::State& state, imaging::ops::DepthCode code, imaging::ops::Dither dither) {
  const imaging::Image& src = Picture();
  imaging::ops::ConvertDepthOptions opt;
  opt.dither = dither;
  imaging::Image out;
  // A fast wrong answer must not count: check depth, palette and closeness first.
  if (!imaging::ops::ConvertDepth(src, &out, code, opt).ok() || out.bpp() != 8 || out.palette().size() != 256) {
    state.SkipWithError("conversion failed");
    return;
  }
  if (code == imaging::ops::DepthCode::kColor256 && MeanError(src, out) > 8.0) {
    state.SkipWithError("quantised picture is too far from the original");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(imaging::ops::ConvertDepth(src, &out, code, opt).ok());
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

void BM_To256Optimized(benchmark::State& state) {
  Convert(state, imaging::ops::DepthCode::kColor256, imaging::ops::Dither::kNone);
}
void BM_To256OptimizedDithered(benchmark::State& state) {
  Convert(state, imaging::ops::DepthCode::kColor256, imaging::ops::Dither::kFloydSteinberg);
}
void BM_To256Greys(benchmark::State& state) {
  Convert(state, imaging::ops::DepthCode::kGray256, imaging::ops::Dither::kNone);
}

void BM_VipsColourspaceBW(benchmark::State& state) {
  const imaging::Image& src = Picture();
  // vips wants packed RGB rows; the copy is made outside the timed loop.
  std::vector<uint8_t> rgb(size_t{kWidth} * kHeight * 3);
  for (int y = 0; y < kHeight; ++y) {
    const uint8_t* p = src.row(y);
    uint8_t* o = rgb.data() + size_t{kWidth} * 3 * y;
    for (int x = 0; x < kWidth; ++x) o[3 * x] = p[3 * x + 2], o[3 * x + 1] = p[3 * x + 1], o[3 * x + 2] = p[3 * x];
  }
  for (auto _ : state) {
    VipsImage* in = vips_image_new_from_memory(rgb.data(), rgb.size(), kWidth, kHeight, 3, VIPS_FORMAT_UCHAR);
    VipsImage* out = nullptr;
    if (in == nullptr || vips_colourspace(in, &out, VIPS_INTERPRETATION_B_W, nullptr) != 0) {
      if (in) g_object_unref(in);
      state.SkipWithError(vips_error_buffer());
      return;
    }
    size_t size = 0;
    void* mem = vips_image_write_to_memory(out, &size);
    if (mem == nullptr || size != size_t{kWidth} * kHeight) state.SkipWithError("vips produced no grey picture");
    g_free(mem);
    g_object_unref(out);
    g_object_unref(in);
  }
  SetRate(state);
}

BENCHMARK(BM_To256Optimized)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_To256OptimizedDithered)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_To256Greys)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VipsColourspaceBW)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (VIPS_INIT(argv[0]) != 0) return 1;
  vips_concurrency_set(1);  // one thread, like ConvertDepth
  benchmark::Initialize(&argc, argv);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("256 greys: ConvertDepth / vips_colourspace(B_W)", "BM_To256Greys", "BM_VipsColourspaceBW", 0);
  benchmark::Shutdown();
  vips_shutdown();
  return 0;
}

// Reduced-scale JPEG decoding against TurboJPEG's own scaled decode, at
// 1/8 and 1/4 of a 6-megapixel camera-like picture (3000 x 2000,
// chroma halved both ways, our writer at quality 90).  Both sides decode the
// same bytes in memory to B,G,R on one thread; ours is checked against
// TurboJPEG's pixels before timing.  Bounded loads route a scale through our
// decoder only where it is the faster, so both carry a target of 1.0; half
// size, where TurboJPEG's decode is the faster, is left to libjpeg.
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "imaging/codecs/internal/format_codec.h"
#include "imaging/codecs/jpeg_dc_decoder.h"
#include "imaging/image.h"

namespace {

namespace codecs = imaging::codecs;

constexpr int kWidth = 3000, kHeight = 2000;

// A camera-like picture: broad soft gradients, a few hard-edged shapes,
// fine texture in part of the frame and a little sensor noise.
imaging::Image Scene() {
  imaging::Image p;
  if (!imaging::Image::Create(kWidth, kHeight, 24, &p).ok()) std::abort();
  std::mt19937 rng(5);
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = p.row(y);
    for (int x = 0; x < kWidth; ++x) {
      const double sky = 0.5 + 0.5 * std::sin(x * 0.0021) * std::cos(y * 0.0017);
      int r = static_cast<int>(60 + 150 * sky), g = static_cast<int>(90 + 120 * sky), b = static_cast<int>(140 + 90 * sky);
      if ((x / 400 + y / 300) % 5 == 0) {  // hard-edged blocks
        r = 220;
        g = 200 - (y % 300) / 3;
        b = 40;
      }
      if (y > kHeight / 2) {  // textured ground
        const int t = static_cast<int>(30 * std::sin(x * 0.35) * std::sin(y * 0.29));
        r = 110 + t;
        g = 95 + t;
        b = 60 + t / 2;
      }
      const int n = static_cast<int>(rng() % 7) - 3;
      row[3 * x] = static_cast<uint8_t>(std::clamp(b + n, 0, 255));
      row[3 * x + 1] = static_cast<uint8_t>(std::clamp(g + n, 0, 255));
      row[3 * x + 2] = static_cast<uint8_t>(std::clamp(r + n, 0, 255));
    }
  }
  return p;
}

const std::vector<uint8_t>& JpegBytes() {
  static std::vector<uint8_t> bytes = [] {
    const std::string path = "/tmp/osmund_jpeg_scaled_bench_" + std::to_string(getpid()) + ".jpg";
    codecs::SaveOptions so;
    so.type = codecs::SaveType::kJpeg;
    so.jpeg_quality = 90;
    if (!codecs::internal::JpegCodec().save(Scene(), path, so).ok()) std::abort();
    std::ifstream f(path, std::ios::binary);
    std::vector<uint8_t> b(std::istreambuf_iterator<char>(f), {});
    std::remove(path.c_str());
    return b;
  }();
  return bytes;
}

bool TjScaled(tjhandle tj, int scale, std::vector<uint8_t>* px, int* w, int* h) {
  const std::vector<uint8_t>& jpeg = JpegBytes();
  *w = (kWidth * scale + 7) / 8;
  *h = (kHeight * scale + 7) / 8;
  px->resize(static_cast<size_t>(*w) * *h * 3);
  return tjDecompress2(tj, jpeg.data(), jpeg.size(), px->data(), *w, 0, *h, TJPF_BGR, 0) == 0;
}

void Ours(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));
  const std::vector<uint8_t>& jpeg = JpegBytes();
  // Same pixels as TurboJPEG's (within the rounding its SIMD code may add).
  tjhandle tj = tjInitDecompress();
  std::vector<uint8_t> ref;
  int w = 0, h = 0;
  const bool ref_ok = TjScaled(tj, scale, &ref, &w, &h);
  tjDestroy(tj);
  imaging::Image check;
  bool handled = false;
  if (!ref_ok || !codecs::internal::JpegScaledDecode(jpeg.data(), jpeg.size(), scale, &check, &handled).ok() ||
      check.width() != w || check.height() != h) {
    state.SkipWithError("decode failed");
    return;
  }
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < 3 * w; ++i)
      if (std::abs(check.row(y)[i] - ref[static_cast<size_t>(y) * w * 3 + i]) > 1) {
        state.SkipWithError("pixels differ from TurboJPEG's");
        return;
      }
  for (auto _ : state) {
    imaging::Image img;
    benchmark::DoNotOptimize(codecs::internal::JpegScaledDecode(jpeg.data(), jpeg.size(), scale, &img, &handled).ok());
  }
}
BENCHMARK(Ours)->Name("ours/scaled")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void Tj(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));
  tjhandle tj = tjInitDecompress();
  std::vector<uint8_t> px;
  int w = 0, h = 0;
  for (auto _ : state)
    if (!TjScaled(tj, scale, &px, &w, &h)) state.SkipWithError("tjDecompress2 failed");
  tjDestroy(tj);
}
BENCHMARK(Tj)->Name("tj/scaled")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  std::printf("test file: %d x %d, %zu bytes, %.2f bits per pixel\n", kWidth, kHeight, JpegBytes().size(),
              JpegBytes().size() * 8.0 / kWidth / kHeight);
  benchmark::Initialize(&argc, argv);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nours / tjDecompress2 at the same scale (real time; CPU time beside it)\n");
  reporter.PrintRatio("decode 1/8", "ours/scaled/1", "tj/scaled/1", 1.0, true);
  reporter.PrintRatio("decode 1/4", "ours/scaled/2", "tj/scaled/2", 1.0, true);
  benchmark::Shutdown();
  return 0;
}

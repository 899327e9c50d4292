// Shrinking 24-bit pictures by area averaging at ratios that are not whole
// numbers, as the thumbnail control does for every picture: a 256 x 171
// cached thumbnail to the 160 x 107 cell, and a 3000 x 2000 photo to
// 256 x 171.  Ours (ResizeImage) against OpenCV's bilinear shrink of the
// same (the peer whose speed we aim at), OpenCV's own area averaging (what
// we replace) and reading the picture once.  Each of ours checks its
// output against OpenCV's area averaging before timing.
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "bench/ops/ops_bench_common.h"
#include "imaging/ops/internal/cv_wrap.h"
#include "imaging/ops/resize.h"

namespace {

struct Case {
  const char* name;
  int sw, sh, dw, dh;
};
constexpr Case kThumb{"thumb", 256, 171, 160, 107};
constexpr Case kPhoto{"photo", 3000, 2000, 256, 171};
// A whole factor: OpenCV's area averaging is quick only for halving both
// sides, which ResizeImage leaves to it.
constexpr Case kQuarter{"quarter", 3000, 2000, 750, 500};

const imaging::Image& PictureOf(const Case& c) {
  static const imaging::Image thumb = bench_ops::PhotoLike(kThumb.sw, kThumb.sh, 7);
  static const imaging::Image photo = bench_ops::PhotoLike(kPhoto.sw, kPhoto.sh, 7);
  return c.sw == kThumb.sw ? thumb : photo;
}

void Ours(benchmark::State& state, Case c) {
  const imaging::Image& src = PictureOf(c);
  imaging::Image out;
  cv::Mat ref;
  cv::resize(imaging::ops::internal::MatOf(src), ref, cv::Size(c.dw, c.dh), 0, 0, cv::INTER_AREA);
  if (!imaging::ops::ResizeImage(src, &out, c.dw, c.dh).ok() || out.width() != c.dw || out.height() != c.dh ||
      cv::norm(imaging::ops::internal::MatOf(std::as_const(out)), ref, cv::NORM_INF) > 1)
    state.SkipWithError("resize failed or differs from INTER_AREA");
  for (auto _ : state) {
    imaging::Image o;
    benchmark::DoNotOptimize(imaging::ops::ResizeImage(src, &o, c.dw, c.dh).ok());
  }
}

void OpenCv(benchmark::State& state, Case c, int interp) {
  const cv::Mat src = imaging::ops::internal::MatOf(PictureOf(c));
  for (auto _ : state) {
    cv::Mat dst;
    cv::resize(src, dst, cv::Size(c.dw, c.dh), 0, 0, interp);
    benchmark::DoNotOptimize(dst.data);
  }
}

// Reading every sample once (OpenCV counting the non-zero samples): the
// floor for any area average, which must read the whole picture.
// Bilinear shrinking reads only the rows it samples.
void OpenCvRead(benchmark::State& state, Case c) {
  const cv::Mat src = imaging::ops::internal::MatOf(PictureOf(c)).reshape(1);
  for (auto _ : state) benchmark::DoNotOptimize(cv::countNonZero(src));
}

// Register() adds ours and the peers for `c`; `linear_target` 0 prints the
// ratio to bilinear without a target.
void Register(const Case& c, double linear_target) {
  const std::string n = c.name;
  benchmark::RegisterBenchmark(("ours/" + n).c_str(), Ours, c)->Unit(benchmark::kMicrosecond)->UseRealTime();
  benchmark::RegisterBenchmark(("cv_linear/" + n).c_str(), OpenCv, c, cv::INTER_LINEAR)
      ->Unit(benchmark::kMicrosecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(("cv_area/" + n).c_str(), OpenCv, c, cv::INTER_AREA)
      ->Unit(benchmark::kMicrosecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(("cv_read/" + n).c_str(), OpenCvRead, c)->Unit(benchmark::kMicrosecond)->UseRealTime();
  const std::string size = std::to_string(c.sw) + "x" + std::to_string(c.sh) + " -> " + std::to_string(c.dw) + "x" +
                           std::to_string(c.dh);
  bench_ops::RegisterPair("area " + size + " / cv linear", "ours/" + n, "cv_linear/" + n, linear_target);
  bench_ops::RegisterPair("area " + size + " / cv area", "ours/" + n, "cv_area/" + n, 0);
  bench_ops::RegisterPair("area " + size + " / reading it once", "ours/" + n, "cv_read/" + n, 0);
}

}  // namespace

int main(int argc, char** argv) {
  Register(kThumb, 1.5);
  Register(kPhoto, 1.5);
  Register(kQuarter, 0);
  benchmark::Initialize(&argc, argv);
  std::printf("OpenCV threads: %d\n", cv::getNumThreads());
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // With --benchmark_repetitions the medians are compared.
  std::printf("\nours / peer (real time; at or under the target meets it)\n");
  for (const bench_ops::Pair& p : bench_ops::Pairs()) {
    const bool median = reporter.Real(p.ours + "_median") > 0;
    const std::string tail = median ? "_median" : "";
    reporter.PrintRatio(p.label + (median ? " (median)" : ""), p.ours + tail, p.peer + tail, p.target, true);
  }
  benchmark::Shutdown();
  return 0;
}

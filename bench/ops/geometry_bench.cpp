// Geometry against libvips on a 24-megapixel 24-bit picture: resize to
// 50 %, quarter turn, 7.5-degree rotation.  Each of ours checks its output
// size before timing.
#include <cmath>

#include "bench/ops/ops_bench_common.h"
#include "imaging/ops/resize.h"
#include "imaging/ops/rotate.h"

namespace {

using namespace bench_ops;

void OursResize(benchmark::State& state) {
  imaging::Image out;
  if (!imaging::ops::ResizeImage(Picture(), &out, kWidth / 2, kHeight / 2).ok() || out.width() != kWidth / 2)
    state.SkipWithError("resize failed");
  for (auto _ : state) {
    imaging::Image o;
    benchmark::DoNotOptimize(imaging::ops::ResizeImage(Picture(), &o, kWidth / 2, kHeight / 2).ok());
  }
  CountMegapixels(state);
}
BENCHMARK(OursResize)->Name("ours/resize50")->Unit(benchmark::kMillisecond)->UseRealTime();

void VipsResize(benchmark::State& state) {
  for (auto _ : state) {
    VipsImage* out = nullptr;
    if (vips_resize(VipsPicture(), &out, 0.5, nullptr)) state.SkipWithError("vips_resize failed");
    Materialise(out);
  }
  CountMegapixels(state);
}
BENCHMARK(VipsResize)->Name("vips/resize50")->Unit(benchmark::kMillisecond)->UseRealTime();

void OursRot90(benchmark::State& state) {
  imaging::Image out;
  if (!imaging::ops::RotateImage(Picture(), &out, -9000).ok() || out.width() != kHeight)
    state.SkipWithError("rotate failed");
  for (auto _ : state) {
    imaging::Image o;
    benchmark::DoNotOptimize(imaging::ops::RotateImage(Picture(), &o, -9000).ok());
  }
  CountMegapixels(state);
}
BENCHMARK(OursRot90)->Name("ours/rot90")->Unit(benchmark::kMillisecond)->UseRealTime();

void VipsRot90(benchmark::State& state) {
  for (auto _ : state) {
    VipsImage* out = nullptr;
    if (vips_rot(VipsPicture(), &out, VIPS_ANGLE_D90, nullptr)) state.SkipWithError("vips_rot failed");
    Materialise(out);
  }
  CountMegapixels(state);
}
BENCHMARK(VipsRot90)->Name("vips/rot90")->Unit(benchmark::kMillisecond)->UseRealTime();

void OursRotate(benchmark::State& state) {
  imaging::Image out;
  if (!imaging::ops::RotateImage(Picture(), &out, 750).ok() || out.width() <= kWidth)
    state.SkipWithError("rotate failed");
  for (auto _ : state) {
    imaging::Image o;
    benchmark::DoNotOptimize(imaging::ops::RotateImage(Picture(), &o, 750).ok());
  }
  CountMegapixels(state);
}
BENCHMARK(OursRotate)->Name("ours/rotate7.5")->Unit(benchmark::kMillisecond)->UseRealTime();

void VipsRotate(benchmark::State& state) {
  for (auto _ : state) {
    VipsImage* out = nullptr;
    // Bilinear, as ours; the canvas grows to hold the whole turned picture.
    if (vips_rotate(VipsPicture(), &out, 7.5, "interpolate", vips_interpolate_bilinear_static(), nullptr))
      state.SkipWithError("vips_rotate failed");
    Materialise(out);
  }
  CountMegapixels(state);
}
BENCHMARK(VipsRotate)->Name("vips/rotate7.5")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  bench_ops::RegisterPair("resize to 50 %", "ours/resize50", "vips/resize50");
  bench_ops::RegisterPair("rotate 90", "ours/rot90", "vips/rot90");
  bench_ops::RegisterPair("rotate 7.5", "ours/rotate7.5", "vips/rotate7.5");
  return bench_ops::RunWithRatios(argc, argv);
}

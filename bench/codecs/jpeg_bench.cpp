// JPEG against libvips (and bare TurboJPEG for decoding) on a 24-megapixel
// picture: full decode, q90 encode, and a load bounded to 160 x 160 against
// vips_thumbnail.  Both sides work from the same bytes in memory, encode to
// a file in the same folder, and run on one thread.  Each of ours checks its
// output before timing.
#include <turbojpeg.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/ops/ops_bench_common.h"
#include "imaging/codecs/codec.h"
#include "imaging/codecs/internal/format_codec.h"

namespace {

using namespace bench_ops;
namespace codecs = imaging::codecs;

std::string TempFile(const char* name) {
  return "/tmp/osmund_jpeg_bench_" + std::to_string(getpid()) + "_" + name;
}

// The test picture as our own q90 JPEG, in memory.
const std::vector<uint8_t>& JpegBytes() {
  static std::vector<uint8_t> bytes = [] {
    const std::string path = TempFile("source.jpg");
    codecs::SaveOptions so;
    so.type = codecs::SaveType::kJpeg;
    so.jpeg_quality = 90;
    if (!codecs::internal::JpegCodec().save(Picture(), path, so).ok()) std::abort();
    std::ifstream f(path, std::ios::binary);
    std::vector<uint8_t> b(std::istreambuf_iterator<char>(f), {});
    std::remove(path.c_str());
    return b;
  }();
  return bytes;
}

void OursDecode(benchmark::State& state) {
  const std::vector<uint8_t>& jpeg = JpegBytes();
  imaging::Image check;
  if (!codecs::LoadMemory(jpeg.data(), jpeg.size(), {}, &check).ok() || check.width() != kWidth ||
      check.height() != kHeight)
    state.SkipWithError("decode failed");
  for (auto _ : state) {
    imaging::Image img;
    benchmark::DoNotOptimize(codecs::LoadMemory(jpeg.data(), jpeg.size(), {}, &img).ok());
  }
  CountMegapixels(state);
}
BENCHMARK(OursDecode)->Name("ours/decode")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void VipsDecode(benchmark::State& state) {
  const std::vector<uint8_t>& jpeg = JpegBytes();
  for (auto _ : state) {
    VipsImage* out = nullptr;
    if (vips_jpegload_buffer(const_cast<uint8_t*>(jpeg.data()), jpeg.size(), &out, "access",
                             VIPS_ACCESS_SEQUENTIAL, nullptr))
      state.SkipWithError("vips_jpegload_buffer failed");
    Materialise(out);
  }
  CountMegapixels(state);
}
BENCHMARK(VipsDecode)->Name("vips/decode")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void TjDecode(benchmark::State& state) {
  const std::vector<uint8_t>& jpeg = JpegBytes();
  tjhandle tj = tjInitDecompress();
  std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 3);
  for (auto _ : state)
    if (tjDecompress2(tj, jpeg.data(), jpeg.size(), pixels.data(), kWidth, 0, kHeight, TJPF_BGR, 0) != 0)
      state.SkipWithError("tjDecompress2 failed");
  tjDestroy(tj);
  CountMegapixels(state);
}
BENCHMARK(TjDecode)->Name("tj/decode")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void OursEncode(benchmark::State& state) {
  const std::string path = TempFile("ours.jpg");
  codecs::SaveOptions so;
  so.type = codecs::SaveType::kJpeg;
  so.jpeg_quality = 90;
  for (auto _ : state)
    if (!codecs::internal::JpegCodec().save(Picture(), path, so).ok()) state.SkipWithError("encode failed");
  std::remove(path.c_str());
  CountMegapixels(state);
}
BENCHMARK(OursEncode)->Name("ours/encode_q90")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void VipsEncode(benchmark::State& state) {
  const std::string path = TempFile("vips.jpg");
  VipsImage* rgb = nullptr;
  if (vips_copy(VipsPicture(), &rgb, "interpretation", VIPS_INTERPRETATION_sRGB, nullptr))
    state.SkipWithError("vips_copy failed");
  for (auto _ : state)
    // Chroma halved both ways, as ours writes it (vips would keep it whole at Q >= 90).
    if (vips_jpegsave(rgb, path.c_str(), "Q", 90, "subsample_mode", VIPS_FOREIGN_SUBSAMPLE_ON, nullptr))
      state.SkipWithError("vips_jpegsave failed");
  g_object_unref(rgb);
  std::remove(path.c_str());
  CountMegapixels(state);
}
BENCHMARK(VipsEncode)->Name("vips/encode_q90")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void OursThumbnail(benchmark::State& state) {
  const std::vector<uint8_t>& jpeg = JpegBytes();
  codecs::LoadOptions lo;
  lo.max_width = lo.max_height = 160;
  imaging::Image check;
  if (!codecs::LoadMemory(jpeg.data(), jpeg.size(), lo, &check).ok() || check.width() != 160 ||
      check.height() != 107)
    state.SkipWithError("bounded load failed");
  for (auto _ : state) {
    imaging::Image img;
    benchmark::DoNotOptimize(codecs::LoadMemory(jpeg.data(), jpeg.size(), lo, &img).ok());
  }
}
BENCHMARK(OursThumbnail)->Name("ours/load160")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void TjDecodeEighth(benchmark::State& state) {
  const std::vector<uint8_t>& jpeg = JpegBytes();
  tjhandle tj = tjInitDecompress();
  const int w = (kWidth + 7) / 8, h = (kHeight + 7) / 8;
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 3);
  for (auto _ : state)
    if (tjDecompress2(tj, jpeg.data(), jpeg.size(), pixels.data(), w, 0, h, TJPF_BGR, 0) != 0)
      state.SkipWithError("tjDecompress2 failed");
  tjDestroy(tj);
}
BENCHMARK(TjDecodeEighth)->Name("tj/decode_1_8")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void VipsThumbnail(benchmark::State& state) {
  const std::vector<uint8_t>& jpeg = JpegBytes();
  for (auto _ : state) {
    VipsImage* out = nullptr;
    if (vips_thumbnail_buffer(const_cast<uint8_t*>(jpeg.data()), jpeg.size(), &out, 160, "height", 160, nullptr))
      state.SkipWithError("vips_thumbnail_buffer failed");
    Materialise(out);
  }
}
BENCHMARK(VipsThumbnail)->Name("vips/thumbnail160")->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  VipsPicture();  // starts vips
  vips_concurrency_set(1);  // one thread, like ours
  RegisterPair("decode 24 MP", "ours/decode", "vips/decode", 1.05);
  RegisterPair("decode vs bare tjDecompress2", "ours/decode", "tj/decode", 0);
  RegisterPair("encode q90", "ours/encode_q90", "vips/encode_q90", 1.05);
  RegisterPair("load bounded 160", "ours/load160", "vips/thumbnail160", 0.80);
  RegisterPair("load bounded 160 vs tj 1/8 decode", "ours/load160", "tj/decode_1_8", 0);
  std::printf("test file: %zu bytes, %.2f bits per pixel\n", JpegBytes().size(), JpegBytes().size() * 8.0 / kWidth / kHeight);
  benchmark::Initialize(&argc, argv);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintPairs(reporter, /*with_cpu=*/true);
  benchmark::Shutdown();
  return 0;
}

// MVFileLoad of a 24-megapixel photo JPEG bounded to 160 x 160, as the
// thumbnail control asks for it, against vips_thumbnail of the same file to
// the same box.  Both read the file from the page cache and run on one
// thread; ours goes through the exported C entry and the global-memory
// handle it returns.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench/ops/ops_bench_common.h"
#include "imaging/codecs/codec.h"
#include "imaging/dlls/mv7.h"

namespace {

using namespace bench_ops;

const std::string& JpegFile() {
  static const std::string path = [] {
    std::string p = "/tmp/osmund_mvload_bench_" + std::to_string(getpid()) + ".jpg";
    imaging::codecs::SaveOptions so;
    so.type = imaging::codecs::SaveType::kJpeg;
    so.jpeg_quality = 90;
    if (!imaging::codecs::Save(Picture(), p, so).ok()) std::abort();
    return p;
  }();
  return path;
}

void MvFileLoad160(benchmark::State& state) {
  const std::string& path = JpegFile();
  MVHANDLE check = MVFileLoad(path.c_str(), 0, 160, 160, 0, 0, 0, 0);
  const auto* bi = check ? static_cast<const MVBITMAPINFOHEADER*>(MVGlobalLock(check)) : nullptr;
  if (bi == nullptr || bi->biWidth != 160 || (bi->biHeight != 107 && bi->biHeight != -107))
    state.SkipWithError("MVFileLoad gave no 160 x 107 picture");
  if (check) {
    MVGlobalUnlock(check);
    MVFreeMemory(check);
  }
  for (auto _ : state) {
    MVHANDLE h = MVFileLoad(path.c_str(), 0, 160, 160, 0, 0, 0, 0);
    benchmark::DoNotOptimize(h);
    MVFreeMemory(h);
  }
}
BENCHMARK(MvFileLoad160)->Name("ours/mvfileload160")->Unit(benchmark::kMillisecond)->UseRealTime();

void VipsThumbnail160(benchmark::State& state) {
  const std::string& path = JpegFile();
  for (auto _ : state) {
    VipsImage* out = nullptr;
    if (vips_thumbnail(path.c_str(), &out, 160, "height", 160, nullptr))
      state.SkipWithError("vips_thumbnail failed");
    Materialise(out);
  }
}
BENCHMARK(VipsThumbnail160)->Name("vips/thumbnail160")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  VipsPicture();  // starts vips
  vips_concurrency_set(1);
  RegisterPair("MVFileLoad 160", "ours/mvfileload160", "vips/thumbnail160", 0.80);
  const int rc = RunWithRatios(argc, argv);
  std::remove(JpegFile().c_str());
  return rc;
}

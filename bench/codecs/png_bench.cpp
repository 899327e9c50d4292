// PNG decode of a large picture (4000 x 3000, 24 bits, photo-like) from
// memory: our reader against libvips's pngload in the same run, for time
// and for peak memory.
//
// Peak memory is counted by this program's own malloc family (malloc,
// calloc, realloc, free and the aligned forms, interposed over glibc's and
// forwarding to it): the largest number of bytes in use, as
// malloc_usable_size() reports them, during one decode, above what was in
// use when it started.  Everything in the process allocates through it,
// libpng, zlib, GLib and libvips's worker threads included.  Anonymous
// mappings made through mmap() (the engine keeps large pixel blocks in
// mappings of their own) count too, and the engine's kept blocks are
// released before our decode is measured, so reuse hides nothing.  The peer
// decodes with sequential access straight into one memory image, which is
// the least memory libvips needs to hold a decoded picture.
//
//   ./png_bench          prints times, then "ours / peer" for time and memory
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "imaging/codecs/codec.h"
#include "imaging/image.h"

// --- Counting allocator --------------------------------------------------

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);
}

namespace {

std::atomic<long long> g_in_use{0};
std::atomic<long long> g_peak{0};

void Added(void* p) {
  if (p == nullptr) return;
  const long long now = g_in_use.fetch_add(static_cast<long long>(malloc_usable_size(p))) +
                        static_cast<long long>(malloc_usable_size(p));
  long long peak = g_peak.load(std::memory_order_relaxed);
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
}

void Removed(void* p) {
  if (p != nullptr) g_in_use.fetch_sub(static_cast<long long>(malloc_usable_size(p)));
}

// Anonymous mappings made through mmap(), so munmap() subtracts only what
// was counted (also for partial unmaps).
struct Mapping {
  uintptr_t start = 0, end = 0;
};
constexpr int kMaxMappings = 256;
Mapping g_mappings[kMaxMappings];
std::mutex g_mappings_mutex;

void MappingAdded(void* p, size_t length) {
  std::lock_guard<std::mutex> lock(g_mappings_mutex);
  for (Mapping& m : g_mappings)
    if (m.start == m.end) {
      m.start = reinterpret_cast<uintptr_t>(p);
      m.end = m.start + length;
      const long long now = g_in_use.fetch_add(static_cast<long long>(length)) + static_cast<long long>(length);
      long long peak = g_peak.load(std::memory_order_relaxed);
      while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
      }
      return;
    }
}

void MappingRemoved(void* p, size_t length) {
  const uintptr_t a = reinterpret_cast<uintptr_t>(p), b = a + length;
  std::lock_guard<std::mutex> lock(g_mappings_mutex);
  for (Mapping& m : g_mappings) {
    if (m.start == m.end || b <= m.start || a >= m.end) continue;
    const uintptr_t lo = std::max(a, m.start), hi = std::min(b, m.end);
    g_in_use.fetch_sub(static_cast<long long>(hi - lo));
    if (lo == m.start) m.start = hi;  // cut at the front (or all of it)
    else if (hi == m.end) m.end = lo;  // cut at the back
    // A hole in the middle is counted as gone; the mapping keeps its ends.
    if (m.start >= m.end) m = Mapping{};
  }
}

}  // namespace

extern "C" {
void* mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) {
  void* p = reinterpret_cast<void*>(syscall(SYS_mmap, addr, length, prot, flags, fd, offset));
  if (reinterpret_cast<intptr_t>(p) < 0 && reinterpret_cast<intptr_t>(p) > -4096) {
    errno = static_cast<int>(-reinterpret_cast<intptr_t>(p));
    return MAP_FAILED;
  }
  if ((flags & MAP_ANONYMOUS) != 0) MappingAdded(p, length);
  return p;
}
int munmap(void* addr, size_t length) {
  const long r = syscall(SYS_munmap, addr, length);
  if (r != 0) {
    errno = static_cast<int>(-r);
    return -1;
  }
  MappingRemoved(addr, length);
  return 0;
}

void* malloc(size_t size) {
  void* p = __libc_malloc(size);
  Added(p);
  return p;
}
void* calloc(size_t count, size_t size) {
  void* p = __libc_calloc(count, size);
  Added(p);
  return p;
}
void* realloc(void* old, size_t size) {
  const long long before = old != nullptr ? static_cast<long long>(malloc_usable_size(old)) : 0;
  void* p = __libc_realloc(old, size);
  if (p == nullptr && size != 0) return nullptr;  // the old block is still there
  g_in_use.fetch_sub(before);
  Added(p);
  return p;
}
void free(void* p) {
  Removed(p);
  __libc_free(p);
}
void* memalign(size_t alignment, size_t size) {
  void* p = __libc_memalign(alignment, size);
  Added(p);
  return p;
}
void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }
int posix_memalign(void** out, size_t alignment, size_t size) {
  void* p = memalign(alignment, size);
  if (p == nullptr) return 12;  // ENOMEM
  *out = p;
  return 0;
}
void* valloc(size_t size) { return memalign(static_cast<size_t>(sysconf(_SC_PAGESIZE)), size); }
void* pvalloc(size_t size) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return memalign(page, (size + page - 1) / page * page);
}
}

namespace {


constexpr int kPngWidth = 4000;
constexpr int kPngHeight = 3000;

// Smooth gradients with a little noise, so the file compresses like a
// photograph rather than like flat colour.
const std::vector<uint8_t>& PngFile() {
  static const std::vector<uint8_t> bytes = [] {
    imaging::Image p;
    if (!imaging::Image::Create(kPngWidth, kPngHeight, 24, &p).ok()) std::abort();
    std::mt19937 rng(1);
    for (int y = 0; y < kPngHeight; ++y) {
      uint8_t* row = p.row(y);
      for (int x = 0; x < kPngWidth; ++x) {
        const int n = static_cast<int>(rng() & 7) - 4;
        row[3 * x] = static_cast<uint8_t>(std::clamp(x * 255 / kPngWidth + n, 0, 255));
        row[3 * x + 1] = static_cast<uint8_t>(std::clamp(y * 255 / kPngHeight + n, 0, 255));
        row[3 * x + 2] = static_cast<uint8_t>(std::clamp((x + y) * 255 / (kPngWidth + kPngHeight) + n, 0, 255));
      }
    }
    const std::string path = "/tmp/png_bench_" + std::to_string(getpid()) + ".png";
    imaging::codecs::SaveOptions so;
    so.type = imaging::codecs::SaveType::kPng;
    if (!imaging::codecs::Save(p, path, so).ok()) std::abort();
    std::ifstream f(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(f)), {});
    std::remove(path.c_str());
    return b;
  }();
  return bytes;
}

bool OursDecode(imaging::Image* out) {
  const std::vector<uint8_t>& f = PngFile();
  return imaging::codecs::LoadMemory(f.data(), f.size(), {}, out).ok();
}

// libvips: decode into one memory image (R, G, B interleaved).
void* VipsDecode(size_t* size) {
  const std::vector<uint8_t>& f = PngFile();
  VipsImage* img = nullptr;
  if (vips_pngload_buffer(const_cast<uint8_t*>(f.data()), f.size(), &img, "access", VIPS_ACCESS_SEQUENTIAL,
                          nullptr) != 0)
    return nullptr;
  void* mem = vips_image_write_to_memory(img, size);
  g_object_unref(img);
  return mem;
}

// Peak bytes above the starting level while `decode` runs once.
template <typename F>
long long PeakOf(F decode) {
  const long long start = g_in_use.load();
  g_peak.store(start);
  decode();
  return g_peak.load() - start;
}

long long g_ours_peak = 0;
long long g_vips_peak = 0;

void BM_OursPngDecode(benchmark::State& state) {
  imaging::Image check;
  if (!OursDecode(&check) || check.width() != kPngWidth || check.bpp() != 24) {
    state.SkipWithError("our decode failed");
    return;
  }
  imaging::PixelBuffer::ReleaseKept();
  g_ours_peak = PeakOf([] {
    imaging::Image img;
    benchmark::DoNotOptimize(OursDecode(&img));
  });
  for (auto _ : state) {
    imaging::Image img;
    benchmark::DoNotOptimize(OursDecode(&img));
  }
  state.counters["peak_MB"] = static_cast<double>(g_ours_peak) / 1e6;
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kPngWidth) * kPngHeight / 1e6 * state.iterations(),
                                              benchmark::Counter::kIsRate);
}

void BM_VipsPngDecode(benchmark::State& state) {
  // Both decoders must see the same pixels (ours is B, G, R).
  size_t size = 0;
  void* mem = VipsDecode(&size);
  imaging::Image ours;
  if (mem == nullptr || size != size_t{kPngWidth} * kPngHeight * 3 || !OursDecode(&ours)) {
    state.SkipWithError("vips decode failed");
    g_free(mem);
    return;
  }
  const auto* v = static_cast<const uint8_t*>(mem);
  for (int y : {0, kPngHeight / 2, kPngHeight - 1})
    for (int x : {0, 1234, kPngWidth - 1}) {
      const uint8_t* a = ours.row(y) + 3 * x;
      const uint8_t* b = v + (static_cast<size_t>(y) * kPngWidth + x) * 3;
      if (a[0] != b[2] || a[1] != b[1] || a[2] != b[0]) state.SkipWithError("decoders disagree");
    }
  g_free(mem);
  ours = imaging::Image();
  g_vips_peak = PeakOf([] {
    size_t n = 0;
    g_free(VipsDecode(&n));
  });
  for (auto _ : state) {
    size_t n = 0;
    void* m = VipsDecode(&n);
    benchmark::DoNotOptimize(m);
    g_free(m);
  }
  state.counters["peak_MB"] = static_cast<double>(g_vips_peak) / 1e6;
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(kPngWidth) * kPngHeight / 1e6 * state.iterations(),
                                              benchmark::Counter::kIsRate);
}

}  // namespace

int main(int argc, char** argv) {
  if (VIPS_INIT(argv[0])) return 1;
  vips_cache_set_max(0);
  std::printf("PNG file: %d x %d, 24 bits, %zu bytes\n", kPngWidth, kPngHeight, PngFile().size());
  for (auto* b : {benchmark::RegisterBenchmark("ours/png_decode", BM_OursPngDecode),
                  benchmark::RegisterBenchmark("vips/png_decode", BM_VipsPngDecode)})
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(3.0);
  benchmark::Initialize(&argc, argv);
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nours / libvips\n");
  reporter.PrintRatio("  PNG decode", "ours/png_decode", "vips/png_decode", 1.10, /*with_cpu=*/true);
  if (g_ours_peak > 0 && g_vips_peak > 0)
    std::printf("  %-42s %6.2f  (%.1f MB vs %.1f MB)\n", "PNG decode peak memory / libvips",
                static_cast<double>(g_ours_peak) / static_cast<double>(g_vips_peak), g_ours_peak / 1e6,
                g_vips_peak / 1e6);
  const double decoded = double{kPngWidth} * kPngHeight * 3;
  if (g_ours_peak > 0) {
    const double ratio = g_ours_peak / decoded;
    std::printf("  %-42s %6.2f  (%.1f MB vs %.1f MB)  target <= 1.25 %s\n", "PNG decode peak memory / decoded size",
                ratio, g_ours_peak / 1e6, decoded / 1e6, ratio <= 1.25 ? "ok" : "OVER");
  }
  benchmark::Shutdown();
  return 0;
}

// Area averaging in two passes: for each output row the source rows it
// covers are summed with their weights into one float row (the bulk of the
// work, run over whole rows so it vectorises), then each output pixel sums
// the columns it covers from that row.  Bands of output rows go to
// OpenCV's thread pool.
#include "imaging/control/internal/area_shrink.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <opencv2/core.hpp>
#include <vector>

namespace imaging::control {
namespace {

struct Tap {
  int index;
  float weight;
};

// Per output position [first[i], first[i + 1]) are its taps: the source
// positions it covers, weighted by the covered part over the cell size.
struct Taps {
  std::vector<int> first;
  std::vector<Tap> taps;
};

Taps MakeTaps(int src, int dst) {
  Taps t;
  t.first.reserve(static_cast<size_t>(dst) + 1);
  const double scale = static_cast<double>(src) / dst;
  for (int d = 0; d < dst; ++d) {
    t.first.push_back(static_cast<int>(t.taps.size()));
    const double f1 = d * scale;
    const double f2 = f1 + scale;
    const double cell = std::min(scale, src - f1);
    int s2 = std::min(static_cast<int>(std::floor(f2)), src - 1);
    int s1 = std::min(static_cast<int>(std::ceil(f1)), s2);
    if (s1 - f1 > 1e-3) t.taps.push_back({s1 - 1, static_cast<float>((s1 - f1) / cell)});
    for (int s = s1; s < s2; ++s) t.taps.push_back({s, static_cast<float>(1.0 / cell)});
    if (f2 - s2 > 1e-3) t.taps.push_back({s2, static_cast<float>(std::min(std::min(f2 - s2, 1.0), cell) / cell)});
  }
  t.first.push_back(static_cast<int>(t.taps.size()));
  return t;
}

// acc = w * row, or acc += w * row.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void AddRow(float* acc, const uint8_t* row, size_t n, float w, bool first) {
  if (first) {
    for (size_t i = 0; i < n; ++i) acc[i] = w * static_cast<float>(row[i]);
  } else {
    for (size_t i = 0; i < n; ++i) acc[i] += w * static_cast<float>(row[i]);
  }
}

uint32_t ToByte(float v) { return v <= 0.f ? 0u : v >= 255.f ? 255u : static_cast<uint32_t>(v + 0.5f); }

}  // namespace

QImage MakeRgb32(QSize size) {
  if (size.isEmpty()) return {};
  const size_t line = static_cast<size_t>(size.width()) * 4;
  auto* pixels = new PixelBuffer;
  if (!pixels->Allocate(line * static_cast<size_t>(size.height()), false)) {
    delete pixels;
    return {};
  }
  // The last copy of the image frees the buffer.
  return QImage(
      pixels->data(), size.width(), size.height(), static_cast<qsizetype>(line), QImage::Format_RGB32,
      [](void* p) { delete static_cast<PixelBuffer*>(p); }, pixels);
}

QImage AreaShrinkToRgb32(const Image& bgr, QSize size) {
  if (bgr.empty() || bgr.bpp() != 24 || size.width() < 1 || size.height() < 1 || size.width() > bgr.width() ||
      size.height() > bgr.height())
    return {};
  QImage out = MakeRgb32(size);
  if (out.isNull()) return out;
  const Taps tx = MakeTaps(bgr.width(), size.width());
  const Taps ty = MakeTaps(bgr.height(), size.height());
  const size_t row_values = static_cast<size_t>(bgr.width()) * 3;
  const int rows = size.height();
  const int bands = std::min(rows, std::max(1, cv::getNumThreads()) * 4);
  // Row addresses are taken once: scanLine() on the workers would touch the
  // image's shared state.
  uchar* const out_bits = out.bits();
  const size_t out_line = static_cast<size_t>(out.bytesPerLine());
  cv::parallel_for_(cv::Range(0, bands), [&](const cv::Range& range) {
    std::vector<float> acc(row_values);
    for (int band = range.start; band < range.end; ++band) {
      const int y_end = static_cast<int>(static_cast<int64_t>(rows) * (band + 1) / bands);
      for (int y = static_cast<int>(static_cast<int64_t>(rows) * band / bands); y < y_end; ++y) {
        for (int k = ty.first[y]; k < ty.first[y + 1]; ++k)
          AddRow(acc.data(), bgr.row(ty.taps[k].index), row_values, ty.taps[k].weight, k == ty.first[y]);
        auto* dst = reinterpret_cast<uint32_t*>(out_bits + static_cast<size_t>(y) * out_line);
        for (int x = 0; x < size.width(); ++x) {
          float b = 0.f, g = 0.f, r = 0.f;
          for (int k = tx.first[x]; k < tx.first[x + 1]; ++k) {
            const float* p = acc.data() + static_cast<size_t>(tx.taps[k].index) * 3;
            const float w = tx.taps[k].weight;
            b += w * p[0];
            g += w * p[1];
            r += w * p[2];
          }
          dst[x] = 0xFF000000u | (ToByte(r) << 16) | (ToByte(g) << 8) | ToByte(b);
        }
      }
    }
  });
  return out;
}

}  // namespace imaging::control

#include "imaging/ops/quantize.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <new>

#include "imaging/ops/internal/depth_rows.h"
#include "imaging/pixel_helpers.h"

namespace imaging::ops {
namespace {

// ---------------------------------------------------------------------------
// Exact colours: an open-addressing set that gives up once it holds more
// than the wanted number of colours.

class ExactColors {
 public:
  explicit ExactColors(int limit) : limit_(limit) { slots_.fill(0); }

  // Add() returns false once the picture has more than `limit` colours.
  bool Add(uint32_t rgb) {
    const uint32_t key = rgb | 0x1000000u;
    if (key == last_) return true;
    last_ = key;
    uint32_t h = (rgb * 2654435761u) >> 22;  // 10 bits
    while (slots_[h] != 0) {
      if (slots_[h] == key) return true;
      h = (h + 1) & (kSlots - 1);
    }
    if (static_cast<int>(order_.size()) == limit_) return false;
    slots_[h] = key;
    order_.push_back(rgb);
    return true;
  }
  const std::vector<uint32_t>& colors() const { return order_; }

 private:
  static constexpr uint32_t kSlots = 1024;  // > 4 x 256, so probes stay short
  int limit_;
  uint32_t last_ = 0;
  std::array<uint32_t, kSlots> slots_;
  std::vector<uint32_t> order_;
};

// ---------------------------------------------------------------------------
// Wu's quantiser.  Moments are kept per 5-5-5 bin with a zero border at
// index 0, then summed into cumulative tables so that the weight, colour
// sums and squared sums of any box come from eight table reads.

constexpr int kSide = 33;
constexpr int kCells = kSide * kSide * kSide;
inline int At(int r, int g, int b) { return (r * kSide + g) * kSide + b; }

struct Box {
  int r0, r1, g0, g1, b0, b1;  // lower bounds exclusive, upper inclusive
  int Volume() const { return (r1 - r0) * (g1 - g0) * (b1 - b0); }
};

enum Axis { kRed, kGreen, kBlue };

struct Moments {
  std::vector<int64_t> wt, mr, mg, mb;
  std::vector<double> m2;
  Moments() : wt(kCells), mr(kCells), mg(kCells), mb(kCells), m2(kCells) {}

  void Accumulate() {
    std::array<int64_t, kSide> aw, ar, ag, ab;
    std::array<double, kSide> a2;
    for (int r = 1; r < kSide; ++r) {
      aw.fill(0), ar.fill(0), ag.fill(0), ab.fill(0), a2.fill(0);
      for (int g = 1; g < kSide; ++g) {
        int64_t lw = 0, lr = 0, lg = 0, lb = 0;
        double l2 = 0;
        for (int b = 1; b < kSide; ++b) {
          const int i = At(r, g, b), up = At(r - 1, g, b);
          lw += wt[i], lr += mr[i], lg += mg[i], lb += mb[i], l2 += m2[i];
          aw[b] += lw, ar[b] += lr, ag[b] += lg, ab[b] += lb, a2[b] += l2;
          wt[i] = wt[up] + aw[b], mr[i] = mr[up] + ar[b], mg[i] = mg[up] + ag[b];
          mb[i] = mb[up] + ab[b], m2[i] = m2[up] + a2[b];
        }
      }
    }
  }
};

template <typename T>
T Vol(const Box& c, const std::vector<T>& m) {
  return m[At(c.r1, c.g1, c.b1)] - m[At(c.r1, c.g1, c.b0)] - m[At(c.r1, c.g0, c.b1)] + m[At(c.r1, c.g0, c.b0)] -
         m[At(c.r0, c.g1, c.b1)] + m[At(c.r0, c.g1, c.b0)] + m[At(c.r0, c.g0, c.b1)] - m[At(c.r0, c.g0, c.b0)];
}

// Bottom(): the terms of Vol() that use the box's lower bound on `axis`.
template <typename T>
T Bottom(const Box& c, Axis axis, const std::vector<T>& m) {
  switch (axis) {
    case kRed:
      return -m[At(c.r0, c.g1, c.b1)] + m[At(c.r0, c.g1, c.b0)] + m[At(c.r0, c.g0, c.b1)] - m[At(c.r0, c.g0, c.b0)];
    case kGreen:
      return -m[At(c.r1, c.g0, c.b1)] + m[At(c.r1, c.g0, c.b0)] + m[At(c.r0, c.g0, c.b1)] - m[At(c.r0, c.g0, c.b0)];
    default:
      return -m[At(c.r1, c.g1, c.b0)] + m[At(c.r1, c.g0, c.b0)] + m[At(c.r0, c.g1, c.b0)] - m[At(c.r0, c.g0, c.b0)];
  }
}

// Top(): the terms of Vol() for the box cut at `pos` on `axis`, upper side.
template <typename T>
T Top(const Box& c, Axis axis, int pos, const std::vector<T>& m) {
  switch (axis) {
    case kRed:
      return m[At(pos, c.g1, c.b1)] - m[At(pos, c.g1, c.b0)] - m[At(pos, c.g0, c.b1)] + m[At(pos, c.g0, c.b0)];
    case kGreen:
      return m[At(c.r1, pos, c.b1)] - m[At(c.r1, pos, c.b0)] - m[At(c.r0, pos, c.b1)] + m[At(c.r0, pos, c.b0)];
    default:
      return m[At(c.r1, c.g1, pos)] - m[At(c.r1, c.g0, pos)] - m[At(c.r0, c.g1, pos)] + m[At(c.r0, c.g0, pos)];
  }
}

double Variance(const Box& c, const Moments& m) {
  const double r = static_cast<double>(Vol(c, m.mr)), g = static_cast<double>(Vol(c, m.mg));
  const double b = static_cast<double>(Vol(c, m.mb)), w = static_cast<double>(Vol(c, m.wt));
  return w > 0 ? Vol(c, m.m2) - (r * r + g * g + b * b) / w : 0.0;
}

// Maximize() finds the cut on `axis` that leaves the two halves with the
// largest sum of squared-mean terms (that is, the least total variance).
double Maximize(const Box& c, Axis axis, int first, int last, int* cut, const Moments& m) {
  const int64_t br = Bottom(c, axis, m.mr), bg = Bottom(c, axis, m.mg), bb = Bottom(c, axis, m.mb);
  const int64_t bw = Bottom(c, axis, m.wt);
  const int64_t wr = Vol(c, m.mr), wg = Vol(c, m.mg), wb = Vol(c, m.mb), ww = Vol(c, m.wt);
  double best = 0;
  *cut = -1;
  for (int i = first; i < last; ++i) {
    const int64_t hw = bw + Top(c, axis, i, m.wt);
    if (hw == 0 || hw == ww) continue;
    const double hr = static_cast<double>(br + Top(c, axis, i, m.mr));
    const double hg = static_cast<double>(bg + Top(c, axis, i, m.mg));
    const double hb = static_cast<double>(bb + Top(c, axis, i, m.mb));
    const double rr = static_cast<double>(wr) - hr, rg = static_cast<double>(wg) - hg;
    const double rb = static_cast<double>(wb) - hb;
    const double score = (hr * hr + hg * hg + hb * hb) / static_cast<double>(hw) +
                         (rr * rr + rg * rg + rb * rb) / static_cast<double>(ww - hw);
    if (score > best) best = score, *cut = i;
  }
  return best;
}

// Cut() splits `a` into `a` and `b`; false when no cut leaves two
// non-empty halves.
bool Cut(Box* a, Box* b, const Moments& m) {
  int cr, cg, cb;
  const double mr = Maximize(*a, kRed, a->r0 + 1, a->r1, &cr, m);
  const double mg = Maximize(*a, kGreen, a->g0 + 1, a->g1, &cg, m);
  const double mb = Maximize(*a, kBlue, a->b0 + 1, a->b1, &cb, m);
  *b = *a;
  if (mr >= mg && mr >= mb) {
    if (cr < 0) return false;
    a->r1 = b->r0 = cr;
  } else if (mg >= mr && mg >= mb) {
    if (cg < 0) return false;
    a->g1 = b->g0 = cg;
  } else {
    if (cb < 0) return false;
    a->b1 = b->b0 = cb;
  }
  return true;
}

PaletteEntry ToEntry(uint32_t rgb) {
  return PaletteEntry{static_cast<uint8_t>(rgb), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb >> 16), 0};
}

uint8_t MeanChannel(int64_t sum, int64_t weight) {
  return static_cast<uint8_t>(std::clamp<int64_t>((2 * sum + weight) / (2 * weight), 0, 255));
}

std::vector<PaletteEntry> WuPalette(const Image& src, int max_colors) {
  Moments m;
  depth_internal::BgrRowReader reader(src);
  for (int y = 0; y < src.height(); ++y) {
    const uint8_t* p = reader.Row(y);
    for (int x = 0; x < src.width(); ++x, p += 3) {
      const int b = p[0], g = p[1], r = p[2];
      const int i = At((r >> 3) + 1, (g >> 3) + 1, (b >> 3) + 1);
      ++m.wt[i];
      m.mr[i] += r, m.mg[i] += g, m.mb[i] += b;
      m.m2[i] += static_cast<double>(r * r + g * g + b * b);
    }
  }
  m.Accumulate();

  std::vector<Box> boxes(static_cast<size_t>(max_colors));
  std::vector<double> variance(static_cast<size_t>(max_colors), 0.0);
  boxes[0] = Box{0, kSide - 1, 0, kSide - 1, 0, kSide - 1};
  int count = 1, next = 0;
  while (count < max_colors) {
    if (Cut(&boxes[next], &boxes[count], m)) {
      variance[next] = boxes[next].Volume() > 1 ? Variance(boxes[next], m) : 0.0;
      variance[count] = boxes[count].Volume() > 1 ? Variance(boxes[count], m) : 0.0;
      ++count;
    } else {
      variance[next] = 0.0;
    }
    next = static_cast<int>(std::max_element(variance.begin(), variance.begin() + count) - variance.begin());
    if (variance[next] <= 0.0) break;
  }

  std::vector<PaletteEntry> pal;
  pal.reserve(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) {
    const int64_t w = Vol(boxes[k], m.wt);
    if (w <= 0) continue;
    pal.push_back(PaletteEntry{MeanChannel(Vol(boxes[k], m.mb), w), MeanChannel(Vol(boxes[k], m.mg), w),
                               MeanChannel(Vol(boxes[k], m.mr), w), 0});
  }
  return pal;
}

}  // namespace

Result BuildOptimizedPalette(const Image& src, int max_colors, OptimizedPalette* out) {
  if (out == nullptr) return Result(Status::kBadValue, "no palette to fill");
  if (max_colors < 2 || max_colors > 256) return Result(Status::kBadValue, "palette size must be 2..256");
  if (src.empty()) return Result(Status::kBadImage, "empty picture");
  return GuardResult("BuildOptimizedPalette", [&]() -> Result {
    ExactColors exact(max_colors);
    depth_internal::BgrRowReader reader(src);
    bool fits = true;
    for (int y = 0; y < src.height() && fits; ++y) {
      const uint8_t* p = reader.Row(y);
      for (int x = 0; x < src.width(); ++x, p += 3) {
        if (!exact.Add((uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0])) {
          fits = false;
          break;
        }
      }
    }
    OptimizedPalette result;
    if (fits) {
      for (uint32_t rgb : exact.colors()) result.colors.push_back(ToEntry(rgb));
      result.exact = true;
    } else {
      result.colors = WuPalette(src, max_colors);
    }
    *out = std::move(result);
    return Result::Ok();
  });
}

// ---------------------------------------------------------------------------
// ColorMap
//
// Colours are looked up on a grid of 8x8x8 cells that covers -128..383 per
// channel: colour space itself plus the overshoot error diffusion asks
// for.  Each cell keeps the palette entries that can be nearest to some
// point in it: every entry whose least distance to the cell is no more than
// the smallest greatest distance of any entry.  The nearest entry of a
// point is always among them, so the search stays exact.

namespace {
constexpr int kOffset = 128;                      // channel value of grid coordinate 0
constexpr int kGridSide = 512;                    // covers -128..383
constexpr int kCellWidth = 8;
constexpr int kCellsPerSide = kGridSide / kCellWidth;  // 64
constexpr int kCellCount = kCellsPerSide * kCellsPerSide * kCellsPerSide;
constexpr int kCacheBits = 14;
constexpr uint32_t kCacheSize = 1u << kCacheBits;
constexpr uint32_t kCacheValid = 0x80000000u;
}  // namespace

struct ColorMap::Tables {
  std::vector<int32_t> cell_start = std::vector<int32_t>(kCellCount, -1);
  std::vector<uint16_t> cell_count = std::vector<uint16_t>(kCellCount, 0);
  // Candidates of all built cells, each cell's run sorted by least distance
  // to the cell so a search can stop once no later entry can be nearer.
  struct Candidate {
    uint8_t red, green, blue, index;
    int32_t cell_distance;
  };
  std::vector<Candidate> candidates;
  // Recent answers, keyed by the 9-bit grid coordinates of the colour.
  std::vector<uint32_t> cache_key = std::vector<uint32_t>(kCacheSize, 0);
  std::vector<uint8_t> cache_index = std::vector<uint8_t>(kCacheSize, 0);
};

ColorMap::ColorMap(std::vector<PaletteEntry> palette) : palette_(std::move(palette)), tables_(new Tables) {
  if (palette_.empty()) palette_.push_back(PaletteEntry{});
  if (palette_.size() > 256) palette_.resize(256);
}

ColorMap::~ColorMap() = default;

void ColorMap::BuildCell(int cell) {
  const int lo[3] = {(cell / (kCellsPerSide * kCellsPerSide)) * kCellWidth - kOffset,
                     ((cell / kCellsPerSide) % kCellsPerSide) * kCellWidth - kOffset,
                     (cell % kCellsPerSide) * kCellWidth - kOffset};
  const int n = static_cast<int>(palette_.size());
  std::array<int, 256> near_d{};
  int bound = INT32_MAX;
  for (int i = 0; i < n; ++i) {
    const int c[3] = {palette_[i].red, palette_[i].green, palette_[i].blue};
    int dmin = 0, dmax = 0;
    for (int k = 0; k < 3; ++k) {
      const int l = lo[k], h = lo[k] + kCellWidth - 1;
      const int below = c[k] < l ? l - c[k] : (c[k] > h ? c[k] - h : 0);
      const int far = std::max(std::abs(c[k] - l), std::abs(c[k] - h));
      dmin += below * below;
      dmax += far * far;
    }
    near_d[i] = dmin;
    bound = std::min(bound, dmax);
  }
  Tables& t = *tables_;
  const size_t start = t.candidates.size();
  for (int i = 0; i < n; ++i) {
    if (near_d[i] <= bound) {
      t.candidates.push_back(
          Tables::Candidate{palette_[i].red, palette_[i].green, palette_[i].blue, static_cast<uint8_t>(i), near_d[i]});
    }
  }
  // Stable, so among equal distances the lower index still comes first.
  std::stable_sort(t.candidates.begin() + static_cast<ptrdiff_t>(start), t.candidates.end(),
                   [](const Tables::Candidate& a, const Tables::Candidate& b) { return a.cell_distance < b.cell_distance; });
  t.cell_start[cell] = static_cast<int32_t>(start);
  t.cell_count[cell] = static_cast<uint16_t>(t.candidates.size() - start);
}

uint8_t ColorMap::NearestOutside(int red, int green, int blue) const {
  int best = 0;
  int64_t best_d = INT64_MAX;
  for (int i = 0; i < static_cast<int>(palette_.size()); ++i) {
    const PaletteEntry& e = palette_[i];
    const int64_t dr = red - e.red, dg = green - e.green, db = blue - e.blue;
    const int64_t d = dr * dr + dg * dg + db * db;
    if (d < best_d) best_d = d, best = i;
  }
  return static_cast<uint8_t>(best);
}

uint8_t ColorMap::Nearest(int red, int green, int blue) {
  const unsigned ur = static_cast<unsigned>(red + kOffset), ug = static_cast<unsigned>(green + kOffset);
  const unsigned ub = static_cast<unsigned>(blue + kOffset);
  if ((ur | ug | ub) >= static_cast<unsigned>(kGridSide)) return NearestOutside(red, green, blue);

  Tables& t = *tables_;
  const uint32_t key = kCacheValid | (ur << 18) | (ug << 9) | ub;
  const uint32_t slot = (key * 2654435761u) >> (32 - kCacheBits);
  if (t.cache_key[slot] == key) return t.cache_index[slot];

  const int cell = static_cast<int>(((ur >> 3) * kCellsPerSide + (ug >> 3)) * kCellsPerSide + (ub >> 3));
  if (t.cell_start[cell] < 0) BuildCell(cell);
  const Tables::Candidate* cand = t.candidates.data() + t.cell_start[cell];
  const int count = t.cell_count[cell];
  int best = cand[0].index, best_d = INT32_MAX;
  for (int i = 0; i < count && cand[i].cell_distance <= best_d; ++i) {
    const int dr = red - cand[i].red, dg = green - cand[i].green, db = blue - cand[i].blue;
    const int d = dr * dr + dg * dg + db * db;
    // Equal distances: the lower index wins, whatever order the run has.
    if (d < best_d || (d == best_d && cand[i].index < best)) best_d = d, best = cand[i].index;
  }
  t.cache_key[slot] = key;
  t.cache_index[slot] = static_cast<uint8_t>(best);
  return static_cast<uint8_t>(best);
}

}  // namespace imaging::ops

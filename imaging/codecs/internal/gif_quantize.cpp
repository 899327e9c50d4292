// Median-cut colour reduction for palette writers.  See gif_quantize.h.
#include "imaging/codecs/internal/gif_quantize.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <unordered_map>
#include <vector>

namespace imaging::codecs::internal {
namespace {

constexpr int kBins = 32 * 32 * 32;

// Reads row y of a 16/24/32-bit picture as R, G, B triples.
void ReadRgbRow(const Image& src, int y, uint8_t* rgb) {
  const uint8_t* p = src.row(y);
  const int w = src.width();
  switch (src.bpp()) {
    case 24:
      for (int x = 0; x < w; ++x, p += 3, rgb += 3) { rgb[0] = p[2]; rgb[1] = p[1]; rgb[2] = p[0]; }
      break;
    case 32:
      for (int x = 0; x < w; ++x, p += 4, rgb += 3) { rgb[0] = p[2]; rgb[1] = p[1]; rgb[2] = p[0]; }
      break;
    default:  // 16
      for (int x = 0; x < w; ++x, rgb += 3) {
        const uint32_t v = src.PixelRgb(x, y);
        rgb[0] = (v >> 16) & 0xFF; rgb[1] = (v >> 8) & 0xFF; rgb[2] = v & 0xFF;
      }
      break;
  }
}

inline int Cell(int r, int g, int b) { return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3); }

struct Bin {
  uint64_t count = 0, r = 0, g = 0, b = 0;
};

struct Box {
  int lo[3], hi[3];  // inclusive 5-bit bounds
  uint64_t count = 0;
};

// Shrinks the box to its occupied bins and recounts its population.
void Fit(const std::vector<Bin>& hist, Box* box) {
  int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
  uint64_t count = 0;
  for (int r = box->lo[0]; r <= box->hi[0]; ++r)
    for (int g = box->lo[1]; g <= box->hi[1]; ++g)
      for (int b = box->lo[2]; b <= box->hi[2]; ++b) {
        const Bin& bin = hist[(r << 10) | (g << 5) | b];
        if (bin.count == 0) continue;
        count += bin.count;
        lo[0] = std::min(lo[0], r); hi[0] = std::max(hi[0], r);
        lo[1] = std::min(lo[1], g); hi[1] = std::max(hi[1], g);
        lo[2] = std::min(lo[2], b); hi[2] = std::max(hi[2], b);
      }
  box->count = count;
  if (count == 0) return;
  for (int c = 0; c < 3; ++c) { box->lo[c] = lo[c]; box->hi[c] = hi[c]; }
}

// Splits `box` at the population median of its longest side; false when the
// box holds a single bin.
bool Split(const std::vector<Bin>& hist, Box* box, Box* other) {
  int axis = 0;
  for (int c = 1; c < 3; ++c)
    if (box->hi[c] - box->lo[c] > box->hi[axis] - box->lo[axis]) axis = c;
  if (box->hi[axis] == box->lo[axis]) return false;
  std::array<uint64_t, 32> plane{};
  for (int r = box->lo[0]; r <= box->hi[0]; ++r)
    for (int g = box->lo[1]; g <= box->hi[1]; ++g)
      for (int b = box->lo[2]; b <= box->hi[2]; ++b) {
        const int v[3] = {r, g, b};
        plane[v[axis]] += hist[(r << 10) | (g << 5) | b].count;
      }
  uint64_t acc = 0;
  int cut = box->lo[axis];
  for (int i = box->lo[axis]; i < box->hi[axis]; ++i) {
    acc += plane[i];
    cut = i;
    if (acc * 2 >= box->count) break;
  }
  *other = *box;
  box->hi[axis] = cut;
  other->lo[axis] = cut + 1;
  Fit(hist, box);
  Fit(hist, other);
  return true;
}

std::vector<PaletteEntry> MedianCut(const std::vector<Bin>& hist, int max_colors) {
  std::vector<Box> boxes(1, Box{{0, 0, 0}, {31, 31, 31}, 0});
  Fit(hist, &boxes[0]);
  std::vector<bool> solid(1, false);  // boxes that cannot be split further
  while (static_cast<int>(boxes.size()) < max_colors) {
    int best = -1;
    for (size_t i = 0; i < boxes.size(); ++i)
      if (!solid[i] && (best < 0 || boxes[i].count > boxes[best].count)) best = static_cast<int>(i);
    if (best < 0) break;
    Box other;
    if (!Split(hist, &boxes[best], &other)) {
      solid[best] = true;
      continue;
    }
    boxes.push_back(other);
    solid.push_back(false);
  }
  std::vector<PaletteEntry> palette;
  for (const Box& box : boxes) {
    Bin sum;
    for (int r = box.lo[0]; r <= box.hi[0]; ++r)
      for (int g = box.lo[1]; g <= box.hi[1]; ++g)
        for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
          const Bin& bin = hist[(r << 10) | (g << 5) | b];
          sum.count += bin.count; sum.r += bin.r; sum.g += bin.g; sum.b += bin.b;
        }
    if (sum.count == 0) continue;
    palette.push_back(PaletteEntry{static_cast<uint8_t>(sum.b / sum.count),
                                   static_cast<uint8_t>(sum.g / sum.count),
                                   static_cast<uint8_t>(sum.r / sum.count), 0});
  }
  return palette;
}

// Nearest palette entry per 5-5-5 cell, filled on first use.
class InverseMap {
 public:
  explicit InverseMap(const std::vector<PaletteEntry>& palette) : palette_(palette), cache_(kBins, -1) {}
  uint8_t Nearest(int r, int g, int b) {
    const int cell = Cell(r, g, b);
    if (cache_[cell] < 0) {
      const int cr = (r & ~7) | 4, cg = (g & ~7) | 4, cb = (b & ~7) | 4;
      int best = 0, best_d = 1 << 30;
      for (size_t i = 0; i < palette_.size(); ++i) {
        const int dr = palette_[i].red - cr, dg = palette_[i].green - cg, db = palette_[i].blue - cb;
        const int d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
        if (d < best_d) { best_d = d; best = static_cast<int>(i); }
      }
      cache_[cell] = static_cast<int16_t>(best);
    }
    return static_cast<uint8_t>(cache_[cell]);
  }

 private:
  const std::vector<PaletteEntry>& palette_;
  std::vector<int16_t> cache_;
};

}  // namespace

Result QuantizeForGif(const Image& src, QuantizeDither dither, Image* out, int max_colors) {
  if (src.bpp() != 16 && src.bpp() != 24 && src.bpp() != 32)
    return Result(Status::kBadImage, "quantiser needs a 16, 24 or 32-bit picture");
  if (max_colors < 2 || max_colors > 256) return Result(Status::kBadValue, "colour count out of range");
  const int w = src.width(), h = src.height();
  Image dst;
  if (Result r = Image::Create(w, h, 8, &dst); !r.ok()) return r;
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * 3);

  // Exact path: few enough distinct colours to keep them all.
  std::unordered_map<uint32_t, int> exact;
  bool fits = true;
  for (int y = 0; y < h && fits; ++y) {
    ReadRgbRow(src, y, rgb.data());
    for (int x = 0; x < w; ++x) {
      const uint32_t key = (uint32_t{rgb[3 * x]} << 16) | (uint32_t{rgb[3 * x + 1]} << 8) | rgb[3 * x + 2];
      if (exact.emplace(key, static_cast<int>(exact.size())).second &&
          static_cast<int>(exact.size()) > max_colors) {
        fits = false;
        break;
      }
    }
  }
  if (fits) {
    std::vector<PaletteEntry> palette(exact.size());
    for (const auto& [key, index] : exact)
      palette[index] = PaletteEntry{static_cast<uint8_t>(key & 0xFF), static_cast<uint8_t>((key >> 8) & 0xFF),
                                    static_cast<uint8_t>(key >> 16), 0};
    for (int y = 0; y < h; ++y) {
      ReadRgbRow(src, y, rgb.data());
      uint8_t* d = dst.row(y);
      for (int x = 0; x < w; ++x)
        d[x] = static_cast<uint8_t>(
            exact[(uint32_t{rgb[3 * x]} << 16) | (uint32_t{rgb[3 * x + 1]} << 8) | rgb[3 * x + 2]]);
    }
    dst.palette() = std::move(palette);
    dst.CopyMetadataFrom(src);
    dst.set_transparent_index(-1);
    dst.set_gray(dst.IsGrayPalette());
    *out = std::move(dst);
    return Result::Ok();
  }

  std::vector<Bin> hist(kBins);
  for (int y = 0; y < h; ++y) {
    ReadRgbRow(src, y, rgb.data());
    for (int x = 0; x < w; ++x) {
      Bin& bin = hist[Cell(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2])];
      ++bin.count; bin.r += rgb[3 * x]; bin.g += rgb[3 * x + 1]; bin.b += rgb[3 * x + 2];
    }
  }
  std::vector<PaletteEntry> palette = MedianCut(hist, max_colors);
  InverseMap map(palette);

  // Error rows for Floyd-Steinberg: current and next, with one pixel of margin.
  std::vector<int> err_cur(static_cast<size_t>(w + 2) * 3, 0), err_next(err_cur.size(), 0);
  for (int y = 0; y < h; ++y) {
    ReadRgbRow(src, y, rgb.data());
    uint8_t* d = dst.row(y);
    if (dither == QuantizeDither::kNone) {
      for (int x = 0; x < w; ++x) d[x] = map.Nearest(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]);
      continue;
    }
    std::fill(err_next.begin(), err_next.end(), 0);
    for (int x = 0; x < w; ++x) {
      int v[3];
      for (int c = 0; c < 3; ++c) v[c] = std::clamp(rgb[3 * x + c] + err_cur[3 * (x + 1) + c] / 16, 0, 255);
      const uint8_t index = map.Nearest(v[0], v[1], v[2]);
      d[x] = index;
      const int got[3] = {palette[index].red, palette[index].green, palette[index].blue};
      for (int c = 0; c < 3; ++c) {
        const int e = v[c] - got[c];
        err_cur[3 * (x + 2) + c] += e * 7;
        err_next[3 * x + c] += e * 3;
        err_next[3 * (x + 1) + c] += e * 5;
        err_next[3 * (x + 2) + c] += e;
      }
    }
    std::swap(err_cur, err_next);
  }
  dst.palette() = std::move(palette);
  dst.CopyMetadataFrom(src);
  dst.set_transparent_index(-1);
  dst.set_gray(dst.IsGrayPalette());
  *out = std::move(dst);
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

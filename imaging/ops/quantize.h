// File: imaging/ops/quantize.h
//
// Colour quantisation: choosing an optimised palette of at most N colours
// for a picture (Wu's variance-minimising box splitting on a 5-5-5
// histogram), and mapping colours to the nearest entry of any palette.
//
//   imaging::ops::OptimizedPalette pal;
//   if (auto r = imaging::ops::BuildOptimizedPalette(src, 256, &pal); !r.ok()) return r;
//   imaging::ops::ColorMap map(pal.colors);
//   uint8_t index = map.Nearest(red, green, blue);
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::ops {

// OptimizedPalette: the chosen colours and whether they are exactly the
// picture's own colours (the picture had no more colours than asked for).
struct OptimizedPalette {
  std::vector<PaletteEntry> colors;
  bool exact = false;
};

// BuildOptimizedPalette() picks at most `max_colors` colours (2..256) for
// `src` (any depth).  A picture with at most `max_colors` distinct colours
// gets exactly those colours, in order of first appearance, and `exact`
// set; otherwise the palette comes from Wu's quantiser: the 5-5-5
// histogram is split into boxes of least colour variance and each entry is
// the mean of the pixels in its box.  A picture with fewer distinct
// histogram boxes than asked for gets fewer entries.  Returns kBadValue for
// a bad `max_colors` or null `out`, kBadImage for an empty picture.
Result BuildOptimizedPalette(const Image& src, int max_colors, OptimizedPalette* out);

// ColorMap finds the nearest palette entry (least squared RGB distance;
// ties go to the lowest index) of a palette of 1..256 entries.  A colour
// that is in the palette always maps to its own entry (the first one if it
// is there twice).  The search is exact: each 8x8x8 cell of a grid around
// colour space keeps the entries that can be nearest to some colour in it,
// built on first use, and recent answers are cached.  Not thread-safe; use one map
// per thread.
class ColorMap {
 public:
  explicit ColorMap(std::vector<PaletteEntry> palette);
  ~ColorMap();
  ColorMap(const ColorMap&) = delete;
  ColorMap& operator=(const ColorMap&) = delete;

  // Nearest() takes channels 0..255, and also colours beyond that range
  // (error diffusion asks for such); the answer is exact either way, fast
  // within -128..383.
  uint8_t Nearest(int red, int green, int blue);

  const std::vector<PaletteEntry>& palette() const { return palette_; }

 private:
  struct Tables;
  void BuildCell(int cell);
  uint8_t NearestOutside(int red, int green, int blue) const;

  std::vector<PaletteEntry> palette_;
  std::unique_ptr<Tables> tables_;
};

}  // namespace imaging::ops

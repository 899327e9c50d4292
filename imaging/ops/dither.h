// File: imaging/ops/dither.h
//
// Floyd–Steinberg error diffusion, one row at a time: grey rows onto evenly
// spaced grey levels (black and white, 16 greys) and colour rows onto any
// palette through a ColorMap.  Rows run in serpentine order (left to right,
// then right to left) and the error of each pixel goes 7/16 ahead, 3/16,
// 5/16 and 1/16 to the row below, so a flat field keeps its mean brightness.
//
//   imaging::ops::GrayDiffuser fs(width, 2);
//   for (int y = 0; y < height; ++y) fs.DiffuseRow(luma_row(y), indices);  // 0 or 1 each
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/ops/quantize.h"

namespace imaging::ops {

// GrayDiffuser maps grey values 0..255 onto `levels` (2..256) levels
// round(i * 255 / (levels - 1)), the entries of GrayRampPalette(levels).
// `bias` (-255..255) is added to every input value first; it brightens
// (positive) or darkens (negative) the result, and with two levels a bias of
// 128 - t starts each row exactly like a threshold at t.
class GrayDiffuser {
 public:
  GrayDiffuser(int width, int levels, int bias = 0);

  // DiffuseRow() reads `width` grey bytes and writes `width` level indices.
  // Call it once per row, top to bottom.
  void DiffuseRow(const uint8_t* gray, uint8_t* indices);

 private:
  int width_;
  int levels_;
  int bias_;
  bool reverse_ = false;
  std::vector<int32_t> current_, next_;  // errors in 1/16 units, one pad each side
};

// ColorDiffuser maps B, G, R rows onto the palette of `map` (which must
// outlive it).
class ColorDiffuser {
 public:
  ColorDiffuser(int width, ColorMap* map);

  // DiffuseRow() reads 3 * `width` bytes B, G, R and writes `width` palette
  // indices.  Call it once per row, top to bottom.
  void DiffuseRow(const uint8_t* bgr, uint8_t* indices);

 private:
  int width_;
  ColorMap* map_;
  bool reverse_ = false;
  std::vector<int32_t> current_, next_;  // 3 channels per pixel, one pad pixel each side
};

}  // namespace imaging::ops

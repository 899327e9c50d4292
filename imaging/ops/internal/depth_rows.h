// File: imaging/ops/internal/depth_rows.h
//
// Row helpers shared by depth conversion, the quantiser and the ditherer:
// reading a row of any depth as B, G, R bytes, Rec. 601 luma, and packing
// one-byte-per-pixel indices into 1/4/8-bit DIB rows.
//
//   BgrRowReader reader(src);
//   for (int y = 0; y < src.height(); ++y) Use(reader.Row(y));  // 3 * width bytes
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/image.h"

namespace imaging::ops::depth_internal {

// Luma() is Rec. 601 luma (0.299 R + 0.587 G + 0.114 B) rounded; the weights
// sum to exactly 1 so a grey r = g = b gives back its own value.
inline uint8_t Luma(int r, int g, int b) {
  return static_cast<uint8_t>((19595 * r + 38470 * g + 7471 * b + 32768) >> 16);
}

// BgrRowReader gives every row of `src` as 3 * width bytes B, G, R.  A
// 24-bit picture is read in place; other depths are expanded into a buffer
// that the next Row() call overwrites.  Palette indices beyond the palette
// read as black; 5-bit channels expand as v << 3 | v >> 2.
class BgrRowReader {
 public:
  explicit BgrRowReader(const Image& src);
  const uint8_t* Row(int y);

 private:
  const Image& src_;
  std::vector<uint8_t> buffer_;
  std::array<uint8_t, 3 * 256> palette_{};  // B, G, R per index, black beyond the palette
};

// PackIndices() writes `width` indices (one byte each, < 2^bpp) into a DIB
// row of 1, 4 or 8 bpp, most significant bits first.  Bits after the last
// pixel are written as zero.
void PackIndices(const uint8_t* indices, int width, int bpp, uint8_t* row);

}  // namespace imaging::ops::depth_internal

// File: imaging/ops/internal/test_pictures.h
//
// Pictures and comparisons for the operation tests (header only, not part
// of the library).
//
//   imaging::Image img = Noise(17, 9, 24, 1);
//   EXPECT_TRUE(SamePixels(img, copy));
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "imaging/image.h"

namespace imaging::ops::testing {

// Noise() is a picture of random pixels (indices within the palette below
// 24 bpp, random alpha at 32 bpp).
inline Image Noise(int w, int h, int bpp, uint32_t seed) {
  Image img;
  if (!Image::Create(w, h, bpp, &img).ok()) return img;
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y) {
    uint8_t* p = img.row(y);
    const size_t used = (static_cast<size_t>(w) * bpp + 7) / 8;
    for (size_t i = 0; i < used; ++i) p[i] = static_cast<uint8_t>(rng());
    if (bpp == 16)
      for (int x = 0; x < w; ++x) p[2 * x + 1] &= 0x7F;
    // Clear the bits of a partial last byte so equal pictures compare equal.
    const int spare = static_cast<int>(used * 8 - static_cast<size_t>(w) * bpp);
    if (spare > 0) p[used - 1] &= static_cast<uint8_t>(0xFF << spare);
  }
  if (bpp <= 8)
    for (PaletteEntry& e : img.palette())
      e = PaletteEntry{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), 0};
  return img;
}

// Flat() is a picture of one colour (16/24/32 bpp).
inline Image Flat(int w, int h, int bpp, uint32_t rgb) {
  Image img;
  if (!Image::Create(w, h, bpp, &img).ok()) return img;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.SetPixelRgb(x, y, rgb);
  return img;
}

// SamePixels() compares size, depth and every pixel's bits (row padding
// ignored) and the palette.
inline bool SamePixels(const Image& a, const Image& b) {
  if (a.width() != b.width() || a.height() != b.height() || a.bpp() != b.bpp()) return false;
  if (a.palette() != b.palette()) return false;
  const size_t used = (static_cast<size_t>(a.width()) * a.bpp() + 7) / 8;
  for (int y = 0; y < a.height(); ++y)
    for (size_t i = 0; i < used; ++i)
      if (a.row(y)[i] != b.row(y)[i]) return false;
  return true;
}

// Bytes of pixel (x, y) of a 24/32-bit picture.
inline const uint8_t* Px(const Image& img, int x, int y) { return img.row(y) + x * (img.bpp() / 8); }

}  // namespace imaging::ops::testing

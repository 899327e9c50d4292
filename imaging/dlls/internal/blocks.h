// File: imaging/dlls/internal/blocks.h
//
// Bitmap and palette blocks (MVBITMAP, MVPALETTE), the device-dependent
// stand-ins of the conversion and drawing entries, and the pixel form of
// drawing surfaces.
//
//   MVBITMAP bmp = NewBitmap(w, h);          // 0 on failure
//   LockedBlock block(bmp);
//   BitmapView view;
//   if (ViewBitmap(block, &view)) view.row(0)[0] = PixelOf(0x0000FF);  // red
#pragma once

#include <cstdint>

#include "imaging/dlls/internal/handles.h"
#include "imaging/dlls/mv7.h"

namespace mv7::internal {

// PixelOf() turns a colour into a surface pixel (B, G, R, 0xFF in memory).
inline uint32_t PixelOf(MVCOLORREF color) {
  return 0xFF000000u | ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}
// RgbOfPixel() is the 0xRRGGBB of a pixel, without its X byte.
inline uint32_t RgbOfPixel(uint32_t pixel) { return pixel & 0x00FFFFFFu; }

struct BitmapView {
  int width = 0;
  int height = 0;
  int stride = 0;
  uint8_t* pixels = nullptr;
  uint32_t* row(int y) const { return reinterpret_cast<uint32_t*>(pixels + static_cast<size_t>(y) * stride); }
};

// NewBitmap() allocates a black bitmap; 0 on failure.
MVBITMAP NewBitmap(int width, int height);
// ViewBitmap() checks a locked block is a well-formed bitmap.
bool ViewBitmap(const LockedBlock& block, BitmapView* view);

struct PaletteView {
  int count = 0;
  const uint8_t* entries = nullptr;  // RGBQUAD: blue, green, red, reserved
};
MVPALETTE NewPalette(const uint8_t* rgbquads, int count);
bool ViewPalette(const LockedBlock& block, PaletteView* view);

// The drawable part of a surface: the buffer, cut to its clip rectangle.
struct Clip {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool empty() const { return right <= left || bottom <= top; }
};
// SurfaceClip() checks the surface and gives its drawable rectangle.
bool SurfaceClip(const MvSurface* surface, Clip* clip);
inline uint32_t* SurfaceRow(const MvSurface* s, int y) {
  return reinterpret_cast<uint32_t*>(s->pixels + static_cast<size_t>(y) * s->stride);
}

}  // namespace mv7::internal

#include "imaging/ops/palettes.h"

#include <cstdint>

namespace imaging::ops {
namespace {

PaletteEntry Rgb(int r, int g, int b) {
  return PaletteEntry{static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 0};
}

}  // namespace

std::vector<PaletteEntry> MonoPalette() { return {Rgb(0, 0, 0), Rgb(255, 255, 255)}; }

std::vector<PaletteEntry> Vga16Palette() {
  return {
      Rgb(0x00, 0x00, 0x00), Rgb(0x80, 0x00, 0x00), Rgb(0x00, 0x80, 0x00), Rgb(0x80, 0x80, 0x00),
      Rgb(0x00, 0x00, 0x80), Rgb(0x80, 0x00, 0x80), Rgb(0x00, 0x80, 0x80), Rgb(0xC0, 0xC0, 0xC0),
      Rgb(0x80, 0x80, 0x80), Rgb(0xFF, 0x00, 0x00), Rgb(0x00, 0xFF, 0x00), Rgb(0xFF, 0xFF, 0x00),
      Rgb(0x00, 0x00, 0xFF), Rgb(0xFF, 0x00, 0xFF), Rgb(0x00, 0xFF, 0xFF), Rgb(0xFF, 0xFF, 0xFF),
  };
}

std::vector<PaletteEntry> Fixed256Palette() {
  std::vector<PaletteEntry> pal;
  pal.reserve(256);
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) pal.push_back(Rgb(r * 51, g * 51, b * 51));
  for (int k = 0; k <= 45; ++k) {
    if (k % 9 == 0) continue;  // 0, 51, ... 255 are cube greys already
    const int v = (k * 255 + 22) / 45;
    pal.push_back(Rgb(v, v, v));
  }
  return pal;
}

std::vector<PaletteEntry> GrayRampPalette(int levels) {
  std::vector<PaletteEntry> pal;
  if (levels < 2 || levels > 256) return pal;
  pal.reserve(static_cast<size_t>(levels));
  for (int i = 0; i < levels; ++i) {
    const int v = (i * 255 * 2 + (levels - 1)) / (2 * (levels - 1));
    pal.push_back(Rgb(v, v, v));
  }
  return pal;
}

}  // namespace imaging::ops

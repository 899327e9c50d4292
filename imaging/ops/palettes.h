// File: imaging/ops/palettes.h
//
// The fixed palettes of depth conversion: black and white, the standard
// 16-colour VGA palette, a 256-colour colour cube with a grey ramp, and
// evenly spaced grey ramps.
//
//   std::vector<imaging::PaletteEntry> pal = imaging::ops::Vga16Palette();
//   // pal[12] is pure blue, pal[15] white.
#pragma once

#include <vector>

#include "imaging/image.h"

namespace imaging::ops {

// MonoPalette() is {black, white}: index 0 black, index 1 white.
std::vector<PaletteEntry> MonoPalette();

// Vga16Palette() is the 16 standard VGA colours in the order of the Windows
// 16-colour DIB palette: black, maroon, green, olive, navy, purple, teal,
// silver (C0), grey (80), red, lime, yellow, blue, fuchsia, aqua, white.
// The dark colours use the level 0x80.
std::vector<PaletteEntry> Vga16Palette();

// Fixed256Palette() has 256 entries: indices 0..215 are the 6x6x6 colour
// cube with levels 0, 51, 102, 153, 204, 255 (index = 36 r + 6 g + b for
// level numbers r, g, b), indices 216..255 the 40 greys of the 46-step ramp
// round(k * 255 / 45) that the cube does not hold already (k not a multiple
// of 9), ascending.  Together the greys form an even ramp of 46 levels.
std::vector<PaletteEntry> Fixed256Palette();

// GrayRampPalette() has `levels` greys round(i * 255 / (levels - 1)),
// ascending, the ramp Image::Create() gives: 2 levels are black and white,
// 16 levels step by 17.  `levels` is 2..256; other values give an empty
// palette.
std::vector<PaletteEntry> GrayRampPalette(int levels);

}  // namespace imaging::ops

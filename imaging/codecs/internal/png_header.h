// File: imaging/codecs/internal/png_header.h
//
// The facts of a PNG picture (size, colour type and depth, palette,
// transparency, resolution) read straight from its chunks ahead of the
// pixel data, without starting libpng: recognising the pictures of a large
// folder reads thousands of headers.  Private to imaging/codecs.
//
// Only headers of the plain, well-formed kind are read here; anything else
// (a bad checksum, a chunk out of its place or twice, a chunk this reader
// does not know) is left to libpng, which gives the verdict:
//
//   PngHeader h;
//   if (!PngReadHeader(data, size, &h)) ... read the header with libpng ...
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging::codecs::internal {

struct PngHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  int bit_depth = 0;
  int color_type = 0;
  bool interlaced = false;
  bool has_trns = false;
  // Palette pictures: the number of entries and whether every one is grey.
  int palette_entries = 0;
  bool grey_palette = false;
  // pHYs: pixels per unit and the unit (1 = metre); unit -1 when absent.
  uint32_t x_per_unit = 0;
  uint32_t y_per_unit = 0;
  int unit = -1;
};

// PngBe32(): the big-endian 32-bit number PNG lengths, sizes and
// checksums are written as.
inline uint32_t PngBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// PngReadHeader() walks the chunks of `data` (a PNG signature first) up to
// the first IDAT.  True, with `*out` filled, only when every chunk on the
// way has a good checksum and is one libpng's header reading takes as it
// stands: IHDR with a valid layout, one PLTE for a palette picture, one
// tRNS and one pHYs where they belong, and the descriptive chunks gAMA,
// cHRM, sRGB, tEXt and tIME.  False for anything else, good or bad: libpng
// must then read the header.  The size limits (the engine's and libpng's)
// are the caller's to check.
bool PngReadHeader(const uint8_t* data, size_t size, PngHeader* out);

}  // namespace imaging::codecs::internal

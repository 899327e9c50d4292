// File: imaging/dlls/internal/dib_header.h
//
// Reading the facts of a packed DIB's header without unpacking its pixels:
// the checks MVGetImageType and the drawing entries share.
//
//   DibFacts f;
//   if (!ReadDibHeader(block, size, &f)) return 0;   // malformed
//   const uint8_t* rows = block + f.bits_offset;
#pragma once

#include <cstddef>
#include <cstdint>

namespace mv7::internal {

struct DibFacts {
  int width = 0;
  int height = 0;           // always positive
  bool top_down = false;    // negative biHeight
  int bpp = 0;
  int colors = 0;           // colour table entries
  size_t palette_bytes = 0; // 4 x colors
  size_t bits_offset = 0;   // header + palette
  size_t stride = 0;        // padded row size
  int x_dpi = 0;
  int y_dpi = 0;
};

// ReadDibHeader() checks an uncompressed DIB of 1/4/8/16/24/32 bpp.  With
// `size` known, the colour table and every row must lie inside it; pass
// SIZE_MAX when only the header is at hand (the rows are then the caller's
// word).
bool ReadDibHeader(const void* data, size_t size, DibFacts* facts);

}  // namespace mv7::internal

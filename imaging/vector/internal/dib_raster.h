// File: imaging/vector/internal/dib_raster.h
//
// Device-independent bitmaps embedded in metafile records, turned into the
// 32-bit pictures the drawing model holds.
//
//   Image img;
//   if (DibToRaster(bmi, bmi_size, bits, bits_size, {0, 0, -1, -1}, &img).ok()) ...
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::vector::internal {

// Part of a DIB in its own coordinates: x from the left, y from the bottom
// row for bottom-up DIBs (from the top for top-down ones).  A width or
// height < 0 takes the whole picture.
struct DibPart {
  int x = 0;
  int y = 0;
  int width = -1;
  int height = -1;
};

// DibToRaster(): the info header and colour table (`bmi`) and the rows
// (`bits`), which may lie apart, into a 32-bit B,G,R,A picture with opaque
// alpha, cut to `part` when it lies inside the picture.  kBroken for a
// malformed DIB.
Result DibToRaster(const uint8_t* bmi, size_t bmi_size, const uint8_t* bits, size_t bits_size, DibPart part,
                   Image* out);

// PackedDibToRaster(): the same for a packed DIB (header, colours, rows).
Result PackedDibToRaster(const uint8_t* dib, size_t size, DibPart part, Image* out);

// AverageColor(): mean colour of a 32-bit picture (for pattern brushes).
void AverageColor(const Image& img, uint8_t* r, uint8_t* g, uint8_t* b);

}  // namespace imaging::vector::internal

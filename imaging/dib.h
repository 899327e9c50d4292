// File: imaging/dib.h
//
// Packed DIB blocks: the byte layout image handles carry between the engine,
// the imaging control and the imaging shared libraries.
//
// Layout (all little-endian): a 40-byte BITMAPINFOHEADER (biSize = 40,
// biWidth, biHeight > 0 for bottom-up rows, biPlanes = 1, biBitCount,
// biCompression = 0 (BI_RGB), biSizeImage, biXPelsPerMeter,
// biYPelsPerMeter, biClrUsed, biClrImportant), then biClrUsed RGBQUAD entries
// for 1/4/8 bpp (2^bpp when biClrUsed is 0; a 1/4/8-bit picture without a
// palette is written with the grey ramp), then the rows bottom-up, each
// padded to 4 bytes.  16 bpp is 5-5-5.
//
//   std::vector<uint8_t> block;
//   if (auto r = imaging::ToPackedDib(img, &block); !r.ok()) return r;
//   imaging::Image back;
//   auto r2 = imaging::FromPackedDib(block.data(), block.size(), &back);
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/image.h"

namespace imaging {

// PackedDibSize() is the number of bytes ToPackedDib() writes.
size_t PackedDibSize(const Image& image);

// WritePackedDib() writes the block into `dst` (`capacity` bytes).  Returns
// kBadImage for an empty picture, kBadValue when `capacity` is too small.
Result WritePackedDib(const Image& image, uint8_t* dst, size_t capacity);
Result ToPackedDib(const Image& image, std::vector<uint8_t>* out);

// DibHeaderSize() is the size of the header and colour table of the block;
// WriteDibHeader() writes just those (`dst` holds DibHeaderSize() bytes), for
// writers that stream the rows themselves.
size_t DibHeaderSize(const Image& image);
void WriteDibHeader(const Image& image, uint8_t* dst);

// FromPackedDib() reads a block.  Accepts top-down blocks (negative height),
// BI_BITFIELDS / BI_ALPHABITFIELDS 16/32 bpp (5-5-5 masks stay 16 bpp,
// other 16-bit masks become 24 bpp, or 32 bpp with an alpha mask; 32 bpp
// keeps alpha only from an alpha mask) and headers larger than 40 bytes
// (V2 to V5).  A colour table of a 16/24/32-bit block is skipped when the
// block holds it.  Every size is checked against `size`: kBadImage for a
// malformed block.
Result FromPackedDib(const uint8_t* data, size_t size, Image* out);

// The header fields that decide how DIB rows are read; filled from a packed
// block, a BMP file's Windows or OS/2 header, ...
struct DibFields {
  int32_t width = 0;
  int32_t height = 0;          // negative: rows stored top-down
  int bpp = 0;                 // 1, 4, 8, 16, 24 or 32
  uint32_t compression = 0;    // 0 BI_RGB, 3 BI_BITFIELDS, 6 BI_ALPHABITFIELDS
  uint32_t masks[4] = {};      // red, green, blue, alpha (bit-field blocks)
  int32_t x_ppm = 0;           // pixels per metre, 0 = none
  int32_t y_ppm = 0;
};

// DecodeDibRows() builds a picture from header fields, its colour table
// and `rows` (`rows_size` bytes, 4-byte padded, bottom-up unless the height
// is negative).  kBadImage for bad fields or too few bytes, kMemory beyond
// the engine's limits.  `*out` is untouched on failure.
Result DecodeDibRows(const DibFields& fields, std::vector<PaletteEntry> palette, const uint8_t* rows,
                     size_t rows_size, Image* out);

// DibPictureBpp() is the depth DecodeDibRows() gives for these fields.
int DibPictureBpp(const DibFields& fields);

// PadPaletteToUsedIndices() grows the palette of a 1/4/8-bit picture with
// black entries until every index its pixels use has an entry, so damaged
// files cannot make later code read past the palette.
void PadPaletteToUsedIndices(Image* image);

}  // namespace imaging

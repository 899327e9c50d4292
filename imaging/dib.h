// File: imaging/dib.h
//
// Packed DIB blocks: the byte layout image handles carry between the engine,
// the imaging control and the imaging shared libraries.
//
// Layout (all little-endian): a 40-byte BITMAPINFOHEADER (biSize = 40,
// biWidth, biHeight > 0 for bottom-up rows, biPlanes = 1, biBitCount,
// biCompression = 0 (BI_RGB), biSizeImage, biXPelsPerMeter,
// biYPelsPerMeter, biClrUsed, biClrImportant), then biClrUsed RGBQUAD entries
// for 1/4/8 bpp (2^bpp when biClrUsed is 0), then the rows bottom-up, each
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

// FromPackedDib() reads a block.  Accepts top-down blocks (negative height),
// BI_BITFIELDS 16/32 bpp (converted to the engine's layout) and headers
// larger than 40 bytes (V4/V5).  Every size is checked against `size`:
// kBadImage for a malformed block.
Result FromPackedDib(const uint8_t* data, size_t size, Image* out);

}  // namespace imaging

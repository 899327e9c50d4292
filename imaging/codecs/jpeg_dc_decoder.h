// File: imaging/codecs/jpeg_dc_decoder.h
//
// A decoder for baseline JPEG at one eighth of the size, used by bounded
// loads.  At that scale a luma block's pixel is its DC coefficient alone,
// so the AC coefficients are only skipped over, never worked out; this is
// several times less work than a full entropy decode.  Chroma halved both
// ways keeps a 2 x 2 block of samples, as libjpeg-turbo gives at this scale,
// so those blocks are decoded whole.
//
//   bool handled = false;
//   Image img;
//   Result r = JpegDcDecode(data, size, &img, &handled);
//   if (!handled) { /* decode with libjpeg instead */ }
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::codecs::internal {

// JpegDcDecode() decodes an 8-bit baseline (SOF0/SOF1) Huffman JPEG of one
// component (grey) or three YCbCr components with chroma whole, halved
// across, or halved both ways, to ceil(width / 8) x ceil(height / 8): an
// 8-bit grey picture with the grey flag, or 24-bit B,G,R.
//
// `*handled` is false for files of another kind (progressive, arithmetic,
// 12-bit, CMYK, RGB, other chroma layouts, several scans per picture, a
// missing table, markers it does not know); the result is then kUnsupported
// and the file must go to libjpeg.  Otherwise the result is ok, kBroken for
// truncated or damaged data (bad Huffman codes, a missing or wrong restart
// marker, tables out of range), or kMemory beyond kMaxDimension /
// kMaxPixelBytes.  Nothing past `data + size` is read, and `*out` is
// untouched on failure.
Result JpegDcDecode(const uint8_t* data, size_t size, Image* out, bool* handled);

}  // namespace imaging::codecs::internal

// File: imaging/codecs/jpeg_dc_decoder.h
//
// A decoder for baseline JPEG at one eighth or a quarter of the size, used
// by bounded loads.  At one eighth a luma block's pixel is its DC
// coefficient alone, so the AC coefficients are only skipped over, never
// worked out; this is several times less work than a full entropy decode.
// At a quarter the AC coefficients are decoded two codes to a table
// look-up where they fit, and go through libjpeg-turbo's reduced inverse
// DCT.  (At half the size libjpeg-turbo's own decode is the faster.)  Chroma is kept at the block size libjpeg-turbo's
// scaled decode gives it, so the pixels are the ones it gives.
//
//   bool handled = false;
//   Image img;
//   Result r = JpegScaledDecode(data, size, 2, &img, &handled);  // 2/8
//   if (!handled) { /* decode with libjpeg instead */ }
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::codecs::internal {

// JpegScaledDecode() decodes an 8-bit baseline (SOF0/SOF1) Huffman JPEG of
// one component (grey) or three YCbCr components with chroma whole, halved
// across, or halved both ways, at `scale` / 8 (`scale` 1 or 2) to
// ceil(width * scale / 8) x ceil(height * scale / 8): an 8-bit grey picture
// with the grey flag, or 24-bit B,G,R, equal to libjpeg-turbo's decode at
// that scale with its default set-up (slow integer IDCT, smooth upsampling).
//
// `*handled` is false for files of another kind (progressive, arithmetic,
// 12-bit, CMYK, RGB, other chroma layouts, several scans per picture, a
// missing table, markers it does not know); the result is then kUnsupported
// and the file must go to libjpeg.  Otherwise the result is ok, kBroken for
// truncated or damaged data (bad Huffman codes, a missing or wrong restart
// marker, tables out of range), or kMemory beyond kMaxDimension /
// kMaxPixelBytes.  Another `scale` is kBadValue.  Nothing past
// `data + size` is read, and `*out` is untouched on failure.
Result JpegScaledDecode(const uint8_t* data, size_t size, int scale, Image* out, bool* handled);

// JpegDcDecode() is JpegScaledDecode() at 1/8.
Result JpegDcDecode(const uint8_t* data, size_t size, Image* out, bool* handled);

}  // namespace imaging::codecs::internal

// File: imaging/codecs/internal/jpeg_reduced_idct.h
//
// The sample arithmetic of libjpeg-turbo's scaled decode, for the
// reduced-scale decoder (jpeg_dc_decoder.h): dequantisation with the
// reduced inverse DCT to 1 x 1, 2 x 2 or 4 x 4 samples per block, the range
// limiting after it, the triangle filter that doubles chroma across, and
// YCbCr -> RGB.  Each gives the very samples libjpeg-turbo gives.
//
//   int16_t coef[64] = {...};   // row-major, not dequantised
//   uint8_t px[4 * 4];
//   Idct4x4(coef, quant, px, 4);
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace imaging::codecs::internal {

// libjpeg's sample range limiting after an inverse DCT: the value is taken
// modulo 1024 and mapped so that -512..511 clamp to 0..255 around 128.
class RangeLimit {
 public:
  RangeLimit();
  uint8_t operator()(int64_t x) const { return table_[static_cast<size_t>(x) & 1023]; }

 private:
  std::array<uint8_t, 1024> table_{};
};
const RangeLimit& Limit();

// The routines below run on SSE2 where the build has it (every x86-64) and
// as plain integer code elsewhere; both give the same samples for any input.
// UsePortableArithmetic(true) makes them take the plain way on any machine
// (process-wide; tests check the one way against the other and both against
// libjpeg-turbo), false restores the default.
void UsePortableArithmetic(bool portable);

// The inverse DCT of one block to `n` x `n` samples (n = 1, 2 or 4) at
// `out`, rows `stride` bytes apart.  `quant` is the row-major quantisation
// table as libjpeg keeps it (16-bit signed multipliers).  Only the
// coefficients libjpeg's routine for that size reads are read: the DC for 1,
// rows and columns 0, 1, 3, 5, 7 for 2, all but row and column 4 for 4.
void IdctBlock(int n, const int16_t* coef, const int16_t* quant, uint8_t* out, ptrdiff_t stride);

// UpsampleAcross() doubles a chroma row of `width` samples to 2 x `width`
// at `out`: with libjpeg's triangle filter (3/4 of the nearer sample, 1/4
// of the further, the end samples kept) when `smooth` and `width` > 2, by
// repeating each sample otherwise.
void UpsampleAcross(const uint8_t* in, int width, bool smooth, uint8_t* out);

// YCbCr -> B,G,R for `width` pixels with libjpeg's 16-bit fixed-point tables.
void YccToBgr(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width, uint8_t* bgr);

}  // namespace imaging::codecs::internal

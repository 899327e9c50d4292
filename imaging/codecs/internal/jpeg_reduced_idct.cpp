// libjpeg-turbo's scaled-decode arithmetic.  The reduced inverse DCTs follow
// its jidctred.c in 13-bit fixed point with two extra fractional bits
// between the passes; the shortcuts libjpeg's C code takes for zero columns
// and rows give the same values as the full sums, so none are taken.  Both
// passes run on SSE2 (part of every x86-64) the way libjpeg-turbo's own
// SIMD code, which it runs on these machines, does them: 16-bit
// dequantised coefficients and work area, 32-bit sums, and samples clamped
// rather than wrapped; on the values of any picture an encoder made these
// are exactly its C code's.  Machines without SSE2 run the same sums in
// plain integers, wrapping and saturating exactly where SSE2 does, so both
// give the same samples for any coefficients.
#include "imaging/codecs/internal/jpeg_reduced_idct.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstring>

namespace imaging::codecs::internal {
namespace {

constexpr int kConstBits = 13, kPass1Bits = 2;

// The reduced inverse DCTs' multipliers (libjpeg's FIX(x) in 13 bits).
constexpr int16_t k0211164243 = 1730, k0509795579 = 4176, k0601344887 = 4926, k0720959822 = 5906,
                  k0765366865 = 6270, k0850430095 = 6967, k0899976223 = 7373, k1061594337 = 8697,
                  k1272758580 = 10426, k1451774981 = 11893, k1847759065 = 15137, k2172734803 = 17799,
                  k2562915447 = 20995, k3624509785 = 29692;

inline int64_t Descale(int64_t x, int n) { return (x + (int64_t{1} << (n - 1))) >> n; }

inline int64_t Dq(const int16_t* coef, const int16_t* quant, int i) { return int64_t{coef[i]} * quant[i]; }

// Set by UsePortableArithmetic().
std::atomic<bool> g_portable{false};

void Idct1x1(const int16_t* coef, const int16_t* quant, uint8_t* out) {
  *out = Limit()(Descale(Dq(coef, quant, 0), 3));
}

// The same two passes in plain integers.  Each step wraps or saturates as
// its SSE2 instruction does: products of 16-bit values summed in pairs
// (pmaddwd) and every later sum wrap in 32 bits, the work area is packed to
// 16 bits with saturation between the passes (except the DC term of the
// 2 x 2 pass, taken whole), and samples are saturated to 16 bits, centred
// with a 16-bit wrap, then clamped to 0..255.
namespace portable {

inline int32_t Wrap32(int64_t x) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(x))); }
inline int16_t Wrap16(int32_t x) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(x))); }
inline int16_t Sat16(int32_t x) { return static_cast<int16_t>(std::clamp(x, -32768, 32767)); }

// The dequantised coefficient, kept to 16 bits.
inline int16_t Dq16(const int16_t* coef, const int16_t* quant, int i) {
  return Wrap16(int32_t{coef[i]} * quant[i]);
}
// a * ka + b * kb, as one pmaddwd lane.
inline int32_t Madd(int16_t a, int16_t b, int16_t ka, int16_t kb) {
  return Wrap32(int64_t{int32_t{a} * ka} + int32_t{b} * kb);
}
inline int32_t Add(int32_t a, int32_t b) { return Wrap32(int64_t{a} + b); }
inline int32_t Sub(int32_t a, int32_t b) { return Wrap32(int64_t{a} - b); }
inline int32_t Shl(int32_t a, int n) { return static_cast<int32_t>(static_cast<uint32_t>(a) << n); }
inline int32_t DescaleW(int32_t x, int n) { return Add(x, int32_t{1} << (n - 1)) >> n; }
inline uint8_t Sample(int32_t x) {
  return static_cast<uint8_t>(std::clamp<int32_t>(Wrap16(int32_t{Sat16(x)} + 128), 0, 255));
}

void Idct2x2(const int16_t* coef, const int16_t* quant, uint8_t* out, ptrdiff_t stride) {
  int32_t ws[2][8];
  for (int c = 0; c < 8; ++c) {
    const int16_t d0 = Dq16(coef, quant, c), d1 = Dq16(coef, quant, 8 + c), d3 = Dq16(coef, quant, 24 + c),
                  d5 = Dq16(coef, quant, 40 + c), d7 = Dq16(coef, quant, 56 + c);
    const int32_t tmp10 = Shl(d0, kConstBits + 2);
    const int32_t tmp0 =
        Add(Madd(d7, d5, -k0720959822, k0850430095), Madd(d3, d1, -k1272758580, k3624509785));
    constexpr int kShift = kConstBits - kPass1Bits + 2;
    ws[0][c] = DescaleW(Add(tmp10, tmp0), kShift);
    ws[1][c] = DescaleW(Sub(tmp10, tmp0), kShift);
  }
  for (int r = 0; r < 2; ++r, out += stride) {
    const int32_t* w = ws[r];
    const int32_t tmp10 = Shl(w[0], kConstBits + 2);
    // The odd sum from the saturated work area, modulo 2^32 as pmaddwd
    // and its folds give it.
    const int32_t sum = Wrap32(int64_t{Sat16(w[1])} * k3624509785 - int64_t{Sat16(w[3])} * k1272758580 +
                               int64_t{Sat16(w[5])} * k0850430095 - int64_t{Sat16(w[7])} * k0720959822);
    constexpr int kShift = kConstBits + kPass1Bits + 3 + 2;
    out[0] = Sample(DescaleW(Add(tmp10, sum), kShift));
    out[1] = Sample(DescaleW(Sub(tmp10, sum), kShift));
  }
}

void Idct4x4(const int16_t* coef, const int16_t* quant, uint8_t* out, ptrdiff_t stride) {
  int32_t ws[4][8];
  for (int c = 0; c < 8; ++c) {
    const int16_t d0 = Dq16(coef, quant, c), d1 = Dq16(coef, quant, 8 + c), d2 = Dq16(coef, quant, 16 + c),
                  d3 = Dq16(coef, quant, 24 + c), d5 = Dq16(coef, quant, 40 + c), d6 = Dq16(coef, quant, 48 + c),
                  d7 = Dq16(coef, quant, 56 + c);
    const int32_t t0 = Shl(d0, kConstBits + 1);
    const int32_t t2 = Madd(d2, d6, k1847759065, -k0765366865);
    const int32_t tmp10 = Add(t0, t2), tmp12 = Sub(t0, t2);
    const int32_t tmp0 = Add(Madd(d7, d5, -k0211164243, k1451774981), Madd(d3, d1, -k2172734803, k1061594337));
    const int32_t tmp2 = Add(Madd(d7, d5, -k0509795579, -k0601344887), Madd(d3, d1, k0899976223, k2562915447));
    constexpr int kShift = kConstBits - kPass1Bits + 1;
    ws[0][c] = DescaleW(Add(tmp10, tmp2), kShift);
    ws[3][c] = DescaleW(Sub(tmp10, tmp2), kShift);
    ws[1][c] = DescaleW(Add(tmp12, tmp0), kShift);
    ws[2][c] = DescaleW(Sub(tmp12, tmp0), kShift);
  }
  for (int r = 0; r < 4; ++r, out += stride) {
    int16_t w[8];
    for (int c = 0; c < 8; ++c) w[c] = Sat16(ws[r][c]);
    const int32_t e0 = Shl(w[0], kConstBits + 1);
    const int32_t e2 = Madd(w[2], w[6], k1847759065, -k0765366865);
    const int32_t tmp10 = Add(e0, e2), tmp12 = Sub(e0, e2);
    const int32_t tmp0 = Add(Madd(w[7], w[5], -k0211164243, k1451774981), Madd(w[3], w[1], -k2172734803, k1061594337));
    const int32_t tmp2 = Add(Madd(w[7], w[5], -k0509795579, -k0601344887), Madd(w[3], w[1], k0899976223, k2562915447));
    constexpr int kShift = kConstBits + kPass1Bits + 3 + 1;
    out[0] = Sample(DescaleW(Add(tmp10, tmp2), kShift));
    out[3] = Sample(DescaleW(Sub(tmp10, tmp2), kShift));
    out[1] = Sample(DescaleW(Add(tmp12, tmp0), kShift));
    out[2] = Sample(DescaleW(Sub(tmp12, tmp0), kShift));
  }
}

}  // namespace portable

#if defined(__SSE2__)

// Pass 1 runs over all eight columns at once: pairs of rows are multiplied
// and summed into 32 bits.

// The dequantised row `r` of the block.
inline __m128i Row(const int16_t* coef, const int16_t* quant, int r) {
  return _mm_mullo_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + 8 * r)),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(quant + 8 * r)));
}

// a * ka + b * kb in 32 bits, for columns 0..3 (`high` false) or 4..7.
inline __m128i Madd(__m128i a, __m128i b, int16_t ka, int16_t kb, bool high) {
  const __m128i k = _mm_set_epi16(kb, ka, kb, ka, kb, ka, kb, ka);
  return _mm_madd_epi16(high ? _mm_unpackhi_epi16(a, b) : _mm_unpacklo_epi16(a, b), k);
}

// a << shift in 32 bits, for columns 0..3 or 4..7.
inline __m128i Widen(__m128i a, int shift, bool high) {
  const __m128i w = high ? _mm_unpackhi_epi16(_mm_setzero_si128(), a) : _mm_unpacklo_epi16(_mm_setzero_si128(), a);
  return _mm_slli_epi32(_mm_srai_epi32(w, 16), shift);
}

inline __m128i DescaleV(__m128i x, int n) {
  return _mm_srai_epi32(_mm_add_epi32(x, _mm_set1_epi32(1 << (n - 1))), n);
}

inline void Store(int32_t* row, __m128i v, bool high) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(row + (high ? 4 : 0)), v);
}

// Eight 32-bit lanes (two vectors) to 16 bits, saturating as libjpeg-turbo's
// SIMD code does; values of real pictures fit.
inline __m128i Pack(const int32_t* row) {
  return _mm_packs_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row)),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4)));
}

void Idct2x2Sse2(const int16_t* coef, const int16_t* quant, uint8_t* out, ptrdiff_t stride) {
  alignas(16) int32_t ws[2][8];
  const __m128i d0 = Row(coef, quant, 0), d1 = Row(coef, quant, 1), d3 = Row(coef, quant, 3),
                d5 = Row(coef, quant, 5), d7 = Row(coef, quant, 7);
  for (bool high : {false, true}) {
    const __m128i tmp10 = Widen(d0, kConstBits + 2, high);
    const __m128i tmp0 = _mm_add_epi32(Madd(d7, d5, -k0720959822, k0850430095, high),
                                       Madd(d3, d1, -k1272758580, k3624509785, high));
    constexpr int kShift = kConstBits - kPass1Bits + 2;
    Store(ws[0], DescaleV(_mm_add_epi32(tmp10, tmp0), kShift), high);
    Store(ws[1], DescaleV(_mm_sub_epi32(tmp10, tmp0), kShift), high);
  }
  // Pass 2 for both rows at once: the odd sum w1 k1 + w3 k3 + w5 k5 + w7 k7
  // of each row from one multiply-add and two folds.
  const __m128i k = _mm_set_epi16(-k0720959822, 0, k0850430095, 0, -k1272758580, 0, k3624509785, 0);
  const __m128i m0 = _mm_madd_epi16(Pack(ws[0]), k), m1 = _mm_madd_epi16(Pack(ws[1]), k);
  __m128i sum = _mm_add_epi32(_mm_unpacklo_epi32(m0, m1), _mm_unpackhi_epi32(m0, m1));
  sum = _mm_add_epi32(sum, _mm_unpackhi_epi64(sum, sum));  // lanes 0, 1: rows 0, 1
  const __m128i tmp10 = _mm_slli_epi32(_mm_set_epi32(0, 0, ws[1][0], ws[0][0]), kConstBits + 2);
  constexpr int kShift = kConstBits + kPass1Bits + 3 + 2;
  // Lanes: row 0 left, row 1 left, row 0 right, row 1 right.
  const __m128i v = _mm_unpacklo_epi64(DescaleV(_mm_add_epi32(tmp10, sum), kShift),
                                       DescaleV(_mm_sub_epi32(tmp10, sum), kShift));
  const __m128i words = _mm_add_epi16(_mm_packs_epi32(v, v), _mm_set1_epi16(128));
  const uint32_t px = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
  out[0] = static_cast<uint8_t>(px);
  out[1] = static_cast<uint8_t>(px >> 16);
  out[stride] = static_cast<uint8_t>(px >> 8);
  out[stride + 1] = static_cast<uint8_t>(px >> 24);
}

void Idct4x4Sse2(const int16_t* coef, const int16_t* quant, uint8_t* out, ptrdiff_t stride) {
  alignas(16) int32_t ws[4][8];
  const __m128i d0 = Row(coef, quant, 0), d1 = Row(coef, quant, 1), d2 = Row(coef, quant, 2),
                d3 = Row(coef, quant, 3), d5 = Row(coef, quant, 5), d6 = Row(coef, quant, 6),
                d7 = Row(coef, quant, 7);
  for (bool high : {false, true}) {
    const __m128i t0 = Widen(d0, kConstBits + 1, high);
    const __m128i t2 = Madd(d2, d6, k1847759065, -k0765366865, high);
    const __m128i tmp10 = _mm_add_epi32(t0, t2), tmp12 = _mm_sub_epi32(t0, t2);
    const __m128i tmp0 = _mm_add_epi32(Madd(d7, d5, -k0211164243, k1451774981, high),
                                       Madd(d3, d1, -k2172734803, k1061594337, high));
    const __m128i tmp2 = _mm_add_epi32(Madd(d7, d5, -k0509795579, -k0601344887, high),
                                       Madd(d3, d1, k0899976223, k2562915447, high));
    constexpr int kShift = kConstBits - kPass1Bits + 1;
    Store(ws[0], DescaleV(_mm_add_epi32(tmp10, tmp2), kShift), high);
    Store(ws[3], DescaleV(_mm_sub_epi32(tmp10, tmp2), kShift), high);
    Store(ws[1], DescaleV(_mm_add_epi32(tmp12, tmp0), kShift), high);
    Store(ws[2], DescaleV(_mm_sub_epi32(tmp12, tmp0), kShift), high);
  }
  // Pass 2 for the four rows at once: the work area turned so that each
  // vector holds one coefficient of every row, then the same sums as pass 1.
  const __m128i r0 = Pack(ws[0]), r1 = Pack(ws[1]), r2 = Pack(ws[2]), r3 = Pack(ws[3]);
  const __m128i t0 = _mm_unpacklo_epi16(r0, r1), t1 = _mm_unpacklo_epi16(r2, r3);
  const __m128i t2 = _mm_unpackhi_epi16(r0, r1), t3 = _mm_unpackhi_epi16(r2, r3);
  const __m128i w01 = _mm_unpacklo_epi32(t0, t1), w23 = _mm_unpackhi_epi32(t0, t1);  // w0 | w1, w2 | w3
  const __m128i w45 = _mm_unpacklo_epi32(t2, t3), w67 = _mm_unpackhi_epi32(t2, t3);  // w4 | w5, w6 | w7
  const __m128i w0 = _mm_srai_epi32(_mm_unpacklo_epi16(_mm_setzero_si128(), w01), 16);
  const __m128i e0 = _mm_slli_epi32(w0, kConstBits + 1);
  const __m128i e2 = _mm_madd_epi16(_mm_unpacklo_epi16(w23, w67), _mm_set_epi16(-k0765366865, k1847759065, -k0765366865, k1847759065, -k0765366865, k1847759065, -k0765366865, k1847759065));
  const __m128i tmp10 = _mm_add_epi32(e0, e2), tmp12 = _mm_sub_epi32(e0, e2);
  const __m128i p75 = _mm_unpackhi_epi16(w67, w45), p31 = _mm_unpackhi_epi16(w23, w01);  // (w7, w5), (w3, w1)
  auto pair = [](int16_t a, int16_t b) { return _mm_set_epi16(b, a, b, a, b, a, b, a); };
  const __m128i tmp0 = _mm_add_epi32(_mm_madd_epi16(p75, pair(-k0211164243, k1451774981)),
                                     _mm_madd_epi16(p31, pair(-k2172734803, k1061594337)));
  const __m128i tmp2 = _mm_add_epi32(_mm_madd_epi16(p75, pair(-k0509795579, -k0601344887)),
                                     _mm_madd_epi16(p31, pair(k0899976223, k2562915447)));
  constexpr int kShift = kConstBits + kPass1Bits + 3 + 1;
  const __m128i o0 = DescaleV(_mm_add_epi32(tmp10, tmp2), kShift), o3 = DescaleV(_mm_sub_epi32(tmp10, tmp2), kShift);
  const __m128i o1 = DescaleV(_mm_add_epi32(tmp12, tmp0), kShift), o2 = DescaleV(_mm_sub_epi32(tmp12, tmp0), kShift);
  // Samples centred and clamped (libjpeg-turbo's SIMD code saturates too),
  // column by column, then turned back into rows.
  const __m128i centre = _mm_set1_epi16(128);
  const __m128i cols = _mm_packus_epi16(_mm_add_epi16(_mm_packs_epi32(o0, o1), centre),
                                        _mm_add_epi16(_mm_packs_epi32(o2, o3), centre));
  const __m128i half = _mm_unpacklo_epi8(cols, _mm_srli_si128(cols, 8));
  const __m128i rows = _mm_unpacklo_epi8(half, _mm_srli_si128(half, 8));
  alignas(16) uint8_t px[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(px), rows);
  for (int r = 0; r < 4; ++r, out += stride) std::memcpy(out, px + 4 * r, 4);
}

#endif  // __SSE2__

// YCbCr -> RGB tables as libjpeg builds them (16 fractional bits).
struct ColourTables {
  std::array<int, 256> cr_r{}, cb_b{}, cr_g{}, cb_g{};
  ColourTables() {
    constexpr int kScale = 16;
    constexpr int64_t kHalf = int64_t{1} << (kScale - 1);
    auto fix = [](double v) { return static_cast<int64_t>(v * (1 << kScale) + 0.5); };
    for (int i = 0; i < 256; ++i) {
      const int64_t x = i - 128;
      cr_r[i] = static_cast<int>((fix(1.40200) * x + kHalf) >> kScale);
      cb_b[i] = static_cast<int>((fix(1.77200) * x + kHalf) >> kScale);
      cr_g[i] = static_cast<int>(-fix(0.71414) * x);
      cb_g[i] = static_cast<int>(-fix(0.34414) * x + kHalf);
    }
  }
};

}  // namespace

RangeLimit::RangeLimit() {
  for (int i = 0; i < 1024; ++i) {
    const int x = i < 512 ? i : i - 1024;
    table_[i] = static_cast<uint8_t>(std::clamp(x + 128, 0, 255));
  }
}

const RangeLimit& Limit() {
  static const RangeLimit limit;
  return limit;
}

void UsePortableArithmetic(bool portable) { g_portable.store(portable, std::memory_order_relaxed); }

void IdctBlock(int n, const int16_t* coef, const int16_t* quant, uint8_t* out, ptrdiff_t stride) {
  if (n == 1) {
    Idct1x1(coef, quant, out);
    return;
  }
#if defined(__SSE2__)
  if (!g_portable.load(std::memory_order_relaxed)) {
    if (n == 2) Idct2x2Sse2(coef, quant, out, stride);
    else Idct4x4Sse2(coef, quant, out, stride);
    return;
  }
#endif
  if (n == 2) portable::Idct2x2(coef, quant, out, stride);
  else portable::Idct4x4(coef, quant, out, stride);
}

void UpsampleAcross(const uint8_t* in, int width, bool smooth, uint8_t* out) {
  if (!smooth || width <= 2) {
    for (int x = 0; x < width; ++x) out[2 * x] = out[2 * x + 1] = in[x];
    return;
  }
  out[0] = in[0];
  out[1] = static_cast<uint8_t>((in[0] * 3 + in[1] + 2) >> 2);
  for (int x = 1; x < width - 1; ++x) {
    const int v = in[x] * 3;
    out[2 * x] = static_cast<uint8_t>((v + in[x - 1] + 1) >> 2);
    out[2 * x + 1] = static_cast<uint8_t>((v + in[x + 1] + 2) >> 2);
  }
  const int last = width - 1;
  out[2 * last] = static_cast<uint8_t>((in[last] * 3 + in[last - 1] + 1) >> 2);
  out[2 * last + 1] = in[last];
}

void YccToBgr(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width, uint8_t* bgr) {
  static const ColourTables t;
  int x = 0;
#if defined(__SSE2__)
  if (!g_portable.load(std::memory_order_relaxed)) {
  // Eight pixels at a time with the tables' own integer sums: cb_b is
  // (116130 (cb - 128) + 2^15) >> 16, cr_r (91881 (cr - 128) + 2^15) >> 16,
  // and the green term (-22554 (cb - 128) - 46802 (cr - 128) + 2^15) >> 16,
  // each multiplier split into a shift and a 16-bit part.
  const __m128i zero = _mm_setzero_si128(), centre = _mm_set1_epi16(128), one = _mm_set1_epi16(1);
  const __m128i kb = _mm_set_epi16(16384, -14942, 16384, -14942, 16384, -14942, 16384, -14942);
  const __m128i kr = _mm_set_epi16(16384, 26345, 16384, 26345, 16384, 26345, 16384, 26345);
  const __m128i kg = _mm_set_epi16(-14034, -22554, -14034, -22554, -14034, -22554, -14034, -22554);
  const __m128i half = _mm_set1_epi32(16384), whole = _mm_set1_epi32(32768);
  // Groups of eight with at least one pixel after them: each pixel goes out
  // as four bytes whose last is the next pixel's, written after it.
  for (; x + 8 < width; x += 8, bgr += 24) {
    const __m128i yy = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y + x)), zero);
    const __m128i u = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + x)), zero), centre);
    const __m128i v = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + x)), zero), centre);
    __m128i terms[3][2];
    for (int h = 0; h < 2; ++h) {
      const __m128i uo = h ? _mm_unpackhi_epi16(u, one) : _mm_unpacklo_epi16(u, one);
      const __m128i vo = h ? _mm_unpackhi_epi16(v, one) : _mm_unpacklo_epi16(v, one);
      const __m128i uv = h ? _mm_unpackhi_epi16(u, v) : _mm_unpacklo_epi16(u, v);
      const __m128i u32 = _mm_srai_epi32(h ? _mm_unpackhi_epi16(zero, u) : _mm_unpacklo_epi16(zero, u), 16);
      const __m128i v32 = _mm_srai_epi32(h ? _mm_unpackhi_epi16(zero, v) : _mm_unpacklo_epi16(zero, v), 16);
      terms[0][h] = _mm_srai_epi32(
          _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(uo, kb), half), _mm_slli_epi32(u32, 17)), 16);
      terms[1][h] = _mm_srai_epi32(
          _mm_add_epi32(_mm_sub_epi32(_mm_madd_epi16(uv, kg), _mm_slli_epi32(v32, 15)), whole), 16);
      terms[2][h] = _mm_srai_epi32(
          _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(vo, kr), half), _mm_slli_epi32(v32, 16)), 16);
    }
    __m128i c[3];
    for (int k = 0; k < 3; ++k) {
      const __m128i sum = _mm_add_epi16(yy, _mm_packs_epi32(terms[k][0], terms[k][1]));
      c[k] = _mm_packus_epi16(sum, sum);
    }
    const __m128i bg = _mm_unpacklo_epi8(c[0], c[1]), rx = _mm_unpacklo_epi8(c[2], zero);
    alignas(16) uint8_t px[32];
    _mm_store_si128(reinterpret_cast<__m128i*>(px), _mm_unpacklo_epi16(bg, rx));
    _mm_store_si128(reinterpret_cast<__m128i*>(px + 16), _mm_unpackhi_epi16(bg, rx));
    for (int i = 0; i < 8; ++i) std::memcpy(bgr + 3 * i, px + 4 * i, 4);
  }
  }
#endif
  // The tables themselves, for the rest of the row (or all of it).
  for (; x < width; ++x, bgr += 3) {
    const int yy = y[x], u = cb[x], v = cr[x];
    bgr[0] = static_cast<uint8_t>(std::clamp(yy + t.cb_b[u], 0, 255));
    bgr[1] = static_cast<uint8_t>(std::clamp(yy + ((t.cb_g[u] + t.cr_g[v]) >> 16), 0, 255));
    bgr[2] = static_cast<uint8_t>(std::clamp(yy + t.cr_r[v], 0, 255));
  }
}

}  // namespace imaging::codecs::internal

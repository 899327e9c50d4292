// libjpeg-turbo's scaled-decode arithmetic.  The inverse DCTs follow its
// jidctred.c (2 x 2, 4 x 4) and jidctint.c (8 x 8) in 13-bit fixed point
// with two extra fractional bits between the passes, the 64-bit sums of its
// JLONG and the 32-bit work area; the shortcuts libjpeg takes for zero
// columns and rows give the same values as the full sums, so they are
// taken here for speed only.  The SIMD versions libjpeg-turbo may run
// instead are bound to these within rounding.
#include "imaging/codecs/internal/jpeg_reduced_idct.h"

#include <emmintrin.h>

#include <algorithm>

namespace imaging::codecs::internal {
namespace {

constexpr int kConstBits = 13, kPass1Bits = 2;

inline int64_t Descale(int64_t x, int n) { return (x + (int64_t{1} << (n - 1))) >> n; }

inline int64_t Dq(const int16_t* coef, const int16_t* quant, int i) { return int64_t{coef[i]} * quant[i]; }

void Idct1x1(const int16_t* coef, const int16_t* quant, uint8_t* out) {
  *out = Limit()(Descale(Dq(coef, quant, 0), 3));
}

// Pass 1 runs over all eight columns at once with SSE2, as libjpeg-turbo's
// own SIMD code does: the dequantised coefficients are taken as 16-bit
// values (which they are in any picture an encoder made), pairs of rows are
// multiplied and summed into 32 bits, and the descaled sums are kept whole.

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

void Idct2x2(const int16_t* coef, const int16_t* quant, uint8_t* out, ptrdiff_t stride) {
  constexpr int64_t k0720959822 = 5906, k0850430095 = 6967, k1272758580 = 10426, k3624509785 = 29692;
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
  const RangeLimit& limit = Limit();
  for (int r = 0; r < 2; ++r, out += stride) {
    const int32_t* w = ws[r];
    const int64_t tmp10 = int64_t{w[0]} * (int64_t{1} << (kConstBits + 2));
    const int64_t tmp0 = int64_t{w[7]} * -k0720959822 + int64_t{w[5]} * k0850430095 +
                         int64_t{w[3]} * -k1272758580 + int64_t{w[1]} * k3624509785;
    out[0] = limit(Descale(tmp10 + tmp0, kConstBits + kPass1Bits + 3 + 2));
    out[1] = limit(Descale(tmp10 - tmp0, kConstBits + kPass1Bits + 3 + 2));
  }
}

void Idct4x4(const int16_t* coef, const int16_t* quant, uint8_t* out, ptrdiff_t stride) {
  constexpr int64_t k0211164243 = 1730, k0509795579 = 4176, k0601344887 = 4926, k0765366865 = 6270,
                    k0899976223 = 7373, k1061594337 = 8697, k1451774981 = 11893, k1847759065 = 15137,
                    k2172734803 = 17799, k2562915447 = 20995;
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
  const RangeLimit& limit = Limit();
  for (int r = 0; r < 4; ++r, out += stride) {
    const int32_t* w = ws[r];
    const int64_t t0 = int64_t{w[0]} * (int64_t{1} << (kConstBits + 1));
    const int64_t t2 = int64_t{w[2]} * k1847759065 + int64_t{w[6]} * -k0765366865;
    const int64_t tmp10 = t0 + t2, tmp12 = t0 - t2;
    const int64_t z1 = w[7], z2 = w[5], z3 = w[3], z4 = w[1];
    const int64_t tmp0 = z1 * -k0211164243 + z2 * k1451774981 + z3 * -k2172734803 + z4 * k1061594337;
    const int64_t tmp2 = z1 * -k0509795579 + z2 * -k0601344887 + z3 * k0899976223 + z4 * k2562915447;
    constexpr int kShift = kConstBits + kPass1Bits + 3 + 1;
    out[0] = limit(Descale(tmp10 + tmp2, kShift));
    out[3] = limit(Descale(tmp10 - tmp2, kShift));
    out[1] = limit(Descale(tmp12 + tmp0, kShift));
    out[2] = limit(Descale(tmp12 - tmp0, kShift));
  }
}

// One 1-D pass of the full 8-point inverse DCT over in[0..7] (at `step`
// apart), giving the eight sums before descaling.
struct Islow {
  int64_t tmp10, tmp11, tmp12, tmp13, tmp0, tmp1, tmp2, tmp3;
  Islow(int64_t d0, int64_t d1, int64_t d2, int64_t d3, int64_t d4, int64_t d5, int64_t d6, int64_t d7) {
    constexpr int64_t k0298631336 = 2446, k0390180644 = 3196, k0541196100 = 4433, k0765366865 = 6270,
                      k0899976223 = 7373, k1175875602 = 9633, k1501321110 = 12299, k1847759065 = 15137,
                      k1961570560 = 16069, k2053119869 = 16819, k2562915447 = 20995, k3072711026 = 25172;
    int64_t z1 = (d2 + d6) * k0541196100;
    const int64_t e2 = z1 + d6 * -k1847759065, e3 = z1 + d2 * k0765366865;
    const int64_t e0 = (d0 + d4) * (int64_t{1} << kConstBits), e1 = (d0 - d4) * (int64_t{1} << kConstBits);
    tmp10 = e0 + e3;
    tmp13 = e0 - e3;
    tmp11 = e1 + e2;
    tmp12 = e1 - e2;
    int64_t o0 = d7, o1 = d5, o2 = d3, o3 = d1;
    z1 = o0 + o3;
    int64_t z2 = o1 + o2, z3 = o0 + o2, z4 = o1 + o3;
    const int64_t z5 = (z3 + z4) * k1175875602;
    o0 *= k0298631336;
    o1 *= k2053119869;
    o2 *= k3072711026;
    o3 *= k1501321110;
    z1 *= -k0899976223;
    z2 *= -k2562915447;
    z3 = z3 * -k1961570560 + z5;
    z4 = z4 * -k0390180644 + z5;
    tmp0 = o0 + z1 + z3;
    tmp1 = o1 + z2 + z4;
    tmp2 = o2 + z2 + z3;
    tmp3 = o3 + z1 + z4;
  }
};

void Idct8x8(const int16_t* coef, const int16_t* quant, uint8_t* out, ptrdiff_t stride) {
  int32_t ws[8][8];
  for (int c = 0; c < 8; ++c) {
    auto dq = [&](int r) { return Dq(coef, quant, r * 8 + c); };
    if (coef[8 + c] == 0 && coef[16 + c] == 0 && coef[24 + c] == 0 && coef[32 + c] == 0 && coef[40 + c] == 0 &&
        coef[48 + c] == 0 && coef[56 + c] == 0) {
      const int32_t dc = static_cast<int32_t>(dq(0) * (1 << kPass1Bits));
      for (int r = 0; r < 8; ++r) ws[r][c] = dc;
      continue;
    }
    const Islow s(dq(0), dq(1), dq(2), dq(3), dq(4), dq(5), dq(6), dq(7));
    constexpr int kShift = kConstBits - kPass1Bits;
    ws[0][c] = static_cast<int32_t>(Descale(s.tmp10 + s.tmp3, kShift));
    ws[7][c] = static_cast<int32_t>(Descale(s.tmp10 - s.tmp3, kShift));
    ws[1][c] = static_cast<int32_t>(Descale(s.tmp11 + s.tmp2, kShift));
    ws[6][c] = static_cast<int32_t>(Descale(s.tmp11 - s.tmp2, kShift));
    ws[2][c] = static_cast<int32_t>(Descale(s.tmp12 + s.tmp1, kShift));
    ws[5][c] = static_cast<int32_t>(Descale(s.tmp12 - s.tmp1, kShift));
    ws[3][c] = static_cast<int32_t>(Descale(s.tmp13 + s.tmp0, kShift));
    ws[4][c] = static_cast<int32_t>(Descale(s.tmp13 - s.tmp0, kShift));
  }
  const RangeLimit& limit = Limit();
  for (int r = 0; r < 8; ++r, out += stride) {
    const int32_t* w = ws[r];
    const Islow s(w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7]);
    constexpr int kShift = kConstBits + kPass1Bits + 3;
    out[0] = limit(Descale(s.tmp10 + s.tmp3, kShift));
    out[7] = limit(Descale(s.tmp10 - s.tmp3, kShift));
    out[1] = limit(Descale(s.tmp11 + s.tmp2, kShift));
    out[6] = limit(Descale(s.tmp11 - s.tmp2, kShift));
    out[2] = limit(Descale(s.tmp12 + s.tmp1, kShift));
    out[5] = limit(Descale(s.tmp12 - s.tmp1, kShift));
    out[3] = limit(Descale(s.tmp13 + s.tmp0, kShift));
    out[4] = limit(Descale(s.tmp13 - s.tmp0, kShift));
  }
}

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

void IdctBlock(int n, const int16_t* coef, const int16_t* quant, uint8_t* out, ptrdiff_t stride) {
  switch (n) {
    case 1: Idct1x1(coef, quant, out); break;
    case 2: Idct2x2(coef, quant, out, stride); break;
    case 4: Idct4x4(coef, quant, out, stride); break;
    default: Idct8x8(coef, quant, out, stride); break;
  }
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
  for (int x = 0; x < width; ++x, bgr += 3) {
    const int yy = y[x], u = cb[x], v = cr[x];
    bgr[0] = static_cast<uint8_t>(std::clamp(yy + t.cb_b[u], 0, 255));
    bgr[1] = static_cast<uint8_t>(std::clamp(yy + ((t.cb_g[u] + t.cr_g[v]) >> 16), 0, 255));
    bgr[2] = static_cast<uint8_t>(std::clamp(yy + t.cr_r[v], 0, 255));
  }
}

}  // namespace imaging::codecs::internal

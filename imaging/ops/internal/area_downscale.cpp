#include "imaging/ops/internal/area_downscale.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <opencv2/core.hpp>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// How it works.  Along one axis, n source pixels shrink to m.  Measured
// in 1/m of a source pixel, destination pixel d covers [d*n, (d+1)*n) and
// source pixel x covers [x*m, (x+1)*m); their overlap is x's weight in d,
// and the weights of d add up to n.  The weights become fixed-point
// fractions of 2^bits by rounding their running sums, so each
// destination's fractions add up to exactly 2^bits: a flat picture stays
// flat and a weight is off by less than one unit.
//
// Each destination row is made in two steps: the source rows it covers are
// summed with their vertical weights into one row of accumulators, which
// is then summed along the row with the horizontal weights.  Big pictures
// go in bands of destination rows to OpenCV's threads.
//
// Up to kNarrowTaps taps a side (shrinking by up to about 30x) the
// accumulators are 16-bit, 8.8 fixed point (the product of a sample and a
// 16-bit weight keeps its top 16 bits; each row starts at half a unit per
// product so the cut-off fractions cancel on average).  Beyond that they
// are 32-bit with 24-bit weights and the horizontal sums 64-bit.  Before
// the final rounding the error is at worst about a quarter of a level, on
// pictures made to be unlucky; on real ones a few hundredths.

namespace imaging::ops::internal {
namespace {

constexpr int kNarrowTaps = 32;
constexpr int kNarrowBits = 16;  // weight fraction bits with 16-bit accumulators
constexpr int kWideBits = 24;    // weight fraction bits with 32-bit accumulators
// Pictures of more samples than this are shrunk in bands of rows on
// OpenCV's threads, about this many samples to a band.
constexpr double kSamplesPerBand = 1 << 20;

// The weights of one axis, every destination index with the same number
// of taps (the shorter ones padded with zero weights): destination d takes
// source indices first[d] .. first[d] + taps - 1 with weight[d * taps + t].
struct AxisTaps {
  int taps = 0;
  std::vector<int> first;
  std::vector<uint32_t> weight;
};

// BuildTaps() makes the table of n -> m with weights of `bits` fraction
// bits, the tap count rounded up to a multiple of `multiple` where there
// are source pixels enough.
AxisTaps BuildTaps(int n, int m, int bits, int multiple = 1) {
  // Destination d covers [d*n, (d+1)*n) in 1/m of a source pixel: source
  // pixels lo / m .. (hi - 1) / m.
  auto span = [n, m](int d, int64_t* lo, int* x0, int* x1) {
    *lo = static_cast<int64_t>(d) * n;
    *x0 = static_cast<int>(*lo / m);
    *x1 = static_cast<int>((*lo + n - 1) / m);
  };
  int taps = 1;
  for (int d = 0; d < m; ++d) {
    int64_t lo;
    int x0, x1;
    span(d, &lo, &x0, &x1);
    taps = std::max(taps, x1 - x0 + 1);
  }
  if (const int padded = (taps + multiple - 1) / multiple * multiple; padded <= n) taps = padded;
  AxisTaps t;
  t.taps = taps;
  t.first.resize(static_cast<size_t>(m));
  t.weight.assign(static_cast<size_t>(m) * static_cast<size_t>(taps), 0);
  for (int d = 0; d < m; ++d) {
    int64_t lo;
    int x0, x1;
    span(d, &lo, &x0, &x1);
    const int64_t hi = lo + n;
    // Near the end the window slides left so it never passes the last
    // source index; the weights move right by as much.
    const int first = std::min(x0, n - taps);
    t.first[static_cast<size_t>(d)] = first;
    uint32_t* w = &t.weight[static_cast<size_t>(d) * static_cast<size_t>(taps) + static_cast<size_t>(x0 - first)];
    int64_t covered = 0, prev = 0;
    for (int x = x0; x <= x1; ++x) {
      covered += std::min<int64_t>(static_cast<int64_t>(x + 1) * m, hi) - std::max<int64_t>(static_cast<int64_t>(x) * m, lo);
      const int64_t cum = ((covered << bits) + n / 2) / n;
      *w++ = static_cast<uint32_t>(cum - prev);
      prev = cum;
    }
  }
  return t;
}

// The source rows (and their weights) that destination row d covers,
// leaving out rows of weight 0.
struct RowTaps {
  const uint8_t* rows[kNarrowTaps + 2];
  uint32_t weights[kNarrowTaps + 2];
  int count = 0;
  // Rows 1 .. count - 2 all have weights[1]: they are added up first and
  // multiplied once.
  bool shared = false;
};

// ShareMiddleWeight() gives the rows between the first and the last one
// weight (their mean), moving what that changes onto the heavier end row
// so the sum stays; false when there is nothing to gain or no room.
bool ShareMiddleWeight(RowTaps* rt) {
  const int middle = rt->count - 2;
  if (middle < 2) return false;
  uint32_t total = 0;
  for (int t = 1; t <= middle; ++t) total += rt->weights[t];
  const uint32_t q = (total + static_cast<uint32_t>(middle) / 2) / static_cast<uint32_t>(middle);
  const int64_t diff = static_cast<int64_t>(total) - static_cast<int64_t>(q) * middle;
  uint32_t& end = rt->weights[0] >= rt->weights[rt->count - 1] ? rt->weights[0] : rt->weights[rt->count - 1];
  const int64_t moved = end + diff;
  if (moved < 0 || moved > 65535) return false;
  end = static_cast<uint32_t>(moved);
  for (int t = 1; t <= middle; ++t) rt->weights[t] = q;
  rt->shared = true;
  return true;
}

// ---- 16-bit accumulators ---------------------------------------------------

// SumRows16() sets acc[i] = sum of (rows[t][i] << 8) * weights[t] >> 16
// (with shared middle weights, that of the end rows plus (sum of the
// middle rows) * weights[1] >> 8), plus half a unit per product cut off,
// for i < n, plus `offset` (modulo 2^16).  The sum of the middle rows fits
// 16 bits (at most 32 of 255) and its product, being at most 255 * 2^16,
// keeps 16 bits once shifted.
void SumRows16(const RowTaps& rt, size_t n, uint16_t offset, uint16_t* acc) {
  const int last = rt.count - 1;
  const uint16_t bias = static_cast<uint16_t>((rt.shared ? 3 : rt.count) / 2 + offset);
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  __m128i w[kNarrowTaps + 2];
  for (int t = 0; t < rt.count; ++t) w[t] = _mm_set1_epi16(static_cast<short>(rt.weights[t]));
  auto add_product = [zero](__m128i& a0, __m128i& a1, const uint8_t* row, __m128i wt) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    a0 = _mm_add_epi16(a0, _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, v), wt));
    a1 = _mm_add_epi16(a1, _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, v), wt));
  };
  // (s * w) >> 8 from the two halves of the 32-bit product.
  auto shifted_product = [](__m128i sum, __m128i wt) {
    return _mm_or_si128(_mm_slli_epi16(_mm_mulhi_epu16(sum, wt), 8), _mm_srli_epi16(_mm_mullo_epi16(sum, wt), 8));
  };
  for (; i + 16 <= n; i += 16) {
    __m128i a0 = _mm_set1_epi16(static_cast<short>(bias)), a1 = a0;
    if (rt.shared) {
      add_product(a0, a1, rt.rows[0] + i, w[0]);
      add_product(a0, a1, rt.rows[last] + i, w[last]);
      __m128i s0 = zero, s1 = zero;
      for (int t = 1; t < last; ++t) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rt.rows[t] + i));
        s0 = _mm_add_epi16(s0, _mm_unpacklo_epi8(v, zero));
        s1 = _mm_add_epi16(s1, _mm_unpackhi_epi8(v, zero));
      }
      a0 = _mm_add_epi16(a0, shifted_product(s0, w[1]));
      a1 = _mm_add_epi16(a1, shifted_product(s1, w[1]));
    } else {
      for (int t = 0; t < rt.count; ++t) add_product(a0, a1, rt.rows[t] + i, w[t]);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i), a0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i + 8), a1);
  }
#endif
  auto product = [](uint32_t v, uint32_t wt) { return ((v << 8) * wt) >> 16; };
  for (; i < n; ++i) {
    uint32_t a = bias;
    if (rt.shared) {
      uint32_t sum = 0;
      for (int t = 1; t < last; ++t) sum += rt.rows[t][i];
      a += product(rt.rows[0][i], rt.weights[0]) + product(rt.rows[last][i], rt.weights[last]) +
           ((sum * rt.weights[1]) >> 8);
    } else {
      for (int t = 0; t < rt.count; ++t) a += product(rt.rows[t][i], rt.weights[t]);
    }
    acc[i] = static_cast<uint16_t>(a);  // modulo 2^16, for `offset`
  }
}

// Horizontal sums of 8.8 accumulators with 16-bit weights fit 32 bits:
// (255 * 256 + 16) * 65536 + 2^23 < 2^32.  These are the portable ones.
template <int kCn>
void SumColumns16(const uint16_t* acc, const AxisTaps& tx, int width, uint8_t* out) {
  const int taps = tx.taps;
  const uint32_t* w = tx.weight.data();
  for (int dx = 0; dx < width; ++dx, w += taps, out += kCn) {
    const uint16_t* p = acc + static_cast<size_t>(tx.first[static_cast<size_t>(dx)]) * kCn;
    uint32_t s[kCn];
    for (int c = 0; c < kCn; ++c) s[c] = 1u << 23;
    for (int t = 0; t < taps; ++t, p += kCn)
      for (int c = 0; c < kCn; ++c) s[c] += p[c] * w[t];
    for (int c = 0; c < kCn; ++c) out[c] = static_cast<uint8_t>(s[c] >> 24);
  }
}

#if defined(__SSE2__)
// With SSE2 the horizontal weights have 15 fraction bits, each under 2^15,
// and two taps at a time meet in one multiply-add of signed 16-bit pairs:
// the accumulators are moved down by 2^15 to fit (SumRows16's offset;
// the sum of the weights being 2^15, that takes 2^30 off the total, put
// back at the end).  A pixel of 3 or 4 samples is read as four (the
// accumulator row has one spare at the end) and its sums fill the lanes
// of one vector.  With 1 sample a pair is two neighbours, and four
// destination pixels share a vector, a lane each.
struct WeightPair {
  alignas(16) int32_t lanes[4];  // w[t] | w[t + 1] << 16 for each lane
};
struct PairedTaps {
  int pairs = 0;
  // Per destination pixel, its first sample (with 1 sample, padded with
  // 0 to a whole number of fours).
  std::vector<int> first;
  // 3 or 4 samples: per destination pixel and pair, the same in every lane;
  // 1 sample: per four destination pixels and pair, a pixel to a lane
  // (0 in the padding).
  std::vector<WeightPair> weight;
};

// Pair() is the SSE2 form of `tx` (15 fraction bits, an even tap count),
// or false when a weight does not fit.
bool Pair(const AxisTaps& tx, int cn, PairedTaps* out) {
  if (tx.taps % 2 != 0) return false;
  const int pairs = tx.taps / 2;
  const size_t width = tx.first.size();
  const size_t padded = cn == 1 ? (width + 3) / 4 * 4 : width;
  out->pairs = pairs;
  out->first.assign(padded, 0);
  for (size_t d = 0; d < width; ++d) out->first[d] = tx.first[d] * cn;
  out->weight.assign(cn == 1 ? padded / 4 * static_cast<size_t>(pairs) : width * static_cast<size_t>(pairs),
                     WeightPair{});
  for (size_t d = 0; d < width; ++d)
    for (int k = 0; k < pairs; ++k) {
      const uint32_t lo = tx.weight[d * tx.taps + 2 * k], hi = tx.weight[d * tx.taps + 2 * k + 1];
      if (lo > 32767 || hi > 32767) return false;
      const auto both = static_cast<int32_t>(lo | (hi << 16));
      if (cn == 1) {
        out->weight[(d / 4) * pairs + k].lanes[d % 4] = both;
      } else {
        out->weight[d * pairs + k] = WeightPair{{both, both, both, both}};
      }
    }
  return true;
}

// PixelSum() is one destination pixel's 3 or 4 samples in the low 32-bit
// lanes, kPairs 0 = `pairs`, read at run time.
template <int kCn, int kPairs>
inline __m128i PixelSum(const uint16_t* p, const WeightPair* w, int pairs) {
  static_assert(kCn == 3 || kCn == 4);
  __m128i sum = _mm_set1_epi32((1 << 30) + (1 << 22));
  for (int k = 0; k < (kPairs > 0 ? kPairs : pairs); ++k, p += 2 * kCn) {
    const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + kCn));
    const __m128i pair = _mm_unpacklo_epi16(a, b);
    sum = _mm_add_epi32(sum, _mm_madd_epi16(pair, _mm_load_si128(reinterpret_cast<const __m128i*>(w[k].lanes))));
  }
  return _mm_srli_epi32(sum, 23);
}

// Two destination pixels at a time: both sums packed to bytes together,
// each written as 4 bytes (with 3 samples the spare byte is overwritten by
// the next pixel, except at the row's end).
template <int kCn, int kPairs>
void SumColumnsSse2(const uint16_t* acc, const PairedTaps& tx, int width, uint8_t* out) {
  const int pairs = tx.pairs;
  const WeightPair* w = tx.weight.data();
  const int* first = tx.first.data();
  auto put = [out](int dx, uint32_t v, bool last) {
    if (kCn == 4 || !last) {
      std::memcpy(out + dx * kCn, &v, 4);
    } else {
      for (int c = 0; c < kCn; ++c) out[dx * kCn + c] = static_cast<uint8_t>(v >> (8 * c));
    }
  };
  int dx = 0;
  for (; dx + 2 <= width; dx += 2) {
    const __m128i s0 = PixelSum<kCn, kPairs>(acc + first[dx], w + dx * pairs, pairs);
    const __m128i s1 = PixelSum<kCn, kPairs>(acc + first[dx + 1], w + (dx + 1) * pairs, pairs);
    const __m128i packed = _mm_packs_epi32(s0, s1);
    const __m128i bytes = _mm_packus_epi16(packed, packed);
    const uint64_t both = static_cast<uint64_t>(_mm_cvtsi128_si64(bytes));
    put(dx, static_cast<uint32_t>(both), false);
    put(dx + 1, static_cast<uint32_t>(both >> 32), dx + 2 == width);
  }
  if (dx < width) {
    const __m128i s0 = PixelSum<kCn, kPairs>(acc + first[dx], w + dx * pairs, pairs);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(s0, s0), s0);
    put(dx, static_cast<uint32_t>(_mm_cvtsi128_si32(bytes)), true);
  }
}

// One sample a pixel: four destination pixels at a time, their pairs
// gathered into one vector.
template <int kPairs>
void SumGreyColumnsSse2(const uint16_t* acc, const PairedTaps& tx, int width, uint8_t* out) {
  const int pairs = kPairs > 0 ? kPairs : tx.pairs;
  const WeightPair* w = tx.weight.data();
  auto two = [acc](int at) {
    int32_t v;
    std::memcpy(&v, acc + at, sizeof v);
    return _mm_cvtsi32_si128(v);
  };
  for (int dx = 0; dx < width; dx += 4) {
    const int* f = &tx.first[static_cast<size_t>(dx)];
    __m128i sum = _mm_set1_epi32((1 << 30) + (1 << 22));
    for (int k = 0; k < pairs; ++k, ++w) {
      const __m128i ab = _mm_unpacklo_epi32(two(f[0] + 2 * k), two(f[1] + 2 * k));
      const __m128i cd = _mm_unpacklo_epi32(two(f[2] + 2 * k), two(f[3] + 2 * k));
      sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi64(ab, cd),
                                              _mm_load_si128(reinterpret_cast<const __m128i*>(w->lanes))));
    }
    const __m128i packed = _mm_packs_epi32(_mm_srli_epi32(sum, 23), sum);
    const auto four = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(packed, packed)));
    if (dx + 4 <= width) {
      std::memcpy(out + dx, &four, 4);
    } else {
      for (int j = 0; dx + j < width; ++j) out[dx + j] = static_cast<uint8_t>(four >> (8 * j));
    }
  }
}

template <int kCn>
void SumColumnsSse2(const uint16_t* acc, const PairedTaps& tx, int width, uint8_t* out) {
  if constexpr (kCn == 1) {
    switch (tx.pairs) {
      case 1: return SumGreyColumnsSse2<1>(acc, tx, width, out);
      case 2: return SumGreyColumnsSse2<2>(acc, tx, width, out);
      default: return SumGreyColumnsSse2<0>(acc, tx, width, out);
    }
  } else {
    switch (tx.pairs) {
      case 1: return SumColumnsSse2<kCn, 1>(acc, tx, width, out);
      case 2: return SumColumnsSse2<kCn, 2>(acc, tx, width, out);
      default: return SumColumnsSse2<kCn, 0>(acc, tx, width, out);
    }
  }
}
#endif

// ---- 32-bit accumulators ---------------------------------------------------

// SumRows32() sets acc[i] = sum of rows[t][i] * weights[t] (24-bit
// weights; at most 255 * 2^24 < 2^32).
void SumRows32(const uint8_t* const* rows, const uint32_t* weights, int count, size_t n, uint32_t* acc) {
  std::fill(acc, acc + n, 0u);
  for (int t = 0; t < count; ++t) {
    const uint8_t* s = rows[t];
    const uint32_t wt = weights[t];
    for (size_t i = 0; i < n; ++i) acc[i] += s[i] * wt;
  }
}

template <int kCn>
void SumColumns64(const uint32_t* acc, const AxisTaps& tx, int width, int shift, uint8_t* out) {
  const int taps = tx.taps;
  const uint64_t half = uint64_t{1} << (shift - 1);
  const uint32_t* w = tx.weight.data();
  for (int dx = 0; dx < width; ++dx, w += taps, out += kCn) {
    const uint32_t* p = acc + static_cast<size_t>(tx.first[static_cast<size_t>(dx)]) * kCn;
    uint64_t s[kCn];
    for (int c = 0; c < kCn; ++c) s[c] = half;
    for (int t = 0; t < taps; ++t, p += kCn)
      for (int c = 0; c < kCn; ++c) s[c] += static_cast<uint64_t>(p[c]) * w[t];
    for (int c = 0; c < kCn; ++c) out[c] = static_cast<uint8_t>(s[c] >> shift);
  }
}

// ---- driving ---------------------------------------------------------------

// An unchanged side still gets a table: one tap of weight 2^bits each.

// ForBands() runs body(first_row, end_row) over the destination rows, in
// bands on OpenCV's threads when the source is big enough to pay for them.
template <typename Body>
void ForBands(ConstRows src, Rows dst, int channels, const Body& body) {
  const double samples = static_cast<double>(src.width) * src.height * channels;
  const int bands = static_cast<int>(std::min<double>(dst.height, samples / kSamplesPerBand));
  if (bands <= 1) return body(0, dst.height);
  cv::parallel_for_(
      cv::Range(0, dst.height), [&](const cv::Range& r) { body(r.start, r.end); }, bands);
}

template <int kCn>
void Narrow(ConstRows src, Rows dst) {
  const AxisTaps ty = BuildTaps(src.height, dst.height, kNarrowBits);
  const size_t n = static_cast<size_t>(src.width) * kCn;
  const bool same_width = src.width == dst.width;
#if defined(__SSE2__)
  PairedTaps paired;
  const bool sse2 = !same_width && Pair(BuildTaps(src.width, dst.width, 15, 2), kCn, &paired);
#else
  const bool sse2 = false;
#endif
  const AxisTaps tx = same_width || sse2 ? AxisTaps() : BuildTaps(src.width, dst.width, kNarrowBits);
  const uint16_t offset = sse2 ? 0x8000 : 0;
  ForBands(src, dst, kCn, [&](int y0, int y1) {
    std::vector<uint16_t> acc(n + 1);
    for (int dy = y0; dy < y1; ++dy) {
      RowTaps rt;
      const uint32_t* wy = &ty.weight[static_cast<size_t>(dy) * static_cast<size_t>(ty.taps)];
      bool whole = false;
      for (int t = 0; t < ty.taps; ++t) {
        if (wy[t] == 0) continue;
        rt.rows[rt.count] = src.data + (ty.first[static_cast<size_t>(dy)] + t) * src.stride;
        // 2^16 (a row taken whole, as when the height is unchanged) is the
        // one weight 16 bits cannot hold: the row is then the samples
        // themselves, times 256.
        whole = wy[t] == (1u << kNarrowBits);
        rt.weights[rt.count++] = std::min<uint32_t>(wy[t], 65535);
      }
      uint8_t* out = dst.data + dy * dst.stride;
      ShareMiddleWeight(&rt);
      if (whole) {
        for (size_t i = 0; i < n; ++i) acc[i] = static_cast<uint16_t>((rt.rows[0][i] << 8) + offset);
      } else {
        SumRows16(rt, n, offset, acc.data());
      }
      if (same_width) {
        for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>((acc[i] + 128u) >> 8);
#if defined(__SSE2__)
      } else if (sse2) {
        SumColumnsSse2<kCn>(acc.data(), paired, dst.width, out);
#endif
      } else {
        SumColumns16<kCn>(acc.data(), tx, dst.width, out);
      }
    }
  });
}

template <int kCn>
void Wide(ConstRows src, Rows dst) {
  const AxisTaps ty = BuildTaps(src.height, dst.height, kWideBits);
  const AxisTaps tx = BuildTaps(src.width, dst.width, kWideBits);
  const size_t n = static_cast<size_t>(src.width) * kCn;
  ForBands(src, dst, kCn, [&](int y0, int y1) {
    std::vector<uint32_t> acc(n);
    std::vector<const uint8_t*> rows(static_cast<size_t>(ty.taps));
    for (int dy = y0; dy < y1; ++dy) {
      const uint32_t* wy = &ty.weight[static_cast<size_t>(dy) * static_cast<size_t>(ty.taps)];
      for (int t = 0; t < ty.taps; ++t)
        rows[static_cast<size_t>(t)] = src.data + (ty.first[static_cast<size_t>(dy)] + t) * src.stride;
      SumRows32(rows.data(), wy, ty.taps, n, acc.data());
      SumColumns64<kCn>(acc.data(), tx, dst.width, 2 * kWideBits, dst.data + dy * dst.stride);
    }
  });
}

int MaxTaps(int n, int m) {
  // A destination pixel spans n / m source pixels and may cut one more.
  return (n + m - 1) / m + 1;
}

template <int kCn>
void Run(ConstRows src, Rows dst) {
  if (MaxTaps(src.width, dst.width) <= kNarrowTaps && MaxTaps(src.height, dst.height) <= kNarrowTaps)
    Narrow<kCn>(src, dst);
  else
    Wide<kCn>(src, dst);
}

}  // namespace

bool AreaDownscale(ConstRows src, Rows dst, int channels) {
  if (src.data == nullptr || dst.data == nullptr) return false;
  if (dst.width < 1 || dst.height < 1 || dst.width > src.width || dst.height > src.height) return false;
  switch (channels) {
    case 1: Run<1>(src, dst); return true;
    case 3: Run<3>(src, dst); return true;
    case 4: Run<4>(src, dst); return true;
    default: return false;
  }
}

}  // namespace imaging::ops::internal

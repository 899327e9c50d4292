// File: imaging/codecs/internal/jpeg_entropy.h
//
// Huffman decoding of baseline JPEG scan data for the reduced-scale
// decoder (jpeg_dc_decoder.h): the tables built from DHT segments, a bit
// reader over the entropy-coded bytes, and the per-block steps (a DC
// difference, the AC codes skipped, or the AC coefficients decoded).
// Everything here is inline because it runs once per coefficient.
//
//   HuffTable t;
//   if (!BuildTable(counts, symbols, total, /*dc=*/false, &t)) { /* damaged */ }
//   BuildValues(&t);
//   BitReader br;
//   br.Reset(scan, end);
//   int16_t coef[64] = {};
//   if (!DecodeAc(br, t, coef)) { /* bad code */ }
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace imaging::codecs::internal {

inline constexpr int kLookBits = 10;   // Huffman lookahead
inline constexpr int kPairBits = 12;   // lookahead of the two-code AC skipping table
inline constexpr int kValueBits = 11;  // lookahead of the code-and-magnitude AC table

// Zigzag position -> row-major position in the 8 x 8 block, with sixteen
// more entries at 63 for runs past the block's end in damaged data, which
// libjpeg stores at the last position in the same way.
inline constexpr std::array<uint8_t, 80> kNatural = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13,
    6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31,
    39, 46, 53, 60, 61, 54, 47, 55, 62, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63};

// One Huffman table, decoded through a lookahead table with the slow path
// for longer codes.
struct HuffTable {
  struct Entry {
    uint8_t len = 0;  // code length, 0 = longer than the lookahead (or no code)
    uint8_t symbol = 0;
  };
  std::array<Entry, 1 << kLookBits> fast{};
  // AC skipping, two codes at a time: from the next kPairBits bits, the bits
  // and the zigzag advance of the first coefficient (advance 64 = end of
  // block), and with the second added when it fits in those bits too
  // (skip2 = skip1, advance2 = 0 when it does not).  skip1 = 0 sends the
  // decoder to the slow path.
  struct Pair {
    uint8_t skip1 = 0, advance1 = 0, skip2 = 0, advance2 = 0;
  };
  std::array<Pair, 1 << kPairBits> pair{};
  bool pairs_built = false;
  // AC decoding, two codes at a time: from the next kValueBits bits, the
  // first code with its magnitude bits worked out and, when it fits in
  // those bits too, the second.  For each: the run of zeros before the
  // coefficient (kEndOfBlock for the end of the block, kNone for no second
  // code; a run of sixteen zeros is a run of 15 before a zero) and the
  // coefficient; `len1` is the bits of the first (0 = slow path) and `len`
  // those of both.
  static constexpr uint8_t kEndOfBlock = 64, kNone = 65;
  struct Value {
    int16_t value1 = 0, value2 = 0;
    uint8_t len1 = 0, len = 0;
    uint8_t run1 = 0, run2 = kNone;
  };
  std::array<Value, 1 << kValueBits> values_table{};
  bool values_built = false;
  std::array<int32_t, 18> maxcode{};  // largest code of each length, -1 for none
  std::array<int32_t, 17> valoff{};   // symbol index = code + valoff[len]
  std::array<uint8_t, 256> values{};
  bool defined = false;
};

// BuildTable() builds `t` from the DHT counts and symbols; false for a
// table whose codes overflow their lengths, as libjpeg rejects too.
bool BuildTable(const uint8_t* counts, const uint8_t* symbols, int total, bool dc, HuffTable* t);
// BuildPairs() and BuildValues() fill the AC skipping and AC decoding
// tables of a built table.
void BuildPairs(HuffTable* t);
void BuildValues(HuffTable* t);

// Big-endian bit reader over the entropy-coded data.  Eight bytes without a
// 0xFF are taken in one go; otherwise bytes come one by one, with stuffed
// 0xFF 0x00 pairs and 0xFF fill bytes undone.  At a marker or the end of the
// data it feeds zero bits and counts them: consuming any of them means the
// data ran out, which the caller checks once per MCU.
struct BitReader {
  const uint8_t* p = nullptr;
  const uint8_t* end = nullptr;
  uint64_t buf = 0;
  int bits = 0;
  int zero_bits = 0;  // fed zero bits still in `buf` (at its tail)
  int marker = -1;    // the marker that stopped the data, 0x100 for its end, -1 for none yet

  void Reset(const uint8_t* at) {
    p = at;
    buf = 0;
    bits = zero_bits = 0;
    marker = -1;
  }
  bool RanOut() const { return zero_bits > bits; }
  // Leaves at least 56 bits in `buf`.
  void Refill() {
    if (marker < 0 && end - p >= 8) {
      uint64_t v;
      std::memcpy(&v, p, 8);
      const uint64_t t = ~v;  // a zero byte here is a 0xFF byte in v
      if (((t - 0x0101010101010101ull) & ~t & 0x8080808080808080ull) == 0) {
        buf |= __builtin_bswap64(v) >> bits;
        p += (63 - bits) >> 3;
        bits |= 56;
        return;
      }
    }
    RefillSlow();
  }
  void RefillSlow() {
    while (bits <= 56) {
      uint64_t c = 0;
      if (marker < 0 && p >= end) marker = 0x100;
      if (marker < 0) {
        c = *p++;
        if (c == 0xFF) {
          while (p < end && *p == 0xFF) ++p;  // fill bytes
          if (p < end && *p == 0x00) {
            ++p;
          } else {
            marker = p < end ? *p++ : 0x100;
            c = 0;
          }
        }
      }
      if (marker >= 0) zero_bits += 8;
      buf |= c << (56 - bits);
      bits += 8;
    }
  }
  void Skip(int n) {
    buf <<= n;
    bits -= n;
  }
  // The marker after the data read so far, with any bytes before it passed
  // over as libjpeg does; 0x100 when the data ends first.
  int NextMarker() {
    while (marker < 0) {
      const void* ff = std::memchr(p, 0xFF, static_cast<size_t>(end - p));
      if (ff == nullptr) {
        p = end;
        marker = 0x100;
        break;
      }
      p = static_cast<const uint8_t*>(ff) + 1;
      while (p < end && *p == 0xFF) ++p;
      if (p >= end) marker = 0x100;
      else if (*p != 0x00) marker = *p;
      ++p;
    }
    return marker;
  }
};

// Decodes one Huffman symbol; -1 for a bad code.  Needs >= 16 bits in `br`.
inline int DecodeSymbol(BitReader& br, const HuffTable& t, int* len) {
  const HuffTable::Entry& e = t.fast[br.buf >> (64 - kLookBits)];
  if (e.len != 0) {
    *len = e.len;
    return e.symbol;
  }
  for (int l = kLookBits + 1; l <= 16; ++l) {
    const int32_t code = static_cast<int32_t>(br.buf >> (64 - l));
    if (code <= t.maxcode[l]) {
      *len = l;
      return t.values[static_cast<uint8_t>(code + t.valoff[l])];
    }
  }
  return -1;
}

// Magnitude bits to a signed value (libjpeg's HUFF_EXTEND).
inline int Extend(uint64_t raw, int s) {
  const int v = static_cast<int>(raw);
  return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
}

// Zigzag advance of an AC symbol: run + 1, 16 for a run of sixteen zeros,
// 64 (past the block) for the end of block.  libjpeg takes any zero
// magnitude with a run other than 15 as the end of block.
inline int AcAdvance(int symbol) {
  const int run = symbol >> 4, bits = symbol & 15;
  return bits != 0 ? run + 1 : run == 15 ? 16 : 64;
}

// Reads a DC difference; false for a bad code.
inline bool DecodeDc(BitReader& br, const HuffTable& t, int* diff) {
  br.Refill();
  int len = 0;
  const int s = DecodeSymbol(br, t, &len);
  if (s < 0) return false;
  br.Skip(len);
  if (s == 0) {
    *diff = 0;
    return true;
  }
  *diff = Extend(br.buf >> (64 - s), s);
  br.Skip(s);
  return true;
}

// Skips the AC coefficients of one block (BuildPairs() done); false for a
// bad code.  Two codes go at once when the pair table has them and the
// first leaves the block open; a run past the block's end stops it, as in
// libjpeg.
inline bool SkipAc(BitReader& br, const HuffTable& t) {
  for (int k = 1; k < 64;) {
    if (br.bits < 32) br.Refill();
    const HuffTable::Pair& e = t.pair[br.buf >> (64 - kPairBits)];
    if (e.skip1 == 0) {
      int len = 0;
      const int sym = DecodeSymbol(br, t, &len);
      if (sym < 0) return false;
      br.Skip(len + (sym & 15));
      k += AcAdvance(sym);
      continue;
    }
    const int k1 = k + e.advance1;
    const bool two = k1 < 64;
    br.Skip(two ? e.skip2 : e.skip1);
    k = two ? k1 + e.advance2 : k1;
  }
  return true;
}

// Decodes the AC coefficients of one block (BuildValues() done) into `coef`
// (row-major, zeroed by the caller); false for a bad code.  `*last` is the
// zigzag position of the last coefficient stored, 0 when none was.  Most
// codes come with their magnitude from one table look-up.
inline bool DecodeAc(BitReader& br, const HuffTable& t, int16_t* coef, int* last) {
  *last = 0;
  for (int k = 1; k < 64;) {
    if (br.bits < 32) br.Refill();
    const HuffTable::Value e = t.values_table[br.buf >> (64 - kValueBits)];
    if (e.len1 != 0) {
      if (e.run1 == HuffTable::kEndOfBlock) {
        br.Skip(e.len1);
        break;
      }
      k += e.run1;
      coef[kNatural[k]] = e.value1;  // a zero for sixteen zeros, harmless
      *last = k++;
      // The second code belongs to this block only while it is still open.
      if (e.run2 == HuffTable::kNone || k >= 64) {
        br.Skip(e.len1);
        continue;
      }
      br.Skip(e.len);
      if (e.run2 == HuffTable::kEndOfBlock) break;
      k += e.run2;
      coef[kNatural[k]] = e.value2;
      *last = k++;
      continue;
    }
    int len = 0;
    const int sym = DecodeSymbol(br, t, &len);
    if (sym < 0) return false;
    br.Skip(len);
    const int run = sym >> 4, s = sym & 15;
    if (s == 0) {
      if (run != 15) break;
      k += 16;
      continue;
    }
    k += run;
    const int v = Extend(br.buf >> (64 - s), s);
    br.Skip(s);
    coef[kNatural[k]] = static_cast<int16_t>(v);
    *last = k++;
  }
  return true;
}

}  // namespace imaging::codecs::internal

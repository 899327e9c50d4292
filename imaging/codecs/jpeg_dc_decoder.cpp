// One-eighth-scale baseline JPEG decoding.  The markers are read first, then
// the scan's entropy-coded data is read in place: the bit reader takes eight
// bytes at a time where they hold no 0xFF, and checks once per MCU that it
// has not run past the data.  The arithmetic follows libjpeg-turbo's scaled decode: a DC-only
// sample is (DC * Q + 4) >> 3 level shifted, 2 x 2 chroma blocks use the
// reduced inverse DCT over the odd coefficients, and YCbCr goes to RGB with
// the same 16-bit fixed-point tables, so the result matches tjDecompress2 at
// 1/8 with fast upsampling.
#include "imaging/codecs/jpeg_dc_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace imaging::codecs::internal {
namespace {

constexpr int kLookBits = 10;  // Huffman lookahead
constexpr int kPairBits = 12;  // lookahead of the two-code AC skipping table

// Zigzag position -> row-major position in the 8 x 8 block.
constexpr std::array<uint8_t, 64> kNatural = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

Result Broken(const char* what) { return Result(Status::kBroken, std::string("JPEG ") + what); }

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
  std::array<int32_t, 18> maxcode{};  // largest code of each length, -1 for none
  std::array<int32_t, 17> valoff{};   // symbol index = code + valoff[len]
  std::array<uint8_t, 256> values{};
  bool defined = false;
};

// The code at the top of the `avail`-bit value `bits`: its length (0 for
// none that short) and symbol.
int PrefixCode(const HuffTable& t, uint32_t bits, int avail, int* symbol) {
  for (int l = 1; l <= avail; ++l) {
    const int32_t code = static_cast<int32_t>(bits >> (avail - l));
    if (code <= t.maxcode[l]) {
      *symbol = t.values[static_cast<uint8_t>(code + t.valoff[l])];
      return l;
    }
  }
  return 0;
}

// Zigzag advance of an AC symbol: run + 1, 16 for a run of sixteen zeros,
// 64 (past the block) for the end of block.  libjpeg takes any zero
// magnitude with a run other than 15 as the end of block.
int AcAdvance(int symbol) {
  const int run = symbol >> 4, bits = symbol & 15;
  return bits != 0 ? run + 1 : run == 15 ? 16 : 64;
}

void BuildPairs(HuffTable* t) {
  t->pairs_built = true;
  for (uint32_t i = 0; i < (1u << kPairBits); ++i) {
    HuffTable::Pair& e = t->pair[i];
    int sym1 = 0;
    const int len1 = PrefixCode(*t, i, kPairBits, &sym1);
    if (len1 == 0) continue;
    e.skip1 = static_cast<uint8_t>(len1 + (sym1 & 15));
    e.advance1 = static_cast<uint8_t>(AcAdvance(sym1));
    e.skip2 = e.skip1;
    e.advance2 = 0;
    const int rest = kPairBits - e.skip1;
    if (rest <= 0 || e.advance1 == 64) continue;
    int sym2 = 0;
    const int len2 = PrefixCode(*t, i & ((1u << rest) - 1), rest, &sym2);
    if (len2 == 0 || len2 + (sym2 & 15) > rest) continue;
    e.skip2 = static_cast<uint8_t>(e.skip1 + len2 + (sym2 & 15));
    e.advance2 = static_cast<uint8_t>(AcAdvance(sym2));
  }
}

// Builds `t` from the DHT counts and symbols; false for a table whose codes
// overflow their lengths, as libjpeg rejects too.
bool BuildTable(const uint8_t* counts, const uint8_t* symbols, int total, bool dc, HuffTable* t) {
  *t = HuffTable{};
  std::copy(symbols, symbols + total, t->values.begin());
  int32_t code = 0;
  int k = 0;
  for (int len = 1; len <= 16; ++len) {
    const int n = counts[len - 1];
    t->valoff[len] = k - code;
    for (int i = 0; i < n; ++i, ++k, ++code) {
      if (code >= (1 << len)) return false;  // more codes than this length holds
      const uint8_t sym = symbols[k];
      if (dc && sym > 15) return false;
      if (len <= kLookBits) {
        HuffTable::Entry e;
        e.len = static_cast<uint8_t>(len);
        e.symbol = sym;
        const int shift = kLookBits - len;
        for (int j = 0; j < (1 << shift); ++j) t->fast[(code << shift) | j] = e;
      }
    }
    t->maxcode[len] = n > 0 ? code - 1 : -1;
    // libjpeg also refuses a table that uses the all-ones code.
    if (code >= (1 << len)) return false;
    code <<= 1;
  }
  t->maxcode[17] = 0x7fffffff;
  t->defined = true;
  return true;
}

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

// Skips the AC coefficients of one block; false for a bad code.  Two codes
// go at once when the pair table has them and the first leaves the block
// open; a run past the block's end stops it, as in libjpeg.
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

// Decodes the AC coefficients of one block into `coef` (row-major, zeroed
// by the caller); false for a bad code.  A run past the block's end stops
// it, as libjpeg does.
inline bool DecodeAc(BitReader& br, const HuffTable& t, int16_t* coef) {
  for (int k = 1; k < 64; ++k) {
    if (br.bits < 32) br.Refill();
    int len = 0;
    const int sym = DecodeSymbol(br, t, &len);
    if (sym < 0) return false;
    br.Skip(len);
    const int run = sym >> 4, s = sym & 15;
    if (s == 0) {
      if (run != 15) break;
      k += 15;
      continue;
    }
    k += run;
    const int v = Extend(br.buf >> (64 - s), s);
    br.Skip(s);
    if (k < 64) coef[kNatural[k]] = static_cast<int16_t>(v);
  }
  return true;
}

// libjpeg's sample range limiting after an inverse DCT: the value is taken
// modulo 1024 and mapped so that -512..511 clamp to 0..255 around 128.
struct RangeLimit {
  std::array<uint8_t, 1024> table{};
  RangeLimit() {
    for (int i = 0; i < 1024; ++i) {
      const int x = i < 512 ? i : i - 1024;
      table[i] = static_cast<uint8_t>(std::clamp(x + 128, 0, 255));
    }
  }
  uint8_t operator()(int64_t x) const { return table[static_cast<size_t>(x) & 1023]; }
};
const RangeLimit& Limit() {
  static const RangeLimit limit;
  return limit;
}

// libjpeg-turbo's reduced 2 x 2 inverse DCT (columns then rows over the odd
// coefficients, 13-bit constants, two extra fractional bits in between).
void Idct2x2(const int16_t* coef, const uint16_t* quant, uint8_t* out0, uint8_t* out1) {
  constexpr int64_t k0720959822 = 5906, k0850430095 = 6967, k1272758580 = 10426, k3624509785 = 29692;
  constexpr int kConstBits = 13, kPass1Bits = 2;
  auto descale = [](int64_t x, int n) { return (x + (int64_t{1} << (n - 1))) >> n; };
  int64_t ws[2][8] = {};
  for (int c : {0, 1, 3, 5, 7}) {
    auto dq = [&](int r) { return int64_t{coef[r * 8 + c]} * quant[r * 8 + c]; };
    const int64_t tmp10 = dq(0) << (kConstBits + 2);
    const int64_t tmp0 = dq(7) * -k0720959822 + dq(5) * k0850430095 + dq(3) * -k1272758580 + dq(1) * k3624509785;
    ws[0][c] = static_cast<int32_t>(descale(tmp10 + tmp0, kConstBits - kPass1Bits + 2));
    ws[1][c] = static_cast<int32_t>(descale(tmp10 - tmp0, kConstBits - kPass1Bits + 2));
  }
  const RangeLimit& limit = Limit();
  uint8_t* outs[2] = {out0, out1};
  for (int r = 0; r < 2; ++r) {
    const int64_t* w = ws[r];
    const int64_t tmp10 = w[0] << (kConstBits + 2);
    const int64_t tmp0 = w[7] * -k0720959822 + w[5] * k0850430095 + w[3] * -k1272758580 + w[1] * k3624509785;
    outs[r][0] = limit(descale(tmp10 + tmp0, kConstBits + kPass1Bits + 3 + 2));
    outs[r][1] = limit(descale(tmp10 - tmp0, kConstBits + kPass1Bits + 3 + 2));
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
const ColourTables& Colour() {
  static const ColourTables tables;
  return tables;
}

struct Component {
  int id = 0;
  int h = 1, v = 1;  // sampling factors
  int tq = 0;        // quantisation table
  int td = 0, ta = 0;
  int scan_order = -1;
  // Samples kept per block side: 1 (DC only) or 2 (chroma halved both ways).
  int samples = 1;
  int shift_x = 0, shift_y = 0;  // output pixel -> plane sample
  int plane_w = 0, plane_h = 0;
  std::vector<uint8_t> plane;
  std::array<uint16_t, 64> quant{};
};

// Everything the markers before the scan tell.
struct Header {
  int width = 0, height = 0;
  bool have_frame = false;
  bool jfif = false;
  int adobe_transform = -1;
  int restart_interval = 0;
  std::array<Component, 3> comp{};
  int ncomp = 0;
  std::array<std::array<uint16_t, 64>, 4> quant{};
  std::array<bool, 4> quant_defined{};
  std::array<HuffTable, 4> dc{}, ac{};
  std::array<int, 3> scan{};  // scan order -> component
  int nscan = 0;
};

inline uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// The outcome of reading the markers: decode, leave to libjpeg, or fail.
enum class Parse { kOk, kNotHandled, kBroken };

struct Parser {
  const uint8_t* data;
  size_t size;
  Header* hdr;
  Result error;

  Parse Fail(const char* what) {
    error = Broken(what);
    return Parse::kBroken;
  }

  Parse Frame(const uint8_t* p, size_t len) {
    if (hdr->have_frame) return Fail("has two frame headers");
    if (len < 6) return Fail("frame header is short");
    if (p[0] != 8) return Parse::kNotHandled;
    hdr->height = Be16(p + 1);
    hdr->width = Be16(p + 3);
    const int n = p[5];
    if (hdr->width == 0 || hdr->height == 0) return Fail("picture has no pixels");
    if (n != 1 && n != 3) return Parse::kNotHandled;
    if (len < 6 + 3 * static_cast<size_t>(n)) return Fail("frame header is short");
    for (int i = 0; i < n; ++i) {
      Component& c = hdr->comp[i];
      c.id = p[6 + 3 * i];
      c.h = p[7 + 3 * i] >> 4;
      c.v = p[7 + 3 * i] & 15;
      c.tq = p[8 + 3 * i];
      if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.tq > 3) return Fail("frame header is damaged");
      for (int j = 0; j < i; ++j)
        if (hdr->comp[j].id == c.id) return Fail("frame names a component twice");
    }
    hdr->ncomp = n;
    hdr->have_frame = true;
    return Parse::kOk;
  }

  Parse Huffman(const uint8_t* p, size_t len) {
    while (len > 0) {
      if (len < 17) return Fail("Huffman table is short");
      const int tc = p[0] >> 4, th = p[0] & 15;
      if (tc > 1 || th > 3) return Fail("Huffman table id is out of range");
      int total = 0;
      for (int i = 1; i <= 16; ++i) total += p[i];
      if (total > 256 || len < 17 + static_cast<size_t>(total)) return Fail("Huffman table is damaged");
      HuffTable& t = tc == 0 ? hdr->dc[th] : hdr->ac[th];
      if (!BuildTable(p + 1, p + 17, total, tc == 0, &t)) return Fail("Huffman table is damaged");
      p += 17 + total;
      len -= 17 + total;
    }
    return Parse::kOk;
  }

  Parse Quant(const uint8_t* p, size_t len) {
    while (len > 0) {
      const int pq = p[0] >> 4, tq = p[0] & 15;
      if (tq > 3 || pq > 1) return Fail("quantisation table id is out of range");
      const size_t need = 1 + 64 * (pq + 1);
      if (len < need) return Fail("quantisation table is short");
      for (int i = 0; i < 64; ++i)
        hdr->quant[tq][kNatural[i]] = pq == 0 ? p[1 + i] : Be16(p + 1 + 2 * i);
      hdr->quant_defined[tq] = true;
      p += need;
      len -= need;
    }
    return Parse::kOk;
  }

  Parse Scan(const uint8_t* p, size_t len) {
    if (!hdr->have_frame) return Fail("scan comes before the frame header");
    if (len < 1) return Fail("scan header is short");
    const int n = p[0];
    if (len < 4 + 2 * static_cast<size_t>(n) || n < 1 || n > 4) return Fail("scan header is damaged");
    // One scan holding every component; other layouts go to libjpeg.
    if (n != hdr->ncomp) return Parse::kNotHandled;
    for (int i = 0; i < n; ++i) {
      const int id = p[1 + 2 * i];
      int found = -1;
      for (int j = 0; j < hdr->ncomp; ++j)
        if (hdr->comp[j].id == id) found = j;
      if (found < 0 || hdr->comp[found].scan_order >= 0) return Fail("scan names an unknown component");
      Component& c = hdr->comp[found];
      c.scan_order = i;
      c.td = p[2 + 2 * i] >> 4;
      c.ta = p[2 + 2 * i] & 15;
      if (c.td > 3 || c.ta > 3) return Fail("scan names a Huffman table out of range");
      hdr->scan[i] = found;
    }
    hdr->nscan = n;
    const uint8_t ss = p[1 + 2 * n], se = p[2 + 2 * n], a = p[3 + 2 * n];
    if (ss != 0 || se != 63 || a != 0) return Parse::kNotHandled;
    return Parse::kOk;
  }

  // Reads markers up to the scan; `*scan_data` is where its entropy data starts.
  Parse Run(size_t* scan_data) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return Fail("data has no start-of-image marker");
    size_t pos = 2;
    for (;;) {
      if (pos >= size || data[pos] != 0xFF) return Parse::kNotHandled;
      while (pos < size && data[pos] == 0xFF) ++pos;
      if (pos >= size) return Fail("data ends in a marker");
      const uint8_t m = data[pos++];
      if (m == 0xD8 || m == 0xD9 || (m >= 0xD0 && m <= 0xD7) || m == 0x01) return Parse::kNotHandled;
      if (pos + 2 > size) return Fail("data ends in a marker");
      const size_t len = Be16(data + pos);
      if (len < 2 || pos + len > size) return Fail("marker segment runs past the data");
      const uint8_t* body = data + pos + 2;
      const size_t body_len = len - 2;
      pos += len;
      Parse r = Parse::kOk;
      if (m == 0xC0 || m == 0xC1) r = Frame(body, body_len);
      else if (m == 0xC4) r = Huffman(body, body_len);
      else if (m == 0xDB) r = Quant(body, body_len);
      else if (m == 0xDD) {
        if (body_len < 2) return Fail("restart interval marker is short");
        hdr->restart_interval = Be16(body);
      } else if (m == 0xE0) {
        if (body_len >= 14 && std::memcmp(body, "JFIF", 5) == 0) hdr->jfif = true;
      } else if (m == 0xEE) {
        if (body_len >= 12 && std::memcmp(body, "Adobe", 5) == 0) hdr->adobe_transform = body[11];
      } else if (m == 0xDA) {
        r = Scan(body, body_len);
        if (r == Parse::kOk) *scan_data = pos;
        return r;
      } else if ((m >= 0xE1 && m <= 0xEF) || m == 0xFE) {
        // Application data and comments are not needed here.
      } else {
        return Parse::kNotHandled;  // other frame types, arithmetic coding, DNL, ...
      }
      if (r != Parse::kOk) return r;
    }
  }
};

}  // namespace

Result JpegDcDecode(const uint8_t* data, size_t size, Image* out, bool* handled) {
  *handled = false;
  const Result not_handled(Status::kUnsupported, "JPEG layout left to libjpeg");
  auto hdr = std::make_unique<Header>();
  Parser parser{data, size, hdr.get(), Result::Ok()};
  size_t scan_data = 0;
  const Parse parsed = parser.Run(&scan_data);
  if (parsed == Parse::kNotHandled) return not_handled;
  *handled = true;
  if (parsed == Parse::kBroken) return parser.error;

  // Colour space as libjpeg picks it; only YCbCr is decoded here.
  if (hdr->ncomp == 3 && !hdr->jfif) {
    if (hdr->adobe_transform == 0) {
      *handled = false;
      return not_handled;
    }
    const Component* c = hdr->comp.data();
    if (hdr->adobe_transform < 0 && c[0].id == 'R' && c[1].id == 'G' && c[2].id == 'B') {
      *handled = false;
      return not_handled;
    }
  }

  const int ncomp = hdr->ncomp;
  int hmax = 1, vmax = 1;
  for (int i = 0; i < ncomp; ++i) {
    hmax = std::max(hmax, hdr->comp[i].h);
    vmax = std::max(vmax, hdr->comp[i].v);
  }
  int mcus_x = 0, mcus_y = 0;
  if (ncomp == 1) {
    // A lone component is coded block by block whatever its sampling factors.
    hdr->comp[0].h = hdr->comp[0].v = 1;
    mcus_x = (hdr->width + 7) / 8;
    mcus_y = (hdr->height + 7) / 8;
  } else {
    Component* c = hdr->comp.data();
    if (c[0].h != hmax || c[0].v != vmax || hmax > 2 || vmax > 2) {
      *handled = false;
      return not_handled;
    }
    for (int i = 1; i < 3; ++i) {
      // Chroma whole, halved across (h2v1), or halved both ways (h2v2, kept at
      // 2 x 2 samples per block as libjpeg-turbo's scaled decode does).
      const int rx = hmax / c[i].h, ry = vmax / c[i].v;
      if (c[i].h * rx != hmax || c[i].v * ry != vmax || !((rx == 1 && ry == 1) || (rx == 2 && ry == 1) ||
                                                          (rx == 2 && ry == 2))) {
        *handled = false;
        return not_handled;
      }
      c[i].samples = rx == 2 && ry == 2 ? 2 : 1;
      c[i].shift_x = rx == 2 && ry == 1 ? 1 : 0;
    }
    mcus_x = (hdr->width + 8 * hmax - 1) / (8 * hmax);
    mcus_y = (hdr->height + 8 * vmax - 1) / (8 * vmax);
  }
  for (int i = 0; i < ncomp; ++i) {
    Component& c = hdr->comp[i];
    if (!hdr->quant_defined[c.tq]) return Broken("names a quantisation table it does not define");
    // libjpeg-turbo falls back on the standard tables when none are given.
    if (!hdr->dc[c.td].defined || !hdr->ac[c.ta].defined) {
      *handled = false;
      return not_handled;
    }
    c.quant = hdr->quant[c.tq];
  }

  const int out_w = (hdr->width + 7) / 8, out_h = (hdr->height + 7) / 8;
  const int bpp = ncomp == 1 ? 8 : 24;
  if (out_w > kMaxDimension || out_h > kMaxDimension)
    return Result(Status::kMemory, "JPEG picture exceeds the engine's limit");
  if (uint64_t{Image::RowBytes(out_w, bpp)} * static_cast<uint64_t>(out_h) > kMaxPixelBytes)
    return Result(Status::kMemory, "JPEG picture exceeds the engine's memory limit");

  const size_t interval = static_cast<size_t>(hdr->restart_interval);
  for (int i = 0; i < ncomp; ++i) {
    Component& c = hdr->comp[i];
    // Only the tables of DC-only components are skipped through.
    if (c.samples == 1 && !hdr->ac[c.ta].pairs_built) BuildPairs(&hdr->ac[c.ta]);
    c.plane_w = mcus_x * c.h * c.samples;
    c.plane_h = mcus_y * c.v * c.samples;
    c.plane.assign(static_cast<size_t>(c.plane_w) * c.plane_h, 0);
  }

  // Blocks of the MCU in scan order.
  struct BlockRef {
    Component* comp;
    const HuffTable* dc;
    const HuffTable* ac;
    int dx, dy;  // block offset inside the MCU
    int pred;    // index into preds
  };
  std::vector<BlockRef> blocks;
  for (int s = 0; s < hdr->nscan; ++s) {
    Component& c = hdr->comp[hdr->scan[s]];
    for (int by = 0; by < c.v; ++by)
      for (int bx = 0; bx < c.h; ++bx) blocks.push_back({&c, &hdr->dc[c.td], &hdr->ac[c.ta], bx, by, s});
  }
  if (blocks.size() > 10) return Broken("MCU holds more than ten blocks");

  const RangeLimit& limit = Limit();
  BitReader br;
  br.Reset(data + scan_data);
  br.end = data + size;
  int16_t preds[4] = {0, 0, 0, 0};
  size_t to_go = interval;
  int restart = 0;
  alignas(16) int16_t coef[64];
  for (int my = 0; my < mcus_y; ++my) {
    for (int mx = 0; mx < mcus_x; ++mx) {
      if (interval > 0) {
        if (to_go == 0) {
          // libjpeg drops the bits left over and wants the next RSTn.
          const int m = br.NextMarker();
          if (m == 0x100) return Broken("picture data ends early");
          if (m != 0xD0 + restart) return Broken("restart marker is missing or out of order");
          restart = (restart + 1) & 7;
          br.Reset(br.p);
          preds[0] = preds[1] = preds[2] = preds[3] = 0;
          to_go = interval;
        }
        --to_go;
      }
      for (const BlockRef& b : blocks) {
        Component& c = *b.comp;
        int diff = 0;
        if (!DecodeDc(br, *b.dc, &diff)) return Broken("picture data holds a bad Huffman code");
        // libjpeg keeps coefficients as 16-bit values.
        preds[b.pred] = static_cast<int16_t>(static_cast<uint16_t>(preds[b.pred]) + static_cast<uint16_t>(diff));
        const int bx = mx * c.h + b.dx, by = my * c.v + b.dy;
        if (c.samples == 1) {
          if (!SkipAc(br, *b.ac)) return Broken("picture data holds a bad Huffman code");
          const int64_t dc = int64_t{preds[b.pred]} * c.quant[0];
          c.plane[static_cast<size_t>(by) * c.plane_w + bx] = limit((dc + 4) >> 3);
        } else {
          std::memset(coef, 0, sizeof coef);
          coef[0] = preds[b.pred];
          if (!DecodeAc(br, *b.ac, coef)) return Broken("picture data holds a bad Huffman code");
          uint8_t* row0 = c.plane.data() + static_cast<size_t>(by) * 2 * c.plane_w + bx * 2;
          Idct2x2(coef, c.quant.data(), row0, row0 + c.plane_w);
        }
      }
      if (br.RanOut()) return Broken("picture data ends early");
    }
  }

  Image img;
  if (Result r = Image::Create(out_w, out_h, bpp, &img); !r.ok()) return r;
  if (ncomp == 1) {
    const Component& c = hdr->comp[0];
    for (int y = 0; y < out_h; ++y) std::memcpy(img.row(y), c.plane.data() + static_cast<size_t>(y) * c.plane_w, out_w);
    img.set_gray(true);
  } else {
    const ColourTables& t = Colour();
    const Component &cy = hdr->comp[0], &cb = hdr->comp[1], &cr = hdr->comp[2];
    for (int y = 0; y < out_h; ++y) {
      const uint8_t* py = cy.plane.data() + static_cast<size_t>(y) * cy.plane_w;
      const uint8_t* pb = cb.plane.data() + static_cast<size_t>(y >> cb.shift_y) * cb.plane_w;
      const uint8_t* pr = cr.plane.data() + static_cast<size_t>(y >> cr.shift_y) * cr.plane_w;
      uint8_t* dst = img.row(y);
      for (int x = 0; x < out_w; ++x, dst += 3) {
        const int yy = py[x], u = pb[x >> cb.shift_x], v = pr[x >> cr.shift_x];
        dst[0] = static_cast<uint8_t>(std::clamp(yy + t.cb_b[u], 0, 255));
        dst[1] = static_cast<uint8_t>(std::clamp(yy + ((t.cb_g[u] + t.cr_g[v]) >> 16), 0, 255));
        dst[2] = static_cast<uint8_t>(std::clamp(yy + t.cr_r[v], 0, 255));
      }
    }
  }
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

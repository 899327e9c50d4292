// Building the Huffman decoding tables of jpeg_entropy.h.
#include "imaging/codecs/internal/jpeg_entropy.h"

#include <algorithm>

namespace imaging::codecs::internal {
namespace {

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

}  // namespace

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

void BuildValues(HuffTable* t) {
  t->values_built = true;
  // The code at the top of `bits` (`avail` of them) with its magnitude:
  // false when they do not fit.
  auto code = [&](uint32_t bits, int avail, uint8_t* run, int16_t* value, int* used) {
    int sym = 0;
    const int len = PrefixCode(*t, bits, avail, &sym);
    if (len == 0) return false;
    const int r = sym >> 4, s = sym & 15;
    if (len + s > avail) return false;
    *used = len + s;
    *run = s == 0 ? (r == 15 ? 15 : HuffTable::kEndOfBlock) : static_cast<uint8_t>(r);
    *value = s == 0 ? 0 : static_cast<int16_t>(Extend((bits >> (avail - len - s)) & ((1u << s) - 1), s));
    return true;
  };
  for (uint32_t i = 0; i < (1u << kValueBits); ++i) {
    HuffTable::Value& e = t->values_table[i];
    int used1 = 0, used2 = 0;
    if (!code(i, kValueBits, &e.run1, &e.value1, &used1)) continue;
    e.len1 = e.len = static_cast<uint8_t>(used1);
    const int rest = kValueBits - used1;
    if (e.run1 == HuffTable::kEndOfBlock || rest <= 0) continue;
    if (!code(i & ((1u << rest) - 1), rest, &e.run2, &e.value2, &used2)) {
      e.run2 = HuffTable::kNone;
      e.value2 = 0;
      continue;
    }
    e.len = static_cast<uint8_t>(used1 + used2);
  }
}

}  // namespace imaging::codecs::internal

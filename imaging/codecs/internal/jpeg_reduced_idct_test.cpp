// Tests of the reduced-scale arithmetic's two ways: the plain integer code
// that machines without SSE2 run must give exactly the samples the SSE2
// code gives, for any coefficients and tables (agreement with libjpeg-turbo
// itself is checked by the decoder's tests, both ways).
#include "imaging/codecs/internal/jpeg_reduced_idct.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace imaging::codecs::internal {
namespace {

// Selects the plain integer code for as long as it lives.
class PortableArithmetic {
 public:
  PortableArithmetic() { UsePortableArithmetic(true); }
  ~PortableArithmetic() { UsePortableArithmetic(false); }
};

// Samples of one block at `n` x `n`, the one way or the other.
std::vector<uint8_t> Block(int n, const int16_t* coef, const int16_t* quant, bool portable) {
  std::vector<uint8_t> out(static_cast<size_t>(n) * 7, 0xEE);  // rows 7 apart
  if (portable) {
    PortableArithmetic plain;
    IdctBlock(n, coef, quant, out.data(), 7);
  } else {
    IdctBlock(n, coef, quant, out.data(), 7);
  }
  return out;
}

TEST(JpegReducedIdct, PortableCodeGivesTheVectorCodesSamples) {
#if !defined(__SSE2__)
  GTEST_SKIP() << "this build has only the plain integer code";
#endif
  std::mt19937 rng(5);
  int16_t coef[64], quant[64];
  // Coefficients as encoders make them, sparse high frequencies, and values
  // anywhere in 16 bits with tables up to 16 bits (sums that overflow and
  // saturate where the instructions do).
  for (int round = 0; round < 30000; ++round) {
    const int kind = round % 3;
    for (int i = 0; i < 64; ++i) {
      if (kind == 0) {
        coef[i] = static_cast<int16_t>(static_cast<int>(rng() % 201) - 100);
        quant[i] = static_cast<int16_t>(1 + rng() % 99);
      } else if (kind == 1) {
        coef[i] = rng() % 5 == 0 ? static_cast<int16_t>(static_cast<int>(rng() % 2047) - 1023) : 0;
        quant[i] = static_cast<int16_t>(1 + rng() % 255);
      } else {
        coef[i] = static_cast<int16_t>(rng());
        quant[i] = static_cast<int16_t>(rng());
      }
    }
    for (int n : {1, 2, 4}) ASSERT_EQ(Block(n, coef, quant, true), Block(n, coef, quant, false)) << round << " n " << n;
  }
  // Flat blocks at the ends of the range.
  for (int16_t value : {int16_t{-32768}, int16_t{-1024}, int16_t{0}, int16_t{1023}, int16_t{32767}}) {
    for (int i = 0; i < 64; ++i) {
      coef[i] = value;
      quant[i] = static_cast<int16_t>(i % 2 ? 1 : 255);
    }
    for (int n : {2, 4}) EXPECT_EQ(Block(n, coef, quant, true), Block(n, coef, quant, false)) << value << " n " << n;
  }
}

TEST(JpegReducedIdct, PortableColourConversionGivesTheVectorCodesPixels) {
#if !defined(__SSE2__)
  GTEST_SKIP() << "this build has only the plain integer code";
#endif
  // Every Cb, Cr pair under every luma value, in rows of a length that
  // leaves a tail after the groups of eight.
  constexpr int kWidth = 256 + 3;
  std::vector<uint8_t> y(kWidth), cb(kWidth), cr(kWidth), fast(kWidth * 3), plain(kWidth * 3);
  for (int v = 0; v < 256; ++v) {
    for (int u = 0; u < 256; ++u) {
      for (int x = 0; x < kWidth; ++x) {
        y[x] = static_cast<uint8_t>(x * 97 + v);
        cb[x] = static_cast<uint8_t>(u);
        cr[x] = static_cast<uint8_t>(v);
      }
      YccToBgr(y.data(), cb.data(), cr.data(), kWidth, fast.data());
      {
        PortableArithmetic portable;
        YccToBgr(y.data(), cb.data(), cr.data(), kWidth, plain.data());
      }
      ASSERT_EQ(fast, plain) << "cb " << u << " cr " << v;
    }
  }
}

}  // namespace
}  // namespace imaging::codecs::internal

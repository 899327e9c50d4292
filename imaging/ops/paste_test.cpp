#include "imaging/ops/paste.h"

#include <gtest/gtest.h>

#include "imaging/ops/clip.h"
#include "imaging/ops/internal/test_pictures.h"

namespace imaging::ops {
namespace {

using testing::Flat;
using testing::Noise;

TEST(PasteImage, OpaqueCopiesAndCutsAtTheEdges) {
  const Image base = Flat(8, 6, 24, 0x112233);
  const Image piece = Noise(4, 3, 24, 9);
  Image out;
  ASSERT_TRUE(PasteImage(base, &out, piece, 6, -1).ok());
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool covered = x >= 6 && y <= 1;
      ASSERT_EQ(out.PixelRgb(x, y), covered ? piece.PixelRgb(x - 6, y + 1) : 0x112233u) << x << "," << y;
    }
  // Wholly outside: unchanged.
  ASSERT_TRUE(PasteImage(base, &out, piece, 100, 0).ok());
  EXPECT_TRUE(testing::SamePixels(out, base));
}

TEST(PasteImage, TransparentColourIsSkipped) {
  Image stamp = Flat(3, 3, 24, 0xFFFFFF);
  stamp.SetPixelRgb(1, 1, 0xFF0000);
  Image out;
  ASSERT_TRUE(PasteImage(Flat(5, 5, 24, 0x000080), &out, stamp, 1, 1,
                         PasteOptions{PasteBlend::kTransparentColor, 0xFFFFFF}).ok());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(out.PixelRgb(x, y), (x == 2 && y == 2) ? 0xFF0000u : 0x000080u);
}

TEST(PasteImage, AlphaMixes) {
  Image stamp = Flat(1, 1, 32, 0xFFFFFF);
  stamp.row(0)[3] = 128;
  Image out;
  ASSERT_TRUE(PasteImage(Flat(1, 1, 24, 0x000000), &out, stamp, 0, 0, PasteOptions{PasteBlend::kAlpha}).ok());
  EXPECT_EQ(out.PixelRgb(0, 0), 0x808080u);
  EXPECT_EQ(PasteImage(Flat(1, 1, 24, 0), &out, Flat(1, 1, 24, 0), 0, 0, PasteOptions{PasteBlend::kAlpha}).code(),
            Status::kNotTarget);
}

TEST(PasteImage, ConvertsThePieceToTheDepthOfTheBase) {
  const Image piece = Flat(2, 2, 24, 0xFF0000);  // exact in 5-5-5
  Image out;
  ASSERT_TRUE(PasteImage(Flat(4, 4, 16, 0), &out, piece, 1, 1).ok());
  EXPECT_EQ(out.bpp(), 16);
  EXPECT_EQ(out.PixelRgb(2, 2), 0xFF0000u);
  // Palette pictures take only their own palette.
  Image pal = Noise(4, 4, 8, 1), other = Noise(2, 2, 8, 2);
  EXPECT_EQ(PasteImage(pal, &out, other, 0, 0).code(), Status::kNotTarget);
  EXPECT_EQ(PasteImage(pal, &out, piece, 0, 0).code(), Status::kNotTarget);
}

TEST(PasteImage, ClosesAGapAtEveryDepth) {
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    const Image src = Noise(9, 20, bpp, static_cast<uint32_t>(bpp));
    const int top = 5, bottom = 9, h = 20;
    Image rest, out;
    ASSERT_TRUE(Trim(src, &rest, ClipRect{0, 9, bottom + 1, h}).ok());
    ASSERT_TRUE(PasteImage(src, &out, rest, 0, top).ok());
    ASSERT_TRUE(Trim(out, &out, ClipRect{0, 9, 0, h - (bottom - top) - 2}).ok());
    ASSERT_EQ(out.height(), 15);
    for (int y = 0; y < 15; ++y)
      for (int x = 0; x < 9; ++x)
        ASSERT_EQ(out.PixelRgb(x, y), src.PixelRgb(x, y < top ? y : y + (bottom - top + 1))) << bpp << " " << y;
  }
}

}  // namespace
}  // namespace imaging::ops

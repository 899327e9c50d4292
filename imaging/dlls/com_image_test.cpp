// Tests of the image-handle entries of libmv7com.so: describing, resizing
// and freeing handles.
#include <gtest/gtest.h>

#include "imaging/dlls/mv7.h"
#include "imaging/dlls/testing/test_pictures.h"

namespace {

using mv7test::Blocks;
using mv7test::HandleOf;
using mv7test::ImageOf;

// An 8-bit picture of 3x3 blocks; block (bx, by) has index (bx + by) % 3.
imaging::Image Palette8(int width, int height) {
  imaging::Image img;
  EXPECT_TRUE(imaging::Image::Create(width, height, 8, &img).ok());
  img.palette().resize(3);
  img.palette()[0] = {0, 0, 255, 0};    // red
  img.palette()[1] = {0, 255, 0, 0};    // green
  img.palette()[2] = {255, 0, 0, 0};    // blue
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) img.row(y)[x] = static_cast<uint8_t>((x / 3 + y / 3) % 3);
  return img;
}

TEST(MVGetImageType, DescribesRasterHandles) {
  MVHANDLE rgb = HandleOf(Blocks(30, 20, 5));
  ASSERT_NE(rgb, 0u);
  MVImageType t{};
  ASSERT_NE(MVGetImageType(rgb, &t), 0);
  EXPECT_EQ(t.kind, MV_KIND_RASTER);
  EXPECT_EQ(t.sizing, MV_SIZING_RESAMPLE);
  EXPECT_EQ(t.width, 30);
  EXPECT_EQ(t.height, 20);
  EXPECT_EQ(t.bit_count, 24);
  EXPECT_EQ(t.colors, 0);

  MVHANDLE pal = HandleOf(Palette8(7, 3));
  ASSERT_NE(MVGetImageType(pal, &t), 0);
  EXPECT_EQ(t.sizing, MV_SIZING_DIRECT);
  EXPECT_EQ(t.bit_count, 8);
  EXPECT_EQ(t.colors, 3);
  MVFreeMemory(rgb);
  MVFreeMemory(pal);
}

TEST(MVGetImageType, RefusesUnknownAndMalformedBlocks) {
  MVImageType t{};
  EXPECT_EQ(MVGetImageType(0, &t), 0);
  EXPECT_EQ(MVGetImageType(12345, &t), 0);

  MVHANDLE junk = MVGlobalAlloc(100);  // zero-filled: biSize 0
  EXPECT_EQ(MVGetImageType(junk, &t), 0);
  MVFreeMemory(junk);

  // A header that claims more rows than the block holds.
  MVHANDLE h = HandleOf(Blocks(40, 40, 8));
  const size_t size = MVGlobalSize(h);
  MVHANDLE cut = MVGlobalAlloc(size / 2);
  std::copy_n(static_cast<const uint8_t*>(MVGlobalLock(h)), size / 2, static_cast<uint8_t*>(MVGlobalLock(cut)));
  EXPECT_EQ(MVGetImageType(cut, &t), 0);
  EXPECT_EQ(MVGetImageType(h, nullptr), 0);
  MVFreeMemory(h);
  MVFreeMemory(cut);
}

TEST(MVResize, AreaAverageKeepsUniformBlocks) {
  // 10x10 blocks shrunk by 10 give one pixel per block, of the block's colour.
  MVHANDLE src = HandleOf(Blocks(100, 50, 10));
  MVHANDLE pair[2] = {src, 0};
  MVHANDLE out = MVResize(pair, 10, 5, 1, 0, 0, 0, 0);
  ASSERT_NE(out, 0u);
  const imaging::Image img = ImageOf(out);
  ASSERT_EQ(img.width(), 10);
  ASSERT_EQ(img.height(), 5);
  EXPECT_EQ(img.bpp(), 24);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(img.PixelRgb(x, y), mv7test::BlockColor(x, y)) << x << "," << y;
  EXPECT_EQ(pair[0], src);            // the source stays with the caller
  EXPECT_NE(MVGlobalSize(src), 0u);
  MVFreeMemory(src);
  MVFreeMemory(out);
}

TEST(MVResize, PaletteSmoothBecomesTrueColourNearestKeepsPalette) {
  MVHANDLE src = HandleOf(Palette8(9, 9));
  MVHANDLE pair[2] = {src, 0};
  MVHANDLE smooth = MVResize(pair, 3, 3, 1, 0, 0, 0, 0);
  MVHANDLE nearest = MVResize(pair, 3, 3, 0, 0, 0, 0, 0);
  ASSERT_NE(smooth, 0u);
  ASSERT_NE(nearest, 0u);
  EXPECT_EQ(ImageOf(smooth).bpp(), 24);
  const imaging::Image n = ImageOf(nearest);
  EXPECT_EQ(n.bpp(), 8);
  EXPECT_EQ(n.palette().size(), 3u);
  // Every 3x3 block is one index, so each target pixel takes its block's.
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(n.row(y)[x], (x + y) % 3) << x << "," << y;
  MVFreeMemory(smooth);
  MVFreeMemory(nearest);
  MVFreeMemory(src);
}

TEST(MVResize, RefusesBadArguments) {
  MVHANDLE src = HandleOf(Blocks(8, 8, 2));
  MVHANDLE with_second[2] = {src, src};
  EXPECT_EQ(MVResize(with_second, 4, 4, 1, 0, 0, 0, 0), 0u);
  MVHANDLE pair[2] = {src, 0};
  EXPECT_EQ(MVResize(pair, 0, 4, 1, 0, 0, 0, 0), 0u);
  EXPECT_EQ(MVResize(pair, 4, 70000, 1, 0, 0, 0, 0), 0u);
  EXPECT_EQ(MVResize(pair, 4, 4, 2, 0, 0, 0, 0), 0u);
  EXPECT_EQ(MVResize(nullptr, 4, 4, 1, 0, 0, 0, 0), 0u);
  MVHANDLE stale[2] = {987654, 0};
  EXPECT_EQ(MVResize(stale, 4, 4, 1, 0, 0, 0, 0), 0u);
  MVFreeMemory(src);
}

TEST(SetImageSize, TakesOwnershipOnSuccessAndFailure) {
  MVHANDLE src = HandleOf(Blocks(40, 20, 4));
  MVHANDLE out = SetImageSize(src, 10, 5);
  ASSERT_NE(out, 0u);
  EXPECT_EQ(MVGlobalLock(src), nullptr);  // freed
  const imaging::Image img = ImageOf(out);
  EXPECT_EQ(img.width(), 10);
  EXPECT_EQ(img.height(), 5);
  EXPECT_EQ(img.PixelRgb(3, 2), mv7test::BlockColor(3, 2));
  MVFreeMemory(out);

  MVHANDLE doomed = HandleOf(Blocks(4, 4, 2));
  EXPECT_EQ(SetImageSize(doomed, -1, 5), 0u);
  EXPECT_EQ(MVGlobalLock(doomed), nullptr);
}

TEST(SetImageSize, OneBitPictureKeepsItsPacking) {
  imaging::Image mono;
  ASSERT_TRUE(imaging::Image::Create(13, 3, 1, &mono).ok());
  for (int x = 0; x < 13; x += 2) mono.row(1)[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));  // odd columns clear
  MVHANDLE out = SetImageSize(HandleOf(mono), 26, 3);  // doubles every column
  ASSERT_NE(out, 0u);
  const imaging::Image big = ImageOf(out);
  ASSERT_EQ(big.bpp(), 1);
  for (int x = 0; x < 26; ++x) EXPECT_EQ(big.PixelRgb(x, 1), mono.PixelRgb(x / 2, 1)) << x;
  MVFreeMemory(out);
}

TEST(MVFreeMemory, IgnoresZeroAndUnknownHandles) {
  MVFreeMemory(0);
  MVFreeMemory(424242);
  MVHANDLE h = MVGlobalAlloc(16);
  ASSERT_NE(h, 0u);
  MVFreeMemory(h);
  EXPECT_EQ(MVGlobalFree(h), 0);  // already gone
  EXPECT_EQ(MVGlobalAlloc(0), 0u);
}

}  // namespace

// Tests of the conversions between image handles, bitmaps and palettes.
#include <gtest/gtest.h>

#include "imaging/dlls/mv7.h"
#include "imaging/dlls/testing/test_pictures.h"

namespace {

TEST(BitmapFromDib, RoundTripsTrueColour) {
  const imaging::Image img = mv7test::Blocks(7, 5, 2);
  MVHANDLE dib = mv7test::HandleOf(img);
  MVBITMAP bmp = MVBitmapFromDib(dib, 0);
  ASSERT_NE(bmp, 0u);
  MVImageType t{};
  EXPECT_EQ(MVGetImageType(bmp, &t), 0);  // a bitmap is not a DIB
  MVHANDLE back = MVDibFromBitmap(bmp, 0, 0);
  ASSERT_NE(back, 0u);
  const imaging::Image out = mv7test::ImageOf(back);
  ASSERT_EQ(out.bpp(), 24);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(out.PixelRgb(x, y), img.PixelRgb(x, y));
  EXPECT_EQ(MVDibFromBitmap(dib, 0, 24), 0u);  // a DIB is not a bitmap
  MVFreeMemory(dib);
  MVFreeMemory(bmp);
  MVFreeMemory(back);
}

TEST(BitmapFromDib, PaletteMakesIndexedPictures) {
  imaging::Image img;
  ASSERT_TRUE(imaging::Image::Create(4, 1, 8, &img).ok());
  img.palette().assign(2, imaging::PaletteEntry{});
  img.palette()[0] = {0, 0, 0, 0};
  img.palette()[1] = {255, 255, 255, 0};
  img.row(0)[1] = 1;
  img.row(0)[3] = 1;
  MVHANDLE dib = mv7test::HandleOf(img);
  MVPALETTE pal = CreateBIPalette(dib);
  ASSERT_NE(pal, 0u);
  MVBITMAP bmp = MVBitmapFromDib(dib, pal);
  MVHANDLE mono = MVDibFromBitmap(bmp, pal, 1);
  ASSERT_NE(mono, 0u);
  const imaging::Image out = mv7test::ImageOf(mono);
  ASSERT_EQ(out.bpp(), 1);
  EXPECT_EQ(out.PixelRgb(0, 0), 0x000000u);
  EXPECT_EQ(out.PixelRgb(1, 0), 0xFFFFFFu);
  EXPECT_EQ(out.PixelRgb(3, 0), 0xFFFFFFu);
  EXPECT_EQ(MVDibFromBitmap(bmp, 0, 8), 0u);   // indexed needs a palette
  EXPECT_EQ(MVDibFromBitmap(bmp, pal, 12), 0u);
  MVHANDLE rgb = mv7test::HandleOf(mv7test::Blocks(2, 2, 1));
  EXPECT_EQ(CreateBIPalette(rgb), 0u);        // direct colour has no table
  for (MVHANDLE h : {dib, pal, bmp, mono, rgb}) MVFreeMemory(h);
}

}  // namespace

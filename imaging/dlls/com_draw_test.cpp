// Tests of the drawing entries of libmv7com.so on 32-bit surfaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "imaging/dlls/mv7.h"
#include "imaging/dlls/testing/test_pictures.h"

namespace {

constexpr uint32_t kGuard = 0x12345678;

// A surface with a guarded padding column on the right of every row.
struct Canvas {
  Canvas(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w + 2) * h, kGuard) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) at(x, y) = 0xFF000000u;
    surface.pixels = reinterpret_cast<uint8_t*>(pixels.data());
    surface.width = w;
    surface.height = h;
    surface.stride = (w + 2) * 4;
  }
  uint32_t& at(int x, int y) { return pixels[static_cast<size_t>(y) * (width + 2) + x]; }
  bool GuardsIntact() const {
    for (int y = 0; y < height; ++y)
      for (int x = width; x < width + 2; ++x)
        if (pixels[static_cast<size_t>(y) * (width + 2) + x] != kGuard) return false;
    return true;
  }
  int width, height;
  std::vector<uint32_t> pixels;
  MvSurface surface{};
};

constexpr MVCOLORREF kRed = 0x0000FF;   // COLORREF 0x00BBGGRR
constexpr uint32_t kRedPixel = 0xFFFF0000u;

TEST(BoxFull, FillsAndClipsToTheSurface) {
  Canvas c(8, 6);
  ASSERT_NE(_BoxFull(&c.surface, -5, 2, 100, 4, kRed), 0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(c.at(x, y), (y >= 2 && y < 4) ? kRedPixel : 0xFF000000u) << x << "," << y;
  EXPECT_TRUE(c.GuardsIntact());
}

TEST(BoxFull, HonoursTheClipRectangle) {
  Canvas c(8, 8);
  c.surface.clip_left = 2;
  c.surface.clip_top = 2;
  c.surface.clip_right = 4;
  c.surface.clip_bottom = 5;
  ASSERT_NE(_BoxFull(&c.surface, 0, 0, 8, 8, kRed), 0);
  int red = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) red += c.at(x, y) == kRedPixel;
  EXPECT_EQ(red, 2 * 3);
  EXPECT_EQ(c.at(2, 2), kRedPixel);
  EXPECT_EQ(c.at(4, 2), 0xFF000000u);
}

TEST(Box, DrawsAnOutlineOfTheGivenWidth) {
  Canvas c(10, 10);
  ASSERT_NE(_Box(&c.surface, 1, 1, 9, 8, 1, kRed), 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside_box = x >= 1 && x < 9 && y >= 1 && y < 8;
      const bool edge = inside_box && (x == 1 || x == 8 || y == 1 || y == 7);
      EXPECT_EQ(c.at(x, y) == kRedPixel, edge) << x << "," << y;
    }
  Canvas thick(10, 10);
  ASSERT_NE(_Box(&thick.surface, 0, 0, 10, 10, 2, kRed), 0);
  EXPECT_EQ(thick.at(1, 5), kRedPixel);
  EXPECT_EQ(thick.at(2, 5), 0xFF000000u);
  EXPECT_EQ(thick.at(8, 8), kRedPixel);
}

TEST(Box, RefusesBadSurfaces) {
  MvSurface none{};
  EXPECT_EQ(_BoxFull(&none, 0, 0, 1, 1, kRed), 0);
  EXPECT_EQ(_Box(nullptr, 0, 0, 1, 1, 1, kRed), 0);
  Canvas c(4, 4);
  c.surface.stride = 8;  // less than a row
  EXPECT_EQ(_BoxFull(&c.surface, 0, 0, 1, 1, kRed), 0);
}

TEST(StretchDIBits, StretchesBottomUpRowsTheRightWayUp) {
  imaging::Image img = mv7test::Blocks(2, 2, 1);
  MVHANDLE h = mv7test::HandleOf(img);
  const uint8_t* dib = static_cast<const uint8_t*>(MVGlobalLock(h));
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(GetDibPalSize(dib), 0);
  Canvas c(6, 6);
  ASSERT_EQ(_StretchDIBits(&c.surface, 1, 1, 4, 4, 0, 0, 2, 2, dib + 40, dib, 0, MV_SRCCOPY), 2);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(c.at(1 + x, 1 + y) & 0xFFFFFF, mv7test::BlockColor(x / 2, y / 2)) << x << "," << y;
  EXPECT_EQ(c.at(0, 0), 0xFF000000u);
  EXPECT_EQ(c.at(5, 5), 0xFF000000u);
  EXPECT_TRUE(c.GuardsIntact());
  MVGlobalUnlock(h);
  MVFreeMemory(h);
}

// Every target pixel against the picture's own colour at the source pixel
// whose centre the target pixel's centre maps onto, for true-colour
// pictures shrunk, enlarged, drawn at their own size and cut by the clip
// rectangle.
TEST(StretchDIBits, TrueColourMatchesNearestCentreSampling) {
  struct Case {
    int bpp, src_w, src_h, x_src, y_src, w_src, h_src, x_dst, y_dst, w_dst, h_dst, clip_left, clip_top;
  };
  std::vector<Case> cases = {
      {24, 96, 64, 0, 0, 96, 64, 3, 2, 88, 59, 0, 0},    // a thumbnail into its cell
      {32, 96, 64, 0, 0, 96, 64, 3, 2, 88, 59, 0, 0},
      {24, 7, 5, 1, 1, 5, 3, 2, 1, 23, 17, 0, 0},        // enlarged, part of the source
      {24, 33, 9, 0, 0, 33, 9, -4, 0, 50, 40, 6, 5},     // clipped on the left and top
      {32, 1, 1, 0, 0, 1, 1, 0, 0, 60, 45, 0, 0},
      {24, 61, 47, 3, 2, 50, 40, 0, 0, 13, 11, 0, 0},    // odd strides, strong shrink
      {24, 96, 64, 0, 0, 96, 64, 0, 0, 96, 64, 0, 0},    // own size, cut by the surface
      {24, 33, 9, 0, 0, 33, 9, -4, 0, 33, 9, 6, 5},      // own size, clipped on the left and top
      {32, 20, 6, 3, 1, 17, 5, 5, 7, 17, 5, 0, 0},
  };
  // Own size, every width up to 20 from every start within a pixel group,
  // the run ending at the end of the source row (whose padding differs).
  for (int w = 1; w <= 20; ++w)
    for (int x_src = 0; x_src < 4; ++x_src) cases.push_back({24, x_src + w, 3, x_src, 0, w, 3, 2, 1, w, 3, 0, 0});
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << k.bpp << " bpp " << k.src_w << "x" << k.src_h << " -> " << k.w_dst << "x"
                                      << k.h_dst);
    const imaging::Image img = mv7test::Blocks(k.src_w, k.src_h, 1, k.bpp);
    MVHANDLE h = mv7test::HandleOf(img);
    const uint8_t* dib = static_cast<const uint8_t*>(MVGlobalLock(h));
    ASSERT_NE(dib, nullptr);
    Canvas c(64, 48);
    c.surface.clip_left = k.clip_left;
    c.surface.clip_top = k.clip_top;
    c.surface.clip_right = c.width;
    c.surface.clip_bottom = c.height;
    ASSERT_EQ(_StretchDIBits(&c.surface, k.x_dst, k.y_dst, k.w_dst, k.h_dst, k.x_src, k.y_src, k.w_src, k.h_src,
                             dib + 40, dib, 0, MV_SRCCOPY),
              k.h_src);
    int wrong = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        uint32_t want = 0xFF000000u;
        if (x >= std::max(k.x_dst, k.clip_left) && x < k.x_dst + k.w_dst && y >= std::max(k.y_dst, k.clip_top) &&
            y < k.y_dst + k.h_dst) {
          const int sx = k.x_src + static_cast<int>((2.0 * (x - k.x_dst) + 1) * k.w_src / (2.0 * k.w_dst));
          const int sy = k.y_src + static_cast<int>((2.0 * (y - k.y_dst) + 1) * k.h_src / (2.0 * k.h_dst));
          want = 0xFF000000u | mv7test::BlockColor(sx, sy);
        }
        wrong += c.at(x, y) != want;
      }
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(c.GuardsIntact());
    MVGlobalUnlock(h);
    MVFreeMemory(h);
  }
}

TEST(StretchDIBits, ReadsPaletteRowsAndCombinesWithAnd) {
  imaging::Image img;
  ASSERT_TRUE(imaging::Image::Create(3, 1, 4, &img).ok());
  img.palette().assign(16, imaging::PaletteEntry{});
  img.palette()[1] = {255, 255, 255, 0};  // white
  img.palette()[2] = {0, 0, 255, 0};      // red
  img.row(0)[0] = 0x12;                    // pixels 1, 2
  img.row(0)[1] = 0x00;                    // pixel 0 (black)
  MVHANDLE h = mv7test::HandleOf(img);
  const uint8_t* dib = static_cast<const uint8_t*>(MVGlobalLock(h));
  const int pal = GetDibPalSize(dib);
  EXPECT_EQ(pal, 64);
  Canvas c(3, 1);
  for (int x = 0; x < 3; ++x) c.at(x, 0) = 0xFF00FF00u;  // green
  ASSERT_NE(_StretchDIBits(&c.surface, 0, 0, 3, 1, 0, 0, 3, 1, dib + 40 + pal, dib, 0, MV_SRCAND), 0);
  EXPECT_EQ(c.at(0, 0), 0xFF00FF00u);  // green & white
  EXPECT_EQ(c.at(1, 0), 0xFF000000u);  // green & red
  EXPECT_EQ(c.at(2, 0), 0xFF000000u);  // green & black
  MVGlobalUnlock(h);
  MVFreeMemory(h);
}

TEST(StretchDIBits, RefusesSourceOutsideThePicture) {
  MVHANDLE h = mv7test::HandleOf(mv7test::Blocks(4, 4, 1));
  const uint8_t* dib = static_cast<const uint8_t*>(MVGlobalLock(h));
  Canvas c(4, 4);
  EXPECT_EQ(_StretchDIBits(&c.surface, 0, 0, 4, 4, 1, 0, 4, 4, dib + 40, dib, 0, MV_SRCCOPY), 0);
  EXPECT_EQ(_StretchDIBits(&c.surface, 0, 0, 4, 4, 0, 0, 4, 4, dib + 40, dib, 0, 0x00330008u), 0);
  EXPECT_EQ(_StretchDIBits(&c.surface, 0, 0, 4, 4, 0, 0, 4, 4, nullptr, dib, 0, MV_SRCCOPY), 0);
  EXPECT_EQ(GetDibPalSize(nullptr), 0);
  MVGlobalUnlock(h);
  MVFreeMemory(h);
}

TEST(TransparentMask, DrawsOnlyTheOpaquePart) {
  // Magenta all round, green in the middle 2x2.
  imaging::Image img;
  ASSERT_TRUE(imaging::Image::Create(4, 4, 24, &img).ok());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) img.SetPixelRgb(x, y, (x == 1 || x == 2) && (y == 1 || y == 2) ? 0x00FF00 : 0xFF00FF);
  MVHANDLE dib = mv7test::HandleOf(img);
  MVBITMAP bmp = 0, mask = 0;
  ASSERT_NE(CreateTransparentMaskBitmap(dib, MV_COLOR_AUTO, &bmp, &mask), 0);
  int32_t w = 0, h = 0;
  ASSERT_NE(MVGetBitmapSize(mask, &w, &h), 0);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 4);

  Canvas c(8, 8);
  for (auto& p : c.pixels) p = p == kGuard ? kGuard : 0xFF0000FFu;  // blue
  ASSERT_NE(TransparentMaskStretchBlt(&c.surface, 0, 0, 8, 8, bmp, mask, 0, 0, 4, 4), 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool opaque = x >= 2 && x < 6 && y >= 2 && y < 6;
      EXPECT_EQ(c.at(x, y), opaque ? 0xFF00FF00u : 0xFF0000FFu) << x << "," << y;
    }
  EXPECT_TRUE(c.GuardsIntact());
  EXPECT_EQ(TransparentMaskStretchBlt(&c.surface, 0, 0, 8, 8, bmp, 0, 0, 0, 4, 4), 0);
  MVFreeMemory(bmp);
  MVFreeMemory(mask);
  MVFreeMemory(dib);
}

}  // namespace

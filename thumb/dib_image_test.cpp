// Pictures into the imaging family's 24-bit DIBs and back, against a slow
// per-pixel reading of the DIB's bytes: every width around the four-pixel
// packing, opaque rows and rows with transparent pixels blended onto the
// background.
#include "thumb/dib_image.h"

#include <random>

#include "thumb/testing/thumb_fixture.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"

namespace thumb::testing {
namespace {

TEST_F(ThumbTest, DibHandlesHoldThePictureBlendedOntoTheBackground) {
  std::mt19937 rng(11);
  const uint32_t background = 0x00204080;  // COLORREF: R 0x80, G 0x40, B 0x20
  for (int w = 1; w <= 11; ++w) {
    QImage img(w, 5, QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < w; ++x) {
        // Rows 1 and 3 each have one pixel that is not opaque.
        const int a = (y == 1 && x == w - 1) ? 0 : (y == 3 && x == 0) ? 100 : 255;
        img.setPixel(x, y, qRgba(static_cast<int>(rng() & 0xFF), static_cast<int>(rng() & 0xFF),
                                 static_cast<int>(rng() & 0xFF), a));
      }
    img.setDotsPerMeterX(2835);
    img.setDotsPerMeterY(3000);
    const MVHANDLE h = DibHandleFromImage(img, background);
    ASSERT_NE(h, 0u) << w;
    {
      imaging_dlls::LockedBlock dib(h);
      ASSERT_TRUE(dib);
      const auto* bi = static_cast<const MVBITMAPINFOHEADER*>(dib.data());
      EXPECT_EQ(bi->biWidth, w);
      EXPECT_EQ(bi->biHeight, 5);  // bottom-up
      EXPECT_EQ(bi->biBitCount, 24);
      EXPECT_EQ(bi->biXPelsPerMeter, 2835);
      EXPECT_EQ(bi->biYPelsPerMeter, 3000);
      const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
      ASSERT_GE(dib.size(), sizeof *bi + stride * 5);
      const auto* bits = static_cast<const uint8_t*>(dib.data()) + sizeof *bi;
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < w; ++x) {
          const QRgb p = img.pixel(x, y);
          const int a = qAlpha(p);
          auto blend = [a](int c, int bg) { return (c * a + bg * (255 - a) + 127) / 255; };
          const uint8_t* got = bits + stride * static_cast<size_t>(4 - y) + 3 * static_cast<size_t>(x);
          ASSERT_EQ(got[0], blend(qBlue(p), 0x20)) << w << " " << x << "," << y;
          ASSERT_EQ(got[1], blend(qGreen(p), 0x40)) << w << " " << x << "," << y;
          ASSERT_EQ(got[2], blend(qRed(p), 0x80)) << w << " " << x << "," << y;
        }
    }
    // And back: the family's own drawing gives the opaque pixels again.
    QImage back;
    ASSERT_TRUE(ImageFromDibHandle(h, &back)) << w;
    EXPECT_EQ(back.pixel(0, 0), img.pixel(0, 0) | 0xFF000000u) << w;
    EXPECT_EQ(back.pixel(w - 1, 4), img.pixel(w - 1, 4) | 0xFF000000u) << w;
    imaging_dlls::FreeMemory(h);
  }
}

}  // namespace
}  // namespace thumb::testing

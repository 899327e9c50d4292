// File: imaging/control/internal/test_support.h
//
// Helpers for the control's tests: pictures with a known pattern and a
// shown control of a fixed size.
//
//   auto view = ShownControl(300, 200);
//   ASSERT_TRUE(view->ReplaceImage(Pattern(200, 160)));
#pragma once

#include <QApplication>
#include <memory>

#include "imaging/control/morvik.h"
#include "imaging/image.h"

namespace imaging::control::testing {

// Pattern(): 24 bpp, pixel (x, y) = red x % 256, green y % 256, blue
// (x + y) % 256.
inline Image Pattern(int w, int h, int bpp = 24) {
  Image img;
  if (!Image::Create(w, h, 24, &img).ok()) return {};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.SetPixelRgb(x, y, (uint32_t(x % 256) << 16) | (uint32_t(y % 256) << 8) | uint32_t((x + y) % 256));
  if (bpp == 24) return img;
  Image other;
  if (!Image::Create(w, h, bpp, &other).ok()) return {};
  if (bpp >= 16)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) other.SetPixelRgb(x, y, img.PixelRgb(x, y));
  return other;
}

inline std::unique_ptr<Morvik> ShownControl(int w, int h) {
  auto view = std::make_unique<Morvik>();
  view->resize(w, h);
  view->show();
  QApplication::processEvents();
  return view;
}

}  // namespace imaging::control::testing

// libmv7com.so: conversions between image handles, bitmaps and palettes.
#include <cstring>
#include <limits>

#include "imaging/dlls/internal/blocks.h"
#include "imaging/dlls/internal/dib_header.h"
#include "imaging/dlls/internal/guard.h"
#include "imaging/dlls/internal/handles.h"
#include "imaging/dlls/mv7.h"
#include "imaging/ops/convert_depth.h"
#include "imaging/pixel_helpers.h"

using namespace mv7::internal;

namespace {

MVHANDLE DibOfBitmap(const BitmapView& bmp, const PaletteView* pal, int bpp) {
  imaging::Image img;
  if (!imaging::Image::Create(bmp.width, bmp.height, bpp, &img).ok()) return 0;
  if (bpp >= 24) {
    for (int y = 0; y < bmp.height; ++y) {
      const uint32_t* in = bmp.row(y);
      uint8_t* out = img.row(y);
      for (int x = 0; x < bmp.width; ++x) {
        const uint32_t p = in[x];
        uint8_t* o = out + x * (bpp / 8);
        o[0] = static_cast<uint8_t>(p);
        o[1] = static_cast<uint8_t>(p >> 8);
        o[2] = static_cast<uint8_t>(p >> 16);
        if (bpp == 32) o[3] = 0;
      }
    }
    return ImageToMvHandle(img);
  }
  if (pal == nullptr || pal->count > (1 << bpp)) return 0;
  img.palette().resize(static_cast<size_t>(pal->count));
  for (int i = 0; i < pal->count; ++i) {
    const uint8_t* e = pal->entries + i * 4;
    img.palette()[i] = imaging::PaletteEntry{e[0], e[1], e[2], 0};
  }
  img.set_gray(img.IsGrayPalette());
  const int per_byte = 8 / bpp;
  uint32_t last_rgb = 0xFFFFFFFFu;
  int last_index = 0;
  for (int y = 0; y < bmp.height; ++y) {
    const uint32_t* in = bmp.row(y);
    uint8_t* out = img.row(y);
    for (int x = 0; x < bmp.width; ++x) {
      const uint32_t rgb = RgbOfPixel(in[x]);
      if (rgb != last_rgb) {
        last_rgb = rgb;
        last_index = imaging::NearestPaletteIndex(pal->entries, static_cast<size_t>(pal->count), uint8_t(rgb >> 16),
                                                  uint8_t(rgb >> 8), uint8_t(rgb));
      }
      const int shift = (per_byte - 1 - x % per_byte) * bpp;
      out[x / per_byte] = static_cast<uint8_t>(out[x / per_byte] | (last_index << shift));
    }
  }
  return ImageToMvHandle(img);
}

}  // namespace

extern "C" {

MV7_API MVBITMAP MVBitmapFromDib(MVHANDLE dib, MVPALETTE) {
  return Guarded<MVBITMAP>(0, [&]() -> MVBITMAP {
    imaging::Image src;
    if (!ImageFromMvHandle(dib, &src).ok()) return 0;
    imaging::Image wide;
    if (!imaging::ops::ConvertDepth(src, &wide, imaging::ops::DepthCode::kTrue32).ok()) return 0;
    MVBITMAP bitmap = NewBitmap(wide.width(), wide.height());
    if (bitmap == 0) return 0;
    LockedBlock block(bitmap);
    BitmapView view;
    if (!ViewBitmap(block, &view)) {
      MVGlobalFree(bitmap);
      return 0;
    }
    for (int y = 0; y < view.height; ++y) {
      std::memcpy(view.row(y), wide.row(y), static_cast<size_t>(view.width) * 4);
      uint32_t* px = view.row(y);
      for (int x = 0; x < view.width; ++x) px[x] |= 0xFF000000u;
    }
    return bitmap;
  });
}

MV7_API MVPALETTE CreateBIPalette(MVHANDLE dib) {
  return Guarded<MVPALETTE>(0, [&]() -> MVPALETTE {
    LockedBlock block(dib);
    DibFacts f;
    if (!ReadDibHeader(block.data(), block.size(), &f) || f.colors == 0) return 0;
    const uint32_t header_size = *reinterpret_cast<const uint32_t*>(block.data());
    return NewPalette(block.data() + header_size, f.colors);
  });
}

MV7_API MVHANDLE MVDibFromBitmap(MVBITMAP bitmap, MVPALETTE palette, int32_t bit_count) {
  return Guarded<MVHANDLE>(0, [&]() -> MVHANDLE {
    const int bpp = bit_count == 0 ? 24 : bit_count;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return 0;
    LockedBlock block(bitmap);
    BitmapView view;
    if (!ViewBitmap(block, &view)) return 0;
    if (bpp >= 24) return DibOfBitmap(view, nullptr, bpp);
    LockedBlock pal_block(palette);
    PaletteView pal;
    if (!ViewPalette(pal_block, &pal)) return 0;
    return DibOfBitmap(view, &pal, bpp);
  });
}

MV7_API int32_t MVGetBitmapSize(MVBITMAP bitmap, int32_t* width, int32_t* height) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    LockedBlock block(bitmap);
    BitmapView view;
    if (!ViewBitmap(block, &view)) return 0;
    if (width != nullptr) *width = view.width;
    if (height != nullptr) *height = view.height;
    return 1;
  });
}

}  // extern "C"

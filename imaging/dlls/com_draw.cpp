// libmv7com.so: drawing into 32-bit surfaces.  Stretching is nearest-pixel
// (what the viewer controls ask for with COLORONCOLOR); every entry clips to
// the surface and its clip rectangle, so no rectangle can write outside the
// caller's buffer.
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "imaging/dlls/internal/blocks.h"
#include "imaging/dlls/internal/dib_header.h"
#include "imaging/dlls/internal/guard.h"
#include "imaging/dlls/internal/handles.h"
#include "imaging/dlls/mv7.h"
#include "imaging/ops/convert_depth.h"

using namespace mv7::internal;

namespace {

void FillRect(const MvSurface* s, const Clip& clip, int left, int top, int right, int bottom, uint32_t pixel) {
  left = std::max(left, clip.left);
  top = std::max(top, clip.top);
  right = std::min(right, clip.right);
  bottom = std::min(bottom, clip.bottom);
  for (int y = top; y < bottom; ++y) std::fill(SurfaceRow(s, y) + left, SurfaceRow(s, y) + right, pixel);
}

bool ValidRop(uint32_t rop) { return rop == MV_SRCCOPY || rop == MV_SRCAND || rop == MV_SRCPAINT; }

inline void Put(uint32_t* dst, uint32_t src, uint32_t rop) {
  if (rop == MV_SRCCOPY)
    *dst = src;
  else if (rop == MV_SRCAND)
    *dst = (*dst & src) | 0xFF000000u;
  else
    *dst = *dst | src;
}

// Source coordinate of each target coordinate, sampling pixel centres.
std::vector<int> SampleMap(int target_origin, int target_size, int source_origin, int source_size, int from, int to) {
  std::vector<int> map(static_cast<size_t>(std::max(0, to - from)));
  for (int t = from; t < to; ++t) {
    const int64_t offset = static_cast<int64_t>(t - target_origin) * 2 + 1;
    map[t - from] = source_origin + static_cast<int>(offset * source_size / (2 * static_cast<int64_t>(target_size)));
  }
  return map;
}

// Reads pixel x of a DIB row as a surface pixel.
inline uint32_t DibPixel(const uint8_t* row, int x, int bpp, const uint32_t* palette, int colors) {
  switch (bpp) {
    case 32:
    case 24: {
      const uint8_t* p = row + x * (bpp / 8);
      return 0xFF000000u | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    }
    case 16: {
      const uint32_t v = static_cast<uint32_t>(row[x * 2]) | static_cast<uint32_t>(row[x * 2 + 1]) << 8;
      const uint32_t r = v >> 10 & 31, g = v >> 5 & 31, b = v & 31;
      return 0xFF000000u | (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
    }
    default: {
      const int per_byte = 8 / bpp;
      const int index = row[x / per_byte] >> ((per_byte - 1 - x % per_byte) * bpp) & ((1 << bpp) - 1);
      return index < colors ? palette[index] : 0xFF000000u;
    }
  }
}

}  // namespace

extern "C" {

MV7_API int32_t GetDibPalSize(const void* header) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    DibFacts f;
    return ReadDibHeader(header, SIZE_MAX, &f) ? static_cast<int32_t>(f.palette_bytes) : 0;
  });
}

MV7_API int32_t _StretchDIBits(MvSurface* surface, int32_t x_dst, int32_t y_dst, int32_t w_dst, int32_t h_dst,
                               int32_t x_src, int32_t y_src, int32_t w_src, int32_t h_src, const void* bits,
                               const void* header, uint32_t, uint32_t rop) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    Clip clip;
    DibFacts f;
    if (!SurfaceClip(surface, &clip) || bits == nullptr || !ReadDibHeader(header, SIZE_MAX, &f)) return 0;
    if (!ValidRop(rop) || w_dst < 1 || h_dst < 1 || w_src < 1 || h_src < 1) return 0;
    if (x_src < 0 || y_src < 0 || x_src > f.width - w_src || y_src > f.height - h_src) return 0;

    std::vector<uint32_t> palette(static_cast<size_t>(f.colors));
    const uint8_t* table = static_cast<const uint8_t*>(header) + (f.bits_offset - f.palette_bytes);
    for (int i = 0; i < f.colors; ++i) {
      const uint8_t* e = table + i * 4;
      palette[i] = 0xFF000000u | static_cast<uint32_t>(e[2]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[0];
    }
    const int left = std::max(clip.left, x_dst), right = static_cast<int>(std::min<int64_t>(clip.right, int64_t{x_dst} + w_dst));
    const int top = std::max(clip.top, y_dst), bottom = static_cast<int>(std::min<int64_t>(clip.bottom, int64_t{y_dst} + h_dst));
    if (left >= right || top >= bottom) return h_src;  // nothing visible; not an error
    const std::vector<int> xs = SampleMap(x_dst, w_dst, x_src, w_src, left, right);
    const std::vector<int> ys = SampleMap(y_dst, h_dst, y_src, h_src, top, bottom);
    const uint8_t* rows = static_cast<const uint8_t*>(bits);
    auto source_row = [&](int y) {
      const int sy = ys[y - top];
      return rows + static_cast<size_t>(f.top_down ? sy : f.height - 1 - sy) * f.stride;
    };
    if (rop == MV_SRCCOPY && (f.bpp == 24 || f.bpp == 32)) {
      // The common case (thumbnails, slides): plain copies of true-colour
      // pixels, with the byte offsets worked out once, and a target row
      // that samples the same source row as the one above copied whole.
      // A pixel is read as four bytes (blue, green, red and one more,
      // masked off) while those stay inside the row, the rest byte by byte.
      const size_t step = static_cast<size_t>(f.bpp / 8), stride = f.stride, n = xs.size();
      std::vector<uint32_t> offsets(n);
      size_t whole = 0;  // offsets[0, whole) can be read as four bytes
      for (size_t i = 0; i < n; ++i) {
        offsets[i] = static_cast<uint32_t>(static_cast<size_t>(xs[i]) * step);
        if (std::endian::native == std::endian::little && offsets[i] + 4 <= stride) whole = i + 1;
      }
      const uint32_t* off = offsets.data();
      for (int y = top; y < bottom; ++y) {
        uint32_t* out = SurfaceRow(surface, y) + left;
        if (y > top && ys[y - top] == ys[y - top - 1]) {
          std::memcpy(out, SurfaceRow(surface, y - 1) + left, n * sizeof(uint32_t));
          continue;
        }
        const uint8_t* row = source_row(y);
        for (size_t i = 0; i < whole; ++i) {
          uint32_t v;
          std::memcpy(&v, row + off[i], 4);
          out[i] = 0xFF000000u | (v & 0x00FFFFFFu);
        }
        for (size_t i = whole; i < n; ++i) {
          const uint8_t* p = row + off[i];
          out[i] = 0xFF000000u | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
        }
      }
      return h_src;
    }
    for (int y = top; y < bottom; ++y) {
      const uint8_t* row = source_row(y);
      uint32_t* out = SurfaceRow(surface, y);
      for (int x = left; x < right; ++x) Put(out + x, DibPixel(row, xs[x - left], f.bpp, palette.data(), f.colors), rop);
    }
    return h_src;
  });
}

MV7_API int32_t _BoxFull(MvSurface* surface, int32_t left, int32_t top, int32_t right, int32_t bottom,
                         MVCOLORREF color) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    Clip clip;
    if (!SurfaceClip(surface, &clip) || right < left || bottom < top) return 0;
    FillRect(surface, clip, left, top, right, bottom, PixelOf(color));
    return 1;
  });
}

MV7_API int32_t _Box(MvSurface* surface, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     int32_t line_width, MVCOLORREF color) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    Clip clip;
    if (!SurfaceClip(surface, &clip) || right < left || bottom < top) return 0;
    const int w = std::max(1, line_width);
    const uint32_t pixel = PixelOf(color);
    const int inner_top = static_cast<int>(std::min<int64_t>(bottom, int64_t{top} + w));
    const int inner_bottom = static_cast<int>(std::max<int64_t>(inner_top, int64_t{bottom} - w));
    FillRect(surface, clip, left, top, right, inner_top, pixel);
    FillRect(surface, clip, left, inner_bottom, right, bottom, pixel);
    FillRect(surface, clip, left, inner_top, static_cast<int>(std::min<int64_t>(right, int64_t{left} + w)), inner_bottom, pixel);
    FillRect(surface, clip, static_cast<int>(std::max<int64_t>(left, int64_t{right} - w)), inner_top, right, inner_bottom, pixel);
    return 1;
  });
}

MV7_API int32_t CreateTransparentMaskBitmap(MVHANDLE dib, MVCOLORREF transparent, MVBITMAP* bitmap,
                                            MVBITMAP* mask) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (bitmap == nullptr || mask == nullptr) return 0;
    *bitmap = 0;
    *mask = 0;
    imaging::Image src;
    imaging::Image wide;
    if (!ImageFromMvHandle(dib, &src).ok() ||
        !imaging::ops::ConvertDepth(src, &wide, imaging::ops::DepthCode::kTrue32).ok())
      return 0;
    MVBITMAP b = NewBitmap(wide.width(), wide.height());
    MVBITMAP m = NewBitmap(wide.width(), wide.height());
    {
      LockedBlock bb(b), mb(m);
      BitmapView bv, mv;
      if (ViewBitmap(bb, &bv) && ViewBitmap(mb, &mv)) {
        const uint8_t* corner = wide.row(0);
        const uint32_t key = transparent == MV_COLOR_AUTO
                                 ? static_cast<uint32_t>(corner[2]) << 16 | static_cast<uint32_t>(corner[1]) << 8 | corner[0]
                                 : RgbOfPixel(PixelOf(transparent));
        for (int y = 0; y < bv.height; ++y) {
          const uint8_t* in = wide.row(y);
          uint32_t* bo = bv.row(y);
          uint32_t* mo = mv.row(y);
          for (int x = 0; x < bv.width; ++x) {
            const uint8_t* p = in + x * 4;
            const uint32_t rgb = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
            const bool clear = rgb == key;
            bo[x] = clear ? 0xFF000000u : 0xFF000000u | rgb;
            mo[x] = clear ? 0xFFFFFFFFu : 0xFF000000u;
          }
        }
        *bitmap = b;
        *mask = m;
        return 1;
      }
    }
    MVFreeMemory(b);
    MVFreeMemory(m);
    return 0;
  });
}

MV7_API int32_t TransparentMaskStretchBlt(MvSurface* surface, int32_t x_dst, int32_t y_dst, int32_t w_dst,
                                          int32_t h_dst, MVBITMAP bitmap, MVBITMAP mask, int32_t x_src,
                                          int32_t y_src, int32_t w_src, int32_t h_src) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    Clip clip;
    if (!SurfaceClip(surface, &clip) || w_dst < 1 || h_dst < 1 || w_src < 1 || h_src < 1) return 0;
    LockedBlock bb(bitmap), mb(mask);
    BitmapView bv, mv;
    if (!ViewBitmap(bb, &bv) || !ViewBitmap(mb, &mv) || bv.width != mv.width || bv.height != mv.height) return 0;
    if (x_src < 0 || y_src < 0 || x_src > bv.width - w_src || y_src > bv.height - h_src) return 0;
    const int left = std::max(clip.left, x_dst), right = static_cast<int>(std::min<int64_t>(clip.right, int64_t{x_dst} + w_dst));
    const int top = std::max(clip.top, y_dst), bottom = static_cast<int>(std::min<int64_t>(clip.bottom, int64_t{y_dst} + h_dst));
    if (left >= right || top >= bottom) return 1;
    const std::vector<int> xs = SampleMap(x_dst, w_dst, x_src, w_src, left, right);
    const std::vector<int> ys = SampleMap(y_dst, h_dst, y_src, h_src, top, bottom);
    for (int y = top; y < bottom; ++y) {
      const uint32_t* bo = bv.row(ys[y - top]);
      const uint32_t* mo = mv.row(ys[y - top]);
      uint32_t* out = SurfaceRow(surface, y);
      for (int x = left; x < right; ++x) {
        const int sx = xs[x - left];
        if (RgbOfPixel(mo[sx]) == 0) out[x] = bo[sx];
      }
    }
    return 1;
  });
}

}  // extern "C"

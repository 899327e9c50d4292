#include "thumb/dib_image.h"

#include <cstring>

#include "thumb/thumb_file.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"

namespace thumb {
namespace {

// A row with no transparent pixel as 24-bit samples, four pixels (three
// words) at a time; false, with nothing written, when a pixel is not
// opaque.
bool PackOpaqueRow(const QRgb* line, int w, uint8_t* row) {
  QRgb all = 0xFF000000u;
  for (int x = 0; x < w; ++x) all &= line[x];
  if ((all >> 24) != 0xFF) return false;
  int x = 0;
  for (; x + 4 <= w; x += 4) {
    // QRgb 0xAARRGGBB; the row wants B, G, R of each pixel in turn.
    const uint32_t a = line[x] & 0xFFFFFFu, b = line[x + 1] & 0xFFFFFFu, c = line[x + 2] & 0xFFFFFFu,
                   d = line[x + 3] & 0xFFFFFFu;
    const uint32_t words[3] = {a | b << 24, b >> 8 | c << 16, c >> 16 | d << 8};
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
      std::memcpy(row + 3 * x, words, 12);
      continue;
    }
    for (int i = 0; i < 12; ++i) row[3 * x + i] = static_cast<uint8_t>(words[i / 4] >> (8 * (i % 4)));
  }
  for (; x < w; ++x) {
    row[3 * x + 0] = static_cast<uint8_t>(qBlue(line[x]));
    row[3 * x + 1] = static_cast<uint8_t>(qGreen(line[x]));
    row[3 * x + 2] = static_cast<uint8_t>(qRed(line[x]));
  }
  return true;
}

}  // namespace

MVHANDLE DibHandleFromImage(const QImage& image, uint32_t background) {
  if (image.isNull()) return 0;
  const QImage src = image.convertToFormat(QImage::Format_ARGB32);
  const int w = src.width(), h = src.height();
  const size_t stride = (static_cast<size_t>(w) * 24 + 31) / 32 * 4;
  const size_t size = sizeof(MVBITMAPINFOHEADER) + stride * static_cast<size_t>(h);
  const MVHANDLE handle = imaging_dlls::GlobalAlloc(size);
  if (handle == 0) return 0;
  {
    imaging_dlls::LockedBlock block(handle);
    if (!block || block.size() < size) {
      imaging_dlls::GlobalFree(handle);
      return 0;
    }
    MVBITMAPINFOHEADER bi{};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    bi.biSizeImage = static_cast<uint32_t>(stride * static_cast<size_t>(h));
    bi.biXPelsPerMeter = src.dotsPerMeterX();
    bi.biYPelsPerMeter = src.dotsPerMeterY();
    auto* base = static_cast<uint8_t*>(block.data());
    std::memcpy(base, &bi, sizeof bi);
    const int bg_r = background & 0xFF, bg_g = (background >> 8) & 0xFF, bg_b = (background >> 16) & 0xFF;
    for (int y = 0; y < h; ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
      uint8_t* row = base + sizeof bi + stride * static_cast<size_t>(h - 1 - y);
      if (PackOpaqueRow(line, w, row)) continue;
      for (int x = 0; x < w; ++x) {
        const QRgb p = line[x];
        const int a = qAlpha(p);
        if (a == 255) {  // the usual case: no blending
          row[3 * x + 0] = static_cast<uint8_t>(qBlue(p));
          row[3 * x + 1] = static_cast<uint8_t>(qGreen(p));
          row[3 * x + 2] = static_cast<uint8_t>(qRed(p));
          continue;
        }
        auto blend = [a](int c, int bg) { return static_cast<uint8_t>((c * a + bg * (255 - a) + 127) / 255); };
        row[3 * x + 0] = blend(qBlue(p), bg_b);
        row[3 * x + 1] = blend(qGreen(p), bg_g);
        row[3 * x + 2] = blend(qRed(p), bg_r);
      }
    }
  }
  return handle;
}

bool ImageFromDibHandle(MVHANDLE handle, QImage* out) {
  imaging_dlls::LockedBlock dib(handle);
  if (!dib || dib.size() < sizeof(MVBITMAPINFOHEADER)) return false;
  const auto* base = static_cast<const uint8_t*>(dib.data());
  // The block must hold the whole picture its header describes.
  const size_t need = PackedDibSize(base, dib.size());
  if (need == 0 || need > dib.size()) return false;
  const auto* bi = static_cast<const MVBITMAPINFOHEADER*>(dib.data());
  const int w = bi->biWidth, h = bi->biHeight;  // both positive: checked above
  const int32_t pal = imaging_dlls::Call<&imaging_dlls::Table::GetDibPalSize>(-1, static_cast<const void*>(bi));
  if (w <= 0 || h <= 0 || pal < 0 || sizeof(MVBITMAPINFOHEADER) + static_cast<size_t>(pal) > dib.size()) return false;
  QImage img(w, h, QImage::Format_RGB32);
  if (img.isNull()) return false;
  img.fill(Qt::black);
  MvSurface s{};
  s.pixels = img.bits();
  s.width = w;
  s.height = h;
  s.stride = static_cast<int32_t>(img.bytesPerLine());
  const int32_t rows = imaging_dlls::Call<&imaging_dlls::Table::_StretchDIBits>(
      0, &s, 0, 0, w, h, 0, 0, w, h, static_cast<const void*>(base + sizeof(MVBITMAPINFOHEADER) + pal),
      static_cast<const void*>(bi), 0u, MV_SRCCOPY);
  if (rows <= 0) return false;
  // The resolution travels too (a PNG keeps it in its pHYs chunk).
  if (bi->biXPelsPerMeter > 0 && bi->biYPelsPerMeter > 0) {
    img.setDotsPerMeterX(bi->biXPelsPerMeter);
    img.setDotsPerMeterY(bi->biYPelsPerMeter);
  }
  *out = std::move(img);
  return true;
}

}  // namespace thumb

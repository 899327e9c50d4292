#include "imaging/control/internal/picture_convert.h"

#include <cmath>
#include <cstring>

#include "imaging/pixel_helpers.h"

namespace imaging::control {
namespace {

constexpr double kInchesPerMetre = 39.37007874;

void CopyDpi(const Image& image, QImage* q) {
  if (image.dpi_x() > 0) q->setDotsPerMeterX(static_cast<int>(std::lround(image.dpi_x() * kInchesPerMetre)));
  if (image.dpi_y() > 0) q->setDotsPerMeterY(static_cast<int>(std::lround(image.dpi_y() * kInchesPerMetre)));
}

int DpiOf(int dots_per_metre) {
  return dots_per_metre > 0 ? static_cast<int>(std::lround(dots_per_metre / kInchesPerMetre)) : 0;
}

}  // namespace

QImage ToQImage(const Image& image) {
  if (image.empty()) return {};
  const int w = image.width(), h = image.height(), bpp = image.bpp();
  QImage q;
  if (bpp <= 8) {
    q = QImage(w, h, QImage::Format_Indexed8);
    if (q.isNull()) return {};
    QList<QRgb> table;
    for (const PaletteEntry& e : image.palette()) table.push_back(qRgb(e.red, e.green, e.blue));
    while (table.size() < (1 << bpp)) table.push_back(qRgb(0, 0, 0));
    q.setColorTable(table);
    for (int y = 0; y < h; ++y) {
      const uint8_t* src = image.row(y);
      uchar* dst = q.scanLine(y);
      if (bpp == 8) {
        std::memcpy(dst, src, static_cast<size_t>(w));
      } else {
        for (int x = 0; x < w; ++x) dst[x] = static_cast<uchar>(PaletteIndexAt(src, x, bpp));
      }
    }
  } else {
    q = QImage(w, h, QImage::Format_RGB32);
    if (q.isNull()) return {};
    for (int y = 0; y < h; ++y) {
      const uint8_t* src = image.row(y);
      auto* dst = reinterpret_cast<QRgb*>(q.scanLine(y));
      if (bpp == 24) {
        for (int x = 0; x < w; ++x, src += 3) dst[x] = qRgb(src[2], src[1], src[0]);
      } else if (bpp == 32) {
        for (int x = 0; x < w; ++x, src += 4) dst[x] = qRgb(src[2], src[1], src[0]);
      } else {
        for (int x = 0; x < w; ++x) {
          const int v = src[2 * x] | (src[2 * x + 1] << 8);
          const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
          dst[x] = qRgb((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
        }
      }
    }
  }
  CopyDpi(image, &q);
  return q;
}

Result FromQImage(const QImage& qimage, Image* out) {
  if (qimage.isNull()) return Result(Status::kBadImage, "null image");
  const int w = qimage.width(), h = qimage.height();
  Image img;
  const QImage::Format f = qimage.format();
  if (f == QImage::Format_Mono || f == QImage::Format_MonoLSB || f == QImage::Format_Indexed8) {
    const QImage q8 = qimage.convertToFormat(QImage::Format_Indexed8);
    const QList<QRgb> table = q8.colorTable();
    const int bpp = (f == QImage::Format_Indexed8 || table.size() > 2) ? 8 : 1;
    if (Result r = Image::Create(w, h, bpp, &img); !r.ok()) return r;
    img.palette().clear();
    for (QRgb c : table)
      img.palette().push_back(PaletteEntry{static_cast<uint8_t>(qBlue(c)), static_cast<uint8_t>(qGreen(c)),
                                           static_cast<uint8_t>(qRed(c)), 0});
    for (int y = 0; y < h; ++y) {
      const uchar* src = q8.constScanLine(y);
      uint8_t* dst = img.row(y);
      if (bpp == 8) {
        std::memcpy(dst, src, static_cast<size_t>(w));
      } else {
        for (int x = 0; x < w; ++x)
          if (src[x]) dst[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
      }
    }
    img.set_gray(img.IsGrayPalette());
  } else if (qimage.hasAlphaChannel()) {
    const QImage q = qimage.convertToFormat(QImage::Format_ARGB32);
    if (Result r = Image::Create(w, h, 32, &img); !r.ok()) return r;
    for (int y = 0; y < h; ++y) std::memcpy(img.row(y), q.constScanLine(y), static_cast<size_t>(w) * 4);
  } else {
    const QImage q = qimage.convertToFormat(QImage::Format_RGB32);
    if (Result r = Image::Create(w, h, 24, &img); !r.ok()) return r;
    for (int y = 0; y < h; ++y) {
      const auto* src = reinterpret_cast<const QRgb*>(q.constScanLine(y));
      uint8_t* dst = img.row(y);
      for (int x = 0; x < w; ++x, dst += 3) {
        dst[0] = static_cast<uint8_t>(qBlue(src[x]));
        dst[1] = static_cast<uint8_t>(qGreen(src[x]));
        dst[2] = static_cast<uint8_t>(qRed(src[x]));
      }
    }
  }
  img.set_dpi(DpiOf(qimage.dotsPerMeterX()), DpiOf(qimage.dotsPerMeterY()));
  *out = std::move(img);
  return Result::Ok();
}

Result ToBgr24(const Image& image, Image* out) {
  if (image.empty()) return Result(Status::kBadImage, "empty picture");
  Image img;
  if (Result r = Image::Create(image.width(), image.height(), 24, &img); !r.ok()) return r;
  const int w = image.width(), bpp = image.bpp();
  for (int y = 0; y < image.height(); ++y) {
    const uint8_t* src = image.row(y);
    uint8_t* dst = img.row(y);
    if (bpp == 24) {
      std::memcpy(dst, src, static_cast<size_t>(w) * 3);
    } else if (bpp == 32) {
      for (int x = 0; x < w; ++x, src += 4, dst += 3) { dst[0] = src[0]; dst[1] = src[1]; dst[2] = src[2]; }
    } else if (bpp == 16) {
      for (int x = 0; x < w; ++x, dst += 3) {
        const int v = src[2 * x] | (src[2 * x + 1] << 8);
        const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        dst[0] = static_cast<uint8_t>((b << 3) | (b >> 2));
        dst[1] = static_cast<uint8_t>((g << 3) | (g >> 2));
        dst[2] = static_cast<uint8_t>((r << 3) | (r >> 2));
      }
    } else {
      const auto& pal = image.palette();
      for (int x = 0; x < w; ++x, dst += 3) {
        const size_t i = static_cast<size_t>(PaletteIndexAt(src, x, bpp));
        const PaletteEntry e = i < pal.size() ? pal[i] : PaletteEntry{};
        dst[0] = e.blue; dst[1] = e.green; dst[2] = e.red;
      }
    }
  }
  img.CopyMetadataFrom(image);
  img.set_gray(false);
  img.set_transparent_index(-1);
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace imaging::control

// TIFF encoding with libtiff: one page, strips of about 64 KiB.  1/4/8-bit
// pictures are written as grey when their palette is the plain ramp, as a
// palette picture otherwise; 16-bit becomes 24-bit RGB; 32-bit is RGB plus
// an extra sample (alpha when any pixel has one).
#include <tiffio.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "imaging/codecs/tiff_internal.h"

namespace imaging::codecs::internal {
namespace {

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};

bool IsRamp(const Image& img, bool inverted) {
  const int n = 1 << img.bpp();
  if (static_cast<int>(img.palette().size()) != n) return false;
  for (int i = 0; i < n; ++i) {
    int v = i * 255 / (n - 1);
    if (inverted) v = 255 - v;
    const PaletteEntry& e = img.palette()[i];
    if (e.red != v || e.green != v || e.blue != v) return false;
  }
  return true;
}

uint16_t CompressionTag(TiffCompression c) {
  switch (c) {
    case TiffCompression::kPackBits: return COMPRESSION_PACKBITS;
    case TiffCompression::kLzw: return COMPRESSION_LZW;
    case TiffCompression::kDeflate: return COMPRESSION_ADOBE_DEFLATE;
    case TiffCompression::kCcittG3: return COMPRESSION_CCITTFAX3;
    case TiffCompression::kCcittG4: return COMPRESSION_CCITTFAX4;
    case TiffCompression::kJpeg: return COMPRESSION_JPEG;
    default: return COMPRESSION_NONE;
  }
}

Result Fail(const char* what) { return Result(Status::kCannotWrite, std::string("TIFF write failed: ") + what); }

}  // namespace

Result TiffSave(const Image& image, const std::string& path, const SaveOptions& options) {
  if (image.empty()) return Result(Status::kBadImage, "no picture");
  const TiffCompression mode =
      options.type == SaveType::kTiffLzw ? TiffCompression::kLzw : options.tiff_compression;
  const uint16_t compression = CompressionTag(mode);
  const int bpp = image.bpp();
  const bool ccitt = mode == TiffCompression::kCcittG3 || mode == TiffCompression::kCcittG4;
  if (ccitt && bpp != 1) return Result(Status::kUnsupported, "CCITT compression needs a 1-bit picture");
  const bool grey_ramp = bpp <= 8 && IsRamp(image, false);
  const bool white_ramp = bpp == 1 && IsRamp(image, true);
  if (mode == TiffCompression::kJpeg && !(bpp == 24 || (bpp == 8 && grey_ramp)))
    return Result(Status::kUnsupported, "JPEG compression needs a 24-bit or 256-grey picture");

  std::unique_ptr<TIFF, TiffCloser> t(TIFFOpen(path.c_str(), "w"));
  if (!t) return Result(Status::kCannotCreate, "cannot create TIFF file");
  TIFF* tif = t.get();
  const int out_bpp = bpp == 16 ? 24 : bpp;
  const uint16_t spp = out_bpp == 24 ? 3 : out_bpp == 32 ? 4 : 1;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width()));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height()));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(spp == 1 ? bpp : 8));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);

  // CCITT codes 1 as black: write 1-bit pictures so that bit 1 is the darker entry.
  bool flip_bits = false;
  std::vector<uint16_t> map_r, map_g, map_b;
  if (spp == 1) {
    if (ccitt) {
      const auto lum = [](const PaletteEntry& e) { return e.red * 3 + e.green * 6 + e.blue; };
      const PaletteEntry zero = image.palette().size() > 0 ? image.palette()[0] : PaletteEntry{};
      const PaletteEntry one = image.palette().size() > 1 ? image.palette()[1] : PaletteEntry{255, 255, 255, 0};
      flip_bits = lum(one) > lum(zero);
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    } else if (grey_ramp) {
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    } else if (white_ramp) {
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    } else {
      const int n = 1 << bpp;
      map_r.assign(n, 0); map_g.assign(n, 0); map_b.assign(n, 0);
      for (int i = 0; i < n && i < static_cast<int>(image.palette().size()); ++i) {
        map_r[i] = static_cast<uint16_t>(image.palette()[i].red * 257);
        map_g[i] = static_cast<uint16_t>(image.palette()[i].green * 257);
        map_b[i] = static_cast<uint16_t>(image.palette()[i].blue * 257);
      }
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
      TIFFSetField(tif, TIFFTAG_COLORMAP, map_r.data(), map_g.data(), map_b.data());
    }
  } else if (mode == TiffCompression::kJpeg) {
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
    TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
  } else {
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  }
  if (mode == TiffCompression::kJpeg) TIFFSetField(tif, TIFFTAG_JPEGQUALITY, std::clamp(options.jpeg_quality, 1, 100));
  if (spp == 4) {
    bool alpha = false;
    for (int y = 0; y < image.height() && !alpha; ++y)
      for (int x = 0; x < image.width() && !alpha; ++x) alpha = image.row(y)[4 * x + 3] != 0;
    const uint16_t extra = alpha ? EXTRASAMPLE_UNASSALPHA : EXTRASAMPLE_UNSPECIFIED;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (image.dpi_x() > 0 && image.dpi_y() > 0) {
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(image.dpi_x()));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(image.dpi_y()));
  }
  const std::string& comment = !options.comment.empty() ? options.comment : image.comment();
  if (!comment.empty()) TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, comment.c_str());
  const size_t line_bytes = (static_cast<size_t>(image.width()) * out_bpp + 7) / 8;
  uint32_t rows = static_cast<uint32_t>(std::max<size_t>(1, 65536 / std::max<size_t>(line_bytes, 1)));
  if (mode == TiffCompression::kJpeg) rows = std::max<uint32_t>(16, rows / 16 * 16);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::min<uint32_t>(rows, static_cast<uint32_t>(image.height())));

  std::vector<uint8_t> line(line_bytes);
  for (int y = 0; y < image.height(); ++y) {
    const uint8_t* s = image.row(y);
    if (spp == 1) {
      std::copy(s, s + line_bytes, line.begin());
      if (flip_bits) for (uint8_t& b : line) b = static_cast<uint8_t>(~b);
    } else {
      for (int x = 0; x < image.width(); ++x) {
        uint32_t rgb = image.PixelRgb(x, y);
        uint8_t* d = line.data() + static_cast<size_t>(x) * spp;
        d[0] = (rgb >> 16) & 0xFF; d[1] = (rgb >> 8) & 0xFF; d[2] = rgb & 0xFF;
        if (spp == 4) d[3] = s[4 * x + 3];
      }
    }
    if (TIFFWriteScanline(tif, line.data(), static_cast<uint32_t>(y), 0) < 0) return Fail("picture data");
  }
  if (!TIFFWriteDirectory(tif)) return Fail("directory");
  TIFFClose(t.release());
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

// TIFF decoding with libtiff from memory.  Plain strip-organised pictures
// (palette, grey, RGB, RGBA, 8 or 16 bits per sample) are read line by line
// into the matching depth; tiled, planar, CMYK, YCbCr and other layouts go
// through libtiff's RGBA renderer.  Errors are caught per handle, and
// libtiff's own allocations are capped.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/codecs/tiff_internal.h"

namespace imaging::codecs::internal {
namespace {

struct Memory {
  const uint8_t* data;
  size_t size;
  uint64_t pos;
  std::string error;
};

tmsize_t MemRead(thandle_t h, void* buf, tmsize_t n) {
  auto* m = static_cast<Memory*>(h);
  if (n <= 0 || m->pos >= m->size) return 0;
  const size_t k = std::min<uint64_t>(static_cast<uint64_t>(n), m->size - m->pos);
  std::memcpy(buf, m->data + m->pos, k);
  m->pos += k;
  return static_cast<tmsize_t>(k);
}
tmsize_t MemWrite(thandle_t, void*, tmsize_t) { return 0; }
toff_t MemSeek(thandle_t h, toff_t off, int whence) {
  auto* m = static_cast<Memory*>(h);
  uint64_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? m->size : 0;
  m->pos = base + off;
  return m->pos;
}
int MemClose(thandle_t) { return 0; }
toff_t MemSize(thandle_t h) { return static_cast<Memory*>(h)->size; }
int MemMap(thandle_t h, void** base, toff_t* size) {
  auto* m = static_cast<Memory*>(h);
  *base = const_cast<uint8_t*>(m->data);
  *size = m->size;
  return 1;
}
void MemUnmap(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char*, const char* fmt, va_list ap) {
  auto* m = static_cast<Memory*>(user);
  if (m->error.empty()) {
    char buf[256];
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    m->error = buf;
  }
  return 1;
}
int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TiffPtr Open(Memory* m) {
  TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(opts, &OnError, m);
  TIFFOpenOptionsSetWarningHandlerExtR(opts, &OnWarning, m);
  TIFFOpenOptionsSetMaxSingleMemAlloc(opts, 256 << 20);
  TIFF* t = TIFFClientOpenExt("memory", "rm", m, MemRead, MemWrite, MemSeek, MemClose, MemSize, MemMap, MemUnmap,
                              opts);
  TIFFOpenOptionsFree(opts);
  return TiffPtr(t);
}

bool Magic(const uint8_t* d, size_t n) {
  return n >= 4 && ((d[0] == 'I' && d[1] == 'I' && (d[2] == 42 || d[2] == 43) && d[3] == 0) ||
                    (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && (d[3] == 42 || d[3] == 43)));
}

Result Broken(const Memory& m, const char* what) {
  return Result(Status::kBroken, std::string("TIFF ") + what + (m.error.empty() ? "" : ": " + m.error));
}

struct Layout {
  uint32_t width = 0, height = 0;
  uint16_t bps = 1, spp = 1, photometric = PHOTOMETRIC_MINISBLACK, planar = PLANARCONFIG_CONTIG;
  uint16_t compression = COMPRESSION_NONE;
  uint16_t extra_count = 0;
  uint16_t extra_type = EXTRASAMPLE_UNSPECIFIED;
  bool direct = false;  // read by scanlines into `bpp`
  int bpp = 24;
  int dpi_x = 0, dpi_y = 0;
};

Layout Describe(TIFF* t) {
  Layout l;
  TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &l.width);
  TIFFGetField(t, TIFFTAG_IMAGELENGTH, &l.height);
  TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &l.bps);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &l.spp);
  TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &l.planar);
  TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &l.compression);
  if (!TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &l.photometric))
    l.photometric = l.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  uint16_t* extra = nullptr;
  if (TIFFGetField(t, TIFFTAG_EXTRASAMPLES, &l.extra_count, &extra) && l.extra_count > 0 && extra)
    l.extra_type = extra[0];
  float xr = 0, yr = 0;
  uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(t, TIFFTAG_RESOLUTIONUNIT, &unit);
  const double scale = unit == RESUNIT_CENTIMETER ? 2.54 : unit == RESUNIT_INCH ? 1.0 : 0.0;
  if (TIFFGetField(t, TIFFTAG_XRESOLUTION, &xr) && std::isfinite(xr) && xr > 0 && xr * scale < 1e6)
    l.dpi_x = static_cast<int>(std::lround(xr * scale));
  if (TIFFGetField(t, TIFFTAG_YRESOLUTION, &yr) && std::isfinite(yr) && yr > 0 && yr * scale < 1e6)
    l.dpi_y = static_cast<int>(std::lround(yr * scale));

  if (l.compression == COMPRESSION_JPEG && l.photometric == PHOTOMETRIC_YCBCR) {
    TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    l.photometric = PHOTOMETRIC_RGB;
  }
  const bool strips = !TIFFIsTiled(t) && (l.planar == PLANARCONFIG_CONTIG || l.spp == 1);
  const bool grey = l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
  if (strips && l.spp == 1 && (grey || l.photometric == PHOTOMETRIC_PALETTE) &&
      (l.bps == 1 || l.bps == 4 || l.bps == 8 || (l.bps == 16 && grey))) {
    l.direct = true;
    l.bpp = l.bps == 16 ? 8 : l.bps;
  } else if (strips && l.photometric == PHOTOMETRIC_RGB && (l.spp == 3 || l.spp == 4) &&
             (l.bps == 8 || l.bps == 16)) {
    l.direct = true;
    l.bpp = l.spp == 3 ? 24 : 32;
  } else {
    l.bpp = l.extra_count > 0 && (l.extra_type == EXTRASAMPLE_ASSOCALPHA || l.extra_type == EXTRASAMPLE_UNASSALPHA)
                ? 32 : 24;
  }
  return l;
}

Result OpenPage(Memory* m, int index, TiffPtr* out, int* count) {
  if (!Magic(m->data, m->size)) return Result(Status::kBadFile, "not a TIFF file");
  if (index < 0) return Result(Status::kBadValue, "negative page index");
  TiffPtr t = Open(m);
  if (!t) return Broken(*m, "header");
  const int pages = TIFFNumberOfDirectories(t.get());
  if (index >= pages) return Result(Status::kBadValue, "TIFF page index out of range");
  if (!TIFFSetDirectory(t.get(), static_cast<tdir_t>(index))) return Broken(*m, "directory");
  *count = pages;
  *out = std::move(t);
  return Result::Ok();
}

Result ReadDirect(TIFF* t, const Layout& l, Memory* m, Image* img) {
  if (l.photometric == PHOTOMETRIC_PALETTE) {
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(t, TIFFTAG_COLORMAP, &r, &g, &b)) return Broken(*m, "palette missing");
    const int n = 1 << l.bps;
    // Some writers store 8-bit values in the 16-bit colour map.
    bool eight = true;
    for (int i = 0; i < n; ++i) eight = eight && r[i] < 256 && g[i] < 256 && b[i] < 256;
    const int shift = eight ? 0 : 8;
    for (int i = 0; i < n; ++i)
      img->palette()[i] = PaletteEntry{uint8_t(b[i] >> shift), uint8_t(g[i] >> shift), uint8_t(r[i] >> shift), 0};
  } else if (l.bpp <= 8) {
    const int n = 1 << l.bpp;
    for (int i = 0; i < n; ++i) {
      uint8_t v = static_cast<uint8_t>(i * 255 / (n - 1));
      if (l.photometric == PHOTOMETRIC_MINISWHITE) v = static_cast<uint8_t>(255 - v);
      img->palette()[i] = PaletteEntry{v, v, v, 0};
    }
    img->set_gray(true);
  }
  const tmsize_t line_size = TIFFScanlineSize(t);
  if (line_size <= 0) return Broken(*m, "line size");
  std::vector<uint8_t> line(static_cast<size_t>(line_size));
  const size_t row_bytes = (static_cast<size_t>(l.width) * l.bpp + 7) / 8;
  for (uint32_t y = 0; y < l.height; ++y) {
    if (TIFFReadScanline(t, line.data(), y, 0) < 0) return Broken(*m, "picture data");
    uint8_t* d = img->row(static_cast<int>(y));
    if (l.bpp <= 8 && l.bps <= 8) {
      std::memcpy(d, line.data(), std::min(row_bytes, line.size()));
    } else if (l.bpp == 8) {  // 16-bit grey, high byte
      const uint16_t* s = reinterpret_cast<const uint16_t*>(line.data());
      for (uint32_t x = 0; x < l.width; ++x) d[x] = static_cast<uint8_t>(s[x] >> 8);
    } else {
      const int out_n = l.bpp / 8;
      for (uint32_t x = 0; x < l.width; ++x) {
        uint8_t v[4] = {0, 0, 0, 255};
        for (int c = 0; c < l.spp && c < 4; ++c)
          v[c] = l.bps == 8 ? line[x * l.spp + c]
                            : static_cast<uint8_t>(reinterpret_cast<const uint16_t*>(line.data())[x * l.spp + c] >> 8);
        if (l.spp == 4 && l.extra_type == EXTRASAMPLE_ASSOCALPHA && v[3] > 0 && v[3] < 255)
          for (int c = 0; c < 3; ++c) v[c] = static_cast<uint8_t>(std::min(255, v[c] * 255 / v[3]));
        uint8_t* p = d + static_cast<size_t>(x) * out_n;
        p[0] = v[2]; p[1] = v[1]; p[2] = v[0];
        if (out_n == 4) p[3] = v[3];
      }
    }
  }
  return Result::Ok();
}

Result ReadRgba(TIFF* t, const Layout& l, Memory* m, Image* img) {
  char message[1024];
  if (!TIFFRGBAImageOK(t, message)) return Result(Status::kUnsupported, std::string("TIFF layout: ") + message);
  std::vector<uint32_t> raster;
  try {
    raster.resize(static_cast<size_t>(l.width) * l.height);
  } catch (const std::bad_alloc&) {
    return Result(Status::kMemory, "out of memory");
  }
  if (!TIFFReadRGBAImageOriented(t, l.width, l.height, raster.data(), ORIENTATION_TOPLEFT, 0))
    return Broken(*m, "picture data");
  const int n = img->bpp() / 8;
  for (uint32_t y = 0; y < l.height; ++y) {
    uint8_t* d = img->row(static_cast<int>(y));
    const uint32_t* s = raster.data() + static_cast<size_t>(y) * l.width;
    for (uint32_t x = 0; x < l.width; ++x, d += n) {
      d[0] = static_cast<uint8_t>(TIFFGetB(s[x]));
      d[1] = static_cast<uint8_t>(TIFFGetG(s[x]));
      d[2] = static_cast<uint8_t>(TIFFGetR(s[x]));
      if (n == 4) d[3] = static_cast<uint8_t>(TIFFGetA(s[x]));
    }
  }
  return Result::Ok();
}

}  // namespace

Result TiffReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info) {
  Memory m{data, size, 0, {}};
  TiffPtr t;
  int count = 0;
  if (Result r = OpenPage(&m, index, &t, &count); !r.ok()) return r;
  const Layout l = Describe(t.get());
  if (l.width == 0 || l.height == 0) return Broken(m, "picture has no size");
  FileInfo i;
  i.format = FileFormat::kTiff;
  i.width = static_cast<int>(std::min<uint32_t>(l.width, INT32_MAX));
  i.height = static_cast<int>(std::min<uint32_t>(l.height, INT32_MAX));
  i.bpp = l.bpp;
  i.gray = l.bpp <= 8 && l.photometric != PHOTOMETRIC_PALETTE;
  i.image_count = count;
  i.dpi_x = l.dpi_x;
  i.dpi_y = l.dpi_y;
  *info = i;
  return Result::Ok();
}

Result TiffLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) {
  Memory m{data, size, 0, {}};
  TiffPtr t;
  int count = 0;
  if (Result r = OpenPage(&m, options.image_index, &t, &count); !r.ok()) return r;
  const Layout l = Describe(t.get());
  if (l.width == 0 || l.height == 0) return Broken(m, "picture has no size");
  if (l.width > static_cast<uint32_t>(kMaxDimension) || l.height > static_cast<uint32_t>(kMaxDimension))
    return Result(Status::kMemory, "TIFF picture exceeds the engine's limit");
  Image img;
  if (Result r = Image::Create(static_cast<int>(l.width), static_cast<int>(l.height), l.bpp, &img); !r.ok()) return r;
  if (Result r = l.direct ? ReadDirect(t.get(), l, &m, &img) : ReadRgba(t.get(), l, &m, &img); !r.ok()) return r;
  img.set_dpi(l.dpi_x, l.dpi_y);
  char* text = nullptr;
  if (TIFFGetField(t.get(), TIFFTAG_IMAGEDESCRIPTION, &text) && text) img.set_comment(text);
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

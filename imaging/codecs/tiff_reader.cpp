// TIFF decoding with libtiff from memory.  Strip-organised pictures
// (palette; grey, RGB and CMYK of 1 to 16 bits per sample, contiguous or
// in separate planes, whatever the compression) are read line by line and
// reduced to the engine's depths here: 16-bit samples keep their high
// byte, other depths are scaled by their range.  Tiled, YCbCr and other
// layouts go through libtiff's RGBA renderer, a band at a time.  The
// orientation tag is applied last.  Bounded loads shrink while decoding;
// errors are caught per handle, and libtiff's own allocations are capped.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/codecs/internal/reduced_picture.h"
#include "imaging/codecs/tiff_internal.h"
#include "imaging/ops/rotate.h"

namespace imaging::codecs::internal {
namespace {

// The file libtiff reads: a buffer, or a byte source read where libtiff
// seeks (headers only: no mapping, so no more than the directories is read).
struct Memory {
  const uint8_t* data;
  size_t size;
  uint64_t pos;
  std::string error;
  ByteSource* source = nullptr;
};

tmsize_t MemRead(thandle_t h, void* buf, tmsize_t n) {
  auto* m = static_cast<Memory*>(h);
  if (n <= 0 || m->pos >= m->size) return 0;
  if (m->source != nullptr) {
    const size_t k = m->source->ReadAt(m->pos, buf, static_cast<size_t>(n));
    m->pos += k;
    return static_cast<tmsize_t>(k);
  }
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
  if (m->source != nullptr) return 0;
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
  // Mapped ("r", not "rm"): libtiff 4.5 misreads tiles of files it reads
  // without a mapping.
  TIFF* t = TIFFClientOpenExt("memory", m->source != nullptr ? "rm" : "r", m, MemRead, MemWrite, MemSeek, MemClose, MemSize, MemMap, MemUnmap,
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
  uint16_t sample_format = SAMPLEFORMAT_UINT;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  uint16_t extra_count = 0;
  uint16_t extra_type = EXTRASAMPLE_UNSPECIFIED;
  bool direct = false;  // read by scanlines and converted here
  int bpp = 24;
  int dpi_x = 0, dpi_y = 0;
};

bool HasAlpha(const Layout& l) {
  return l.extra_count > 0 && (l.extra_type == EXTRASAMPLE_ASSOCALPHA || l.extra_type == EXTRASAMPLE_UNASSALPHA);
}

Layout Describe(TIFF* t) {
  Layout l;
  TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &l.width);
  TIFFGetField(t, TIFFTAG_IMAGELENGTH, &l.height);
  TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &l.bps);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &l.spp);
  TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &l.planar);
  TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &l.compression);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &l.sample_format);
  TIFFGetFieldDefaulted(t, TIFFTAG_ORIENTATION, &l.orientation);
  if (l.orientation < 1 || l.orientation > 8) l.orientation = ORIENTATION_TOPLEFT;
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
  uint16_t inkset = INKSET_CMYK;
  TIFFGetFieldDefaulted(t, TIFFTAG_INKSET, &inkset);
  const bool strips = !TIFFIsTiled(t);
  const bool whole_samples = l.sample_format == SAMPLEFORMAT_UINT && l.bps >= 1 && l.bps <= 16;
  const bool grey = l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
  const int colour_samples = l.photometric == PHOTOMETRIC_SEPARATED ? 4 : 3;
  if (strips && whole_samples && grey && l.spp >= 1) {
    l.direct = true;
    l.bpp = (l.bps == 1 || l.bps == 4) && l.spp == 1 ? l.bps : 8;
  } else if (strips && whole_samples && l.photometric == PHOTOMETRIC_PALETTE && l.spp == 1 &&
             (l.bps == 1 || l.bps == 4 || l.bps == 8)) {
    l.direct = true;
    l.bpp = l.bps;
  } else if (strips && whole_samples && (l.photometric == PHOTOMETRIC_RGB ||
                                         (l.photometric == PHOTOMETRIC_SEPARATED && inkset == INKSET_CMYK)) &&
             l.spp >= colour_samples) {
    l.direct = true;
    l.bpp = l.photometric == PHOTOMETRIC_RGB && l.spp > 3 && HasAlpha(l) ? 32 : 24;
  } else {
    l.bpp = HasAlpha(l) ? 32 : 24;
  }
  return l;
}

Result OpenPage(Memory* m, int index, TiffPtr* out, int* count) {
  uint8_t head[4] = {};
  const uint8_t* start = m->data;
  if (m->source != nullptr) start = m->source->ReadAt(0, head, sizeof head) == sizeof head ? head : nullptr;
  if (start == nullptr || !Magic(start, m->size)) return Result(Status::kBadFile, "not a TIFF file");
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

// Sample `i` of a row of `bps`-bit samples, scaled to 8 bits: 16-bit
// samples keep their high byte, other depths are scaled by their range.
// libtiff hands 16-bit samples over in the machine's byte order and packs
// other depths most significant bit first.
uint8_t SampleOf(const uint8_t* row, size_t i, int bps) {
  switch (bps) {
    case 8: return row[i];
    case 16: return static_cast<uint8_t>(reinterpret_cast<const uint16_t*>(row)[i] >> 8);
    default: {
      const uint64_t bit = i * static_cast<uint64_t>(bps);
      uint32_t v = 0;
      for (int b = 0; b < bps; ++b) {
        const uint64_t at = bit + static_cast<uint64_t>(b);
        v = (v << 1) | ((row[at >> 3] >> (7 - (at & 7))) & 1u);
      }
      const uint32_t max = (1u << bps) - 1;
      return static_cast<uint8_t>((v * 255 + max / 2) / max);
    }
  }
}

void SetPalette(TIFF* t, const Layout& l, Image* img) {
  if (l.photometric == PHOTOMETRIC_PALETTE) {
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(t, TIFFTAG_COLORMAP, &r, &g, &b)) return;
    const int n = 1 << l.bps;
    // Some writers store 8-bit values in the 16-bit colour map.
    bool eight = true;
    for (int i = 0; i < n; ++i) eight = eight && r[i] < 256 && g[i] < 256 && b[i] < 256;
    const int shift = eight ? 0 : 8;
    img->palette().resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
      img->palette()[i] = PaletteEntry{uint8_t(b[i] >> shift), uint8_t(g[i] >> shift), uint8_t(r[i] >> shift), 0};
    return;
  }
  if (l.bpp > 8) return;
  const int n = 1 << l.bpp;
  img->palette().resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    uint8_t v = static_cast<uint8_t>(i * 255 / (n - 1));
    if (l.photometric == PHOTOMETRIC_MINISWHITE) v = static_cast<uint8_t>(255 - v);
    img->palette()[i] = PaletteEntry{v, v, v, 0};
  }
  img->set_gray(true);
}

// Reads the strips line by line (every sample plane of a separated file)
// and hands each row, converted to the picture's depth, to `pic`.
Result ReadDirect(TIFF* t, const Layout& l, Memory* m, ReducedPicture* pic) {
  if (l.photometric == PHOTOMETRIC_PALETTE) {
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(t, TIFFTAG_COLORMAP, &r, &g, &b)) return Broken(*m, "palette missing");
  }
  const tmsize_t line_size = TIFFScanlineSize(t);
  if (line_size <= 0) return Broken(*m, "line size");
  const bool separate = l.planar == PLANARCONFIG_SEPARATE && l.spp > 1;
  const int planes = separate ? l.spp : 1;
  const int per_pixel = separate ? 1 : l.spp;  // samples a pixel in one line
  const uint64_t need = (uint64_t{l.width} * per_pixel * l.bps + 7) / 8;
  if (static_cast<uint64_t>(line_size) < need) return Broken(*m, "line size");
  std::vector<uint8_t> lines(static_cast<size_t>(line_size) * planes);
  const size_t row_bytes = Image::RowBytes(static_cast<int>(l.width), l.bpp);
  std::vector<uint8_t> row(row_bytes);
  const bool grey = l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
  const bool cmyk = l.photometric == PHOTOMETRIC_SEPARATED;
  const int n = l.bpp / 8;
  // Sample `c` of pixel `x`, scaled to 8 bits.
  auto sample = [&](uint32_t x, int c) -> uint8_t {
    if (separate) return SampleOf(lines.data() + static_cast<size_t>(c) * line_size, x, l.bps);
    return SampleOf(lines.data(), static_cast<size_t>(x) * l.spp + c, l.bps);
  };
  // Separate planes are read a strip of every plane at a time (reading
  // them line by line would go back and forth inside compressed strips).
  uint32_t rows_per_strip = l.height;
  TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &rows_per_strip);
  rows_per_strip = std::clamp<uint32_t>(rows_per_strip, 1, l.height);
  std::vector<uint8_t> strips;
  if (separate) {
    const uint64_t bytes = uint64_t{rows_per_strip} * static_cast<uint64_t>(line_size) * planes;
    if (bytes > (256u << 20)) return Result(Status::kMemory, "TIFF strips too large");
    strips.resize(static_cast<size_t>(bytes));
  }
  const uint32_t strips_per_plane = (l.height + rows_per_strip - 1) / rows_per_strip;
  for (uint32_t y = 0; y < l.height; ++y) {
    // Compressed data is read in order, so every line is decoded even when
    // the reduced picture skips it.
    if (!separate) {
      if (TIFFReadScanline(t, lines.data(), y, 0) < 0) return Broken(*m, "picture data");
    } else {
      const uint32_t band = y / rows_per_strip, in_band = y % rows_per_strip;
      const size_t plane_bytes = static_cast<size_t>(rows_per_strip) * line_size;
      if (in_band == 0)
        for (int p = 0; p < planes; ++p)
          if (TIFFReadEncodedStrip(t, static_cast<uint32_t>(p) * strips_per_plane + band,
                                   strips.data() + p * plane_bytes, static_cast<tmsize_t>(plane_bytes)) < 0)
            return Broken(*m, "picture data");
      for (int p = 0; p < planes; ++p)
        std::memcpy(lines.data() + static_cast<size_t>(p) * line_size,
                    strips.data() + p * plane_bytes + static_cast<size_t>(in_band) * line_size,
                    static_cast<size_t>(line_size));
    }
    if (!pic->Wants(static_cast<int>(y))) continue;
    if (l.bpp < 8 || (l.bpp == 8 && l.bps == 8 && l.spp == 1)) {
      std::memcpy(row.data(), lines.data(), (static_cast<size_t>(l.width) * l.bpp + 7) / 8);
    } else if (l.bpp == 8) {  // grey of another depth, or with extra samples (the palette inverts white-is-zero)
      for (uint32_t x = 0; x < l.width; ++x) row[x] = sample(x, 0);
    } else {
      for (uint32_t x = 0; x < l.width; ++x) {
        uint8_t v[4] = {0, 0, 0, 255};
        if (grey) {
          v[0] = v[1] = v[2] = sample(x, 0);
        } else if (cmyk) {
          const int k = 255 - sample(x, 3);
          for (int c = 0; c < 3; ++c) v[c] = static_cast<uint8_t>(((255 - sample(x, c)) * k + 127) / 255);
        } else {
          for (int c = 0; c < 3; ++c) v[c] = sample(x, c);
          if (n == 4) v[3] = sample(x, 3);
          if (n == 4 && l.extra_type == EXTRASAMPLE_ASSOCALPHA && v[3] > 0 && v[3] < 255)
            for (int c = 0; c < 3; ++c) v[c] = static_cast<uint8_t>(std::min(255, v[c] * 255 / v[3]));
        }
        uint8_t* p = row.data() + static_cast<size_t>(x) * n;
        p[0] = v[2];
        p[1] = v[1];
        p[2] = v[0];
        if (n == 4) p[3] = v[3];
      }
    }
    pic->PutRow(static_cast<int>(y), row.data());
  }
  return Result::Ok();
}

// Everything else goes through libtiff's RGBA renderer, a band of rows at
// a time, in the file's own row order (orientation is applied afterwards).
Result ReadRgba(TIFF* t, const Layout& l, Memory* m, ReducedPicture* pic) {
  char message[1024];
  if (!TIFFRGBAImageOK(t, message)) return Result(Status::kUnsupported, std::string("TIFF layout: ") + message);
  TIFFRGBAImage rgba{};
  if (!TIFFRGBAImageBegin(&rgba, t, 0, message)) return Broken(*m, "layout");
  rgba.req_orientation = ORIENTATION_TOPLEFT;
  rgba.orientation = ORIENTATION_TOPLEFT;  // rows as stored
  const uint32_t band = std::max<uint32_t>(1, std::min<uint32_t>(l.height, (16u << 20) / (4 * l.width + 1)));
  std::vector<uint32_t> raster;
  try {
    raster.resize(static_cast<size_t>(l.width) * band);
  } catch (const std::bad_alloc&) {
    TIFFRGBAImageEnd(&rgba);
    return Result(Status::kMemory, "out of memory");
  }
  const int n = l.bpp / 8;
  std::vector<uint8_t> row(static_cast<size_t>(l.width) * n);
  bool ok = true;
  for (uint32_t y0 = 0; ok && y0 < l.height; y0 += band) {
    const uint32_t rows = std::min(band, l.height - y0);
    rgba.row_offset = static_cast<int>(y0);
    rgba.col_offset = 0;
    ok = TIFFRGBAImageGet(&rgba, raster.data(), l.width, rows) != 0;
    for (uint32_t r = 0; ok && r < rows; ++r) {
      const int y = static_cast<int>(y0 + r);
      if (!pic->Wants(y)) continue;
      const uint32_t* s = raster.data() + static_cast<size_t>(r) * l.width;
      uint8_t* d = row.data();
      for (uint32_t x = 0; x < l.width; ++x, d += n) {
        d[0] = static_cast<uint8_t>(TIFFGetB(s[x]));
        d[1] = static_cast<uint8_t>(TIFFGetG(s[x]));
        d[2] = static_cast<uint8_t>(TIFFGetR(s[x]));
        if (n == 4) d[3] = static_cast<uint8_t>(TIFFGetA(s[x]));
      }
      pic->PutRow(y, row.data());
    }
  }
  TIFFRGBAImageEnd(&rgba);
  return ok ? Result::Ok() : Broken(*m, "picture data");
}

// Turns a picture decoded in stored order upright as the orientation tag
// says: 2 to 4 mirror it, 5 to 8 also swap rows and columns (6 is turned a
// quarter clockwise, 8 a quarter anticlockwise).
Result Orient(int orientation, Image* img) {
  ops::Flip flip = ops::Flip::kNone;
  int angle = 0;
  switch (orientation) {
    case ORIENTATION_TOPRIGHT: flip = ops::Flip::kHorizontal; break;
    case ORIENTATION_BOTRIGHT: angle = 18000; break;
    case ORIENTATION_BOTLEFT: flip = ops::Flip::kVertical; break;
    case ORIENTATION_LEFTTOP: flip = ops::Flip::kHorizontal; angle = 9000; break;
    case ORIENTATION_RIGHTTOP: angle = 27000; break;
    case ORIENTATION_RIGHTBOT: flip = ops::Flip::kHorizontal; angle = 27000; break;
    case ORIENTATION_LEFTBOT: angle = 9000; break;
    default: return Result::Ok();
  }
  return ops::RotateImage(*img, img, angle, flip);
}

// The most bytes one byte of data can decode to, per compression; 0 when
// no bound is known.  LZW codes of 9 bits yield at most 4096 bytes each;
// deflate inflates at most 1032 to 1; a JPEG 8 x 8 block takes at least
// two bits; a CCITT row takes at least one bit (a blank G4 row), so a
// byte holds at most eight rows.
uint64_t MostBytesPerByte(uint16_t compression, uint64_t row_bytes) {
  switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;
    case COMPRESSION_LZW: return 4096 * 8 / 9 + 1;
    case COMPRESSION_DEFLATE:
    case COMPRESSION_ADOBE_DEFLATE: return 1032;
    case COMPRESSION_JPEG: return 1024;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4: return 8 * row_bytes;
    default: return 0;
  }
}

// False when the strips or tiles present in the file cannot possibly
// decode to the picture's size: a small file claiming a big picture is
// refused before anything is allocated for it.
bool DataCanHold(TIFF* t, const Layout& l, size_t file_size) {
  const uint64_t row_bytes = (uint64_t{l.width} * l.spp * l.bps + 7) / 8;
  const uint64_t ratio = MostBytesPerByte(l.compression, row_bytes);
  if (ratio == 0) return true;
  const uint32_t pieces = TIFFIsTiled(t) ? TIFFNumberOfTiles(t) : TIFFNumberOfStrips(t);
  uint64_t stored = 0;
  for (uint32_t i = 0; i < pieces && stored < file_size; ++i) stored += TIFFGetStrileByteCount(t, i);
  stored = std::min<uint64_t>(stored, file_size);
  return stored * ratio + 65536 >= row_bytes * l.height;
}

}  // namespace

namespace {

Result PageInfo(TIFF* t, const Memory& m, int count, FileInfo* info) {
  const Layout l = Describe(t);
  if (l.width == 0 || l.height == 0) return Broken(m, "picture has no size");
  FileInfo i;
  i.format = FileFormat::kTiff;
  const bool turned = l.orientation >= ORIENTATION_LEFTTOP;
  i.width = static_cast<int>(std::min<uint32_t>(turned ? l.height : l.width, INT32_MAX));
  i.height = static_cast<int>(std::min<uint32_t>(turned ? l.width : l.height, INT32_MAX));
  i.bpp = l.bpp;
  i.gray = l.bpp <= 8 && l.photometric != PHOTOMETRIC_PALETTE;
  i.image_count = count;
  i.dpi_x = turned ? l.dpi_y : l.dpi_x;
  i.dpi_y = turned ? l.dpi_x : l.dpi_y;
  *info = i;
  return Result::Ok();
}

}  // namespace

Result TiffReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info) {
  Memory m{data, size, 0, {}};
  TiffPtr t;
  int count = 0;
  if (Result r = OpenPage(&m, index, &t, &count); !r.ok()) return r;
  return PageInfo(t.get(), m, count, info);
}

Result TiffReadPages(ByteSource* source, int first, int max, std::vector<FileInfo>* pages) {
  pages->clear();
  Memory m{nullptr, static_cast<size_t>(std::min<uint64_t>(source->size(), SIZE_MAX)), 0, {}, source};
  TiffPtr t;
  int count = 0;
  if (Result r = OpenPage(&m, first, &t, &count); !r.ok()) return r;
  const int last = static_cast<int>(std::min<int64_t>(count, int64_t{first} + (max < 1 ? 1 : max)));
  for (int page = first; page < last; ++page) {
    // The directories are read in file order, each once.
    if (page > first && !TIFFReadDirectory(t.get())) break;
    FileInfo info;
    if (Result r = PageInfo(t.get(), m, count, &info); !r.ok()) {
      if (page == first) return r;
      info = FileInfo{};  // an unreadable page
    }
    info.image_count = count;
    pages->push_back(info);
  }
  return Result::Ok();
}

Result TiffLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) {
  Memory m{data, size, 0, {}};
  TiffPtr t;
  int count = 0;
  if (Result r = OpenPage(&m, options.image_index, &t, &count); !r.ok()) return r;
  const Layout l = Describe(t.get());
  if (l.width == 0 || l.height == 0) return Broken(m, "picture has no size");
  if (Result r = CheckPictureSize(l.width, l.height, "TIFF"); !r.ok()) return r;
  if (!DataCanHold(t.get(), l, size))
    return Result(Status::kBroken, "TIFF picture data is too short for the picture size");
  // The bound applies to the upright picture; a quarter turn swaps sides.
  const bool turned = l.orientation >= ORIENTATION_LEFTTOP;
  LoadOptions stored = options;
  if (turned) std::swap(stored.max_width, stored.max_height);
  ReducedPicture pic;
  if (Result r = pic.Start(static_cast<int>(l.width), static_cast<int>(l.height), l.bpp,
                           ReducedPicture::Factor(l.width, l.height, stored));
      !r.ok())
    return r;
  if (Result r = l.direct ? ReadDirect(t.get(), l, &m, &pic) : ReadRgba(t.get(), l, &m, &pic); !r.ok()) return r;
  Image img = pic.Finish();
  SetPalette(t.get(), l, &img);
  if (Result r = Orient(l.orientation, &img); !r.ok()) return r;
  img.set_dpi(turned ? l.dpi_y : l.dpi_x, turned ? l.dpi_x : l.dpi_y);
  char* text = nullptr;
  if (TIFFGetField(t.get(), TIFFTAG_IMAGEDESCRIPTION, &text) && text) img.set_comment(text);
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

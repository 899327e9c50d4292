// File: imaging/codecs/pcx_codec.cpp
//
// PCX files: a 128-byte header, RLE-coded scan lines of one or more planes,
// and for 256-colour pictures a 769-byte palette (0x0C + 256 RGB triples)
// at the end.  Reads 1-bit (1 to 4 planes), 2-, 4- and 8-bit single-plane
// and 24/32-bit (3/4 planes of 8 bits) pictures; writes 1 bpp, 4 bpp as four
// 1-bit planes with the header palette, 8 bpp with the trailing palette and
// 16/24/32 bpp as three 8-bit planes (alpha is not kept).
//
//   const FormatCodec& pcx = PcxCodec();
//   if (pcx.sniff(data, size)) r = pcx.load(data, size, {}, &img);
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/codecs/internal/format_codec.h"
#include "imaging/codecs/internal/reduced_picture.h"
#include "imaging/dib.h"
#include "imaging/pixel_helpers.h"

namespace imaging::codecs::internal {
namespace {

constexpr size_t kHeader = 128;
constexpr size_t kTrailingPalette = 769;
constexpr uint8_t kPaletteMark = 0x0C;

// The 16 colours of an EGA screen, for 16-colour files with an empty
// header palette.
constexpr uint8_t kEgaPalette[16][3] = {
    {0, 0, 0},       {0, 0, 170},     {0, 170, 0},     {0, 170, 170},  {170, 0, 0},     {170, 0, 170},
    {170, 85, 0},    {170, 170, 170}, {85, 85, 85},    {85, 85, 255},  {85, 255, 85},   {85, 255, 255},
    {255, 85, 85},   {255, 85, 255},  {255, 255, 85},  {255, 255, 255}};

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void Put16(uint8_t* p, unsigned v) {
  p[0] = v & 0xFF;
  p[1] = (v >> 8) & 0xFF;
}

bool PcxSniff(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kHeader || data[0] != 0x0A) return false;
  const int version = data[1], encoding = data[2], bits = data[3], planes = data[65];
  return (version == 0 || (version >= 2 && version <= 5)) && encoding <= 1 &&
         (bits == 1 || bits == 2 || bits == 4 || bits == 8) && planes >= 1 && planes <= 4;
}

struct PcxHeader {
  int encoding = 1;
  int bits = 0;     // per plane
  int planes = 0;
  size_t bpl = 0;   // bytes per plane line
  int width = 0;
  int height = 0;
  int dpi_x = 0;
  int dpi_y = 0;
  int bpp = 0;      // the engine's depth
  size_t data_end = 0;
  std::vector<PaletteEntry> palette;
};

std::vector<PaletteEntry> HeaderPalette(const uint8_t* data, int count) {
  std::vector<PaletteEntry> palette(static_cast<size_t>(count));
  bool empty = true;
  for (int i = 0; i < count; ++i) {
    const uint8_t* e = data + 16 + 3 * i;
    palette[i] = PaletteEntry{e[2], e[1], e[0], 0};
    empty = empty && e[0] == 0 && e[1] == 0 && e[2] == 0;
  }
  if (empty)
    for (int i = 0; i < count; ++i) {
      if (count == 4) {  // four greys
        const auto v = static_cast<uint8_t>(i * 85);
        palette[i] = PaletteEntry{v, v, v, 0};
        continue;
      }
      const int k = count == 2 ? i * 15 : i;  // black/white, EGA colours
      palette[i] = PaletteEntry{kEgaPalette[k][2], kEgaPalette[k][1], kEgaPalette[k][0], 0};
    }
  if (count == 2 && palette[0] == palette[1]) {
    palette[0] = PaletteEntry{0, 0, 0, 0};
    palette[1] = PaletteEntry{255, 255, 255, 0};
  }
  return palette;
}

Result ParseHeader(const uint8_t* data, size_t size, PcxHeader* h) {
  if (!PcxSniff(data, size)) return Result(Status::kBadFile, "not a PCX file");
  h->encoding = data[2];
  h->bits = data[3];
  h->planes = data[65];
  h->bpl = Get16(data + 66);
  const int xmin = Get16(data + 4), ymin = Get16(data + 6), xmax = Get16(data + 8), ymax = Get16(data + 10);
  if (xmax < xmin || ymax < ymin) return Result(Status::kBroken, "bad PCX picture window");
  h->width = xmax - xmin + 1;
  h->height = ymax - ymin + 1;
  if (h->width > kMaxDimension || h->height > kMaxDimension) return Result(Status::kBroken, "bad PCX picture size");
  h->dpi_x = Get16(data + 12);
  h->dpi_y = Get16(data + 14);
  if (h->bpl == 0 || h->bpl * 8 < static_cast<size_t>(h->width) * h->bits)
    return Result(Status::kBroken, "PCX line length is shorter than the picture width");

  h->data_end = size;
  switch (h->bits * 10 + h->planes) {
    case 11: h->bpp = 1; h->palette = HeaderPalette(data, 2); break;
    case 12:
    case 13:
    case 14: h->bpp = 4; h->palette = HeaderPalette(data, 1 << h->planes); break;
    case 21: h->bpp = 4; h->palette = HeaderPalette(data, 4); break;
    case 41: h->bpp = 4; h->palette = HeaderPalette(data, 16); break;
    case 81:
      h->bpp = 8;
      if (size >= kHeader + kTrailingPalette && data[size - kTrailingPalette] == kPaletteMark) {
        h->data_end = size - kTrailingPalette;
        const uint8_t* e = data + size - kTrailingPalette + 1;
        h->palette.resize(256);
        for (int i = 0; i < 256; ++i, e += 3) h->palette[i] = PaletteEntry{e[2], e[1], e[0], 0};
      } else {  // no palette: a grey picture
        h->palette.resize(256);
        for (int i = 0; i < 256; ++i) h->palette[i] = PaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), 0};
      }
      break;
    case 83: h->bpp = 24; break;
    case 84: h->bpp = 32; break;
    default: return Result(Status::kUnsupported, "unsupported PCX plane layout");
  }
  return Result::Ok();
}

bool IsGrey(const std::vector<PaletteEntry>& palette) {
  return !palette.empty() && std::all_of(palette.begin(), palette.end(), [](const PaletteEntry& e) {
    return e.red == e.green && e.green == e.blue;
  });
}

// Reads scan lines from the RLE (or plain) byte stream.  Runs may go on
// into the next line.
class LineReader {
 public:
  LineReader(const uint8_t* p, const uint8_t* end, bool rle) : p_(p), end_(end), rle_(rle) {}
  // False when the data ends before the line is full.
  bool Read(uint8_t* line, size_t length) {
    size_t i = 0;
    while (i < length) {
      if (pending_ > 0) {
        const size_t n = std::min(pending_, length - i);
        std::memset(line + i, value_, n);
        i += n;
        pending_ -= n;
        continue;
      }
      if (p_ == end_) return false;
      const uint8_t c = *p_++;
      if (rle_ && (c & 0xC0) == 0xC0) {
        if (p_ == end_) return false;
        pending_ = c & 0x3F;
        value_ = *p_++;
      } else {
        line[i++] = c;
      }
    }
    return true;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
  bool rle_;
  size_t pending_ = 0;
  uint8_t value_ = 0;
};

void PlanesToRow(const PcxHeader& h, const uint8_t* line, uint8_t* row) {
  const int w = h.width;
  const size_t bpl = h.bpl;
  switch (h.bits * 10 + h.planes) {
    case 11: std::memcpy(row, line, (static_cast<size_t>(w) + 7) / 8); break;
    case 41: std::memcpy(row, line, (static_cast<size_t>(w) + 1) / 2); break;
    case 81: std::memcpy(row, line, static_cast<size_t>(w)); break;
    case 12:
    case 13:
    case 14:
      for (int x = 0; x < w; ++x) {
        int v = 0;
        for (int k = 0; k < h.planes; ++k) v |= ((line[k * bpl + (x >> 3)] >> (7 - (x & 7))) & 1) << k;
        row[x >> 1] = static_cast<uint8_t>((x & 1) ? (row[x >> 1] | v) : (v << 4));
      }
      break;
    case 21:
      for (int x = 0; x < w; ++x) {
        const int v = (line[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        row[x >> 1] = static_cast<uint8_t>((x & 1) ? (row[x >> 1] | v) : (v << 4));
      }
      break;
    case 83:
    case 84: {
      const int n = h.planes;
      for (int x = 0; x < w; ++x) {
        uint8_t* d = row + static_cast<size_t>(x) * n;
        d[0] = line[2 * bpl + x];
        d[1] = line[bpl + x];
        d[2] = line[x];
        if (n == 4) d[3] = line[3 * bpl + x];
      }
      break;
    }
    default: break;
  }
}

Result PcxLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) {
  if (options.image_index != 0) return Result(Status::kBadValue, "PCX files hold one picture");
  PcxHeader h;
  if (Result r = ParseHeader(data, size, &h); !r.ok()) return r;
  if (Result r = CheckPictureSize(h.width, h.height, "PCX"); !r.ok()) return r;
  // Every plane line needs at least one byte of data (an RLE byte pair
  // holds at most 63 bytes); refuse before allocating what cannot be there.
  const uint64_t line = uint64_t{h.bpl} * h.planes;
  const uint64_t available = h.data_end - kHeader;
  if (h.encoding == 1 ? available * 63 / 2 < line * h.height : available < line * h.height)
    return Result(Status::kBroken, "PCX data is too short for the picture size");
  ReducedPicture pic;
  if (Result r = pic.Start(h.width, h.height, h.bpp, ReducedPicture::Factor(h.width, h.height, options)); !r.ok())
    return r;
  std::vector<uint8_t> scan(static_cast<size_t>(line)), row(Image::RowBytes(h.width, h.bpp));
  LineReader reader(data + kHeader, data + h.data_end, h.encoding == 1);
  for (int y = 0; y < h.height; ++y) {
    if (!reader.Read(scan.data(), scan.size())) return Result(Status::kBroken, "PCX data ends early");
    if (!pic.Wants(y)) continue;
    PlanesToRow(h, scan.data(), row.data());
    pic.PutRow(y, row.data());
  }
  Image img = pic.Finish();
  if (h.bpp <= 8) {
    img.palette() = h.palette;
    PadPaletteToUsedIndices(&img);
    img.set_gray(img.IsGrayPalette());
  }
  img.set_dpi(h.dpi_x, h.dpi_y);
  *out = std::move(img);
  return Result::Ok();
}

Result PcxReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info) {
  if (index != 0) return Result(Status::kBadValue, "PCX files hold one picture");
  PcxHeader h;
  if (Result r = ParseHeader(data, size, &h); !r.ok()) return r;
  FileInfo fi;
  fi.format = FileFormat::kPcx;
  fi.width = h.width;
  fi.height = h.height;
  fi.bpp = h.bpp;
  fi.gray = h.bpp <= 8 && IsGrey(h.palette);
  fi.dpi_x = h.dpi_x;
  fi.dpi_y = h.dpi_y;
  *info = fi;
  return Result::Ok();
}

// --- Writing -------------------------------------------------------------

// RLE-codes one plane line: runs of up to 63 equal bytes become a count
// byte and the value; single bytes below 0xC0 stand for themselves.
void EncodeLine(const uint8_t* line, size_t n, std::vector<uint8_t>* out) {
  size_t i = 0;
  while (i < n) {
    size_t run = 1;
    while (i + run < n && run < 63 && line[i + run] == line[i]) ++run;
    if (run > 1 || line[i] >= 0xC0) out->push_back(static_cast<uint8_t>(0xC0 | run));
    out->push_back(line[i]);
    i += run;
  }
}

// The picture's row `y` as the file's plane lines (each `bpl` bytes).
void RowToPlanes(const Image& img, int y, size_t bpl, uint8_t* line) {
  const uint8_t* row = img.row(y);
  const int w = img.width();
  switch (img.bpp()) {
    case 1: std::memcpy(line, row, (static_cast<size_t>(w) + 7) / 8); break;
    case 4:
      for (int x = 0; x < w; ++x) {
        const int v = PaletteIndexAt(row, x, 4);
        for (int k = 0; k < 4; ++k)
          if ((v >> k) & 1) line[k * bpl + (x >> 3)] |= static_cast<uint8_t>(0x80 >> (x & 7));
      }
      break;
    case 8: std::memcpy(line, row, static_cast<size_t>(w)); break;
    default:
      for (int x = 0; x < w; ++x) {
        const uint32_t rgb = img.PixelRgb(x, y);
        line[x] = (rgb >> 16) & 0xFF;
        line[bpl + x] = (rgb >> 8) & 0xFF;
        line[2 * bpl + x] = rgb & 0xFF;
      }
      break;
  }
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

Result PcxSave(const Image& image, const std::string& path, const SaveOptions&) {
  if (image.empty()) return Result(Status::kBadImage, "no picture");
  const int bpp = image.bpp();
  const int w = image.width();
  if (w > 65535 || image.height() > 65535) return Result(Status::kUnsupported, "picture too large for PCX");
  const int planes = bpp == 4 ? 4 : bpp <= 8 ? 1 : 3;
  const int bits = bpp <= 4 ? 1 : 8;
  size_t bpl = bits == 1 ? (static_cast<size_t>(w) + 7) / 8 : static_cast<size_t>(w);
  bpl += bpl & 1;  // lines have an even length

  uint8_t header[kHeader] = {};
  header[0] = 0x0A;
  header[1] = 5;
  header[2] = 1;
  header[3] = static_cast<uint8_t>(bits);
  Put16(header + 8, static_cast<unsigned>(w - 1));
  Put16(header + 10, static_cast<unsigned>(image.height() - 1));
  Put16(header + 12, static_cast<unsigned>(std::clamp(image.dpi_x(), 0, 65535)));
  Put16(header + 14, static_cast<unsigned>(std::clamp(image.dpi_y(), 0, 65535)));
  const std::vector<PaletteEntry>& palette = image.palette();
  if (bpp <= 4)
    for (size_t i = 0; i < palette.size() && i < 16; ++i) {
      header[16 + 3 * i] = palette[i].red;
      header[17 + 3 * i] = palette[i].green;
      header[18 + 3 * i] = palette[i].blue;
    }
  header[65] = static_cast<uint8_t>(planes);
  Put16(header + 66, static_cast<unsigned>(bpl));
  Put16(header + 68, image.gray() ? 2 : 1);

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return Result(Status::kCannotCreate, "cannot create " + path);
  std::FILE* f = file.get();
  bool ok = std::fwrite(header, 1, kHeader, f) == kHeader;
  std::vector<uint8_t> line(bpl * planes), encoded;
  encoded.reserve(line.size() * 2);
  for (int y = 0; ok && y < image.height(); ++y) {
    std::fill(line.begin(), line.end(), 0);
    RowToPlanes(image, y, bpl, line.data());
    encoded.clear();
    for (int k = 0; k < planes; ++k) EncodeLine(line.data() + k * bpl, bpl, &encoded);
    ok = std::fwrite(encoded.data(), 1, encoded.size(), f) == encoded.size();
  }
  if (ok && bpp == 8) {
    uint8_t trailer[kTrailingPalette] = {kPaletteMark};
    for (size_t i = 0; i < palette.size() && i < 256; ++i) {
      trailer[1 + 3 * i] = palette[i].red;
      trailer[2 + 3 * i] = palette[i].green;
      trailer[3 + 3 * i] = palette[i].blue;
    }
    ok = std::fwrite(trailer, 1, sizeof trailer, f) == sizeof trailer;
  }
  const bool closed = std::fclose(file.release()) == 0;
  return ok && closed ? Result::Ok() : Result(Status::kCannotWrite, "cannot write " + path);
}

}  // namespace

const FormatCodec& PcxCodec() {
  static const FormatCodec codec{FileFormat::kPcx, &PcxSniff, &PcxReadInfo, &PcxLoad, &PcxSave};
  return codec;
}

}  // namespace imaging::codecs::internal

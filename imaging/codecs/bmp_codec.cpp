// File: imaging/codecs/bmp_codec.cpp
//
// BMP files: a 14-byte file header followed by a DIB.  Reads Windows
// headers (40 bytes and V2 to V5, BI_RGB, bit fields, RLE4/RLE8, top-down
// rows), OS/2 1.x core headers (12 bytes, 3-byte colour entries) and OS/2
// 2.x headers (16 to 64 bytes).  Pixel rows are read where they lie in the
// file, without copying the file first.  Writes uncompressed DIBs at every
// depth, streamed row by row from the picture; kBmp writes 4- and 8-bit
// pictures RLE-compressed when that is smaller.
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

constexpr size_t kFileHeader = 14;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}

// Dots per inch of a pixels-per-metre field; 0 when it gives none.
int DpiOf(int32_t ppm) { return ppm > 0 ? static_cast<int>(ppm * 254.0 / 10000.0 + 0.5) : 0; }

bool BmpSniff(const uint8_t* data, size_t size) {
  return data != nullptr && size >= kFileHeader + 12 && data[0] == 'B' && data[1] == 'M';
}

// A BMP file's header, whichever of the Windows and OS/2 forms it has.
struct BmpHeader {
  DibFields fields;
  uint32_t compression = 0;  // as stored; OS/2 2.x codes are mapped to Windows ones
  bool rle = false;
  std::vector<PaletteEntry> palette;
  size_t pixel_offset = 0;
};

Result ParseHeader(const uint8_t* data, size_t size, BmpHeader* h) {
  if (!BmpSniff(data, size)) return Result(Status::kBadFile, "not a BMP file");
  const uint8_t* d = data + kFileHeader;
  const size_t avail = size - kFileHeader;
  const uint32_t hs = Get32(d);
  if (hs < 12 || hs > avail) return Result(Status::kBroken, "truncated or bad bitmap header");
  DibFields& f = h->fields;
  uint32_t used = 0;
  size_t entry = 4;
  bool os2 = false;
  size_t table = kFileHeader + hs;
  if (hs == 12) {  // OS/2 1.x / Windows 2 core header: 16-bit sides, RGB triples
    f.width = Get16(d + 4);
    f.height = Get16(d + 6);
    f.bpp = Get16(d + 10);
    entry = 3;
    os2 = true;
  } else if (hs >= 16 && hs <= 64 && hs != 40 && hs != 52 && hs != 56) {  // OS/2 2.x, fields beyond cbFix are 0
    os2 = true;
    f.width = static_cast<int32_t>(Get32(d + 4));
    f.height = static_cast<int32_t>(Get32(d + 8));
    f.bpp = Get16(d + 14);
    if (hs >= 20) h->compression = Get32(d + 16);
    if (hs >= 28) f.x_ppm = static_cast<int32_t>(Get32(d + 24));
    if (hs >= 32) f.y_ppm = static_cast<int32_t>(Get32(d + 28));
    if (hs >= 36) used = Get32(d + 32);
  } else if (hs >= 40) {
    f.width = static_cast<int32_t>(Get32(d + 4));
    f.height = static_cast<int32_t>(Get32(d + 8));
    f.bpp = Get16(d + 14);
    h->compression = Get32(d + 16);
    f.x_ppm = static_cast<int32_t>(Get32(d + 24));
    f.y_ppm = static_cast<int32_t>(Get32(d + 28));
    used = Get32(d + 32);
    if (h->compression == 3 || h->compression == 6) {
      const int count = h->compression == 6 ? 4 : 3;
      if (hs >= 52) {
        for (int i = 0; i < 3; ++i) f.masks[i] = Get32(d + 40 + 4 * i);
        if (hs >= 56) f.masks[3] = Get32(d + 52);
      } else {
        if (avail - hs < size_t(4) * count) return Result(Status::kBroken, "truncated bit masks");
        for (int i = 0; i < count; ++i) f.masks[i] = Get32(d + hs + 4 * i);
        table += size_t(4) * count;
      }
    }
  } else {
    return Result(Status::kBroken, "unknown bitmap header size");
  }

  if (f.width <= 0 || f.height == 0 || f.height == INT32_MIN) return Result(Status::kBroken, "bad picture size");
  if (f.bpp != 1 && f.bpp != 4 && f.bpp != 8 && f.bpp != 16 && f.bpp != 24 && f.bpp != 32)
    return Result(Status::kUnsupported, "unsupported BMP bit count");
  switch (h->compression) {
    case 0: break;
    case kRle8:
    case kRle4:
      if (f.bpp != (h->compression == kRle8 ? 8 : 4)) return Result(Status::kBroken, "RLE type does not fit the bit count");
      h->rle = true;
      break;
    case 3:
      if (os2) return Result(Status::kUnsupported, "OS/2 Huffman-compressed bitmaps are not supported");
      [[fallthrough]];
    case 6:
      if (f.bpp != 16 && f.bpp != 32) return Result(Status::kUnsupported, "bit fields need 16 or 32 bits per pixel");
      break;
    default: return Result(Status::kUnsupported, "unsupported BMP compression");
  }
  f.compression = h->rle ? 0 : h->compression;

  const uint32_t offset = Get32(data + 10);
  if (offset < table || offset > size) return Result(Status::kBroken, "bad pixel offset");
  h->pixel_offset = offset;
  if (f.bpp <= 8) {
    const uint32_t max = 1u << f.bpp;
    size_t count = (used == 0 || used > max) ? max : used;
    const size_t room = offset - table;
    // Some OS/2 2.x writers store RGB triples like 1.x files do.
    if (os2 && entry == 4 && room < count * 4 && room >= count * 3 && room % 3 == 0) entry = 3;
    count = std::min(count, room / entry);
    h->palette.resize(count);
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* e = data + table + i * entry;
      h->palette[i] = PaletteEntry{e[0], e[1], e[2], 0};
    }
  }
  return Result::Ok();
}

// Decodes RLE4/RLE8 data one stored row at a time into `pic`.  Runs past
// the right edge are clipped, pixels a delta or an early end skips stay
// index 0, and data that ends before the end-of-bitmap code (or the last
// row) gives kBroken.
Result DecodeRle(const BmpHeader& h, const uint8_t* p, const uint8_t* end, ReducedPicture* pic) {
  const DibFields& f = h.fields;
  const bool top_down = f.height < 0;
  const int width = f.width;
  const int height = top_down ? -f.height : f.height;
  const bool eight = f.bpp == 8;
  std::vector<uint8_t> line(static_cast<size_t>(width), 0);
  int x = 0, y = 0;  // y counts rows in stored order
  auto flush = [&]() {
    if (y < height) {
      const int row = top_down ? y : height - 1 - y;
      if (pic->Wants(row)) pic->PutIndices(row, line.data());
    }
    std::fill(line.begin(), line.end(), 0);
  };
  bool done = false;
  while (!done && end - p >= 2) {
    const int count = p[0], code = p[1];
    p += 2;
    if (count > 0) {  // encoded run; RLE4 alternates the code's two nibbles
      const int n = std::min(count, width - x);
      for (int i = 0; i < n; ++i) line[x + i] = static_cast<uint8_t>(eight ? code : ((i & 1) ? (code & 0x0F) : (code >> 4)));
      x += n;
    } else if (code == 0) {  // end of line
      flush();
      x = 0;
      done = ++y >= height;
    } else if (code == 1) {  // end of bitmap
      flush();
      done = true;
    } else if (code == 2) {  // delta: right and up (in stored order, onward)
      if (end - p < 2) break;
      const int dx = p[0], dy = p[1];
      p += 2;
      if (dy > 0) {
        flush();
        y += dy;
      }
      x = std::min(width, x + dx);
      done = y >= height;
    } else {  // absolute run of `code` pixels, padded to a 16-bit boundary
      const size_t bytes = eight ? static_cast<size_t>(code) : static_cast<size_t>(code + 1) / 2;
      if (static_cast<size_t>(end - p) < bytes) break;
      const int n = std::min(code, width - x);
      for (int i = 0; i < n; ++i)
        line[x + i] = eight ? p[i] : static_cast<uint8_t>((i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4));
      x += n;
      p += std::min(static_cast<size_t>(end - p), (bytes + 1) & ~size_t{1});
    }
  }
  if (!done) return Result(Status::kBroken, "RLE data ends early");
  return Result::Ok();
}

Result BmpLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) {
  if (options.image_index != 0) return Result(Status::kBadValue, "BMP files hold one picture");
  BmpHeader h;
  if (Result r = ParseHeader(data, size, &h); !r.ok()) return r;
  const int height = h.fields.height < 0 ? -h.fields.height : h.fields.height;
  if (Result r = CheckPictureSize(h.fields.width, height, "BMP"); !r.ok()) return r;
  if (h.rle) {
    ReducedPicture pic;
    if (Result r = pic.Start(h.fields.width, height, h.fields.bpp,
                             ReducedPicture::Factor(h.fields.width, height, options));
        !r.ok())
      return r;
    if (Result r = DecodeRle(h, data + h.pixel_offset, data + size, &pic); !r.ok()) return r;
    Image img = pic.Finish();
    img.palette() = h.palette;
    PadPaletteToUsedIndices(&img);
    img.set_gray(img.IsGrayPalette());
    img.set_dpi(DpiOf(h.fields.x_ppm), DpiOf(h.fields.y_ppm));
    *out = std::move(img);
    return Result::Ok();
  }
  Result r = DecodeDibRows(h.fields, std::move(h.palette), data + h.pixel_offset, size - h.pixel_offset, out);
  if (!r.ok() && r.code() == Status::kBadImage) return Result(Status::kBroken, r.message());
  return r;
}

Result BmpReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info) {
  if (index != 0) return Result(Status::kBadValue, "BMP files hold one picture");
  BmpHeader h;
  if (Result r = ParseHeader(data, size, &h); !r.ok()) return r;
  FileInfo fi;
  fi.format = FileFormat::kBmp;
  fi.width = h.fields.width;
  fi.height = h.fields.height < 0 ? -h.fields.height : h.fields.height;
  fi.bpp = DibPictureBpp(h.fields);
  fi.gray = fi.bpp <= 8 && !h.palette.empty() &&
            std::all_of(h.palette.begin(), h.palette.end(),
                        [](const PaletteEntry& e) { return e.red == e.green && e.green == e.blue; });
  fi.dpi_x = DpiOf(h.fields.x_ppm);
  fi.dpi_y = DpiOf(h.fields.y_ppm);
  *info = fi;
  return Result::Ok();
}

// --- Writing -------------------------------------------------------------


// One row of 8-bit indices as RLE8: runs of three or more equal pixels are
// encoded, everything between them goes in absolute runs.
void EncodeRle8Row(const uint8_t* src, int w, std::vector<uint8_t>* out) {
  int i = 0;
  while (i < w) {
    int run = 1;
    while (i + run < w && run < 255 && src[i + run] == src[i]) ++run;
    if (run >= 3) {
      out->push_back(static_cast<uint8_t>(run));
      out->push_back(src[i]);
      i += run;
      continue;
    }
    int j = i;
    while (j < w && j - i < 255 && !(j + 2 < w && src[j] == src[j + 1] && src[j] == src[j + 2])) ++j;
    const int n = j - i;
    if (n < 3) {  // absolute runs need at least three pixels
      for (int k = 0; k < n; ++k) {
        out->push_back(1);
        out->push_back(src[i + k]);
      }
    } else {
      out->push_back(0);
      out->push_back(static_cast<uint8_t>(n));
      out->insert(out->end(), src + i, src + j);
      if (n & 1) out->push_back(0);
    }
    i = j;
  }
}

// Length of the run at `i` whose pixels alternate between pix[i] and
// pix[i + 1] (what one RLE4 code can hold), at most `limit`.
int AlternatingRun(const std::vector<uint8_t>& pix, int i, int limit) {
  const int w = static_cast<int>(pix.size());
  int run = std::min(2, w - i);
  while (i + run < w && run < limit && pix[i + run] == pix[i + (run & 1)]) ++run;
  return run;
}

void EncodeRle4Row(const uint8_t* src, int w, std::vector<uint8_t>* pix, std::vector<uint8_t>* out) {
  pix->resize(static_cast<size_t>(w));
  for (int x = 0; x < w; ++x) (*pix)[x] = static_cast<uint8_t>(PaletteIndexAt(src, x, 4));
  const std::vector<uint8_t>& p = *pix;
  int i = 0;
  while (i < w) {
    const int run = AlternatingRun(p, i, 255);
    if (run >= 4 || run == w - i) {
      out->push_back(static_cast<uint8_t>(run));
      out->push_back(static_cast<uint8_t>((p[i] << 4) | (run > 1 ? p[i + 1] : 0)));
      i += run;
      continue;
    }
    int j = i;
    while (j < w && j - i < 255 && AlternatingRun(p, j, 6) < 6) ++j;
    const int n = j - i;
    if (n < 3) {  // too short for an absolute run: one two-pixel code
      const int take = std::max(1, std::min(n, 2));
      out->push_back(static_cast<uint8_t>(take));
      out->push_back(static_cast<uint8_t>((p[i] << 4) | (take > 1 ? p[i + 1] : 0)));
      i += take;
      continue;
    }
    out->push_back(0);
    out->push_back(static_cast<uint8_t>(n));
    const int bytes = (n + 1) / 2;
    for (int k = 0; k < bytes; ++k) {
      const int a = p[i + 2 * k], b = 2 * k + 1 < n ? p[i + 2 * k + 1] : 0;
      out->push_back(static_cast<uint8_t>((a << 4) | b));
    }
    if (bytes & 1) out->push_back(0);
    i = j;
  }
}

Result EncodeRle(const Image& image, std::vector<uint8_t>* out) {
  std::vector<uint8_t> pix;
  try {
    out->reserve(image.data_size() / 2);
    for (int y = image.height() - 1; y >= 0; --y) {
      if (image.bpp() == 8)
        EncodeRle8Row(image.row(y), image.width(), out);
      else
        EncodeRle4Row(image.row(y), image.width(), &pix, out);
      out->push_back(0);
      out->push_back(y == 0 ? 1 : 0);  // end of line; end of bitmap after the last row
    }
  } catch (...) {
    return Result(Status::kMemory, "out of memory");
  }
  return Result::Ok();
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// WriteGathered() writes all of `iov[0..n)` with gathered writes, going on
// after short writes and interruptions; it changes the entries as it goes.
bool WriteGathered(int fd, iovec* iov, int n) {
  while (n > 0) {
    const ssize_t written = ::writev(fd, iov, n);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    size_t left = static_cast<size_t>(written);
    while (n > 0 && left >= iov->iov_len) {
      left -= iov->iov_len;
      ++iov;
      --n;
    }
    if (n > 0) {
      iov->iov_base = static_cast<uint8_t*>(iov->iov_base) + left;
      iov->iov_len -= left;
    }
  }
  return true;
}

// WriteRowsBottomUp() writes the picture's rows, last row first, straight
// from the picture, a batch of rows per system call.
bool WriteRowsBottomUp(std::FILE* f, const Image& image) {
  if (std::fflush(f) != 0) return false;
  const int fd = ::fileno(f);
  constexpr int kRowsPerCall = 256;
  for (int y = image.height() - 1; y >= 0;) {
    iovec iov[kRowsPerCall];
    int n = 0;
    for (; y >= 0 && n < kRowsPerCall; --y, ++n) iov[n] = {const_cast<uint8_t*>(image.row(y)), image.stride()};
    if (!WriteGathered(fd, iov, n)) return false;
  }
  return true;
}

// WriteTopDown() writes `head` and then the picture's rows as they lie in
// memory, first row first: for work files, whose header says top-down
// (negative height).
bool WriteTopDown(std::FILE* f, const std::vector<uint8_t>& head, const Image& image) {
  if (std::fflush(f) != 0) return false;
  iovec iov[2] = {{const_cast<uint8_t*>(head.data()), head.size()},
                  {const_cast<uint8_t*>(image.row(0)), image.data_size()}};
  return WriteGathered(::fileno(f), iov, 2);
}

Result BmpSave(const Image& image, const std::string& path, const SaveOptions& options) {
  if (image.empty()) return Result(Status::kBadImage, "no picture");
  // RLE only where the depth allows it and only when it is smaller: noisy
  // pictures grow under RLE.
  bool rle = options.type == SaveType::kBmp && (image.bpp() == 4 || image.bpp() == 8);
  std::vector<uint8_t> encoded;
  if (rle) {
    if (Result r = EncodeRle(image, &encoded); !r.ok()) return r;
    rle = encoded.size() < image.data_size();
    if (!rle) std::vector<uint8_t>().swap(encoded);
  }
  const size_t header = DibHeaderSize(image);
  const size_t pixels = rle ? encoded.size() : image.data_size();
  if (kFileHeader + header + pixels > 0xFFFFFFFFu) return Result(Status::kUnsupported, "picture too large for BMP");
  std::vector<uint8_t> head(kFileHeader + header, 0);
  head[0] = 'B';
  head[1] = 'M';
  Put32(head.data() + 2, static_cast<uint32_t>(head.size() + pixels));
  Put32(head.data() + 10, static_cast<uint32_t>(head.size()));
  WriteDibHeader(image, head.data() + kFileHeader);
  if (rle) {
    Put32(head.data() + kFileHeader + 16, image.bpp() == 8 ? kRle8 : kRle4);
    Put32(head.data() + kFileHeader + 20, static_cast<uint32_t>(encoded.size()));
  }

  // Work files (undo snapshots) are read back only by this engine: they are
  // stored top-down, so the picture goes out in one piece as it lies in
  // memory.  Files for users keep the usual bottom-up order.
  const bool top_down = options.type == SaveType::kWorkBmp && !rle;
  if (top_down) Put32(head.data() + kFileHeader + 8, static_cast<uint32_t>(-image.height()));

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return Result(Status::kCannotCreate, "cannot create " + path);
  std::FILE* f = file.get();
  bool ok = false;
  if (top_down) {
    ok = WriteTopDown(f, head, image);
  } else {
    ok = std::fwrite(head.data(), 1, head.size(), f) == head.size();
    if (rle)
      ok = ok && std::fwrite(encoded.data(), 1, encoded.size(), f) == encoded.size();
    else  // rows straight from the picture: its rows already have the DIB padding
      ok = ok && WriteRowsBottomUp(f, image);
  }
  const bool closed = std::fclose(file.release()) == 0;
  return ok && closed ? Result::Ok() : Result(Status::kCannotWrite, "cannot write " + path);
}

}  // namespace

const FormatCodec& BmpCodec() {
  static const FormatCodec codec{FileFormat::kBmp, &BmpSniff, &BmpReadInfo, &BmpLoad, &BmpSave};
  return codec;
}

}  // namespace imaging::codecs::internal

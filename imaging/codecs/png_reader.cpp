// PNG decoding with libpng, from memory straight into the picture's rows:
// libpng does the byte-order swap (BGR), 16-to-8 scaling and Adam7
// de-interlacing in place, so a decode needs no second copy of the pixels.
// 2-bit samples are decoded into the front of each 4-bit row and spread
// out afterwards.  Bounded loads of large 24/32-bit pictures average
// whole k x k blocks while decoding row by row, so a thumbnail never holds
// the full picture.  libpng's errors long-jump back into the small functions
// that call it; nothing with a destructor lives between setjmp and libpng.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/codecs/internal/png_header.h"
#include "imaging/codecs/png_internal.h"
#include "imaging/dib.h"

namespace imaging::codecs::internal {
namespace {

// zlib cannot expand data by more than about 1032:1; pixel data that
// claims more than this many bytes per compressed byte is cut short.
constexpr uint64_t kMaxInflateRatio = 1100;
constexpr size_t kMaxChunkBytes = 32u << 20;  // ancillary chunks (text, ICC)

struct ReadState {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  bool truncated = false;
  char message[160] = {};
};

void OnError(png_structp png, png_const_charp message) {
  auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", message != nullptr ? message : "libpng error");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep out, size_t n) {
  auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
  if (state->size - state->pos < n) {
    state->truncated = true;
    png_error(png, "file ends early");
  }
  std::memcpy(out, state->data + state->pos, n);
  state->pos += n;
}

// One libpng read session over a buffer.  Not movable: libpng keeps a
// pointer to `state`.
class Decoder {
 public:
  Decoder(const uint8_t* data, size_t size) {
    state.data = data;
    state.size = size;
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    if (png == nullptr) return;
    info = png_create_info_struct(png);
    if (info == nullptr) return;
    png_set_read_fn(png, &state, ReadBytes);
    png_set_user_limits(png, kMaxDimension, kMaxDimension);
    png_set_chunk_cache_max(png, 1000);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
  }
  ~Decoder() {
    if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
  }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  bool ready() const { return info != nullptr; }

  png_structp png = nullptr;
  png_infop info = nullptr;
  ReadState state;
};

// The three calls into libpng that may fail; each returns false after an
// error, with the reason in `d->state`.
bool ReadHeader(Decoder* d) {
  if (setjmp(png_jmpbuf(d->png))) return false;
  png_read_info(d->png, d->info);
  return true;
}

bool ReadRows(Decoder* d, png_bytepp rows) {
  if (setjmp(png_jmpbuf(d->png))) return false;
  png_read_image(d->png, rows);
  return true;
}

bool ReadOneRow(Decoder* d, png_bytep row) {
  if (setjmp(png_jmpbuf(d->png))) return false;
  png_read_row(d->png, row, nullptr);
  return true;
}

bool ReadEnd(Decoder* d) {
  if (setjmp(png_jmpbuf(d->png))) return false;
  png_read_end(d->png, d->info);
  return true;
}

Result Failure(const ReadState& state) {
  if (state.truncated) return Result(Status::kBroken, "PNG file is truncated");
  const std::string message = state.message;
  if (message.find("memory") != std::string::npos) return Result(Status::kMemory, "PNG decode: " + message);
  return Result(Status::kBroken, "PNG data is damaged: " + message);
}

// Checks the IHDR bytes before libpng sees them, so oversized pictures are
// refused with the engine's own code.
Result CheckHeader(const uint8_t* data, size_t size) {
  if (!PngSniff(data, size)) return Result(Status::kBadFile, "not a PNG file");
  if (size < 33) return Result(Status::kBroken, "PNG header is truncated");
  if (PngBe32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0)
    return Result(Status::kBroken, "PNG file does not start with IHDR");
  const uint32_t w = PngBe32(data + 16), h = PngBe32(data + 20);
  if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu) return Result(Status::kBroken, "bad PNG picture size");
  if (w > static_cast<uint32_t>(kMaxDimension) || h > static_cast<uint32_t>(kMaxDimension))
    return Result(Status::kMemory, "PNG picture side exceeds the engine's limit");
  return Result::Ok();
}

// Sum of the IDAT chunk lengths present in the buffer (walks chunk headers
// only).
uint64_t CompressedPixelBytes(const uint8_t* data, size_t size) {
  uint64_t total = 0;
  size_t at = 8;
  while (size - at >= 12) {
    const uint64_t length = PngBe32(data + at);
    const bool idat = std::memcmp(data + at + 4, "IDAT", 4) == 0;
    const uint64_t available = size - at - 8;
    if (idat) total += length < available ? length : available;
    if (std::memcmp(data + at + 4, "IEND", 4) == 0 || length + 4 > available) break;
    at += static_cast<size_t>(length) + 12;
  }
  return total;
}

// The engine's depth of a picture of the colour type and depth.
int EngineDepth(int color_type, int bit_depth, bool has_trns) {
  switch (color_type) {
    case PNG_COLOR_TYPE_PALETTE:
    case PNG_COLOR_TYPE_GRAY: return bit_depth == 2 ? 4 : bit_depth > 8 ? 8 : bit_depth;
    case PNG_COLOR_TYPE_RGB: return has_trns ? 32 : 24;
    default: return 32;  // grey+alpha, RGBA
  }
}

struct Layout {
  uint32_t width = 0;
  uint32_t height = 0;
  int color_type = 0;
  int bit_depth = 0;
  bool interlaced = false;
  bool has_trns = false;
  int bpp = 0;         // the engine's depth
  bool gray = false;
  bool spread_2bit = false;
};

Layout Describe(png_structp png, png_infop info) {
  Layout l;
  l.width = png_get_image_width(png, info);
  l.height = png_get_image_height(png, info);
  l.color_type = png_get_color_type(png, info);
  l.bit_depth = png_get_bit_depth(png, info);
  l.interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
  l.has_trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  l.bpp = EngineDepth(l.color_type, l.bit_depth, l.has_trns);
  l.spread_2bit = (l.color_type == PNG_COLOR_TYPE_PALETTE || l.color_type == PNG_COLOR_TYPE_GRAY) && l.bit_depth == 2;
  l.gray = l.color_type == PNG_COLOR_TYPE_GRAY;
  return l;
}

int Dpi(png_uint_32 pixels_per_metre) {
  return static_cast<int>(pixels_per_metre * 0.0254 + 0.5);
}

void ReadResolution(png_structp png, png_infop info, int* dpi_x, int* dpi_y) {
  png_uint_32 x = 0, y = 0;
  int unit = 0;
  *dpi_x = *dpi_y = 0;
  if (png_get_pHYs(png, info, &x, &y, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
    *dpi_x = Dpi(x);
    *dpi_y = Dpi(y);
  }
}

std::string Latin1ToUtf8(const char* text, size_t length) {
  std::string out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    const auto c = static_cast<uint8_t>(text[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

// The "Comment" text (tEXt, zTXt or iTXt), else "Description", in UTF-8.
std::string ReadComment(png_structp png, png_infop info) {
  png_textp texts = nullptr;
  const int count = png_get_text(png, info, &texts, nullptr);
  for (const char* key : {"Comment", "Description"}) {
    for (int i = 0; i < count; ++i) {
      const png_text& t = texts[i];
      if (t.key == nullptr || t.text == nullptr || std::strcmp(t.key, key) != 0) continue;
      const bool utf8 = t.compression == PNG_ITXT_COMPRESSION_NONE || t.compression == PNG_ITXT_COMPRESSION_zTXt;
      const size_t length = utf8 ? t.itxt_length : t.text_length;
      return utf8 ? std::string(t.text, length) : Latin1ToUtf8(t.text, length);
    }
  }
  return {};
}

// Spreads 2-bit samples decoded into the front of each row to 4 bits per
// pixel, from the right so no sample is overwritten before it is read.
void Spread2Bit(Image* img) {
  const size_t out_bytes = (static_cast<size_t>(img->width()) + 1) / 2;
  for (int y = 0; y < img->height(); ++y) {
    uint8_t* row = img->row(y);
    for (size_t i = out_bytes; i-- > 0;) {
      const uint8_t in = row[i / 2];
      const int shift = (i & 1) ? 0 : 4;  // high or low two samples of the byte
      const int a = (in >> (shift + 2)) & 3, b = (in >> shift) & 3;
      row[i] = static_cast<uint8_t>((a << 4) | b);
    }
  }
}

// Palette, grey ramp and transparent index of a 1/2/4/8/16-bit palette or
// grey picture.
void SetIndexedColours(png_structp png, png_infop info, const Layout& l, Image* img) {
  std::vector<PaletteEntry>& palette = img->palette();
  png_bytep alpha = nullptr;
  int alpha_count = 0;
  png_color_16p key = nullptr;
  if (l.has_trns) png_get_tRNS(png, info, &alpha, &alpha_count, &key);
  if (l.color_type == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &entries, &count);
    const int max = 1 << l.bit_depth;
    if (count > max) count = max;
    palette.assign(static_cast<size_t>(count), PaletteEntry{});
    for (int i = 0; i < count; ++i) palette[i] = PaletteEntry{entries[i].blue, entries[i].green, entries[i].red, 0};
    for (int i = 0; i < alpha_count && i < count; ++i)
      if (alpha[i] == 0) {
        img->set_transparent_index(i);
        break;
      }
    PadPaletteToUsedIndices(img);
    img->set_gray(img->IsGrayPalette());
    return;
  }
  const int levels = 1 << (l.bit_depth > 8 ? 8 : l.bit_depth);
  palette.resize(static_cast<size_t>(levels));
  for (int i = 0; i < levels; ++i) {
    const auto v = static_cast<uint8_t>(i * 255 / (levels - 1));
    palette[i] = PaletteEntry{v, v, v, 0};
  }
  img->set_gray(true);
  if (key != nullptr) {
    const int v = l.bit_depth == 16 ? (key->gray * 255 + 32767) / 65535 : key->gray;
    if (v < levels) img->set_transparent_index(v);
  }
}

// The whole-number factor a bounded load may shrink by while decoding:
// the largest k with the picture still at least k times the bound on each
// bounded side.  Only 24/32-bit non-interlaced pictures are shrunk this way
// (indices cannot be averaged, and Adam7 needs every row at once).
int ReductionFactor(const Layout& l, const LoadOptions& options) {
  if (l.interlaced || l.bpp < 24) return 1;
  uint32_t k = UINT32_MAX;
  if (options.max_width > 0) k = std::min(k, l.width / static_cast<uint32_t>(options.max_width));
  if (options.max_height > 0) k = std::min(k, l.height / static_cast<uint32_t>(options.max_height));
  return k == UINT32_MAX || k < 2 ? 1 : static_cast<int>(std::min<uint32_t>(k, 4096));
}

// Decodes row by row into a picture k times smaller on each side, each
// pixel the mean of its k x k block (blocks at the right and bottom edges
// may be smaller).  Holds one decoded row and one row of sums, never the
// full picture.
Result ReadReduced(Decoder* d, const Layout& l, int k, Image* out) {
  const int channels = l.bpp / 8;
  const uint32_t ow = (l.width + k - 1) / k, oh = (l.height + k - 1) / k;
  Image img;
  if (Result r = Image::Create(static_cast<int>(ow), static_cast<int>(oh), l.bpp, &img); !r.ok()) return r;
  std::vector<png_byte> row;
  std::vector<uint32_t> sums;
  try {
    row.resize(png_get_rowbytes(d->png, d->info));
    sums.assign(static_cast<size_t>(ow) * channels, 0);
  } catch (...) {
    return Result(Status::kMemory, "out of memory");
  }
  if (row.size() < static_cast<size_t>(l.width) * channels) return Result(Status::kBroken, "unexpected PNG row size");
  uint32_t rows_in_block = 0;
  for (uint32_t y = 0; y < l.height; ++y) {
    if (!ReadOneRow(d, row.data())) return Failure(d->state);
    const png_byte* p = row.data();
    for (uint32_t x = 0; x < l.width; ++x)
      for (int c = 0; c < channels; ++c) sums[(x / k) * channels + c] += *p++;
    if (++rows_in_block < static_cast<uint32_t>(k) && y + 1 < l.height) continue;
    uint8_t* dst = img.row(static_cast<int>(y / k));
    for (uint32_t ox = 0; ox < ow; ++ox) {
      const uint32_t cols = std::min<uint32_t>(k, l.width - ox * k);
      const uint32_t n = cols * rows_in_block;
      for (int c = 0; c < channels; ++c) {
        uint32_t& s = sums[ox * channels + c];
        dst[ox * channels + c] = static_cast<uint8_t>((s + n / 2) / n);
        s = 0;
      }
    }
    rows_in_block = 0;
  }
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace

Result PngReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info) {
  if (index != 0) return Result(Status::kBadValue, "PNG files hold one picture");
  if (Result r = CheckHeader(data, size); !r.ok()) return r;
  // A plain header is read from its chunks; libpng reads the rest.
  if (PngHeader h; PngReadHeader(data, size, &h)) {
    FileInfo fi;
    fi.format = FileFormat::kPng;
    fi.width = static_cast<int>(h.width);
    fi.height = static_cast<int>(h.height);
    fi.bpp = EngineDepth(h.color_type, h.bit_depth, h.has_trns);
    fi.gray = h.color_type == PNG_COLOR_TYPE_GRAY || (h.color_type == PNG_COLOR_TYPE_PALETTE && h.grey_palette);
    if (h.unit == PNG_RESOLUTION_METER) {
      fi.dpi_x = Dpi(h.x_per_unit);
      fi.dpi_y = Dpi(h.y_per_unit);
    }
    *info = fi;
    return Result::Ok();
  }
  return PngReadInfoWithLibrary(data, size, info);
}

Result PngReadInfoWithLibrary(const uint8_t* data, size_t size, FileInfo* info) {
  if (Result r = CheckHeader(data, size); !r.ok()) return r;
  Decoder d(data, size);
  if (!d.ready()) return Result(Status::kMemory, "cannot start libpng");
  if (!ReadHeader(&d)) return Failure(d.state);
  const Layout l = Describe(d.png, d.info);
  FileInfo fi;
  fi.format = FileFormat::kPng;
  fi.width = static_cast<int>(l.width);
  fi.height = static_cast<int>(l.height);
  fi.bpp = l.bpp;
  fi.gray = l.gray;
  if (l.color_type == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(d.png, d.info, &entries, &count) != 0) {
      fi.gray = count > 0;
      for (int i = 0; i < count; ++i)
        if (entries[i].red != entries[i].green || entries[i].green != entries[i].blue) fi.gray = false;
    }
  }
  ReadResolution(d.png, d.info, &fi.dpi_x, &fi.dpi_y);
  *info = fi;
  return Result::Ok();
}

Result PngLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) {
  if (options.image_index != 0) return Result(Status::kBadValue, "PNG files hold one picture");
  if (Result r = CheckHeader(data, size); !r.ok()) return r;
  Decoder d(data, size);
  if (!d.ready()) return Result(Status::kMemory, "cannot start libpng");
  if (!ReadHeader(&d)) return Failure(d.state);
  const Layout l = Describe(d.png, d.info);
  if (Result r = CheckPictureSize(l.width, l.height, "PNG"); !r.ok()) return r;

  // A picture whose pixel data cannot possibly inflate to its size is cut
  // short; refuse it before allocating the rows.
  const int channels = png_get_channels(d.png, d.info);
  const uint64_t raw_row = (uint64_t{l.width} * channels * l.bit_depth + 7) / 8 + 1;
  if (CompressedPixelBytes(data, size) * kMaxInflateRatio + 65536 < raw_row * l.height)
    return Result(Status::kBroken, "PNG pixel data is too short for the picture size");

  if (l.bit_depth == 16) png_set_scale_16(d.png);
  if (l.color_type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(d.png);
  if (l.color_type == PNG_COLOR_TYPE_RGB || l.color_type == PNG_COLOR_TYPE_RGB_ALPHA ||
      l.color_type == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_bgr(d.png);
  if (l.color_type == PNG_COLOR_TYPE_RGB && l.has_trns) png_set_tRNS_to_alpha(d.png);
  png_set_interlace_handling(d.png);
  png_read_update_info(d.png, d.info);

  Image img;
  if (const int k = ReductionFactor(l, options); k > 1) {
    if (Result r = ReadReduced(&d, l, k, &img); !r.ok()) return r;
    (void)ReadEnd(&d);
    int dpi_x = 0, dpi_y = 0;
    ReadResolution(d.png, d.info, &dpi_x, &dpi_y);
    img.set_dpi(dpi_x, dpi_y);
    img.set_comment(ReadComment(d.png, d.info));
    *out = std::move(img);
    return Result::Ok();
  }
  if (Result r = Image::Create(static_cast<int>(l.width), static_cast<int>(l.height), l.bpp, &img); !r.ok())
    return r;
  if (png_get_rowbytes(d.png, d.info) > img.stride())
    return Result(Status::kBroken, "PNG rows are wider than the picture");
  std::vector<png_bytep> rows;
  try {
    rows.resize(l.height);
  } catch (...) {
    return Result(Status::kMemory, "out of memory");
  }
  for (uint32_t y = 0; y < l.height; ++y) rows[y] = img.row(static_cast<int>(y));
  if (!ReadRows(&d, rows.data())) return Failure(d.state);
  // Every row is decoded; a file cut after its pixel data loses only the
  // chunks that follow (text, mostly), which is not worth refusing it for.
  (void)ReadEnd(&d);

  if (l.spread_2bit) Spread2Bit(&img);
  if (l.bpp <= 8) SetIndexedColours(d.png, d.info, l, &img);
  int dpi_x = 0, dpi_y = 0;
  ReadResolution(d.png, d.info, &dpi_x, &dpi_y);
  img.set_dpi(dpi_x, dpi_y);
  img.set_comment(ReadComment(d.png, d.info));
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

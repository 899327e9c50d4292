#include "thumb/cache_png.h"

#include <libdeflate.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace thumb::cache_png {
namespace {

uint32_t Be32(const uint8_t* p) { return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]; }

bool TypeIs(const uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

// One tEXt chunk: a key of 1-79 bytes, a NUL, the value.  False when the
// chunk is not of that shape (a general reader drops it then).
bool ReadText(const uint8_t* data, size_t len, std::pair<std::string, std::string>* out) {
  const auto* nul = static_cast<const uint8_t*>(std::memchr(data, 0, len));
  if (nul == nullptr || nul == data || nul - data > 79) return false;
  out->first.assign(reinterpret_cast<const char*>(data), static_cast<size_t>(nul - data));
  out->second.assign(reinterpret_cast<const char*>(nul + 1), len - static_cast<size_t>(nul - data) - 1);
  return true;
}

// ---- unfiltering -----------------------------------------------------------

inline uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Sub: each sample plus the one a pixel to its left.
void UnfilterSub(uint8_t* row, size_t n, int bpp) {
#if defined(__SSE2__)
  if (bpp == 4 && n >= 8) {
    // One pixel at a time in a register: the chain is a single byte-wise add.
    __m128i left = _mm_cvtsi32_si128(0);
    for (size_t i = 0; i + 4 <= n; i += 4) {
      int32_t v;
      std::memcpy(&v, row + i, 4);
      left = _mm_add_epi8(left, _mm_cvtsi32_si128(v));
      v = _mm_cvtsi128_si32(left);
      std::memcpy(row + i, &v, 4);
    }
    return;
  }
#endif
  for (size_t i = static_cast<size_t>(bpp); i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
}

// Up: each sample plus the one above (rows never overlap, so this runs
// sixteen samples at a time).
void UnfilterUp(uint8_t* __restrict row, const uint8_t* __restrict prev, size_t n) {
  for (size_t i = 0; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + prev[i]);
}

// RGBA samples to ARGB32 pixels (B, G, R, A in memory).
void RgbaToArgb32(const uint8_t* __restrict src, QRgb* __restrict dst, size_t pixels) {
  size_t x = 0;
#if defined(__SSE2__)
  const __m128i ga = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
  for (; x + 4 <= pixels; x += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x));
    // R and B trade places: swap the 16-bit halves of each pixel's R_B_ part.
    __m128i rb = _mm_andnot_si128(ga, v);
    rb = _mm_shufflehi_epi16(_mm_shufflelo_epi16(rb, 0xB1), 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_or_si128(_mm_and_si128(v, ga), rb));
  }
#endif
  for (; x < pixels; ++x) {
    const uint8_t* p = src + 4 * x;
    dst[x] = qRgba(p[0], p[1], p[2], p[3]);
  }
}

#if defined(__SSE2__)
// Average and Paeth of four-byte pixels, one pixel at a time with its four
// samples side by side in 16-bit lanes (the pixel to the left is the one
// just made, so pixels cannot go in parallel).
inline __m128i Load4(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_unpacklo_epi8(_mm_cvtsi32_si128(v), _mm_setzero_si128());
}
inline void Store4(uint8_t* p, __m128i wide) {
  const int32_t v = _mm_cvtsi128_si32(_mm_packus_epi16(wide, wide));
  std::memcpy(p, &v, 4);
}
inline __m128i Low8(__m128i v) { return _mm_and_si128(v, _mm_set1_epi16(0xFF)); }

void UnfilterAverage4(uint8_t* row, const uint8_t* prev, size_t n) {
  __m128i left = _mm_setzero_si128();
  for (size_t i = 0; i + 4 <= n; i += 4) {
    const __m128i mean = _mm_srli_epi16(_mm_add_epi16(left, Load4(prev + i)), 1);
    left = Low8(_mm_add_epi16(Load4(row + i), mean));
    Store4(row + i, left);
  }
}

inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

void UnfilterPaeth4(uint8_t* row, const uint8_t* prev, size_t n) {
  __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();  // left, upper left
  for (size_t i = 0; i + 4 <= n; i += 4) {
    const __m128i b = Load4(prev + i);
    // p = a + b - c; pa = |p - a| = |b - c|, pb = |p - b| = |a - c|, pc = |p - c|.
    const __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c);
    const __m128i pa = Abs16(bc), pb = Abs16(ac), pc = Abs16(_mm_add_epi16(bc, ac));
    // a where pa <= pb and pa <= pc, else b where pb <= pc, else c.
    const __m128i not_a = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
    const __m128i not_b = _mm_cmpgt_epi16(pb, pc);
    const __m128i b_or_c = _mm_or_si128(_mm_and_si128(not_b, c), _mm_andnot_si128(not_b, b));
    const __m128i pred = _mm_or_si128(_mm_and_si128(not_a, b_or_c), _mm_andnot_si128(not_a, a));
    a = Low8(_mm_add_epi16(Load4(row + i), pred));
    c = b;
    Store4(row + i, a);
  }
}
#endif

bool Unfilter(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t n, int bpp) {
  switch (filter) {
    case 0: return true;
    case 1: UnfilterSub(row, n, bpp); return true;
    case 2: UnfilterUp(row, prev, n); return true;
    case 3:
#if defined(__SSE2__)
      if (bpp == 4) {
        UnfilterAverage4(row, prev, n);
        return true;
      }
#endif
      for (size_t i = 0; i < n; ++i) {
        const int left = i >= static_cast<size_t>(bpp) ? row[i - bpp] : 0;
        row[i] = static_cast<uint8_t>(row[i] + ((left + prev[i]) >> 1));
      }
      return true;
    case 4:
#if defined(__SSE2__)
      if (bpp == 4) {
        UnfilterPaeth4(row, prev, n);
        return true;
      }
#endif
      for (size_t i = 0; i < static_cast<size_t>(bpp) && i < n; ++i)
        row[i] = static_cast<uint8_t>(row[i] + prev[i]);  // no left pixel: Paeth picks the one above
      for (size_t i = static_cast<size_t>(bpp); i < n; ++i)
        row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - bpp], prev[i], prev[i - bpp]));
      return true;
    default: return false;  // not a filter PNG knows
  }
}

struct DecompressorFree {
  void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// One decompressor a thread, kept: making one costs more than inflating a
// small thumbnail.
libdeflate_decompressor* ThreadDecompressor() {
  thread_local std::unique_ptr<libdeflate_decompressor, DecompressorFree> d(libdeflate_alloc_decompressor());
  return d.get();
}

// ---- writing ---------------------------------------------------------------

struct CompressorFree {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// One compressor a thread and level, kept (each holds its hash tables).
libdeflate_compressor* ThreadCompressor(int level) {
  thread_local std::unique_ptr<libdeflate_compressor, CompressorFree> kept[13];
  auto& c = kept[level];
  if (!c) c.reset(libdeflate_alloc_compressor(level));
  return c.get();
}

void PutBe32(std::string* out, uint32_t v) {
  const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                     static_cast<char>(v)};
  out->append(b, 4);
}

// One chunk: length, type, data, the CRC of type and data.
void PutChunk(std::string* png, const char* type, const void* data, size_t n) {
  PutBe32(png, static_cast<uint32_t>(n));
  const size_t type_at = png->size();
  png->append(type, 4);
  png->append(static_cast<const char*>(data), n);
  PutBe32(png, libdeflate_crc32(0, png->data() + type_at, n + 4));
}

}  // namespace

bool WalkChunks(const QByteArray& png, Chunks* out) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  const auto* bytes = reinterpret_cast<const uint8_t*>(png.constData());
  const size_t n = static_cast<size_t>(png.size());
  if (n < 8 || std::memcmp(bytes, kSignature, 8) != 0) return false;
  Chunks c;
  size_t pos = 8;
  bool first = true, data_ended = false;
  while (n - pos >= 12) {
    const uint32_t len = Be32(bytes + pos);
    const uint8_t* type = bytes + pos + 4;
    const uint8_t* data = type + 4;
    if (len > n - pos - 12) return false;
    const uint32_t crc = Be32(data + len);
    if (libdeflate_crc32(0, type, len + 4u) != crc) c.checksums_sound = false;
    if (first) {
      // IHDR comes first and is 13 bytes.
      if (!TypeIs(type, "IHDR") || len != 13) return false;
      c.width = Be32(data);
      c.height = Be32(data + 4);
      c.bit_depth = data[8];
      c.colour_type = data[9];
      c.compression = data[10];
      c.filter = data[11];
      c.interlace = data[12];
      first = false;
    } else if (TypeIs(type, "IDAT")) {
      // The pixel stream is one run of IDAT chunks; a second run is a broken file.
      if (data_ended) c.checksums_sound = false;
      c.image_data.emplace_back(static_cast<size_t>(data - bytes), len);
    } else if (TypeIs(type, "IEND")) {
      *out = std::move(c);
      return true;
    } else {
      if (!c.image_data.empty()) data_ended = true;
      if (TypeIs(type, "tEXt") || TypeIs(type, "zTXt") || TypeIs(type, "iTXt")) {
        c.text_bytes += len;
        if (c.text_bytes > kMaxTextBytes) return false;
        std::pair<std::string, std::string> kv;
        if (TypeIs(type, "tEXt") && ReadText(data, len, &kv))
          c.text.push_back(std::move(kv));
        else
          c.has_other_text = true;
      } else if (TypeIs(type, "tRNS")) {
        c.has_transparency = true;
      } else if (TypeIs(type, "pHYs") && len == 9 && c.image_data.empty() && data[8] == 1) {
        c.dots_per_metre_x = Be32(data);
        c.dots_per_metre_y = Be32(data + 4);
      }
    }
    pos += 12 + static_cast<size_t>(len);
  }
  return false;
}

const std::string* TextValue(const Chunks& chunks, const char* key) {
  for (auto it = chunks.text.rbegin(); it != chunks.text.rend(); ++it)
    if (it->first == key) return &it->second;
  return nullptr;
}

bool DecodeSimple(const QByteArray& png, const Chunks& c, QImage* out) {
  if (c.bit_depth != 8 || (c.colour_type != 2 && c.colour_type != 6) || c.compression != 0 || c.filter != 0 ||
      c.interlace != 0 || c.has_transparency || c.has_other_text || !c.checksums_sound || c.image_data.empty())
    return false;
  if (c.width == 0 || c.height == 0 || c.width > 4096 || c.height > 4096) return false;
  if (c.dots_per_metre_x > INT_MAX || c.dots_per_metre_y > INT_MAX) return false;
  const int bpp = c.colour_type == 6 ? 4 : 3;
  const size_t row_bytes = static_cast<size_t>(c.width) * static_cast<size_t>(bpp);
  const size_t expected = static_cast<size_t>(c.height) * (row_bytes + 1);

  // The compressed stream: straight from the file when it is one chunk.
  const auto* bytes = reinterpret_cast<const uint8_t*>(png.constData());
  std::vector<uint8_t> joined;
  const uint8_t* stream = bytes + c.image_data.front().first;
  size_t stream_size = c.image_data.front().second;
  if (c.image_data.size() > 1) {
    for (const auto& [offset, len] : c.image_data) joined.insert(joined.end(), bytes + offset, bytes + offset + len);
    stream = joined.data();
    stream_size = joined.size();
  }
  libdeflate_decompressor* d = ThreadDecompressor();
  if (d == nullptr) return false;
  std::unique_ptr<uint8_t[]> raw(new (std::nothrow) uint8_t[expected]);
  if (!raw) return false;
  size_t got = 0;
  if (libdeflate_zlib_decompress(d, stream, stream_size, raw.get(), expected, &got) != LIBDEFLATE_SUCCESS ||
      got != expected)
    return false;

  QImage img(static_cast<int>(c.width), static_cast<int>(c.height),
             bpp == 4 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (img.isNull()) return false;
  std::vector<uint8_t> zero(row_bytes, 0);
  const uint8_t* prev = zero.data();
  for (uint32_t y = 0; y < c.height; ++y) {
    uint8_t* line = raw.get() + static_cast<size_t>(y) * (row_bytes + 1);
    uint8_t* row = line + 1;
    if (!Unfilter(line[0], row, prev, row_bytes, bpp)) return false;
    prev = row;
    auto* dst = reinterpret_cast<QRgb*>(img.scanLine(static_cast<int>(y)));
    if (bpp == 4) {
      RgbaToArgb32(row, dst, c.width);
    } else {
      for (uint32_t x = 0; x < c.width; ++x, row += 3) dst[x] = qRgb(row[0], row[1], row[2]);
    }
  }
  if (c.dots_per_metre_x > 0) img.setDotsPerMeterX(static_cast<int>(c.dots_per_metre_x));
  if (c.dots_per_metre_y > 0) img.setDotsPerMeterY(static_cast<int>(c.dots_per_metre_y));
  for (const auto& [key, value] : c.text)
    img.setText(QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size())),
                QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size())));
  *out = std::move(img);
  return true;
}

QByteArray EncodeRgba(const QImage& picture, const std::vector<std::pair<std::string, std::string>>& text, bool alpha,
                      int level) {
  if (picture.isNull() || level < 0 || level > 12) return {};
  const QImage src = picture.convertToFormat(QImage::Format_ARGB32);
  const uint32_t w = static_cast<uint32_t>(src.width()), h = static_cast<uint32_t>(src.height());
  const size_t channels = alpha ? 4 : 3;
  const size_t row_bytes = w * channels;
  // The rows as samples, then each but the first as its difference from
  // the row above (filter "up"), back to front so every row still sees
  // the samples above it.
  std::vector<uint8_t> raw(static_cast<size_t>(h) * (row_bytes + 1));
  for (uint32_t y = 0; y < h; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(static_cast<int>(y)));
    uint8_t* o = raw.data() + static_cast<size_t>(y) * (row_bytes + 1);
    *o++ = y == 0 ? 0 : 2;
    for (uint32_t x = 0; x < w; ++x) {
      *o++ = static_cast<uint8_t>(qRed(line[x]));
      *o++ = static_cast<uint8_t>(qGreen(line[x]));
      *o++ = static_cast<uint8_t>(qBlue(line[x]));
      if (alpha) *o++ = static_cast<uint8_t>(qAlpha(line[x]));
    }
  }
  for (uint32_t y = h; y-- > 1;) {
    uint8_t* row = raw.data() + static_cast<size_t>(y) * (row_bytes + 1) + 1;
    const uint8_t* above = row - (row_bytes + 1);
    for (size_t i = 0; i < row_bytes; ++i) row[i] = static_cast<uint8_t>(row[i] - above[i]);
  }
  libdeflate_compressor* c = ThreadCompressor(level);
  if (c == nullptr) return {};
  std::vector<uint8_t> packed(libdeflate_zlib_compress_bound(c, raw.size()));
  const size_t packed_size = libdeflate_zlib_compress(c, raw.data(), raw.size(), packed.data(), packed.size());
  if (packed_size == 0) return {};

  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string ihdr;
  PutBe32(&ihdr, w);
  PutBe32(&ihdr, h);
  ihdr += static_cast<char>(8);
  ihdr += static_cast<char>(alpha ? 6 : 2);
  ihdr.append(3, '\0');  // deflate, adaptive filtering, not interlaced
  PutChunk(&png, "IHDR", ihdr.data(), ihdr.size());
  for (const auto& [key, value] : text) {
    if (key.empty() || key.size() > 79 || key.find('\0') != std::string::npos) return {};
    std::string body = key;
    body += '\0';
    body += value;
    PutChunk(&png, "tEXt", body.data(), body.size());
  }
  if (src.dotsPerMeterX() > 0 && src.dotsPerMeterY() > 0) {
    std::string phys;
    PutBe32(&phys, static_cast<uint32_t>(src.dotsPerMeterX()));
    PutBe32(&phys, static_cast<uint32_t>(src.dotsPerMeterY()));
    phys += static_cast<char>(1);  // metres
    PutChunk(&png, "pHYs", phys.data(), phys.size());
  }
  PutChunk(&png, "IDAT", packed.data(), packed_size);
  PutChunk(&png, "IEND", nullptr, 0);
  return QByteArray(png.data(), static_cast<qsizetype>(png.size()));
}

}  // namespace thumb::cache_png

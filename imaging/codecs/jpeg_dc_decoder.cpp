// Reduced-scale baseline JPEG decoding.  The markers are read first, then
// the scan's entropy-coded data is read in place: the bit reader takes eight
// bytes at a time where they hold no 0xFF, and checks once per MCU that it
// has not run past the data.  The arithmetic is libjpeg-turbo's scaled
// decode (jpeg_reduced_idct.h): each component gets the block size libjpeg
// gives it (chroma grows with the inverse DCT rather than by upsampling
// where the sampling factors allow), chroma still halved across is doubled
// with the triangle filter at 1/4, and YCbCr goes to RGB with the same
// 16-bit fixed-point tables, so the result matches tjDecompress2 at the
// same scale with its default (smooth) upsampling.
#include "imaging/codecs/jpeg_dc_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/codecs/internal/jpeg_entropy.h"
#include "imaging/codecs/internal/jpeg_reduced_idct.h"

namespace imaging::codecs::internal {
namespace {

Result Broken(const char* what) { return Result(Status::kBroken, std::string("JPEG ") + what); }

struct Component {
  int id = 0;
  int h = 1, v = 1;  // sampling factors
  int tq = 0;        // quantisation table
  int td = 0, ta = 0;
  int scan_order = -1;
  // Samples per block side after the inverse DCT, as libjpeg picks them:
  // the scale's, or more for chroma so that it needs no upsampling.
  int samples = 1;
  bool doubled = false;  // chroma still halved across after the inverse DCT
  int plane_w = 0, plane_h = 0;
  std::unique_ptr<uint8_t[]> plane;  // every sample is written before it is read
  std::array<int16_t, 64> quant{};
};

// Everything the markers before the scan tell.
struct Header {
  int width = 0, height = 0;
  bool have_frame = false;
  bool jfif = false;
  int adobe_transform = -1;
  int restart_interval = 0;
  std::array<Component, 3> comp{};
  int ncomp = 0;
  std::array<std::array<uint16_t, 64>, 4> quant{};  // as stored; libjpeg multiplies by them as 16-bit signed
  std::array<bool, 4> quant_defined{};
  std::array<HuffTable, 4> dc{}, ac{};
  std::array<int, 3> scan{};  // scan order -> component
  int nscan = 0;
};

inline uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// The outcome of reading the markers: decode, leave to libjpeg, or fail.
enum class Parse { kOk, kNotHandled, kBroken };

struct Parser {
  const uint8_t* data;
  size_t size;
  Header* hdr;
  Result error;

  Parse Fail(const char* what) {
    error = Broken(what);
    return Parse::kBroken;
  }

  Parse Frame(const uint8_t* p, size_t len) {
    if (hdr->have_frame) return Fail("has two frame headers");
    if (len < 6) return Fail("frame header is short");
    if (p[0] != 8) return Parse::kNotHandled;
    hdr->height = Be16(p + 1);
    hdr->width = Be16(p + 3);
    const int n = p[5];
    if (hdr->width == 0 || hdr->height == 0) return Fail("picture has no pixels");
    if (n != 1 && n != 3) return Parse::kNotHandled;
    if (len < 6 + 3 * static_cast<size_t>(n)) return Fail("frame header is short");
    for (int i = 0; i < n; ++i) {
      Component& c = hdr->comp[i];
      c.id = p[6 + 3 * i];
      c.h = p[7 + 3 * i] >> 4;
      c.v = p[7 + 3 * i] & 15;
      c.tq = p[8 + 3 * i];
      if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.tq > 3) return Fail("frame header is damaged");
      for (int j = 0; j < i; ++j)
        if (hdr->comp[j].id == c.id) return Fail("frame names a component twice");
    }
    hdr->ncomp = n;
    hdr->have_frame = true;
    return Parse::kOk;
  }

  Parse Huffman(const uint8_t* p, size_t len) {
    while (len > 0) {
      if (len < 17) return Fail("Huffman table is short");
      const int tc = p[0] >> 4, th = p[0] & 15;
      if (tc > 1 || th > 3) return Fail("Huffman table id is out of range");
      int total = 0;
      for (int i = 1; i <= 16; ++i) total += p[i];
      if (total > 256 || len < 17 + static_cast<size_t>(total)) return Fail("Huffman table is damaged");
      HuffTable& t = tc == 0 ? hdr->dc[th] : hdr->ac[th];
      if (!BuildTable(p + 1, p + 17, total, tc == 0, &t)) return Fail("Huffman table is damaged");
      p += 17 + total;
      len -= 17 + total;
    }
    return Parse::kOk;
  }

  Parse Quant(const uint8_t* p, size_t len) {
    while (len > 0) {
      const int pq = p[0] >> 4, tq = p[0] & 15;
      if (tq > 3 || pq > 1) return Fail("quantisation table id is out of range");
      const size_t need = 1 + 64 * (pq + 1);
      if (len < need) return Fail("quantisation table is short");
      for (int i = 0; i < 64; ++i)
        hdr->quant[tq][kNatural[i]] = pq == 0 ? p[1 + i] : Be16(p + 1 + 2 * i);
      hdr->quant_defined[tq] = true;
      p += need;
      len -= need;
    }
    return Parse::kOk;
  }

  Parse Scan(const uint8_t* p, size_t len) {
    if (!hdr->have_frame) return Fail("scan comes before the frame header");
    if (len < 1) return Fail("scan header is short");
    const int n = p[0];
    if (len < 4 + 2 * static_cast<size_t>(n) || n < 1 || n > 4) return Fail("scan header is damaged");
    // One scan holding every component; other layouts go to libjpeg.
    if (n != hdr->ncomp) return Parse::kNotHandled;
    for (int i = 0; i < n; ++i) {
      const int id = p[1 + 2 * i];
      int found = -1;
      for (int j = 0; j < hdr->ncomp; ++j)
        if (hdr->comp[j].id == id) found = j;
      if (found < 0 || hdr->comp[found].scan_order >= 0) return Fail("scan names an unknown component");
      Component& c = hdr->comp[found];
      c.scan_order = i;
      c.td = p[2 + 2 * i] >> 4;
      c.ta = p[2 + 2 * i] & 15;
      if (c.td > 3 || c.ta > 3) return Fail("scan names a Huffman table out of range");
      hdr->scan[i] = found;
    }
    hdr->nscan = n;
    const uint8_t ss = p[1 + 2 * n], se = p[2 + 2 * n], a = p[3 + 2 * n];
    if (ss != 0 || se != 63 || a != 0) return Parse::kNotHandled;
    return Parse::kOk;
  }

  // Reads markers up to the scan; `*scan_data` is where its entropy data starts.
  Parse Run(size_t* scan_data) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return Fail("data has no start-of-image marker");
    size_t pos = 2;
    for (;;) {
      if (pos >= size || data[pos] != 0xFF) return Parse::kNotHandled;
      while (pos < size && data[pos] == 0xFF) ++pos;
      if (pos >= size) return Fail("data ends in a marker");
      const uint8_t m = data[pos++];
      if (m == 0xD8 || m == 0xD9 || (m >= 0xD0 && m <= 0xD7) || m == 0x01) return Parse::kNotHandled;
      if (pos + 2 > size) return Fail("data ends in a marker");
      const size_t len = Be16(data + pos);
      if (len < 2 || pos + len > size) return Fail("marker segment runs past the data");
      const uint8_t* body = data + pos + 2;
      const size_t body_len = len - 2;
      pos += len;
      Parse r = Parse::kOk;
      if (m == 0xC0 || m == 0xC1) r = Frame(body, body_len);
      else if (m == 0xC4) r = Huffman(body, body_len);
      else if (m == 0xDB) r = Quant(body, body_len);
      else if (m == 0xDD) {
        if (body_len < 2) return Fail("restart interval marker is short");
        hdr->restart_interval = Be16(body);
      } else if (m == 0xE0) {
        if (body_len >= 14 && std::memcmp(body, "JFIF", 5) == 0) hdr->jfif = true;
      } else if (m == 0xEE) {
        if (body_len >= 12 && std::memcmp(body, "Adobe", 5) == 0) hdr->adobe_transform = body[11];
      } else if (m == 0xDA) {
        r = Scan(body, body_len);
        if (r == Parse::kOk) *scan_data = pos;
        return r;
      } else if ((m >= 0xE1 && m <= 0xEF) || m == 0xFE) {
        // Application data and comments are not needed here.
      } else {
        return Parse::kNotHandled;  // other frame types, arithmetic coding, DNL, ...
      }
      if (r != Parse::kOk) return r;
    }
  }
};

// The samples per block side libjpeg gives a component at `scale` / 8:
// the scale's own, doubled while the component's sampling factors are
// still a power-of-two fraction of the largest, so halved chroma comes out
// at the luma's size.
constexpr int16_t kZeros[8] = {};

// Sets an n x n block (n = 2, 4 or 8) to `v` with plain stores.
void FillBlock(uint8_t* at, ptrdiff_t stride, int n, uint8_t v) {
  const uint64_t all = 0x0101010101010101ull * v;
  for (int r = 0; r < n; ++r, at += stride) {
    if (n == 2) std::memcpy(at, &all, 2);
    else if (n == 4) std::memcpy(at, &all, 4);
    else std::memcpy(at, &all, 8);
  }
}

int SamplesFor(const Component& c, int hmax, int vmax, int scale) {
  int n = scale;
  while (n < 8 && (hmax * scale) % (c.h * n * 2) == 0 && (vmax * scale) % (c.v * n * 2) == 0) n *= 2;
  return n;
}

}  // namespace

Result JpegScaledDecode(const uint8_t* data, size_t size, int scale, Image* out, bool* handled) {
  *handled = false;
  if (scale != 1 && scale != 2) return Result(Status::kBadValue, "JPEG reduced scale must be 1 or 2");
  const Result not_handled(Status::kUnsupported, "JPEG layout left to libjpeg");
  auto hdr = std::make_unique<Header>();
  Parser parser{data, size, hdr.get(), Result::Ok()};
  size_t scan_data = 0;
  const Parse parsed = parser.Run(&scan_data);
  if (parsed == Parse::kNotHandled) return not_handled;
  *handled = true;
  if (parsed == Parse::kBroken) return parser.error;

  // Colour space as libjpeg picks it; only YCbCr is decoded here.
  if (hdr->ncomp == 3 && !hdr->jfif) {
    if (hdr->adobe_transform == 0) {
      *handled = false;
      return not_handled;
    }
    const Component* c = hdr->comp.data();
    if (hdr->adobe_transform < 0 && c[0].id == 'R' && c[1].id == 'G' && c[2].id == 'B') {
      *handled = false;
      return not_handled;
    }
  }

  const int ncomp = hdr->ncomp;
  int hmax = 1, vmax = 1;
  for (int i = 0; i < ncomp; ++i) {
    hmax = std::max(hmax, hdr->comp[i].h);
    vmax = std::max(vmax, hdr->comp[i].v);
  }
  int mcus_x = 0, mcus_y = 0;
  if (ncomp == 1) {
    // A lone component is coded block by block whatever its sampling factors.
    hdr->comp[0].h = hdr->comp[0].v = 1;
    hmax = vmax = 1;
    mcus_x = (hdr->width + 7) / 8;
    mcus_y = (hdr->height + 7) / 8;
  } else {
    const Component* c = hdr->comp.data();
    if (c[0].h != hmax || c[0].v != vmax || hmax > 2 || vmax > 2) {
      *handled = false;
      return not_handled;
    }
    for (int i = 1; i < 3; ++i) {
      // Chroma whole, halved across (h2v1), or halved both ways (h2v2).
      const int rx = hmax / c[i].h, ry = vmax / c[i].v;
      if (c[i].h * rx != hmax || c[i].v * ry != vmax || !((rx == 1 && ry == 1) || (rx == 2 && ry == 1) ||
                                                          (rx == 2 && ry == 2))) {
        *handled = false;
        return not_handled;
      }
    }
    mcus_x = (hdr->width + 8 * hmax - 1) / (8 * hmax);
    mcus_y = (hdr->height + 8 * vmax - 1) / (8 * vmax);
  }
  for (int i = 0; i < ncomp; ++i) {
    Component& c = hdr->comp[i];
    if (!hdr->quant_defined[c.tq]) return Broken("names a quantisation table it does not define");
    // libjpeg-turbo falls back on the standard tables when none are given.
    if (!hdr->dc[c.td].defined || !hdr->ac[c.ta].defined) {
      *handled = false;
      return not_handled;
    }
    for (int k = 0; k < 64; ++k) c.quant[k] = static_cast<int16_t>(hdr->quant[c.tq][k]);
    c.samples = SamplesFor(c, hmax, vmax, scale);
    // After the inverse DCT every component is at the output size, or
    // (chroma halved across) at half of it across.
    const int in_x = c.h * c.samples / scale, in_y = c.v * c.samples / scale;
    if (in_y != vmax || (in_x != hmax && in_x * 2 != hmax)) {
      *handled = false;
      return not_handled;
    }
    c.doubled = in_x != hmax;
  }

  const int out_w = static_cast<int>((int64_t{hdr->width} * scale + 7) / 8);
  const int out_h = static_cast<int>((int64_t{hdr->height} * scale + 7) / 8);
  const int bpp = ncomp == 1 ? 8 : 24;
  if (out_w > kMaxDimension || out_h > kMaxDimension)
    return Result(Status::kMemory, "JPEG picture exceeds the engine's limit");
  if (uint64_t{Image::RowBytes(out_w, bpp)} * static_cast<uint64_t>(out_h) > kMaxPixelBytes)
    return Result(Status::kMemory, "JPEG picture exceeds the engine's memory limit");

  const size_t interval = static_cast<size_t>(hdr->restart_interval);
  for (int i = 0; i < ncomp; ++i) {
    Component& c = hdr->comp[i];
    // DC-only components skip their AC codes; the others decode them.
    HuffTable& ac = hdr->ac[c.ta];
    if (c.samples == 1 && !ac.pairs_built) BuildPairs(&ac);
    if (c.samples > 1 && !ac.values_built) BuildValues(&ac);
    // One MCU row at a time: its rows go out before the next is decoded.
    c.plane_w = mcus_x * c.h * c.samples;
    c.plane_h = c.v * c.samples;
    c.plane.reset(new uint8_t[static_cast<size_t>(c.plane_w) * c.plane_h]);
  }

  // Blocks of the MCU in scan order.
  struct BlockRef {
    Component* comp;
    const HuffTable* dc;
    const HuffTable* ac;
    int dx, dy;  // block offset inside the MCU
    int pred;    // index into preds
  };
  std::vector<BlockRef> blocks;
  for (int s = 0; s < hdr->nscan; ++s) {
    Component& c = hdr->comp[hdr->scan[s]];
    for (int by = 0; by < c.v; ++by)
      for (int bx = 0; bx < c.h; ++bx) blocks.push_back({&c, &hdr->dc[c.td], &hdr->ac[c.ta], bx, by, s});
  }
  if (blocks.size() > 10) return Broken("MCU holds more than ten blocks");

  Image img;
  if (Result r = Image::CreateUninitialized(out_w, out_h, bpp, &img); !r.ok()) return r;
  // Chroma halved across is widened row by row; libjpeg smooths it at 1/4
  // and repeats samples at 1/8, over the samples the picture covers.
  std::array<std::vector<uint8_t>, 3> wide;
  std::array<int, 3> covered{};
  for (int i = 1; i < ncomp; ++i) {
    const Component& c = hdr->comp[i];
    if (!c.doubled) continue;
    covered[i] = static_cast<int>((int64_t{hdr->width} * c.h * c.samples + hmax * 8 - 1) / (hmax * 8));
    wide[i].assign(2 * static_cast<size_t>(covered[i]), 0);
  }
  // The picture rows of MCU row `my` from the planes.
  const int rows_per_mcu = vmax * scale;
  auto emit = [&](int my) {
    const int y0 = my * rows_per_mcu, count = std::min(rows_per_mcu, out_h - y0);
    for (int r = 0; r < count; ++r) {
      if (ncomp == 1) {
        std::memcpy(img.row(y0 + r), hdr->comp[0].plane.get() + static_cast<size_t>(r) * hdr->comp[0].plane_w, out_w);
        continue;
      }
      const uint8_t* rows[3];
      for (int i = 0; i < 3; ++i) {
        const Component& c = hdr->comp[i];
        rows[i] = c.plane.get() + static_cast<size_t>(r) * c.plane_w;
        if (c.doubled) {
          UpsampleAcross(rows[i], covered[i], scale > 1, wide[i].data());
          rows[i] = wide[i].data();
        }
      }
      YccToBgr(rows[0], rows[1], rows[2], out_w, img.row(y0 + r));
    }
  };

  const RangeLimit& limit = Limit();
  BitReader br;
  br.Reset(data + scan_data);
  br.end = data + size;
  int16_t preds[4] = {0, 0, 0, 0};
  size_t to_go = interval;
  int restart = 0;
  alignas(16) int16_t coef[64] = {};
  for (int my = 0; my < mcus_y; ++my) {
    for (int mx = 0; mx < mcus_x; ++mx) {
      if (interval > 0) {
        if (to_go == 0) {
          // libjpeg drops the bits left over and wants the next RSTn.
          const int m = br.NextMarker();
          if (m == 0x100) return Broken("picture data ends early");
          if (m != 0xD0 + restart) return Broken("restart marker is missing or out of order");
          restart = (restart + 1) & 7;
          br.Reset(br.p);
          preds[0] = preds[1] = preds[2] = preds[3] = 0;
          to_go = interval;
        }
        --to_go;
      }
      for (const BlockRef& b : blocks) {
        Component& c = *b.comp;
        int diff = 0;
        if (!DecodeDc(br, *b.dc, &diff)) return Broken("picture data holds a bad Huffman code");
        // libjpeg keeps coefficients as 16-bit values.
        preds[b.pred] = static_cast<int16_t>(static_cast<uint16_t>(preds[b.pred]) + static_cast<uint16_t>(diff));
        const int bx = mx * c.h + b.dx, by = b.dy;  // by inside the MCU row
        if (c.samples == 1) {
          if (!SkipAc(br, *b.ac)) return Broken("picture data holds a bad Huffman code");
          const int64_t dc = int64_t{preds[b.pred]} * c.quant[0];
          c.plane.get()[static_cast<size_t>(by) * c.plane_w + bx] = limit((dc + 4) >> 3);
        } else {
          coef[0] = preds[b.pred];
          int last = 0;
          if (!DecodeAc(br, *b.ac, coef, &last)) return Broken("picture data holds a bad Huffman code");
          const int n = c.samples;
          uint8_t* at = c.plane.get() + (static_cast<size_t>(by) * c.plane_w + bx) * n;
          if (last == 0) {
            // A block of its DC alone is flat, at the value every one of
            // libjpeg's inverse DCTs gives it.
            const uint8_t v = limit((int64_t{coef[0]} * c.quant[0] + 4) >> 3);
            FillBlock(at, c.plane_w, n, v);
          } else {
            IdctBlock(n, coef, c.quant.data(), at, c.plane_w);
            // Clear the block for the next one with plain stores (a memset of
            // this size may become a slow string operation).
            for (int k = 0; k < 64; k += 8) std::memcpy(coef + k, kZeros, sizeof kZeros);
          }
        }
      }
      if (br.RanOut()) return Broken("picture data ends early");
    }
    emit(my);
  }
  img.set_gray(ncomp == 1);

  *out = std::move(img);
  return Result::Ok();
}

Result JpegDcDecode(const uint8_t* data, size_t size, Image* out, bool* handled) {
  return JpegScaledDecode(data, size, 1, out, handled);
}

}  // namespace imaging::codecs::internal

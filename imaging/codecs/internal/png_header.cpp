// Reading a PNG header from its chunks.  Every rule below is at least as
// strict as libpng's reading of the same chunk up to the first IDAT
// (png_read_info()); where libpng would go on only after a warning, a
// repair or dropping a chunk, we decline and let it read.
#include "imaging/codecs/internal/png_header.h"

#include <zlib.h>

#include <cstring>

namespace imaging::codecs::internal {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6;
constexpr uint32_t kMaxSide = 0x7FFFFFFFu;
// libpng refuses any chunk, the first IDAT included, longer than its
// allocation limit (the engine sets 32 MiB).
constexpr uint32_t kMaxChunkBytes = 32u << 20;
constexpr int kMaxChunks = 64;  // before the pixel data

bool Is(const uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

// The colour type and depth pairs PNG allows.
bool ValidLayout(int color_type, int depth) {
  switch (color_type) {
    case kGrey: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case kPalette: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case kRgb:
    case kGreyAlpha:
    case kRgba: return depth == 8 || depth == 16;
    default: return false;
  }
}

}  // namespace

bool PngReadHeader(const uint8_t* data, size_t size, PngHeader* out) {
  if (data == nullptr || size < 8 + 25 || std::memcmp(data, kSignature, 8) != 0) return false;
  PngHeader h;
  bool palette = false, trns = false, phys = false;
  size_t pos = 8;
  for (int n = 0; n < kMaxChunks; ++n) {
    if (size - pos < 8) return false;
    const uint32_t length = PngBe32(data + pos);
    const uint8_t* type = data + pos + 4;
    if (Is(type, "IDAT")) {
      if (n == 0 || length > kMaxChunkBytes) return false;
      if (h.color_type == kPalette && !palette) return false;
      *out = h;
      return true;
    }
    if (length > kMaxChunkBytes || size - pos < 12 || length > size - pos - 12) return false;
    const uint8_t* body = type + 4;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), type, length + 4);
    if (crc != PngBe32(body + length)) return false;
    if (n == 0) {
      // IHDR: the size (checked against the limits by the caller), depth,
      // colour type, and the only compression, filter and interlace
      // methods there are.
      if (!Is(type, "IHDR") || length != 13) return false;
      h.width = PngBe32(body);
      h.height = PngBe32(body + 4);
      h.bit_depth = body[8];
      h.color_type = body[9];
      if (h.width == 0 || h.height == 0 || h.width > kMaxSide || h.height > kMaxSide) return false;
      if (!ValidLayout(h.color_type, h.bit_depth) || body[10] != 0 || body[11] != 0 || body[12] > 1) return false;
      h.interlaced = body[12] == 1;
    } else if (Is(type, "PLTE")) {
      // Once, for a palette picture, with no more entries than its depth
      // can index.
      const uint32_t entries = length / 3;
      if (h.color_type != kPalette || palette || trns || length % 3 != 0 || entries < 1 ||
          entries > (1u << h.bit_depth))
        return false;
      palette = true;
      h.palette_entries = static_cast<int>(entries);
      h.grey_palette = true;
      for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* c = body + 3 * i;
        if (c[0] != c[1] || c[1] != c[2]) h.grey_palette = false;
      }
    } else if (Is(type, "tRNS")) {
      // Once, after the palette, with no more entries than it; or one grey
      // or RGB value.
      if (trns) return false;
      if (h.color_type == kPalette) {
        if (!palette || length < 1 || length > static_cast<uint32_t>(h.palette_entries)) return false;
      } else if (h.color_type == kGrey) {
        if (length != 2) return false;
      } else if (h.color_type == kRgb) {
        if (length != 6) return false;
      } else {
        return false;  // pictures with alpha have no tRNS
      }
      trns = true;
      h.has_trns = true;
    } else if (Is(type, "pHYs")) {
      if (phys || length != 9) return false;
      phys = true;
      h.x_per_unit = PngBe32(body);
      h.y_per_unit = PngBe32(body + 4);
      h.unit = body[8];
    } else if (Is(type, "gAMA") || Is(type, "cHRM") || Is(type, "sRGB") || Is(type, "tEXt") || Is(type, "tIME")) {
      // Descriptive chunks: whatever they hold, they change none of the
      // facts, and libpng only warns about a bad one.
    } else {
      return false;
    }
    pos += 12 + length;
  }
  return false;
}

}  // namespace imaging::codecs::internal

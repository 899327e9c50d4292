// Packed DIB blocks: BITMAPINFOHEADER, colour table, bottom-up rows.
#include "imaging/dib.h"

#include <cstdint>
#include <cstring>

namespace imaging {
namespace {

constexpr uint32_t kHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

void Put16(uint8_t* p, uint16_t v) { p[0] = v & 0xFF; p[1] = v >> 8; }
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

int32_t DpiToPpm(int dpi) { return static_cast<int32_t>(dpi * 10000.0 / 254.0 + 0.5); }
int PpmToDpi(int32_t ppm) { return ppm <= 0 ? 0 : static_cast<int>(ppm * 254.0 / 10000.0 + 0.5); }

// Shift and width of a contiguous bit mask, for BI_BITFIELDS pixels.
void MaskShape(uint32_t mask, int* shift, int* bits) {
  *shift = 0;
  *bits = 0;
  if (mask == 0) return;
  while (!(mask & 1u)) { mask >>= 1; ++*shift; }
  while (mask & 1u) { mask >>= 1; ++*bits; }
}

uint8_t Extract(uint32_t pixel, uint32_t mask, int shift, int bits) {
  if (bits == 0) return 0;
  const uint32_t v = (pixel & mask) >> shift;
  const uint32_t max = (bits >= 32) ? 0xFFFFFFFFu : ((1u << bits) - 1);
  return static_cast<uint8_t>((v * 255u + max / 2) / max);
}

}  // namespace

size_t PackedDibSize(const Image& image) {
  if (image.empty()) return 0;
  return kHeaderSize + image.palette().size() * 4 + image.data_size();
}

Result WritePackedDib(const Image& image, uint8_t* dst, size_t capacity) {
  if (image.empty()) return Result(Status::kBadImage, "empty picture");
  const size_t size = PackedDibSize(image);
  if (dst == nullptr || capacity < size) return Result(Status::kBadValue, "buffer too small");
  std::memset(dst, 0, kHeaderSize);
  Put32(dst + 0, kHeaderSize);
  Put32(dst + 4, static_cast<uint32_t>(image.width()));
  Put32(dst + 8, static_cast<uint32_t>(image.height()));
  Put16(dst + 12, 1);
  Put16(dst + 14, static_cast<uint16_t>(image.bpp()));
  Put32(dst + 16, kBiRgb);
  Put32(dst + 20, static_cast<uint32_t>(image.data_size()));
  Put32(dst + 24, static_cast<uint32_t>(DpiToPpm(image.dpi_x())));
  Put32(dst + 28, static_cast<uint32_t>(DpiToPpm(image.dpi_y())));
  Put32(dst + 32, static_cast<uint32_t>(image.palette().size()));
  Put32(dst + 36, 0);
  uint8_t* p = dst + kHeaderSize;
  for (const PaletteEntry& e : image.palette()) {
    p[0] = e.blue; p[1] = e.green; p[2] = e.red; p[3] = 0;
    p += 4;
  }
  const size_t stride = image.stride();
  for (int y = image.height() - 1; y >= 0; --y) {
    std::memcpy(p, image.row(y), stride);
    p += stride;
  }
  return Result::Ok();
}

Result ToPackedDib(const Image& image, std::vector<uint8_t>* out) {
  if (image.empty()) return Result(Status::kBadImage, "empty picture");
  std::vector<uint8_t> block(PackedDibSize(image));
  if (Result r = WritePackedDib(image, block.data(), block.size()); !r.ok()) return r;
  *out = std::move(block);
  return Result::Ok();
}

Result FromPackedDib(const uint8_t* data, size_t size, Image* out) {
  if (data == nullptr || size < kHeaderSize) return Result(Status::kBadImage, "block too small");
  const uint32_t header = Get32(data);
  if (header < kHeaderSize || header > size) return Result(Status::kBadImage, "bad header size");
  const int32_t width = static_cast<int32_t>(Get32(data + 4));
  const int32_t raw_height = static_cast<int32_t>(Get32(data + 8));
  const int bpp = Get16(data + 14);
  const uint32_t compression = Get32(data + 16);
  if (width <= 0 || raw_height == 0 || raw_height == INT32_MIN) return Result(Status::kBadImage, "bad size");
  const bool top_down = raw_height < 0;
  const int height = top_down ? -raw_height : raw_height;
  if (compression != kBiRgb && !(compression == kBiBitfields && (bpp == 16 || bpp == 32)))
    return Result(Status::kBadImage, "compressed blocks are not image handles");

  size_t offset = header;
  uint32_t masks[3] = {0, 0, 0};
  const bool bitfields = compression == kBiBitfields;
  if (bitfields) {
    if (header >= 52) {
      for (int i = 0; i < 3; ++i) masks[i] = Get32(data + 40 + 4 * i);
    } else {
      if (size < offset + 12) return Result(Status::kBadImage, "missing bit masks");
      for (int i = 0; i < 3; ++i) masks[i] = Get32(data + offset + 4 * i);
      offset += 12;
    }
  }

  Image img;
  if (Result r = Image::Create(width, height, bitfields ? (bpp == 16 ? 24 : 32) : bpp, &img); !r.ok())
    return r.code() == Status::kMemory ? r : Result(Status::kBadImage, r.message());

  if (bpp <= 8) {
    uint32_t colors = Get32(data + 32);
    const uint32_t max_colors = 1u << bpp;
    if (colors == 0 || colors > max_colors) colors = max_colors;
    if (size < offset + size_t{colors} * 4) return Result(Status::kBadImage, "truncated colour table");
    img.palette().resize(colors);
    for (uint32_t i = 0; i < colors; ++i) {
      const uint8_t* e = data + offset + 4 * i;
      img.palette()[i] = PaletteEntry{e[0], e[1], e[2], 0};
    }
    offset += size_t{colors} * 4;
    img.set_gray(img.IsGrayPalette());
  }

  const size_t src_stride = Image::RowBytes(width, bpp);
  if (size < offset || (size - offset) / src_stride < static_cast<size_t>(height))
    return Result(Status::kBadImage, "truncated pixel rows");

  for (int y = 0; y < height; ++y) {
    const uint8_t* src = data + offset + static_cast<size_t>(top_down ? y : height - 1 - y) * src_stride;
    uint8_t* dst = img.row(y);
    if (!bitfields) {
      std::memcpy(dst, src, src_stride);
      continue;
    }
    int shift[3], bits[3];
    for (int c = 0; c < 3; ++c) MaskShape(masks[c], &shift[c], &bits[c]);
    const int out_bytes = bpp == 16 ? 3 : 4;
    for (int x = 0; x < width; ++x) {
      const uint32_t px = bpp == 16 ? Get16(src + 2 * x) : Get32(src + 4 * x);
      uint8_t* d = dst + static_cast<size_t>(x) * out_bytes;
      d[2] = Extract(px, masks[0], shift[0], bits[0]);
      d[1] = Extract(px, masks[1], shift[1], bits[1]);
      d[0] = Extract(px, masks[2], shift[2], bits[2]);
    }
  }
  img.set_dpi(PpmToDpi(static_cast<int32_t>(Get32(data + 24))), PpmToDpi(static_cast<int32_t>(Get32(data + 28))));
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace imaging

// Packed DIB blocks: BITMAPINFOHEADER, colour table, bottom-up rows.
#include "imaging/dib.h"
#include "imaging/pixel_helpers.h"

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <cstring>

namespace imaging {
namespace {

constexpr uint32_t kHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;

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

// Entries the colour table of a written block holds.
size_t TableEntries(const Image& image) {
  if (image.bpp() > 8) return 0;
  const size_t max = size_t{1} << image.bpp();
  return image.palette().empty() ? max : std::min(image.palette().size(), max);
}

// Shift and width of a contiguous bit mask, for bit-field pixels.
struct MaskShape {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit MaskShape(uint32_t m) : mask(m) {
    if (m == 0) return;
    while (!(m & 1u)) { m >>= 1; ++shift; }
    while (m & 1u) { m >>= 1; ++bits; }
  }
  uint8_t Extract(uint32_t pixel) const {
    if (bits == 0) return 0;
    const uint64_t max = (uint64_t{1} << bits) - 1;
    // A mask with holes can give values past its lowest run: clamp them.
    const uint64_t v = std::min<uint64_t>((pixel & mask) >> shift, max);
    return static_cast<uint8_t>((v * 255u + max / 2) / max);
  }
};

// How bit-field pixels are read: standard masks keep the plain layout;
// anything else is unpacked channel by channel.
struct MaskPlan {
  uint32_t masks[4] = {};
  bool unpack = false;
  int out_bpp = 0;
};

MaskPlan PlanMasks(const DibFields& f) {
  MaskPlan p;
  p.out_bpp = f.bpp;
  const bool bitfields = f.compression == kBiBitfields || f.compression == kBiAlphaBitfields;
  if (!bitfields || (f.bpp != 16 && f.bpp != 32)) return p;
  const bool sixteen = f.bpp == 16;
  for (int i = 0; i < 4; ++i) p.masks[i] = f.masks[i];
  if (p.masks[0] == 0 && p.masks[1] == 0 && p.masks[2] == 0) {
    p.masks[0] = sixteen ? 0x7C00 : 0xFF0000;
    p.masks[1] = sixteen ? 0x03E0 : 0xFF00;
    p.masks[2] = sixteen ? 0x001F : 0xFF;
  }
  const bool plain16 = p.masks[0] == 0x7C00 && p.masks[1] == 0x03E0 && p.masks[2] == 0x001F && p.masks[3] == 0;
  const bool plain32 = p.masks[0] == 0xFF0000 && p.masks[1] == 0xFF00 && p.masks[2] == 0xFF &&
                       (p.masks[3] == 0 || p.masks[3] == 0xFF000000u);
  p.unpack = !(sixteen ? plain16 : plain32);
  if (p.unpack && sixteen) p.out_bpp = p.masks[3] != 0 ? 32 : 24;
  return p;
}

}  // namespace

int DibPictureBpp(const DibFields& fields) { return PlanMasks(fields).out_bpp; }

size_t PackedDibSize(const Image& image) {
  if (image.empty()) return 0;
  return kHeaderSize + TableEntries(image) * 4 + image.data_size();
}

size_t DibHeaderSize(const Image& image) { return image.empty() ? 0 : kHeaderSize + TableEntries(image) * 4; }

void WriteDibHeader(const Image& image, uint8_t* dst) {
  const size_t entries = TableEntries(image);
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
  Put32(dst + 32, static_cast<uint32_t>(entries));
  Put32(dst + 36, 0);
  uint8_t* p = dst + kHeaderSize;
  for (size_t i = 0; i < entries; ++i, p += 4) {
    if (i < image.palette().size()) {
      const PaletteEntry& e = image.palette()[i];
      p[0] = e.blue; p[1] = e.green; p[2] = e.red;
    } else {
      p[0] = p[1] = p[2] = static_cast<uint8_t>(i * 255 / (entries - 1));
    }
    p[3] = 0;
  }
}

Result WritePackedDib(const Image& image, uint8_t* dst, size_t capacity) {
  if (image.empty()) return Result(Status::kBadImage, "empty picture");
  const size_t size = PackedDibSize(image);
  if (dst == nullptr || capacity < size) return Result(Status::kBadValue, "buffer too small");
  WriteDibHeader(image, dst);
  uint8_t* p = dst + DibHeaderSize(image);
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
  DibFields f;
  f.width = static_cast<int32_t>(Get32(data + 4));
  f.height = static_cast<int32_t>(Get32(data + 8));
  f.bpp = Get16(data + 14);
  f.compression = Get32(data + 16);
  f.x_ppm = static_cast<int32_t>(Get32(data + 24));
  f.y_ppm = static_cast<int32_t>(Get32(data + 28));
  const uint32_t used = Get32(data + 32);

  size_t offset = header;
  if (f.compression == kBiBitfields || f.compression == kBiAlphaBitfields) {
    const int count = f.compression == kBiAlphaBitfields ? 4 : 3;
    if (header >= 52) {  // V2 and later carry the masks in the header
      for (int i = 0; i < 3; ++i) f.masks[i] = Get32(data + 40 + 4 * i);
      if (header >= 56) f.masks[3] = Get32(data + 52);
    } else {
      if (size - offset < size_t(4) * count) return Result(Status::kBadImage, "missing bit masks");
      for (int i = 0; i < count; ++i) f.masks[i] = Get32(data + offset + 4 * i);
      offset += size_t(4) * count;
    }
  }

  std::vector<PaletteEntry> palette;
  if (f.bpp >= 1 && f.bpp <= 8) {
    const uint32_t max_colors = 1u << f.bpp;
    const uint32_t colors = (used == 0 || used > max_colors) ? max_colors : used;
    if ((size - offset) / 4 < colors) return Result(Status::kBadImage, "truncated colour table");
    palette.resize(colors);
    for (uint32_t i = 0; i < colors; ++i) {
      const uint8_t* e = data + offset + 4 * i;
      palette[i] = PaletteEntry{e[0], e[1], e[2], 0};
    }
    offset += size_t{colors} * 4;
  } else if (used > 0 && f.width > 0 && f.height != 0 && f.height != INT32_MIN) {
    // An optional colour table before 16/24/32-bit rows: skip it when the
    // block is large enough to hold it as well as the rows.
    const uint64_t rows = uint64_t{Image::RowBytes(f.width, f.bpp)} * static_cast<uint64_t>(std::abs(int64_t{f.height}));
    if (used <= 65536 && size - offset >= uint64_t{used} * 4 + rows) offset += size_t{used} * 4;
  }
  return DecodeDibRows(f, std::move(palette), data + offset, size - offset, out);
}

Result DecodeDibRows(const DibFields& f, std::vector<PaletteEntry> palette, const uint8_t* rows, size_t rows_size,
                     Image* out) {
  if (f.width <= 0 || f.height == 0 || f.height == INT32_MIN) return Result(Status::kBadImage, "bad size");
  const bool top_down = f.height < 0;
  const int height = top_down ? -f.height : f.height;
  const int bpp = f.bpp;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    return Result(Status::kBadImage, "unsupported bit count");
  const bool bitfields = f.compression == kBiBitfields || f.compression == kBiAlphaBitfields;
  if (f.compression != kBiRgb && !(bitfields && (bpp == 16 || bpp == 32)))
    return Result(Status::kBadImage, "compressed blocks are not image handles");

  const MaskPlan plan = PlanMasks(f);
  const uint32_t* masks = plan.masks;
  const bool unpack = plan.unpack;
  const int out_bpp = plan.out_bpp;

  // Sizes are checked before anything is allocated.
  if (f.width > kMaxDimension || height > kMaxDimension ||
      uint64_t{Image::RowBytes(f.width, out_bpp)} * static_cast<uint64_t>(height) > kMaxPixelBytes)
    return Result(Status::kMemory, "picture exceeds the engine's limits");
  const size_t src_stride = Image::RowBytes(f.width, bpp);
  if (rows == nullptr || rows_size / src_stride < static_cast<size_t>(height))
    return Result(Status::kBadImage, "truncated pixel rows");
  Image img;
  if (Result r = Image::Create(f.width, height, out_bpp, &img); !r.ok())
    return r.code() == Status::kMemory ? r : Result(Status::kBadImage, r.message());

  const MaskShape shapes[4] = {MaskShape(masks[0]), MaskShape(masks[1]), MaskShape(masks[2]), MaskShape(masks[3])};
  const bool clear_alpha = bitfields && bpp == 32 && !unpack && masks[3] == 0;
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = rows + static_cast<size_t>(top_down ? y : height - 1 - y) * src_stride;
    uint8_t* dst = img.row(y);
    if (!unpack) {
      std::memcpy(dst, src, src_stride);
      if (clear_alpha)
        for (int x = 0; x < f.width; ++x) dst[4 * x + 3] = 0;
      continue;
    }
    const int out_bytes = out_bpp / 8;
    for (int x = 0; x < f.width; ++x) {
      const uint32_t px = bpp == 16 ? Get16(src + 2 * x) : Get32(src + 4 * x);
      uint8_t* d = dst + static_cast<size_t>(x) * out_bytes;
      d[2] = shapes[0].Extract(px);
      d[1] = shapes[1].Extract(px);
      d[0] = shapes[2].Extract(px);
      if (out_bytes == 4) d[3] = shapes[3].Extract(px);
    }
  }
  if (out_bpp <= 8) {
    img.palette() = std::move(palette);
    PadPaletteToUsedIndices(&img);
    img.set_gray(img.IsGrayPalette());
  }
  img.set_dpi(PpmToDpi(f.x_ppm), PpmToDpi(f.y_ppm));
  *out = std::move(img);
  return Result::Ok();
}

void PadPaletteToUsedIndices(Image* image) {
  const int bpp = image->bpp();
  if (bpp > 8) return;
  std::vector<PaletteEntry>& palette = image->palette();
  const size_t max = size_t{1} << bpp;
  if (palette.size() > max) palette.resize(max);
  if (palette.size() == max) return;
  int used = -1;
  for (int y = 0; y < image->height(); ++y) {
    const uint8_t* row = image->row(y);
    for (int x = 0; x < image->width(); ++x) used = std::max(used, PaletteIndexAt(row, x, bpp));
  }
  if (used >= static_cast<int>(palette.size())) palette.resize(static_cast<size_t>(used) + 1, PaletteEntry{});
}

}  // namespace imaging

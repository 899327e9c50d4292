#include "imaging/image.h"

#include <new>

namespace imaging {

size_t Image::RowBytes(int width, int bpp) {
  return ((static_cast<size_t>(width) * static_cast<size_t>(bpp) + 31) / 32) * 4;
}

Result Image::Create(int width, int height, int bpp, Image* out) {
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    return Result(Status::kBadValue, "unsupported bit depth");
  if (width < 1 || height < 1) return Result(Status::kBadValue, "empty picture size");
  if (width > kMaxDimension || height > kMaxDimension)
    return Result(Status::kMemory, "picture side exceeds the engine's limit");
  const size_t stride = RowBytes(width, bpp);
  const uint64_t bytes = static_cast<uint64_t>(stride) * static_cast<uint64_t>(height);
  if (bytes > kMaxPixelBytes) return Result(Status::kMemory, "picture exceeds the engine's memory limit");

  Image img;
  try {
    img.pixels_.assign(static_cast<size_t>(bytes), 0);
  } catch (const std::bad_alloc&) {
    return Result(Status::kMemory, "out of memory");
  }
  img.width_ = width;
  img.height_ = height;
  img.bpp_ = bpp;
  img.stride_ = stride;
  if (bpp <= 8) {
    const int n = 1 << bpp;
    img.palette_.resize(n);
    for (int i = 0; i < n; ++i) {
      const uint8_t v = static_cast<uint8_t>(i * 255 / (n - 1));
      img.palette_[i] = PaletteEntry{v, v, v, 0};
    }
  }
  *out = std::move(img);
  return Result::Ok();
}

uint32_t Image::PixelRgb(int x, int y) const {
  const uint8_t* p = row(y);
  auto from_palette = [this](int index) -> uint32_t {
    if (index < 0 || index >= static_cast<int>(palette_.size())) return 0;
    const PaletteEntry& e = palette_[index];
    return (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue;
  };
  switch (bpp_) {
    case 1: return from_palette((p[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return from_palette((x & 1) ? (p[x >> 1] & 0x0F) : (p[x >> 1] >> 4));
    case 8: return from_palette(p[x]);
    case 16: {
      const uint16_t w = static_cast<uint16_t>(p[2 * x] | (p[2 * x + 1] << 8));
      auto expand = [](uint32_t v5) { return (v5 << 3) | (v5 >> 2); };
      return (expand((w >> 10) & 31) << 16) | (expand((w >> 5) & 31) << 8) | expand(w & 31);
    }
    case 24: return (uint32_t{p[3 * x + 2]} << 16) | (uint32_t{p[3 * x + 1]} << 8) | p[3 * x];
    case 32: return (uint32_t{p[4 * x + 2]} << 16) | (uint32_t{p[4 * x + 1]} << 8) | p[4 * x];
    default: return 0;
  }
}

void Image::SetPixelRgb(int x, int y, uint32_t rgb) {
  uint8_t* p = row(y);
  const uint8_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  switch (bpp_) {
    case 16: {
      const uint16_t w = static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
      p[2 * x] = w & 0xFF;
      p[2 * x + 1] = w >> 8;
      break;
    }
    case 24: p[3 * x] = b; p[3 * x + 1] = g; p[3 * x + 2] = r; break;
    case 32: p[4 * x] = b; p[4 * x + 1] = g; p[4 * x + 2] = r; break;
    default: break;
  }
}

void Image::CopyMetadataFrom(const Image& other) {
  gray_ = other.gray_;
  dpi_x_ = other.dpi_x_;
  dpi_y_ = other.dpi_y_;
  transparent_index_ = other.transparent_index_;
  comment_ = other.comment_;
}

bool Image::IsGrayPalette() const {
  if (palette_.empty()) return false;
  for (const PaletteEntry& e : palette_)
    if (e.red != e.green || e.green != e.blue) return false;
  return true;
}

}  // namespace imaging

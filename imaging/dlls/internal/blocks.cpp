// Bitmap and palette blocks in the shared memory table.
#include "imaging/dlls/internal/blocks.h"

#include <algorithm>
#include <cstring>

#include "imaging/image.h"

namespace mv7::internal {

MVBITMAP NewBitmap(int width, int height) {
  if (width < 1 || height < 1 || width > imaging::kMaxDimension || height > imaging::kMaxDimension) return 0;
  const size_t stride = static_cast<size_t>(width) * 4;
  const uint64_t bytes = sizeof(MVBITMAPHEADER) + static_cast<uint64_t>(stride) * static_cast<uint64_t>(height);
  if (bytes > imaging::kMaxPixelBytes) return 0;
  MVBITMAP bitmap = MVGlobalAlloc(static_cast<size_t>(bytes));
  if (bitmap == 0) return 0;
  LockedBlock block(bitmap);
  if (block.data() == nullptr) {
    MVGlobalFree(bitmap);
    return 0;
  }
  const MVBITMAPHEADER header{MV_BITMAP_MAGIC, width, height, static_cast<int32_t>(stride)};
  std::memcpy(block.data(), &header, sizeof header);
  uint32_t* px = reinterpret_cast<uint32_t*>(block.data() + sizeof header);
  std::fill(px, px + static_cast<size_t>(width) * height, 0xFF000000u);
  return bitmap;
}

bool ViewBitmap(const LockedBlock& block, BitmapView* view) {
  if (block.data() == nullptr || block.size() < sizeof(MVBITMAPHEADER)) return false;
  MVBITMAPHEADER h;
  std::memcpy(&h, block.data(), sizeof h);
  if (h.magic != MV_BITMAP_MAGIC || h.width < 1 || h.height < 1 || h.stride != h.width * 4) return false;
  if (sizeof h + static_cast<uint64_t>(h.stride) * static_cast<uint64_t>(h.height) > block.size()) return false;
  view->width = h.width;
  view->height = h.height;
  view->stride = h.stride;
  view->pixels = block.data() + sizeof h;
  return true;
}

MVPALETTE NewPalette(const uint8_t* rgbquads, int count) {
  if (rgbquads == nullptr || count < 1 || count > 256) return 0;
  const size_t bytes = sizeof(MVPALETTEHEADER) + static_cast<size_t>(count) * 4;
  MVPALETTE palette = MVGlobalAlloc(bytes);
  if (palette == 0) return 0;
  LockedBlock block(palette);
  if (block.data() == nullptr) {
    MVGlobalFree(palette);
    return 0;
  }
  const MVPALETTEHEADER header{MV_PALETTE_MAGIC, count};
  std::memcpy(block.data(), &header, sizeof header);
  std::memcpy(block.data() + sizeof header, rgbquads, static_cast<size_t>(count) * 4);
  return palette;
}

bool ViewPalette(const LockedBlock& block, PaletteView* view) {
  if (block.data() == nullptr || block.size() < sizeof(MVPALETTEHEADER)) return false;
  MVPALETTEHEADER h;
  std::memcpy(&h, block.data(), sizeof h);
  if (h.magic != MV_PALETTE_MAGIC || h.count < 1 || h.count > 256) return false;
  if (sizeof h + static_cast<size_t>(h.count) * 4 > block.size()) return false;
  view->count = h.count;
  view->entries = block.data() + sizeof h;
  return true;
}

bool SurfaceClip(const MvSurface* s, Clip* clip) {
  if (s == nullptr || s->pixels == nullptr || s->width < 1 || s->height < 1) return false;
  if (s->stride < static_cast<int64_t>(s->width) * 4) return false;
  Clip c{0, 0, s->width, s->height};
  if (s->clip_right > s->clip_left && s->clip_bottom > s->clip_top) {
    c.left = std::max(c.left, s->clip_left);
    c.top = std::max(c.top, s->clip_top);
    c.right = std::min(c.right, s->clip_right);
    c.bottom = std::min(c.bottom, s->clip_bottom);
  }
  *clip = c;
  return true;
}

}  // namespace mv7::internal

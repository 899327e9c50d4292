// Header checks of packed DIBs.
#include "imaging/dlls/internal/dib_header.h"

#include <cstring>
#include <limits>

#include "imaging/dlls/mv7.h"
#include "imaging/image.h"

namespace mv7::internal {

bool ReadDibHeader(const void* data, size_t size, DibFacts* facts) {
  if (data == nullptr || facts == nullptr || size < sizeof(MVBITMAPINFOHEADER)) return false;
  MVBITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof h);
  if (h.biSize < 40 || h.biSize > 4096 || h.biSize > size) return false;
  if (h.biCompression != 0 || h.biPlanes != 1) return false;
  const int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  if (h.biWidth < 1 || h.biWidth > imaging::kMaxDimension) return false;
  if (h.biHeight == 0 || h.biHeight == std::numeric_limits<int32_t>::min()) return false;
  const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if (height > imaging::kMaxDimension) return false;

  int colors = 0;
  if (bpp <= 8) {
    const uint32_t full = 1u << bpp;
    colors = static_cast<int>(h.biClrUsed == 0 || h.biClrUsed > full ? full : h.biClrUsed);
  } else if (h.biClrUsed <= 256) {
    colors = static_cast<int>(h.biClrUsed);  // an optional table ahead of direct-colour rows
  } else {
    return false;
  }
  DibFacts f;
  f.width = h.biWidth;
  f.height = height;
  f.top_down = h.biHeight < 0;
  f.bpp = bpp;
  f.colors = colors;
  f.palette_bytes = static_cast<size_t>(colors) * 4;
  f.bits_offset = h.biSize + f.palette_bytes;
  f.stride = imaging::Image::RowBytes(f.width, bpp);
  f.x_dpi = h.biXPelsPerMeter > 0 ? static_cast<int>(h.biXPelsPerMeter * 0.0254 + 0.5) : 0;
  f.y_dpi = h.biYPelsPerMeter > 0 ? static_cast<int>(h.biYPelsPerMeter * 0.0254 + 0.5) : 0;
  if (size != SIZE_MAX) {
    const uint64_t need = f.bits_offset + static_cast<uint64_t>(f.stride) * static_cast<uint64_t>(height);
    if (need > size) return false;
  }
  *facts = f;
  return true;
}

}  // namespace mv7::internal

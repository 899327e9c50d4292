#include "imaging/ops/internal/depth_rows.h"

#include <cstring>

namespace imaging::ops::depth_internal {

BgrRowReader::BgrRowReader(const Image& src) : src_(src) {
  if (src.bpp() != 24) buffer_.resize(static_cast<size_t>(src.width()) * 3);
  const auto& pal = src.palette();
  const size_t n = pal.size() < 256 ? pal.size() : 256;
  for (size_t i = 0; i < n; ++i) {
    palette_[3 * i] = pal[i].blue;
    palette_[3 * i + 1] = pal[i].green;
    palette_[3 * i + 2] = pal[i].red;
  }
}

const uint8_t* BgrRowReader::Row(int y) {
  const uint8_t* in = src_.row(y);
  const int w = src_.width();
  uint8_t* out = buffer_.data();
  auto put_index = [&](int x, unsigned index) { std::memcpy(out + 3 * x, &palette_[3 * index], 3); };
  switch (src_.bpp()) {
    case 24:
      return in;
    case 32:
      for (int x = 0; x < w; ++x) std::memcpy(out + 3 * x, in + 4 * x, 3);
      break;
    case 16:
      for (int x = 0; x < w; ++x) {
        const unsigned v = in[2 * x] | (in[2 * x + 1] << 8);
        const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        out[3 * x] = static_cast<uint8_t>((b << 3) | (b >> 2));
        out[3 * x + 1] = static_cast<uint8_t>((g << 3) | (g >> 2));
        out[3 * x + 2] = static_cast<uint8_t>((r << 3) | (r >> 2));
      }
      break;
    case 8:
      for (int x = 0; x < w; ++x) put_index(x, in[x]);
      break;
    case 4:
      for (int x = 0; x < w; ++x) put_index(x, (x & 1) ? (in[x >> 1] & 0x0F) : (in[x >> 1] >> 4));
      break;
    case 1:
      for (int x = 0; x < w; ++x) put_index(x, (in[x >> 3] >> (7 - (x & 7))) & 1);
      break;
    default:
      std::memset(out, 0, buffer_.size());
      break;
  }
  return out;
}

void PackIndices(const uint8_t* indices, int width, int bpp, uint8_t* row) {
  switch (bpp) {
    case 8:
      std::memcpy(row, indices, static_cast<size_t>(width));
      break;
    case 4:
      for (int x = 0; x + 1 < width; x += 2)
        row[x >> 1] = static_cast<uint8_t>((indices[x] << 4) | (indices[x + 1] & 0x0F));
      if (width & 1) row[width >> 1] = static_cast<uint8_t>(indices[width - 1] << 4);
      break;
    case 1: {
      const int full = width >> 3;
      for (int i = 0; i < full; ++i) {
        const uint8_t* p = indices + 8 * i;
        row[i] = static_cast<uint8_t>((p[0] & 1) << 7 | (p[1] & 1) << 6 | (p[2] & 1) << 5 | (p[3] & 1) << 4 |
                                      (p[4] & 1) << 3 | (p[5] & 1) << 2 | (p[6] & 1) << 1 | (p[7] & 1));
      }
      if (width & 7) {
        uint8_t byte = 0;
        for (int x = full * 8; x < width; ++x) byte |= static_cast<uint8_t>((indices[x] & 1) << (7 - (x & 7)));
        row[full] = byte;
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace imaging::ops::depth_internal

// Embedded DIBs into 32-bit pictures.
#include "imaging/vector/internal/dib_raster.h"

#include <cstring>
#include <vector>

#include "imaging/dib.h"
#include "imaging/ops/convert_depth.h"

namespace imaging::vector::internal {
namespace {

constexpr size_t kMaxDibBytes = 256u << 20;

uint32_t U32At(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

Result PackedDibToRaster(const uint8_t* dib, size_t size, DibPart part, Image* out) {
  if (dib == nullptr || size < 40 || size > kMaxDibBytes) return Result(Status::kBroken, "bad embedded bitmap");
  const bool top_down = static_cast<int32_t>(U32At(dib + 8)) < 0;
  Image decoded;
  if (!FromPackedDib(dib, size, &decoded).ok()) return Result(Status::kBroken, "bad embedded bitmap");
  Image wide;
  if (Result r = ops::ConvertDepth(decoded, &wide, ops::DepthCode::kTrue32); !r.ok()) return r;
  int x = 0, y = 0, w = wide.width(), h = wide.height();
  if (part.width > 0 && part.height > 0 && part.x >= 0 && part.y >= 0 && part.x + part.width <= w &&
      part.y + part.height <= h) {
    x = part.x;
    w = part.width;
    h = part.height;
    y = top_down ? part.y : wide.height() - part.y - part.height;
  }
  Image cut;
  if (Result r = Image::Create(w, h, 32, &cut); !r.ok()) return r;
  for (int row = 0; row < h; ++row) {
    const uint8_t* src = wide.row(y + row) + static_cast<size_t>(x) * 4;
    uint8_t* dst = cut.row(row);
    std::memcpy(dst, src, static_cast<size_t>(w) * 4);
    for (int i = 0; i < w; ++i) dst[i * 4 + 3] = 255;
  }
  *out = std::move(cut);
  return Result::Ok();
}

Result DibToRaster(const uint8_t* bmi, size_t bmi_size, const uint8_t* bits, size_t bits_size, DibPart part,
                   Image* out) {
  if (bmi == nullptr || bits == nullptr || bmi_size < 40 || bmi_size > kMaxDibBytes || bits_size > kMaxDibBytes)
    return Result(Status::kBroken, "bad embedded bitmap");
  std::vector<uint8_t> packed(bmi_size + bits_size);
  std::memcpy(packed.data(), bmi, bmi_size);
  if (bits_size > 0) std::memcpy(packed.data() + bmi_size, bits, bits_size);
  return PackedDibToRaster(packed.data(), packed.size(), part, out);
}

void AverageColor(const Image& img, uint8_t* r, uint8_t* g, uint8_t* b) {
  uint64_t sum[3] = {0, 0, 0};
  uint64_t n = 0;
  for (int y = 0; y < img.height(); ++y) {
    const uint8_t* p = img.row(y);
    for (int x = 0; x < img.width(); ++x, ++n) {
      sum[0] += p[x * 4];
      sum[1] += p[x * 4 + 1];
      sum[2] += p[x * 4 + 2];
    }
  }
  if (n == 0) n = 1;
  *b = static_cast<uint8_t>(sum[0] / n);
  *g = static_cast<uint8_t>(sum[1] / n);
  *r = static_cast<uint8_t>(sum[2] / n);
}

}  // namespace imaging::vector::internal

#include "imaging/ops/internal/pixel_fill.h"

#include <limits>

#include "imaging/ops/internal/cv_wrap.h"
#include "imaging/ops/internal/packed.h"

namespace imaging::ops::internal {

int NearestPaletteIndex(const std::vector<PaletteEntry>& palette, uint32_t rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  int best = 0;
  int best_d = std::numeric_limits<int>::max();
  for (size_t i = 0; i < palette.size(); ++i) {
    const int dr = palette[i].red - r, dg = palette[i].green - g, db = palette[i].blue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < best_d) {
      best_d = d;
      best = static_cast<int>(i);
    }
  }
  return best;
}

uint16_t Encode555(uint32_t rgb) {
  auto five = [](uint32_t v) { return static_cast<uint16_t>((v * 31 + 127) / 255); };
  return static_cast<uint16_t>((five((rgb >> 16) & 0xFF) << 10) | (five((rgb >> 8) & 0xFF) << 5) |
                               five(rgb & 0xFF));
}

void FillWhere(Image* img, const cv::Mat& mask, uint32_t rgb) {
  const uint8_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  switch (img->bpp()) {
    case 24: MatOf(*img).setTo(cv::Scalar(b, g, r), mask); return;
    case 32: MatOf(*img).setTo(cv::Scalar(b, g, r, 0), mask); return;
    case 16: MatOf(*img).setTo(cv::Scalar(Encode555(rgb)), mask); return;
    case 8: MatOf(*img).setTo(cv::Scalar(NearestPaletteIndex(img->palette(), rgb)), mask); return;
    default: {
      cv::Mat idx = UnpackIndices(*img);
      idx.setTo(cv::Scalar(NearestPaletteIndex(img->palette(), rgb)), mask);
      PackIndices(idx, img);
      return;
    }
  }
}

}  // namespace imaging::ops::internal

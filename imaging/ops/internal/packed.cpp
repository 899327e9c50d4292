#include "imaging/ops/internal/packed.h"

namespace imaging::ops::internal {

cv::Mat UnpackIndices(const Image& img) {
  cv::Mat out(img.height(), img.width(), CV_8UC1);
  const int w = img.width();
  for (int y = 0; y < img.height(); ++y) {
    const uint8_t* s = img.row(y);
    uint8_t* d = out.ptr<uint8_t>(y);
    switch (img.bpp()) {
      case 1:
        for (int x = 0; x < w; ++x) d[x] = (s[x >> 3] >> (7 - (x & 7))) & 1;
        break;
      case 4:
        for (int x = 0; x < w; ++x) d[x] = (x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4);
        break;
      default:
        std::copy(s, s + w, d);
        break;
    }
  }
  return out;
}

void PackIndices(const cv::Mat& indices, Image* out) {
  const int w = out->width();
  for (int y = 0; y < out->height(); ++y) {
    const uint8_t* s = indices.ptr<uint8_t>(y);
    uint8_t* d = out->row(y);
    switch (out->bpp()) {
      case 1:
        std::fill(d, d + out->stride(), uint8_t{0});
        for (int x = 0; x < w; ++x) d[x >> 3] |= static_cast<uint8_t>((s[x] & 1) << (7 - (x & 7)));
        break;
      case 4:
        std::fill(d, d + out->stride(), uint8_t{0});
        for (int x = 0; x < w; ++x) d[x >> 1] |= static_cast<uint8_t>((s[x] & 0x0F) << ((x & 1) ? 0 : 4));
        break;
      default:
        std::copy(s, s + w, d);
        break;
    }
  }
}

}  // namespace imaging::ops::internal

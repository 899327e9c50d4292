#include "imaging/ops/blur.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "imaging/ops/internal/filter_frame.h"

namespace imaging::ops {
namespace {

using internal::RunFilter;

// Sharpening of one band of rows: out = in + k * (9 * in - sum3x3) / 65536,
// with k = 65536 * s / 9 in fixed point.  Rows and columns beyond `in`
// repeat its edge.
void SharpenRows(const cv::Mat& in, cv::Mat& out, int k, int y0, int y1) {
  const int cn = in.channels();
  const int n = in.cols * cn;
  std::vector<uint16_t> vsum(n);
  std::vector<int32_t> hsum(n);
  for (int y = y0; y < y1; ++y) {
    const uint8_t* a = in.ptr<uint8_t>(std::max(y - 1, 0));
    const uint8_t* b = in.ptr<uint8_t>(y);
    const uint8_t* c = in.ptr<uint8_t>(std::min(y + 1, in.rows - 1));
    for (int i = 0; i < n; ++i) vsum[i] = static_cast<uint16_t>(a[i] + b[i] + c[i]);
    if (in.cols == 1) {
      for (int i = 0; i < n; ++i) hsum[i] = 3 * vsum[i];
    } else {
      for (int i = 0; i < cn; ++i) hsum[i] = 2 * vsum[i] + vsum[i + cn];
      for (int i = cn; i < n - cn; ++i) hsum[i] = vsum[i - cn] + vsum[i] + vsum[i + cn];
      for (int i = n - cn; i < n; ++i) hsum[i] = vsum[i - cn] + 2 * vsum[i];
    }
    uint8_t* d = out.ptr<uint8_t>(y);
    for (int i = 0; i < n; ++i) {
      const int v = b[i] + ((k * (9 * b[i] - hsum[i]) + 32768) >> 16);
      d[i] = static_cast<uint8_t>(std::clamp(v, 0, 255));
    }
  }
}

}  // namespace

Result GaussianBlur(const Image& src, Image* dst, double sigma, const Region& region) {
  if (!(sigma > 0) || sigma > 1000) return Result(Status::kBadValue, "GaussianBlur: deviation out of range");
  const int halo = static_cast<int>(std::ceil(4 * sigma)) + 1;
  return RunFilter(src, dst, region, halo, "GaussianBlur", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect&) {
    cv::GaussianBlur(in, out, cv::Size(0, 0), sigma, sigma, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
  });
}

Result Blur(const Image& src, Image* dst, int level, const Region& region) {
  if (level < 1 || level > 20) {
    if (Result r = internal::CheckFilterSource(src, dst, "Blur"); !r.ok()) return r;
    return Result(Status::kBadValue, "Blur: level out of 1..20");
  }
  return GaussianBlur(src, dst, 0.6 * level, region);
}

Result Sharpen(const Image& src, Image* dst, int level, const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "Sharpen"); !r.ok()) return r;
  if (level < 0 || level > 100) return Result(Status::kBadValue, "Sharpen: level out of 0..100");
  if (level == 0) return internal::CopyPicture(src, dst);
  const int k = static_cast<int>(std::lround(65536.0 * (level / 10.0) / 9.0));
  return RunFilter(src, dst, region, 1, "Sharpen", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect&) {
    internal::ParallelRows(in.rows, [&](int y0, int y1) { SharpenRows(in, out, k, y0, y1); });
  });
}

Result SmoothEdges(const Image& src, Image* dst, const Region& region) {
  return RunFilter(src, dst, region, 2, "SmoothEdges", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect&) {
    cv::Mat soft, grey, gx, gy;
    cv::GaussianBlur(in, soft, cv::Size(3, 3), 0, 0, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
    cv::cvtColor(in, grey, in.channels() == 4 ? cv::COLOR_BGRA2GRAY : cv::COLOR_BGR2GRAY);
    cv::Sobel(grey, gx, CV_16S, 1, 0, 3, 1, 0, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
    cv::Sobel(grey, gy, CV_16S, 0, 1, 3, 1, 0, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
    const int cn = in.channels();
    internal::ParallelRows(in.rows, [&](int y0, int y1) {
      for (int y = y0; y < y1; ++y) {
        const uint8_t* s = in.ptr<uint8_t>(y);
        const uint8_t* m = soft.ptr<uint8_t>(y);
        const int16_t* dx = gx.ptr<int16_t>(y);
        const int16_t* dy = gy.ptr<int16_t>(y);
        uint8_t* d = out.ptr<uint8_t>(y);
        for (int x = 0; x < in.cols; ++x) {
          const int w = std::min(128, std::abs(dx[x]) + std::abs(dy[x]));  // weight of 128ths
          for (int c = 0; c < cn; ++c) {
            const int i = x * cn + c;
            d[i] = static_cast<uint8_t>(s[i] + ((w * (m[i] - s[i]) + 64) >> 7));
          }
        }
      }
    });
  });
}

}  // namespace imaging::ops

#include "imaging/ops/edge_extract.h"

#include <algorithm>
#include <cstdlib>

#include <opencv2/imgproc.hpp>

#include "imaging/ops/internal/filter_frame.h"

namespace imaging::ops {

Result EdgeExtract(const Image& src, Image* dst, EdgePlane plane, EdgePattern pattern, int brightness,
                   const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "EdgeExtract"); !r.ok()) return r;
  const int plane_i = static_cast<int>(plane), pattern_i = static_cast<int>(pattern);
  if (plane_i < 0 || plane_i > 3 || pattern_i < 0 || pattern_i > 2 || brightness < 0 || brightness > 100)
    return Result(Status::kBadValue, "EdgeExtract: value out of range");
  const int gain10 = 10 + brightness;  // gain in tenths
  return internal::RunFilter(src, dst, region, 1, "EdgeExtract", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect&) {
    cv::Mat p;
    if (plane == EdgePlane::kLuminance)
      cv::cvtColor(in, p, in.channels() == 4 ? cv::COLOR_BGRA2GRAY : cv::COLOR_BGR2GRAY);
    else
      cv::extractChannel(in, p, 3 - plane_i);  // red is channel 2 of B, G, R
    cv::Mat gx, gy;
    if (pattern == EdgePattern::kSobel) {
      cv::Sobel(p, gx, CV_16S, 1, 0, 3, 1, 0, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
      cv::Sobel(p, gy, CV_16S, 0, 1, 3, 1, 0, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
    }
    cv::Mat padded;
    cv::copyMakeBorder(p, padded, 0, 1, 0, 1, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
    const int cn = in.channels();
    internal::ParallelRows(in.rows, [&](int y0, int y1) {
      for (int y = y0; y < y1; ++y) {
        const uint8_t* a = padded.ptr<uint8_t>(y);
        const uint8_t* b = padded.ptr<uint8_t>(y + 1);
        const uint8_t* s = in.ptr<uint8_t>(y);
        uint8_t* d = out.ptr<uint8_t>(y);
        for (int x = 0; x < in.cols; ++x) {
          int mag;
          switch (pattern) {
            case EdgePattern::kDifference: mag = std::abs(a[x] - a[x + 1]) + std::abs(a[x] - b[x]); break;
            case EdgePattern::kRoberts: mag = std::abs(a[x] - b[x + 1]) + std::abs(a[x + 1] - b[x]); break;
            default: mag = (std::abs(gx.at<int16_t>(y, x)) + std::abs(gy.at<int16_t>(y, x)) + 2) / 4; break;
          }
          const uint8_t v = static_cast<uint8_t>(std::min(255, (mag * gain10 + 5) / 10));
          d[x * cn] = d[x * cn + 1] = d[x * cn + 2] = v;
          if (cn == 4) d[x * cn + 3] = s[x * cn + 3];
        }
      }
    });
  });
}

}  // namespace imaging::ops

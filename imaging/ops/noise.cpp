#include "imaging/ops/noise.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include <opencv2/imgproc.hpp>

#include "imaging/ops/internal/filter_frame.h"

namespace imaging::ops {
namespace {

void PerChannel(const cv::Mat& in, cv::Mat& out, int level) {
  cv::Mat median;
  cv::medianBlur(in, median, 3);  // replicates the border
  const int cn = in.channels();
  const int colours = std::min(cn, 3);
  internal::ParallelRows(in.rows, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      const uint8_t* s = in.ptr<uint8_t>(y);
      const uint8_t* m = median.ptr<uint8_t>(y);
      uint8_t* d = out.ptr<uint8_t>(y);
      for (int x = 0; x < in.cols; ++x) {
        for (int c = 0; c < cn; ++c) {
          const int i = x * cn + c;
          d[i] = (c < colours && std::abs(s[i] - m[i]) > level) ? m[i] : s[i];
        }
      }
    }
  });
}

void WholePixel(const cv::Mat& in, cv::Mat& out) {
  cv::Mat luma;
  cv::cvtColor(in, luma, in.channels() == 4 ? cv::COLOR_BGRA2GRAY : cv::COLOR_BGR2GRAY);
  const int cn = in.channels();
  internal::ParallelRows(in.rows, [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      const int rows[3] = {std::max(y - 1, 0), y, std::min(y + 1, in.rows - 1)};
      uint8_t* d = out.ptr<uint8_t>(y);
      for (int x = 0; x < in.cols; ++x) {
        const int cols[3] = {std::max(x - 1, 0), x, std::min(x + 1, in.cols - 1)};
        // Sort the nine (luma, position) keys; the fifth is the median.
        std::array<int, 9> keys;
        int k = 0;
        for (int j = 0; j < 3; ++j)
          for (int i = 0; i < 3; ++i) keys[k++] = (luma.at<uint8_t>(rows[j], cols[i]) << 4) | (j * 3 + i);
        std::nth_element(keys.begin(), keys.begin() + 4, keys.end());
        const int pick = keys[4] & 15;
        const uint8_t* s = in.ptr<uint8_t>(rows[pick / 3]) + cols[pick % 3] * cn;
        const uint8_t* self = in.ptr<uint8_t>(y) + x * cn;
        for (int c = 0; c < 3; ++c) d[x * cn + c] = s[c];
        if (cn == 4) d[x * cn + 3] = self[3];
      }
    }
  });
}

}  // namespace

Result RemoveNoise(const Image& src, Image* dst, NoiseMode mode, int level, const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "RemoveNoise"); !r.ok()) return r;
  if (mode != NoiseMode::kWholePixel && mode != NoiseMode::kPerChannel)
    return Result(Status::kBadValue, "RemoveNoise: unknown mode");
  if (level < 0 || level > 255) return Result(Status::kBadValue, "RemoveNoise: level out of 0..255");
  if (mode == NoiseMode::kPerChannel && level == 255) return internal::CopyPicture(src, dst);
  return internal::RunFilter(src, dst, region, 1, "RemoveNoise", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect&) {
    if (mode == NoiseMode::kPerChannel)
      PerChannel(in, out, level);
    else
      WholePixel(in, out);
  });
}

}  // namespace imaging::ops

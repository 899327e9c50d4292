// File: imaging/ops/internal/remap.h
//
// Geometric effects as an inverse map: for every output pixel a function
// gives the source position, which cv::remap samples bilinearly.  Maps
// are built a band of rows at a time, so memory stays small and the
// function is inlined (no per-pixel indirect call).
//
//   RemapBy(in, out, cv::BORDER_REPLICATE, [&](float x, float y, float* sx, float* sy) {
//     *sx = x + 3.0f * std::sin(y / 10.0f);  *sy = y;
//   });
#pragma once

#include <opencv2/imgproc.hpp>

namespace imaging::ops::internal {

template <typename Fn>
void RemapBy(const cv::Mat& in, cv::Mat& out, int border, const Fn& fn, const cv::Scalar& fill = {}) {
  constexpr int kBand = 32;
  const int bands = (out.rows + kBand - 1) / kBand;
  cv::parallel_for_(cv::Range(0, bands), [&](const cv::Range& range) {
    cv::Mat mx(kBand, out.cols, CV_32FC1), my(kBand, out.cols, CV_32FC1);
    for (int band = range.start; band < range.end; ++band) {
      const int y0 = band * kBand, rows = std::min(kBand, out.rows - y0);
      for (int j = 0; j < rows; ++j) {
        float* px = mx.ptr<float>(j);
        float* py = my.ptr<float>(j);
        const float y = static_cast<float>(y0 + j);
        for (int x = 0; x < out.cols; ++x) fn(static_cast<float>(x), y, &px[x], &py[x]);
      }
      cv::Mat part = out.rowRange(y0, y0 + rows);
      cv::remap(in, part, mx.rowRange(0, rows), my.rowRange(0, rows), cv::INTER_LINEAR, border, fill);
    }
  });
}

}  // namespace imaging::ops::internal

#include "imaging/ops/emboss.h"

#include <vector>

#include <opencv2/imgproc.hpp>

#include "imaging/ops/internal/filter_frame.h"

namespace imaging::ops {
namespace {

constexpr int kDirX[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
constexpr int kDirY[8] = {-1, -1, -1, 0, 1, 1, 1, 0};

// Writes the grey `value` into B, G, R of `out`, keeping alpha from `in`.
void StoreGrey(const cv::Mat& grey, const cv::Mat& in, cv::Mat& out) {
  const int cn = in.channels();
  for (int y = 0; y < in.rows; ++y) {
    const uint8_t* g = grey.ptr<uint8_t>(y);
    const uint8_t* s = in.ptr<uint8_t>(y);
    uint8_t* d = out.ptr<uint8_t>(y);
    for (int x = 0; x < in.cols; ++x) {
      d[x * cn] = d[x * cn + 1] = d[x * cn + 2] = g[x];
      if (cn == 4) d[x * cn + 3] = s[x * cn + 3];
    }
  }
}

// Mean colour of each cell, cells aligned at `area`'s corner.
void MosaicKernel(const cv::Mat& in, cv::Mat& out, const cv::Rect& area, int cw, int ch) {
  in.copyTo(out);
  const int cn = in.channels();
  const int cells_x = (area.width + cw - 1) / cw;
  const int bands = (area.height + ch - 1) / ch;
  cv::parallel_for_(cv::Range(0, bands), [&](const cv::Range& range) {
    std::vector<uint32_t> sums(static_cast<size_t>(cells_x) * cn);
    for (int band = range.start; band < range.end; ++band) {
      const int y0 = area.y + band * ch, y1 = std::min(y0 + ch, area.br().y);
      std::fill(sums.begin(), sums.end(), 0u);
      for (int y = y0; y < y1; ++y) {
        const uint8_t* s = in.ptr<uint8_t>(y) + area.x * cn;
        for (int cx = 0; cx < cells_x; ++cx) {
          const int x0 = cx * cw, x1 = std::min(x0 + cw, area.width);
          uint32_t* acc = &sums[static_cast<size_t>(cx) * cn];
          for (int x = x0; x < x1; ++x)
            for (int c = 0; c < cn; ++c) acc[c] += s[x * cn + c];
        }
      }
      for (int cx = 0; cx < cells_x; ++cx) {
        const int x0 = cx * cw, x1 = std::min(x0 + cw, area.width);
        const uint32_t count = static_cast<uint32_t>((x1 - x0) * (y1 - y0));
        uint8_t mean[4];
        for (int c = 0; c < cn; ++c) mean[c] = static_cast<uint8_t>((sums[static_cast<size_t>(cx) * cn + c] + count / 2) / count);
        for (int y = y0; y < y1; ++y) {
          uint8_t* d = out.ptr<uint8_t>(y) + (area.x + x0) * cn;
          for (int x = 0; x < x1 - x0; ++x)
            for (int c = 0; c < cn; ++c) d[x * cn + c] = mean[c];
        }
      }
    }
  });
}

}  // namespace

Result Emboss(const Image& src, Image* dst, int mask, int edge, int background, const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "Emboss"); !r.ok()) return r;
  if (mask < 0 || mask > 7 || edge < 1 || edge > 5 || background < 0 || background > 255)
    return Result(Status::kBadValue, "Emboss: value out of range");
  cv::Mat k = cv::Mat::zeros(3, 3, CV_32F);
  k.at<float>(1 - kDirY[mask], 1 - kDirX[mask]) = static_cast<float>(edge);
  k.at<float>(1 + kDirY[mask], 1 + kDirX[mask]) = static_cast<float>(-edge);
  return internal::RunFilter(src, dst, region, 1, "Emboss", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect&) {
    cv::Mat luma, relief;
    cv::cvtColor(in, luma, in.channels() == 4 ? cv::COLOR_BGRA2GRAY : cv::COLOR_BGR2GRAY);
    cv::filter2D(luma, relief, CV_8U, k, cv::Point(-1, -1), background, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
    StoreGrey(relief, in, out);
  });
}

Result Mosaic(const Image& src, Image* dst, int cell_width, int cell_height, const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "Mosaic"); !r.ok()) return r;
  if (cell_width < 1 || cell_width > 100 || cell_height < 1 || cell_height > 100)
    return Result(Status::kBadValue, "Mosaic: cell size out of 1..100");
  if (cell_width == 1 && cell_height == 1) return internal::CopyPicture(src, dst);
  return internal::RunFilter(src, dst, region, 0, "Mosaic", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect& area) {
    MosaicKernel(in, out, area, cell_width, cell_height);
  });
}

}  // namespace imaging::ops

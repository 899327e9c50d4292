#include "imaging/ops/motion_blur.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "imaging/ops/internal/filter_frame.h"

namespace imaging::ops {
namespace {

// Mean of `count` copies of `in` shifted by (i - (count - 1) / 2) * step,
// i = 0..count-1, sampled bilinearly.
cv::Mat ShiftedMean(const cv::Mat& in, int count, cv::Point2d step) {
  cv::Mat sum = cv::Mat::zeros(in.size(), CV_16UC(in.channels()));
  cv::Mat shifted, wide;
  for (int i = 0; i < count; ++i) {
    const double t = i - (count - 1) / 2.0;
    const cv::Mat m = (cv::Mat_<double>(2, 3) << 1, 0, t * step.x, 0, 1, t * step.y);
    cv::warpAffine(in, shifted, m, in.size(), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    shifted.convertTo(wide, sum.type());
    sum += wide;
  }
  cv::Mat out;
  sum.convertTo(out, in.type(), 1.0 / count);
  return out;
}

// A box of `length` pixels along `dir` as two passes of few samples: a
// fine pass of k samples 1 pixel apart, then n samples k pixels apart.
void LinearBlur(const cv::Mat& in, cv::Mat& out, int length, double angle_deg) {
  const double rad = angle_deg * CV_PI / 180.0;
  const cv::Point2d dir(std::cos(rad), -std::sin(rad));  // y grows downward
  const int k = std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(length)))));
  const int n = std::max(1, (length + k - 1) / k);
  cv::Mat fine = k > 1 ? ShiftedMean(in, k, dir) : in;
  cv::Mat coarse = n > 1 ? ShiftedMean(fine, n, dir * k) : fine;
  coarse.copyTo(out);
}

// Spin and zoom: samples along the path, bilinear, fixed point.
void CentredBlur(const cv::Mat& in, cv::Mat& out, const cv::Rect& area, int length, bool spin) {
  const float cx = area.x + (area.width - 1) * 0.5f, cy = area.y + (area.height - 1) * 0.5f;
  const float half_diag = std::max(1.0f, 0.5f * std::sqrt(float(area.width) * area.width + float(area.height) * area.height));
  const int samples = std::clamp(length, 2, 32);
  const float span = length / half_diag;  // radians of spin or fraction of zoom at the corners
  const int cn = in.channels();
  std::vector<float> cs(samples), sn(samples), sc(samples);
  for (int i = 0; i < samples; ++i) {
    const float t = (static_cast<float>(i) / (samples - 1) - 0.5f) * span;
    cs[i] = std::cos(t);
    sn[i] = std::sin(t);
    sc[i] = 1.0f - static_cast<float>(i) / (samples - 1) * span;
  }
  const int w = in.cols, h = in.rows;
  internal::ParallelRows(h, [&](int y0, int y1) {
    std::vector<int> acc(cn);
    for (int y = y0; y < y1; ++y) {
      uint8_t* d = out.ptr<uint8_t>(y);
      for (int x = 0; x < w; ++x) {
        std::fill(acc.begin(), acc.end(), 0);
        const float dx = x - cx, dy = y - cy;
        for (int i = 0; i < samples; ++i) {
          float sx, sy;
          if (spin) {
            sx = cx + dx * cs[i] - dy * sn[i];
            sy = cy + dx * sn[i] + dy * cs[i];
          } else {
            sx = cx + dx * sc[i];
            sy = cy + dy * sc[i];
          }
          sx = std::clamp(sx, 0.0f, w - 1.0f);
          sy = std::clamp(sy, 0.0f, h - 1.0f);
          const int ix = std::min(static_cast<int>(sx), w - 2 < 0 ? 0 : w - 2);
          const int iy = std::min(static_cast<int>(sy), h - 2 < 0 ? 0 : h - 2);
          const int fx = static_cast<int>((sx - ix) * 256), fy = static_cast<int>((sy - iy) * 256);
          const int nx = w > 1 ? cn : 0;
          const uint8_t* p0 = in.ptr<uint8_t>(iy) + ix * cn;
          const uint8_t* p1 = h > 1 ? in.ptr<uint8_t>(iy + 1) + ix * cn : p0;
          for (int c = 0; c < cn; ++c) {
            const int top = p0[c] * (256 - fx) + p0[c + nx] * fx;
            const int bottom = p1[c] * (256 - fx) + p1[c + nx] * fx;
            acc[c] += top * (256 - fy) + bottom * fy;  // 16 fraction bits
          }
        }
        for (int c = 0; c < cn; ++c) d[x * cn + c] = static_cast<uint8_t>((acc[c] / samples + 32768) >> 16);
      }
    }
  });
}

}  // namespace

Result MotionBlur(const Image& src, Image* dst, MotionKind kind, int length, int angle, const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "MotionBlur"); !r.ok()) return r;
  if ((kind != MotionKind::kLinear && kind != MotionKind::kRadial && kind != MotionKind::kZoom) || length < 0 ||
      length > 255 || angle < 0 || angle > 360)
    return Result(Status::kBadValue, "MotionBlur: value out of range");
  if (length <= 1) return internal::CopyPicture(src, dst);
  const int halo = kind == MotionKind::kLinear ? length / 2 + 2 : 0;
  return internal::RunFilter(src, dst, region, halo, "MotionBlur", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect& area) {
    if (kind == MotionKind::kLinear)
      LinearBlur(in, out, length, angle);
    else
      CentredBlur(in, out, area, length, kind == MotionKind::kRadial);
  });
}

}  // namespace imaging::ops

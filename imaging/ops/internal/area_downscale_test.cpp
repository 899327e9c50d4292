#include "imaging/ops/internal/area_downscale.h"

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

namespace imaging::ops::internal {
namespace {

// A random picture inside a larger one, so its rows are further apart
// than their width.
cv::Mat RandomRows(int w, int h, int channels, uint32_t seed) {
  cv::Mat whole(h + 2, w + 3, CV_8UC(channels));
  std::mt19937 rng(seed);
  for (int y = 0; y < whole.rows; ++y)
    for (size_t i = 0; i < whole.cols * whole.elemSize(); ++i) whole.ptr(y)[i] = static_cast<uint8_t>(rng());
  return whole(cv::Rect(1, 1, w, h));
}

// Stripes of 0 and 255 a pixel wide in both directions: the picture where
// rounded weights are furthest off.
cv::Mat Checks(int w, int h, int channels) {
  cv::Mat m(h, w, CV_8UC(channels));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < channels; ++c) m.ptr(y)[x * channels + c] = ((x + y + c) & 1) ? 255 : 0;
  return m;
}

cv::Mat Ours(const cv::Mat& src, int w, int h) {
  cv::Mat dst(h, w, src.type(), cv::Scalar::all(77));
  EXPECT_TRUE(AreaDownscale({src.data, static_cast<std::ptrdiff_t>(src.step), src.cols, src.rows},
                            {dst.data, static_cast<std::ptrdiff_t>(dst.step), dst.cols, dst.rows}, src.channels()));
  return dst;
}

// The exact area mean in double precision, the obvious way: every source
// pixel weighted by the part of the destination pixel it covers.
std::vector<double> SlowAreaMean(const cv::Mat& src, int w, int h) {
  const int cn = src.channels();
  const double sx = static_cast<double>(src.cols) / w, sy = static_cast<double>(src.rows) / h;
  std::vector<double> out(static_cast<size_t>(w) * h * cn, 0.0);
  for (int dy = 0; dy < h; ++dy)
    for (int y = static_cast<int>(std::floor(dy * sy)); y < src.rows && y < (dy + 1) * sy; ++y) {
      const double wy = std::min<double>(y + 1, (dy + 1) * sy) - std::max<double>(y, dy * sy);
      for (int dx = 0; dx < w; ++dx)
        for (int x = static_cast<int>(std::floor(dx * sx)); x < src.cols && x < (dx + 1) * sx; ++x) {
          const double wx = std::min<double>(x + 1, (dx + 1) * sx) - std::max<double>(x, dx * sx);
          for (int c = 0; c < cn; ++c)
            out[(static_cast<size_t>(dy) * w + dx) * cn + c] += wx * wy * src.ptr(y)[x * cn + c] / (sx * sy);
        }
    }
  return out;
}

// Check() shrinks `src` to w x h and holds the result against OpenCV's
// area averaging and against the exact mean.  Where the exact mean is a
// whole level and a half (shrinking by whole factors makes many), either
// rounding is right; OpenCV's own float sums round those either way.
void Check(const cv::Mat& src, int w, int h, const std::string& what) {
  const int cn = src.channels();
  const cv::Mat ours = Ours(src, w, h);
  cv::Mat theirs;
  cv::resize(src, theirs, cv::Size(w, h), 0, 0, cv::INTER_AREA);
  const std::vector<double> exact = SlowAreaMean(src, w, h);
  int worst_cv = 0, off_cv = 0, untied = 0, rounded_off = 0;
  double worst_exact = 0;
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w * cn; ++i) {
      const int o = ours.ptr(y)[i];
      const double e = exact[static_cast<size_t>(y) * w * cn + i];
      worst_cv = std::max(worst_cv, std::abs(o - theirs.ptr(y)[i]));
      worst_exact = std::max(worst_exact, std::abs(o - e));
      if (std::abs(e - std::floor(e) - 0.5) < 1e-9) continue;
      ++untied;
      off_cv += o != theirs.ptr(y)[i];
      // Our weights are off by far less than 0.1 of a level.
      if (std::abs(e - std::floor(e) - 0.5) > 0.1) rounded_off += o != static_cast<int>(std::lround(e));
    }
  EXPECT_LE(worst_cv, 1) << what;
  EXPECT_LE(off_cv, untied / 100) << what << ": " << off_cv << " of " << untied << " samples differ from OpenCV's";
  EXPECT_LT(worst_exact, 0.6) << what;
  EXPECT_EQ(rounded_off, 0) << what << ": clear means rounded the wrong way";
}

struct Shape {
  int sw, sh, dw, dh;
};

// Sizes that reach every branch: single rows and columns, primes, ratios
// just above 1 and between 1 and 2, whole ratios, one side unchanged,
// shrinks past 32x (the wide accumulators), the thumbnail shapes.
const Shape kShapes[] = {
    {1, 9, 1, 4},      {9, 1, 4, 1},      {17, 1, 1, 1},     {1, 23, 1, 1},    {2, 2, 1, 1},
    {13, 7, 5, 3},     {31, 29, 30, 28},  {101, 97, 100, 96}, {257, 3, 256, 2}, {61, 67, 37, 41},
    {256, 171, 160, 107}, {40, 30, 20, 10}, {45, 33, 15, 11}, {50, 17, 50, 9},   {19, 40, 7, 40},
    {1000, 9, 23, 9},  {997, 5, 3, 2},    {3, 1200, 3, 31},  {700, 500, 7, 5},  {599, 401, 160, 107},
};

TEST(AreaDownscale, MatchesOpenCvAndTheExactMean) {
  for (int cn : {1, 3, 4})
    for (const Shape& s : kShapes) {
      const std::string what = std::to_string(cn) + "ch " + std::to_string(s.sw) + "x" + std::to_string(s.sh) +
                               " -> " + std::to_string(s.dw) + "x" + std::to_string(s.dh);
      Check(RandomRows(s.sw, s.sh, cn, s.sw * 7 + s.dh), s.dw, s.dh, what + " random");
      Check(Checks(s.sw, s.sh, cn), s.dw, s.dh, what + " checks");
    }
}

TEST(AreaDownscale, LargeRatios) {
  // A camera picture to thumbnails (shrinking by 11.7 and 18.7) and, past
  // 32x, a wide panorama to a strip.
  for (const Shape& s : {Shape{3000, 2000, 256, 171}, Shape{3000, 2000, 160, 107}, Shape{9000, 40, 100, 3}})
    Check(RandomRows(s.sw, s.sh, 3, 5), s.dw, s.dh, std::to_string(s.sw) + " -> " + std::to_string(s.dw));
}

TEST(AreaDownscale, FlatStaysExactlyFlat) {
  const Shape shapes[] = {{256, 171, 160, 107}, {101, 97, 100, 96}, {7, 1, 2, 1}, {1, 7, 1, 3},
                          {500, 90, 13, 2},     {50, 17, 50, 9},    {19, 40, 7, 40}};
  for (int cn : {1, 3, 4})
    for (const Shape& s : shapes)
      for (int level : {0, 1, 127, 128, 254, 255}) {
        cv::Mat src(s.sh, s.sw, CV_8UC(cn));
        for (int y = 0; y < s.sh; ++y)
          for (int i = 0; i < s.sw * cn; ++i) src.ptr(y)[i] = static_cast<uint8_t>(level + 37 * (i % cn)) ;
        const cv::Mat ours = Ours(src, s.dw, s.dh);
        for (int y = 0; y < s.dh; ++y)
          for (int i = 0; i < s.dw * cn; ++i)
            ASSERT_EQ(ours.ptr(y)[i], static_cast<uint8_t>(level + 37 * (i % cn)))
                << cn << "ch " << s.sw << "x" << s.sh << " level " << level;
      }
}

TEST(AreaDownscale, RefusesWhatItCannotDo) {
  cv::Mat src = RandomRows(8, 8, 3, 1), dst(4, 4, CV_8UC3, cv::Scalar::all(9));
  const ConstRows in{src.data, static_cast<std::ptrdiff_t>(src.step), 8, 8};
  EXPECT_FALSE(AreaDownscale(in, {dst.data, static_cast<std::ptrdiff_t>(dst.step), 4, 4}, 2));
  EXPECT_FALSE(AreaDownscale(in, {dst.data, static_cast<std::ptrdiff_t>(dst.step), 0, 4}, 3));
  EXPECT_FALSE(AreaDownscale({src.data, static_cast<std::ptrdiff_t>(src.step), 3, 8},
                             {dst.data, static_cast<std::ptrdiff_t>(dst.step), 4, 4}, 3));
  EXPECT_FALSE(AreaDownscale({nullptr, 0, 8, 8}, {dst.data, static_cast<std::ptrdiff_t>(dst.step), 4, 4}, 3));
  // Nothing was written.
  for (int y = 0; y < 4; ++y)
    for (int i = 0; i < 12; ++i) ASSERT_EQ(dst.ptr(y)[i], 9);
}

}  // namespace
}  // namespace imaging::ops::internal

// File: imaging/ops/internal/cv_wrap.h
//
// OpenCV views of engine pictures, without copying.  A 24-bit row is
// B,G,R = CV_8UC3, a 32-bit row B,G,R,A = CV_8UC4, 16-bit 5-5-5 words are
// CV_16UC1 and 8-bit indices CV_8UC1; the picture's stride is the step.
// 1- and 4-bit pictures have no OpenCV type (see packed.h).
//
//   cv::Mat m = imaging::ops::internal::MatOf(img);   // shares img's rows
//   cv::GaussianBlur(m, m, {0, 0}, 2.0);
#pragma once

#include <opencv2/core.hpp>

#include "imaging/image.h"

namespace imaging::ops::internal {

// CvTypeOf() is the OpenCV element type of a depth, or -1 for 1/4 bpp.
inline int CvTypeOf(int bpp) {
  switch (bpp) {
    case 8: return CV_8UC1;
    case 16: return CV_16UC1;
    case 24: return CV_8UC3;
    case 32: return CV_8UC4;
    default: return -1;
  }
}

// MatOf() wraps the rows of `img` (8, 16, 24 or 32 bpp, not empty).
inline cv::Mat MatOf(Image& img) {
  return cv::Mat(img.height(), img.width(), CvTypeOf(img.bpp()), img.data(), img.stride());
}

// The const view is still a cv::Mat: callers must treat it as read-only.
inline const cv::Mat MatOf(const Image& img) {
  return cv::Mat(img.height(), img.width(), CvTypeOf(img.bpp()),
                 const_cast<uint8_t*>(img.data()), img.stride());
}

}  // namespace imaging::ops::internal

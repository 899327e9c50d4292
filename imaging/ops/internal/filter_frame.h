// File: imaging/ops/internal/filter_frame.h
//
// The common frame of every filter: argument checks (24/32-bit only),
// region resolution, allocation of the result, and writing back through
// the region mask.  A filter supplies only its kernel.
//
//   return RunFilter(src, dst, region, /*halo=*/1, "Sharpen",
//                    [&](const cv::Mat& in, cv::Mat& out, const cv::Rect& area) {
//                      cv::filter2D(in, out, -1, k);
//                    });
#pragma once

#include <functional>

#include <opencv2/core.hpp>

#include "imaging/image.h"
#include "imaging/ops/region.h"
#include "imaging/status.h"

namespace imaging::ops::internal {

// A kernel reads `in` (CV_8UC3 or CV_8UC4) and fills every pixel of `out`
// (same size and type, never aliasing `in`).  `area` is the part of `in`
// the region's box covers; `in` extends beyond it by up to the halo on each
// side where the picture has pixels there.  Geometric effects centre
// themselves on `area`.
using FilterKernel = std::function<void(const cv::Mat& in, cv::Mat& out, const cv::Rect& area)>;

// RunFilter() runs `kernel` over the region of `src` and stores the result
// in `*dst` (may be `&src`).  Returns kBadValue for a null `dst`, kBadImage
// for an empty `src`, kNotTarget below 24 bpp, kMemory when allocation
// fails.  `name` goes into messages.
Result RunFilter(const Image& src, Image* dst, const Region& region, int halo, const char* name,
                 const FilterKernel& kernel);

// CheckFilterSource() is RunFilter's argument check, for filters that
// validate parameters after it.
Result CheckFilterSource(const Image& src, const Image* dst, const char* name);

// CopyPicture() copies `src` into `*dst` (for trivial shortcuts).
Result CopyPicture(const Image& src, Image* dst);

// ParallelRows() runs body(y0, y1) over row bands of [0, rows) on OpenCV's
// thread pool.
void ParallelRows(int rows, const std::function<void(int, int)>& body);

}  // namespace imaging::ops::internal

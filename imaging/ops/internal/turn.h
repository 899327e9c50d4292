// File: imaging/ops/internal/turn.h
//
// Exact quarter turns and flips of any OpenCV matrix, in one pass where
// possible (a transpose and a flip for odd quarter turns).
//
//   cv::Mat out;
//   TurnAndFlip(in, &out, 1, false, false);   // 90 degrees anticlockwise
#pragma once

#include <opencv2/core.hpp>

namespace imaging::ops::internal {

// TurnAndFlip() mirrors `in` (horizontally and/or vertically), then turns
// it by `quarters` (0..3) quarter turns anticlockwise, into `*out` (a new
// matrix; `in` is not changed).
void TurnAndFlip(const cv::Mat& in, cv::Mat* out, int quarters, bool flip_h, bool flip_v);

}  // namespace imaging::ops::internal

// File: imaging/ops/internal/turn.h
//
// Exact quarter turns and flips of an OpenCV matrix of 1-4 bytes a pixel,
// in one cache-blocked pass straight into the destination.
//
//   cv::Mat out(in.cols, in.rows, in.type());
//   TurnAndFlip(in, out, 1, false, false);   // 90 degrees anticlockwise
#pragma once

#include <opencv2/core.hpp>

namespace imaging::ops::internal {

// TurnedSize() is the size after `quarters` quarter turns.
inline cv::Size TurnedSize(cv::Size in, int quarters) { return (quarters & 1) ? cv::Size(in.height, in.width) : in; }

// TurnAndFlip() mirrors `in` (horizontally and/or vertically), then turns
// it by `quarters` (0..3) quarter turns anticlockwise, into `out`, which
// must already have TurnedSize() and `in`'s type and must not overlap it.
void TurnAndFlip(const cv::Mat& in, cv::Mat& out, int quarters, bool flip_h, bool flip_v);

}  // namespace imaging::ops::internal

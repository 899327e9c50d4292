// File: imaging/ops/internal/packed.h
//
// Unpacking 1/4/8-bit index rows into one byte per pixel (CV_8UC1) and
// packing them back, so that geometry can treat every palette depth alike.
//
//   cv::Mat idx = UnpackIndices(img);          // 1 bpp -> 0/1 bytes
//   cv::rotate(idx, idx, cv::ROTATE_90_CLOCKWISE);
//   PackIndices(idx, &out);                    // out: 1 bpp, idx's size
#pragma once

#include <opencv2/core.hpp>

#include "imaging/image.h"

namespace imaging::ops::internal {

// UnpackIndices() returns one byte per pixel of a 1, 4 or 8 bpp picture.
cv::Mat UnpackIndices(const Image& img);

// PackIndices() writes `indices` (CV_8UC1, values < 2^out->bpp()) into
// `*out`, which must already have indices' size and a 1, 4 or 8 bpp depth.
void PackIndices(const cv::Mat& indices, Image* out);

}  // namespace imaging::ops::internal

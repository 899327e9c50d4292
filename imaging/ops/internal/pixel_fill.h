// File: imaging/ops/internal/pixel_fill.h
//
// Writing one colour into the masked pixels of a picture of any depth.
//
//   FillWhere(&img, mask, 0xFFFFFF);   // mask: CV_8UC1, picture-sized
#pragma once

#include <cstdint>
#include <vector>

#include <opencv2/core.hpp>

#include "imaging/image.h"

namespace imaging::ops::internal {

// NearestPaletteIndex() is the entry closest to `rgb` (squared distance;
// the lowest index wins ties).  0 for an empty palette.
int NearestPaletteIndex(const std::vector<PaletteEntry>& palette, uint32_t rgb);

// Encode555() is the 16-bit word of the 5-5-5 colour nearest to `rgb`.
uint16_t Encode555(uint32_t rgb);

// FillWhere() sets every pixel whose mask byte is non-zero (the whole
// picture when `mask` is empty) to `rgb`.
void FillWhere(Image* img, const cv::Mat& mask, uint32_t rgb);

}  // namespace imaging::ops::internal

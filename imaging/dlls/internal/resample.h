// File: imaging/dlls/internal/resample.h
//
// Bringing pictures to another size for MVResize and SetImageSize, over
// imaging/ops/resize.h.
//
//   imaging::Image small;
//   if (!mv7::internal::ResampleSmooth(src, 160, 120, &small).ok()) ...
#pragma once

#include "imaging/image.h"
#include "imaging/status.h"

namespace mv7::internal {

// ResampleSmooth() area-averages (bilinear where a side grows).  Pictures of
// 16 bpp and less become 24-bit; 24 and 32 keep their depth.
imaging::Result ResampleSmooth(const imaging::Image& src, int width, int height, imaging::Image* out);

// ResampleNearest() picks the nearest source pixel and keeps depth and
// palette.
imaging::Result ResampleNearest(const imaging::Image& src, int width, int height, imaging::Image* out);

// ValidSize() is true for sides of 1..kMaxDimension.
bool ValidSize(int width, int height);

}  // namespace mv7::internal

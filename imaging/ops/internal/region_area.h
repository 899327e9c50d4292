// File: imaging/ops/internal/region_area.h
//
// A region resolved against one picture: the box of pixels to compute and a
// box-sized mask (empty = every pixel of the box).
//
//   RegionArea a = ResolveRegion(region, img.width(), img.height());
//   if (a.box.empty()) return copy;  // nothing covered
#pragma once

#include <opencv2/core.hpp>

#include "imaging/ops/region.h"

namespace imaging::ops::internal {

struct RegionArea {
  cv::Rect box;   // inside the picture; empty when the region covers nothing
  cv::Mat mask;   // CV_8UC1 of box's size, 255 = covered; empty = all covered
};

RegionArea ResolveRegion(const Region& region, int width, int height);

}  // namespace imaging::ops::internal

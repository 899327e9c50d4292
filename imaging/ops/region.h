// File: imaging/ops/region.h
//
// Regions: where a pixel operation applies.  A region is the whole picture,
// or a four-corner polygon whose inside or whose outside is worked on.
// Corners are pixel indices; the polygon covers its edges, so the
// rectangle (10, 20)-(30, 40) covers columns 10..30 and rows 20..40.
// Corners may lie outside the picture; only the covered part counts.
//
//   imaging::ops::Region r = imaging::ops::Region::Rectangle(10, 20, 30, 40);
//   if (auto res = imaging::ops::Blur(img, &img, 2, r); !res.ok()) return res;
//
// Every filter computes on the region's bounding box (with enough margin
// for its neighbourhood) and writes back through the polygon mask, so
// pixels the region does not cover stay bit for bit as they were.
#pragma once

#include <array>
#include <vector>

#include "imaging/status.h"

namespace imaging::ops {

enum class RegionMode {
  kWhole,    // the whole picture; corners are ignored
  kInside,   // the pixels the polygon covers
  kOutside,  // every pixel the polygon does not cover
};

struct RegionPoint {
  int x = 0;
  int y = 0;
  bool operator==(const RegionPoint&) const = default;
};

struct Region {
  RegionMode mode = RegionMode::kWhole;
  // In drawing order, e.g. (left, top), (right, top), (right, bottom),
  // (left, bottom).  Any simple or self-crossing quadrilateral is accepted.
  std::array<RegionPoint, 4> corners{};

  bool whole() const { return mode == RegionMode::kWhole; }

  // Whole() is the whole picture.
  static Region Whole() { return Region{}; }
  // Rectangle() is the axis-aligned rectangle with inclusive corners.
  static Region Rectangle(int left, int top, int right, int bottom, RegionMode mode = RegionMode::kInside);
};

// RegionFromControl() builds a region from the imaging control's values:
// `region_mode` 1 = whole picture, 2 = the polygon; `region_inside` 1 = work
// inside the polygon, 0 = outside; `x`, `y` the four corners.  Any other
// region mode counts as the whole picture.
Region RegionFromControl(int region_mode, int region_inside, const std::array<int, 4>& x,
                         const std::array<int, 4>& y);

// RegionMask() gives one byte per pixel of a width x height picture, row
// by row: 255 where the region covers the pixel, 0 elsewhere.  Returns
// kBadValue for a null `mask` or a side < 1.
Result RegionMask(const Region& region, int width, int height, std::vector<uint8_t>* mask);

}  // namespace imaging::ops

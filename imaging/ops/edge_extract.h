// File: imaging/ops/edge_extract.h
//
// Edge extraction: bright outlines on black, from one plane of the
// picture.  24/32-bit pictures, whole or in a region.
//
//   auto r = imaging::ops::EdgeExtract(img, &img, imaging::ops::EdgePlane::kLuminance,
//                                      imaging::ops::EdgePattern::kSobel, 10);
#pragma once

#include "imaging/image.h"
#include "imaging/ops/region.h"
#include "imaging/status.h"

namespace imaging::ops {

enum class EdgePlane {
  kLuminance = 0,  // Rec. 601 Y (the list's first entry)
  kRed = 1,
  kGreen = 2,
  kBlue = 3,
};

enum class EdgePattern {
  kDifference = 0,  // |p - right| + |p - below|
  kRoberts = 1,     // |p - below right| + |right - below|
  kSobel = 2,       // (|Sobel x| + |Sobel y|) / 4
};

// EdgeExtract() writes the edge strength of `plane` as grey, multiplied
// by 1 + `brightness` / 10 (brightness 0..100: from the plain strength to
// eleven times it) and clamped to 255; a step of full contrast gives 255 at
// every brightness.  Alpha is kept.  kBadValue for an unknown plane or
// pattern or a brightness out of range, kNotTarget below 24 bpp.
Result EdgeExtract(const Image& src, Image* dst, EdgePlane plane, EdgePattern pattern, int brightness,
                   const Region& region = {});

}  // namespace imaging::ops

// File: imaging/ops/blur.h
//
// Softening and sharpening: Gaussian blur by level, 3 x 3 unsharp
// sharpening by level, and smoothing of jagged edges.  24/32-bit pictures,
// whole or in a region (see region.h); alpha is filtered like a colour.
//
//   auto r = imaging::ops::Blur(img, &img, 2);
//   r = imaging::ops::Sharpen(img, &img, 5, imaging::ops::Region::Rectangle(0, 0, 99, 99));
#pragma once

#include "imaging/image.h"
#include "imaging/ops/region.h"
#include "imaging/status.h"

namespace imaging::ops {

// Blur() is a Gaussian blur of standard deviation 0.6 x `level` pixels
// (level 1..20: from a faint softening to a strong blur of about 36
// pixels' reach).  Borders repeat the edge pixels.
// GaussianBlur() is the same with the deviation given directly (> 0).
// Both: `dst` may be `&src`.  kBadValue for a null `dst` or a level or
// deviation out of range, kBadImage for an empty picture, kNotTarget
// below 24 bpp.
Result Blur(const Image& src, Image* dst, int level, const Region& region = {});
Result GaussianBlur(const Image& src, Image* dst, double sigma, const Region& region = {});

// Sharpen() adds s = `level` / 10 times the difference between each pixel
// and the mean of its 3 x 3 neighbourhood (level 0..100; 0 leaves the
// picture unchanged, 100 is about the classic -1/9 sharpening kernel).
// Errors as Blur().
Result Sharpen(const Image& src, Image* dst, int level, const Region& region = {});

// SmoothEdges() softens the picture where it has edges, leaving flat
// areas and gentle gradients alone: each pixel is mixed with its 3 x 3
// Gaussian mean in proportion to the local luminance gradient (fully at a
// Sobel magnitude of 128 and above).  Steps and jaggies on diagonal lines
// are smoothed.  Errors as Blur().
Result SmoothEdges(const Image& src, Image* dst, const Region& region = {});

}  // namespace imaging::ops

// File: imaging/ops/noise.h
//
// Noise removal by 3 x 3 median.  24/32-bit pictures, whole or in a region.
//
//   auto r = imaging::ops::RemoveNoise(img, &img, imaging::ops::NoiseMode::kPerChannel, 50);
#pragma once

#include "imaging/image.h"
#include "imaging/ops/region.h"
#include "imaging/status.h"

namespace imaging::ops {

enum class NoiseMode {
  kWholePixel = 0,  // each pixel becomes the neighbour of median luminance (no new colours)
  kPerChannel = 1,  // each channel on its own, within the level's tolerance
};

// RemoveNoise() removes specks.
//   kWholePixel: every pixel is replaced by the pixel of its 3 x 3
//     neighbourhood whose luminance is the median; `level` is not used.
//   kPerChannel: a channel value is replaced by the median of its 3 x 3
//     neighbourhood when it differs from that median by more than
//     `level` (0..255): 0 is a plain median filter, 50 removes specks but
//     keeps fine texture, 255 changes nothing.
// Alpha is kept.  `dst` may be `&src`.  kBadValue for a null `dst`, an
// unknown mode or a level out of range, kBadImage for an empty picture,
// kNotTarget below 24 bpp.
Result RemoveNoise(const Image& src, Image* dst, NoiseMode mode, int level, const Region& region = {});

}  // namespace imaging::ops

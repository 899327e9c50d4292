// File: imaging/codecs/internal/gif_quantize.h
//
// Reduces a 16/24/32-bit picture to an 8-bit palette picture for writers of
// palette-only formats (GIF).  A picture with at most 256 distinct colours
// keeps every colour exactly; otherwise a median-cut palette is built from a
// 5-5-5 histogram and the pixels are mapped to it, optionally with
// Floyd-Steinberg error diffusion.
//
//   imaging::Image pal;
//   if (auto r = QuantizeForGif(rgb, QuantizeDither::kFloydSteinberg, &pal); !r.ok()) return r;
//   // pal.bpp() == 8, pal.palette().size() <= 256
#pragma once

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::codecs::internal {

enum class QuantizeDither { kNone, kFloydSteinberg };

// QuantizeForGif() writes an 8-bit picture with at most `max_colors`
// (2..256) palette entries to `*out`; metadata is copied from `src`.
// Returns kBadImage for a picture that is not 16/24/32 bpp, kBadValue for a
// colour count outside 2..256, kMemory when the result cannot be allocated.
Result QuantizeForGif(const Image& src, QuantizeDither dither, Image* out, int max_colors = 256);

}  // namespace imaging::codecs::internal

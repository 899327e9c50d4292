// File: imaging/ops/internal/palette_kind.h
//
// Tells whether an 8-bit picture's indices are its grey levels, so that
// geometry can filter it like a one-channel photo.
//
//   if (IsIdentityGreyRamp(img)) cv::resize(MatOf(img), ...INTER_AREA);
#pragma once

#include "imaging/image.h"

namespace imaging::ops::internal {

// True for an 8 bpp picture with 256 entries where entry i is grey i.
inline bool IsIdentityGreyRamp(const Image& img) {
  if (img.bpp() != 8 || img.palette().size() != 256) return false;
  for (int i = 0; i < 256; ++i) {
    const PaletteEntry& e = img.palette()[i];
    if (e.red != i || e.green != i || e.blue != i) return false;
  }
  return true;
}

}  // namespace imaging::ops::internal

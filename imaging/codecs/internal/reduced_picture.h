// File: imaging/codecs/internal/reduced_picture.h
//
// The picture a decoder writes its rows into, shrunk while decoding when the
// load is bounded: each side is divided by a whole factor k, true-colour
// pixels become the mean of their k x k block and palette pictures keep the
// top-left pixel of each block (indices cannot be averaged).  Only the
// reduced picture and, for true colour, one sum per reduced sample are
// held, so a bounded load costs memory in proportion to its bound, not to
// the size the file claims.  With k = 1 the rows are stored as they come.
// Rows may arrive in any order (bottom-up files, interlaced GIFs); rows
// that never arrive stay zero.  Private to imaging/codecs.
//
//   ReducedPicture pic;
//   if (Result r = pic.Start(w, h, 8, ReducedPicture::Factor(w, h, options)); !r.ok()) return r;
//   for (int y = 0; y < h; ++y) if (pic.Wants(y)) pic.PutIndices(y, line.data());
//   pic.picture().palette() = palette;
//   *out = pic.Finish();
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/image.h"

namespace imaging::codecs::internal {

class ReducedPicture {
 public:
  // Factor() is the whole factor a load bounded by `options` may shrink a
  // `width` x `height` picture by while decoding: the largest k with the
  // picture still at least k times the bound on each bounded side (so the
  // dispatcher's final fit is left a little to do), at most 1024; 1 when
  // the load has no bound.
  static int Factor(int64_t width, int64_t height, const LoadOptions& options);

  // Start() checks the full size against the engine's limit (kMemory
  // beyond it) and allocates the reduced picture, ceil(width / k) x
  // ceil(height / k) at `bpp` (1, 4, 8, 16, 24 or 32), zero-filled.
  Result Start(int width, int height, int bpp, int factor);

  int factor() const { return factor_; }
  // Wants() tells whether row `y` of the full picture contributes (every
  // row of a true-colour picture, the first of each block otherwise);
  // decoders may skip converting the others.
  bool Wants(int y) const { return averaging_ || y % factor_ == 0; }

  // PutRow() takes full-size row `y` (0 = top) in the engine's row layout
  // at the depth given to Start().  Rows outside the picture are ignored.
  void PutRow(int y, const uint8_t* row);
  // PutIndices() takes row `y` of a picture of 8 bpp or less as one
  // palette index a byte (`width` entries; values are masked to the depth).
  void PutIndices(int y, const uint8_t* indices);

  // The reduced picture, for palette, grey flag, resolution and the like.
  Image& picture() { return picture_; }

  // Finish() works out the block means and hands the picture over.
  Image Finish();

 private:
  int width_ = 0;
  int height_ = 0;
  int bpp_ = 0;
  int factor_ = 1;
  bool averaging_ = false;
  Image picture_;
  std::vector<uint32_t> sums_;  // averaging only: one per reduced sample
};

}  // namespace imaging::codecs::internal

// File: imaging/ops/paste.h
//
// Pasting one picture (a piece, a stamp) into another at a position, with
// optional transparency.
//
//   imaging::ops::PasteOptions opt;
//   opt.blend = imaging::ops::PasteBlend::kTransparentColor;
//   opt.transparent_rgb = 0xFFFFFF;           // white parts of the stamp drop out
//   auto r = imaging::ops::PasteImage(img, &img, stamp, 40, 30, opt);
#pragma once

#include <cstdint>

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::ops {

enum class PasteBlend {
  kOpaque,            // every pixel of the piece replaces the picture's
  kTransparentColor,  // pixels of the piece equal to `transparent_rgb` are skipped
  kAlpha,             // 32-bit piece: mixed by its alpha byte (255 = opaque)
};

struct PasteOptions {
  PasteBlend blend = PasteBlend::kOpaque;
  uint32_t transparent_rgb = 0xFFFFFF;  // 0xRRGGBB, compared on the piece's own colours
};

// PasteImage() copies `piece` into `src` with its top-left pixel at (x, y)
// (may be negative; whatever falls outside the picture is cut off) and
// stores the result in `*dst` (may be `&src`; `piece` must not be `*dst`).
// The result keeps the depth of `src`: a piece of another depth is
// converted first for 16/24/32-bit pictures; a palette picture accepts
// only a piece of its own depth and palette.  Alpha mixing needs a 32-bit
// piece and a 24/32-bit picture; the picture's own alpha byte is kept.
// Returns kBadValue for a null `dst` or an unknown blend, kBadImage for an
// empty picture or piece, kNotTarget for depth combinations named above.
Result PasteImage(const Image& src, Image* dst, const Image& piece, int x, int y, const PasteOptions& options = {});

}  // namespace imaging::ops

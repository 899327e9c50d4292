// File: imaging/ops/convert_depth.h
//
// Colour depth conversion: any picture to black and white (threshold or
// error diffusion), 16 or 256 colours (fixed or optimised palette), 16 or
// 256 greys, or 16/24/32-bit direct colour, optionally inverted.
//
//   imaging::Image out;
//   imaging::ops::ConvertDepthOptions opt;
//   opt.dither = imaging::ops::Dither::kFloydSteinberg;
//   if (auto r = imaging::ops::ConvertDepth(img, &out, imaging::ops::DepthCode::kColor256, opt); !r.ok())
//     return r;
//
// The imaging control's `ConvertDepth(code, palette flag, diffusion flag,
// level)` maps onto this entry as follows (ControlDepthOptions() does it):
//   code            the DepthCode number (1, 4, 8, 16, 24, 32, 40, 80);
//                   DepthCodeFromNumber() turns it into the enum, an unknown
//                   number is a bad value;
//   palette flag    true = fixed palette, false (0) = optimised palette;
//                   used by codes 4 and 8 only;
//   diffusion flag  true = Floyd–Steinberg error diffusion, false = none;
//                   used by codes 1, 4, 8 and 40;
//   level           the black-and-white threshold 0..255 (the dialog's
//                   threshold slider; 128 is neutral), clamped into 0..255
//                   because the slider's text box can read beyond it; only
//                   code 1 uses it, the 50 or 128 other callers pass for
//                   other codes has no effect.
#pragma once

#include <optional>

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::ops {

// DepthCode: the editor's colour depth numbers.  Grey codes are the bit
// count times ten.
enum class DepthCode {
  kMono = 1,       // 1 bpp, black (index 0) and white (index 1)
  kColor16 = 4,    // 4 bpp, 16 colours
  kColor256 = 8,   // 8 bpp, 256 colours
  kHigh16 = 16,    // 16 bpp 5-5-5
  kTrue24 = 24,    // 24 bpp
  kTrue32 = 32,    // 32 bpp, alpha byte 0 (kept from a 32-bit source)
  kGray16 = 40,    // 4 bpp, greys 0, 17, ... 255
  kGray256 = 80,   // 8 bpp, greys 0..255
};

enum class PaletteKind {
  kFixed,      // 16 colours: the VGA palette; 256: 6x6x6 cube + 40 greys (palettes.h)
  kOptimized,  // chosen for the picture (quantize.h); keeps up to N colours exactly
};

enum class Dither {
  kNone,            // nearest palette colour (or threshold) per pixel
  kFloydSteinberg,  // error diffusion
};

struct ConvertDepthOptions {
  PaletteKind palette = PaletteKind::kOptimized;
  Dither dither = Dither::kNone;
  // Black and white only: a pixel whose Rec. 601 luma is at least
  // `threshold` becomes white, darker pixels black.  0..255 (0 makes every
  // pixel white).  With error diffusion, 128 keeps the mean brightness and
  // every step above it darkens the result by one level.
  int threshold = 128;
  // Inverts the result: every colour c becomes 255 - c per channel.  Palette
  // pictures get inverted entries, except that a black-and-white or grey
  // ramp keeps its ascending order and the pixel indices flip instead; the
  // alpha byte of 32-bit pictures is kept.
  bool invert = false;
};

// ConvertDepth() converts `src` (any depth: 1/4/8 bpp palette or grey,
// 16 bpp 5-5-5, 24, 32) into `*dst` at depth `code`.
//
//   kMono       luma against `threshold`, or diffused.
//   kColor16,   fixed or optimised palette, nearest colour or diffused.  A
//   kColor256   picture with at most 16/256 colours keeps them exactly with
//               an optimised palette (and diffusion then adds no noise).
//               A source already at that depth is copied unchanged with an
//               optimised palette, or remapped onto the fixed one.
//   kGray16,    Rec. 601 luma; 16 greys round to the nearest level or are
//   kGray256    diffused.  A grey source at the same grey depth is copied
//               unchanged, and 16 greys to 256 keep their values.
//   kHigh16     channels rounded to the nearest 5-bit level (expanding back
//               as v << 3 | v >> 2 gives the original within 4).
//   kTrue24/32  exact; 32 bpp gets alpha 0 unless the source was 32 bpp.
// Diffusion and the palette kind are ignored where they do not apply.
// Resolution, comment and transparency (when the transparent colour keeps
// an entry of its own) are kept; the grey flag is set exactly when the
// result has a palette of greys only (so grey targets always have it).
// `dst` may be `&src`: the result is built apart and moved in at the end.
// Returns kBadValue for a null `dst`, an unknown code, palette kind or
// dither, or a threshold outside 0..255; kBadImage for an empty `src`;
// kMemory when the result cannot be allocated.  `*dst` is untouched on
// failure.
Result ConvertDepth(const Image& src, Image* dst, DepthCode code, const ConvertDepthOptions& options = {});

// DepthCodeOf() is the depth code of a picture: its bit count, times ten
// for a grey picture of 4 or 8 bpp (grey flag set or a palette of greys
// only).  Empty for an empty picture.
std::optional<DepthCode> DepthCodeOf(const Image& image);

// DepthCodeFromNumber() returns the code with the number `number`, or empty
// when no code has it.
std::optional<DepthCode> DepthCodeFromNumber(int number);

// ControlDepthOptions() builds the options from the imaging control's
// palette flag, diffusion flag and level (see the banner above).
ConvertDepthOptions ControlDepthOptions(bool fixed_palette, bool diffusion, int level);

}  // namespace imaging::ops

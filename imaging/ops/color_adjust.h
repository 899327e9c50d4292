// File: imaging/ops/color_adjust.h
//
// Colour adjustments: inverting chosen channels, saturation and
// per-channel brightness.  Whole picture or a region (see region.h).
//
//   auto r = imaging::ops::InvertChannels(img, &img, imaging::ops::kAllChannels);
//   r = imaging::ops::AdjustBrightness(img, &img, -80, -80, -80);
#pragma once

#include "imaging/image.h"
#include "imaging/ops/region.h"
#include "imaging/status.h"

namespace imaging::ops {

// A set of colour channels: bit 0 red (or the first channel of another
// colour space), bit 1 green, bit 2 blue.
enum ChannelSet : unsigned {
  kNoChannel = 0,
  kRedChannel = 1,
  kGreenChannel = 2,
  kBlueChannel = 4,
  kAllChannels = 7,
};
inline ChannelSet operator|(ChannelSet a, ChannelSet b) { return ChannelSet(unsigned(a) | unsigned(b)); }
// ChannelsOf() builds a set from three flags (the control's check boxes).
inline ChannelSet ChannelsOf(bool red, bool green, bool blue) {
  return ChannelSet((red ? 1u : 0u) | (green ? 2u : 0u) | (blue ? 4u : 0u));
}

// InvertChannels() replaces each chosen channel c by 255 - c (31 - c for
// the 5-bit fields of 16-bit pictures).  Works at every depth: a palette
// picture has its palette entries inverted when the whole picture is
// worked on; with a region each covered pixel takes the palette entry
// nearest to its inverted colour (exact for black and white, grey ramps
// and the fixed palettes).  No channel leaves the picture as it is.  Alpha
// is kept.  `dst` may be `&src`.  kBadValue for a null `dst` or bits
// beyond kAllChannels, kBadImage for an empty picture.
Result InvertChannels(const Image& src, Image* dst, ChannelSet channels, const Region& region = {});

// AdjustSaturation() moves each colour away from (level > 0) or toward
// (level < 0) its Rec. 601 grey: c' = Y + (1 + level / 100) (c - Y),
// clamped to 0..255.  level -100..1000: -100 gives grey, 0 changes
// nothing, 200 triples the colourfulness.  24/32-bit only (kNotTarget
// otherwise); kBadValue for a level out of range.
Result AdjustSaturation(const Image& src, Image* dst, int level, const Region& region = {});

// AdjustBrightness() adds `red`, `green` and `blue` (each -255..255) to
// the channels, clamped to 0..255.  24/32-bit only (kNotTarget
// otherwise); kBadValue for a value out of range.
Result AdjustBrightness(const Image& src, Image* dst, int red, int green, int blue, const Region& region = {});

}  // namespace imaging::ops

// File: imaging/ops/distort.h
//
// Distortions: waves, ripples, whirl and lens.  Each moves pixels by a
// smooth map centred on the region's bounding box (the picture for the
// whole picture) and samples bilinearly.  24/32-bit pictures.
//
//   auto r = imaging::ops::Wave(img, &img, imaging::ops::WaveDirection::kHorizontal, 100, 10, 0.5);
//   r = imaging::ops::Whirl(img, &img, 360.0, 1.0, 1.0);
#pragma once

#include <cstdint>

#include "imaging/image.h"
#include "imaging/ops/region.h"
#include "imaging/status.h"

namespace imaging::ops {

enum class WaveDirection {
  kHorizontal = 0,  // rows sway sideways: x moves by A sin(2 pi (y / wavelength + phase))
  kVertical = 1,    // columns sway up and down: y moves by A sin(2 pi (x / wavelength + phase))
};

// Wave(): `wavelength` in pixels (0..10000; 0 changes nothing),
// `amplitude` in pixels (0..1000), `phase` in wavelengths (any; 0.5 is
// half a period).  Beyond the edge the edge pixels repeat.
Result Wave(const Image& src, Image* dst, WaveDirection direction, double wavelength, double amplitude,
            double phase, const Region& region = {});

enum class RippleEdge {
  kFade = 0,     // ripples die away toward the edge of the area
  kReflect = 1,  // ripples keep their strength and mirror at the edge
};

// Ripple(): concentric ripples around the centre of the area.  With R the
// half diagonal of the area, the rings are `wavelength` % of R apart
// (0..100; 0 changes nothing; 10 gives ten rings), each pixel moves along
// its radius by up to `amplitude` / 200 of a ring spacing (0..100; 20
// is a clear ripple without folding), `phase` in ring spacings shifts the
// rings outward.
Result Ripple(const Image& src, Image* dst, double amplitude, double wavelength, double phase, RippleEdge edge,
              const Region& region = {});

// Whirl(): turns pixels around the centre of the area by `angle` degrees
// (-3600..3600; positive anticlockwise) at the centre, less further out,
// nothing at `radius` times the half diagonal (0 < radius <= 10) and
// beyond.  `twist` 0..1 shapes the fall-off: the turn at distance r is
// angle (1 - r / R)^(2 twist), so 0 turns the disc rigidly and 1 gives a
// smooth swirl.
Result Whirl(const Image& src, Image* dst, double angle, double radius, double twist, const Region& region = {});

enum class LensOutside {
  kPaint = 0,  // outside the lens is painted with the fill colour
  kKeep = 1,   // outside the lens is left as it is
};

// Lens(): a round lens filling the ellipse inscribed in the area.  A point
// at relative distance r (0 centre, 1 rim) shows the picture from
// distance r^`magnification`: 1 changes nothing, above 1 the centre is
// enlarged (3 is a strong bulge), below 1 it shrinks (values below 0.1
// act as 0.1).  0..10.
Result Lens(const Image& src, Image* dst, double magnification, LensOutside outside, uint32_t fill_rgb = 0xFFFFFF,
            const Region& region = {});

}  // namespace imaging::ops

// File: imaging/ops/tone_curve.h
//
// Tone curves: a smooth curve through a few (input, output) points, applied
// to chosen RGB channels or to chosen Y/Cr/Cb channels.  Also the curve
// points the correction dialog derives from its emphasis and level sliders.
//
//   imaging::ops::CurvePoints p = imaging::ops::ToneCurvePoints(50, 0);
//   auto r = imaging::ops::ToneCurve(img, &img, p.x, p.y, imaging::ops::kAllChannels);
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/image.h"
#include "imaging/ops/color_adjust.h"
#include "imaging/ops/region.h"
#include "imaging/status.h"

namespace imaging::ops {

struct CurvePoints {
  std::vector<int> x;  // inputs, 0..255
  std::vector<int> y;  // outputs, 0..255
};

// ToneCurvePoints() gives the five points of the correction dialog from
// its emphasis E and level L (each -100..100; other values are used as
// they are).  Level shifts the inputs: L > 0 gives x_i = round(256 -
// (4 - i) 64 L / 100), otherwise x_i = round(i 64 (L / 100 + 1)), each
// capped at 255, and y_i = x_i.  Emphasis E > 0 moves y1 toward y0 and y3
// toward y4 by E / 100 of the gap (steeper middle), E < 0 moves both
// toward y2 (flatter middle).  Rounding is to nearest, ties to even.
// E = 0, L = 0 gives 0, 64, 128, 192, 255 for both.
CurvePoints ToneCurvePoints(int emphasis, int level);

// BuildToneCurve() fills `table` with the curve through the points: a
// natural cubic spline between the first and the last input, flat
// (the end output) beyond them, rounded and clamped to 0..255.  Points
// may come in any order; points with equal inputs count once, with the
// mean of their outputs.  Collinear points give the straight line, so
// the points (0, 0), (255, 255) and any on that diagonal give the
// identity.  Returns kBadValue for fewer than one point, different
// counts of inputs and outputs, or a value outside 0..255.
Result BuildToneCurve(const std::vector<int>& x, const std::vector<int>& y, std::array<uint8_t, 256>* table);

// ToneCurve() maps the chosen RGB channels (ChannelSet bits red, green,
// blue) of `src` through the curve.  ToneCurveYCrCb() converts to Y, Cr,
// Cb (full range, Rec. 601), maps the chosen ones (bit 0 = Y, bit 1 = Cr,
// bit 2 = Cb) and converts back.  Both: 24/32-bit only, alpha kept,
// `dst` may be `&src`; kBadValue for bad points (BuildToneCurve) or
// channel bits, kBadImage for an empty picture, kNotTarget below 24 bpp.
Result ToneCurve(const Image& src, Image* dst, const std::vector<int>& x, const std::vector<int>& y,
                 ChannelSet channels, const Region& region = {});
Result ToneCurveYCrCb(const Image& src, Image* dst, const std::vector<int>& x, const std::vector<int>& y,
                      ChannelSet channels, const Region& region = {});

}  // namespace imaging::ops

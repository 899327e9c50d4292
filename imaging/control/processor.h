// File: imaging/control/processor.h
//
// Processor: the control's pixel-operation sub-object.  Each call works on
// the held picture and, on success, replaces it (under a new handle) and
// refreshes the view.  Region-based calls take the region's four corners
// (top-left, top-right, bottom-right, bottom-left; inclusive pixel
// indices) and work inside or outside them as RegionInside() says, or on
// the whole picture when RegionMode() is 1 or fewer than four corners are
// given.
//
//   Processor& pr = view.Processor();
//   pr.SetRegionInside(1);
//   pr.SetRegionMode(2);
//   Corners c = Corners::Rect(10, 20, 110, 70);
//   if (!pr.Blur(c, 2)) Report(view.ErrorCode());
//
// Every call returns success; the reason of a failure is the control's
// ErrorCode (10 for a depth an operation does not take, 5 for values out
// of range, 24 without a picture, 11 for Trim() before ClipRect()).  A
// failed call leaves the picture and its handle as they were.
#pragma once

#include <array>
#include <vector>

#include "imaging/global_memory.h"
#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::ops {
struct Region;
}

namespace imaging::control {

class Morvik;

// Corners: a region polygon as the callers pass it, x and y arrays plus the
// number of corners used (4, or 0 for none).
struct Corners {
  std::array<int, 4> x{};
  std::array<int, 4> y{};
  int count = 0;
  static Corners Rect(int left, int top, int right, int bottom) {
    return Corners{{left, right, right, left}, {top, top, bottom, bottom}, 4};
  }
};

class Processor {
 public:
  explicit Processor(Morvik* owner) : owner_(owner) {}

  // 1 = work inside the corners, 0 = outside.
  int RegionInside() const { return region_inside_; }
  void SetRegionInside(int v) { region_inside_ = v; }
  // 1 = the whole picture, 2 = the corners.
  int RegionMode() const { return region_mode_; }
  void SetRegionMode(int v) { region_mode_ = v; }

  // ClipRect() sets the rectangle Trim() keeps: inclusive pixel indices,
  // clamped to the picture (so right = width keeps the last column).
  void ClipRect(int left, int right, int top, int bottom);
  bool Trim();

  // ConvertDepth(): code 1, 4, 8, 16, 24, 32, 40 (16 greys) or 80 (256
  // greys); fixed palette (codes 4 and 8), error diffusion (1, 4, 8, 40),
  // threshold 0..255 (code 1).
  bool ConvertDepth(int code, bool fixed_palette, bool diffusion, int level);
  // ResizeImage() to width x height; smooth false takes the nearest pixel.
  bool ResizeImage(int width, int height, bool smooth = true);
  // RotateImage(): angle in 1/100 degree (positive turns left), flips
  // applied first, background colour for uncovered corners, cut = keep the
  // picture's size.  `smooth` is accepted for the callers' sake; angles
  // other than quarter turns always resample bilinearly.
  bool RotateImage(int angle, bool flip_horizontal, bool flip_vertical, bool smooth, int red, int green, int blue,
                   bool cut);
  // PasteImage() pastes the picture of `handle` (which stays the caller's).
  // (x, y) is measured back from the picture's centre point (W/2 - 1,
  // H/2 - 1, integer halves of the held picture's size): the piece's
  // top-left lands at (W/2 - 1 - x, H/2 - 1 - y).
  bool PasteImage(MemHandle handle, int x, int y);
  // FillOutside() paints everything the corners do not cover.
  bool FillOutside(const Corners& region, int red, int green, int blue);
  // AddFrame() paints a frame over the picture's border: `thin` pixels at
  // the top and left, `broad` pixels at the bottom and right, in one
  // colour.  Pictures below 24 bits become 24-bit.
  bool AddFrame(int thin, int broad, int red, int green, int blue);

  // Colour corrections.
  bool InvertChannels(const Corners& region, bool red, bool green, bool blue);
  bool AdjustSaturation(const Corners& region, int level);
  bool AdjustBrightness(const Corners& region, int red, int green, int blue);
  // ToneCurve(): x inputs and y outputs (0..255), `count` points used, on
  // the chosen channels (R, G, B, or Y, Cr, Cb for ToneCurveYCrCb).
  bool ToneCurve(const Corners& region, const std::vector<int>& x, const std::vector<int>& y, int count, bool c1,
                 bool c2, bool c3);
  bool ToneCurveYCrCb(const Corners& region, const std::vector<int>& x, const std::vector<int>& y, int count,
                      bool c1, bool c2, bool c3);

  // Filters.
  bool RemoveNoise(const Corners& region, int per_channel, int level);
  bool Blur(const Corners& region, int level);
  bool Sharpen(const Corners& region, int level);
  bool SmoothEdges(const Corners& region);

  // Effects.  The extra values some callers pass after the listed ones
  // (zeros and the like) carry nothing and are left out here.
  bool Emboss(const Corners& region, int mask, int edge, int background);
  bool Mosaic(const Corners& region, int width, int height);
  bool EdgeExtract(const Corners& region, int plane, int pattern, int brightness);
  bool MotionBlur(const Corners& region, int kind, int length, int angle);
  // Wave(): direction 0 horizontal / 1 vertical, wavelength and amplitude
  // in pixels, phase in wavelengths.
  bool Wave(const Corners& region, int direction, double wavelength, double amplitude, double phase);
  bool Ripple(const Corners& region, double amplitude, double wavelength, double phase, bool reflect);
  bool Whirl(const Corners& region, double angle, double radius, double twist);
  // Lens(): paint_outside true paints outside the lens white.
  bool Lens(const Corners& region, double magnification, bool paint_outside);
  bool Canvas(const Corners& region, int direction, int depth);

 private:
  template <typename Op>
  bool Apply(Op&& op);
  ops::Region RegionOf(const Corners& corners) const;

  Morvik* owner_;
  int region_inside_ = 1;
  int region_mode_ = 1;
  int clip_left_ = 0, clip_right_ = 0, clip_top_ = 0, clip_bottom_ = 0;
  bool clip_set_ = false;
};

}  // namespace imaging::control

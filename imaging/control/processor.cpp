#include "imaging/control/processor.h"

#include <algorithm>

#include "imaging/control/morvik.h"
#include "imaging/ops/blur.h"
#include "imaging/ops/canvas.h"
#include "imaging/ops/clip.h"
#include "imaging/ops/color_adjust.h"
#include "imaging/ops/convert_depth.h"
#include "imaging/ops/distort.h"
#include "imaging/ops/edge_extract.h"
#include "imaging/ops/emboss.h"
#include "imaging/ops/frame.h"
#include "imaging/ops/motion_blur.h"
#include "imaging/ops/noise.h"
#include "imaging/ops/paste.h"
#include "imaging/ops/region.h"
#include "imaging/ops/resize.h"
#include "imaging/ops/rotate.h"
#include "imaging/ops/tone_curve.h"

namespace imaging::control {
namespace {

uint32_t Rgb(int r, int g, int b) {
  return (static_cast<uint32_t>(std::clamp(r, 0, 255)) << 16) | (static_cast<uint32_t>(std::clamp(g, 0, 255)) << 8) |
         static_cast<uint32_t>(std::clamp(b, 0, 255));
}

}  // namespace

// Apply() runs `op(src, &dst)` on the held picture and takes the result.
template <typename Op>
bool Processor::Apply(Op&& op) {
  const Image& src = owner_->image();
  if (src.empty()) return owner_->SetErrorCode(Status::kNoDisplayImage);
  owner_->BeginBusy(kBusyPixels);
  Image dst;
  const Result r = op(src, &dst);
  bool ok = owner_->SetError(r);
  if (ok) ok = owner_->ReplaceImage(std::move(dst));
  owner_->EndBusy(kBusyPixels);
  return ok;
}

ops::Region Processor::RegionOf(const Corners& c) const {
  if (c.count < 4) return ops::Region::Whole();
  return ops::RegionFromControl(region_mode_, region_inside_, c.x, c.y);
}

void Processor::ClipRect(int left, int right, int top, int bottom) {
  clip_left_ = left;
  clip_right_ = right;
  clip_top_ = top;
  clip_bottom_ = bottom;
  clip_set_ = true;
}

bool Processor::Trim() {
  if (!clip_set_) return owner_->SetErrorCode(Status::kSequence);
  const ops::ClipRect rect{clip_left_, clip_right_, clip_top_, clip_bottom_};
  return Apply([&](const Image& s, Image* d) { return ops::Trim(s, d, rect); });
}

bool Processor::ConvertDepth(int code, bool fixed_palette, bool diffusion, int level) {
  const std::optional<ops::DepthCode> depth = ops::DepthCodeFromNumber(code);
  if (!depth) return owner_->SetErrorCode(Status::kBadValue);
  const ops::ConvertDepthOptions opt = ops::ControlDepthOptions(fixed_palette, diffusion, level);
  return Apply([&](const Image& s, Image* d) { return ops::ConvertDepth(s, d, *depth, opt); });
}

bool Processor::ResizeImage(int width, int height, bool smooth) {
  const ops::ResizeFilter f = smooth ? ops::ResizeFilter::kAuto : ops::ResizeFilter::kNearest;
  return Apply([&](const Image& s, Image* d) { return ops::ResizeImage(s, d, width, height, f); });
}

bool Processor::RotateImage(int angle, bool flip_horizontal, bool flip_vertical, bool /*smooth*/, int red, int green,
                            int blue, bool cut) {
  const ops::Flip flip = flip_horizontal && flip_vertical ? ops::Flip::kBoth
                         : flip_horizontal                ? ops::Flip::kHorizontal
                         : flip_vertical                  ? ops::Flip::kVertical
                                                          : ops::Flip::kNone;
  const ops::RotateCanvas canvas = cut ? ops::RotateCanvas::kKeepSize : ops::RotateCanvas::kExpand;
  return Apply([&](const Image& s, Image* d) { return ops::RotateImage(s, d, angle, flip, Rgb(red, green, blue), canvas); });
}

bool Processor::PasteImage(MemHandle handle, int x, int y) {
  Image piece;
  if (handle == owner_->ImageHandle() && handle != 0) piece = owner_->image();
  else if (Result r = ImageFromHandle(handle, &piece); !r.ok()) return owner_->SetErrorCode(Status::kBadImage);
  const Image& held = owner_->image();
  const int left = held.width() / 2 - 1 - x;
  const int top = held.height() / 2 - 1 - y;
  return Apply([&](const Image& s, Image* d) { return ops::PasteImage(s, d, piece, left, top); });
}

bool Processor::FillOutside(const Corners& region, int red, int green, int blue) {
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) { return ops::FillOutside(s, d, rg, Rgb(red, green, blue)); });
}

bool Processor::AddFrame(int thin, int broad, int red, int green, int blue) {
  ops::FrameOptions opt;
  opt.thin = thin;
  opt.broad = broad;
  opt.rgb = Rgb(red, green, blue);
  return Apply([&](const Image& s, Image* d) { return ops::AddPictureFrame(s, d, opt); });
}

bool Processor::InvertChannels(const Corners& region, bool red, bool green, bool blue) {
  const ops::Region rg = RegionOf(region);
  const ops::ChannelSet ch = ops::ChannelsOf(red, green, blue);
  return Apply([&](const Image& s, Image* d) { return ops::InvertChannels(s, d, ch, rg); });
}

bool Processor::AdjustSaturation(const Corners& region, int level) {
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) { return ops::AdjustSaturation(s, d, level, rg); });
}

bool Processor::AdjustBrightness(const Corners& region, int red, int green, int blue) {
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) { return ops::AdjustBrightness(s, d, red, green, blue, rg); });
}

bool Processor::ToneCurve(const Corners& region, const std::vector<int>& x, const std::vector<int>& y, int count,
                          bool c1, bool c2, bool c3) {
  if (count < 2 || count > static_cast<int>(std::min(x.size(), y.size()))) return owner_->SetErrorCode(Status::kBadValue);
  const std::vector<int> xs(x.begin(), x.begin() + count), ys(y.begin(), y.begin() + count);
  const ops::Region rg = RegionOf(region);
  const ops::ChannelSet ch = ops::ChannelsOf(c1, c2, c3);
  return Apply([&](const Image& s, Image* d) { return ops::ToneCurve(s, d, xs, ys, ch, rg); });
}

bool Processor::ToneCurveYCrCb(const Corners& region, const std::vector<int>& x, const std::vector<int>& y, int count,
                               bool c1, bool c2, bool c3) {
  if (count < 2 || count > static_cast<int>(std::min(x.size(), y.size()))) return owner_->SetErrorCode(Status::kBadValue);
  const std::vector<int> xs(x.begin(), x.begin() + count), ys(y.begin(), y.begin() + count);
  const ops::Region rg = RegionOf(region);
  const ops::ChannelSet ch = ops::ChannelsOf(c1, c2, c3);
  return Apply([&](const Image& s, Image* d) { return ops::ToneCurveYCrCb(s, d, xs, ys, ch, rg); });
}

bool Processor::RemoveNoise(const Corners& region, int per_channel, int level) {
  const ops::Region rg = RegionOf(region);
  const ops::NoiseMode mode = per_channel ? ops::NoiseMode::kPerChannel : ops::NoiseMode::kWholePixel;
  return Apply([&](const Image& s, Image* d) { return ops::RemoveNoise(s, d, mode, level, rg); });
}

bool Processor::Blur(const Corners& region, int level) {
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) { return ops::Blur(s, d, level, rg); });
}

bool Processor::Sharpen(const Corners& region, int level) {
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) { return ops::Sharpen(s, d, level, rg); });
}

bool Processor::SmoothEdges(const Corners& region) {
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) { return ops::SmoothEdges(s, d, rg); });
}

bool Processor::Emboss(const Corners& region, int mask, int edge, int background) {
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) { return ops::Emboss(s, d, mask, edge, background, rg); });
}

bool Processor::Mosaic(const Corners& region, int width, int height) {
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) { return ops::Mosaic(s, d, width, height, rg); });
}

bool Processor::EdgeExtract(const Corners& region, int plane, int pattern, int brightness) {
  if (plane < 0 || plane > 3 || pattern < 0 || pattern > 2) return owner_->SetErrorCode(Status::kBadValue);
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) {
    return ops::EdgeExtract(s, d, static_cast<ops::EdgePlane>(plane), static_cast<ops::EdgePattern>(pattern),
                            brightness, rg);
  });
}

bool Processor::MotionBlur(const Corners& region, int kind, int length, int angle) {
  if (kind < 0 || kind > 2) return owner_->SetErrorCode(Status::kBadValue);
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) {
    return ops::MotionBlur(s, d, static_cast<ops::MotionKind>(kind), length, angle, rg);
  });
}

bool Processor::Wave(const Corners& region, int direction, double wavelength, double amplitude, double phase) {
  if (direction < 0 || direction > 1) return owner_->SetErrorCode(Status::kBadValue);
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) {
    return ops::Wave(s, d, static_cast<ops::WaveDirection>(direction), wavelength, amplitude, phase, rg);
  });
}

bool Processor::Ripple(const Corners& region, double amplitude, double wavelength, double phase, bool reflect) {
  const ops::Region rg = RegionOf(region);
  const ops::RippleEdge edge = reflect ? ops::RippleEdge::kReflect : ops::RippleEdge::kFade;
  return Apply([&](const Image& s, Image* d) { return ops::Ripple(s, d, amplitude, wavelength, phase, edge, rg); });
}

bool Processor::Whirl(const Corners& region, double angle, double radius, double twist) {
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) { return ops::Whirl(s, d, angle, radius, twist, rg); });
}

bool Processor::Lens(const Corners& region, double magnification, bool paint_outside) {
  const ops::Region rg = RegionOf(region);
  const ops::LensOutside outside = paint_outside ? ops::LensOutside::kPaint : ops::LensOutside::kKeep;
  return Apply([&](const Image& s, Image* d) { return ops::Lens(s, d, magnification, outside, 0xFFFFFF, rg); });
}

bool Processor::Canvas(const Corners& region, int direction, int depth) {
  if (direction < 0 || direction > 3) return owner_->SetErrorCode(Status::kBadValue);
  const ops::Region rg = RegionOf(region);
  return Apply([&](const Image& s, Image* d) {
    return ops::Canvas(s, d, static_cast<ops::CanvasLight>(direction), depth, rg);
  });
}

}  // namespace imaging::control

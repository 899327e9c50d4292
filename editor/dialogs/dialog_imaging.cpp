// Forwarding of the dialogs' further imaging-control calls.
#include "editor/dialogs/dialog_imaging.h"

#include "imaging/control/draw_toolbar.h"
#include "imaging/control/morvik.h"
#include "imaging/control/processor.h"

namespace ruvel {

namespace {

// Dialog previews keep no call log.
const bool kNoLogging = false;
QStringList g_unused_log;

imaging::control::Corners ToCorners(const SeamCorners& c) {
  imaging::control::Corners out;
  out.x = {c.x[0], c.x[1], c.x[2], c.x[3]};
  out.y = {c.y[0], c.y[1], c.y[2], c.y[3]};
  out.count = 4;
  return out;
}

imaging::control::Processor& Pr(MvInstance& mv) { return mv.Object()->Processor(); }

}  // namespace

std::unique_ptr<MvInstance> NewPreviewControl(QWidget* parent) {
  return std::make_unique<MvInstance>(parent, &kNoLogging, &g_unused_log);
}

SeamCorners RegionCorners(int left, int right, int top, int bottom) {
  SeamCorners c;
  c.x = {left, right, right, left};
  c.y = {top, top, bottom, bottom};
  return c;
}

namespace dlg {

bool Emboss(MvInstance& mv, const SeamCorners& c, int mask, int edge, int background) {
  return Pr(mv).Emboss(ToCorners(c), mask, edge, background);
}
bool Mosaic(MvInstance& mv, const SeamCorners& c, int width, int height) {
  return Pr(mv).Mosaic(ToCorners(c), width, height);
}
bool EdgeExtract(MvInstance& mv, const SeamCorners& c, int plane, int pattern, int brightness) {
  return Pr(mv).EdgeExtract(ToCorners(c), plane, pattern, brightness);
}
bool MotionBlur(MvInstance& mv, const SeamCorners& c, int kind, int length, int angle) {
  return Pr(mv).MotionBlur(ToCorners(c), kind, length, angle);
}
bool Wave(MvInstance& mv, const SeamCorners& c, int direction, double wavelength, double amplitude, double phase) {
  return Pr(mv).Wave(ToCorners(c), direction, wavelength, amplitude, phase);
}
bool Ripple(MvInstance& mv, const SeamCorners& c, double amplitude, double wavelength, double phase, bool reflect) {
  return Pr(mv).Ripple(ToCorners(c), amplitude, wavelength, phase, reflect);
}
bool Whirl(MvInstance& mv, const SeamCorners& c, double angle, double radius, double twist) {
  return Pr(mv).Whirl(ToCorners(c), angle, radius, twist);
}
bool Lens(MvInstance& mv, const SeamCorners& c, double magnification, bool paint_outside) {
  return Pr(mv).Lens(ToCorners(c), magnification, paint_outside);
}
bool Canvas(MvInstance& mv, const SeamCorners& c, int direction, int depth) {
  return Pr(mv).Canvas(ToCorners(c), direction, depth);
}

bool RemoveNoise(MvInstance& mv, const SeamCorners& c, int per_channel, int level) {
  return Pr(mv).RemoveNoise(ToCorners(c), per_channel, level);
}
bool Blur(MvInstance& mv, const SeamCorners& c, int level) { return Pr(mv).Blur(ToCorners(c), level); }
bool Sharpen(MvInstance& mv, const SeamCorners& c, int level) { return Pr(mv).Sharpen(ToCorners(c), level); }
bool SmoothEdges(MvInstance& mv, const SeamCorners& c) { return Pr(mv).SmoothEdges(ToCorners(c)); }
bool ToneCurve(MvInstance& mv, const SeamCorners& c, const std::vector<int>& x, const std::vector<int>& y,
               int count, bool c1, bool c2, bool c3) {
  return Pr(mv).ToneCurve(ToCorners(c), x, y, count, c1, c2, c3);
}
bool ToneCurveYCrCb(MvInstance& mv, const SeamCorners& c, const std::vector<int>& x, const std::vector<int>& y,
                    int count, bool c1, bool c2, bool c3) {
  return Pr(mv).ToneCurveYCrCb(ToCorners(c), x, y, count, c1, c2, c3);
}
bool InvertWhole(MvInstance& mv, bool red, bool green, bool blue) {
  return Pr(mv).InvertChannels(imaging::control::Corners{}, red, green, blue);
}

bool RotateImage(MvInstance& mv, int angle, bool flip_horizontal, bool flip_vertical, bool smooth, int red,
                 int green, int blue, bool cut) {
  return Pr(mv).RotateImage(angle, flip_horizontal, flip_vertical, smooth, red, green, blue, cut);
}

void MarkLine(MvInstance& mv, int x1, int y1, int x2, int y2) {
  auto& tb = mv.Object()->DrawToolbar();
  tb.SetDrawTarget(0);
  tb.DrawLine(x1, y1, x2, y2);
}
void MarkRect(MvInstance& mv, int x1, int y1, int x2, int y2) {
  auto& tb = mv.Object()->DrawToolbar();
  tb.SetDrawTarget(0);
  tb.DrawRect(x1, y1, x2, y2);
}

void OnPictureClick(MvInstance& mv, QObject* context, std::function<void(int, int, int)> handler) {
  QObject::connect(mv.Object(), &imaging::control::Morvik::ImageClick, context,
                   [h = std::move(handler)](int button, int x, int y) { h(button, x, y); });
}

}  // namespace dlg
}  // namespace ruvel

// File: editor/dialogs/dialog_imaging.h
//
// What the parameter dialogs need of an imaging control beyond the plain
// calls of the editing control's seam (MvInstance): the effect, filter and
// rotation operations, view marks and picture clicks with their point.
// Each call forwards to the instance the dialog holds or was handed.
//
//   auto preview = NewPreviewControl(this);
//   SeamCorners c = RegionCorners(0, 0, 0, 0);
//   if (!dlg::Emboss(*preview, c, 0, 3, 100)) preview->Redraw();
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "editor/picture_edit/imaging_seam/imaging_seam.h"

class QWidget;

namespace ruvel {

// NewPreviewControl(): a dialog's own imaging control, a child of `parent`.
std::unique_ptr<MvInstance> NewPreviewControl(QWidget* parent);

// RegionCorners(): the polygon (left, top), (right, top), (right, bottom),
// (left, bottom).
SeamCorners RegionCorners(int left, int right, int top, int bottom);

namespace dlg {

// Effects.
bool Emboss(MvInstance& mv, const SeamCorners& c, int mask, int edge, int background);
bool Mosaic(MvInstance& mv, const SeamCorners& c, int width, int height);
bool EdgeExtract(MvInstance& mv, const SeamCorners& c, int plane, int pattern, int brightness);
bool MotionBlur(MvInstance& mv, const SeamCorners& c, int kind, int length, int angle);
bool Wave(MvInstance& mv, const SeamCorners& c, int direction, double wavelength, double amplitude, double phase);
bool Ripple(MvInstance& mv, const SeamCorners& c, double amplitude, double wavelength, double phase, bool reflect);
bool Whirl(MvInstance& mv, const SeamCorners& c, double angle, double radius, double twist);
bool Lens(MvInstance& mv, const SeamCorners& c, double magnification, bool paint_outside);
bool Canvas(MvInstance& mv, const SeamCorners& c, int direction, int depth);

// Corrections.
bool RemoveNoise(MvInstance& mv, const SeamCorners& c, int per_channel, int level);
bool Blur(MvInstance& mv, const SeamCorners& c, int level);
bool Sharpen(MvInstance& mv, const SeamCorners& c, int level);
bool SmoothEdges(MvInstance& mv, const SeamCorners& c);
bool ToneCurve(MvInstance& mv, const SeamCorners& c, const std::vector<int>& x, const std::vector<int>& y,
               int count, bool c1, bool c2, bool c3);
bool ToneCurveYCrCb(MvInstance& mv, const SeamCorners& c, const std::vector<int>& x, const std::vector<int>& y,
                    int count, bool c1, bool c2, bool c3);
// InvertWhole(): inverts the chosen channels of the whole picture (no
// polygon; the region mode must be 1).
bool InvertWhole(MvInstance& mv, bool red, bool green, bool blue);

// RotateImage(): angle in 1/100 degree (positive turns left), flips,
// smooth, background colour, cut = keep the picture's size.
bool RotateImage(MvInstance& mv, int angle, bool flip_horizontal, bool flip_vertical, bool smooth, int red,
                 int green, int blue, bool cut);

// Marks drawn on the view only (Redraw() removes them), picture coordinates.
void MarkLine(MvInstance& mv, int x1, int y1, int x2, int y2);
void MarkRect(MvInstance& mv, int x1, int y1, int x2, int y2);

// OnPictureClick(): calls `handler(button, x, y)` for each click on the
// picture (button 1 left, 2 right; x, y the picture point) while
// `context` lives.
void OnPictureClick(MvInstance& mv, QObject* context, std::function<void(int, int, int)> handler);

}  // namespace dlg
}  // namespace ruvel

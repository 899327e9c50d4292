// File: editor/dialogs/dialog_imaging.h
//
// The little the parameter dialogs need of an imaging control beyond the
// editing control's seam (MvInstance): their own preview instance, region
// polygons, and marks drawn on the view only.
//
//   auto preview = NewPreviewControl(this);
//   preview->Emboss(RegionCorners(0, 0, 0, 0), 0, 3, 100);
//   dlg::MarkLine(*preview, 10, 10, 200, 80);  // Redraw() removes it
#pragma once

#include <memory>

#include "editor/picture_edit/imaging_seam/imaging_seam.h"

class QWidget;

namespace ruvel {

// NewPreviewControl(): a dialog's own imaging control, a child of `parent`.
std::unique_ptr<MvInstance> NewPreviewControl(QWidget* parent);

// RegionCorners(): the polygon (left, top), (right, top), (right, bottom),
// (left, bottom).
SeamCorners RegionCorners(int left, int right, int top, int bottom);

namespace dlg {

// Marks drawn on the view only (Redraw() removes them), picture coordinates.
void MarkLine(MvInstance& mv, int x1, int y1, int x2, int y2);
void MarkRect(MvInstance& mv, int x1, int y1, int x2, int y2);

}  // namespace dlg
}  // namespace ruvel

// The parameter dialogs' preview instances and view marks.
#include "editor/dialogs/dialog_imaging.h"

#include "imaging/control/draw_toolbar.h"
#include "imaging/control/morvik.h"

namespace ruvel {

std::unique_ptr<MvInstance> NewPreviewControl(QWidget* parent) { return std::make_unique<MvInstance>(parent); }

SeamCorners RegionCorners(int left, int right, int top, int bottom) {
  SeamCorners c;
  c.x = {left, right, right, left};
  c.y = {top, top, bottom, bottom};
  return c;
}

namespace dlg {

// The seam forwards no view marks; they are the drawing toolbar's marks on
// the view (draw target 0), which the picture never receives.
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

}  // namespace dlg
}  // namespace ruvel

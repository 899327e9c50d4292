#include "viewer_common/utils/frame3d.h"

#include <QPainter>
#include <algorithm>

namespace viewer {
namespace {

// A polyline from a point through corners, each segment without its end
// point, in one colour.  Segments are horizontal or vertical.
void Segment(QPainter* p, const QColor& c, int x0, int y0, int x1, int y1) {
  if (x0 == x1 && y0 == y1) return;
  if (y0 == y1) {
    // x0 included, x1 excluded.
    int a = x0 < x1 ? x0 : x1 + 1;
    int b = x0 < x1 ? x1 - 1 : x0;
    p->fillRect(QRect(QPoint(a, y0), QPoint(b, y0)), c);
  } else {
    int a = y0 < y1 ? y0 : y1 + 1;
    int b = y0 < y1 ? y1 - 1 : y0;
    p->fillRect(QRect(QPoint(x0, a), QPoint(x0, b)), c);
  }
}

QColor FromRef(unsigned rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

void DrawFrame3D(QPainter* p, int left, int top, int right, int bottom, bool sunken) {
  if (!p) return;
  const QColor white(255, 255, 255), black(0, 0, 0);
  const QColor dark = FromRef(kFrameDark), light = FromRef(kFrameLight);
  const QColor& outer_tl = sunken ? dark : white;
  const QColor& outer_br = sunken ? white : dark;
  const QColor& inner_tl = sunken ? black : light;
  const QColor& inner_br = sunken ? light : black;
  p->save();
  p->setRenderHint(QPainter::Antialiasing, false);
  // Outer: (left, bottom) -> (left, top) -> (right, top) -> (right, bottom) -> (left, bottom).
  Segment(p, outer_tl, left, bottom, left, top);
  Segment(p, outer_tl, left, top, right, top);
  Segment(p, outer_br, right, top, right, bottom);
  Segment(p, outer_br, right, bottom, left, bottom);
  // Inner, one pixel in.
  const int l = left + 1, t = top + 1, r = right - 1, b = bottom - 1;
  Segment(p, inner_tl, l, b, l, t);
  Segment(p, inner_tl, l, t, r, t);
  Segment(p, inner_br, r, t, r, b);
  Segment(p, inner_br, r, b, l, b);
  p->restore();
}

}  // namespace viewer

// File: viewer_common/utils/frame3d.h
//
// The 3-D frame of the viewer controls: two pixels wide on the edge lines
// of a rectangle, raised (white outer top-left, black inner bottom-right)
// or sunken.  Lines end before their end point, as line drawing on the
// original platform does, so the right and bottom outer lines sit on
// `right` and `bottom` themselves.
//
//   QPainter p(this);
//   viewer::DrawFrame3D(&p, 0, 0, width() - 1, height() - 1, /*sunken=*/true);
#pragma once

class QPainter;

namespace viewer {

inline constexpr unsigned kFrameDark = 0x7F7F7F;
inline constexpr unsigned kFrameLight = 0xDFDFDF;

// DrawFrame3D(): the painter's pen and brush are left as they were.
void DrawFrame3D(QPainter* painter, int left, int top, int right, int bottom, bool sunken);

}  // namespace viewer

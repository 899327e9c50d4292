// File: viewer_common/utils/fit_size.h
//
// Fitting a picture into an area, as both viewer controls draw: the scale
// is the larger of the two side ratios, pictures are never enlarged unless
// asked, sizes round half up and the picture is centred.
//
//   viewer::Fit f = viewer::FitInside(1000, 500, 76, 56);  // 76 x 38 at (0, 9)
//   viewer::Size t = viewer::ThumbnailSize(640, 480, 96);   // 96 x 72
#pragma once

namespace viewer {

struct Size {
  int width = 0;
  int height = 0;
};

struct Fit {
  int width = 0;   // drawn size
  int height = 0;
  int x = 0;       // offset of the drawn picture inside the area
  int y = 0;
};

// FitInside(): a picture of image_w x image_h fitted into area_w x area_h.
// Without `enlarge`, a side that already fits counts as scale 1, so a small
// picture keeps its size.  Non-positive sizes give an empty fit at (0, 0).
Fit FitInside(int image_w, int image_h, int area_w, int area_h, bool enlarge = false);

// ThumbnailSize(): the longer side becomes `longer_side`, the other
// (longer_side x shorter / longer + 0.5) truncated, at least 1.  Empty for
// non-positive input.
Size ThumbnailSize(int image_w, int image_h, int longer_side);

}  // namespace viewer

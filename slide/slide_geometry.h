// File: slide/slide_geometry.h
//
// The small rules of the slideshow: fitting a picture into a box, the
// inner rectangle inside the border, and bringing an index back into the
// list.  Pure functions, no state.
//
//   slide::Fitted f = slide::FitSize(4000, 3000, 1920, 1080);  // 1440 x 1080
//   int i = slide::RangeRule(-1, 5, /*endless=*/true);          // 4
#pragma once

#include <cstdint>

namespace slide {

struct Fitted {
  int width = 0;
  int height = 0;
};

// FitSize(): shrinks w x h into box_w x box_h keeping the aspect, in single
// precision as the control always did; never enlarges.  A box side below 1
// counts as 1.
Fitted FitSize(int w, int h, int box_w, int box_h);

// Inclusive rectangle, as the control's inner area is kept.
struct InnerRect {
  int left = 0, top = 0, right = -1, bottom = -1;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

// ComputeInnerRect(): the client area (origin 0, 0) less the border: 1
// pixel with a flat border, 2 with a 3-D frame, none without a border.
InnerRect ComputeInnerRect(int client_w, int client_h, bool border_visible, int appearance);

// RangeRule(): below 0 becomes the last entry (endless) or 0; at or past
// `count` becomes 0 (endless) or the last entry.  With count 0 the result
// is -1: there is no entry to read.
int32_t RangeRule(int64_t index, int32_t count, bool endless);

}  // namespace slide

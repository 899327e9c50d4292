#include "slide/slide_geometry.h"

#include <algorithm>

namespace slide {

Fitted FitSize(int w, int h, int box_w, int box_h) {
  box_w = std::max(box_w, 1);
  box_h = std::max(box_h, 1);
  if (w <= 0 || h <= 0) return {};
  const float sx = w > box_w ? static_cast<float>(w) / static_cast<float>(box_w) : 1.0f;
  const float sy = h > box_h ? static_cast<float>(h) / static_cast<float>(box_h) : 1.0f;
  const float s = std::max(sx, sy);
  Fitted f;
  f.width = std::max(1, static_cast<int>(static_cast<float>(w) / s + 0.5f));
  f.height = std::max(1, static_cast<int>(static_cast<float>(h) / s + 0.5f));
  return f;
}

InnerRect ComputeInnerRect(int client_w, int client_h, bool border_visible, int appearance) {
  InnerRect r{0, 0, client_w - 1, client_h - 1};
  if (border_visible) {
    const int d = appearance == 0 ? 1 : 2;
    r.left += d;
    r.top += d;
    r.right -= d;
    r.bottom -= d;
  }
  return r;
}

int32_t RangeRule(int64_t index, int32_t count, bool endless) {
  if (count <= 0) return -1;
  if (index < 0) index = endless ? count - 1 : 0;
  if (index >= count) index = endless ? 0 : count - 1;
  return static_cast<int32_t>(index);
}

}  // namespace slide

#include "viewer_common/utils/fit_size.h"

#include <algorithm>

namespace viewer {

Fit FitInside(int image_w, int image_h, int area_w, int area_h, bool enlarge) {
  if (image_w <= 0 || image_h <= 0 || area_w <= 0 || area_h <= 0) return {};
  const double sx = static_cast<double>(image_w) / area_w;
  const double sy = static_cast<double>(image_h) / area_h;
  double s = enlarge ? std::max(sx, sy) : std::max(image_w > area_w ? sx : 1.0, image_h > area_h ? sy : 1.0);
  if (s <= 0) s = 1;
  Fit f;
  f.width = std::max(1, static_cast<int>(image_w / s + 0.5));
  f.height = std::max(1, static_cast<int>(image_h / s + 0.5));
  f.x = static_cast<int>((area_w - f.width) * 0.5 + 0.5);
  f.y = static_cast<int>((area_h - f.height) * 0.5 + 0.5);
  return f;
}

Size ThumbnailSize(int image_w, int image_h, int longer_side) {
  if (image_w <= 0 || image_h <= 0 || longer_side <= 0) return {};
  const bool wide = image_w >= image_h;
  const double longer = wide ? image_w : image_h;
  const double shorter = wide ? image_h : image_w;
  const int other = std::max(1, static_cast<int>(longer_side * shorter / longer + 0.5));
  return wide ? Size{longer_side, other} : Size{other, longer_side};
}

}  // namespace viewer

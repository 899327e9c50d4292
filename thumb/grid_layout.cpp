#include "thumb/grid_layout.h"

#include "thumb/thumb_ids.h"

namespace thumb {

int16_t ComputeLayout(const GridParams& p, GridLayout* out) {
  out->cells.clear();
  out->w = out->h = out->mx = out->my = 0;
  if (p.cols <= 0 || p.rows <= 0) return kStatusBadValue;
  const bool film = p.style == mvFilm;
  const int w = film ? (p.client_width - 2 * p.edge) / p.cols
                     : (p.client_width - 2 * p.edge - p.gap * (p.cols - 1)) / p.cols;
  const int h = (p.client_height - 2 * p.edge - p.gap * (p.rows - 1)) / p.rows;
  out->w = w;
  out->h = h;
  out->mx = w / 10;
  out->my = h / 10;
  const int pull = p.button3d && p.style == mvButton ? 2 : 0;
  out->cells.reserve(static_cast<size_t>(p.cols) * p.rows);
  for (int r = 0; r < p.rows; ++r) {
    for (int c = 0; c < p.cols; ++c) {
      Cell cell;
      const int left = film ? p.edge + c * (w + 1) : p.edge + c * (p.gap + w);
      const int top = p.edge + r * (p.gap + h);
      cell.origin = {left, top, left + w, top + h};
      cell.rect = {left + pull, top + pull, left + w - pull, top + h - pull};
      out->cells.push_back(cell);
    }
  }
  return kStatusOk;
}

Rect PictureArea(const GridLayout& g, const Cell& cell, const GridParams& p) {
  Rect a = cell.rect;
  a.left += g.mx;
  a.right -= g.mx;
  a.top += g.my;
  int bottom = g.my;
  if (p.disp_file_name) bottom = p.style == mvFilm ? 3 * g.my : 2 * g.my;
  a.bottom -= bottom;
  return a;
}

Rect CaptionRect(const GridLayout& g, const Cell& cell, const GridParams& p) {
  Rect r;
  r.left = cell.rect.left + g.mx / 2;
  r.right = cell.rect.right - g.mx / 2;
  if (p.style == mvFilm) {
    r.top = cell.rect.bottom - static_cast<int>(g.my * 2.7);
    r.bottom = cell.rect.bottom - g.my;
  } else {
    r.top = cell.rect.bottom - static_cast<int>(g.my * 1.8);
    r.bottom = cell.rect.bottom;
  }
  return r;
}

std::array<Rect, 10> FilmHoles(const Rect& face) {
  const int w = face.width();
  const int h = face.height();
  const int hole_w = static_cast<int>(w / 10.0 + 0.5);
  const int hole_h = static_cast<int>(h / 25.0 + 0.5);
  const int margin = static_cast<int>(h / 40.0 + 0.5);
  std::array<Rect, 10> holes;
  for (int k = 0; k < 5; ++k) {
    const int x = face.left + static_cast<int>(k * w / 5.0 + w / 20.0 + 0.5);
    holes[k] = {x, face.top + margin, x + hole_w, face.top + margin + hole_h};
    const int y = face.bottom - margin - hole_h;
    holes[5 + k] = {x, y, x + hole_w, y + hole_h};
  }
  return holes;
}

}  // namespace thumb

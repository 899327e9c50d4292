// File: thumb/grid_layout.h
//
// The thumbnail grid's geometry, apart from any painting: cell size and
// margins from the client size, the cell table, a cell's picture and
// caption areas, film sprocket holes, and the line arithmetic of scrolling.
// Rectangles are in client pixels with exclusive right and bottom edges.
//
//   thumb::GridParams p{200, 200, 2, 2, 5, 5, thumb::mvButton, true, false};
//   thumb::GridLayout g;
//   if (thumb::ComputeLayout(p, &g) != 0) ... status 5 ...
//   thumb::Rect area = thumb::PictureArea(g, g.cells[0], p);
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace thumb {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const Rect&) const = default;
};

struct GridParams {
  int client_width = 0;
  int client_height = 0;
  int cols = 2;
  int rows = 2;
  int gap = 5;
  int edge = 5;
  int style = 0;          // mvButton, mvFilm, mvCustom
  bool button3d = true;   // only counts in button style
  bool disp_file_name = false;
};

struct Cell {
  Rect rect;        // the face (pulled in by 2 with 3-D buttons)
  Rect origin;      // the whole W x H cell, where its buffer is copied to
  int32_t selected = 0;
};

struct GridLayout {
  int w = 0, h = 0;    // cell size
  int mx = 0, my = 0;  // margins: W / 10, H / 10
  std::vector<Cell> cells;  // row-major: column + row x cols
};

// ComputeLayout(): 0, or 5 when cols or rows is not positive (the table is
// then empty).
int16_t ComputeLayout(const GridParams& p, GridLayout* out);

// PictureArea(): the cell's face less mx left and right, my at the top, and
// my (2 my with captions, 3 my for film with captions) at the bottom.
Rect PictureArea(const GridLayout& g, const Cell& cell, const GridParams& p);
// CaptionRect(): where a cell's caption is centred.
Rect CaptionRect(const GridLayout& g, const Cell& cell, const GridParams& p);
// FilmHoles(): the ten sprocket holes of a film face.
std::array<Rect, 10> FilmHoles(const Rect& face);

// Entry shown in cell (c, r) for the first entry `start`.
inline int EntryAt(int start, int c, int r, int cols, int rows, bool horizontal) {
  return horizontal ? start + r + c * rows : start + c + r * cols;
}
// Lines of n entries with `line_length` per line (rounded up).
inline int LineCount(int n, int line_length) {
  return line_length > 0 && n > 0 ? (n + line_length - 1) / line_length : 0;
}

}  // namespace thumb

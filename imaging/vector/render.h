// File: imaging/vector/render.h
//
// Painting a vector drawing: into an engine picture at a requested pixel
// size (anti-aliased, on white or a given background), or into any
// QPainter (views and previews).  The page of the drawing is stretched onto
// the whole target.  Text needs a GUI application; RenderDrawing() makes an
// off-screen one for the time of the call when the process has none.
//
//   imaging::vector::RenderOptions opt;
//   opt.width = 800; opt.height = 600;
//   imaging::Image img;
//   if (auto r = imaging::vector::RenderDrawing(drawing, opt, &img); !r.ok()) ...
#pragma once

#include "imaging/image.h"
#include "imaging/status.h"
#include "imaging/vector/drawing.h"

class QPainter;
class QRectF;

namespace imaging::vector {

struct RenderOptions {
  int width = 0;   // 1..kMaxDimension
  int height = 0;
  Color background{255, 255, 255, 255};
  int bpp = 24;    // 24 or 32 (32-bit pictures carry alpha 0: opaque)
  bool antialias = true;
};

// RenderDrawing(): kBadValue for a bad size or depth, kMemory when the
// picture would pass the engine's limits or cannot be allocated.  `*out` is
// untouched on failure.
Result RenderDrawing(const Drawing& drawing, const RenderOptions& options, Image* out);

// PaintDrawing(): paints the drawing's page onto `target` of the painter
// (no background).  The caller provides the GUI application.
void PaintDrawing(const Drawing& drawing, QPainter* painter, const QRectF& target);

// FitSize(): a natural size fitted inside max_w x max_h (0 = unbounded),
// aspect kept, never enlarged; each side at least 1.
void FitSize(int width, int height, int max_w, int max_h, int* out_w, int* out_h);

}  // namespace imaging::vector

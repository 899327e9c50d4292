// File: imaging/control/internal/view_cache.h
//
// The scaled copies the view paints from.  Painting a large picture
// straight from its own rows at another scale on every repaint is slow, so
// the view keeps one copy at the displayed size (area-averaged when
// shrinking) and a full-size RGB32 copy for 100 % and enlargements, which
// are painted nearest-neighbour from the exposed part only.
//
//   ViewCache cache;
//   cache.SetSource(&picture);
//   const QImage& shown = cache.Scaled(QSize(800, 600));
#pragma once

#include <QImage>
#include <QSize>

#include "imaging/image.h"

namespace imaging::control {

class ViewCache {
 public:
  // SetSource() drops every copy; `source` must outlive the cache's use of
  // it (the control owns both).  nullptr empties the cache.
  void SetSource(const Image* source);
  void Invalidate();

  // Full() is the picture at 100 % as RGB32 (made on first use).
  const QImage& Full();
  // Scaled() is the picture area-averaged to `size` (each side at most the
  // picture's); made when the size changes.
  const QImage& Scaled(QSize size);
  // Overview() is a small copy fitting inside `bound`, aspect kept.
  QImage Overview(QSize bound);

 private:
  const Image& Bgr();

  const Image* source_ = nullptr;
  Image bgr_;            // 24-bit copy when the source is not 24 bpp
  bool bgr_ready_ = false;
  QImage full_;
  QImage scaled_;
  QImage overview_;
};

}  // namespace imaging::control

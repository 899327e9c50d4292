// File: editor/picture_edit/imaging_seam/vector_picture.h
//
// A vector picture (WMF, EMF, DXF, SVG, SXF) as the editor sees it: loaded
// from a file or from bytes (the clipboard), with its natural size, painted
// stretched into any rectangle, or rendered into a raster picture.  Nothing
// above this folder includes the engine's vector headers.
//
//   int16_t code = 0;
//   auto pic = ruvel::VectorPicture::FromFile("/p/a.wmf", &code);
//   if (!pic) ShowImagingError(code, this);
//   QImage raster = pic->Render(QSize(640, 480));
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>

class QPainter;

namespace ruvel {

class VectorPicture {
 public:
  // FromFile(), FromData(): the picture, or null with the imaging control's
  // status code in *code (16 missing file, 6 not a vector picture, 17
  // damaged, 3 too large).
  static std::unique_ptr<VectorPicture> FromFile(const QString& path, int16_t* code);
  static std::unique_ptr<VectorPicture> FromData(const QByteArray& data, int16_t* code);
  ~VectorPicture();
  VectorPicture(const VectorPicture&) = delete;
  VectorPicture& operator=(const VectorPicture&) = delete;

  // Natural size in pixels (96 per inch).
  QSize NaturalSize() const;
  // Paint(): the page stretched onto `target` (no background).
  void Paint(QPainter* painter, const QRectF& target) const;
  // Render(): a 24-bit picture of `size` on `background`; a null picture
  // when the size is empty or too large.
  QImage Render(const QSize& size, const QColor& background = Qt::white) const;

 private:
  struct Data;
  explicit VectorPicture(std::unique_ptr<Data> data);
  std::unique_ptr<Data> d_;
};

}  // namespace ruvel

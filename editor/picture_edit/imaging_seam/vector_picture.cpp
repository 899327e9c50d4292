// The editor's handle on the engine's vector pictures.
#include "editor/picture_edit/imaging_seam/vector_picture.h"

#include <QPainter>

#include "imaging/image.h"
#include "imaging/vector/render.h"
#include "imaging/vector/vector_file.h"

namespace ruvel {

struct VectorPicture::Data {
  imaging::vector::Drawing drawing;
};

VectorPicture::VectorPicture(std::unique_ptr<Data> data) : d_(std::move(data)) {}
VectorPicture::~VectorPicture() = default;

std::unique_ptr<VectorPicture> VectorPicture::FromFile(const QString& path, int16_t* code) {
  auto data = std::make_unique<Data>();
  const imaging::Result r = imaging::vector::LoadDrawingFile(path.toStdString(), &data->drawing);
  if (code != nullptr) *code = r.number();
  if (!r.ok()) return nullptr;
  return std::unique_ptr<VectorPicture>(new VectorPicture(std::move(data)));
}

std::unique_ptr<VectorPicture> VectorPicture::FromData(const QByteArray& bytes, int16_t* code) {
  auto data = std::make_unique<Data>();
  const imaging::Result r = imaging::vector::LoadDrawing(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                                         static_cast<size_t>(bytes.size()), &data->drawing);
  if (code != nullptr) *code = r.number();
  if (!r.ok()) return nullptr;
  return std::unique_ptr<VectorPicture>(new VectorPicture(std::move(data)));
}

QSize VectorPicture::NaturalSize() const {
  return QSize(d_->drawing.natural_width(), d_->drawing.natural_height());
}

void VectorPicture::Paint(QPainter* painter, const QRectF& target) const {
  imaging::vector::PaintDrawing(d_->drawing, painter, target);
}

QImage VectorPicture::Render(const QSize& size, const QColor& background) const {
  if (size.isEmpty() || size.width() > imaging::kMaxDimension || size.height() > imaging::kMaxDimension) return {};
  if (static_cast<uint64_t>(size.width()) * static_cast<uint64_t>(size.height()) * 4 > (1ull << 31) - 1) return {};
  QImage out(size, QImage::Format_RGB32);
  if (out.isNull()) return {};
  out.fill(background);
  {
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    Paint(&p, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  return out.convertToFormat(QImage::Format_RGB888);
}

}  // namespace ruvel

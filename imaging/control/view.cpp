// Showing the picture: view modes, zoom, scroll bars and painting from the
// scaled copies of ViewCache.
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "imaging/control/draw_toolbar.h"
#include "imaging/control/internal/view_cache.h"
#include "imaging/control/morvik.h"

namespace imaging::control {
namespace {

const QColor kBackground(128, 128, 128);

int RoundSide(double v) { return std::max(1, static_cast<int>(std::lround(v))); }

}  // namespace

bool Morvik::DrawImage(int mode) {
  if (mode < kViewScale || mode > kViewFitHeight) return SetErrorCode(Status::kBadValue);
  if (image_.empty()) return SetErrorCode(Status::kNoDisplayImage);
  view_mode_ = mode;
  marks_.clear();
  if (view_reset_) {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
  }
  Relayout();
  if (view_reset_) {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    view_reset_ = false;
  }
  viewport()->update();
  emit ViewChanged();
  return SetErrorCode(Status::kOk);
}

void Morvik::Redraw() {
  marks_.clear();
  Relayout();
  viewport()->update();
  emit ViewChanged();
}

void Morvik::SetZoomX(double zoom) { zoom_x_ = zoom <= 0 ? 1.0 : std::clamp(zoom, 0.01, 64.0); }
void Morvik::SetZoomY(double zoom) { zoom_y_ = zoom <= 0 ? 1.0 : std::clamp(zoom, 0.01, 64.0); }

QSize Morvik::DisplaySizeFor(QSize available) const {
  const double w = image_.width(), h = image_.height();
  const double aw = std::max(1, available.width()), ah = std::max(1, available.height());
  switch (view_mode_) {
    case kViewScale: {
      const double s = std::min(aw / w, ah / h);
      return QSize(RoundSide(w * s), RoundSide(h * s));
    }
    case kViewStretch: return QSize(static_cast<int>(aw), static_cast<int>(ah));
    case kViewActual: return QSize(RoundSide(w * zoom_x_), RoundSide(h * zoom_y_));
    case kViewFitWidth: return QSize(static_cast<int>(aw), RoundSide(h * aw / w));
    case kViewFitHeight: return QSize(RoundSide(w * ah / h), static_cast<int>(ah));
    default: return {};
  }
}

void Morvik::Relayout() {
  QScrollBar* hs = horizontalScrollBar();
  QScrollBar* vs = verticalScrollBar();
  if (image_.empty() || view_mode_ == 0) {
    displayed_ = QSize();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    hs->setRange(0, 0);
    vs->setRange(0, 0);
    return;
  }
  // Keep the picture point at the view's centre where it was.
  const QSize old_display = displayed_;
  QPointF centre_fraction(0.5, 0.5);
  if (!old_display.isEmpty()) {
    const QSize vp = viewport()->size();
    centre_fraction = QPointF((hs->value() + vp.width() / 2.0) / old_display.width(),
                              (vs->value() + vp.height() / 2.0) / old_display.height());
  }

  QSize avail = contentsRect().size();
  const int sbw = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  QSize d = DisplaySizeFor(avail);
  bool need_v = d.height() > avail.height();
  bool need_h = d.width() > avail.width();
  if (need_v) {
    avail.rwidth() -= sbw;
    d = DisplaySizeFor(avail);
    need_h = d.width() > avail.width();
  }
  if (need_h) {
    avail.rheight() -= sbw;
    d = DisplaySizeFor(avail);
    if (!need_v && d.height() > avail.height()) {
      need_v = true;
      avail.rwidth() -= sbw;
      d = DisplaySizeFor(avail);
    }
  }
  displayed_ = d;
  setHorizontalScrollBarPolicy(need_h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(need_v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  hs->setRange(0, std::max(0, d.width() - avail.width()));
  vs->setRange(0, std::max(0, d.height() - avail.height()));
  hs->setPageStep(std::max(1, avail.width()));
  vs->setPageStep(std::max(1, avail.height()));
  hs->setSingleStep(std::max(1, avail.width() / 20));
  vs->setSingleStep(std::max(1, avail.height() / 20));
  if (old_display != d && !old_display.isEmpty()) {
    hs->setValue(static_cast<int>(std::lround(centre_fraction.x() * d.width() - avail.width() / 2.0)));
    vs->setValue(static_cast<int>(std::lround(centre_fraction.y() * d.height() - avail.height() / 2.0)));
  }
}

QPoint Morvik::DisplayOrigin() const {
  const QSize vp = viewport()->size();
  const int x = displayed_.width() < vp.width() ? (vp.width() - displayed_.width()) / 2 : -horizontalScrollBar()->value();
  const int y = displayed_.height() < vp.height() ? (vp.height() - displayed_.height()) / 2 : -verticalScrollBar()->value();
  return QPoint(x, y);
}

QPointF Morvik::ViewToPicture(QPointF p) const {
  if (displayed_.isEmpty()) return {};
  const QPoint o = DisplayOrigin();
  return QPointF((p.x() - o.x()) * image_.width() / displayed_.width(),
                 (p.y() - o.y()) * image_.height() / displayed_.height());
}

QPointF Morvik::PictureToView(QPointF p) const {
  if (image_.empty()) return {};
  const QPoint o = DisplayOrigin();
  return QPointF(o.x() + p.x() * displayed_.width() / image_.width(),
                 o.y() + p.y() * displayed_.height() / image_.height());
}

QPoint Morvik::ScrollPosition() const { return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()); }

void Morvik::ScrollTo(QPoint position) {
  horizontalScrollBar()->setValue(position.x());
  verticalScrollBar()->setValue(position.y());
}

void Morvik::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Relayout();
  emit ViewChanged();
}

void Morvik::scrollContentsBy(int, int) {
  viewport()->update();
  emit ViewChanged();
}

void Morvik::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const QRect exposed = event->rect();
  if (displayed_.isEmpty()) {
    painter.fillRect(exposed, kBackground);
    return;
  }
  const QRect picture_rect(DisplayOrigin(), displayed_);
  // Background only around the picture.
  const QRegion around = QRegion(exposed).subtracted(QRegion(picture_rect));
  for (const QRect& r : around) painter.fillRect(r, kBackground);
  PaintPicture(painter, exposed & picture_rect);
  PaintOverlays(painter);
}

void Morvik::PaintPicture(QPainter& painter, const QRect& area) {
  if (area.isEmpty()) return;
  const QPoint o = DisplayOrigin();
  const QRect src_area = area.translated(-o);  // in displayed-picture coordinates
  const QSize full(image_.width(), image_.height());
  if (displayed_.width() <= full.width() && displayed_.height() <= full.height()) {
    const QImage& shown = cache_->Scaled(displayed_);
    painter.drawImage(area.topLeft(), shown, src_area);
    return;
  }
  // Enlarged (or stretched past 100 % on one side): nearest neighbour from
  // the full copy, only for the exposed part.
  const QImage& src = cache_->Full();
  const double sx = static_cast<double>(full.width()) / displayed_.width();
  const double sy = static_cast<double>(full.height()) / displayed_.height();
  const int x0 = static_cast<int>(std::floor(src_area.left() * sx));
  const int y0 = static_cast<int>(std::floor(src_area.top() * sy));
  const int x1 = std::min(full.width(), static_cast<int>(std::ceil((src_area.right() + 1) * sx)));
  const int y1 = std::min(full.height(), static_cast<int>(std::ceil((src_area.bottom() + 1) * sy)));
  const QRectF target(o.x() + x0 / sx, o.y() + y0 / sy, (x1 - x0) / sx, (y1 - y0) / sy);
  painter.save();
  painter.setClipRect(area);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target, src, QRectF(x0, y0, x1 - x0, y1 - y0));
  painter.restore();
}

void Morvik::PaintOverlays(QPainter& painter) {
  const QRect sel = SelectionViewRect();
  if (!sel.isNull()) {
    painter.save();
    QPen white(Qt::white, 1);
    painter.setPen(white);
    painter.drawRect(sel);
    QPen dash(Qt::black, 1, Qt::DashLine);
    painter.setPen(dash);
    painter.drawRect(sel);
    painter.restore();
  }
  if (!marks_.empty()) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const ViewMark& m : marks_) {
      QPolygonF v;
      for (const QPointF& p : m.points) v << PictureToView(p);
      painter.setPen(QPen(m.colour, m.width));
      painter.setBrush(Qt::NoBrush);
      if (m.closed) painter.drawPolygon(v);
      else painter.drawPolyline(v);
    }
    painter.restore();
  }
  draw_toolbar_->PaintPreview(painter);
}

void Morvik::AddViewMark(const QPolygonF& polyline, bool closed, QColor colour, int width) {
  marks_.push_back(ViewMark{polyline, closed, colour, std::max(1, width)});
  viewport()->update();
}

QImage Morvik::OverviewImage(QSize bound) const { return cache_->Overview(bound); }

}  // namespace imaging::control

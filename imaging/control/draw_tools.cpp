// The drawing tools at work: mouse strokes, their preview on the view and
// painting the finished shape into the picture.
#include <QInputDialog>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/control/draw_toolbar.h"
#include "imaging/control/internal/picture_convert.h"
#include "imaging/control/morvik.h"

namespace imaging::control {
namespace {

QPointF ClampTo(const Image& img, QPointF p) {
  return QPointF(std::clamp(p.x(), 0.0, double(img.width())), std::clamp(p.y(), 0.0, double(img.height())));
}

}  // namespace

QPen DrawToolbar::MakePen() const {
  QPen pen(colour_, pen_width_, line_style_ == 1 ? Qt::DashLine : line_style_ == 2 ? Qt::DotLine : Qt::SolidLine,
           Qt::RoundCap, Qt::RoundJoin);
  return pen;
}

void DrawToolbar::PressAt(QPointF p) {
  const Image& img = owner_->image();
  if (img.empty()) return;
  p = ClampTo(img, p);
  pressing_ = true;
  stroke_ = {p};
  switch (tool_) {
    case kToolFill:
      pressing_ = false;
      if (FloodFill(QPoint(static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))))) {
        points_ = {p};
        drawn_ = true;
      }
      stroke_.clear();
      break;
    case kToolText: {
      pressing_ = false;
      QString text = text_;
      if (text.isEmpty()) text = QInputDialog::getText(this, windowTitle(), "文字");
      if (!text.isEmpty() && PaintOnPicture({p}, kToolText, text)) {
        points_ = {p};
        drawn_ = true;
      }
      stroke_.clear();
      break;
    }
    case kToolStamp:
      pressing_ = false;
      if (stamp_.isNull()) {
        owner_->SetErrorCode(Status::kSequence);
      } else if (PaintOnPicture({p}, kToolStamp)) {
        points_ = {p};
        drawn_ = true;
      }
      stroke_.clear();
      break;
    default: break;
  }
  owner_->viewport()->update();
}

void DrawToolbar::MoveTo(QPointF p) {
  if (!pressing_ || stroke_.empty()) return;
  p = ClampTo(owner_->image(), p);
  if (tool_ == kToolFreehand) stroke_.push_back(p);
  else stroke_ = {stroke_.front(), p};
  owner_->viewport()->update();
}

void DrawToolbar::ReleaseAt(QPointF p) {
  if (!pressing_ || stroke_.empty()) return;
  pressing_ = false;
  MoveTo(p);
  pressing_ = false;
  std::vector<QPointF> s = std::move(stroke_);
  stroke_.clear();
  if (s.size() == 1) s.push_back(s.front());
  if (tool_ == kToolRange) {
    const QRectF r = QRectF(s.front(), s.back()).normalized();
    if (r.width() >= 1 && r.height() >= 1) points_ = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
    else points_.clear();
  } else if (PaintOnPicture(s, tool_)) {
    points_ = tool_ == kToolFreehand ? s : std::vector<QPointF>{s.front(), s.back()};
    drawn_ = true;
  }
  owner_->viewport()->update();
}

void DrawToolbar::PaintPreview(QPainter& painter) const {
  if (!isVisible()) return;
  auto view = [&](QPointF p) { return owner_->PictureToView(p); };
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  if (tool_ == kToolRange && !pressing_ && points_.size() == 4) {
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(QRectF(view(points_[0]), view(points_[2])));
  }
  if (!stroke_.empty()) {
    const double scale = owner_->DisplayedSize().width() / std::max(1.0, double(owner_->image().width()));
    QPen pen = MakePen();
    pen.setWidthF(std::max(1.0, pen_width_ * scale));
    if (tool_ == kToolRange) pen = QPen(Qt::black, 1, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(fill_enabled_ && tool_ != kToolRange ? QBrush(fill_) : Qt::NoBrush);
    const QRectF box(view(stroke_.front()), view(stroke_.back()));
    switch (tool_) {
      case kToolFreehand: {
        QPolygonF poly;
        for (const QPointF& p : stroke_) poly << view(p);
        painter.drawPolyline(poly);
        break;
      }
      case kToolLine: painter.drawLine(box.topLeft(), box.bottomRight()); break;
      case kToolRange:
      case kToolRect: painter.drawRect(box.normalized()); break;
      case kToolEllipse: painter.drawEllipse(box.normalized()); break;
      default: break;
    }
  }
  painter.restore();
}

bool DrawToolbar::PaintOnPicture(const std::vector<QPointF>& pts, int tool, const QString& text) {
  const Image& held = owner_->image();
  if (held.empty() || pts.empty()) return owner_->SetErrorCode(Status::kNoDisplayImage);
  // Drawing happens in 24 bits; pictures of other depths are converted.
  Image work;
  if (held.bpp() == 24) work = held;
  else if (Result r = ToBgr24(held, &work); !r.ok()) return owner_->SetError(r);
  {
    QImage canvas(work.data(), work.width(), work.height(), static_cast<qsizetype>(work.stride()),
                  QImage::Format_BGR888);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(MakePen());
    p.setBrush(fill_enabled_ ? QBrush(fill_) : Qt::NoBrush);
    const QRectF box = QRectF(pts.front(), pts.back()).normalized();
    switch (tool) {
      case kToolFreehand: {
        QPolygonF poly;
        for (const QPointF& q : pts) poly << q;
        p.drawPolyline(poly);
        break;
      }
      case kToolLine: p.drawLine(pts.front(), pts.back()); break;
      case kToolRect: p.drawRect(box); break;
      case kToolEllipse: p.drawEllipse(box); break;
      case kToolText: {
        QFont f = p.font();
        f.setPixelSize(std::max(6, text_points_ * 2));
        p.setFont(f);
        p.drawText(pts.front(), text);
        break;
      }
      case kToolStamp: {
        const QSize s = stamp_.size() * stamp_percent_ / 100;
        const QRectF target(pts.front().x() - s.width() / 2.0, pts.front().y() - s.height() / 2.0, s.width(),
                            s.height());
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(target, stamp_);
        break;
      }
      default: return owner_->SetErrorCode(Status::kBadValue);
    }
  }
  return owner_->ReplaceImage(std::move(work));
}

bool DrawToolbar::FloodFill(QPoint seed) {
  const Image& held = owner_->image();
  if (held.empty()) return owner_->SetErrorCode(Status::kNoDisplayImage);
  const int w = held.width(), h = held.height();
  if (seed.x() < 0 || seed.y() < 0 || seed.x() >= w || seed.y() >= h) return owner_->SetErrorCode(Status::kBadValue);
  Image work;
  if (held.bpp() == 24) work = held;
  else if (Result r = ToBgr24(held, &work); !r.ok()) return owner_->SetError(r);
  auto px = [&](int x, int y) { return work.row(y) + 3 * x; };
  const uint8_t* s = px(seed.x(), seed.y());
  const uint8_t target[3] = {s[0], s[1], s[2]};
  const uint8_t fill[3] = {static_cast<uint8_t>(colour_.blue()), static_cast<uint8_t>(colour_.green()),
                           static_cast<uint8_t>(colour_.red())};
  if (std::memcmp(target, fill, 3) == 0) return owner_->SetErrorCode(Status::kOk);
  auto same = [&](int x, int y) { return std::memcmp(px(x, y), target, 3) == 0; };
  // Scan-line fill with an explicit stack of seeds.
  std::vector<QPoint> stack{seed};
  while (!stack.empty()) {
    QPoint q = stack.back();
    stack.pop_back();
    int x = q.x();
    const int y = q.y();
    if (!same(x, y)) continue;
    while (x > 0 && same(x - 1, y)) --x;
    bool up = false, down = false;
    for (; x < w && same(x, y); ++x) {
      std::memcpy(px(x, y), fill, 3);
      if (y > 0) {
        const bool m = same(x, y - 1);
        if (m && !up) stack.emplace_back(x, y - 1);
        up = m;
      }
      if (y + 1 < h) {
        const bool m = same(x, y + 1);
        if (m && !down) stack.emplace_back(x, y + 1);
        down = m;
      }
    }
  }
  return owner_->ReplaceImage(std::move(work));
}

bool DrawToolbar::DrawLine(int x1, int y1, int x2, int y2) {
  if (owner_->image().empty()) return owner_->SetErrorCode(Status::kNoDisplayImage);
  if (draw_target_ == 0) {
    owner_->AddViewMark(QPolygonF({QPointF(x1, y1), QPointF(x2, y2)}), false, colour_, 1);
    return owner_->SetErrorCode(Status::kOk);
  }
  return PaintOnPicture({QPointF(x1, y1), QPointF(x2, y2)}, kToolLine);
}

bool DrawToolbar::DrawRect(int x1, int y1, int x2, int y2) {
  if (owner_->image().empty()) return owner_->SetErrorCode(Status::kNoDisplayImage);
  if (draw_target_ == 0) {
    const QRectF r = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized();
    owner_->AddViewMark(QPolygonF(r), true, colour_, 1);
    return owner_->SetErrorCode(Status::kOk);
  }
  return PaintOnPicture({QPointF(x1, y1), QPointF(x2, y2)}, kToolRect);
}

}  // namespace imaging::control

#include "imaging/control/pan_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "imaging/control/morvik.h"

namespace imaging::control {

PanWindow::PanWindow(Morvik* owner) : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint), owner_(owner) {
  setWindowTitle("Pan");
  setFixedSize(kSide + 8, kSide + 8);
  setAttribute(Qt::WA_OpaquePaintEvent);
  connect(owner_, &Morvik::ViewChanged, this, &PanWindow::Follow);
}

void PanWindow::ShowAt(QPoint screen_pos) {
  move(screen_pos);
  hidden_by_fit_ = false;
  show();
  raise();
}

void PanWindow::HideWindow() {
  hidden_by_fit_ = false;
  hide();
}

void PanWindow::SetOption(int option, bool on) {
  if (option == kAutoHide) auto_hide_ = on;
  if (option == kLiveScroll) live_scroll_ = on;
}

bool PanWindow::OptionOn(int option) const {
  return option == kAutoHide ? auto_hide_ : option == kLiveScroll ? live_scroll_ : false;
}

QRect PanWindow::OverviewRect() const {
  const Image& img = owner_->image();
  if (img.empty()) return {};
  const QSize s = QSize(img.width(), img.height()).scaled(QSize(kSide, kSide), Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
  return QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
}

QRect PanWindow::FrameRect() const {
  const Image& img = owner_->image();
  const QRect ov = OverviewRect();
  if (ov.isEmpty() || owner_->DisplayedSize().isEmpty()) return {};
  const QRect vp = owner_->viewport()->rect();
  QPointF a = owner_->ViewToPicture(vp.topLeft());
  QPointF b = owner_->ViewToPicture(QPointF(vp.right() + 1, vp.bottom() + 1));
  a = QPointF(std::clamp(a.x(), 0.0, double(img.width())), std::clamp(a.y(), 0.0, double(img.height())));
  b = QPointF(std::clamp(b.x(), 0.0, double(img.width())), std::clamp(b.y(), 0.0, double(img.height())));
  const double sx = double(ov.width()) / img.width(), sy = double(ov.height()) / img.height();
  return QRectF(ov.left() + a.x() * sx, ov.top() + a.y() * sy, (b.x() - a.x()) * sx, (b.y() - a.y()) * sy).toRect();
}

void PanWindow::ScrollToOverviewPoint(QPoint p) {
  const Image& img = owner_->image();
  const QRect ov = OverviewRect();
  const QSize d = owner_->DisplayedSize();
  if (ov.isEmpty() || d.isEmpty()) return;
  const double px = std::clamp(double(p.x() - ov.left()) / ov.width(), 0.0, 1.0);
  const double py = std::clamp(double(p.y() - ov.top()) / ov.height(), 0.0, 1.0);
  (void)img;
  const QSize vp = owner_->viewport()->size();
  owner_->ScrollTo(QPoint(static_cast<int>(std::lround(px * d.width() - vp.width() / 2.0)),
                          static_cast<int>(std::lround(py * d.height() - vp.height() / 2.0))));
  update();
}

void PanWindow::Follow() {
  if (auto_hide_) {
    const QSize d = owner_->DisplayedSize();
    const QSize vp = owner_->viewport()->size();
    const bool fits = d.isEmpty() || (d.width() <= vp.width() && d.height() <= vp.height());
    if (fits && isVisible()) {
      hide();
      hidden_by_fit_ = true;
    } else if (!fits && hidden_by_fit_) {
      hidden_by_fit_ = false;
      show();
    }
  }
  if (isVisible()) update();
}

void PanWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(64, 64, 64));
  const QRect ov = OverviewRect();
  if (ov.isEmpty()) return;
  p.drawImage(ov, owner_->OverviewImage(QSize(kSide, kSide)));
  const QRect frame = FrameRect();
  if (!frame.isEmpty()) {
    p.setPen(QPen(Qt::red, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame.adjusted(0, 0, -1, -1));
  }
}

void PanWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragging_ = true;
  ScrollToOverviewPoint(event->position().toPoint());
}

void PanWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  if (live_scroll_) ScrollToOverviewPoint(event->position().toPoint());
}

void PanWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return;
  dragging_ = false;
  ScrollToOverviewPoint(event->position().toPoint());
}

void PanWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  emit owner_->PanWindowChanged(true);
}

void PanWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  emit owner_->PanWindowChanged(false);
}

}  // namespace imaging::control

// Mouse work on the view: rubber-band selection, moving the view, clicks,
// pointer shapes and dropped files.
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "imaging/control/draw_toolbar.h"
#include "imaging/control/morvik.h"
#include "platform/file_url.h"

namespace imaging::control {
namespace {

constexpr int kClickSlop = 3;  // view pixels a press may move and still be a click

// Hot spot of a Windows .cur file (first directory entry), or (-1, -1).
QPoint CursorHotSpot(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {-1, -1};
  const QByteArray head = f.read(22);
  if (head.size() < 22) return {-1, -1};
  auto u16 = [&](int at) { return static_cast<uint8_t>(head[at]) | (static_cast<uint8_t>(head[at + 1]) << 8); };
  if (u16(0) != 0 || u16(2) != 2 || u16(4) < 1) return {-1, -1};
  return QPoint(u16(10), u16(12));
}

}  // namespace

void Morvik::SetRangeLeft(int v) { range_.left = v; viewport()->update(); }
void Morvik::SetRangeTop(int v) { range_.top = v; viewport()->update(); }
void Morvik::SetRangeRight(int v) { range_.right = v; viewport()->update(); }
void Morvik::SetRangeBottom(int v) { range_.bottom = v; viewport()->update(); }

void Morvik::SetRectSelect(bool on) {
  rect_select_ = on;
  if (on) drag_move_ = false;
}

void Morvik::SetDragMove(bool on) {
  drag_move_ = on;
  if (on) rect_select_ = false;
}

void Morvik::SetPointerShape(int shape) {
  if (shape != kPointerNormal && shape != kPointerBusy && shape != kPointerCustom && shape != kPointerSelect) {
    SetErrorCode(Status::kBadValue);
    return;
  }
  pointer_shape_ = shape;
  UpdateCursor();
  SetErrorCode(Status::kOk);
}

void Morvik::SetPointerFile(const QString& path) {
  pointer_file_ = path;
  delete custom_cursor_;
  custom_cursor_ = nullptr;
  QPixmap pix(path);
  if (pix.isNull()) {
    SetErrorCode(path.isEmpty() ? Status::kOk : Status::kBadFile);
  } else {
    const QPoint hot = CursorHotSpot(path);
    custom_cursor_ = hot.x() >= 0 ? new QCursor(pix, hot.x(), hot.y()) : new QCursor(pix);
    SetErrorCode(Status::kOk);
  }
  UpdateCursor();
}

void Morvik::UpdateCursor() {
  if (busy_depth_ > 0) return;
  switch (pointer_shape_) {
    case kPointerBusy: viewport()->setCursor(Qt::WaitCursor); break;
    case kPointerSelect: viewport()->setCursor(Qt::CrossCursor); break;
    case kPointerCustom:
      if (custom_cursor_) viewport()->setCursor(*custom_cursor_);
      else viewport()->setCursor(Qt::ArrowCursor);
      break;
    default: viewport()->setCursor(Qt::ArrowCursor); break;
  }
}

QRect Morvik::SelectionViewRect() const {
  if (image_.empty() || displayed_.isEmpty()) return {};
  if (gesture_ == Gesture::kSelect) {
    const QRect r = QRect(press_view_, current_view_).normalized();
    if (r.width() < kClickSlop && r.height() < kClickSlop) return {};
    // Shown as it will be recorded: clamped to the picture.
    return r & QRect(DisplayOrigin(), displayed_);
  }
  if (range_.left <= 0 && range_.top <= 0 && range_.right <= 0 && range_.bottom <= 0) return {};
  const QPointF a = PictureToView(QPointF(range_.left, range_.top));
  const QPointF b = PictureToView(QPointF(range_.right, range_.bottom));
  return QRectF(a, b).normalized().toRect().adjusted(0, 0, -1, -1);
}

void Morvik::RecordClickColour(QPoint p) {
  point_position_ = p;
  if (p.x() < 0 || p.y() < 0 || p.x() >= image_.width() || p.y() >= image_.height()) return;
  const uint32_t rgb = image_.PixelRgb(p.x(), p.y());
  point_red_ = static_cast<int>((rgb >> 16) & 0xFF);
  point_green_ = static_cast<int>((rgb >> 8) & 0xFF);
  point_blue_ = static_cast<int>(rgb & 0xFF);
}

void Morvik::FinishSelection(QPoint view_end) {
  const QRect moved = QRect(press_view_, view_end).normalized();
  if (moved.width() < kClickSlop && moved.height() < kClickSlop) {
    range_ = Range{};  // a plain click clears the selection
    viewport()->update();
    return;
  }
  const QPointF a = ViewToPicture(press_view_);
  const QPointF b = ViewToPicture(view_end);
  auto clamp_x = [&](double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, image_.width()); };
  auto clamp_y = [&](double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, image_.height()); };
  range_.left = clamp_x(std::min(a.x(), b.x()));
  range_.right = clamp_x(std::max(a.x(), b.x()));
  range_.top = clamp_y(std::min(a.y(), b.y()));
  range_.bottom = clamp_y(std::max(a.y(), b.y()));
  if (range_.left == range_.right || range_.top == range_.bottom) range_ = Range{};
  viewport()->update();
  emit RangeSelected(range_.left, range_.top, range_.right, range_.bottom);
}

void Morvik::mousePressEvent(QMouseEvent* event) {
  if (image_.empty() || displayed_.isEmpty()) return;
  const QPoint v = event->position().toPoint();
  const QPointF pf = ViewToPicture(v);
  const QPoint p(static_cast<int>(std::floor(pf.x())), static_cast<int>(std::floor(pf.y())));
  press_view_ = current_view_ = v;
  press_scroll_ = ScrollPosition();
  if (event->button() == Qt::LeftButton) {
    RecordClickColour(p);
    // Raised before a drawing tool acts, so a handler may take an undo
    // snapshot of the picture as it was.
    emit ImageClick(1, p.x(), p.y());
    if (draw_toolbar_->ToolActive()) {
      gesture_ = Gesture::kTool;
      draw_toolbar_->PressAt(pf);
    } else if (drag_move_) {
      gesture_ = Gesture::kMove;
      viewport()->setCursor(Qt::ClosedHandCursor);
    } else if (rect_select_) {
      gesture_ = Gesture::kSelect;
    }
  } else if (event->button() == Qt::RightButton) {
    RecordClickColour(p);
  }
}

void Morvik::mouseMoveEvent(QMouseEvent* event) {
  const QPoint v = event->position().toPoint();
  current_view_ = v;
  switch (gesture_) {
    case Gesture::kMove: {
      const QPoint delta = v - press_view_;
      ScrollTo(press_scroll_ - delta);
      break;
    }
    case Gesture::kSelect: viewport()->update(); break;
    case Gesture::kTool: draw_toolbar_->MoveTo(ViewToPicture(v)); break;
    case Gesture::kNone: break;
  }
}

void Morvik::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint v = event->position().toPoint();
  current_view_ = v;
  if (event->button() == Qt::LeftButton) {
    const Gesture g = gesture_;
    gesture_ = Gesture::kNone;
    if (g == Gesture::kSelect) FinishSelection(v);
    else if (g == Gesture::kTool) draw_toolbar_->ReleaseAt(ViewToPicture(v));
    else if (g == Gesture::kMove) UpdateCursor();
  } else if (event->button() == Qt::RightButton && !image_.empty()) {
    emit ImageClick(2, point_position_.x(), point_position_.y());
  }
}

bool Morvik::AcceptsDrop(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return false;
  for (const QUrl& url : mime->urls())
    if (!platform::LocalFilePath(url).isEmpty()) return true;
  return false;
}

void Morvik::dragEnterEvent(QDragEnterEvent* event) {
  if (AcceptsDrop(event->mimeData())) event->acceptProposedAction();
}

void Morvik::dragMoveEvent(QDragMoveEvent* event) {
  if (AcceptsDrop(event->mimeData())) event->acceptProposedAction();
}

void Morvik::dropEvent(QDropEvent* event) {
  if (!AcceptsDrop(event->mimeData())) return;
  event->acceptProposedAction();
  for (const QUrl& url : event->mimeData()->urls())
    if (const QString path = platform::LocalFilePath(url); !path.isEmpty()) emit FileDropped(path);
}

bool Morvik::viewportEvent(QEvent* event) {
  // Drops land on the viewport; let the scroll area's handlers see them.
  return QAbstractScrollArea::viewportEvent(event);
}

}  // namespace imaging::control

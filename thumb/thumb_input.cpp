// Input: the selection step for presses and releases, the hover step, the
// stock mouse and key events, arrow keys, block moves of the selection,
// scrolling by bar, wheel and method, and the selection events.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "thumb/morvik_thumb.h"
#include "viewer_common/utils/text.h"

namespace thumb {

using hosting::Variant;

namespace {

constexpr int kShiftBit = 1, kCtrlBit = 2, kAltBit = 4;
constexpr int kLeftBit = 1, kRightBit = 2, kMiddleBit = 4;

int ShiftBits(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? kShiftBit : 0) | (m & Qt::ControlModifier ? kCtrlBit : 0) |
         (m & Qt::AltModifier ? kAltBit : 0);
}

int ButtonBit(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return kLeftBit;
    case Qt::RightButton: return kRightBit;
    case Qt::MiddleButton: return kMiddleBit;
    default: return 0;
  }
}

int ButtonBits(Qt::MouseButtons b) {
  return (b & Qt::LeftButton ? kLeftBit : 0) | (b & Qt::RightButton ? kRightBit : 0) |
         (b & Qt::MiddleButton ? kMiddleBit : 0);
}

// The key codes hosts know (virtual-key numbers).
int KeyCode(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return key & 0xFFFF;
  }
}

enum ScrollKind { kLineUp, kLineDown, kPageUp, kPageDown, kTrack, kTop, kBottom, kMethod };

}  // namespace

int CMorvikThumb::ModifierState() const { return ShiftBits(QApplication::keyboardModifiers()); }

int CMorvikThumb::SelectedCount() const {
  int s = 0;
  for (const file_list::ThumbnailEntry& e : list_.entries()) s += e.selected ? 1 : 0;
  return s;
}

void CMorvikThumb::DeselectAll() {
  for (file_list::ThumbnailEntry& e : list_.entries()) e.selected = 0;
}

void CMorvikThumb::RaiseEmptySelect(hosting::DispId event) {
  if (event == kEventSelectFile) file_name_.clear();
  FireEvent(event, {Variant::Bstr(u""), Variant::Bstr(u""), Variant::I2(-1),
                    Variant::I2(static_cast<int16_t>(list_.size())), Variant::I2(0), Variant::I2(0), Variant::I2(0),
                    Variant::I2(0)});
}

void CMorvikThumb::RaiseSelectFile(hosting::DispId event, int e) {
  if (e < 0 || e >= static_cast<int>(list_.size()) || list_[e].image == 0) return;
  const file_list::ThumbnailEntry& entry = list_[e];
  file_name_ = viewer::ToWide(entry.file_name);
  std::string folder = entry.folder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  int16_t l = 0, t = 0, r = 0, b = 0;
  if (const Cell* cell = CellOfEntry(e)) {
    l = static_cast<int16_t>(cell->rect.left);
    t = static_cast<int16_t>(cell->rect.top);
    r = static_cast<int16_t>(cell->rect.right + 1);
    b = static_cast<int16_t>(cell->rect.bottom + 1);
  }
  FireEvent(event, {Variant::Bstr(viewer::ToWide(folder)), Variant::Bstr(Label(entry)),
                    Variant::I2(static_cast<int16_t>(e + 1)), Variant::I2(static_cast<int16_t>(list_.size())),
                    Variant::I2(l), Variant::I2(t), Variant::I2(r), Variant::I2(b)});
}

void CMorvikThumb::MoveSelected(int position) {
  std::vector<file_list::ThumbnailEntry>& v = list_.entries();
  if (v.size() < 2) return;
  std::vector<file_list::ThumbnailEntry> block, rest;
  int first_selected = -1;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i].selected) {
      if (first_selected < 0) first_selected = static_cast<int>(i);
      block.push_back(std::move(v[i]));
    } else {
      rest.push_back(std::move(v[i]));
    }
  }
  const int k = static_cast<int>(block.size());
  int p = std::clamp(position, 0, static_cast<int>(v.size()));
  if (k > 0 && first_selected < p + k) p = std::max(0, p - k);
  p = std::min(p, static_cast<int>(rest.size()));
  v.clear();
  for (int i = 0; i < p; ++i) v.push_back(std::move(rest[i]));
  for (auto& e : block) v.push_back(std::move(e));
  for (size_t i = static_cast<size_t>(p); i < rest.size(); ++i) v.push_back(std::move(rest[i]));
  anchor_ = p;
}

void CMorvikThumb::SelectionStep(int e, bool press, int modifiers) {
  if (press) press_entry_ = drop_entry_ = -1;
  const int n = static_cast<int>(list_.size());
  if (n == 0 || e < 0 || e >= n) return;
  if (press && list_[e].image == 0) {
    RaiseEmptySelect(kEventSelectFile);
    return;
  }
  last_clicked_ = e;
  const bool multi = PropBool(kEnableSelectMultiFiles);
  const bool move = PropBool(kEnableMove);
  const bool shift = multi && (modifiers & kShiftBit);
  const bool ctrl = multi && (modifiers & kCtrlBit);
  const int s = move || multi ? SelectedCount() : 0;
  if (press && press_entry_ < 0) press_entry_ = e;
  if (!shift && !ctrl) {
    if (!press && move) {
      if (e != drop_entry_) drop_entry_ = e;
      if (press_entry_ < 0 || s == 0 || e == press_entry_) {
        if (!multi) {
          DeselectAll();
          if (anchor_ >= 0 && anchor_ < n) list_[anchor_].selected = 1;
        }
      } else {
        MoveSelected(press_entry_ < e ? e + 1 : e);
        last_drawn_start_ = -1;
      }
      update();
      return;
    }
    if (s > 1) {
      anchor_ = extent_ = e;
      if (list_[e].selected) return;  // a multiple selection survives a click on a member
    }
  }
  if (PropBool(kEnableMouseMoveButton)) {
    DeselectAll();
    list_[e].selected = 1;
  } else if (ctrl) {
    if (!press) {
      update();
      return;
    }
    list_[e].selected = list_[e].selected ? 0 : 1;
  } else if (shift && anchor_ >= 0 && anchor_ < n) {
    if (press) {
      update();
      return;
    }
    if (extent_ >= 0 && extent_ < n)
      for (int i = std::min(anchor_, extent_); i <= std::max(anchor_, extent_); ++i) list_[i].selected = 0;
    extent_ = e;
    const int step = e >= anchor_ ? 1 : -1;
    for (int i = anchor_;; i += step) {
      list_[i].selected = 1;
      RaiseSelectFile(kEventSelectFile, i);
      if (i == e || static_cast<int>(list_.size()) != n) break;
    }
    update();
    return;
  } else {
    DeselectAll();
    list_[e].selected = 1;
  }
  RaiseSelectFile(kEventSelectFile, e);
  anchor_ = extent_ = e;
  update();
}

void CMorvikThumb::HoverStep(int e, int modifiers) {
  const bool move = PropBool(kEnableMove);
  const bool follow = PropBool(kEnableMouseMoveButton);
  if ((!move && !follow) || list_.empty() || modifiers != 0) return;
  if (move && press_entry_ >= 0 && button_state_ == kLeftBit && e >= 0 && e != press_entry_) {
    drop_entry_ = e;
    return;
  }
  if (!follow) return;
  if (e < 0) {
    RaiseEmptySelect(kEventMouseMoveOnThumb);
    return;
  }
  if (list_[e].image == 0) return;
  RaiseSelectFile(kEventMouseMoveOnThumb, e);
  DeselectAll();
  list_[e].selected = 1;
  update();
}

void CMorvikThumb::FireMouse(hosting::DispId id, int button, QPointF pos) {
  FireEvent(id, {Variant::I2(static_cast<int16_t>(button)), Variant::I2(static_cast<int16_t>(ModifierState())),
                 Variant::I4(static_cast<int32_t>(pos.x())), Variant::I4(static_cast<int32_t>(pos.y()))});
}

void CMorvikThumb::mousePressEvent(QMouseEvent* event) {
  const int bit = ButtonBit(event->button());
  button_state_ |= bit;
  FireMouse(kEventMouseDown, bit, event->position());
  if (bit != kLeftBit) return;
  pressed_inside_ = true;
  double_clicked_ = false;
  dragging_ = false;
  press_pos_ = event->position().toPoint();
  hover_entry_ = -1;
  if (PropI2(kReadMode) != mvThumbRdImage && !busy_)
    SelectionStep(EntryAtPoint(event->position().toPoint()), true, ShiftBits(event->modifiers()));
}

void CMorvikThumb::mouseReleaseEvent(QMouseEvent* event) {
  const int bit = ButtonBit(event->button());
  if (bit == kLeftBit && pressed_inside_) {
    if (PropI2(kReadMode) != mvThumbRdImage && !busy_)
      SelectionStep(EntryAtPoint(event->position().toPoint()), false, ShiftBits(event->modifiers()));
    pressed_inside_ = false;
  }
  FireMouse(kEventMouseUp, bit, event->position());
  if (!double_clicked_) FireEvent(kEventClick, {});
  double_clicked_ = false;
  button_state_ &= ~bit;
  setCursor(*normal_cursor_);
}

void CMorvikThumb::mouseDoubleClickEvent(QMouseEvent* event) {
  const int bit = ButtonBit(event->button());
  button_state_ |= bit;
  if (bit == kLeftBit) pressed_inside_ = true;
  FireEvent(kEventDblClick, {});
  double_clicked_ = true;
}

void CMorvikThumb::mouseMoveEvent(QMouseEvent* event) {
  const int buttons = ButtonBits(event->buttons());
  button_state_ = buttons;
  FireMouse(kEventMouseMove, buttons, event->position());
  const QPoint pt = event->position().toPoint();
  if (PropI2(kReadMode) != mvThumbRdImage) {
    const int e = EntryAtPoint(pt);
    if (e != hover_entry_) {
      HoverStep(e, ShiftBits(event->modifiers()));
      hover_entry_ = e;
    }
  }
  const bool holding = (buttons & kLeftBit) && pressed_inside_;
  if (PropBool(kEnableOLEDrag)) {
    setCursor(Qt::ArrowCursor);
  } else if ((PropBool(kEnableMove) || PropBool(kEnableDragSource)) && holding && SelectedCount() > 0 &&
             !(pt.x() < 3 && pt.y() < 3)) {
    setCursor(*select_cursor_);
  } else {
    setCursor(*normal_cursor_);
  }
  if (PropBool(kEnableDragSource) && holding && SelectedCount() > 0 && !dragging_ && !busy_ &&
      (pt - press_pos_).manhattanLength() >= QApplication::startDragDistance())
    StartDrag();
}

void CMorvikThumb::wheelEvent(QWheelEvent* event) {
  if (!PropBool(kEnableMouseWheel) || list_.empty() || wheel_unit_ == 0) return;
  wheel_remainder_ += event->angleDelta().y();
  while (wheel_remainder_ >= 120) {
    ScrollRequest(kLineUp);
    wheel_remainder_ -= 120;
  }
  while (wheel_remainder_ <= -120) {
    ScrollRequest(kLineDown);
    wheel_remainder_ += 120;
  }
  event->accept();
}

void CMorvikThumb::keyPressEvent(QKeyEvent* event) {
  FireEvent(kEventKeyDown, {Variant::I2(static_cast<int16_t>(KeyCode(event->key()))),
                            Variant::I2(static_cast<int16_t>(ShiftBits(event->modifiers())))});
  const QString text = event->text();
  if (!text.isEmpty() && text[0].unicode() >= 8)
    FireEvent(kEventKeyPress, {Variant::I2(static_cast<int16_t>(text[0].unicode()))});
  const int mods = ShiftBits(event->modifiers()) & ~kAltBit;
  if (PropBool(kEnableArrowKeys) && PropI2(kReadMode) != mvThumbRdImage && !busy_ && mods == 0)
    ArrowKey(event->key());
}

void CMorvikThumb::keyReleaseEvent(QKeyEvent* event) {
  FireEvent(kEventKeyUp, {Variant::I2(static_cast<int16_t>(KeyCode(event->key()))),
                          Variant::I2(static_cast<int16_t>(ShiftBits(event->modifiers())))});
}

void CMorvikThumb::ArrowKey(int key) {
  const int n = static_cast<int>(list_.size());
  if (n == 0) return;
  const int cols = PropI2(kColCount), rows = PropI2(kRowCount);
  const bool horizontal = Horizontal();
  if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
    ScrollRequest(key == Qt::Key_PageUp ? kPageUp : kPageDown);
    return;
  }
  int delta = 0;
  switch (key) {
    case Qt::Key_Left: delta = horizontal ? -rows : -1; break;
    case Qt::Key_Right: delta = horizontal ? rows : 1; break;
    case Qt::Key_Up: delta = horizontal ? -1 : -cols; break;
    case Qt::Key_Down: delta = horizontal ? 1 : cols; break;
    default: return;
  }
  const int from = last_clicked_ >= 0 && last_clicked_ < n ? last_clicked_ : 0;
  const int target = from + delta;
  if (target < 0 || target >= n) return;
  const int len = LineLength();
  const int first = std::max(0, start_num_) / len;
  const int line = target / len;
  if (line < first) ScrollTo(first - 1);
  else if (line >= first + VisibleLines()) ScrollTo(first + 1);
  SelectionStep(target, true, 0);
}

void CMorvikThumb::ScrollTo(int first_line) {
  const int len = LineLength();
  start_num_ = std::max(0, first_line) * len;
  last_drawn_start_ = -1;
  QScrollBar* bar = Horizontal() ? hbar_ : vbar_;
  bar->setValue(std::max(0, first_line));
  update();
}

void CMorvikThumb::ScrollRequest(int kind) {
  if (busy_ || list_.empty()) return;
  const int len = LineLength();
  const int visible = VisibleLines();
  const int lines = LineCount(static_cast<int>(list_.size()), len);
  const int first = std::max(0, start_num_) / len;
  const int step = PropI2(kScrollStep);
  int next = first;
  switch (kind) {
    case kLineUp: next = std::max(0, first - step); break;
    case kLineDown:
      next = first + step;
      if (lines < next + visible) next = lines - visible;
      break;
    case kPageUp: next = std::max(0, first - visible); break;
    case kPageDown:
      next = first + visible;
      if (lines < first + 2 * visible) next = lines - visible;
      break;
    case kTop: next = 0; break;
    case kBottom: next = lines - visible; break;
    case kMethod:
      next = std::max(0, first + step);
      if (lines < next + visible) next = lines - visible;
      break;
    default: break;
  }
  ScrollTo(std::max(0, next));
}

void CMorvikThumb::OnScrollAction(int action) {
  QScrollBar* bar = Horizontal() ? hbar_ : vbar_;
  if (busy_) {
    bar->setSliderPosition(std::max(0, start_num_) / LineLength());
    return;
  }
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: ScrollRequest(kLineUp); break;
    case QAbstractSlider::SliderSingleStepAdd: ScrollRequest(kLineDown); break;
    case QAbstractSlider::SliderPageStepSub: ScrollRequest(kPageUp); break;
    case QAbstractSlider::SliderPageStepAdd: ScrollRequest(kPageDown); break;
    case QAbstractSlider::SliderToMinimum: ScrollRequest(kTop); break;
    case QAbstractSlider::SliderToMaximum: ScrollRequest(kBottom); break;
    case QAbstractSlider::SliderMove: ScrollTo(bar->sliderPosition()); break;
    default: return;
  }
  bar->setSliderPosition(std::max(0, start_num_) / LineLength());
}

bool CMorvikThumb::Scroll() {
  SetStatus(kStatusOk);
  if (list_.empty() || busy_) return false;
  ScrollRequest(kMethod);
  return true;
}

}  // namespace thumb

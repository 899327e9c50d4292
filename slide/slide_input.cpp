// CMorvikSlide's stock mouse and key events.
#include <QKeyEvent>
#include <QMouseEvent>

#include "slide/morvik_slide.h"

namespace slide {

using namespace hosting;

namespace {

int16_t ButtonBit(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

int16_t ButtonBits(Qt::MouseButtons b) {
  return static_cast<int16_t>((b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) |
                              (b & Qt::MiddleButton ? 4 : 0));
}

int16_t ShiftOf(Qt::KeyboardModifiers m) {
  return static_cast<int16_t>((m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
                              (m & Qt::AltModifier ? 4 : 0));
}

// The virtual-key code a host expects for a key.
int16_t VirtualKey(int key) {
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return static_cast<int16_t>(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<int16_t>(0x70 + (key - Qt::Key_F1));
  switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    default: return static_cast<int16_t>(key & 0x7FFF);
  }
}

int32_t Coord(qreal v) { return static_cast<int16_t>(static_cast<int>(v)); }  // signed 16-bit halves

}  // namespace

void CMorvikSlide::FireMouse(DispId id, int16_t buttons, const QPointF& pos) {
  FireEvent(id, {Variant::I2(buttons), Variant::I2(last_shift_), Variant::I4(Coord(pos.x())), Variant::I4(Coord(pos.y()))});
}

void CMorvikSlide::mousePressEvent(QMouseEvent* e) {
  const int16_t bit = ButtonBit(e->button());
  if (!bit) return;
  buttons_ = static_cast<int16_t>(buttons_ | bit);
  double_clicked_ = false;
  last_shift_ = ShiftOf(e->modifiers());
  FireMouse(kMouseDownEvent, buttons_, e->position());
}

void CMorvikSlide::mouseDoubleClickEvent(QMouseEvent* e) {
  const int16_t bit = ButtonBit(e->button());
  if (!bit) return;
  buttons_ = static_cast<int16_t>(buttons_ | bit);
  double_clicked_ = true;
  FireEvent(kDblClickEvent, {});
}

void CMorvikSlide::mouseReleaseEvent(QMouseEvent* e) {
  const int16_t bit = ButtonBit(e->button());
  if (!bit) return;
  last_shift_ = ShiftOf(e->modifiers());
  FireMouse(kMouseUpEvent, static_cast<int16_t>(buttons_ | bit), e->position());
  buttons_ = static_cast<int16_t>(buttons_ & ~bit);
  if (double_clicked_) double_clicked_ = false;
  else FireEvent(kClickEvent, {});
}

void CMorvikSlide::mouseMoveEvent(QMouseEvent* e) {
  last_shift_ = ShiftOf(e->modifiers());
  FireMouse(kMouseMoveEvent, ButtonBits(e->buttons()), e->position());
}

void CMorvikSlide::keyPressEvent(QKeyEvent* e) {
  last_shift_ = ShiftOf(e->modifiers());
  FireEvent(kKeyDownEvent, {Variant::I2(VirtualKey(e->key())), Variant::I2(last_shift_)});
  const QString text = e->text();
  if (!text.isEmpty() && text.at(0).unicode() != 0x7F)
    FireEvent(kKeyPressEvent, {Variant::I2(static_cast<int16_t>(text.at(0).unicode()))});
}

void CMorvikSlide::keyReleaseEvent(QKeyEvent* e) {
  if (e->isAutoRepeat()) return;
  FireEvent(kKeyUpEvent, {Variant::I2(VirtualKey(e->key())), Variant::I2(last_shift_)});
  last_shift_ = 0;
}

}  // namespace slide

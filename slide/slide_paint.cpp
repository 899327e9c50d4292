// CMorvikSlide painting: the slide composed off-screen and put on the
// window at once or in strips (each strip reaching the screen through a
// synchronous repaint, with no event processing between steps), the
// printer path, background and border, and the control's own drawing.
#include <QPaintEvent>
#include <QPainter>
#include <QPaintDevice>
#include <cstdlib>

#include "slide/morvik_slide.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/utils/frame3d.h"
#include "viewer_common/utils/ole_color.h"
#include "viewer_common/utils/text.h"

namespace slide {

using namespace hosting;

namespace {

const imaging_dlls::Table& T() { return imaging_dlls::Entries(); }

QColor ColorOf(uint32_t ole) { return viewer::ColorRefToQColor(viewer::TranslateOleColor(ole)); }

MvSurface SurfaceOf(QImage* img) {
  MvSurface s{};
  s.pixels = img->bits();
  s.width = img->width();
  s.height = img->height();
  s.stride = static_cast<int32_t>(img->bytesPerLine());
  return s;
}

}  // namespace

void CMorvikSlide::FireSlideEvent(DispId id) {
  const int idx = EntryAt(PropI4(kCurrentImage));
  std::u16string dir, name;
  if (idx >= 0) {
    const file_list::ThumbnailEntry& e = list_[static_cast<size_t>(idx)];
    dir = viewer::ToWide(e.folder);
    name = viewer::ToWide(EntryFileName(e));
  }
  FireEvent(id, {Variant::I2(static_cast<int16_t>(PropI4(kCurrentImage))), Variant::Bstr(dir), Variant::Bstr(name)});
}

void CMorvikSlide::ShowSlide(QPainter* painter, bool display) {
  const int idx = picture_entry_;
  const int16_t page = idx >= 0 ? list_[static_cast<size_t>(idx)].image_number : 0;
  if (current_path_ == shown_path_ && page == shown_page_) {
    StopTimer();  // the same picture again: the show has ended
    return;
  }
  const InnerRect inner = Inner();
  if (inner.Width() < 5 || inner.Height() < 5) return;
  if (!picture_ || idx < 0) return;
  drawing_ = true;
  Render(painter, display, inner);
  drawing_ = false;
  shown_path_ = current_path_;
  shown_page_ = page;
}

void CMorvikSlide::Render(QPainter* painter, bool display, const InnerRect& inner) {
  const int cx = inner.Width(), cy = inner.Height();
  QImage off(cx, cy, QImage::Format_RGB32);
  {
    imaging_dlls::LockedBlock lock(picture_);
    if (!lock || lock.size() < sizeof(MVBITMAPINFOHEADER)) return;
    const auto* bi = static_cast<const MVBITMAPINFOHEADER*>(lock.data());
    const Fitted f = FitSize(bi->biWidth, std::abs(bi->biHeight), cx, cy);
    const int ox = (cx - f.width) / 2, oy = (cy - f.height) / 2;
    MvSurface surface = SurfaceOf(&off);
    const uint32_t back = viewer::TranslateOleColor(PropColor(kBackColor));
    if (T()._BoxFull) T()._BoxFull(&surface, 0, 0, cx, cy, back);
    else off.fill(ColorOf(PropColor(kBackColor)));
    if (T()._StretchDIBits && T().GetDibPalSize) {
      const uint8_t* bits = reinterpret_cast<const uint8_t*>(bi) + bi->biSize + T().GetDibPalSize(bi);
      T()._StretchDIBits(&surface, ox, oy, f.width, f.height, 0, 0, bi->biWidth, std::abs(bi->biHeight), bits, bi,
                         0, MV_SRCCOPY);
    }
  }
  if (!display) {
    // Printer or PDF: at the control's place on the page, no events.
    painter->drawImage(print_origin_ + QPoint(inner.left, inner.top), off);
    return;
  }
  FireSlideEvent(kStartSlideEvent);
  const int dir = painter ? mvNormal : PropI2(kScrollDir);
  if (painter) {
    painter->save();
    painter->setClipRect(QRect(inner.left, inner.top, cx, cy));
    painter->drawImage(inner.left, inner.top, off);
    painter->restore();
  } else if (dir == mvNormal) {
    PutStrip(off, QRect(0, 0, cx, cy), QPoint(inner.left, inner.top));
  } else {
    Transition(off, inner);
  }
  FireSlideEvent(kEndSlideEvent);
}

void CMorvikSlide::PutStrip(const QImage& off, const QRect& from, const QPoint& to) {
  if (!isVisible() || from.isEmpty()) return;
  blit_source_ = &off;
  blit_from_ = from;
  blit_to_ = to;
  repaint(QRect(to, from.size()));
  blit_source_ = nullptr;
}

void CMorvikSlide::Transition(const QImage& off, const InnerRect& inner) {
  const int dir = PropI2(kScrollDir);
  const bool horizontal = dir == mvRightToLeft || dir == mvLeftToRight;
  const int extent = horizontal ? inner.Width() : inner.Height();
  const int span = horizontal ? inner.Height() : inner.Width();
  const int step = std::min<int>(std::max<int>(1, PropI2(kScrollSize)), extent);
  int16_t last = -1;
  for (int p = 0; p < extent;) {
    const int c = std::max(0, extent - step - p);
    const int next = p + step;
    const int len = std::min(next, extent);
    // Right-to-left and down-to-up bring the picture's start in at the far
    // edge; left-to-right and up-to-down its end in at the near edge.
    const bool from_far = dir == mvRightToLeft || dir == mvDownToUp;
    const int src = from_far ? 0 : c;
    const int dst = from_far ? c : 0;
    if (horizontal)
      PutStrip(off, QRect(src, 0, len, span), QPoint(inner.left + dst, inner.top));
    else
      PutStrip(off, QRect(0, src, span, len), QPoint(inner.left, inner.top + dst));
    const auto percent = static_cast<int16_t>(static_cast<int64_t>(p) * 100 / extent - 1);
    if (percent != last) {
      FireEvent(kProgressEvent, {Variant::I2(percent)});
      last = percent;
    }
    p = next;
  }
  FireEvent(kProgressEvent, {Variant::I2(100)});
}

void CMorvikSlide::DrawBorder(QPainter* p, const QRect& area) {
  if (!PropBool(kBorderVisible)) return;
  const InnerRect r = ComputeInnerRect(area.width(), area.height(), true, PropI2(kAppearance));
  const int L = area.left() + r.left, T_ = area.top() + r.top, R = area.left() + r.right, B = area.top() + r.bottom;
  if (PropI2(kAppearance) == mvFlat) {
    // A 1-pixel outline on (L - 1, T - 1) .. (R + 1, B + 1).
    const QColor c = ColorOf(PropColor(kBorderColor));
    p->fillRect(QRect(L - 1, T_ - 1, R - L + 3, 1), c);
    p->fillRect(QRect(L - 1, B + 1, R - L + 3, 1), c);
    p->fillRect(QRect(L - 1, T_ - 1, 1, B - T_ + 3), c);
    p->fillRect(QRect(R + 1, T_ - 1, 1, B - T_ + 3), c);
  } else {
    viewer::DrawFrame3D(p, L - 2, T_ - 2, R + 2, B + 2, PropI2(kAppearance) == mvLowered);
  }
}

void CMorvikSlide::PaintBackground(QPainter* p, const QRect& area) {
  p->fillRect(area, ColorOf(PropColor(kBackColor)));
  DrawBorder(p, area);
}

void CMorvikSlide::DrawTo(QPainter* painter, bool display) {
  DrawAt(painter, display || !parentWidget() ? QPoint(0, 0) : mapToParent(QPoint(0, 0)), display);
}

void CMorvikSlide::DrawContent(QPainter* painter, const QRect& bounds, bool display) {
  if (display) {
    painter->save();
    painter->translate(bounds.topLeft());
    DrawAt(painter, QPoint(0, 0), true);
    painter->restore();
  } else {
    DrawAt(painter, bounds.topLeft(), false);
  }
}

void CMorvikSlide::DrawAt(QPainter* painter, const QPoint& origin, bool display) {
  const QRect area(origin, size());
  // At design time the host sees the background and border only.
  if (AmbientUserMode() && picture_ && picture_entry_ >= 0) {
    if (display) PaintBackground(painter, area);
    shown_path_.clear();  // painted again, without a transition
    shown_page_ = 0;
    print_origin_ = origin;
    ShowSlide(painter, display);
    DrawBorder(painter, area);
  } else {
    PaintBackground(painter, area);
  }
}

void CMorvikSlide::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (blit_source_) {
    p.drawImage(blit_to_, *blit_source_, blit_from_);
    return;
  }
  if (drawing_) return;
  DrawTo(&p, true);
}

}  // namespace slide

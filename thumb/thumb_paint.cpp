// Layout and painting of the grid: the scroll state, the cell table, gap
// strips, faces in the three styles, pictures stretched in by the imaging
// library into each cell's own buffer, captions, the border, design-mode
// painting and painting into devices other than the screen.
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <cstring>

#include "thumb/morvik_thumb.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/utils/fit_size.h"
#include "viewer_common/utils/font_map.h"
#include "viewer_common/utils/frame3d.h"
#include "viewer_common/utils/ole_color.h"
#include "viewer_common/utils/text.h"

namespace thumb {

using hosting::Variant;

// What the cells of one grid draw share: the buffer each cell is composed
// in, and the faces painted once.
struct CMorvikThumb::CellCanvas {
  QImage buffer;
  QImage faces[2];  // unselected, selected
};

namespace {

QColor Ole(uint32_t ole) { return viewer::ColorRefToQColor(viewer::TranslateOleColor(ole)); }

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

MvSurface SurfaceOf(QImage* img) {
  MvSurface s{};
  s.pixels = img->bits();
  s.width = img->width();
  s.height = img->height();
  s.stride = static_cast<int32_t>(img->bytesPerLine());
  return s;
}

bool LoadsOnPaint(int mode) { return mode == mvThumbRdDsp || mode == mvThumbRdDspMultiImg; }

}  // namespace

QRect CMorvikThumb::ClientRect() const {
  QRect r = rect();
  if (!vbar_->isHidden()) r.setRight(r.right() - vbar_->sizeHint().width());
  if (!hbar_->isHidden()) r.setBottom(r.bottom() - hbar_->sizeHint().height());
  return r;
}

GridParams CMorvikThumb::Params() const {
  const QRect client = ClientRect();
  GridParams p;
  p.client_width = client.width();
  p.client_height = client.height();
  p.cols = PropI2(kColCount);
  p.rows = PropI2(kRowCount);
  p.gap = PropI2(kGapSize);
  p.edge = PropI2(kEdgeSize);
  p.style = PropI2(kStyle);
  p.button3d = PropBool(kButton3D);
  p.disp_file_name = PropBool(kDispFileName);
  return p;
}

void CMorvikThumb::PlaceScrollBars() {
  const int vw = vbar_->sizeHint().width();
  const int hh = hbar_->sizeHint().height();
  vbar_->setGeometry(width() - vw, 0, vw, height());
  hbar_->setGeometry(0, height() - hh, width(), hh);
}

void CMorvikThumb::RebuildScrollState(bool reset_first_line) {
  if (reset_first_line) start_num_ = 0;
  if (!AmbientUserMode()) return;  // the bars are touched only in user mode
  const int n = static_cast<int>(list_.size());
  const int cells = PropI2(kColCount) * PropI2(kRowCount);
  QScrollBar* bar = Horizontal() ? hbar_ : vbar_;
  QScrollBar* other = Horizontal() ? vbar_ : hbar_;
  other->hide();
  if (PropBool(kScrollBar) && n > cells) {
    const int lines = LineCount(n, LineLength());
    bar->setRange(0, std::max(0, lines - VisibleLines()));
    bar->setPageStep(VisibleLines());
    bar->setSingleStep(1);
    bar->setValue(std::max(0, start_num_) / LineLength());
    bar->setEnabled(!bar_disabled_);
    bar->show();
  } else {
    bar->hide();
  }
  PlaceScrollBars();
}

bool CMorvikThumb::RebuildLayout() {
  const int16_t status = ComputeLayout(Params(), &layout_);
  have_cells_ = status == kStatusOk;
  if (!have_cells_) SetStatus(status);
  return have_cells_;
}

void CMorvikThumb::resizeEvent(QResizeEvent*) {
  PlaceScrollBars();
  last_drawn_start_ = -1;
}

void CMorvikThumb::paintEvent(QPaintEvent*) {
  // The bar first: whether it shows decides the client area painted.
  RebuildScrollState(false);
  QPainter p(this);
  PaintAll(&p, ClientRect(), true);
}

void CMorvikThumb::DrawContent(QPainter* painter, const QRect& bounds, bool display) {
  // The control's own client size, scaled onto the bounds.
  const QRect client = ClientRect();
  painter->save();
  painter->translate(bounds.topLeft());
  if (client.width() > 0 && client.height() > 0)
    painter->scale(double(bounds.width()) / client.width(), double(bounds.height()) / client.height());
  PaintAll(painter, QRect(QPoint(0, 0), client.size()), display);
  painter->restore();
}

void CMorvikThumb::PaintAll(QPainter* p, const QRect& client, bool display) {
  if (PropI2(kStyle) != mvButton && PropBool(kButton3D)) SetStored(kButton3D, Variant::Bool(false));
  const int cols = PropI2(kColCount), rows = PropI2(kRowCount);
  if (cols != last_cols_ || rows != last_rows_) {
    start_num_ = 0;
    last_cols_ = cols;
    last_rows_ = rows;
  }
  RebuildLayout();
  last_drawn_start_ = -1;
  if (!AmbientUserMode()) {
    PaintBackground(p, client);
    layout_.cells.clear();
    have_cells_ = false;
    return;
  }
  if (have_cells_) DrawGrid(p, client, display);
  else p->fillRect(client, Ole(PropColor(hosting::kDispIdBackColor)));
  PaintBorder(p, client);
}

void CMorvikThumb::PaintBackground(QPainter* p, const QRect& client) {
  p->fillRect(client, Ole(PropColor(hosting::kDispIdBackColor)));
  PaintBorder(p, client);
  for (const Cell& cell : layout_.cells) {
    QImage buffer(std::max(1, layout_.w), std::max(1, layout_.h), QImage::Format_RGB32);
    buffer.fill(Ole(PropColor(hosting::kDispIdBackColor)));
    Rect face = cell.rect;
    face.left -= cell.origin.left;
    face.right -= cell.origin.left;
    face.top -= cell.origin.top;
    face.bottom -= cell.origin.top;
    PaintFace(&buffer, face, false);
    p->drawImage(cell.origin.left, cell.origin.top, buffer);
  }
}

void CMorvikThumb::PaintBorder(QPainter* p, const QRect& client) {
  int right = client.right(), bottom = client.bottom();
  const int appearance = PropI2(hosting::kDispIdAppearance);
  p->save();
  p->setClipping(false);
  p->setBrush(Qt::NoBrush);
  if (!PropBool(hosting::kDispIdBorderVisible)) {
    p->setPen(Ole(PropColor(hosting::kDispIdBackColor)));
    p->drawRect(client.left(), client.top(), right - client.left(), bottom - client.top());
  } else if (appearance == mvFlat) {
    p->setPen(Ole(PropColor(hosting::kDispIdBorderColor)));
    p->drawRect(client.left(), client.top(), right - client.left(), bottom - client.top());
  } else {
    right -= 1;
    bottom -= 1;
    viewer::DrawFrame3D(p, client.left(), client.top(), right + 1, bottom + 1, appearance == mvLowered);
  }
  p->restore();
}

void CMorvikThumb::DrawGrid(QPainter* p, const QRect& client, bool display) {
  const int start = std::max(0, start_num_);
  p->save();
  if (display) p->setClipRect(client.adjusted(1, 1, -1, -1));
  // Gap strips in the back colour: never the whole client at once, so a
  // picture never flickers over its face.
  const bool three_d = PropBool(kButton3D) && PropI2(kStyle) == mvButton;
  QRegion gaps(client);
  for (const Cell& cell : layout_.cells) {
    const Rect& r = three_d ? cell.origin : cell.rect;
    gaps -= QRect(r.left, r.top, r.width() + (three_d ? 0 : 1), r.height() + (three_d ? 0 : 1));
  }
  const QColor back = Ole(PropColor(hosting::kDispIdBackColor));
  for (const QRect& r : gaps) p->fillRect(r, back);
  const int cols = PropI2(kColCount), rows = PropI2(kRowCount);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const int e = EntryAt(start, c, r, cols, rows, Horizontal());
      layout_.cells[static_cast<size_t>(c + r * cols)].selected =
          e < static_cast<int>(list_.size()) ? list_[e].selected : 0;
    }
  }
  // The workers start on the pictures of the view, in the order the cells
  // are drawn, before the first cell waits for its own.
  if (display && LoadsOnPaint(PropI2(kReadMode))) WantForView(start);
  // One cell buffer serves every cell, and the two faces (unselected and
  // selected) are painted once for the whole grid, then copied into it.
  CellCanvas canvas;
  canvas.buffer = QImage(std::max(1, layout_.w), std::max(1, layout_.h), QImage::Format_RGB32);
  for (size_t i = 0; i < layout_.cells.size(); ++i) DrawCell(p, i, display, &canvas);
  p->restore();
  last_drawn_start_ = start;
  if (Horizontal()) hbar_->setValue(start / LineLength());
  else vbar_->setValue(start / LineLength());
  // Entries of the view that are still without a picture load now and show
  // on the next paint.
  if (display && LoadsOnPaint(PropI2(kReadMode))) {
    bool loaded = false;
    const size_t end = std::min(list_.size(), static_cast<size_t>(start) + layout_.cells.size());
    for (size_t i = static_cast<size_t>(start); i < end && i < list_.size(); ++i) {
      if (list_[i].image != 0) continue;
      LoadEntry(i);
      loaded = loaded || (i < list_.size() && list_[i].image != 0);
    }
    if (loaded) update();
  }
}

void CMorvikThumb::PaintFace(QImage* buffer, const Rect& face, bool selected) {
  const uint32_t face_ole = PropColor(selected ? kForeColorDown : kForeColorUp);
  QPainter p(buffer);
  p.fillRect(QRect(face.left, face.top, face.width() + 1, face.height() + 1), Ole(face_ole));
  const int style = PropI2(kStyle);
  if (style == mvButton && PropBool(kButton3D))
    viewer::DrawFrame3D(&p, face.left - 2, face.top - 2, face.right + 1, face.bottom + 1, selected);
  if (style == mvFilm) {
    const QColor back = Ole(PropColor(hosting::kDispIdBackColor));
    for (const Rect& hole : FilmHoles(face)) p.fillRect(ToQRect(hole), back);
  }
  p.end();
  if (style == mvCustom) {
    const CustomPicture& pic = selected ? picture_down_ : picture_up_;
    int32_t bw = 0, bh = 0;
    if (pic.bitmap && pic.mask && viewer::TranslateOleColor(face_ole) != 0 &&
        imaging_dlls::Call<&imaging_dlls::Table::MVGetBitmapSize>(0, pic.bitmap, &bw, &bh)) {
      MvSurface s = SurfaceOf(buffer);
      (void)imaging_dlls::Call<&imaging_dlls::Table::TransparentMaskStretchBlt>(
          0, &s, face.left, face.top, face.width() + 1, face.height() + 1, pic.bitmap, pic.mask, 0, 0, bw, bh);
    }
  }
}

void CMorvikThumb::PutFace(CellCanvas* canvas, const Rect& face, bool selected) {
  QImage& made = canvas->faces[selected ? 1 : 0];
  if (made.isNull()) {
    made = QImage(canvas->buffer.size(), canvas->buffer.format());
    // The face (with its 3-D frame around it) covers the whole buffer; only
    // a cell too small for a face shows the back colour.
    if (face.width() <= 0 || face.height() <= 0) made.fill(Ole(PropColor(hosting::kDispIdBackColor)));
    PaintFace(&made, face, selected);
  }
  std::memcpy(canvas->buffer.bits(), made.constBits(), static_cast<size_t>(made.sizeInBytes()));
}

void CMorvikThumb::DrawCell(QPainter* p, size_t index, bool display, CellCanvas* canvas) {
  const int cols = PropI2(kColCount), rows = PropI2(kRowCount);
  const int c = static_cast<int>(index) % cols, r = static_cast<int>(index) / cols;
  const int e = EntryAt(std::max(0, start_num_), c, r, cols, rows, Horizontal());
  const Cell cell = layout_.cells[index];
  QImage& buffer = canvas->buffer;
  const Rect face{cell.rect.left - cell.origin.left, cell.rect.top - cell.origin.top,
                  cell.rect.right - cell.origin.left, cell.rect.bottom - cell.origin.top};
  auto empty_face = [&](bool selected) {
    PutFace(canvas, face, selected);
    p->drawImage(cell.origin.left, cell.origin.top, buffer);
  };
  if (e >= static_cast<int>(list_.size())) return empty_face(false);
  if (display && LoadsOnPaint(PropI2(kReadMode)) && list_[e].image == 0) LoadEntry(static_cast<size_t>(e));
  if (e >= static_cast<int>(list_.size()) || list_[e].image == 0)
    return empty_face(e < static_cast<int>(list_.size()) && list_[e].selected);
  const bool selected = list_[e].selected != 0;
  const Rect area = PictureArea(layout_, cell, Params());
  const bool room = area.width() > 1 && area.height() > 1;
  if (!room) {
    empty_face(selected);
  } else {
    PutFace(canvas, face, selected);
    imaging_dlls::LockedBlock dib(list_[e].image);
    if (dib && dib.size() >= sizeof(MVBITMAPINFOHEADER)) {
      const auto* bi = static_cast<const MVBITMAPINFOHEADER*>(dib.data());
      const int w = bi->biWidth, h = std::abs(bi->biHeight);
      const viewer::Fit fit = viewer::FitInside(w, h, area.width(), area.height());
      const int32_t pal = imaging_dlls::Call<&imaging_dlls::Table::GetDibPalSize>(-1, static_cast<const void*>(bi));
      if (pal >= 0 && sizeof(MVBITMAPINFOHEADER) + static_cast<size_t>(pal) <= dib.size()) {
        const auto* bits = static_cast<const uint8_t*>(dib.data()) + sizeof(MVBITMAPINFOHEADER) + pal;
        MvSurface s = SurfaceOf(&buffer);
        (void)imaging_dlls::Call<&imaging_dlls::Table::_StretchDIBits>(
            0, &s, area.left - cell.origin.left + fit.x, area.top - cell.origin.top + fit.y, fit.width, fit.height,
            0, 0, w, h, static_cast<const void*>(bits), static_cast<const void*>(bi), 0u, MV_SRCCOPY);
      }
    }
    if (PropI2(kStyle) == mvCustom) {
      const CustomPicture& pic = selected ? picture_down_ : picture_up_;
      int32_t bw = 0, bh = 0;
      if (pic.bitmap && pic.mask && imaging_dlls::Call<&imaging_dlls::Table::MVGetBitmapSize>(0, pic.bitmap, &bw, &bh)) {
        MvSurface s = SurfaceOf(&buffer);
        (void)imaging_dlls::Call<&imaging_dlls::Table::TransparentMaskStretchBlt>(
            0, &s, face.left, face.top, face.width() + 1, face.height() + 1, pic.bitmap, pic.mask, 0, 0, bw, bh);
      }
    }
    p->drawImage(cell.origin.left, cell.origin.top, buffer);
  }
  const std::u16string folder = viewer::ToWide(list_[e].folder);
  const std::u16string label = Label(list_[e]);
  if (display) {
    SetStored(kText, Variant::Bstr(u""));
    FireEvent(kEventShowThumbImage,
              {Variant::Bstr(folder), Variant::Bstr(label), Variant::I2(static_cast<int16_t>(e + 1)),
               Variant::I2(static_cast<int16_t>(list_.size())), Variant::I2(static_cast<int16_t>(cell.rect.left)),
               Variant::I2(static_cast<int16_t>(cell.rect.top)), Variant::I2(static_cast<int16_t>(cell.rect.right)),
               Variant::I2(static_cast<int16_t>(cell.rect.bottom))});
  }
  if (room && PropBool(kDispFileName)) {
    const std::u16string text = PropString(kText);
    DrawCaption(p, cell, text.empty() ? label : text, selected, display);
  }
}

void CMorvikThumb::DrawCaption(QPainter* p, const Cell& cell, const std::u16string& label, bool selected,
                               bool display) {
  const Rect r = CaptionRect(layout_, cell, Params());
  if (r.width() <= 0 || r.height() <= 0) return;
  const QColor fore = Ole(PropColor(selected ? kSelectTextColor : kTextColor));
  const QColor back = Ole(PropColor(selected ? kSelectTextBackColor : kTextBackColor));
  const bool transparent = PropBool(selected ? kSelectTextTransparent : kTextTransparent);
  const hosting::FontDesc fd = PropFont(hosting::kDispIdFont);
  const QFont font = viewer::MapFont(fd.name, fd.size_points, fd.weight, fd.italic, fd.underline, fd.strikethrough);
  const QString text = QString::fromStdU16String(label);
  p->save();
  p->setFont(font);
  p->setPen(fore);
  const QRect box = ToQRect(r);
  if (display) {
    p->setClipRect(QRect(cell.rect.left, cell.rect.top, cell.rect.width(), cell.rect.height() - 1), Qt::IntersectClip);
    if (!transparent) p->fillRect(box, back);
    p->drawText(box, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, text);
  } else {
    // Placed by the text size measured on the window.
    const QFontMetrics fm(font, const_cast<CMorvikThumb*>(this));
    const int tw = fm.horizontalAdvance(text), th = fm.height();
    const int x = r.left + std::max(0, (r.width() - tw) / 2);
    const int y = r.top + std::max(0, (r.height() - th) / 2);
    if (!transparent) p->fillRect(QRect(x, y, tw, th), back);
    p->drawText(x, y + fm.ascent(), text);
  }
  p->restore();
}

int CMorvikThumb::EntryAtPoint(QPoint pt) const {
  if (!have_cells_) return -1;
  const int cols = PropI2(kColCount), rows = PropI2(kRowCount);
  for (size_t i = 0; i < layout_.cells.size(); ++i) {
    if (!layout_.cells[i].origin.contains(pt.x(), pt.y())) continue;
    const int e = EntryAt(std::max(0, start_num_), static_cast<int>(i) % cols, static_cast<int>(i) / cols, cols,
                          rows, Horizontal());
    return e < static_cast<int>(list_.size()) ? e : -1;
  }
  return -1;
}

const Cell* CMorvikThumb::CellOfEntry(int e) const {
  if (!have_cells_ || e < 0) return nullptr;
  const int cols = PropI2(kColCount), rows = PropI2(kRowCount);
  for (size_t i = 0; i < layout_.cells.size(); ++i)
    if (EntryAt(std::max(0, start_num_), static_cast<int>(i) % cols, static_cast<int>(i) / cols, cols, rows,
                Horizontal()) == e)
      return &layout_.cells[i];
  return nullptr;
}

}  // namespace thumb

// Painting drawings with QPainter.
#include "imaging/vector/render.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QStringList>
#include <QSvgRenderer>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "imaging/vector/render_session.h"

namespace imaging::vector {
namespace {

QColor ToQColor(Color c) { return QColor(c.r, c.g, c.b, c.a); }

QTransform ToQTransform(const Transform& t) { return QTransform(t.m11, t.m12, t.m21, t.m22, t.dx, t.dy); }

// One substitution table from the faces Windows drawings name onto the
// installed Noto faces.
QString FaceFamily(const std::string& face, bool* serif) {
  const QString f = QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()));
  *serif = f.contains(QStringLiteral("明朝")) || f.contains(QStringLiteral("Mincho"), Qt::CaseInsensitive) ||
           f.contains(QStringLiteral("Times"), Qt::CaseInsensitive) || f == QStringLiteral("serif");
  if (f.contains(QStringLiteral("ゴシック")) || f.contains(QStringLiteral("Gothic"), Qt::CaseInsensitive) ||
      f.contains(QStringLiteral("Meiryo"), Qt::CaseInsensitive) || f.contains(QStringLiteral("メイリオ")))
    return QStringLiteral("Noto Sans CJK JP");
  if (f.contains(QStringLiteral("明朝")) || f.contains(QStringLiteral("Mincho"), Qt::CaseInsensitive))
    return QStringLiteral("Noto Serif CJK JP");
  if (f.isEmpty()) return QStringLiteral("Noto Sans CJK JP");
  return f;
}

bool StraightOnly(const Path& p, bool* closed) {
  const auto& ops = p.ops();
  *closed = false;
  for (size_t i = 1; i < ops.size(); ++i) {
    if (ops[i] == Path::Op::kLine) continue;
    if (ops[i] == Path::Op::kClose && i + 1 == ops.size()) {
      *closed = true;
      continue;
    }
    return false;
  }
  return !ops.empty() && ops[0] == Path::Op::kMove;
}

QPainterPath ToQPath(const Path& p, FillRule rule) {
  QPainterPath q;
  q.setFillRule(rule == FillRule::kWinding ? Qt::WindingFill : Qt::OddEvenFill);
  const auto& pts = p.points();
  size_t pi = 0;
  for (Path::Op op : p.ops()) {
    switch (op) {
      case Path::Op::kMove: q.moveTo(pts[pi].x, pts[pi].y); pi += 1; break;
      case Path::Op::kLine: q.lineTo(pts[pi].x, pts[pi].y); pi += 1; break;
      case Path::Op::kCubic:
        q.cubicTo(pts[pi].x, pts[pi].y, pts[pi + 1].x, pts[pi + 1].y, pts[pi + 2].x, pts[pi + 2].y);
        pi += 3;
        break;
      case Path::Op::kClose: q.closeSubpath(); pi += 1; break;
    }
  }
  return q;
}

Qt::PenStyle ToQtStyle(LineStyle s) {
  switch (s) {
    case LineStyle::kDash: return Qt::DashLine;
    case LineStyle::kDot: return Qt::DotLine;
    case LineStyle::kDashDot: return Qt::DashDotLine;
    case LineStyle::kDashDotDot: return Qt::DashDotDotLine;
    case LineStyle::kNone: return Qt::NoPen;
    default: return Qt::SolidLine;
  }
}

class ItemPainter {
 public:
  ItemPainter(const Drawing& d, QPainter* p, const QRectF& target, bool text)
      : d_(d), p_(p), text_(text), clips_(d.clips().size()) {
    const Rect& page = d.page();
    page_to_target_ = QTransform::fromTranslate(-page.x, -page.y) *
                      QTransform::fromScale(target.width() / page.width, target.height() / page.height) *
                      QTransform::fromTranslate(target.x(), target.y());
    scale_ = std::sqrt(std::fabs(page_to_target_.determinant()));
    base_ = p->transform();
    page_rect_ = QRectF(page.x, page.y, page.width, page.height).adjusted(-page.width, -page.height, page.width,
                                                                        page.height);
  }

  void PaintAll() {
    for (const Item& item : d_.items()) {
      SetClip(item.clip);
      if (const auto* s = std::get_if<Shape>(&item.content)) PaintShape(*s, item.transform);
      else if (const auto* t = std::get_if<Text>(&item.content)) PaintText(*t, item.transform);
      else if (const auto* r = std::get_if<Raster>(&item.content)) PaintRaster(*r, item.transform);
    }
    p_->setClipping(false);
  }

 private:
  // The clip area of index i in page coordinates, built from its parents
  // (which always come earlier) without recursion.
  const QPainterPath& ClipPath(int i) {
    std::vector<int> chain;
    for (int k = i; k >= 0 && !clips_[static_cast<size_t>(k)]; ) {
      chain.push_back(k);
      const int parent = d_.clips()[static_cast<size_t>(k)].parent;
      k = parent < k ? parent : -1;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      const Clip& c = d_.clips()[static_cast<size_t>(*it)];
      QPainterPath own = ToQPath(c.path, c.rule);
      QPainterPath base;
      if (c.parent >= 0 && c.parent < *it) {
        base = *clips_[static_cast<size_t>(c.parent)];
      } else {
        base.addRect(page_rect_);
      }
      QPainterPath result;
      switch (c.combine) {
        case ClipCombine::kIntersect: result = base.intersected(own); break;
        case ClipCombine::kExclude: result = base.subtracted(own); break;
        case ClipCombine::kUnion: result = base.united(own); break;
        case ClipCombine::kXor: result = base.united(own).subtracted(base.intersected(own)); break;
        case ClipCombine::kReplace: result = own; break;
      }
      clips_[static_cast<size_t>(*it)] = std::move(result);
    }
    return *clips_[static_cast<size_t>(i)];
  }

  void SetClip(int clip) {
    if (clip == current_clip_) return;
    current_clip_ = clip;
    if (clip < 0 || static_cast<size_t>(clip) >= clips_.size()) {
      p_->setClipping(false);
      return;
    }
    p_->setTransform(page_to_target_ * base_);
    p_->setClipPath(ClipPath(clip));
  }

  void PaintShape(const Shape& s, const Transform& t) {
    p_->setTransform(ToQTransform(t) * page_to_target_ * base_);
    if (s.pen.style == LineStyle::kNone) {
      p_->setPen(Qt::NoPen);
    } else {
      QPen pen(ToQColor(s.pen.color));
      pen.setStyle(ToQtStyle(s.pen.style));
      const double device_width = s.pen.width * t.LengthScale() * scale_;
      if (device_width <= 1.0) {
        // Lines are never thinner than one pixel.
        pen.setWidthF(1.0);
        pen.setCosmetic(true);
      } else {
        pen.setWidthF(s.pen.width);
      }
      pen.setCapStyle(Qt::RoundCap);
      pen.setJoinStyle(Qt::RoundJoin);
      p_->setPen(pen);
    }
    p_->setBrush(s.brush.none ? QBrush(Qt::NoBrush) : QBrush(ToQColor(s.brush.color)));
    bool closed = false;
    if (StraightOnly(s.path, &closed)) {
      const auto& pts = s.path.points();
      const size_t n = closed ? pts.size() - 1 : pts.size();
      poly_.resize(static_cast<qsizetype>(n));
      for (size_t i = 0; i < n; ++i) poly_[static_cast<qsizetype>(i)] = QPointF(pts[i].x, pts[i].y);
      if (closed || !s.brush.none) {
        p_->drawPolygon(poly_, s.rule == FillRule::kWinding ? Qt::WindingFill : Qt::OddEvenFill);
      } else {
        p_->drawPolyline(poly_);
      }
      return;
    }
    p_->drawPath(ToQPath(s.path, s.rule));
  }

  void PaintText(const Text& t, const Transform& transform) {
    if (!text_) return;
    const QTransform to_device = ToQTransform(transform) * page_to_target_ * base_;
    const QPointF origin = to_device.map(QPointF(t.origin.x, t.origin.y));
    const double px = t.height * transform.LengthScale() * scale_;
    if (!(px >= 0.5) || px > 100000 || !std::isfinite(origin.x()) || !std::isfinite(origin.y())) return;
    bool serif = false;
    QFont font(FaceFamily(t.face, &serif));
    font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    font.setPointSizeF(px * 72.0 / 96.0);
    font.setBold(t.bold);
    font.setItalic(t.italic);
    font.setUnderline(t.underline);
    const QStringList lines = QString::fromUtf8(t.utf8.data(), static_cast<qsizetype>(t.utf8.size())).split(u'\n');
    p_->setTransform(base_);
    p_->translate(origin);
    p_->rotate(-t.angle);
    p_->setFont(font);
    const QFontMetricsF fm(font, p_->device());
    double widest = 0;
    for (const QString& line : lines) widest = std::max(widest, fm.horizontalAdvance(line));
    double sx = t.width_factor;
    if (t.fit_width > 0 && lines.size() == 1 && widest > 0) sx = t.fit_width * scale_ / widest;
    if (!std::isfinite(sx) || sx <= 0) sx = 1;
    p_->scale(sx, 1);
    const double spacing = fm.lineSpacing();
    const double block = spacing * static_cast<double>(lines.size() - 1);
    double baseline = 0;
    switch (t.valign) {
      case VAlign::kTop: baseline = fm.ascent(); break;
      case VAlign::kBottom: baseline = -fm.descent() - block; break;
      case VAlign::kMiddle: baseline = (fm.ascent() - fm.descent()) / 2 - block / 2; break;
      case VAlign::kBaseline: baseline = 0; break;
    }
    p_->setPen(ToQColor(t.color));
    for (const QString& line : lines) {
      const double w = fm.horizontalAdvance(line);
      const double x = t.halign == HAlign::kLeft ? 0 : (t.halign == HAlign::kCenter ? -w / 2 : -w);
      if (t.opaque) p_->fillRect(QRectF(x, baseline - fm.ascent(), w, fm.height()), ToQColor(t.background));
      p_->drawText(QPointF(x, baseline), line);
      baseline += spacing;
    }
  }

  void PaintRaster(const Raster& r, const Transform& t) {
    const Image& img = r.image;
    if (img.empty() || img.bpp() != 32) return;
    const QImage view(img.data(), img.width(), img.height(), static_cast<qsizetype>(img.stride()),
                      QImage::Format_ARGB32);
    const QTransform place = QTransform::fromScale(r.target.width / img.width(), r.target.height / img.height()) *
                             QTransform::fromTranslate(r.target.x, r.target.y);
    p_->setTransform(place * ToQTransform(t) * page_to_target_ * base_);
    p_->drawImage(QPointF(0, 0), view);
  }

  const Drawing& d_;
  QPainter* p_;
  bool text_;
  QTransform page_to_target_;
  QTransform base_;
  double scale_ = 1;
  QRectF page_rect_;
  std::vector<std::optional<QPainterPath>> clips_;
  int current_clip_ = -1;
  QPolygonF poly_;
};

}  // namespace

void FitSize(int width, int height, int max_w, int max_h, int* out_w, int* out_h) {
  double s = 1;
  if (max_w > 0 && width > max_w) s = std::min(s, static_cast<double>(max_w) / width);
  if (max_h > 0 && height > max_h) s = std::min(s, static_cast<double>(max_h) / height);
  *out_w = std::max(1, static_cast<int>(width * s + 0.5));
  *out_h = std::max(1, static_cast<int>(height * s + 0.5));
}

void PaintDrawing(const Drawing& drawing, QPainter* painter, const QRectF& target) {
  if (painter == nullptr || target.isEmpty()) return;
  painter->save();
  if (!drawing.svg().empty()) {
    QSvgRenderer svg(QByteArray::fromRawData(drawing.svg().data(), static_cast<qsizetype>(drawing.svg().size())));
    if (svg.isValid()) svg.render(painter, target);
  } else {
    const bool text = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    ItemPainter(drawing, painter, target, text).PaintAll();
  }
  painter->restore();
}

Result RenderDrawing(const Drawing& drawing, const RenderOptions& options, Image* out) {
  if (out == nullptr) return Result(Status::kBadValue, "no destination");
  if (options.bpp != 24 && options.bpp != 32) return Result(Status::kBadValue, "depth must be 24 or 32");
  if (options.width < 1 || options.height < 1 || options.width > kMaxDimension || options.height > kMaxDimension)
    return Result(Status::kBadValue, "picture size out of range");
  const uint64_t bytes = static_cast<uint64_t>(options.width) * static_cast<uint64_t>(options.height) * 4;
  if (bytes > kMaxPixelBytes || bytes >= static_cast<uint64_t>(INT_MAX))
    return Result(Status::kMemory, "picture too large");
  RenderSession session;
  QImage canvas(options.width, options.height, QImage::Format_RGB32);
  if (canvas.isNull()) return Result(Status::kMemory, "cannot allocate the picture");
  canvas.setDotsPerMeterX(3780);
  canvas.setDotsPerMeterY(3780);
  canvas.fill(QColor(options.background.r, options.background.g, options.background.b));
  {
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, options.antialias);
    painter.setRenderHint(QPainter::TextAntialiasing, options.antialias);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    PaintDrawing(drawing, &painter, QRectF(0, 0, options.width, options.height));
  }
  Image img;
  if (Result r = Image::CreateUninitialized(options.width, options.height, options.bpp, &img); !r.ok()) return r;
  for (int y = 0; y < options.height; ++y) {
    const uint8_t* src = canvas.constScanLine(y);
    uint8_t* dst = img.row(y);
    if (options.bpp == 32) {
      std::memcpy(dst, src, static_cast<size_t>(options.width) * 4);
      for (int x = 0; x < options.width; ++x) dst[x * 4 + 3] = 0;
    } else {
      for (int x = 0; x < options.width; ++x) {
        dst[x * 3] = src[x * 4];
        dst[x * 3 + 1] = src[x * 4 + 1];
        dst[x * 3 + 2] = src[x * 4 + 2];
      }
    }
  }
  img.set_dpi(96, 96);
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace imaging::vector

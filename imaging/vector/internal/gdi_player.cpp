// The metafile drawing state: objects, mapping, paths, clipping.
#include "imaging/vector/internal/gdi_player.h"

#include <algorithm>
#include <cmath>

namespace imaging::vector::internal {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr size_t kMaxSavedStates = 4096;

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Device units per logical unit of the fixed map modes (96 pixels an inch).
double FixedModeScale(int mode) {
  switch (mode) {
    case 2: return 96.0 / 254.0;    // MM_LOMETRIC, 0.1 mm
    case 3: return 96.0 / 2540.0;   // MM_HIMETRIC, 0.01 mm
    case 4: return 96.0 / 100.0;    // MM_LOENGLISH, 0.01 inch
    case 5: return 96.0 / 1000.0;   // MM_HIENGLISH, 0.001 inch
    case 6: return 96.0 / 1440.0;   // MM_TWIPS
    default: return 1.0;
  }
}

// Visual angle (degrees, counter-clockwise on screen) of `p` on the ellipse
// inscribed in the device box.
double VisualAngle(const Rect& box, Point p) {
  const double rx = box.width / 2, ry = box.height / 2;
  const double cx = box.x + rx, cy = box.y + ry;
  const double dx = rx != 0 ? (p.x - cx) / rx : 0;
  const double dy = ry != 0 ? (p.y - cy) / ry : 0;
  if (dx == 0 && dy == 0) return 0;
  return std::atan2(-dy, dx) * 180.0 / kPi;
}

Rect DeviceBox(const Transform& t, const Rect& r) {
  const Point a = t.Map({r.x, r.y}), b = t.Map({r.x + r.width, r.y + r.height});
  return GdiPlayer::Box(a.x, a.y, b.x, b.y);
}

}  // namespace

Color GdiColor(uint32_t c) {
  return {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>((c >> 8) & 0xFF), static_cast<uint8_t>((c >> 16) & 0xFF),
          255};
}

LineStyle GdiPenStyle(uint32_t style) {
  switch (style & 0x0F) {
    case 1: return LineStyle::kDash;
    case 2: return LineStyle::kDot;
    case 3: return LineStyle::kDashDot;
    case 4: return LineStyle::kDashDotDot;
    case 5: return LineStyle::kNone;
    default: return LineStyle::kSolid;
  }
}

GdiPlayer::GdiPlayer(Drawing* out) : out_(out) {}

Rect GdiPlayer::Box(double l, double t, double r, double b) {
  return {std::min(l, r), std::min(t, b), std::fabs(r - l), std::fabs(b - t)};
}

Result GdiPlayer::CreateObject(GdiObject object, int index) {
  if (index < 0) {
    index = 0;
    while (index < static_cast<int>(objects_.size()) && objects_[index].kind != GdiObject::Kind::kEmpty) ++index;
  }
  if (index >= kMaxObjects) return Result(Status::kBroken, "object table full");
  if (index >= static_cast<int>(objects_.size())) objects_.resize(static_cast<size_t>(index) + 1);
  objects_[static_cast<size_t>(index)] = std::move(object);
  return Result::Ok();
}

const GdiObject* GdiPlayer::Object(int index) const {
  if (index < 0 || index >= static_cast<int>(objects_.size())) return nullptr;
  const GdiObject& o = objects_[static_cast<size_t>(index)];
  return o.kind == GdiObject::Kind::kEmpty ? nullptr : &o;
}

void GdiPlayer::SelectObject(int index) {
  const GdiObject* o = Object(index);
  if (o == nullptr) return;
  switch (o->kind) {
    case GdiObject::Kind::kPen: dc_.pen = o->pen; break;
    case GdiObject::Kind::kBrush: dc_.brush = o->brush; break;
    case GdiObject::Kind::kFont: dc_.font = o->font; break;
    case GdiObject::Kind::kRegion: {
      const Path device = MapPath(o->region);
      (void)SelectClipRegion(&device, 5);
      break;
    }
    default: break;
  }
}

void GdiPlayer::SelectStockObject(uint32_t id) {
  switch (id) {
    case 0: dc_.brush = {false, {255, 255, 255}}; break;
    case 1: dc_.brush = {false, {192, 192, 192}}; break;
    case 2: dc_.brush = {false, {128, 128, 128}}; break;
    case 3: dc_.brush = {false, {64, 64, 64}}; break;
    case 4: dc_.brush = {false, {0, 0, 0}}; break;
    case 5: dc_.brush = {true, {}}; break;
    case 6: dc_.pen = {LineStyle::kSolid, {255, 255, 255}, 0}; break;
    case 7: dc_.pen = {LineStyle::kSolid, {0, 0, 0}, 0}; break;
    case 8: dc_.pen = {LineStyle::kNone, {}, 0}; break;
    case 10: case 11: case 12: case 13: case 14: case 16: case 17: dc_.font = GdiFont{}; break;
    default: break;
  }
}

void GdiPlayer::DeleteObject(int index) {
  if (index >= 0 && index < static_cast<int>(objects_.size())) objects_[static_cast<size_t>(index)] = GdiObject{};
}

void GdiPlayer::SetWindowExt(Point p) {
  if (p.x != 0 && p.y != 0 && Finite(p)) {
    dc_.win_ext = p;
    dc_.win_ext_set = true;
  }
}

bool GdiPlayer::FirstDrawWindow(Rect* window) const {
  const bool set = drawn_ ? first_window_set_ : dc_.win_ext_set;
  if (!set) return false;
  *window = drawn_ ? first_window_ : Rect{dc_.win_org.x, dc_.win_org.y, dc_.win_ext.x, dc_.win_ext.y};
  return true;
}

void GdiPlayer::SetViewportExt(Point p) {
  if (p.x != 0 && p.y != 0 && Finite(p)) {
    dc_.vp_ext = p;
    dc_.vp_ext_set = true;
  }
}

void GdiPlayer::ScaleWindowExt(double xn, double xd, double yn, double yd) {
  if (xd != 0 && yd != 0) SetWindowExt({dc_.win_ext.x * xn / xd, dc_.win_ext.y * yn / yd});
}

void GdiPlayer::ScaleViewportExt(double xn, double xd, double yn, double yd) {
  if (xd != 0 && yd != 0) SetViewportExt({dc_.vp_ext.x * xn / xd, dc_.vp_ext.y * yn / yd});
}

void GdiPlayer::ModifyWorldTransform(const Transform& t, int mode) {
  if (mode == 1) dc_.world = Transform{};
  else if (mode == 2) dc_.world = t.Then(dc_.world);
  else if (mode == 3) dc_.world = dc_.world.Then(t);
  else if (mode == 4) dc_.world = t;
}

void GdiPlayer::SaveDc() {
  if (saved_.size() < kMaxSavedStates) saved_.push_back(dc_);
}

void GdiPlayer::RestoreDc(int which) {
  size_t keep;
  if (which < 0) {
    const size_t back = static_cast<size_t>(-static_cast<int64_t>(which));
    if (back > saved_.size()) return;
    keep = saved_.size() - back;
  } else if (which > 0) {
    if (static_cast<size_t>(which) > saved_.size()) return;
    keep = static_cast<size_t>(which) - 1;
  } else {
    return;
  }
  dc_ = saved_[keep];
  saved_.resize(keep);
}

Transform GdiPlayer::Current() const {
  double sx = 1, sy = 1;
  if (dc_.map_mode == kMmIsotropic || dc_.map_mode == kMmAnisotropic) {
    // A viewport the file never sized follows the window, so the window's
    // units are the page's.
    const Point ve = dc_.vp_ext_set ? dc_.vp_ext : dc_.win_ext;
    sx = ve.x / dc_.win_ext.x;
    sy = ve.y / dc_.win_ext.y;
    if (dc_.map_mode == kMmIsotropic) {
      const double s = std::min(std::fabs(sx), std::fabs(sy));
      sx = std::copysign(s, sx);
      sy = std::copysign(s, sy);
    }
  } else if (dc_.map_mode != kMmText) {
    sx = FixedModeScale(dc_.map_mode);
    sy = -sx;
  }
  if (!std::isfinite(sx) || !std::isfinite(sy)) sx = sy = 1;
  const Transform window{sx, 0, 0, sy, dc_.vp_org.x - dc_.win_org.x * sx, dc_.vp_org.y - dc_.win_org.y * sy};
  return dc_.world.Then(window);
}

void GdiPlayer::NoteDraw() {
  if (!drawn_) {
    drawn_ = true;
    first_map_ = Current();
    first_window_set_ = dc_.win_ext_set;
    first_window_ = {dc_.win_org.x, dc_.win_org.y, dc_.win_ext.x, dc_.win_ext.y};
  }
}

Pen GdiPlayer::DevicePen() const {
  const Transform t = Current();
  Pen p;
  p.style = dc_.pen.style;
  p.color = dc_.pen.color;
  p.width = dc_.pen.width * std::hypot(t.m11, t.m12);
  if (!std::isfinite(p.width)) p.width = 0;
  return p;
}

Brush GdiPlayer::DeviceBrush() const {
  Brush b;
  b.none = dc_.brush.none;
  b.color = dc_.brush.color;
  return b;
}

Path GdiPlayer::MapPath(const Path& logical) const { return vector::MapPath(logical, Current()); }

Result GdiPlayer::Emit(Path device_path, bool fill, bool stroke) {
  NoteDraw();
  if (in_path_) {
    path_.Append(device_path);
    have_path_ = true;
    return Result::Ok();
  }
  Shape s;
  s.path = std::move(device_path);
  s.pen = DevicePen();
  if (!stroke) s.pen.style = LineStyle::kNone;
  s.brush = DeviceBrush();
  if (!fill) s.brush.none = true;
  s.rule = dc_.fill;
  if (s.pen.style == LineStyle::kNone && s.brush.none) return Result::Ok();
  return out_->AddShape(std::move(s), Transform{}, dc_.clip);
}

Result GdiPlayer::LineTo(Point p) {
  const Transform t = Current();
  NoteDraw();
  if (in_path_) {
    if (!path_.HasCurrentPoint()) path_.MoveTo(t.Map(dc_.cur));
    path_.LineTo(t.Map(p));
    have_path_ = true;
    dc_.cur = p;
    return Result::Ok();
  }
  Path path;
  path.MoveTo(t.Map(dc_.cur));
  path.LineTo(t.Map(p));
  dc_.cur = p;
  return Emit(std::move(path), false, true);
}

Result GdiPlayer::Polyline(const std::vector<Point>& pts, bool from_current) {
  if (pts.empty()) return Result::Ok();
  if (from_current) {
    for (const Point& p : pts)
      if (Result r = in_path_ ? LineTo(p) : Result::Ok(); !r.ok()) return r;
    if (in_path_) return Result::Ok();
    std::vector<Point> all;
    all.reserve(pts.size() + 1);
    all.push_back(dc_.cur);
    all.insert(all.end(), pts.begin(), pts.end());
    dc_.cur = pts.back();
    return Emit(MapPath([&] { Path p; p.AddPolygon(all, false); return p; }()), false, true);
  }
  if (pts.size() < 2) return Result::Ok();
  Path p;
  p.AddPolygon(pts, false);
  return Emit(MapPath(p), false, true);
}

Result GdiPlayer::Polygon(const std::vector<Point>& pts) {
  if (pts.size() < 2) return Result::Ok();
  Path p;
  p.AddPolygon(pts, true);
  return Emit(MapPath(p), true, true);
}

Result GdiPlayer::PolyPolygon(const std::vector<std::vector<Point>>& polys) {
  Path p;
  for (const auto& poly : polys)
    if (poly.size() >= 2) p.AddPolygon(poly, true);
  if (p.empty()) return Result::Ok();
  return Emit(MapPath(p), true, true);
}

Result GdiPlayer::PolyPolyline(const std::vector<std::vector<Point>>& lines) {
  Path p;
  for (const auto& line : lines)
    if (line.size() >= 2) p.AddPolygon(line, false);
  if (p.empty()) return Result::Ok();
  return Emit(MapPath(p), false, true);
}

Result GdiPlayer::PolyBezier(const std::vector<Point>& pts, bool from_current) {
  Path p;
  size_t i = 0;
  if (from_current) {
    p.MoveTo(dc_.cur);
  } else {
    if (pts.empty()) return Result::Ok();
    p.MoveTo(pts[0]);
    i = 1;
  }
  for (; i + 3 <= pts.size(); i += 3) p.CubicTo(pts[i], pts[i + 1], pts[i + 2]);
  if (from_current && i >= 3) dc_.cur = pts[i - 1];
  if (in_path_) {
    // Continue the figure: drop the leading move when the path has a point.
    const Path mapped = MapPath(p);
    NoteDraw();
    if (!path_.HasCurrentPoint() || !from_current) {
      path_.Append(mapped);
    } else {
      const auto& ops = mapped.ops();
      const auto& q = mapped.points();
      for (size_t k = 1, pi = 1; k < ops.size(); ++k, pi += 3) path_.CubicTo(q[pi], q[pi + 1], q[pi + 2]);
    }
    have_path_ = true;
    return Result::Ok();
  }
  return Emit(MapPath(p), false, true);
}

Result GdiPlayer::Rectangle(const Rect& r) {
  Path p;
  p.AddRect(r);
  return Emit(MapPath(p), true, true);
}

Result GdiPlayer::RoundRect(const Rect& r, double cw, double ch) {
  cw = std::min(std::fabs(cw), r.width);
  ch = std::min(std::fabs(ch), r.height);
  if (cw <= 0 || ch <= 0) return Rectangle(r);
  Path p;
  const double x0 = r.x, y0 = r.y, x1 = r.x + r.width, y1 = r.y + r.height;
  // Corners as quarter arcs, in y-down order: top-right, bottom-right, ...
  p.AddArc({x1 - cw, y0, cw, ch}, -90, 90, false);
  p.AddArc({x1 - cw, y1 - ch, cw, ch}, 0, 90, true);
  p.AddArc({x0, y1 - ch, cw, ch}, 90, 90, true);
  p.AddArc({x0, y0, cw, ch}, 180, 90, true);
  p.Close();
  return Emit(MapPath(p), true, true);
}

Result GdiPlayer::Ellipse(const Rect& r) {
  Path p;
  p.AddEllipse(r);
  return Emit(MapPath(p), true, true);
}

Result GdiPlayer::ArcFigure(ArcKind kind, const Rect& box, Point start, Point end) {
  const Transform t = Current();
  const Rect dbox = DeviceBox(t, box);
  const Point ds = t.Map(start), de = t.Map(end);
  const double a0 = VisualAngle(dbox, ds), a1 = VisualAngle(dbox, de);
  double sweep;
  if (dc_.clockwise) {
    sweep = a0 - a1;
    while (sweep <= 0) sweep += 360;
    sweep = -sweep;
  } else {
    sweep = a1 - a0;
    while (sweep <= 0) sweep += 360;
  }
  if (!std::isfinite(sweep)) return Result::Ok();
  // The path's angles run with the device's y axis (downwards), so the
  // visual counter-clockwise sweep is negative there.
  Path p;
  const bool connect = kind == ArcKind::kArcTo;
  if (kind == ArcKind::kPie) p.MoveTo({dbox.x + dbox.width / 2, dbox.y + dbox.height / 2});
  if (connect) p.MoveTo(t.Map(dc_.cur));
  p.AddArc(dbox, -a0, -sweep, kind == ArcKind::kPie || connect);
  if (kind == ArcKind::kChord || kind == ArcKind::kPie) p.Close();
  if (connect) dc_.cur = end;
  const bool closed = kind == ArcKind::kChord || kind == ArcKind::kPie;
  if (in_path_ && connect && path_.HasCurrentPoint()) {
    NoteDraw();
    const auto& ops = p.ops();
    const auto& q = p.points();
    size_t pi = 1;
    for (size_t k = 1; k < ops.size(); ++k) {
      if (ops[k] == Path::Op::kLine) { path_.LineTo(q[pi]); pi += 1; }
      else if (ops[k] == Path::Op::kCubic) { path_.CubicTo(q[pi], q[pi + 1], q[pi + 2]); pi += 3; }
    }
    have_path_ = true;
    return Result::Ok();
  }
  return Emit(std::move(p), closed, true);
}

Result GdiPlayer::AngleArc(Point center, double radius, double start_deg, double sweep_deg) {
  const double s = start_deg * kPi / 180, e = (start_deg + sweep_deg) * kPi / 180;
  const Rect box{center.x - radius, center.y - radius, 2 * radius, 2 * radius};
  // Logical y grows downwards in the plain mapping, so visual angles point up.
  const Point a{center.x + radius * std::cos(s), center.y - radius * std::sin(s)};
  const Point b{center.x + radius * std::cos(e), center.y - radius * std::sin(e)};
  const bool cw = dc_.clockwise;
  dc_.clockwise = sweep_deg < 0;
  Result r = Result::Ok();
  if (std::fabs(sweep_deg) >= 360) {
    r = LineTo(a);
    if (r.ok()) r = Ellipse(box);
    dc_.cur = a;
  } else {
    r = ArcFigure(ArcKind::kArcTo, box, a, b);
    dc_.cur = b;
  }
  dc_.clockwise = cw;
  return r;
}

Result GdiPlayer::TextOut(Point p, const std::string& utf8, uint32_t options, const Rect* rect, double dx_total) {
  const Transform t = Current();
  NoteDraw();
  if (options & kEtoOpaque && rect != nullptr) {
    if (Result r = PaintRect(DeviceBox(t, *rect), dc_.bk_color); !r.ok()) return r;
  }
  if (in_path_ || utf8.empty()) return Result::Ok();
  const bool update_cp = (dc_.text_align & kTaUpdateCp) != 0;
  const Point at = update_cp ? dc_.cur : p;
  const double yscale = std::hypot(t.m21, t.m22), xscale = std::hypot(t.m11, t.m12);
  double em = dc_.font.height < 0 ? -dc_.font.height : dc_.font.height * 0.86;
  if (em == 0) em = 16 / (yscale > 0 ? yscale : 1);
  Text text;
  text.utf8 = utf8;
  text.origin = t.Map(at);
  text.height = em * yscale;
  text.angle = dc_.font.escapement / 10.0;
  text.color = dc_.text_color;
  text.face = dc_.font.face;
  text.bold = dc_.font.weight >= 600;
  text.italic = dc_.font.italic;
  text.underline = dc_.font.underline;
  if (dc_.font.width > 0 && em > 0) text.width_factor = std::clamp(dc_.font.width / (em * 0.5), 0.1, 10.0);
  text.fit_width = dx_total > 0 ? dx_total * xscale : 0;
  const uint32_t h = dc_.text_align & 6, v = dc_.text_align & 24;
  text.halign = h == 6 ? HAlign::kCenter : (h == 2 ? HAlign::kRight : HAlign::kLeft);
  text.valign = v == 24 ? VAlign::kBaseline : (v == 8 ? VAlign::kBottom : VAlign::kTop);
  text.opaque = dc_.bk_mode == 2 && !(options & kEtoOpaque);
  text.background = dc_.bk_color;
  if (!std::isfinite(text.origin.x) || !std::isfinite(text.origin.y) || !std::isfinite(text.height))
    return Result::Ok();
  int clip = dc_.clip;
  if (options & kEtoClipped && rect != nullptr) {
    Path box;
    box.AddRect(DeviceBox(t, *rect));
    Clip c{std::move(box), FillRule::kWinding, dc_.clip, ClipCombine::kIntersect};
    if (Result r = out_->AddClip(std::move(c), &clip); !r.ok()) return r;
  }
  if (update_cp) {
    size_t chars = 0;
    for (unsigned char c : utf8) chars += (c & 0xC0) != 0x80;
    dc_.cur.x += dx_total > 0 ? dx_total : em * 0.6 * static_cast<double>(chars);
  }
  return out_->AddText(std::move(text), Transform{}, clip);
}

Result GdiPlayer::DrawImage(Image image, const Rect& dest) {
  NoteDraw();
  if (in_path_ || image.empty()) return Result::Ok();
  Raster raster;
  raster.image = std::move(image);
  raster.target = dest;
  return out_->AddRaster(std::move(raster), Current(), dc_.clip);
}

Result GdiPlayer::FillPath(const Path& logical, const GdiBrush& brush) {
  const GdiBrush kept = dc_.brush;
  dc_.brush = brush;
  Result r = Emit(MapPath(logical), true, false);
  dc_.brush = kept;
  return r;
}

Result GdiPlayer::FramePath(const Path& logical, const GdiBrush& brush, double w, double h) {
  const GdiPen kept = dc_.pen;
  dc_.pen = {brush.none ? LineStyle::kNone : LineStyle::kSolid, brush.color, std::max(std::fabs(w), std::fabs(h))};
  Result r = Emit(MapPath(logical), false, true);
  dc_.pen = kept;
  return r;
}

Result GdiPlayer::PaintRect(const Rect& device_rect, Color c) {
  NoteDraw();
  if (in_path_) return Result::Ok();
  Shape s;
  s.path.AddRect(device_rect);
  s.pen.style = LineStyle::kNone;
  s.brush = {false, c};
  return out_->AddShape(std::move(s), Transform{}, dc_.clip);
}

void GdiPlayer::BeginPath() {
  in_path_ = true;
  have_path_ = false;
  path_.Clear();
}

Result GdiPlayer::StrokePath(bool fill, bool stroke) {
  in_path_ = false;
  if (!have_path_ || path_.empty()) return Result::Ok();
  Path p = std::move(path_);
  path_.Clear();
  have_path_ = false;
  if (fill) {
    Path closed;
    // Filling closes every open figure.
    closed.Append(p);
    p = std::move(closed);
  }
  return Emit(std::move(p), fill, stroke);
}

Result GdiPlayer::AddClip(Path device_path, ClipCombine combine, FillRule rule) {
  Clip c{std::move(device_path), rule, combine == ClipCombine::kReplace ? -1 : dc_.clip, combine};
  int index = -1;
  if (Result r = out_->AddClip(std::move(c), &index); !r.ok()) return r;
  dc_.clip = index;
  return Result::Ok();
}

Result GdiPlayer::SelectClipPath(int mode) {
  in_path_ = false;
  if (!have_path_) return Result::Ok();
  Path p = std::move(path_);
  path_.Clear();
  have_path_ = false;
  return SelectClipRegion(&p, mode);
}

Result GdiPlayer::IntersectClipRect(const Rect& r) {
  Path p;
  p.AddRect(DeviceBox(Current(), r));
  return AddClip(std::move(p), ClipCombine::kIntersect, FillRule::kWinding);
}

Result GdiPlayer::ExcludeClipRect(const Rect& r) {
  Path p;
  p.AddRect(DeviceBox(Current(), r));
  return AddClip(std::move(p), ClipCombine::kExclude, FillRule::kWinding);
}

Result GdiPlayer::SelectClipRegion(const Path* device_path, int mode) {
  if (device_path == nullptr) {
    if (mode == 5) dc_.clip = -1;
    return Result::Ok();
  }
  ClipCombine c;
  switch (mode) {
    case 1: c = ClipCombine::kIntersect; break;
    case 2: c = ClipCombine::kUnion; break;
    case 3: c = ClipCombine::kXor; break;
    case 4: c = ClipCombine::kExclude; break;
    default: c = ClipCombine::kReplace; break;
  }
  return AddClip(*device_path, c, FillRule::kWinding);
}

}  // namespace imaging::vector::internal

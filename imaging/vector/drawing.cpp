// The vector picture model: paths, items and the bounds on their size.
#include "imaging/vector/drawing.h"

#include <algorithm>
#include <cmath>

namespace imaging::vector {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

Transform Transform::Then(const Transform& n) const {
  Transform t;
  t.m11 = m11 * n.m11 + m12 * n.m21;
  t.m12 = m11 * n.m12 + m12 * n.m22;
  t.m21 = m21 * n.m11 + m22 * n.m21;
  t.m22 = m21 * n.m12 + m22 * n.m22;
  t.dx = dx * n.m11 + dy * n.m21 + n.dx;
  t.dy = dx * n.m12 + dy * n.m22 + n.dy;
  return t;
}

Transform Transform::Rotate(double degrees) {
  const double r = degrees * kPi / 180.0;
  const double c = std::cos(r), s = std::sin(r);
  return {c, s, -s, c, 0, 0};
}

double Transform::LengthScale() const { return std::sqrt(std::fabs(m11 * m22 - m12 * m21)); }

void Path::MoveTo(Point p) {
  start_ = points_.size();
  ops_.push_back(Op::kMove);
  points_.push_back(p);
}

void Path::LineTo(Point p) {
  if (!HasCurrentPoint()) {
    MoveTo(p);
    return;
  }
  ops_.push_back(Op::kLine);
  points_.push_back(p);
}

void Path::CubicTo(Point c1, Point c2, Point end) {
  if (!HasCurrentPoint()) MoveTo(c1);
  ops_.push_back(Op::kCubic);
  points_.push_back(c1);
  points_.push_back(c2);
  points_.push_back(end);
}

void Path::Close() {
  if (!HasCurrentPoint()) return;
  // A close carries the sub-path's first point, which is the current point
  // afterwards.
  const Point first = start_ < points_.size() ? points_[start_] : Point{};
  ops_.push_back(Op::kClose);
  points_.push_back(first);
}

void Path::AddArc(const Rect& box, double start_deg, double sweep_deg, bool connect) {
  const double rx = box.width / 2, ry = box.height / 2;
  const double cx = box.x + rx, cy = box.y + ry;
  if (!std::isfinite(start_deg) || !std::isfinite(sweep_deg)) return;
  sweep_deg = std::clamp(sweep_deg, -360.0, 360.0);
  auto at = [&](double t) { return Point{cx + rx * std::cos(t), cy + ry * std::sin(t)}; };
  double t0 = start_deg * kPi / 180.0;
  const double sweep = sweep_deg * kPi / 180.0;
  const Point first = at(t0);
  if (connect && HasCurrentPoint()) {
    LineTo(first);
  } else {
    MoveTo(first);
  }
  const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9)));
  const double d = sweep / pieces;
  const double k = 4.0 / 3.0 * std::tan(d / 4);
  for (int i = 0; i < pieces; ++i) {
    const double a = t0, b = t0 + d;
    const Point p0 = at(a), p3 = at(b);
    const Point c1{p0.x - k * rx * std::sin(a), p0.y + k * ry * std::cos(a)};
    const Point c2{p3.x + k * rx * std::sin(b), p3.y - k * ry * std::cos(b)};
    ops_.push_back(Op::kCubic);
    points_.push_back(c1);
    points_.push_back(c2);
    points_.push_back(p3);
    t0 = b;
  }
}

void Path::AddEllipse(const Rect& box) {
  AddArc(box, 0, 360, false);
  Close();
}

void Path::AddRect(const Rect& r) {
  MoveTo({r.x, r.y});
  LineTo({r.x + r.width, r.y});
  LineTo({r.x + r.width, r.y + r.height});
  LineTo({r.x, r.y + r.height});
  Close();
}

void Path::AddPolygon(const std::vector<Point>& points, bool close) {
  if (points.empty()) return;
  MoveTo(points[0]);
  for (size_t i = 1; i < points.size(); ++i) LineTo(points[i]);
  if (close) Close();
}

void Path::Append(const Path& other) {
  if (!other.empty()) start_ = points_.size() + other.start_;
  ops_.insert(ops_.end(), other.ops_.begin(), other.ops_.end());
  points_.insert(points_.end(), other.points_.begin(), other.points_.end());
}

void Drawing::SetPage(const Rect& page, int natural_width, int natural_height) {
  page_ = page;
  if (!(page_.width > 0) || !std::isfinite(page_.width)) page_.width = 1;
  if (!(page_.height > 0) || !std::isfinite(page_.height)) page_.height = 1;
  natural_width_ = std::clamp(natural_width, 1, kMaxDimension);
  natural_height_ = std::clamp(natural_height, 1, kMaxDimension);
}

Result Drawing::Count(size_t points, size_t text_bytes, uint64_t raster_bytes) {
  if (items_.size() >= kMaxItems) return Result(Status::kMemory, "too many drawing items");
  if (points > kMaxPoints - points_) return Result(Status::kMemory, "too many path points");
  if (text_bytes > kMaxTextBytes - text_bytes_) return Result(Status::kMemory, "too much text");
  if (raster_bytes > kMaxRasterBytes - raster_bytes_) return Result(Status::kMemory, "embedded pictures too large");
  points_ += points;
  text_bytes_ += text_bytes;
  raster_bytes_ += raster_bytes;
  return Result::Ok();
}

Result Drawing::AddShape(Shape shape, const Transform& transform, int clip) {
  if (shape.path.empty()) return Result::Ok();
  if (Result r = Count(shape.path.points().size(), 0, 0); !r.ok()) return r;
  items_.push_back(Item{std::move(shape), transform, clip});
  return Result::Ok();
}

Result Drawing::AddText(Text text, const Transform& transform, int clip) {
  if (text.utf8.empty()) return Result::Ok();
  if (Result r = Count(1, text.utf8.size(), 0); !r.ok()) return r;
  items_.push_back(Item{std::move(text), transform, clip});
  return Result::Ok();
}

Result Drawing::AddRaster(Raster raster, const Transform& transform, int clip) {
  if (raster.image.empty()) return Result::Ok();
  if (Result r = Count(4, 0, raster.image.data_size()); !r.ok()) return r;
  items_.push_back(Item{std::move(raster), transform, clip});
  return Result::Ok();
}

Result Drawing::AddClip(Clip clip, int* index) {
  if (clips_.size() >= kMaxItems) return Result(Status::kMemory, "too many clip areas");
  if (Result r = Count(clip.path.points().size(), 0, 0); !r.ok()) return r;
  clips_.push_back(std::move(clip));
  *index = static_cast<int>(clips_.size() - 1);
  return Result::Ok();
}

bool Drawing::Bounds(Rect* out) const {
  double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  auto add = [&](Point p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    x0 = std::min(x0, p.x);
    y0 = std::min(y0, p.y);
    x1 = std::max(x1, p.x);
    y1 = std::max(y1, p.y);
  };
  for (const Item& item : items_) {
    if (const auto* s = std::get_if<Shape>(&item.content)) {
      for (const Point& p : s->path.points()) add(item.transform.Map(p));
    } else if (const auto* t = std::get_if<Text>(&item.content)) {
      add(item.transform.Map(t->origin));
      // A rough box for the run: its height above and an em per 2 bytes.
      const double w = t->height * t->width_factor * static_cast<double>(t->utf8.size()) / 2;
      add(item.transform.Map({t->origin.x + w, t->origin.y + t->height}));
    } else if (const auto* r = std::get_if<Raster>(&item.content)) {
      add(item.transform.Map({r->target.x, r->target.y}));
      add(item.transform.Map({r->target.x + r->target.width, r->target.y + r->target.height}));
    }
  }
  if (!(x0 <= x1 && y0 <= y1)) return false;
  *out = {x0, y0, x1 - x0, y1 - y0};
  return true;
}

Path MapPath(const Path& path, const Transform& t) {
  Path out;
  const auto& pts = path.points();
  size_t pi = 0;
  for (Path::Op op : path.ops()) {
    switch (op) {
      case Path::Op::kMove: out.MoveTo(t.Map(pts[pi])); pi += 1; break;
      case Path::Op::kLine: out.LineTo(t.Map(pts[pi])); pi += 1; break;
      case Path::Op::kCubic: out.CubicTo(t.Map(pts[pi]), t.Map(pts[pi + 1]), t.Map(pts[pi + 2])); pi += 3; break;
      case Path::Op::kClose: out.Close(); pi += 1; break;
    }
  }
  return out;
}

void NaturalSizeOf(double width, double height, double units_per_inch, int* out_w, int* out_h) {
  double w = std::fabs(width) * 96.0 / (units_per_inch > 0 ? units_per_inch : 96.0);
  double h = std::fabs(height) * 96.0 / (units_per_inch > 0 ? units_per_inch : 96.0);
  if (!std::isfinite(w) || !std::isfinite(h)) w = h = 1;
  const double longer = std::max(w, h);
  if (longer > kMaxNaturalSide) {
    w = w * kMaxNaturalSide / longer;
    h = h * kMaxNaturalSide / longer;
  }
  *out_w = std::max(1, static_cast<int>(std::lround(w)));
  *out_h = std::max(1, static_cast<int>(std::lround(h)));
}

}  // namespace imaging::vector

// ASCII DXF entities into the drawing: lines, polylines with bulges,
// circles, arcs, ellipses, splines, solids, solid hatches, text and block
// insertions (nested at most kMaxNesting deep, with a budget on the
// entities they expand to).
#include <algorithm>
#include <cmath>
#include <string>

#include "imaging/vector/internal/dxf_document.h"
#include "imaging/vector/internal/text_decode.h"
#include "imaging/vector/readers.h"

namespace imaging::vector {
namespace {

using internal::DxfDocument;
using internal::DxfEntity;
using internal::DxfGroup;
using internal::DxfNumber;

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxNesting = 16;
constexpr size_t kMaxExpanded = 1'000'000;
constexpr int kMaxSplinePoints = 100'000;
constexpr int kMaxArray = 10'000;

// The groups of one entity, with typed look-ups.
class Groups {
 public:
  Groups(const DxfDocument& doc, const DxfEntity& e) : g_(doc.groups()), first_(e.first), last_(e.last) {}
  double Num(int code, double fallback = 0) const {
    double v = fallback;
    for (size_t i = first_; i < last_; ++i)
      if (g_[i].code == code) return DxfNumber(g_[i].value, &v) ? v : fallback;
    return fallback;
  }
  int Int(int code, int fallback = 0) const {
    for (size_t i = first_; i < last_; ++i)
      if (g_[i].code == code) return internal::DxfInt(g_[i].value, fallback);
    return fallback;
  }
  std::string_view Str(int code) const {
    for (size_t i = first_; i < last_; ++i)
      if (g_[i].code == code) return g_[i].value;
    return {};
  }
  bool Has(int code) const {
    for (size_t i = first_; i < last_; ++i)
      if (g_[i].code == code) return true;
    return false;
  }
  Point Pt(int xcode) const { return {Num(xcode), Num(xcode + 10)}; }
  size_t first() const { return first_; }
  size_t last() const { return last_; }
  const DxfGroup& at(size_t i) const { return g_[i]; }

 private:
  const std::vector<DxfGroup>& g_;
  size_t first_, last_;
};

// Bulge vertices of a polyline into a path (arcs for non-zero bulges).
struct Vertex {
  Point p;
  double bulge = 0;
};

void AddBulgeSegment(Path* path, Point a, Point b, double bulge) {
  if (bulge == 0 || !std::isfinite(bulge)) {
    path->LineTo(b);
    return;
  }
  const double theta = 4 * std::atan(bulge);  // included angle, + counter-clockwise
  const double chord = std::hypot(b.x - a.x, b.y - a.y);
  if (chord == 0) return;
  const double radius = chord / (2 * std::sin(std::fabs(theta) / 2));
  const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
  const double d = radius * std::cos(theta / 2);  // centre distance from the chord middle
  const double nx = -(b.y - a.y) / chord, ny = (b.x - a.x) / chord;
  // The centre lies left of a->b for a counter-clockwise bulge (right for a
  // clockwise one); past 180 degrees the cosine turns it to the far side.
  const double s = theta > 0 ? 1 : -1;
  const Point centre{mid.x + s * nx * d, mid.y + s * ny * d};
  const double start = std::atan2(a.y - centre.y, a.x - centre.x) * 180 / kPi;
  path->AddArc({centre.x - radius, centre.y - radius, 2 * radius, 2 * radius}, start, theta * 180 / kPi, true);
}

Path BulgePath(const std::vector<Vertex>& v, bool closed) {
  Path path;
  if (v.empty()) return path;
  path.MoveTo(v[0].p);
  for (size_t i = 1; i < v.size(); ++i) AddBulgeSegment(&path, v[i - 1].p, v[i].p, v[i - 1].bulge);
  if (closed && v.size() > 1) {
    AddBulgeSegment(&path, v.back().p, v[0].p, v.back().bulge);
    path.Close();
  }
  return path;
}

// A B-spline of `degree` through de Boor's algorithm, sampled evenly in
// its knot range.
std::vector<Point> SampleSpline(int degree, const std::vector<double>& knots, const std::vector<Point>& ctrl,
                                const std::vector<double>& weights) {
  std::vector<Point> out;
  const int n = static_cast<int>(ctrl.size());
  if (degree < 1 || degree > 10 || n <= degree || static_cast<int>(knots.size()) != n + degree + 1) return ctrl;
  const bool rational = static_cast<int>(weights.size()) == n;
  const double t0 = knots[static_cast<size_t>(degree)], t1 = knots[static_cast<size_t>(n)];
  if (!(t1 > t0)) return ctrl;
  const int samples = std::min(kMaxSplinePoints, std::max(16, n * 8));
  std::vector<double> wx(static_cast<size_t>(degree) + 1), wy(wx.size()), ww(wx.size());
  for (int s = 0; s <= samples; ++s) {
    const double t = t0 + (t1 - t0) * s / samples;
    int k = degree;
    while (k < n - 1 && knots[static_cast<size_t>(k) + 1] <= t) ++k;
    for (int j = 0; j <= degree; ++j) {
      const size_t i = static_cast<size_t>(j + k - degree);
      const double w = rational ? weights[i] : 1;
      wx[static_cast<size_t>(j)] = ctrl[i].x * w;
      wy[static_cast<size_t>(j)] = ctrl[i].y * w;
      ww[static_cast<size_t>(j)] = w;
    }
    for (int r = 1; r <= degree; ++r) {
      for (int j = degree; j >= r; --j) {
        const size_t i = static_cast<size_t>(j + k - degree);
        const double den = knots[i + static_cast<size_t>(degree) + 1 - static_cast<size_t>(r)] - knots[i];
        const double a = den != 0 ? (t - knots[i]) / den : 0;
        const size_t jj = static_cast<size_t>(j);
        wx[jj] = (1 - a) * wx[jj - 1] + a * wx[jj];
        wy[jj] = (1 - a) * wy[jj - 1] + a * wy[jj];
        ww[jj] = (1 - a) * ww[jj - 1] + a * ww[jj];
      }
    }
    const size_t d = static_cast<size_t>(degree);
    const double w = ww[d] != 0 ? ww[d] : 1;
    out.push_back({wx[d] / w, wy[d] / w});
  }
  return out;
}

// Text codes of DXF: %%d, %%p, %%c, \U+XXXX and MTEXT formatting.
void AppendCodePoint(std::string* out, uint32_t c) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string CleanText(const std::string& in, bool mtext) {
  std::string out;
  for (size_t i = 0; i < in.size(); ++i) {
    const char c = in[i];
    if (c == '%' && i + 2 < in.size() && in[i + 1] == '%') {
      const char k = static_cast<char>(in[i + 2] | 0x20);
      if (k == 'd') { AppendCodePoint(&out, 0xB0); i += 2; continue; }
      if (k == 'p') { AppendCodePoint(&out, 0xB1); i += 2; continue; }
      if (k == 'c') { AppendCodePoint(&out, 0x2300); i += 2; continue; }
      if (k == 'u' || k == 'o' || k == 'k') { i += 2; continue; }
    }
    if (c == '\\' && i + 1 < in.size()) {
      const char k = in[i + 1];
      if ((k == 'U' || k == 'u') && i + 6 < in.size() + 0 && in[i + 2] == '+') {
        uint32_t cp = 0;
        bool ok = i + 6 < in.size() + 1;
        for (size_t h = 0; ok && h < 4; ++h) {
          const char d = i + 3 + h < in.size() ? in[i + 3 + h] : 'x';
          cp <<= 4;
          if (d >= '0' && d <= '9') cp |= static_cast<uint32_t>(d - '0');
          else if (d >= 'a' && d <= 'f') cp |= static_cast<uint32_t>(d - 'a' + 10);
          else if (d >= 'A' && d <= 'F') cp |= static_cast<uint32_t>(d - 'A' + 10);
          else ok = false;
        }
        if (ok) {
          AppendCodePoint(&out, cp);
          i += 6;
          continue;
        }
      }
      if (mtext) {
        if (k == 'P') { out.push_back('\n'); ++i; continue; }
        if (k == '~') { out.push_back(' '); ++i; continue; }
        if (k == '\\' || k == '{' || k == '}') { out.push_back(k); ++i; continue; }
        if (k == 'L' || k == 'l' || k == 'O' || k == 'o' || k == 'K' || k == 'k') { ++i; continue; }
        // \f..; \H..; \C..; \S a^b; and the like: drop up to the ';'.
        const size_t semi = in.find(';', i);
        if (semi != std::string::npos) {
          if (k == 'S') {
            for (size_t q = i + 2; q < semi; ++q) out.push_back(in[q] == '^' || in[q] == '#' ? '/' : in[q]);
          }
          i = semi;
          continue;
        }
      }
    }
    if (mtext && (c == '{' || c == '}')) continue;
    out.push_back(c);
  }
  return out;
}

class DxfPainter {
 public:
  DxfPainter(const DxfDocument& doc, Drawing* out) : doc_(doc), out_(out) {}

  Result Entities(const std::vector<DxfEntity>& list, const Transform& t, Color by_block, int depth);

 private:
  Result Entity(const std::vector<DxfEntity>& list, size_t* index, const Transform& t, Color by_block, int depth);
  bool Style(const Groups& g, Color by_block, Color* color) const;
  Result Stroke(const Path& path, const Transform& t, Color c, double width = 0);
  Result Fill(const Path& path, const Transform& t, Color c);
  Result AddText(const Groups& g, const Transform& t, Color c, bool mtext);
  Result Hatch(const Groups& g, const Transform& t, Color c);
  std::string Decode(std::string_view s) const {
    if (doc_.code_page() == "UTF-8") return std::string(s);
    return internal::DecodeCodePage(reinterpret_cast<const uint8_t*>(s.data()), s.size(), doc_.code_page().c_str());
  }

  const DxfDocument& doc_;
  Drawing* out_;
  size_t expanded_ = 0;
};

bool DxfPainter::Style(const Groups& g, Color by_block, Color* color) const {
  if (g.Int(60, 0) == 1 || g.Int(67, 0) == 1) return false;  // invisible, or paper space
  const internal::DxfLayer* layer = doc_.Layer(g.Str(8).empty() ? std::string_view("0") : g.Str(8));
  if (layer != nullptr && layer->hidden) return false;
  const int aci = g.Int(62, 256);
  if (g.Has(420)) {
    const int rgb = g.Int(420, 0);
    *color = {static_cast<uint8_t>((rgb >> 16) & 255), static_cast<uint8_t>((rgb >> 8) & 255),
              static_cast<uint8_t>(rgb & 255), 255};
  } else if (aci == 0) {
    *color = by_block;
  } else if (aci == 256 || aci < 0) {
    *color = layer != nullptr ? layer->color : Color{0, 0, 0, 255};
  } else {
    *color = internal::AciColor(aci);
  }
  return true;
}

Result DxfPainter::Stroke(const Path& path, const Transform& t, Color c, double width) {
  Shape s;
  s.path = MapPath(path, t);
  s.pen.color = c;
  s.pen.width = width * t.LengthScale();
  return out_->AddShape(std::move(s));
}

Result DxfPainter::Fill(const Path& path, const Transform& t, Color c) {
  Shape s;
  s.path = MapPath(path, t);
  s.pen.style = LineStyle::kNone;
  s.brush = {false, c};
  s.rule = FillRule::kEvenOdd;
  return out_->AddShape(std::move(s));
}

Result DxfPainter::AddText(const Groups& g, const Transform& t, Color c, bool mtext) {
  std::string raw;
  for (size_t i = g.first(); i < g.last(); ++i) {
    const DxfGroup& grp = g.at(i);
    if (grp.code == 3 && mtext) raw += Decode(grp.value);
  }
  raw += Decode(g.Str(1));
  Text text;
  text.utf8 = CleanText(raw, mtext);
  text.color = c;
  const double height = g.Num(40, 1);
  double angle = g.Num(50, 0);
  Point at = g.Pt(10);
  if (mtext) {
    if (g.Has(11)) angle = std::atan2(g.Num(21), g.Num(11)) * 180 / kPi;
    const int attach = std::clamp(g.Int(71, 1), 1, 9);
    text.halign = (attach - 1) % 3 == 0 ? HAlign::kLeft : ((attach - 1) % 3 == 1 ? HAlign::kCenter : HAlign::kRight);
    text.valign = attach <= 3 ? VAlign::kTop : (attach <= 6 ? VAlign::kMiddle : VAlign::kBottom);
  } else {
    const int h = g.Int(72, 0), v = g.Int(73, 0);
    if ((h != 0 || v != 0) && g.Has(11)) at = g.Pt(11);
    text.halign = h == 1 || h == 4 ? HAlign::kCenter : (h == 2 ? HAlign::kRight : HAlign::kLeft);
    text.valign = h == 4 ? VAlign::kMiddle
                         : (v == 1 ? VAlign::kBottom : (v == 2 ? VAlign::kMiddle : (v == 3 ? VAlign::kTop : VAlign::kBaseline)));
    text.width_factor = std::clamp(g.Num(41, 1), 0.05, 20.0);
  }
  // Height and turn of the text after the transform (mirrors keep glyphs
  // readable).
  const Point o = t.Map(at);
  const double rad = angle * kPi / 180;
  const Point dir = t.Map({at.x + std::cos(rad), at.y + std::sin(rad)});
  text.origin = o;
  text.height = height * t.LengthScale();
  // Page coordinates run downwards, so the visual angle has the opposite sign.
  text.angle = -std::atan2(dir.y - o.y, dir.x - o.x) * 180 / kPi;
  text.face = "sans-serif";
  if (!std::isfinite(text.height) || text.height <= 0 || !std::isfinite(text.angle)) return Result::Ok();
  return out_->AddText(std::move(text));
}

Result DxfPainter::Hatch(const Groups& g, const Transform& t, Color c) {
  if (g.Int(70, 0) != 1) return Result::Ok();  // only solid fills are drawn
  Path path;
  size_t i = g.first();
  const size_t end = g.last();
  auto num = [&](size_t k) {
    double v = 0;
    DxfNumber(g.at(k).value, &v);
    return v;
  };
  // Walk the boundary paths in order; each starts with a 92 group.
  while (i < end) {
    if (g.at(i).code != 92) { ++i; continue; }
    const int flags = internal::DxfInt(g.at(i).value, 0);
    ++i;
    if (flags & 2) {  // polyline boundary: 72 has-bulge, 73 closed, 93 count, 10/20[/42]
      std::vector<Vertex> v;
      int count = -1;
      while (i < end && g.at(i).code != 92 && g.at(i).code != 97 && g.at(i).code != 75) {
        const int code = g.at(i).code;
        if (code == 93) count = internal::DxfInt(g.at(i).value, 0);
        else if (code == 10) v.push_back({{num(i), 0}, 0});
        else if (code == 20 && !v.empty()) v.back().p.y = num(i);
        else if (code == 42 && !v.empty()) v.back().bulge = num(i);
        ++i;
        if (count >= 0 && static_cast<int>(v.size()) > count) break;
      }
      path.Append(BulgePath(v, true));
    } else {  // edges: 93 count, then 72 type with its values
      Path edges;
      while (i < end && g.at(i).code != 92 && g.at(i).code != 97 && g.at(i).code != 75) {
        if (g.at(i).code != 72) { ++i; continue; }
        const int type = internal::DxfInt(g.at(i).value, 0);
        ++i;
        double v[12] = {};
        bool ccw = true;
        size_t k = i;
        for (; k < end && g.at(k).code != 72 && g.at(k).code != 92 && g.at(k).code != 97 && g.at(k).code != 75; ++k) {
          const int code = g.at(k).code;
          if (code == 10) v[0] = num(k);
          else if (code == 20) v[1] = num(k);
          else if (code == 11) v[2] = num(k);
          else if (code == 21) v[3] = num(k);
          else if (code == 40) v[4] = num(k);
          else if (code == 50) v[5] = num(k);
          else if (code == 51) v[6] = num(k);
          else if (code == 73) ccw = internal::DxfInt(g.at(k).value, 1) != 0;
        }
        i = k;
        if (type == 1) {
          edges.LineTo({v[0], v[1]});
          edges.LineTo({v[2], v[3]});
        } else if (type == 2) {
          const double r = v[4];
          double sweep = v[6] - v[5];
          while (sweep < 0) sweep += 360;
          const double start = ccw ? v[5] : -v[5];
          edges.AddArc({v[0] - r, v[1] - r, 2 * r, 2 * r}, start, ccw ? sweep : -sweep, true);
        } else if (type == 3) {
          const double major = std::hypot(v[2], v[3]), ratio = v[4];
          const double rot = std::atan2(v[3], v[2]);
          Path unit;
          double sweep = v[6] - v[5];
          while (sweep < 0) sweep += 360;
          unit.AddArc({-1, -1, 2, 2}, ccw ? v[5] : -v[5], ccw ? sweep : -sweep, false);
          const Transform e = Transform::Scale(major, major * ratio).Then(Transform::Rotate(rot * 180 / kPi)).Then(
              Transform::Translate(v[0], v[1]));
          const Path mapped = MapPath(unit, e);
          const auto& pts = mapped.points();
          size_t pi = 0;
          for (Path::Op op : mapped.ops()) {
            if (op == Path::Op::kMove) edges.LineTo(pts[pi]), pi += 1;
            else if (op == Path::Op::kCubic) edges.CubicTo(pts[pi], pts[pi + 1], pts[pi + 2]), pi += 3;
            else pi += 1;
          }
        }
      }
      edges.Close();
      path.Append(edges);
    }
  }
  if (path.empty()) return Result::Ok();
  return Fill(path, t, c);
}

Result DxfPainter::Entities(const std::vector<DxfEntity>& list, const Transform& t, Color by_block, int depth) {
  for (size_t i = 0; i < list.size(); ++i)
    if (Result r = Entity(list, &i, t, by_block, depth); !r.ok()) return r;
  return Result::Ok();
}

Result DxfPainter::Entity(const std::vector<DxfEntity>& list, size_t* index, const Transform& t, Color by_block,
                          int depth) {
  if (++expanded_ > kMaxExpanded) return Result(Status::kMemory, "blocks expand to too many entities");
  const DxfEntity& e = list[*index];
  const Groups g(doc_, e);
  Color c;
  if (e.type == "POLYLINE") {
    // Vertices follow as entities of their own, up to SEQEND.
    std::vector<Vertex> v;
    size_t j = *index + 1;
    for (; j < list.size() && list[j].type == "VERTEX"; ++j) {
      const Groups vg(doc_, list[j]);
      if (vg.Int(70, 0) & 16) continue;  // spline frame control point
      v.push_back({vg.Pt(10), vg.Num(42, 0)});
    }
    if (j < list.size() && list[j].type == "SEQEND") ++j;
    *index = j - 1;
    if (!Style(g, by_block, &c)) return Result::Ok();
    return Stroke(BulgePath(v, g.Int(70, 0) & 1), t, c, g.Num(40, 0));
  }
  if (!Style(g, by_block, &c)) return Result::Ok();
  const std::string_view type = e.type;
  if (type == "LINE") {
    Path p;
    p.MoveTo(g.Pt(10));
    p.LineTo(g.Pt(11));
    return Stroke(p, t, c);
  }
  if (type == "POINT") {
    Path p;
    const Point at = g.Pt(10);
    p.MoveTo(at);
    p.LineTo({at.x + 1e-9, at.y});
    return Stroke(p, t, c);
  }
  if (type == "LWPOLYLINE") {
    std::vector<Vertex> v;
    for (size_t k = g.first(); k < g.last(); ++k) {
      const DxfGroup& grp = g.at(k);
      double val = 0;
      if (!DxfNumber(grp.value, &val)) continue;
      if (grp.code == 10) v.push_back({{val, 0}, 0});
      else if (grp.code == 20 && !v.empty()) v.back().p.y = val;
      else if (grp.code == 42 && !v.empty()) v.back().bulge = val;
    }
    return Stroke(BulgePath(v, g.Int(70, 0) & 1), t, c, g.Num(43, 0));
  }
  if (type == "CIRCLE") {
    const Point at = g.Pt(10);
    const double r = std::fabs(g.Num(40));
    Path p;
    p.AddEllipse({at.x - r, at.y - r, 2 * r, 2 * r});
    return Stroke(p, t, c);
  }
  if (type == "ARC") {
    const Point at = g.Pt(10);
    const double r = std::fabs(g.Num(40));
    const double a0 = g.Num(50), a1 = g.Num(51);
    double sweep = a1 - a0;
    while (sweep <= 0) sweep += 360;
    Path p;
    p.AddArc({at.x - r, at.y - r, 2 * r, 2 * r}, a0, sweep, false);
    return Stroke(p, t, c);
  }
  if (type == "ELLIPSE") {
    const Point at = g.Pt(10), axis = g.Pt(11);
    const double ratio = g.Num(40, 1);
    double p0 = g.Num(41, 0), p1 = g.Num(42, 2 * kPi);
    double sweep = p1 - p0;
    while (sweep <= 0) sweep += 2 * kPi;
    Path unit;
    unit.AddArc({-1, -1, 2, 2}, p0 * 180 / kPi, sweep * 180 / kPi, false);
    const Transform el{axis.x, axis.y, -axis.y * ratio, axis.x * ratio, at.x, at.y};
    return Stroke(MapPath(unit, el), t, c);
  }
  if (type == "SPLINE") {
    std::vector<double> knots, weights;
    std::vector<Point> ctrl, fit;
    for (size_t k = g.first(); k < g.last(); ++k) {
      const DxfGroup& grp = g.at(k);
      double val = 0;
      if (!DxfNumber(grp.value, &val)) continue;
      if (knots.size() + ctrl.size() + fit.size() > static_cast<size_t>(kMaxSplinePoints) * 3)
        return Result(Status::kMemory, "spline too large");
      if (grp.code == 40) knots.push_back(val);
      else if (grp.code == 41) weights.push_back(val);
      else if (grp.code == 10) ctrl.push_back({val, 0});
      else if (grp.code == 20 && !ctrl.empty()) ctrl.back().y = val;
      else if (grp.code == 11) fit.push_back({val, 0});
      else if (grp.code == 21 && !fit.empty()) fit.back().y = val;
    }
    std::vector<Point> pts = ctrl.empty() ? fit : SampleSpline(g.Int(71, 3), knots, ctrl, weights);
    Path p;
    p.AddPolygon(pts, g.Int(70, 0) & 1);
    return Stroke(p, t, c);
  }
  if (type == "SOLID" || type == "TRACE" || type == "3DFACE") {
    const Point a = g.Pt(10), b = g.Pt(11), cc = g.Pt(12);
    const Point d = g.Has(13) ? g.Pt(13) : cc;
    Path p;
    // SOLID and TRACE store their corners in the order 1, 2, 4, 3.
    if (type == "3DFACE") p.AddPolygon({a, b, cc, d}, true);
    else p.AddPolygon({a, b, d, cc}, true);
    return type == "3DFACE" ? Stroke(p, t, c) : Fill(p, t, c);
  }
  if (type == "HATCH") return Hatch(g, t, c);
  if (type == "TEXT" || type == "ATTRIB") return AddText(g, t, c, false);
  if (type == "MTEXT") return AddText(g, t, c, true);
  if (type == "INSERT" || type == "DIMENSION") {
    const internal::DxfBlock* block = doc_.Block(g.Str(2));
    if (block == nullptr) return Result::Ok();
    if (depth >= kMaxNesting) return Result(Status::kBroken, "blocks nested too deeply");
    if (type == "DIMENSION") return Entities(block->entities, t, c, depth + 1);
    const double sx = g.Num(41, 1), sy = g.Num(42, 1), rot = g.Num(50, 0);
    const int cols = std::clamp(g.Int(70, 1), 1, kMaxArray), rows = std::clamp(g.Int(71, 1), 1, kMaxArray);
    const double dc = g.Num(44, 0), dr = g.Num(45, 0);
    const Point at = g.Pt(10);
    for (int row = 0; row < rows; ++row) {
      for (int col = 0; col < cols; ++col) {
        // Array cells are offset along the block's turned axes.
        const Transform cell = Transform::Translate(-block->base.x, -block->base.y)
                                   .Then(Transform::Scale(sx, sy))
                                   .Then(Transform::Translate(col * dc, row * dr))
                                   .Then(Transform::Rotate(rot))
                                   .Then(Transform::Translate(at.x, at.y))
                                   .Then(t);
        if (Result r = Entities(block->entities, cell, c, depth + 1); !r.ok()) return r;
      }
    }
    return Result::Ok();
  }
  return Result::Ok();
}

}  // namespace

Result ReadDxf(const uint8_t* data, size_t size, Drawing* out) {
  if (data == nullptr || out == nullptr) return Result(Status::kBadValue, "no data");
  DxfDocument doc;
  if (Result r = doc.Parse(data, size); !r.ok()) return r;
  Drawing d;
  DxfPainter painter(doc, &d);
  // Page coordinates run downwards; the drawing's y axis runs upwards.
  const Transform flip = Transform::Scale(1, -1);
  if (Result r = painter.Entities(doc.entities(), flip, {0, 0, 0, 255}, 0); !r.ok()) return r;
  Rect page;
  if (doc.has_extents()) {
    const Rect e = doc.extents();
    page = {e.x, -(e.y + e.height), e.width, e.height};
  } else if (!d.Bounds(&page)) {
    page = {0, 0, 1, 1};
  }
  // A little margin so lines on the edge stay whole.
  const double margin = std::max(page.width, page.height) * 0.01;
  page = {page.x - margin, page.y - margin, page.width + 2 * margin, page.height + 2 * margin};
  // Natural size from the drawing units ($INSUNITS), millimetres when unset;
  // tiny or unitless drawings are brought up to a useful size.
  double per_inch = 25.4;
  switch (doc.insunits()) {
    case 1: per_inch = 1; break;
    case 2: per_inch = 1.0 / 12; break;
    case 5: per_inch = 2.54; break;
    case 6: per_inch = 0.0254; break;
    default: break;
  }
  int w = 0, h = 0;
  NaturalSizeOf(page.width, page.height, per_inch, &w, &h);
  if (std::max(w, h) < 256) {
    const double s = 1024.0 / std::max(page.width, page.height);
    NaturalSizeOf(page.width * s, page.height * s, 96, &w, &h);
  }
  d.SetPage(page, w, h);
  *out = std::move(d);
  return Result::Ok();
}

}  // namespace imaging::vector

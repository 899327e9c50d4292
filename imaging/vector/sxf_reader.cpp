// SXF drawings (the Japanese CAD exchange files): feature instances
// "#n = name(arguments)" in the STEP physical file syntax, inside "/*SXF"
// ... "SXF*/" comments (SFC files) or as plain data instances.  Read are
// the sheet, layers (with their shown flag), predefined and user-defined
// colours, lines, polylines, circles, arcs, ellipses, text and solid area
// fills; other features are passed over.  Coordinates are millimetres with
// y upwards.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/vector/internal/text_decode.h"
#include "imaging/vector/readers.h"

namespace imaging::vector {
namespace {

constexpr int kMaxDepth = 16;
constexpr size_t kMaxValues = 4'000'000;

// One argument: a string, a number, a list or something else ($, *, .E.).
struct Value {
  enum class Kind : uint8_t { kString, kNumber, kList, kOther } kind = Kind::kOther;
  std::string text;  // strings: without quotes, '' made '
  double number = 0;
  std::vector<Value> list;

  // The number of a numeric string or a number; `fallback` otherwise.
  double Num(double fallback = 0) const {
    if (kind == Kind::kNumber) return number;
    if (kind != Kind::kString) return fallback;
    double v = fallback;
    std::string_view s = text;
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const std::from_chars_result r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && std::isfinite(v) ? v : fallback;
  }
};

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  // Next instance "#n = name(args)"; false at the end.  kBroken through
  // `error` for a damaged instance.
  bool Next(std::string* name, std::vector<Value>* args, Result* error) {
    while (true) {
      const size_t hash = s_.find('#', pos_);
      if (hash == std::string_view::npos) return false;
      pos_ = hash + 1;
      size_t p = pos_;
      while (p < s_.size() && s_[p] >= '0' && s_[p] <= '9') ++p;
      if (p == pos_) continue;
      Blank(&p);
      if (p >= s_.size() || s_[p] != '=') continue;
      ++p;
      Blank(&p);
      const size_t name_at = p;
      while (p < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[p])) || s_[p] == '_')) ++p;
      if (p == name_at) continue;
      *name = std::string(s_.substr(name_at, p - name_at));
      for (char& c : *name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      Blank(&p);
      if (p >= s_.size() || s_[p] != '(') continue;
      pos_ = p;
      Value list;
      if (!List(&list, 0)) {
        *error = Result(values_ > kMaxValues ? Status::kMemory : Status::kBroken, "damaged SXF instance");
        return false;
      }
      *args = std::move(list.list);
      return true;
    }
  }

 private:
  void Blank(size_t* p) const {
    while (*p < s_.size() && (s_[*p] == ' ' || s_[*p] == '\t' || s_[*p] == '\r' || s_[*p] == '\n')) ++*p;
  }

  // A parenthesised list at pos_.
  bool List(Value* out, int depth) {
    if (depth > kMaxDepth || pos_ >= s_.size() || s_[pos_] != '(') return false;
    out->kind = Value::Kind::kList;
    ++pos_;
    Blank(&pos_);
    if (pos_ < s_.size() && s_[pos_] == ')') {
      ++pos_;
      return true;
    }
    while (pos_ < s_.size()) {
      if (++values_ > kMaxValues) return false;
      Value v;
      Blank(&pos_);
      if (pos_ >= s_.size()) return false;
      const char c = s_[pos_];
      if (c == '(') {
        if (!List(&v, depth + 1)) return false;
      } else if (c == '\'') {
        v.kind = Value::Kind::kString;
        ++pos_;
        while (true) {
          if (pos_ >= s_.size()) return false;
          if (s_[pos_] == '\'') {
            if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') {
              v.text.push_back('\'');
              pos_ += 2;
              continue;
            }
            ++pos_;
            break;
          }
          v.text.push_back(s_[pos_++]);
        }
      } else {
        const size_t start = pos_;
        while (pos_ < s_.size() && s_[pos_] != ',' && s_[pos_] != ')' && s_[pos_] != '(') ++pos_;
        std::string_view tok = s_.substr(start, pos_ - start);
        while (!tok.empty() && (tok.back() == ' ' || tok.back() == '\r' || tok.back() == '\n')) tok.remove_suffix(1);
        double num = 0;
        const auto [end, ec] = std::from_chars(tok.data(), tok.data() + tok.size(), num);
        if (ec == std::errc() && end == tok.data() + tok.size() && std::isfinite(num)) {
          v.kind = Value::Kind::kNumber;
          v.number = num;
        }
        v.text = std::string(tok);
      }
      out->list.push_back(std::move(v));
      Blank(&pos_);
      if (pos_ >= s_.size()) return false;
      if (s_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (s_[pos_] == ')') {
        ++pos_;
        return true;
      }
      return false;
    }
    return false;
  }

  std::string_view s_;
  size_t pos_ = 0;
  size_t values_ = 0;
};

struct Layer {
  bool shown = true;
};

class SxfPainter {
 public:
  explicit SxfPainter(Drawing* out) : out_(out) {}

  Result Feature(const std::string& name, const std::vector<Value>& a);
  bool has_sheet() const { return has_sheet_; }
  Rect sheet() const { return sheet_; }

 private:
  static double Arg(const std::vector<Value>& a, size_t i, double fallback = 0) {
    return i < a.size() ? a[i].Num(fallback) : fallback;
  }
  // ArgInt(): a code argument; out-of-range numbers give the fallback.
  static int ArgInt(const std::vector<Value>& a, size_t i, int fallback) {
    const double v = Arg(a, i, fallback);
    return v >= -1e9 && v <= 1e9 ? static_cast<int>(v) : fallback;
  }
  bool Visible(const std::vector<Value>& a) const {
    const int layer = ArgInt(a, 0, 0);
    return layer < 1 || layer > static_cast<int>(layers_.size()) || layers_[static_cast<size_t>(layer - 1)].shown;
  }
  Color ColourOf(const std::vector<Value>& a) const;
  Pen PenOf(const std::vector<Value>& a) const;
  Result Stroke(const Path& path, const std::vector<Value>& a);

  Drawing* out_;
  std::vector<Layer> layers_;
  std::vector<Color> user_colours_;
  bool has_sheet_ = false;
  Rect sheet_;
};

// The sixteen predefined colours, by their number.
const Color kPredefined[16] = {{0, 0, 0, 255},       {255, 0, 0, 255},     {0, 255, 0, 255},     {0, 0, 255, 255},
                               {255, 255, 0, 255},   {255, 0, 255, 255},   {0, 255, 255, 255},   {0, 0, 0, 255},
                               {192, 0, 128, 255},   {192, 128, 64, 255},  {255, 128, 0, 255},   {128, 255, 128, 255},
                               {0, 128, 255, 255},   {128, 64, 255, 255},  {192, 192, 192, 255}, {128, 128, 128, 255}};

Color SxfPainter::ColourOf(const std::vector<Value>& a) const {
  const int c = ArgInt(a, 1, 1);
  if (c >= 1 && c <= 16) return kPredefined[c - 1];  // white (8) draws black on the white page
  const int user = c - 17;
  if (user >= 0 && user < static_cast<int>(user_colours_.size())) return user_colours_[static_cast<size_t>(user)];
  return {0, 0, 0, 255};
}

Pen SxfPainter::PenOf(const std::vector<Value>& a) const {
  static const double kWidths[] = {0.13, 0.18, 0.25, 0.35, 0.5, 0.7, 1.0, 1.4, 2.0};
  Pen p;
  p.color = ColourOf(a);
  const int type = ArgInt(a, 2, 1);
  p.style = type <= 1 ? LineStyle::kSolid
                      : type <= 3 ? LineStyle::kDash : type <= 5 ? LineStyle::kDashDot : LineStyle::kDashDotDot;
  const int w = ArgInt(a, 3, 1);
  p.width = w >= 1 && w <= 9 ? kWidths[w - 1] : 0.13;
  return p;
}

Result SxfPainter::Stroke(const Path& path, const std::vector<Value>& a) {
  Shape s;
  s.path = MapPath(path, Transform::Scale(1, -1));
  s.pen = PenOf(a);
  return out_->AddShape(std::move(s));
}

Result SxfPainter::Feature(const std::string& name, const std::vector<Value>& a) {
  if (name == "layer_feature") {
    Layer l;
    l.shown = a.size() < 2 || Arg(a, 1, 1) != 0;
    if (layers_.size() < 10000) layers_.push_back(l);
    return Result::Ok();
  }
  if (name == "user_defined_colour_feature") {
    if (user_colours_.size() < 10000)
      user_colours_.push_back({static_cast<uint8_t>(std::clamp(Arg(a, 0), 0.0, 255.0)),
                               static_cast<uint8_t>(std::clamp(Arg(a, 1), 0.0, 255.0)),
                               static_cast<uint8_t>(std::clamp(Arg(a, 2), 0.0, 255.0)), 255});
    return Result::Ok();
  }
  if (name == "sheet_feature") {
    // name, size code (0..4 for A0..A4, 9 free), orientation, free width, height.
    static const double kA[5][2] = {{1189, 841}, {841, 594}, {594, 420}, {420, 297}, {297, 210}};
    const int code = ArgInt(a, 1, 3);
    double w = 0, h = 0;
    if (code >= 0 && code <= 4) {
      w = kA[code][0];
      h = kA[code][1];
      if (Arg(a, 2, 1) == 0) std::swap(w, h);
    } else {
      w = Arg(a, 3);
      h = Arg(a, 4);
    }
    if (w > 0 && h > 0 && w < 1e6 && h < 1e6) {
      has_sheet_ = true;
      sheet_ = {0, -h, w, h};
    }
    return Result::Ok();
  }
  if (!Visible(a)) return Result::Ok();
  if (name == "line_feature") {
    Path p;
    p.MoveTo({Arg(a, 4), Arg(a, 5)});
    p.LineTo({Arg(a, 6), Arg(a, 7)});
    return Stroke(p, a);
  }
  if (name == "polyline_feature") {
    if (a.size() < 7 || a[5].kind != Value::Kind::kList || a[6].kind != Value::Kind::kList) return Result::Ok();
    const size_t n = std::min(a[5].list.size(), a[6].list.size());
    std::vector<Point> pts;
    pts.reserve(n);
    for (size_t i = 0; i < n; ++i) pts.push_back({a[5].list[i].Num(), a[6].list[i].Num()});
    Path p;
    p.AddPolygon(pts, false);
    return Stroke(p, a);
  }
  if (name == "circle_feature") {
    const double r = std::fabs(Arg(a, 6));
    Path p;
    p.AddEllipse({Arg(a, 4) - r, Arg(a, 5) - r, 2 * r, 2 * r});
    return Stroke(p, a);
  }
  if (name == "arc_feature") {
    const double r = std::fabs(Arg(a, 6));
    const bool clockwise = Arg(a, 7) == 1;
    double a0 = Arg(a, 8), a1 = Arg(a, 9);
    if (clockwise) std::swap(a0, a1);
    double sweep = a1 - a0;
    while (sweep <= 0) sweep += 360;
    Path p;
    p.AddArc({Arg(a, 4) - r, Arg(a, 5) - r, 2 * r, 2 * r}, a0, sweep, false);
    return Stroke(p, a);
  }
  if (name == "ellipse_feature") {
    const double rx = std::fabs(Arg(a, 6)), ry = std::fabs(Arg(a, 7)), turn = Arg(a, 8);
    Path unit;
    unit.AddEllipse({-1, -1, 2, 2});
    const Transform e = Transform::Scale(rx, ry).Then(Transform::Rotate(turn)).Then(
        Transform::Translate(Arg(a, 4), Arg(a, 5)));
    return Stroke(MapPath(unit, e), a);
  }
  if (name == "text_string_feature") {
    // layer, colour, font, text, x, y, height, width, spacing, angle, slant, base point, direction.
    Text t;
    t.utf8 = a.size() > 3 ? a[3].text : std::string();
    // Files are written in Shift-JIS; text that is already UTF-8 stays.
    const std::string decoded = internal::DecodeCodePage(reinterpret_cast<const uint8_t*>(t.utf8.data()),
                                                         t.utf8.size(), "CP932");
    if (decoded.find("\xEF\xBF\xBD") == std::string::npos) t.utf8 = decoded;
    t.origin = {Arg(a, 4), -Arg(a, 5)};
    t.height = std::fabs(Arg(a, 6, 3.5));
    const double width = std::fabs(Arg(a, 7, 0));
    // The width given is the whole string's.
    if (width > 0 && t.height > 0 && !t.utf8.empty()) t.fit_width = width;
    t.angle = Arg(a, 9, 0);
    t.color = ColourOf(a);
    const int base = ArgInt(a, 11, 1);  // 1..9: bottom-left, bottom-centre, ..., top-right
    const int col = (base - 1) % 3, row = (base - 1) / 3;
    t.halign = col == 0 ? HAlign::kLeft : (col == 1 ? HAlign::kCenter : HAlign::kRight);
    t.valign = row == 0 ? VAlign::kBottom : (row == 1 ? VAlign::kMiddle : VAlign::kTop);
    t.face = "ＭＳ ゴシック";
    if (!std::isfinite(t.height) || t.height <= 0) return Result::Ok();
    return out_->AddText(std::move(t));
  }
  if (name == "fill_area_style_colour_feature") {
    // After the layer and colour come the boundaries: every pair of
    // coordinate lists is one ring (the first the outline, the rest holes).
    Path path;
    for (size_t i = 2; i + 1 < a.size(); ++i) {
      if (a[i].kind != Value::Kind::kList || a[i + 1].kind != Value::Kind::kList) continue;
      const size_t n = std::min(a[i].list.size(), a[i + 1].list.size());
      std::vector<Point> ring;
      for (size_t k = 0; k < n; ++k) ring.push_back({a[i].list[k].Num(), -a[i + 1].list[k].Num()});
      path.AddPolygon(ring, true);
      ++i;
    }
    if (path.empty()) return Result::Ok();
    Shape s;
    s.path = std::move(path);
    s.pen.style = LineStyle::kNone;
    s.brush = {false, ColourOf(a)};
    return out_->AddShape(std::move(s));
  }
  return Result::Ok();
}

}  // namespace

Result ReadSxf(const uint8_t* data, size_t size, Drawing* out) {
  if (data == nullptr || out == nullptr) return Result(Status::kBadValue, "no data");
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (text.find("ISO-10303-21") == std::string_view::npos && text.find("SXF") == std::string_view::npos)
    return Result(Status::kBadFile, "not an SXF drawing");
  Drawing d;
  SxfPainter painter(&d);
  Parser parser(text);
  std::string name;
  std::vector<Value> args;
  Result error = Result::Ok();
  size_t features = 0;
  while (parser.Next(&name, &args, &error)) {
    ++features;
    if (Result r = painter.Feature(name, args); !r.ok()) return r;
  }
  if (!error.ok()) return error;
  if (features == 0) return Result(Status::kBroken, "no drawing features");
  if (text.find("END-ISO-10303-21") == std::string_view::npos && text.find("ISO-10303-21") != std::string_view::npos)
    return Result(Status::kBroken, "file cut short");
  Rect page;
  if (painter.has_sheet()) page = painter.sheet();
  else if (!d.Bounds(&page)) page = {0, 0, 1, 1};
  int w = 0, h = 0;
  NaturalSizeOf(page.width, page.height, 25.4, &w, &h);
  d.SetPage(page, w, h);
  *out = std::move(d);
  return Result::Ok();
}

}  // namespace imaging::vector

// File: imaging/vector/drawing.h
//
// The vector picture model every reader fills and the renderer paints:
// shapes (paths with a pen and a brush), text runs and embedded rasters, in
// the order they are drawn, each with the transform from its own
// coordinates to page coordinates and an optional clip.  The page is the
// rectangle of page coordinates that becomes the raster picture; its
// natural size is the pixel size the picture has when nobody asks for
// another.  No Qt here: readers and fuzzers use it without a GUI.
//
//   imaging::vector::Drawing d;
//   d.SetPage({0, 0, 100, 50}, 100, 50);
//   imaging::vector::Shape s;
//   s.path.MoveTo({0, 0}); s.path.LineTo({100, 50});
//   s.pen.color = {255, 0, 0};
//   if (!d.AddShape(std::move(s)).ok()) ...   // kMemory past the bounds
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::vector {

struct Color {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  uint8_t a = 255;
  bool operator==(const Color&) const = default;
};

struct Point {
  double x = 0;
  double y = 0;
};

struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};

// An affine map: x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
struct Transform {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

  Point Map(Point p) const { return {m11 * p.x + m21 * p.y + dx, m12 * p.x + m22 * p.y + dy}; }
  // Then(): this map followed by `next`.
  Transform Then(const Transform& next) const;
  static Transform Translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
  static Transform Scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
  static Transform Rotate(double degrees);
  // Mean scale of lengths (for pen widths and text heights).
  double LengthScale() const;
};

// A path: sub-paths of straight and cubic segments.
class Path {
 public:
  // Each op takes one point (kCubic three: two controls and the end; kClose
  // the sub-path's first point).
  enum class Op : uint8_t { kMove, kLine, kCubic, kClose };

  void MoveTo(Point p);
  void LineTo(Point p);
  void CubicTo(Point c1, Point c2, Point end);
  void Close();
  // AddArc(): an elliptic arc on the ellipse inscribed in `box`, from
  // `start_deg` sweeping `sweep_deg` (counter-clockwise positive, in a y-up
  // sense of the box's coordinates), as cubic pieces.  Joins the current
  // sub-path with a line when `connect`, else starts a new one.
  void AddArc(const Rect& box, double start_deg, double sweep_deg, bool connect);
  void AddEllipse(const Rect& box);
  void AddRect(const Rect& box);
  void AddPolygon(const std::vector<Point>& points, bool close);
  void Append(const Path& other);

  bool empty() const { return ops_.empty(); }
  const std::vector<Op>& ops() const { return ops_; }
  const std::vector<Point>& points() const { return points_; }
  bool HasCurrentPoint() const { return !ops_.empty() && ops_.back() != Op::kClose; }
  Point CurrentPoint() const { return points_.empty() ? Point{} : points_.back(); }
  void Clear() { ops_.clear(); points_.clear(); start_ = 0; }

 private:
  size_t start_ = 0;  // index of the current sub-path's first point
  std::vector<Op> ops_;
  std::vector<Point> points_;
};

enum class LineStyle : uint8_t { kSolid, kDash, kDot, kDashDot, kDashDotDot, kNone };
enum class FillRule : uint8_t { kEvenOdd, kWinding };

// Pen width 0 draws one device pixel wide whatever the scale.
struct Pen {
  LineStyle style = LineStyle::kSolid;
  Color color{};
  double width = 0;
};

struct Brush {
  bool none = true;
  Color color{255, 255, 255};
};

// A clip area in page coordinates (already transformed); shapes refer to
// one by index.
// `path` is combined with the clip `parent` (-1: the whole page).
enum class ClipCombine : uint8_t { kIntersect, kExclude, kUnion, kXor, kReplace };
struct Clip {
  Path path;
  FillRule rule = FillRule::kEvenOdd;
  int parent = -1;
  ClipCombine combine = ClipCombine::kIntersect;
};

struct Shape {
  Path path;
  Pen pen;
  Brush brush;
  FillRule rule = FillRule::kEvenOdd;
};

enum class HAlign : uint8_t { kLeft, kCenter, kRight };
enum class VAlign : uint8_t { kTop, kBaseline, kBottom, kMiddle };

// One run of text, drawn at `origin` with its em height `height` (both in
// the item's coordinates), turned by `angle` degrees counter-clockwise.
struct Text {
  std::string utf8;
  Point origin;
  double height = 12;
  double width_factor = 1;  // > 1 stretches the glyphs sideways
  double fit_width = 0;     // > 0: the run is stretched or squeezed to this advance
  double angle = 0;
  Color color{};
  std::string face;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  HAlign halign = HAlign::kLeft;
  VAlign valign = VAlign::kBaseline;
  Color background{};
  bool opaque = false;  // fill the text box with `background` first
};

// A raster drawn into a rectangle (the item's coordinates); 32-bit B,G,R,A
// pixels, alpha 255 for opaque.
struct Raster {
  Image image;
  Rect target;
};

struct Item {
  std::variant<Shape, Text, Raster> content;
  Transform transform;  // item coordinates to page coordinates
  int clip = -1;        // index into Drawing::clips(), -1 for none
};

// Bounds on what one file may put into a drawing.
inline constexpr size_t kMaxItems = 2'000'000;
inline constexpr size_t kMaxPoints = 20'000'000;
inline constexpr size_t kMaxTextBytes = 16u << 20;
inline constexpr uint64_t kMaxRasterBytes = 256ull << 20;

class Drawing {
 public:
  // SetPage(): the page rectangle in page coordinates and its natural
  // pixel size (each side 1..kMaxDimension after clamping).
  void SetPage(const Rect& page, int natural_width, int natural_height);
  const Rect& page() const { return page_; }
  int natural_width() const { return natural_width_; }
  int natural_height() const { return natural_height_; }

  // Background of the page when the file names one (DXF, SVG none).
  bool has_background() const { return has_background_; }
  Color background() const { return background_; }
  void SetBackground(Color c) { background_ = c; has_background_ = true; }

  // Adders check the bounds above: kMemory when a file would pass them.
  Result AddShape(Shape shape, const Transform& transform = {}, int clip = -1);
  Result AddText(Text text, const Transform& transform = {}, int clip = -1);
  Result AddRaster(Raster raster, const Transform& transform = {}, int clip = -1);
  // AddClip() returns the new clip's index in *index.
  Result AddClip(Clip clip, int* index);

  const std::vector<Item>& items() const { return items_; }
  const std::vector<Clip>& clips() const { return clips_; }

  // Bounds() of everything drawn, in page coordinates (pen widths left
  // out); false for an empty drawing.
  bool Bounds(Rect* out) const;

  // An SVG document is not parsed into items: the renderer hands it to the
  // SVG engine whole.
  const std::string& svg() const { return svg_; }
  void SetSvg(std::string document) { svg_ = std::move(document); }

 private:
  Result Count(size_t points, size_t text_bytes, uint64_t raster_bytes);

  Rect page_{0, 0, 1, 1};
  int natural_width_ = 1;
  int natural_height_ = 1;
  bool has_background_ = false;
  Color background_{255, 255, 255};
  std::vector<Item> items_;
  std::vector<Clip> clips_;
  size_t points_ = 0;
  size_t text_bytes_ = 0;
  uint64_t raster_bytes_ = 0;
  std::string svg_;
};

// MapPath(): every point of the path through `t`.
Path MapPath(const Path& path, const Transform& t);

// NaturalSizeOf(): the pixel size for a page of `width` x `height` units of
// `units_per_inch` (96 for pixels), each side at least 1 and the longer at
// most kMaxNaturalSide (shrunk with the aspect kept).
inline constexpr int kMaxNaturalSide = 4096;
void NaturalSizeOf(double width, double height, double units_per_inch, int* out_w, int* out_h);

}  // namespace imaging::vector

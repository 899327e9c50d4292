// File: imaging/vector/internal/gdi_player.h
//
// The drawing state both metafile readers (WMF and EMF) play their records
// into: the object table, the device-context state with its save stack,
// the logical-to-device mapping, path brackets and clipping.  Drawing calls
// take logical coordinates and add items in device coordinates (the page
// coordinates of the drawing).
//
//   GdiPlayer p(&drawing);
//   p.SetMapMode(8); p.SetWindowExt({1000, 1000});
//   if (auto r = p.Rectangle({0, 0, 500, 500}); !r.ok()) return r;
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/vector/drawing.h"

namespace imaging::vector::internal {

struct GdiPen {
  LineStyle style = LineStyle::kSolid;
  Color color{0, 0, 0};
  double width = 0;  // logical units; 0 = one pixel
};

struct GdiBrush {
  bool none = false;
  Color color{255, 255, 255};
};

struct GdiFont {
  double height = 0;      // LOGFONT height: < 0 the em, > 0 the cell
  double width = 0;       // average width, 0 = natural
  double escapement = 0;  // tenths of a degree, counter-clockwise
  int weight = 400;
  bool italic = false;
  bool underline = false;
  int charset = 0;
  std::string face;       // UTF-8
};

struct GdiObject {
  enum class Kind : uint8_t { kEmpty, kPen, kBrush, kFont, kRegion, kPalette } kind = Kind::kEmpty;
  GdiPen pen;
  GdiBrush brush;
  GdiFont font;
  Path region;  // logical coordinates
};

// Map modes.
inline constexpr int kMmText = 1;
inline constexpr int kMmIsotropic = 7;
inline constexpr int kMmAnisotropic = 8;

// Text-out options and alignment flags.
inline constexpr uint32_t kEtoOpaque = 0x2;
inline constexpr uint32_t kEtoClipped = 0x4;
inline constexpr uint32_t kTaUpdateCp = 0x1;

// GdiColor(): a COLORREF (0x00BBGGRR).  GdiPenStyle(): the line style of
// a pen style word (PS_SOLID .. PS_NULL in its low bits).
Color GdiColor(uint32_t colorref);
LineStyle GdiPenStyle(uint32_t style);

// Arc-family figures.
enum class ArcKind : uint8_t { kArc, kArcTo, kChord, kPie };

class GdiPlayer {
 public:
  explicit GdiPlayer(Drawing* out);

  // Objects.  CreateObject() with index -1 takes the lowest free slot (WMF);
  // EMF gives the index.  At most kMaxObjects slots.
  static constexpr int kMaxObjects = 65536;
  Result CreateObject(GdiObject object, int index);
  void SelectObject(int index);
  void SelectStockObject(uint32_t id);
  void DeleteObject(int index);
  const GdiObject* Object(int index) const;

  // State.
  const GdiFont& font() const { return dc_.font; }
  const GdiBrush& brush() const { return dc_.brush; }
  void SetMapMode(int mode) { dc_.map_mode = mode; }
  void SetWindowOrg(Point p) { dc_.win_org = p; }
  void SetWindowExt(Point p);
  void SetViewportOrg(Point p) { dc_.vp_org = p; }
  void SetViewportExt(Point p);
  void OffsetWindowOrg(Point d) { dc_.win_org.x += d.x; dc_.win_org.y += d.y; }
  void OffsetViewportOrg(Point d) { dc_.vp_org.x += d.x; dc_.vp_org.y += d.y; }
  void ScaleWindowExt(double xn, double xd, double yn, double yd);
  void ScaleViewportExt(double xn, double xd, double yn, double yd);
  void SetWorldTransform(const Transform& t) { dc_.world = t; }
  // ModifyWorldTransform(): mode 1 identity, 2 left-multiply, 3 right-multiply.
  void ModifyWorldTransform(const Transform& t, int mode);
  void SetTextColor(Color c) { dc_.text_color = c; }
  void SetBkColor(Color c) { dc_.bk_color = c; }
  void SetBkMode(int mode) { dc_.bk_mode = mode; }
  void SetTextAlign(uint32_t align) { dc_.text_align = align; }
  void SetPolyFillMode(int mode) { dc_.fill = mode == 2 ? FillRule::kWinding : FillRule::kEvenOdd; }
  void SetArcDirection(int dir) { dc_.clockwise = dir == 2; }
  void SaveDc();
  void RestoreDc(int which);  // < 0: relative; > 0: absolute level

  // Logical-to-device map now in force.
  Transform Current() const;
  // The map at the first drawing call (or now, when nothing was drawn).
  Transform FirstDrawMap() const { return drawn_ ? first_map_ : Current(); }
  bool drawn() const { return drawn_; }
  // The window (origin and extent) at the first drawing call, when the
  // file had set an extent by then.
  bool FirstDrawWindow(Rect* window) const;

  // Drawing, in logical coordinates.
  void MoveTo(Point p) { dc_.cur = p; if (in_path_) path_.MoveTo(Current().Map(p)); }
  Result LineTo(Point p);
  Result Polyline(const std::vector<Point>& pts, bool from_current);
  Result Polygon(const std::vector<Point>& pts);
  Result PolyPolygon(const std::vector<std::vector<Point>>& polys);
  Result PolyPolyline(const std::vector<std::vector<Point>>& lines);
  Result PolyBezier(const std::vector<Point>& pts, bool from_current);
  Result Rectangle(const Rect& r);
  Result RoundRect(const Rect& r, double corner_w, double corner_h);
  Result Ellipse(const Rect& r);
  Result ArcFigure(ArcKind kind, const Rect& box, Point start, Point end);
  Result AngleArc(Point center, double radius, double start_deg, double sweep_deg);
  // TextOut(): `utf8` at `p` (the current position with TA_UPDATECP);
  // `dx_total` is the advance the file gives (0 when none); an opaque
  // rectangle with kEtoOpaque.
  Result TextOut(Point p, const std::string& utf8, uint32_t options, const Rect* rect, double dx_total);
  // Draw32(): a 32-bit picture into the logical rectangle.
  Result DrawImage(Image image, const Rect& dest);
  Result FillPath(const Path& logical, const GdiBrush& brush);
  Result FramePath(const Path& logical, const GdiBrush& brush, double w, double h);
  Result PaintRect(const Rect& device_rect, Color c);  // device coordinates

  // Paths.
  void BeginPath();
  void EndPath() { in_path_ = false; }
  void AbortPath() { in_path_ = false; have_path_ = false; path_.Clear(); }
  void CloseFigure() { if (in_path_) path_.Close(); }
  Result StrokePath(bool fill, bool stroke);
  void FlattenPath() {}
  Result SelectClipPath(int mode);

  // Clipping (logical rectangles; regions in device coordinates).
  Result IntersectClipRect(const Rect& r);
  Result ExcludeClipRect(const Rect& r);
  // SelectClipRegion(): mode 1 AND, 2 OR, 3 XOR, 4 DIFF, 5 COPY; null clears.
  Result SelectClipRegion(const Path* device_path, int mode);
  void ResetClip() { dc_.clip = -1; }

  // Logical rectangle from two corners, normalised.
  static Rect Box(double l, double t, double r, double b);

 private:
  struct DcState {
    int map_mode = kMmText;
    Point win_org{0, 0};
    Point win_ext{1, 1};
    Point vp_org{0, 0};
    Point vp_ext{1, 1};
    bool vp_ext_set = false;
    bool win_ext_set = false;
    Transform world;
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
    Color text_color{0, 0, 0};
    Color bk_color{255, 255, 255};
    int bk_mode = 2;
    uint32_t text_align = 0;
    FillRule fill = FillRule::kEvenOdd;
    Point cur{0, 0};
    int clip = -1;
    bool clockwise = false;
  };

  void NoteDraw();
  Pen DevicePen() const;
  Brush DeviceBrush() const;
  Result Emit(Path device_path, bool fill, bool stroke);
  Path MapPath(const Path& logical) const;
  Result AddClip(Path device_path, ClipCombine combine, FillRule rule);

  Drawing* out_;
  DcState dc_;
  std::vector<DcState> saved_;
  std::vector<GdiObject> objects_;
  bool in_path_ = false;
  bool have_path_ = false;
  Path path_;  // device coordinates
  bool drawn_ = false;
  Transform first_map_;
  bool first_window_set_ = false;
  Rect first_window_;
};

}  // namespace imaging::vector::internal

// Enhanced metafiles: records played into the GDI drawing state.  Every
// record's size is checked against the file, and every offset inside a
// record against the record, before it is used.
#include <cmath>
#include <vector>

#include "imaging/vector/internal/byte_reader.h"
#include "imaging/vector/internal/dib_raster.h"
#include "imaging/vector/internal/gdi_player.h"
#include "imaging/vector/internal/text_decode.h"
#include "imaging/vector/readers.h"

namespace imaging::vector {
namespace {

using internal::ArcKind;
using internal::ByteReader;
using internal::GdiBrush;
using internal::GdiObject;
using internal::GdiPlayer;

constexpr uint32_t kEmfSignature = 0x464D4520u;  // " EMF"

Rect ReadBox(ByteReader& r) {
  const double l = r.I32(), t = r.I32(), ri = r.I32(), b = r.I32();
  return GdiPlayer::Box(l, t, ri, b);
}

Point ReadPoint(ByteReader& r, bool small) {
  if (small) {
    const double x = r.I16(), y = r.I16();
    return {x, y};
  }
  const double x = r.I32(), y = r.I32();
  return {x, y};
}

std::vector<Point> ReadPoints(ByteReader& r, uint32_t n, bool small) {
  std::vector<Point> pts;
  const size_t each = small ? 4 : 8;
  if (n > r.left() / each) {
    r.Skip(r.left() + 1);  // fails the reader
    return pts;
  }
  pts.reserve(n);
  for (uint32_t i = 0; i < n; ++i) pts.push_back(ReadPoint(r, small));
  return pts;
}

// RGNDATA: a header and a list of rectangles, as a path.
bool RegionData(const uint8_t* data, size_t size, Path* path) {
  ByteReader r(data, size);
  const uint32_t header = r.U32();
  r.Skip(4);
  const uint32_t count = r.U32();
  if (!r.ok() || header < 32 || header > size) return false;
  r.Seek(header);
  if (count > r.left() / 16) return false;
  for (uint32_t i = 0; i < count; ++i) path->AddRect(ReadBox(r));
  return r.ok();
}

class EmfPlayer {
 public:
  explicit EmfPlayer(Drawing* out) : out_(out), gdi_(out) {}
  Result Play(const uint8_t* data, size_t size);

 private:
  Result Record(uint32_t type, ByteReader& r);
  Result Text(ByteReader& r, bool wide);
  Result Blit(uint32_t type, ByteReader& r);
  // A DIB whose header and rows lie at offsets of the record.
  bool RecordDib(const ByteReader& r, uint32_t off_bmi, uint32_t cb_bmi, uint32_t off_bits, uint32_t cb_bits,
                 internal::DibPart part, Image* img) const;

  Drawing* out_;
  GdiPlayer gdi_;
};

bool EmfPlayer::RecordDib(const ByteReader& r, uint32_t off_bmi, uint32_t cb_bmi, uint32_t off_bits,
                          uint32_t cb_bits, internal::DibPart part, Image* img) const {
  const size_t size = r.size();
  if (cb_bmi < 40 || off_bmi > size || cb_bmi > size - off_bmi || off_bits > size || cb_bits > size - off_bits)
    return false;
  return internal::DibToRaster(r.data() + off_bmi, cb_bmi, r.data() + off_bits, cb_bits, part, img).ok();
}

Result EmfPlayer::Text(ByteReader& r, bool wide) {
  r.Skip(16);  // bounds
  r.Skip(4 + 4 + 4);  // graphics mode, x and y scale
  const Point ref = ReadPoint(r, false);
  const uint32_t chars = r.U32(), off_string = r.U32(), options = r.U32();
  const Rect rect = ReadBox(r);
  const uint32_t off_dx = r.U32();
  if (!r.ok()) return Result(Status::kBroken, "text record cut short");
  const size_t bytes = static_cast<size_t>(chars) * (wide ? 2 : 1);
  if (off_string > r.size() || bytes > r.size() - off_string) return Result(Status::kBroken, "text outside its record");
  const uint8_t* s = r.data() + off_string;
  const std::string utf8 =
      wide ? internal::DecodeUtf16(s, chars) : internal::DecodeCharset(s, chars, gdi_.font().charset);
  double total = 0;
  if (off_dx != 0 && off_dx <= r.size() && static_cast<size_t>(chars) * 4 <= r.size() - off_dx) {
    ByteReader dx(r.data() + off_dx, static_cast<size_t>(chars) * 4);
    for (uint32_t i = 0; i < chars; ++i) total += dx.I32();
  }
  const bool has_rect = rect.width > 0 && rect.height > 0;
  return gdi_.TextOut(ref, utf8, options, has_rect ? &rect : nullptr, total);
}

Result EmfPlayer::Blit(uint32_t type, ByteReader& r) {
  r.Skip(16);  // bounds
  if (type == 81) {  // STRETCHDIBITS
    const double xd = r.I32(), yd = r.I32();
    const int xs = r.I32(), ys = r.I32(), cxs = r.I32(), cys = r.I32();
    const uint32_t off_bmi = r.U32(), cb_bmi = r.U32(), off_bits = r.U32(), cb_bits = r.U32();
    r.Skip(4 + 4);  // usage, rop
    const double cxd = r.I32(), cyd = r.I32();
    if (!r.ok()) return Result(Status::kBroken, "bitmap record cut short");
    Image img;
    if (!RecordDib(r, off_bmi, cb_bmi, off_bits, cb_bits, {xs, ys, cxs, cys}, &img)) return Result::Ok();
    return gdi_.DrawImage(std::move(img), {xd, yd, cxd, cyd});
  }
  if (type == 80) {  // SETDIBITSTODEVICE
    const double xd = r.I32(), yd = r.I32();
    const int xs = r.I32(), ys = r.I32(), cxs = r.I32(), cys = r.I32();
    const uint32_t off_bmi = r.U32(), cb_bmi = r.U32(), off_bits = r.U32(), cb_bits = r.U32();
    if (!r.ok()) return Result(Status::kBroken, "bitmap record cut short");
    Image img;
    if (!RecordDib(r, off_bmi, cb_bmi, off_bits, cb_bits, {xs, ys, cxs, cys}, &img)) return Result::Ok();
    return gdi_.DrawImage(std::move(img), {xd, yd, static_cast<double>(cxs), static_cast<double>(cys)});
  }
  // BITBLT (76) and STRETCHBLT (77).
  const double xd = r.I32(), yd = r.I32(), cxd = r.I32(), cyd = r.I32();
  const uint32_t rop = r.U32();
  const int xs = r.I32(), ys = r.I32();
  r.Skip(24 + 4 + 4);  // source transform, background colour, usage
  const uint32_t off_bmi = r.U32(), cb_bmi = r.U32(), off_bits = r.U32(), cb_bits = r.U32();
  int cxs = static_cast<int>(cxd), cys = static_cast<int>(cyd);
  if (type == 77) {
    cxs = r.I32();
    cys = r.I32();
  }
  if (!r.ok()) return Result(Status::kBroken, "bitmap record cut short");
  const Rect dest{xd, yd, cxd, cyd};
  if (cb_bmi == 0) {
    Path p;
    p.AddRect(GdiPlayer::Box(xd, yd, xd + cxd, yd + cyd));
    if (rop == 0x00000042u) return gdi_.FillPath(p, GdiBrush{false, {0, 0, 0}});
    if (rop == 0x00FF0062u) return gdi_.FillPath(p, GdiBrush{false, {255, 255, 255}});
    if (rop == 0x00F00021u) return gdi_.FillPath(p, gdi_.brush());
    return Result::Ok();
  }
  Image img;
  if (!RecordDib(r, off_bmi, cb_bmi, off_bits, cb_bits, {xs, ys, cxs, cys}, &img)) return Result::Ok();
  return gdi_.DrawImage(std::move(img), dest);
}

Result EmfPlayer::Record(uint32_t type, ByteReader& r) {
  const auto broken = [] { return Result(Status::kBroken, "record cut short"); };
  switch (type) {
    case 2: case 3: case 4: case 5: case 6:
    case 85: case 86: case 87: case 88: case 89: {
      const bool small = type >= 85;
      const uint32_t base = small ? type - 83 : type;  // 16-bit forms map onto 2..6
      r.Skip(16);
      const uint32_t n = r.U32();
      const std::vector<Point> pts = ReadPoints(r, n, small);
      if (!r.ok()) return broken();
      switch (base) {
        case 2: return gdi_.PolyBezier(pts, false);
        case 3: return gdi_.Polygon(pts);
        case 4: return gdi_.Polyline(pts, false);
        case 5: return gdi_.PolyBezier(pts, true);
        default: return gdi_.Polyline(pts, true);
      }
    }
    case 7: case 8: case 90: case 91: {
      const bool small = type >= 90;
      r.Skip(16);
      const uint32_t polys = r.U32(), total = r.U32();
      if (!r.ok() || polys > r.left() / 4) return broken();
      std::vector<uint32_t> counts(polys);
      uint64_t sum = 0;
      for (uint32_t& c : counts) sum += (c = r.U32());
      if (sum != total) return Result(Status::kBroken, "poly-polygon counts disagree");
      std::vector<std::vector<Point>> all;
      all.reserve(polys);
      for (uint32_t c : counts) {
        all.push_back(ReadPoints(r, c, small));
        if (!r.ok()) return broken();
      }
      return (type == 7 || type == 90) ? gdi_.PolyPolyline(all) : gdi_.PolyPolygon(all);
    }
    case 9: { const Point p = ReadPoint(r, false); gdi_.SetWindowExt(p); break; }
    case 10: { const Point p = ReadPoint(r, false); gdi_.SetWindowOrg(p); break; }
    case 11: { const Point p = ReadPoint(r, false); gdi_.SetViewportExt(p); break; }
    case 12: { const Point p = ReadPoint(r, false); gdi_.SetViewportOrg(p); break; }
    case 15: {
      const Point p = ReadPoint(r, false);
      const Color c = internal::GdiColor(r.U32());
      if (!r.ok()) return broken();
      Path path;
      path.AddRect({p.x, p.y, 1, 1});
      return gdi_.FillPath(path, GdiBrush{false, c});
    }
    case 17: gdi_.SetMapMode(static_cast<int>(r.U32())); break;
    case 18: gdi_.SetBkMode(static_cast<int>(r.U32())); break;
    case 19: gdi_.SetPolyFillMode(static_cast<int>(r.U32())); break;
    case 22: gdi_.SetTextAlign(r.U32()); break;
    case 24: gdi_.SetTextColor(internal::GdiColor(r.U32())); break;
    case 25: gdi_.SetBkColor(internal::GdiColor(r.U32())); break;
    case 27: { const Point p = ReadPoint(r, false); if (r.ok()) gdi_.MoveTo(p); break; }
    case 29: { const Rect b = ReadBox(r); if (r.ok()) return gdi_.ExcludeClipRect(b); break; }
    case 30: { const Rect b = ReadBox(r); if (r.ok()) return gdi_.IntersectClipRect(b); break; }
    case 31: case 32: {
      const double xn = r.I32(), xd = r.I32(), yn = r.I32(), yd = r.I32();
      if (!r.ok()) return broken();
      if (type == 31) gdi_.ScaleViewportExt(xn, xd, yn, yd); else gdi_.ScaleWindowExt(xn, xd, yn, yd);
      break;
    }
    case 33: gdi_.SaveDc(); break;
    case 34: gdi_.RestoreDc(r.I32()); break;
    case 35: case 36: {
      Transform t;
      t.m11 = r.F32(); t.m12 = r.F32(); t.m21 = r.F32(); t.m22 = r.F32(); t.dx = r.F32(); t.dy = r.F32();
      const uint32_t mode = type == 36 ? r.U32() : 4;
      if (!r.ok()) return broken();
      if (!std::isfinite(t.m11) || !std::isfinite(t.m12) || !std::isfinite(t.m21) || !std::isfinite(t.m22) ||
          !std::isfinite(t.dx) || !std::isfinite(t.dy))
        break;
      gdi_.ModifyWorldTransform(t, static_cast<int>(mode));
      break;
    }
    case 37: {
      const uint32_t index = r.U32();
      if (index & 0x80000000u) gdi_.SelectStockObject(index & 0x7FFFFFFFu);
      else gdi_.SelectObject(static_cast<int>(index));
      break;
    }
    case 38: {  // CREATEPEN
      const uint32_t index = r.U32(), style = r.U32();
      const double width = r.I32();
      r.Skip(4);
      const Color c = internal::GdiColor(r.U32());
      if (!r.ok()) return broken();
      GdiObject o;
      o.kind = GdiObject::Kind::kPen;
      o.pen = {internal::GdiPenStyle(style), c, std::fabs(width)};
      return gdi_.CreateObject(std::move(o), static_cast<int>(index & 0xFFFF));
    }
    case 95: {  // EXTCREATEPEN
      const uint32_t index = r.U32();
      r.Skip(16);
      const uint32_t style = r.U32(), width = r.U32(), brush_style = r.U32();
      const Color c = internal::GdiColor(r.U32());
      if (!r.ok()) return broken();
      GdiObject o;
      o.kind = GdiObject::Kind::kPen;
      // Cosmetic pens (type bits 0) are one pixel whatever the width says.
      const bool geometric = (style & 0x00010000u) != 0;
      o.pen = {brush_style == 1 ? LineStyle::kNone : internal::GdiPenStyle(style), c, geometric ? static_cast<double>(width) : 0};
      return gdi_.CreateObject(std::move(o), static_cast<int>(index & 0xFFFF));
    }
    case 39: {  // CREATEBRUSHINDIRECT
      const uint32_t index = r.U32(), style = r.U32();
      const Color c = internal::GdiColor(r.U32());
      if (!r.ok()) return broken();
      GdiObject o;
      o.kind = GdiObject::Kind::kBrush;
      o.brush = {style == 1, c};
      return gdi_.CreateObject(std::move(o), static_cast<int>(index & 0xFFFF));
    }
    case 93: case 94: {  // CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT
      const uint32_t index = r.U32();
      r.Skip(4);
      const uint32_t off_bmi = r.U32(), cb_bmi = r.U32(), off_bits = r.U32(), cb_bits = r.U32();
      GdiObject o;
      o.kind = GdiObject::Kind::kBrush;
      o.brush = {false, {128, 128, 128}};
      Image img;
      if (r.ok() && RecordDib(r, off_bmi, cb_bmi, off_bits, cb_bits, {}, &img))
        internal::AverageColor(img, &o.brush.color.r, &o.brush.color.g, &o.brush.color.b);
      return gdi_.CreateObject(std::move(o), static_cast<int>(index & 0xFFFF));
    }
    case 82: {  // EXTCREATEFONTINDIRECTW
      const uint32_t index = r.U32();
      GdiObject o;
      o.kind = GdiObject::Kind::kFont;
      o.font.height = r.I32();
      o.font.width = std::fabs(static_cast<double>(r.I32()));
      o.font.escapement = r.I32();
      r.Skip(4);
      o.font.weight = r.I32();
      o.font.italic = r.U8() != 0;
      o.font.underline = r.U8() != 0;
      r.Skip(1);
      o.font.charset = r.U8();
      r.Skip(4);
      if (!r.ok()) return broken();
      const size_t units = r.left() / 2 < 32 ? r.left() / 2 : 32;
      o.font.face = internal::DecodeUtf16(r.here(), units);
      return gdi_.CreateObject(std::move(o), static_cast<int>(index & 0xFFFF));
    }
    case 40: gdi_.DeleteObject(static_cast<int>(r.U32() & 0xFFFF)); break;
    case 41: {
      const Point c = ReadPoint(r, false);
      const double radius = r.U32();
      const double start = r.F32(), sweep = r.F32();
      if (!r.ok()) return broken();
      return gdi_.AngleArc(c, radius, start, sweep);
    }
    case 42: { const Rect b = ReadBox(r); if (!r.ok()) return broken(); return gdi_.Ellipse(b); }
    case 43: { const Rect b = ReadBox(r); if (!r.ok()) return broken(); return gdi_.Rectangle(b); }
    case 44: {
      const Rect b = ReadBox(r);
      const Point corner = ReadPoint(r, false);
      if (!r.ok()) return broken();
      return gdi_.RoundRect(b, corner.x, corner.y);
    }
    case 45: case 46: case 47: case 55: {
      const Rect b = ReadBox(r);
      const Point s = ReadPoint(r, false), e = ReadPoint(r, false);
      if (!r.ok()) return broken();
      const ArcKind k = type == 45 ? ArcKind::kArc : type == 46 ? ArcKind::kChord : type == 47 ? ArcKind::kPie : ArcKind::kArcTo;
      return gdi_.ArcFigure(k, b, s, e);
    }
    case 54: { const Point p = ReadPoint(r, false); if (!r.ok()) return broken(); return gdi_.LineTo(p); }
    case 57: gdi_.SetArcDirection(static_cast<int>(r.U32())); break;
    case 59: gdi_.BeginPath(); break;
    case 60: gdi_.EndPath(); break;
    case 61: gdi_.CloseFigure(); break;
    case 62: return gdi_.StrokePath(true, false);
    case 63: return gdi_.StrokePath(true, true);
    case 64: return gdi_.StrokePath(false, true);
    case 67: return gdi_.SelectClipPath(static_cast<int>(r.U32()));
    case 68: gdi_.AbortPath(); break;
    case 71: case 72: case 74: {  // FILLRGN, FRAMERGN, PAINTRGN
      r.Skip(16);
      const uint32_t cb = r.U32();
      uint32_t brush_index = 0;
      double fw = 1, fh = 1;
      if (type != 74) brush_index = r.U32();
      if (type == 72) { fw = r.I32(); fh = r.I32(); }
      if (!r.ok() || cb > r.left()) return broken();
      Path region;
      if (!RegionData(r.here(), cb, &region)) break;
      GdiBrush brush = gdi_.brush();
      if (type != 74) {
        const GdiObject* o = gdi_.Object(static_cast<int>(brush_index & 0xFFFF));
        if (brush_index & 0x80000000u) {
          gdi_.SaveDc();
          gdi_.SelectStockObject(brush_index & 0x7FFFFFFFu);
          brush = gdi_.brush();
          gdi_.RestoreDc(-1);
        } else if (o != nullptr && o->kind == GdiObject::Kind::kBrush) {
          brush = o->brush;
        }
      }
      return type == 72 ? gdi_.FramePath(region, brush, fw, fh) : gdi_.FillPath(region, brush);
    }
    case 75: {  // EXTSELECTCLIPRGN
      const uint32_t cb = r.U32(), mode = r.U32();
      if (!r.ok()) return broken();
      if (cb == 0 || cb > r.left()) return gdi_.SelectClipRegion(nullptr, static_cast<int>(mode));
      Path region;
      if (!RegionData(r.here(), cb, &region)) break;
      return gdi_.SelectClipRegion(&region, static_cast<int>(mode));
    }
    case 76: case 77: case 80: case 81: return Blit(type, r);
    case 83: case 84: return Text(r, type == 84);
    default: break;  // palettes, colour management, comments: nothing to draw
  }
  return Result::Ok();
}

Result EmfPlayer::Play(const uint8_t* data, size_t size) {
  ByteReader head(data, size);
  const uint32_t type = head.U32(), header_size = head.U32();
  const Rect bounds = ReadBox(head);
  const Rect frame = ReadBox(head);
  const uint32_t signature = head.U32();
  head.Skip(4 + 4 + 4 + 2 + 2 + 4 + 4 + 4);
  const double dev_cx = head.I32(), dev_cy = head.I32(), mm_cx = head.I32(), mm_cy = head.I32();
  if (!head.ok()) return Result(Status::kBroken, "header cut short");
  if (type != 1 || signature != kEmfSignature) return Result(Status::kBadFile, "not an enhanced metafile");
  if (header_size < 88 || header_size > size) return Result(Status::kBroken, "header size out of range");

  size_t at = header_size;
  bool ended = false;
  while (at < size) {
    if (size - at < 8) return Result(Status::kBroken, "record cut short");
    ByteReader rec_head(data + at, 8);
    const uint32_t rec_type = rec_head.U32(), rec_size = rec_head.U32();
    if (rec_size < 8 || rec_size % 4 != 0 || rec_size > size - at) return Result(Status::kBroken, "record size out of range");
    if (rec_type == 14) {
      ended = true;
      break;
    }
    ByteReader r(data + at, rec_size);
    r.Skip(8);
    if (Result res = Record(rec_type, r); !res.ok()) return res;
    if (!r.ok()) return Result(Status::kBroken, "record fields past the record's end");
    at += rec_size;
  }
  if (!ended) return Result(Status::kBroken, "metafile ends without its last record");

  // The page is the frame (0.01 mm) in the reference device's pixels.
  Rect page;
  int w = 0, h = 0;
  if (frame.width > 0 && frame.height > 0 && dev_cx > 0 && dev_cy > 0 && mm_cx > 0 && mm_cy > 0) {
    const double sx = dev_cx / (mm_cx * 100), sy = dev_cy / (mm_cy * 100);
    page = {frame.x * sx, frame.y * sy, (frame.width + 1) * sx, (frame.height + 1) * sy};
    NaturalSizeOf(frame.width + 1, frame.height + 1, 2540, &w, &h);
  } else if (bounds.width > 0 && bounds.height > 0) {
    page = {bounds.x, bounds.y, bounds.width + 1, bounds.height + 1};
    NaturalSizeOf(page.width, page.height, 96, &w, &h);
  } else if (out_->Bounds(&page)) {
    NaturalSizeOf(page.width, page.height, 96, &w, &h);
  } else {
    page = {0, 0, 1, 1};
    w = h = 1;
  }
  out_->SetPage(page, w, h);
  return Result::Ok();
}

}  // namespace

Result ReadEmf(const uint8_t* data, size_t size, Drawing* out) {
  if (data == nullptr || out == nullptr) return Result(Status::kBadValue, "no data");
  Drawing d;
  EmfPlayer player(&d);
  if (Result r = player.Play(data, size); !r.ok()) return r;
  *out = std::move(d);
  return Result::Ok();
}

}  // namespace imaging::vector

// Windows metafiles (placeable and plain): records played into the GDI
// drawing state.  Every record's size is checked against the file before
// its parameters are read; parameters are read through a bounds-checked
// reader limited to the record.
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

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;

// Rectangle stored as bottom, right, top, left (reverse order).
Rect ReverseRect(ByteReader& r) {
  const double b = r.I16(), ri = r.I16(), t = r.I16(), l = r.I16();
  return GdiPlayer::Box(l, t, ri, b);
}

std::vector<Point> Points(ByteReader& r, size_t n) {
  std::vector<Point> pts;
  if (n > r.left() / 4) n = r.left() / 4 + 1;  // the read below fails; no huge reserve
  pts.reserve(n);
  for (size_t i = 0; i < n && r.ok(); ++i) {
    const double x = r.I16(), y = r.I16();
    pts.push_back({x, y});
  }
  return pts;
}

// A region object: scan lines of left/right pairs, as a path of rectangles.
Path RegionPath(ByteReader& r) {
  Path path;
  r.Skip(2 + 2 + 4 + 2);  // nextInChain, objectType, objectCount, regionSize
  const uint16_t scans = r.U16();
  r.Skip(2 + 8);  // maxScan, bounding rectangle
  for (uint16_t s = 0; s < scans && r.ok(); ++s) {
    const uint16_t count = r.U16();
    const double top = r.I16(), bottom = r.I16();
    for (uint16_t i = 0; i + 1 < count && r.ok(); i += 2) {
      const double left = r.I16(), right = r.I16();
      if (r.ok()) path.AddRect(GdiPlayer::Box(left, top, right, bottom));
    }
    r.Skip(2);  // count again
  }
  return path;
}

class WmfPlayer {
 public:
  explicit WmfPlayer(Drawing* out) : out_(out), gdi_(out) {}

  Result Play(const uint8_t* data, size_t size);

 private:
  Result Record(uint16_t function, ByteReader& r, size_t words);
  Result Blit(uint16_t function, ByteReader& r, size_t words);
  std::string Decode(const uint8_t* bytes, size_t n) const;

  Drawing* out_;
  GdiPlayer gdi_;
};

std::string WmfPlayer::Decode(const uint8_t* bytes, size_t n) const {
  return internal::DecodeCharset(bytes, n, gdi_.font().charset);
}

Result WmfPlayer::Blit(uint16_t function, ByteReader& r, size_t words) {
  // Parameter words the function carries without a bitmap: its high byte.
  const bool has_bitmap = words != static_cast<size_t>(function >> 8) + 3;
  const uint32_t rop = r.U32();
  double sh = 0, sw = 0, sy = 0, sx = 0, dh = 0, dw = 0, dy = 0, dx = 0;
  if (function == 0x0F43) {  // STRETCHDIB: colour usage first
    r.Skip(2);
  } else if (!has_bitmap) {
    r.Skip(2);
  }
  if (function == 0x0940) {  // DIBBITBLT: no source size of its own
    sy = r.I16(); sx = r.I16(); dh = r.I16(); dw = r.I16(); dy = r.I16(); dx = r.I16();
    sh = dh;
    sw = dw;
  } else {
    sh = r.I16(); sw = r.I16(); sy = r.I16(); sx = r.I16(); dh = r.I16(); dw = r.I16(); dy = r.I16(); dx = r.I16();
  }
  if (!r.ok()) return Result(Status::kBroken, "bit-block record cut short");
  const Rect dest{dx, dy, dw, dh};
  if (!has_bitmap) {
    // A pattern-only blit paints the destination with the brush (or black
    // or white for the two constant operations).
    GdiBrush brush{false, {0, 0, 0}};
    if (rop == 0x00FF0062u) brush.color = {255, 255, 255};
    else if (rop != 0x00000042u) return Result::Ok();
    Path p;
    p.AddRect(GdiPlayer::Box(dx, dy, dx + dw, dy + dh));
    return gdi_.FillPath(p, brush);
  }
  Image img;
  internal::DibPart part{static_cast<int>(sx), static_cast<int>(sy), static_cast<int>(sw), static_cast<int>(sh)};
  if (!internal::PackedDibToRaster(r.here(), r.left(), part, &img).ok()) return Result::Ok();  // skip a bad picture
  return gdi_.DrawImage(std::move(img), dest);
}

Result WmfPlayer::Record(uint16_t function, ByteReader& r, size_t words) {
  switch (function) {
    case 0x0201: gdi_.SetBkColor(internal::GdiColor(r.U32())); break;
    case 0x0102: gdi_.SetBkMode(r.U16()); break;
    case 0x0103: gdi_.SetMapMode(r.U16()); break;
    case 0x0106: gdi_.SetPolyFillMode(r.U16()); break;
    case 0x0209: gdi_.SetTextColor(internal::GdiColor(r.U32())); break;
    case 0x012E: gdi_.SetTextAlign(r.U16()); break;
    case 0x020B: { const double y = r.I16(), x = r.I16(); gdi_.SetWindowOrg({x, y}); break; }
    case 0x020C: { const double y = r.I16(), x = r.I16(); gdi_.SetWindowExt({x, y}); break; }
    case 0x020D: { const double y = r.I16(), x = r.I16(); gdi_.SetViewportOrg({x, y}); break; }
    case 0x020E: { const double y = r.I16(), x = r.I16(); gdi_.SetViewportExt({x, y}); break; }
    case 0x020F: { const double y = r.I16(), x = r.I16(); gdi_.OffsetWindowOrg({x, y}); break; }
    case 0x0211: { const double y = r.I16(), x = r.I16(); gdi_.OffsetViewportOrg({x, y}); break; }
    case 0x0410: {
      const double yd = r.I16(), yn = r.I16(), xd = r.I16(), xn = r.I16();
      gdi_.ScaleWindowExt(xn, xd, yn, yd);
      break;
    }
    case 0x0412: {
      const double yd = r.I16(), yn = r.I16(), xd = r.I16(), xn = r.I16();
      gdi_.ScaleViewportExt(xn, xd, yn, yd);
      break;
    }
    case 0x001E: gdi_.SaveDc(); break;
    case 0x0127: gdi_.RestoreDc(r.I16()); break;
    case 0x0214: { const double y = r.I16(), x = r.I16(); if (r.ok()) gdi_.MoveTo({x, y}); break; }
    case 0x0213: { const double y = r.I16(), x = r.I16(); if (r.ok()) return gdi_.LineTo({x, y}); break; }
    case 0x041B: { const Rect b = ReverseRect(r); if (r.ok()) return gdi_.Rectangle(b); break; }
    case 0x0418: { const Rect b = ReverseRect(r); if (r.ok()) return gdi_.Ellipse(b); break; }
    case 0x061C: {
      const double h = r.I16(), w = r.I16();
      const Rect b = ReverseRect(r);
      if (r.ok()) return gdi_.RoundRect(b, w, h);
      break;
    }
    case 0x0817: case 0x0830: case 0x081A: {
      const double ye = r.I16(), xe = r.I16(), ys = r.I16(), xs = r.I16();
      const Rect b = ReverseRect(r);
      if (!r.ok()) break;
      const ArcKind k = function == 0x0817 ? ArcKind::kArc : (function == 0x0830 ? ArcKind::kChord : ArcKind::kPie);
      return gdi_.ArcFigure(k, b, {xs, ys}, {xe, ye});
    }
    case 0x0324: case 0x0325: {
      const uint16_t n = r.U16();
      const std::vector<Point> pts = Points(r, n);
      if (!r.ok()) break;
      return function == 0x0324 ? gdi_.Polygon(pts) : gdi_.Polyline(pts, false);
    }
    case 0x0538: {
      const uint16_t polys = r.U16();
      std::vector<uint16_t> counts;
      for (uint16_t i = 0; i < polys && r.ok(); ++i) counts.push_back(r.U16());
      std::vector<std::vector<Point>> all;
      for (uint16_t c : counts) {
        if (!r.ok()) break;
        all.push_back(Points(r, c));
      }
      if (!r.ok()) break;
      return gdi_.PolyPolygon(all);
    }
    case 0x041F: {  // SETPIXEL
      const Color c = internal::GdiColor(r.U32());
      const double y = r.I16(), x = r.I16();
      if (!r.ok()) break;
      Path p;
      p.AddRect({x, y, 1, 1});
      return gdi_.FillPath(p, GdiBrush{false, c});
    }
    case 0x061D: {  // PATBLT
      const uint32_t rop = r.U32();
      const double h = r.I16(), w = r.I16(), y = r.I16(), x = r.I16();
      if (!r.ok()) break;
      Path p;
      p.AddRect(GdiPlayer::Box(x, y, x + w, y + h));
      if (rop == 0x00000042u) return gdi_.FillPath(p, GdiBrush{false, {0, 0, 0}});
      if (rop == 0x00FF0062u) return gdi_.FillPath(p, GdiBrush{false, {255, 255, 255}});
      if (rop == 0x00F00021u) {
        // The pattern copy paints with the selected brush.
        gdi_.SaveDc();
        gdi_.SelectStockObject(8);  // no outline
        Result res = gdi_.Rectangle(GdiPlayer::Box(x, y, x + w, y + h));
        gdi_.RestoreDc(-1);
        return res;
      }
      break;
    }
    case 0x0521: {  // TEXTOUT
      const uint16_t n = r.U16();
      const size_t padded = (static_cast<size_t>(n) + 1) & ~size_t{1};
      if (padded > r.left()) return Result(Status::kBroken, "text cut short");
      const uint8_t* bytes = r.here();
      r.Skip(padded);
      const double y = r.I16(), x = r.I16();
      if (!r.ok()) break;
      return gdi_.TextOut({x, y}, Decode(bytes, n), 0, nullptr, 0);
    }
    case 0x0A32: {  // EXTTEXTOUT
      const double y = r.I16(), x = r.I16();
      const uint16_t n = r.U16(), options = r.U16();
      Rect rect{};
      const bool has_rect = (options & (internal::kEtoOpaque | internal::kEtoClipped)) != 0;
      if (has_rect) {
        const double l = r.I16(), t = r.I16(), ri = r.I16(), b = r.I16();
        rect = GdiPlayer::Box(l, t, ri, b);
      }
      if (!r.ok()) break;
      if (n > r.left()) return Result(Status::kBroken, "text cut short");
      const uint8_t* bytes = r.here();
      r.Skip((static_cast<size_t>(n) + 1) & ~size_t{1});
      double total = 0;
      if (r.left() >= static_cast<size_t>(n) * 2) {
        for (uint16_t i = 0; i < n; ++i) total += r.I16();
      }
      return gdi_.TextOut({x, y}, Decode(bytes, n), options, has_rect ? &rect : nullptr, total);
    }
    case 0x02FA: {  // CREATEPENINDIRECT
      GdiObject o;
      o.kind = GdiObject::Kind::kPen;
      const uint16_t style = r.U16();
      const double width = r.I16();
      r.Skip(2);
      o.pen = {internal::GdiPenStyle(style), internal::GdiColor(r.U32()), std::fabs(width)};
      if (!r.ok()) break;
      return gdi_.CreateObject(std::move(o), -1);
    }
    case 0x02FC: {  // CREATEBRUSHINDIRECT
      GdiObject o;
      o.kind = GdiObject::Kind::kBrush;
      const uint16_t style = r.U16();
      o.brush = {style == 1, internal::GdiColor(r.U32())};
      return gdi_.CreateObject(std::move(o), -1);
    }
    case 0x0142: case 0x01F9: {  // DIBCREATEPATTERNBRUSH, CREATEPATTERNBRUSH
      GdiObject o;
      o.kind = GdiObject::Kind::kBrush;
      o.brush = {false, {128, 128, 128}};
      if (function == 0x0142) {
        r.Skip(4);
        Image img;
        if (internal::PackedDibToRaster(r.here(), r.left(), {}, &img).ok())
          internal::AverageColor(img, &o.brush.color.r, &o.brush.color.g, &o.brush.color.b);
      }
      return gdi_.CreateObject(std::move(o), -1);
    }
    case 0x02FB: {  // CREATEFONTINDIRECT
      GdiObject o;
      o.kind = GdiObject::Kind::kFont;
      o.font.height = r.I16();
      o.font.width = std::fabs(static_cast<double>(r.I16()));
      o.font.escapement = r.I16();
      r.Skip(2);
      o.font.weight = r.I16();
      o.font.italic = r.U8() != 0;
      o.font.underline = r.U8() != 0;
      r.Skip(1);
      o.font.charset = r.U8();
      r.Skip(4);
      if (!r.ok()) break;
      const size_t face_len = r.left() < 32 ? r.left() : 32;
      o.font.face = internal::DecodeCharset(r.here(), face_len, o.font.charset == 2 ? 0 : o.font.charset);
      return gdi_.CreateObject(std::move(o), -1);
    }
    case 0x06FF: {  // CREATEREGION
      GdiObject o;
      o.kind = GdiObject::Kind::kRegion;
      o.region = RegionPath(r);
      return gdi_.CreateObject(std::move(o), -1);
    }
    case 0x00F7: {  // CREATEPALETTE: takes a slot
      GdiObject o;
      o.kind = GdiObject::Kind::kPalette;
      return gdi_.CreateObject(std::move(o), -1);
    }
    case 0x012D: gdi_.SelectObject(r.U16()); break;
    case 0x01F0: gdi_.DeleteObject(r.U16()); break;
    case 0x012C: {  // SELECTCLIPREGION
      const int index = r.U16();
      const GdiObject* o = gdi_.Object(index);
      if (o == nullptr || o->kind != GdiObject::Kind::kRegion) {
        gdi_.ResetClip();
        break;
      }
      gdi_.SelectObject(index);
      break;
    }
    case 0x0228: case 0x0429: case 0x012B: {  // FILLREGION, FRAMEREGION, PAINTREGION
      const GdiObject* region = gdi_.Object(r.U16());
      if (region == nullptr || region->kind != GdiObject::Kind::kRegion) break;
      if (function == 0x012B) return gdi_.FillPath(region->region, gdi_.brush());
      const GdiObject* brush = gdi_.Object(r.U16());
      if (brush == nullptr || brush->kind != GdiObject::Kind::kBrush) break;
      if (function == 0x0228) return gdi_.FillPath(region->region, brush->brush);
      const double h = r.I16(), w = r.I16();
      return gdi_.FramePath(region->region, brush->brush, w, h);
    }
    case 0x0415: { const Rect b = ReverseRect(r); if (r.ok()) return gdi_.ExcludeClipRect(b); break; }
    case 0x0416: { const Rect b = ReverseRect(r); if (r.ok()) return gdi_.IntersectClipRect(b); break; }
    case 0x0F43: case 0x0B41: case 0x0940: return Blit(function, r, words);
    case 0x0D33: {  // SETDIBTODEV
      r.Skip(2 + 2 + 2);  // colour usage, scan count, start scan
      const double ys = r.I16(), xs = r.I16(), h = r.I16(), w = r.I16(), yd = r.I16(), xd = r.I16();
      if (!r.ok()) break;
      Image img;
      internal::DibPart part{static_cast<int>(xs), static_cast<int>(ys), static_cast<int>(w), static_cast<int>(h)};
      if (!internal::PackedDibToRaster(r.here(), r.left(), part, &img).ok()) break;
      return gdi_.DrawImage(std::move(img), {xd, yd, w, h});
    }
    default: break;  // palettes, raster operations, escapes: nothing to draw
  }
  return Result::Ok();
}

Result WmfPlayer::Play(const uint8_t* data, size_t size) {
  ByteReader file(data, size);
  bool placeable = false;
  Rect bbox{};
  double inch = 1440;
  if (size >= 4 && (data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24) == kPlaceableKey) {
    placeable = true;
    file.Skip(4 + 2);
    const double l = file.I16(), t = file.I16(), ri = file.I16(), b = file.I16();
    inch = file.U16();
    file.Skip(4 + 2);
    if (!file.ok()) return Result(Status::kBroken, "placeable header cut short");
    bbox = GdiPlayer::Box(l, t, ri, b);
    if (inch == 0) inch = 1440;
  }
  const size_t header_at = file.pos();
  const uint16_t type = file.U16();
  const uint16_t header_words = file.U16();
  file.Skip(2 + 4 + 2 + 4 + 2);
  if (!file.ok()) return Result(Status::kBroken, "metafile header cut short");
  if ((type != 1 && type != 2) || header_words != 9) return Result(Status::kBadFile, "not a Windows metafile");
  file.Seek(header_at + 18);
  bool ended = false;
  while (file.left() > 0) {
    if (file.left() < 6) return Result(Status::kBroken, "record cut short");
    const size_t at = file.pos();
    const uint32_t words = file.U32();
    const uint16_t function = file.U16();
    if (function == 0x0000) {
      ended = true;
      break;
    }
    if (words < 3 || words > (file.size() - at) / 2) return Result(Status::kBroken, "record size out of range");
    ByteReader record(data + at + 6, static_cast<size_t>(words) * 2 - 6);
    if (Result r = Record(function, record, words); !r.ok()) return r;
    // A record whose fields run past its own size is damaged.
    if (!record.ok()) return Result(Status::kBroken, "record fields past the record's end");
    file.Seek(at + static_cast<size_t>(words) * 2);
  }
  if (!ended) return Result(Status::kBroken, "metafile ends without its last record");

  // The page: the placeable frame, else the window the file drew in, else
  // what it drew.
  const Transform map = gdi_.FirstDrawMap();
  Rect window;
  Rect page;
  int w = 0, h = 0;
  if (placeable) {
    const Point a = map.Map({bbox.x, bbox.y}), b = map.Map({bbox.x + bbox.width, bbox.y + bbox.height});
    page = GdiPlayer::Box(a.x, a.y, b.x, b.y);
    NaturalSizeOf(bbox.width, bbox.height, inch, &w, &h);
  } else if (gdi_.FirstDrawWindow(&window)) {
    const Point a = map.Map({window.x, window.y}), b = map.Map({window.x + window.width, window.y + window.height});
    page = GdiPlayer::Box(a.x, a.y, b.x, b.y);
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

Result ReadWmf(const uint8_t* data, size_t size, Drawing* out) {
  if (data == nullptr || out == nullptr) return Result(Status::kBadValue, "no data");
  Drawing d;
  WmfPlayer player(&d);
  if (Result r = player.Play(data, size); !r.ok()) return r;
  *out = std::move(d);
  return Result::Ok();
}

}  // namespace imaging::vector

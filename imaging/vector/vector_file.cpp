// Vector files end to end: detection, loading, natural sizes, rendering.
#include "imaging/vector/vector_file.h"

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <QSvgRenderer>
#include <cmath>
#include <fstream>

#include "imaging/vector/render.h"

namespace imaging::vector {

bool IsVectorData(const uint8_t* data, size_t size) {
  return DetectVectorFormat(data, size) != VectorFormat::kUnknown;
}

bool IsVectorFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  char head[1024];
  in.read(head, sizeof head);
  const auto n = static_cast<size_t>(in.gcount());
  return IsVectorData(reinterpret_cast<const uint8_t*>(head), n);
}

Result ReadFileBytes(const std::string& path, std::string* out) {
  std::error_code ec;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    std::ifstream probe(path);
    return probe ? Result(Status::kCannotOpen, "cannot open " + path) : Result(Status::kNotFound, "not found: " + path);
  }
  const std::streamoff size = in.tellg();
  if (size < 0) return Result(Status::kCannotRead, "cannot read " + path);
  if (static_cast<uint64_t>(size) > kMaxVectorFileBytes) return Result(Status::kMemory, "file too large");
  std::string bytes(static_cast<size_t>(size), '\0');
  in.seekg(0);
  if (!in.read(bytes.data(), size)) return Result(Status::kCannotRead, "cannot read " + path);
  *out = std::move(bytes);
  return Result::Ok();
}

Result LoadDrawing(const uint8_t* data, size_t size, Drawing* out, VectorFormat* format) {
  if (out == nullptr) return Result(Status::kBadValue, "no destination");
  Drawing d;
  VectorFormat f = VectorFormat::kUnknown;
  if (Result r = ReadDrawing(data, size, &d, &f); !r.ok()) return r;
  if (f == VectorFormat::kSvg) {
    QSvgRenderer svg(QByteArray::fromRawData(d.svg().data(), static_cast<qsizetype>(d.svg().size())));
    if (!svg.isValid()) return Result(Status::kBroken, "damaged SVG document");
    const QRectF box = svg.viewBoxF();
    QSize natural = svg.defaultSize();
    if (natural.isEmpty()) natural = box.isEmpty() ? QSize(300, 150) : box.size().toSize();
    int w = 0, h = 0;
    NaturalSizeOf(natural.width(), natural.height(), 96, &w, &h);
    d.SetPage(box.isEmpty() ? Rect{0, 0, static_cast<double>(w), static_cast<double>(h)}
                            : Rect{box.x(), box.y(), box.width(), box.height()},
              w, h);
  }
  if (format != nullptr) *format = f;
  *out = std::move(d);
  return Result::Ok();
}

Result LoadDrawingFile(const std::string& path, Drawing* out, VectorFormat* format) {
  std::string bytes;
  if (Result r = ReadFileBytes(path, &bytes); !r.ok()) return r;
  return LoadDrawing(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out, format);
}

Result ReadVectorInfo(const std::string& path, VectorInfo* info) {
  if (info == nullptr) return Result(Status::kBadValue, "no destination");
  Drawing d;
  VectorFormat f = VectorFormat::kUnknown;
  if (Result r = LoadDrawingFile(path, &d, &f); !r.ok()) return r;
  *info = {f, d.natural_width(), d.natural_height()};
  return Result::Ok();
}

Result RenderVectorFile(const std::string& path, int max_w, int max_h, Color background, Image* out) {
  Drawing d;
  if (Result r = LoadDrawingFile(path, &d); !r.ok()) return r;
  RenderOptions options;
  FitSize(d.natural_width(), d.natural_height(), max_w, max_h, &options.width, &options.height);
  options.background = background;
  return RenderDrawing(d, options, out);
}

}  // namespace imaging::vector

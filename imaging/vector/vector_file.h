// File: imaging/vector/vector_file.h
//
// Vector picture files end to end: what a file is and its natural size,
// reading it into a drawing (SVG pages and sizes come from the SVG engine
// here), and rendering a file straight into an engine picture.
//
//   imaging::vector::VectorInfo info;
//   if (imaging::vector::ReadVectorInfo(path, &info).ok()) ... info.width x info.height
//   imaging::Image img;
//   auto r = imaging::vector::RenderVectorFile(path, 800, 600, {255, 255, 255}, &img);
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/image.h"
#include "imaging/status.h"
#include "imaging/vector/drawing.h"
#include "imaging/vector/readers.h"

namespace imaging::vector {

// Files larger than this are refused (kMemory).
inline constexpr uint64_t kMaxVectorFileBytes = 512ull << 20;

struct VectorInfo {
  VectorFormat format = VectorFormat::kUnknown;
  int width = 0;   // natural size in pixels
  int height = 0;
};

// IsVectorData(): the bytes start like a vector file this library reads.
bool IsVectorData(const uint8_t* data, size_t size);
// IsVectorFile(): the same for the first bytes of a file; false when it
// cannot be read.
bool IsVectorFile(const std::string& path);

// LoadDrawing(): the whole file read and parsed; SVG documents are checked
// by the SVG engine and given their page and natural size.  kNotFound,
// kCannotOpen, kBadFile, kBroken, kMemory.
Result LoadDrawing(const uint8_t* data, size_t size, Drawing* out, VectorFormat* format = nullptr);
Result LoadDrawingFile(const std::string& path, Drawing* out, VectorFormat* format = nullptr);

// ReadVectorInfo(): format and natural size (the file is parsed whole).
Result ReadVectorInfo(const std::string& path, VectorInfo* info);

// RenderVectorFile(): the file rendered at its natural size fitted inside
// max_w x max_h (0 = unbounded; never enlarged), 24-bit on `background`.
Result RenderVectorFile(const std::string& path, int max_w, int max_h, Color background, Image* out);

// ReadFileBytes(): a whole file, at most kMaxVectorFileBytes.
Result ReadFileBytes(const std::string& path, std::string* out);

}  // namespace imaging::vector

// File: imaging/vector/readers.h
//
// The vector file readers: each turns a whole file in memory into a
// Drawing, or says why it cannot.  No Qt; fuzz targets call them directly.
// Every reader bounds record counts, sizes and nesting and never trusts a
// length field: kBadFile when the bytes are not its format, kBroken when
// they are but are damaged or cut short, kMemory past the model's bounds.
//
//   imaging::vector::Drawing d;
//   if (auto r = imaging::vector::ReadDrawing(bytes.data(), bytes.size(), &d); !r.ok()) ...
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/status.h"
#include "imaging/vector/drawing.h"

namespace imaging::vector {

enum class VectorFormat : int16_t { kUnknown, kWmf, kEmf, kDxf, kSvg, kSxfP21, kSxfSfc };

// DetectVectorFormat(): the format of a file from its first bytes (placeable
// and plain WMF, EMF, ASCII DXF, SVG, the SXF P21 and SFC files).
VectorFormat DetectVectorFormat(const uint8_t* data, size_t size);

Result ReadWmf(const uint8_t* data, size_t size, Drawing* out);
Result ReadEmf(const uint8_t* data, size_t size, Drawing* out);
Result ReadDxf(const uint8_t* data, size_t size, Drawing* out);
Result ReadSxf(const uint8_t* data, size_t size, Drawing* out);

// ReadDrawing(): detects the format and reads it.  An SVG document is only
// kept (Drawing::svg()); its page and size come from the SVG engine
// (vector_file.h).  `*out` is untouched on failure.
Result ReadDrawing(const uint8_t* data, size_t size, Drawing* out, VectorFormat* format = nullptr);

}  // namespace imaging::vector

// File: imaging/dlls/internal/vector_route.h
//
// The vector side of the file entries: recognising vector files with their
// natural size, loading them as vector handles, and rendering those.
//
//   int32_t known = 0;
//   if (VectorFileType(path, index, &info, &known)) return known;   // a vector file
#pragma once

#include <cstdint>

#include "imaging/dlls/internal/vector_handle.h"
#include "imaging/dlls/mv7.h"

namespace mv7::internal {

// VectorFileType(): true when `file` starts like a vector file; *result is
// then MVFileType's answer (0 for a damaged one or an index past 0).
bool VectorFileType(const char* file, int32_t index, MVFileInfo* info, int32_t* result);

// VectorFileLoad(): true when `file` starts like a vector file; *result is
// then the vector handle (its size the natural size fitted inside the
// bound), or 0.
bool VectorFileLoad(const char* file, int32_t index, int32_t max_width, int32_t max_height, MVHANDLE* result);

// RenderVectorBlock(): the drawing of a vector block painted at its size on
// the background, as a raster handle of bit_count 24 or 32; 0 on failure.
MVHANDLE RenderVectorBlock(const VectorFacts& facts, int32_t bit_count, int32_t red, int32_t green, int32_t blue);

}  // namespace mv7::internal

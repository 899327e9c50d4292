// File: imaging/dlls/internal/vector_handle.h
//
// Handles of vector pictures: a global-memory block holding a small header
// (magic "MVVD", the size the picture is to be rendered at, its format)
// followed by the file's bytes.  MVFileLoad makes them for vector files;
// MVGetImageType reports them as MV_KIND_VECTOR, MVVectorToRaster renders
// them, and every raster entry refuses them (they are not packed DIBs).
//
//   MVHANDLE h = MakeVectorHandle(MV_FORMAT_WMF, 320, 200, bytes.data(), bytes.size());
//   VectorFacts f;
//   if (ReadVectorBlock(block.data(), block.size(), &f)) ... f.bytes, f.size
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/dlls/mv7.h"

namespace mv7::internal {

inline constexpr uint32_t kVectorMagic = 0x4456564Du;  // "MVVD"

struct VectorFacts {
  int width = 0;
  int height = 0;
  int16_t format = 0;
  const uint8_t* bytes = nullptr;  // the file, inside the block
  size_t size = 0;
};

// MakeVectorHandle(): a new block; 0 on failure or a bad size.
MVHANDLE MakeVectorHandle(int16_t format, int width, int height, const uint8_t* bytes, size_t size);

// ReadVectorBlock(): true for a well-formed vector block of `size` bytes.
bool ReadVectorBlock(const uint8_t* block, size_t size, VectorFacts* facts);

}  // namespace mv7::internal

// File: fuzz/fuzz_limits.h
//
// What the fuzz targets load.  The smoke run fails on any unit that needs
// over 512 MB, yet a picture within the engine's size limit may rightly
// need more (256 megapixels at 24 bits is 768 MB).  So full-size loads are
// tried only for pictures whose header claims at most 16 megapixels;
// bounded loads, whose cost follows the bound, are tried on everything.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/codecs/codec.h"
#include "imaging/codecs/internal/format_codec.h"

namespace fuzz {

inline constexpr uint64_t kFullLoadPixels = uint64_t{16} << 20;

// FullLoadWanted() is true when `codec` reads a header claiming at most
// kFullLoadPixels (a header it cannot read is tried too: it fails cheaply).
inline bool FullLoadWanted(const imaging::codecs::internal::FormatCodec& codec, const uint8_t* data, size_t size,
                           int index = 0) {
  imaging::codecs::FileInfo info;
  if (codec.read_info == nullptr || !codec.read_info(data, size, index, &info).ok()) return true;
  return static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height) <= kFullLoadPixels;
}

// BoundedLoad() loads through the dispatcher (with its final fit) inside
// 160 x 160.
inline void BoundedLoad(const uint8_t* data, size_t size, int index = 0) {
  imaging::codecs::LoadOptions bounded;
  bounded.image_index = index;
  bounded.max_width = bounded.max_height = 160;
  imaging::Image img;
  (void)imaging::codecs::LoadMemory(data, size, bounded, &img);
}

}  // namespace fuzz

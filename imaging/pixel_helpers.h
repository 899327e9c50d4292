// File: imaging/pixel_helpers.h
//
// The engine's small pixel routines, one home for each: the palette index
// of a packed pixel, the nearest palette colour, and the guard that turns
// an exception into a Result.
//
//   const int i = imaging::PaletteIndexAt(img.row(y), x, img.bpp());
//   const int n = imaging::NearestPaletteIndex(img.palette(), 255, 0, 0);
//   return imaging::GuardResult("Trim", [&] { ...; return Result::Ok(); });
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging {

// PaletteIndexAt(): the index of pixel `x` in a row of 1, 4 or 8 bits per
// pixel, most significant bits first (any other depth reads one byte).
inline int PaletteIndexAt(const uint8_t* row, int x, int bpp) {
  switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default: return row[x];
  }
}

// NearestPaletteIndex(): the entry of `count` RGBQUADs (blue, green, red,
// reserved) closest to (r, g, b) by squared distance; the lowest index
// among equals, so an exact colour is always found.  0 for an empty table.
int NearestPaletteIndex(const uint8_t* rgbquads, size_t count, uint8_t r, uint8_t g, uint8_t b);
inline int NearestPaletteIndex(const std::vector<PaletteEntry>& palette, uint8_t r, uint8_t g, uint8_t b) {
  static_assert(sizeof(PaletteEntry) == 4, "palette entries are RGBQUADs");
  return NearestPaletteIndex(reinterpret_cast<const uint8_t*>(palette.data()), palette.size(), r, g, b);
}

// GuardResult(): runs `body` (which returns a Result).  Running out of
// memory becomes kMemory, any other exception (OpenCV's included) kOther;
// the message starts with `what`.
template <typename F>
Result GuardResult(const char* what, F&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return Result(Status::kMemory, std::string(what) + ": out of memory");
  } catch (const std::exception& e) {
    return Result(Status::kOther, std::string(what) + ": " + e.what());
  } catch (...) {
    return Result(Status::kOther, std::string(what) + ": failed");
  }
}

}  // namespace imaging

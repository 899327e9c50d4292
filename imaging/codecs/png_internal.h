// File: imaging/codecs/png_internal.h
//
// Private entry points of the PNG codec (libpng), shared by png_codec.cpp,
// png_reader.cpp and png_writer.cpp.
//
//   FileInfo info;
//   Result r = PngReadInfo(data, size, 0, &info);   // no pixels decoded
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/codecs/codec.h"

namespace imaging::codecs::internal {

// True when the data starts with the 8-byte PNG signature.
bool PngSniff(const uint8_t* data, size_t size);

// Header, resolution and depth as PngLoad() would deliver them.  kBadFile
// for data that is not PNG, kBroken for a damaged or truncated header,
// kMemory for sides beyond the engine's limits.
// Plain headers are read from their chunks (internal/png_header.h), the
// rest by libpng, with the same facts either way.
Result PngReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info);
// PngReadInfoWithLibrary(): picture 0's facts as libpng's header reading
// gives them, whatever the header.
Result PngReadInfoWithLibrary(const uint8_t* data, size_t size, FileInfo* info);

// Decodes the picture: palette and grey of 1/4/8 bits (2 bits become 4,
// 16-bit grey becomes 8), RGB as 24 bpp, grey+alpha, RGBA and RGB with a
// transparent colour as 32 bpp.  Palette and grey transparency become the
// picture's transparent index.  Truncated pixel data gives kBroken.  With
// a bound in `options`, a 24/32-bit non-interlaced picture at least twice
// the bound is shrunk by a whole factor while decoding (block means); the
// result may still be larger than the bound.
Result PngLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out);

// Writes 1/4/8 bpp as palette (or grey, for grey pictures with the plain
// ramp palette), 16 and 24 bpp as RGB, 32 bpp as RGBA.  Honours
// `interlace`, `use_transparent` and `comment`.
Result PngSave(const Image& image, const std::string& path, const SaveOptions& options);

}  // namespace imaging::codecs::internal

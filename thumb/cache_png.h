// File: thumb/cache_png.h
//
// The PNG files of the shared thumbnail cache at the speed a folder of
// cached thumbnails needs.  A general image reader spends most of a cached
// thumbnail's time on bookkeeping around a few kilobytes of pixels; the
// entries the cache holds are nearly always the same simple shape (8 bits a
// sample, RGB or RGBA, not interlaced), so that shape is read here in one
// pass: the chunks are walked and checked, the pixel stream inflated whole
// with libdeflate and unfiltered in place.  Anything else - palettes, 16-bit
// samples, interlacing, a transparent colour, compressed text, a damaged
// checksum - is left to the general reader by returning false; what is
// decoded here is pixel for pixel what that reader makes of the file.
//
// Entries are written here too, in one pass with libdeflate, every row but
// the first filtered "up": of the five row filters it reads back fastest,
// and on photographs at thumbnail size it compresses about as well as
// choosing among them row by row.
//
//   thumb::cache_png::Chunks chunks;
//   if (!thumb::cache_png::WalkChunks(bytes, &chunks)) ... not a PNG ...
//   QImage img;
//   if (!thumb::cache_png::DecodeSimple(bytes, chunks, &img)) ... general reader ...
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace thumb::cache_png {

// What the walk learns of a PNG's chunks.  Spans index the walked bytes.
struct Chunks {
  uint32_t width = 0, height = 0;
  uint8_t bit_depth = 0, colour_type = 0, compression = 0, filter = 0, interlace = 0;
  bool has_transparency = false;   // a tRNS chunk
  bool has_other_text = false;     // zTXt or iTXt: keys the walk does not read
  bool checksums_sound = true;     // every chunk's CRC matches
  int64_t dots_per_metre_x = 0, dots_per_metre_y = 0;  // from pHYs in metres, 0 when absent
  uint64_t text_bytes = 0;         // bytes of every text chunk together
  std::vector<std::pair<std::string, std::string>> text;  // tEXt keys and values, in file order
  std::vector<std::pair<size_t, size_t>> image_data;      // IDAT (offset, length)
};

// Text chunks of an entry hold a few short keys; more than this marks a
// file that is not an entry (a reader would inflate all of it).
inline constexpr uint64_t kMaxTextBytes = 64 << 10;

// WalkChunks(): the signature, IHDR first, every chunk's length within the
// bytes left, at most kMaxTextBytes of text, and IEND.  False for anything
// else; a reader may then size buffers only by what the walk found.
bool WalkChunks(const QByteArray& png, Chunks* out);

// TextValue(): the last tEXt value of `key` (as a general reader keeps
// it), or nullptr.
const std::string* TextValue(const Chunks& chunks, const char* key);

// DecodeSimple(): the picture of a walked PNG of the simple shape, as a
// general reader gives it (ARGB32 for RGBA, RGB32 for RGB, the resolution
// of pHYs, the tEXt keys as the image's text).  False - and `out` untouched -
// for any other shape or whenever the pixel stream is not exactly whole.
bool DecodeSimple(const QByteArray& png, const Chunks& chunks, QImage* out);

// EncodeRgba(): `picture` as an 8-bit RGBA (or RGB when `alpha` is false)
// non-interlaced PNG carrying `text` as tEXt chunks (Latin-1 keys of 1-79
// bytes and values) and the picture's resolution, its pixel stream
// compressed at libdeflate's `level` (0-12).  Empty on failure.
QByteArray EncodeRgba(const QImage& picture, const std::vector<std::pair<std::string, std::string>>& text,
                      bool alpha = true, int level = 2);

}  // namespace thumb::cache_png

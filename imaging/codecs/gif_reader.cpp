// GIF decoding from memory.  The record stream is walked here, so pictures
// other than the requested one are skipped without decoding, and the LZW
// data is decoded here too: files whose minimum code size is above 8 (some
// encoders write 9 to 11), which giflib refuses outright, decode as other
// readers decode them, indices beyond the colour table showing colour 0.
// Before anything is allocated the picture is checked against the engine's
// size limit and against what its LZW data could possibly hold, so a tiny
// file claiming a huge picture costs nothing.  Bounded loads decode into a
// reduced picture and never hold the full-size one.
#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/codecs/gif_internal.h"
#include "imaging/codecs/internal/reduced_picture.h"

namespace imaging::codecs::internal {
namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

Result Truncated(const char* where) { return Result(Status::kBroken, std::string("GIF data ends early: ") + where); }

// One picture of the file, as found by the walk.
struct FrameRecord {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlace = false;
  std::vector<PaletteEntry> palette;  // the local table, else the global one
  int code_size = 0;
  size_t data_start = 0;   // first sub-block of the LZW data
  size_t data_bytes = 0;   // LZW bytes in the sub-blocks
  bool data_complete = false;  // the block terminator was reached
  int transparent = -1;
  std::string comment;     // comments seen so far
};

std::vector<PaletteEntry> ReadTable(const uint8_t* p, int count) {
  std::vector<PaletteEntry> palette(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i, p += 3) palette[i] = PaletteEntry{p[2], p[1], p[0], 0};
  return palette;
}

// Walks sub-blocks from `*pos`; adds their payload size to `*bytes` when
// given.  False when the data ends before the terminator.
bool SkipSubBlocks(const uint8_t* data, size_t size, size_t* pos, size_t* bytes, std::string* text = nullptr) {
  while (*pos < size) {
    const size_t n = data[(*pos)++];
    if (n == 0) return true;
    const size_t avail = std::min(n, size - *pos);
    if (bytes != nullptr) *bytes += avail;
    if (text != nullptr && text->size() < 65536) text->append(reinterpret_cast<const char*>(data + *pos), avail);
    *pos += avail;
    if (avail < n) return false;
  }
  return false;
}

struct Screen {
  int width = 0, height = 0, background = 0;
  std::vector<PaletteEntry> palette;
};

// Walks the file.  Stops at picture `target` when `stop` is set; otherwise
// counts every picture.  `*found` is the target's record.
// With `every`, the records of pictures target .. target + every_max - 1
// are kept there too, from the same walk.
Result Walk(const uint8_t* data, size_t size, int target, bool stop, Screen* screen, FrameRecord* found, int* count,
            std::vector<FrameRecord>* every = nullptr, int every_max = 0) {
  if (target < 0) return Result(Status::kBadValue, "negative picture index");
  if (size < 6 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0))
    return Result(Status::kBadFile, "not a GIF file");
  if (size < 13) return Truncated("screen descriptor");
  screen->width = Le16(data + 6);
  screen->height = Le16(data + 8);
  const uint8_t flags = data[10];
  screen->background = data[11];
  size_t pos = 13;
  if (flags & 0x80) {
    const int n = 2 << (flags & 7);
    if (size - pos < size_t(3) * n) return Truncated("global colour table");
    screen->palette = ReadTable(data + pos, n);
    pos += size_t(3) * n;
  }
  *count = 0;
  int transparent = -1;
  std::string comment;
  bool described = false;
  while (pos < size) {
    const uint8_t kind = data[pos++];
    if (kind == 0x3B) break;  // trailer
    if (kind == 0x21) {
      if (pos >= size) return *count > 0 ? Result::Ok() : Truncated("extension");
      const uint8_t label = data[pos++];
      if (label == 0xF9 && pos + 5 <= size && data[pos] >= 4) transparent = (data[pos + 1] & 1) ? data[pos + 4] : -1;
      std::string* text = label == 0xFE ? &comment : nullptr;
      if (!SkipSubBlocks(data, size, &pos, nullptr, text)) {
        if (*count > 0 && described) break;
        return Truncated("extension");
      }
      continue;
    }
    if (kind != 0x2C) {
      // Bytes after complete pictures that are no record: treat as the end.
      if (*count > 0) break;
      return Result(Status::kBroken, "GIF record of unknown kind");
    }
    if (size - pos < 9) return Truncated("picture descriptor");
    FrameRecord f;
    f.left = Le16(data + pos);
    f.top = Le16(data + pos + 2);
    f.width = Le16(data + pos + 4);
    f.height = Le16(data + pos + 6);
    const uint8_t pflags = data[pos + 8];
    pos += 9;
    f.interlace = (pflags & 0x40) != 0;
    if (pflags & 0x80) {
      const int n = 2 << (pflags & 7);
      if (size - pos < size_t(3) * n) return Truncated("local colour table");
      f.palette = ReadTable(data + pos, n);
      pos += size_t(3) * n;
    } else {
      f.palette = screen->palette;
    }
    if (pos >= size) return Truncated("picture data");
    f.code_size = data[pos++];
    f.data_start = pos;
    f.data_complete = SkipSubBlocks(data, size, &pos, &f.data_bytes);
    f.transparent = transparent;
    f.comment = comment;
    if (every != nullptr && *count >= target && static_cast<int>(every->size()) < every_max) every->push_back(f);
    if (*count == target) {
      *found = f;
      described = true;
      if (stop) {
        ++*count;
        return Result::Ok();
      }
    }
    ++*count;
    transparent = -1;
    if (!f.data_complete) {
      // A file cut inside a later picture still holds the earlier ones.
      if (described) break;
      return Truncated("picture data");
    }
  }
  if (*count == 0) return Result(Status::kBroken, "GIF file holds no picture");
  if (!described) return Result(Status::kBadValue, "GIF picture index out of range");
  return Result::Ok();
}

// The most pixels `bytes` of LZW data with minimum code size `m` can
// decode to: after each clear code the k-th code yields at most k pixels
// until the table is full, and at most one full table entry after that.
uint64_t MostPixels(uint64_t bytes, int m) {
  const uint64_t codes = bytes * 8 / static_cast<uint64_t>(m + 1) + 1;
  const uint64_t entries = static_cast<uint64_t>(kTableSize - (1 << m) - 2) + 1;
  if (codes <= entries) return codes * (codes + 1) / 2;
  return entries * (entries + 1) / 2 + (codes - entries) * kTableSize;
}

// Reads the LZW codes of one picture from its sub-blocks.
class CodeReader {
 public:
  CodeReader(const uint8_t* data, size_t size, size_t pos) : data_(data), size_(size), pos_(pos) {}
  // False at the end of the data.
  bool Next(int bits, int* code) {
    while (have_ < bits) {
      if (left_ == 0) {
        if (pos_ >= size_ || data_[pos_] == 0) return false;
        left_ = data_[pos_++];
      }
      if (pos_ >= size_) return false;
      acc_ |= static_cast<uint32_t>(data_[pos_++]) << have_;
      have_ += 8;
      --left_;
    }
    *code = static_cast<int>(acc_ & ((1u << bits) - 1));
    acc_ >>= bits;
    have_ -= bits;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_;
  size_t left_ = 0;  // bytes left in the current sub-block
  uint32_t acc_ = 0;
  int have_ = 0;
};

// Decodes the picture's pixels in file order, handing each to `put`
// (indices may exceed 255 for code sizes above 8).  Decoding stops at the
// end code, at the end of the data, at a code that cannot be there or
// after `total` pixels; the count of pixels decoded is returned.
template <typename Put>
uint64_t DecodeLzw(const uint8_t* data, size_t size, const FrameRecord& f, uint64_t total, Put put) {
  const int m = f.code_size;
  const int clear = 1 << m, end = clear + 1;
  std::vector<uint16_t> prefix(kTableSize), suffix(kTableSize), stack(kTableSize + 1);
  for (int i = 0; i < clear; ++i) suffix[i] = static_cast<uint16_t>(i);
  CodeReader reader(data, size, f.data_start);
  int bits = m + 1, next = clear + 2, previous = -1;
  uint16_t first = 0;
  uint64_t out = 0;
  int code = 0;
  while (out < total && reader.Next(bits, &code)) {
    if (code == clear) {
      bits = m + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (code == end) break;
    if (previous < 0) {
      if (code >= clear) break;  // the first code after a clear is a root
      put(static_cast<uint16_t>(code));
      ++out;
      first = static_cast<uint16_t>(code);
      previous = code;
      continue;
    }
    if (code > next || (code == next && next >= kTableSize)) break;
    int emit = code;
    int depth = 0;
    if (code == next) {  // the entry being made: previous string + its first pixel
      stack[depth++] = first;
      emit = previous;
    }
    while (emit >= clear) {
      stack[depth++] = suffix[emit];
      emit = prefix[emit];
    }
    stack[depth++] = static_cast<uint16_t>(emit);
    first = static_cast<uint16_t>(emit);
    for (; depth > 0 && out < total; ++out) put(stack[--depth]);
    if (next < kTableSize) {
      prefix[next] = static_cast<uint16_t>(previous);
      suffix[next] = first;
      ++next;
      if (next == (1 << bits) && bits < kMaxCodeBits) ++bits;
    }
    previous = code;
  }
  return out;
}

bool GrayPalette(const std::vector<PaletteEntry>& palette) {
  return std::all_of(palette.begin(), palette.end(),
                     [](const PaletteEntry& e) { return e.red == e.green && e.green == e.blue; });
}

// The depth and palette the picture is decoded into.
std::vector<PaletteEntry> FramePalette(const FrameRecord& f, int* bpp) {
  std::vector<PaletteEntry> palette = f.palette;
  if (palette.empty() || palette.size() > 256) {
    palette.clear();
    for (int i = 0; i < 256; ++i) {
      const uint8_t v = static_cast<uint8_t>(i);
      palette.push_back(PaletteEntry{v, v, v, 0});
    }
  }
  const size_t n = palette.size();
  *bpp = n <= 2 ? 1 : (n <= 16 ? 4 : 8);
  return palette;
}

Result DecodeFrame(const uint8_t* data, size_t size, const Screen& screen, const FrameRecord& f,
                   const LoadOptions& options, Image* out) {
  if (f.width <= 0 || f.height <= 0) return Result(Status::kBroken, "GIF picture has no size");
  if (f.code_size < 1 || f.code_size > kMaxCodeBits - 1) return Result(Status::kBroken, "bad GIF LZW code size");
  const int canvas_w = std::max(screen.width, f.left + f.width);
  const int canvas_h = std::max(screen.height, f.top + f.height);
  if (Result r = CheckPictureSize(canvas_w, canvas_h, "GIF"); !r.ok()) return r;
  const uint64_t pixels = uint64_t(f.width) * f.height;
  if (MostPixels(f.data_bytes, f.code_size) < pixels)
    return Result(Status::kBroken, "GIF picture data is too short for the picture size");

  int bpp = 8;
  std::vector<PaletteEntry> palette = FramePalette(f, &bpp);
  const int limit = 1 << bpp;
  int background = f.transparent >= 0 ? f.transparent : screen.background;
  if (background < 0 || background >= limit) background = 0;

  ReducedPicture pic;
  if (Result r = pic.Start(canvas_w, canvas_h, bpp, ReducedPicture::Factor(canvas_w, canvas_h, options)); !r.ok())
    return r;
  std::vector<uint8_t> line(static_cast<size_t>(canvas_w), static_cast<uint8_t>(background));
  for (int y = 0; y < canvas_h; ++y)
    if ((y < f.top || y >= f.top + f.height) && pic.Wants(y)) pic.PutIndices(y, line.data());
  // Frame row `r` in file order is picture row `f.top + row_of[r]`.
  std::vector<int> row_of(static_cast<size_t>(f.height));
  if (f.interlace) {
    static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    int r = 0;
    for (int pass = 0; pass < 4; ++pass)
      for (int y = kStart[pass]; y < f.height; y += kStep[pass]) row_of[r++] = y;
  } else {
    for (int y = 0; y < f.height; ++y) row_of[y] = y;
  }
  int row = 0, column = 0;
  uint8_t* frame = line.data() + f.left;
  const uint64_t decoded = DecodeLzw(data, size, f, pixels, [&](uint16_t v) {
    frame[column] = static_cast<uint8_t>(v < limit ? v : 0);
    if (++column < f.width) return;
    const int y = f.top + row_of[row];
    if (pic.Wants(y)) pic.PutIndices(y, line.data());
    column = 0;
    ++row;
  });
  if (decoded < pixels) return Result(Status::kBroken, "GIF picture data ends early");
  Image img = pic.Finish();
  img.palette() = std::move(palette);
  img.set_gray(GrayPalette(img.palette()));
  img.set_transparent_index(f.transparent >= 0 && f.transparent < limit ? f.transparent : -1);
  img.set_comment(f.comment);
  *out = std::move(img);
  return Result::Ok();
}

// The facts of one picture of a walked file.
FileInfo InfoOf(const Screen& screen, const FrameRecord& f, int count) {
  int bpp = 8;
  const std::vector<PaletteEntry> palette = FramePalette(f, &bpp);
  FileInfo local;
  local.format = FileFormat::kGif;
  local.width = std::max(screen.width, f.left + f.width);
  local.height = std::max(screen.height, f.top + f.height);
  local.bpp = bpp;
  local.gray = GrayPalette(palette);
  local.image_count = count;
  return local;
}

}  // namespace

Result GifReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info) {
  Screen screen;
  FrameRecord f;
  int count = 0;
  if (Result r = Walk(data, size, index, false, &screen, &f, &count); !r.ok()) return r;
  *info = InfoOf(screen, f, count);
  return Result::Ok();
}

Result GifReadPages(const uint8_t* data, size_t size, int first, int max, std::vector<FileInfo>* pages) {
  pages->clear();
  Screen screen;
  FrameRecord f;
  int count = 0;
  std::vector<FrameRecord> frames;
  if (Result r = Walk(data, size, first, false, &screen, &f, &count, &frames, max < 1 ? 1 : max); !r.ok()) return r;
  for (const FrameRecord& frame : frames) pages->push_back(InfoOf(screen, frame, count));
  return Result::Ok();
}

Result GifLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) {
  Screen screen;
  FrameRecord f;
  int count = 0;
  if (Result r = Walk(data, size, options.image_index, true, &screen, &f, &count); !r.ok()) return r;
  if (!f.data_complete && f.data_bytes == 0) return Truncated("picture data");
  return DecodeFrame(data, size, screen, f, options, out);
}

}  // namespace imaging::codecs::internal

// File: imaging/image.h
//
// The engine's picture: a device-independent bitmap in memory.
//
// Pixels are held top-down (row 0 is the top row), each row padded to a
// multiple of 4 bytes, in the byte order of a Windows DIB:
//   1, 4, 8 bpp  indices into `palette()`, most significant bits first
//   16 bpp       5-5-5 little-endian words (bit 15 unused), blue in the low bits
//   24 bpp       B, G, R
//   32 bpp       B, G, R, A (A is 0 in pictures that carry no alpha)
// The 24-bit layout is OpenCV's CV_8UC3 with `stride()` as step, so ops can
// wrap rows without copying.
//
//   imaging::Image img;
//   if (imaging::Result r = imaging::Image::Create(640, 480, 24, &img); !r.ok()) return r;
//   img.row(0)[0] = 255;  // blue of the top-left pixel
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/status.h"

namespace imaging {

// One palette entry, in RGBQUAD order.
struct PaletteEntry {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
  bool operator==(const PaletteEntry&) const = default;
};

// PixelBuffer: the byte storage of pictures and image handles.
//
// Blocks of 2 MiB and more are page mappings of their own, with transparent
// huge pages asked for; small blocks come from the heap.  The last large
// blocks freed (four, at most 256 MiB together) are kept and handed out
// again for a block of about the same size, so that opening one big picture
// after another does not fault in fresh pages each time.  Copies are deep.
//
//   imaging::PixelBuffer buf;
//   if (!buf.Allocate(bytes, /*zeroed=*/true)) return Result(Status::kMemory);
class PixelBuffer {
 public:
  PixelBuffer() = default;
  ~PixelBuffer() { Reset(); }
  PixelBuffer(const PixelBuffer& other);  // throws std::bad_alloc when out of memory
  PixelBuffer& operator=(const PixelBuffer& other);
  PixelBuffer(PixelBuffer&& other) noexcept;
  PixelBuffer& operator=(PixelBuffer&& other) noexcept;

  // Allocate() replaces the contents with `size` bytes, all zero when
  // `zeroed`, else unspecified (they may hold an earlier picture).  False
  // when out of memory; the buffer is then empty.
  bool Allocate(size_t size, bool zeroed);
  // Reset() frees the bytes (a large block may be kept for reuse).
  void Reset();

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // ReleaseKept() unmaps the large blocks kept for reuse; KeptBytes() is
  // their total size.  For memory pressure and tests.
  static void ReleaseKept();
  static size_t KeptBytes();

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t mapped_ = 0;  // size of the page mapping, 0 for a heap block
};

// The engine's picture size limit, which every decoder and constructor
// checks before allocating anything in proportion to a picture's size;
// larger pictures are refused with kMemory.  A side may be at most
// kMaxDimension pixels (the most a JPEG can hold) and the area at most
// kMaxPixels (256 megapixels).  Within the area limit every matrix the
// operations build (at most 4 channels a pixel) has fewer than 2^30
// elements, so libraries that count elements or bytes of a row band in
// 32-bit integers (OpenCV) stay correct on any picture the engine holds.
inline constexpr int kMaxDimension = 65500;              // pixels per side
inline constexpr int64_t kMaxPixels = int64_t{1} << 28;   // pixels per picture
inline constexpr uint64_t kMaxPixelBytes = 2ull << 30;    // 2 GiB of pixel rows

// PictureSizeAllowed() is true when a `width` x `height` picture is within
// the limit above (sides of at least 1).
inline bool PictureSizeAllowed(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxDimension && height <= kMaxDimension &&
         width * height <= kMaxPixels;
}

// CheckPictureSize() is PictureSizeAllowed() as a Result: kMemory naming
// `what` for a picture beyond the limit, kBroken for a side below 1.
Result CheckPictureSize(int64_t width, int64_t height, const char* what);

class Image {
 public:
  Image() = default;

  // Create() allocates a zero-filled picture.  bpp is 1, 4, 8, 16, 24 or 32;
  // pictures of 8 bpp and less get a grey ramp palette of 2^bpp entries.
  // Returns kBadValue for a bad depth or a side < 1, kMemory when the size
  // exceeds the limits above or allocation fails.  `*out` is untouched on
  // failure.
  static Result Create(int width, int height, int bpp, Image* out);
  // CreateUninitialized() is Create() for decoders that write every pixel
  // row themselves: the pixel bytes are left unspecified (they may hold an
  // earlier picture's pixels); only the padding bytes past each row's
  // pixels are zeroed.  Same checks, palette and results as Create().
  static Result CreateUninitialized(int width, int height, int bpp, Image* out);

  // RowBytes() is the padded row size of a DIB of this width and depth.
  static size_t RowBytes(int width, int bpp);

  bool empty() const { return width_ == 0; }
  int width() const { return width_; }
  int height() const { return height_; }
  int bpp() const { return bpp_; }
  size_t stride() const { return stride_; }
  size_t data_size() const { return pixels_.size(); }

  uint8_t* row(int y) { return pixels_.data() + static_cast<size_t>(y) * stride_; }
  const uint8_t* row(int y) const { return pixels_.data() + static_cast<size_t>(y) * stride_; }
  uint8_t* data() { return pixels_.data(); }
  const uint8_t* data() const { return pixels_.data(); }

  // Palette of 1/4/8-bit pictures (at most 2^bpp entries); empty otherwise.
  std::vector<PaletteEntry>& palette() { return palette_; }
  const std::vector<PaletteEntry>& palette() const { return palette_; }

  // True when the picture is a grey picture (palette entries all grey).
  bool gray() const { return gray_; }
  void set_gray(bool gray) { gray_ = gray; }

  // Resolution in dots per inch; 0 means the file gave none.
  int dpi_x() const { return dpi_x_; }
  int dpi_y() const { return dpi_y_; }
  void set_dpi(int x, int y) { dpi_x_ = x; dpi_y_ = y; }

  // Free comment text (JPEG COM marker, PNG tEXt, GIF comment, TIFF description).
  const std::string& comment() const { return comment_; }
  void set_comment(std::string text) { comment_ = std::move(text); }

  // Palette index of the transparent colour (GIF, PNG tRNS), or -1.
  int transparent_index() const { return transparent_index_; }
  void set_transparent_index(int index) { transparent_index_ = index; }

  // PixelRgb() reads one pixel as 0xRRGGBB at any depth (slow; for tests
  // and single-pixel work).  SetPixelRgb() writes 16/24/32-bit pictures only.
  uint32_t PixelRgb(int x, int y) const;
  void SetPixelRgb(int x, int y, uint32_t rgb);

  // Copies resolution, comment, grey flag and transparency from `other`.
  void CopyMetadataFrom(const Image& other);

  // IsGrayPalette() tells whether every palette entry has red = green = blue.
  bool IsGrayPalette() const;

 private:
  int width_ = 0;
  int height_ = 0;
  int bpp_ = 0;
  size_t stride_ = 0;
  static Result Make(int width, int height, int bpp, bool zeroed, Image* out);

  PixelBuffer pixels_;
  std::vector<PaletteEntry> palette_;
  bool gray_ = false;
  int dpi_x_ = 0;
  int dpi_y_ = 0;
  int transparent_index_ = -1;
  std::string comment_;
};

}  // namespace imaging

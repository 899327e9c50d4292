// File: imaging/testing/awkward_files.h
//
// Writers of the awkward files other programs produce, for the codec
// tests and the corpus test: TIFF of any sample depth, photometric,
// planar layout, compression and orientation (through libtiff), GIF with
// any LZW minimum code size (LZW coded here), and the like.  Pixel values
// come from simple formulas, so a file can be written again at will.
// Test-only.
//
//   TiffSpec spec;
//   spec.bps = 12;
//   spec.spp = 1;
//   spec.photometric = 1;  // black is zero
//   ASSERT_TRUE(WriteTiffFile(spec, path));
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace imaging::testing {

struct TiffSpec {
  uint32_t width = 7;
  uint32_t height = 5;
  uint16_t bps = 8;            // 1 to 16
  uint16_t spp = 3;
  uint16_t photometric = 2;    // TIFF's PhotometricInterpretation (2 = RGB)
  uint16_t compression = 1;    // TIFF's Compression (1 none, 5 LZW, 7 JPEG, 8 deflate, 32773 PackBits)
  uint16_t orientation = 1;    // 1 to 8
  uint16_t planar = 1;         // 1 contiguous, 2 separate planes
  bool tiled = false;          // 16 x 16 tiles instead of strips
  uint16_t extra_alpha = 0;    // 0 none, 1 associated, 2 unassociated (the last sample)
  int jpeg_quality = 95;
};

// TiffSample() is the value of sample `c` of pixel (x, y) as written, in
// 0 .. 2^bps - 1.
uint32_t TiffSample(const TiffSpec& spec, uint32_t x, uint32_t y, int c);

// WriteTiffFile() writes one page as `spec` says; false when libtiff
// refuses.
[[nodiscard]] bool WriteTiffFile(const TiffSpec& spec, const std::string& path);

// GifLzw() codes `indices` as GIF LZW data with minimum code size `m`
// (sub-blocks and their terminator included); the table is cleared before
// it grows past `max_bits` bits.
std::vector<uint8_t> GifLzw(const std::vector<uint8_t>& indices, int m, int max_bits = 12);

// GifFile() is a one-picture GIF of `width` x `height` indices with a
// global colour table of 2^table_bits entries (entry i = i*7, i*13, 255-i),
// the picture's LZW data coded at minimum code size `m`.
std::vector<uint8_t> GifFile(int width, int height, const std::vector<uint8_t>& indices, int table_bits, int m,
                             bool interlace = false);

// EgaPcx() is a 16-colour PCX file in the EGA layout: four 1-bit planes
// (plane k holds bit k of each index), a header palette of 16 entries
// (entry i = i*16, 255-i*8, i*53), PCX `version`, run-length coded with
// runs that go on from one plane line into the next.
std::vector<uint8_t> EgaPcx(int width, int height, const std::vector<uint8_t>& indices, int version = 5);

// Damaged metadata a JPEG file may carry, inserted after its SOI marker.
enum class JpegDamage {
  kExifBadIfdOffset,     // EXIF whose first directory lies far past its end
  kExifEntriesOutside,   // EXIF entries pointing outside the block
  kExifGarbage,          // "Exif" followed by bytes that are no TIFF header
  kExifLengthTooShort,   // an EXIF segment whose length stops inside it
  kPhotoshopBadLength,   // APP13 "Photoshop 3.0" resource claiming 2 GB
  kPhotoshopCut,         // APP13 cut inside its first resource header
  kSegmentLengthBelowTwo,// an APP13 marker with a length of 1
};
inline constexpr JpegDamage kAllJpegDamage[] = {
    JpegDamage::kExifBadIfdOffset,  JpegDamage::kExifEntriesOutside, JpegDamage::kExifGarbage,
    JpegDamage::kExifLengthTooShort, JpegDamage::kPhotoshopBadLength, JpegDamage::kPhotoshopCut,
    JpegDamage::kSegmentLengthBelowTwo};

// WithDamagedMetadata() is `jpeg` with the damaged block inserted.
std::vector<uint8_t> WithDamagedMetadata(const std::vector<uint8_t>& jpeg, JpegDamage damage);

}  // namespace imaging::testing

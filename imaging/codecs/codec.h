// File: imaging/codecs/codec.h
//
// Reading and writing picture files: type detection, picture information
// without decoding, full and bounded loads, and saves with format options.
// The format is always found from the file's content, never its extension.
//
//   imaging::Image img;
//   imaging::codecs::LoadOptions opt;
//   opt.max_width = opt.max_height = 160;          // thumbnail-sized load
//   if (auto r = imaging::codecs::Load("/p/a.jpg", opt, &img); !r.ok()) ...
//
//   imaging::codecs::SaveOptions so;
//   so.type = imaging::codecs::SaveType::kJpeg;
//   so.jpeg_quality = 90;
//   auto r = imaging::codecs::Save(img, "/p/b.jpg", so);   // atomic
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/codecs/byte_source.h"
#include "imaging/image.h"
#include "imaging/status.h"

namespace imaging::codecs {

enum class FileFormat : int16_t {
  kUnknown = 0,
  kBmp = 1,
  kJpeg = 2,
  kGif = 4,
  kTiff = 5,
  kPng = 12,
  kFpx = 13,
  kPcx = 16,
  kJp2 = 21,   // JPEG 2000 file format (JP2 box structure)
  kJ2k = 22,   // JPEG 2000 code stream (J2K / JPC)
  kWmf = 30,
  kEmf = 31,
  kDxf = 32,
  kSvg = 33,
};

// The file type codes a save is asked for with.
enum class SaveType : int16_t {
  kWorkBmp = 0,         // uncompressed BMP stored top-down, fastest path (undo snapshots)
  kBmp = 1,             // BMP, RLE4/RLE8 where the depth allows it
  kJpeg = 2,
  kJpegProgressive = 3,
  kGif = 4,
  kTiff = 5,            // uncompressed
  kTiffLzw = 11,
  kPng = 12,
  kFpx = 13,            // uncompressed tiles
  kFpxJpeg = 15,        // JPEG-compressed tiles
  kPcx = 16,
  kJp2 = 21,
  kJ2k = 22,            // bare code stream
};

enum class TiffCompression : int16_t { kNone, kPackBits, kLzw, kDeflate, kCcittG3, kCcittG4, kJpeg };

// What can be learnt of a file without decoding its pixels.
struct FileInfo {
  FileFormat format = FileFormat::kUnknown;
  int width = 0;
  int height = 0;
  int bpp = 0;          // 1, 4, 8, 16, 24 or 32 as the engine would load it
  bool gray = false;
  int image_count = 1;  // pictures in the file (GIF frames, TIFF pages)
  int dpi_x = 0;
  int dpi_y = 0;
  bool is_vector = false;
  bool has_exif = false;  // a JPEG with an EXIF block ahead of its first scan
};

struct LoadOptions {
  int image_index = 0;          // 0-based picture inside multi-image files
  int max_width = 0;            // 0 = no bound; otherwise fit inside, aspect kept,
  int max_height = 0;           //   never enlarged
  bool prefer_exif_thumbnail = false;  // bounded JPEG loads may use the EXIF thumbnail
};

struct SaveOptions {
  SaveType type = SaveType::kBmp;
  int jpeg_quality = 85;        // 20..100 (JPEG and FPX-JPEG)
  bool interlace = false;       // GIF and PNG
  bool use_transparent = false; // GIF and PNG: this colour becomes transparent
  uint8_t transparent_red = 0;
  uint8_t transparent_green = 0;
  uint8_t transparent_blue = 0;
  bool jp2_lossless = true;
  double jp2_rate = 1.0;        // 0 < rate <= 1: fraction of the lossless size
  TiffCompression tiff_compression = TiffCompression::kNone;  // used by kTiff only
  std::string comment;          // written where the format has a comment
};

// DetectFormat() inspects the leading bytes only.  kUnknown when no reader
// recognises them.
FileFormat DetectFormat(const uint8_t* data, size_t size);

// ReadInfo() returns kNotFound, kCannotOpen, kBadFile (unknown content) or
// kBroken (header truncated).  Only the bytes the format's header needs are
// read (ReadInfoFrom()).
Result ReadInfo(const std::string& path, int image_index, FileInfo* info);

// ReadInfoFrom() is ReadInfo() over a byte source.  It reads the first
// kHeadBytes, and more only where the format keeps its facts further in: a
// JPEG's marker segments up to the first scan (seeking over the others),
// a TIFF's directories, a PCX's trailing palette, a PNG's chunks before its
// pixel data.  GIF (whose picture count needs every block walked),
// FlashPix and vector files are read whole.
Result ReadInfoFrom(ByteSource* source, int image_index, FileInfo* info);

// ReadPageInfos() describes pictures first .. first + max - 1 of one file
// (those it has) from a single pass over the source: pages->at(k) is
// picture first + k, format kUnknown when that picture alone is unreadable.
// Fails as ReadInfoFrom(source, first) fails.
Result ReadPageInfos(ByteSource* source, int first, int max, std::vector<FileInfo>* pages);

// Load() decodes picture `options.image_index` of the file.  With a bound it
// uses the cheapest route of the format (DCT scaling, EXIF thumbnail, reduced
// JPEG 2000 resolutions) and then area-averages to fit.  `*out` is untouched
// on failure.
Result Load(const std::string& path, const LoadOptions& options, Image* out);

// LoadMemory() decodes from a buffer in memory, as Load().
Result LoadMemory(const uint8_t* data, size_t size, const LoadOptions& options, Image* out);

// Save() writes the picture in the chosen type.  The file is written to a
// temporary name in the same folder and renamed over `path` only when
// complete; on failure (kCannotCreate, kCannotWrite, kUnsupported for a depth
// the format cannot take) any existing file stays untouched.  The new file
// is flushed to disk before the rename, except for kWorkBmp work files.
Result Save(const Image& image, const std::string& path, const SaveOptions& options);

// FormatOfSaveType() maps a save code to the format it writes.
FileFormat FormatOfSaveType(SaveType type);

// ExifThumbnail() extracts the thumbnail embedded in a JPEG's EXIF block.
// kNotFound when the file has none, kBadFile when it is not a JPEG file.
// Only the JPEG header is read.
Result ExifThumbnail(const std::string& path, Image* out);
// ReadJpegHeader() copies a JPEG's header (its segments up to the first
// scan, without application and comment segments other than JFIF, the
// first EXIF block and Adobe's) into `header` as a small JPEG stream that
// ReadInfoFrom() and ExifThumbnailFrom() read, over a MemoryByteSource, as
// they read the file.  kBadFile for no JPEG, kBroken for a cut header.
Result ReadJpegHeader(ByteSource* source, std::vector<uint8_t>* header);
// ExifThumbnailFrom() is ExifThumbnail() over a byte source.
Result ExifThumbnailFrom(ByteSource* source, Image* out);

// What a JPEG file's EXIF block says, as far as it says it.
struct ExifInfo {
  int width = 0;               // the main picture, from its frame header
  int height = 0;
  bool has_thumbnail = false;  // a decodable JPEG thumbnail is embedded
  int thumb_width = 0;         // 0 without a thumbnail
  int thumb_height = 0;
  std::string date_taken;      // "YYYY:MM:DD HH:MM:SS" (DateTimeOriginal, else DateTime)
  std::string maker;           // Make
  std::string model;           // Model
  int orientation = 0;         // 1 (upright) to 8 as EXIF numbers them; 0 when absent
  int dpi_x = 0;               // XResolution/YResolution in dots per inch; 0 when absent
  int dpi_y = 0;
};

// ReadExifInfo() reads the EXIF block of a JPEG file without decoding its
// pixels.  kNotFound when the JPEG has no EXIF block, kBadFile when the file
// is not JPEG, kBroken when its header is truncated.  Text fields are the
// file's bytes with trailing NULs and spaces cut.  Only the JPEG header is
// read.
Result ReadExifInfo(const std::string& path, ExifInfo* info);

}  // namespace imaging::codecs

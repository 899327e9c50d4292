// File: imaging/codecs/fpx_internal.h
//
// Private entry points of the FlashPix codec, shared by fpx_codec.cpp,
// fpx_property_set.cpp, fpx_reader.cpp and fpx_writer.cpp.
//
//   std::vector<uint8_t> bytes;
//   Result r = FpxEncode(img, options, &bytes);       // whole file in memory
//   r = FpxLoad(bytes.data(), bytes.size(), {}, &copy);
//
// File layout.  A FlashPix file is an OLE2 compound file (libgsf) whose root
// storage carries the class id 56616000-C154-11CE-8553-00AA00A1F95B and holds
// (files from elsewhere may keep the same image storage one level down):
//
//   "\005SummaryInformation"  property set F29F85E0-4FF9-1068-AB91-08002B27B3D9:
//                             code page (1, VT_I2 = 65001) and comment
//                             (6, VT_LPSTR, UTF-8)
//   "\005Image Contents"      property set 56616000-C154-11CE-8553-00AA00A1F95B
//   "Data Object Store 000001"  an empty storage
//   "Resolution 0000" ..      one storage per level (class id 56616100-...),
//                             0000 the full resolution, each next level half
//                             the size (rounded up), area-averaged, down to
//                             the first level that fits in one tile; each
//                             holds "Subimage 0000 Header" and
//                             "Subimage 0000 Data"; the reader orders the
//                             levels by their size, not by their numbers
//
// Image Contents properties (all little-endian, as OLE property sets are):
//   0x01000000 VT_UI4  number of levels
//   0x01000002 VT_UI4  full-resolution width      0x01000003  height
//   0x01000004 VT_R4   display height             0x01000005  display width
//   0x01000006 VT_UI4  display unit (0 inch, 1 metre, 2 cm, 3 mm); the
//                      resolution is pixels / display size
//   0x02nn0000 VT_UI4  level nn width             0x02nn0001  height
//   0x02nn0002 VT_BLOB level nn colour: UI4 channel count, then per channel
//                      a UI4 (colour space << 16 | channel colour), bit 31
//                      set when uncalibrated.  Spaces: 1 monochrome, 2
//                      PhotoYCC, 3 NIF RGB; colours: 0..2 in channel order
//                      (grey; Y C1 C2; R G B), 0x7FFE opacity
//   0x02nn0003 VT_VECTOR|VT_UI4  numerical format per channel (17 = 8-bit)
//   0x03tt0001 VT_BLOB JPEG tables tt (SOI, DQT and DHT segments, EOI)
//   0x03000002 VT_UI4  highest JPEG tables index
//
// "Subimage 0000 Header" (UI4 fields): header length (36), width, height,
// tile count, tile width (64), tile height (64), channel count, offset of
// the tile table (36), table entry length (16); then per tile, left to
// right and top to bottom: data offset, data length, compression type and
// compression subtype.  Types: 0 uncompressed (the tile's pixels with the
// channels interleaved, a full 64 x 64 tile, edges replicated; a tile cut
// to the picture's edge is read as well), 1 single colour (no data; the
// subtype holds channel k in byte k), 2 JPEG (the subtype holds the
// interleave in byte 0, the chroma subsampling in byte 1 (0x22 = 2 x 2),
// 1 in byte 2 when the tile was converted to YCbCr inside the JPEG, and the
// JPEG tables index in byte 3, 0 when the tile carries its own tables; the
// writer codes full tiles, the reader also takes JPEG tiles cut to the
// picture's edge).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "imaging/codecs/codec.h"

namespace imaging::codecs::internal {

// ---- OLE property sets -------------------------------------------------

// Variant type codes used here.
inline constexpr uint32_t kVtI2 = 2;
inline constexpr uint32_t kVtI4 = 3;
inline constexpr uint32_t kVtR4 = 4;
inline constexpr uint32_t kVtUi2 = 18;
inline constexpr uint32_t kVtUi4 = 19;
inline constexpr uint32_t kVtLpstr = 30;
inline constexpr uint32_t kVtLpwstr = 31;
inline constexpr uint32_t kVtBlob = 65;
inline constexpr uint32_t kVtVector = 0x1000;

// One property value.  Integers of any width land in `number`, VT_R4 in
// `real`, VT_BLOB and strings (without their terminator) in `bytes`,
// vectors of 32-bit integers in `numbers`.  Other types keep only `type`.
struct PropertyValue {
  uint32_t type = 0;
  uint32_t number = 0;
  float real = 0;
  std::vector<uint8_t> bytes;
  std::vector<uint32_t> numbers;
};

using PropertyMap = std::map<uint32_t, PropertyValue>;

// ParsePropertySet() reads the first section of a property set stream.
// Every offset and count is checked against `size`; kBroken when the stream
// is malformed.  Properties of a type it does not know are skipped.
Result ParsePropertySet(const uint8_t* data, size_t size, PropertyMap* out);

// PropertySetWriter: collects properties and lays out a one-section stream.
class PropertySetWriter {
 public:
  void AddI2(uint32_t id, int16_t value);
  void AddUi4(uint32_t id, uint32_t value);
  void AddR4(uint32_t id, float value);
  void AddBlob(uint32_t id, const std::vector<uint8_t>& bytes);
  void AddUi4Vector(uint32_t id, const std::vector<uint32_t>& values);
  void AddString(uint32_t id, const std::string& text);  // VT_LPSTR
  // Build() returns the stream bytes; `fmtid` is the section's 16-byte id.
  std::vector<uint8_t> Build(const uint8_t* fmtid) const;

 private:
  std::map<uint32_t, std::vector<uint8_t>> values_;  // id -> type + value, padded
};

// ---- The FlashPix layout ------------------------------------------------

extern const uint8_t kFpxImageClsid[16];
extern const uint8_t kFpxResolutionClsid[16];
extern const uint8_t kFpxImageContentsFmtid[16];
extern const uint8_t kSummaryInformationFmtid[16];

inline constexpr char kImageContentsName[] = "\005Image Contents";
inline constexpr char kSummaryInformationName[] = "\005SummaryInformation";
inline constexpr int kFpxTileSide = 64;
inline constexpr size_t kSubimageHeaderLength = 36;
inline constexpr size_t kTileEntryLength = 16;

inline constexpr uint32_t kPidLevelCount = 0x01000000;
inline constexpr uint32_t kPidWidth = 0x01000002;
inline constexpr uint32_t kPidHeight = 0x01000003;
inline constexpr uint32_t kPidDisplayHeight = 0x01000004;
inline constexpr uint32_t kPidDisplayWidth = 0x01000005;
inline constexpr uint32_t kPidDisplayUnit = 0x01000006;
inline constexpr uint32_t kPidMaxJpegTable = 0x03000002;
inline uint32_t PidLevel(int level, uint32_t field) { return 0x02000000u | (uint32_t(level & 0xFF) << 16) | field; }
inline uint32_t PidJpegTables(int index) { return 0x03000001u | (uint32_t(index & 0xFF) << 16); }
inline constexpr uint32_t kLevelWidth = 0, kLevelHeight = 1, kLevelColour = 2, kLevelFormat = 3;

inline constexpr uint32_t kColourSpaceMono = 1;
inline constexpr uint32_t kColourSpaceYcc = 2;
inline constexpr uint32_t kColourSpaceRgb = 3;
inline constexpr uint32_t kColourOpacity = 0x7FFE;

inline constexpr uint32_t kTileUncompressed = 0;
inline constexpr uint32_t kTileSingleColour = 1;
inline constexpr uint32_t kTileJpeg = 2;

// StorageNameOfLevel() is "Resolution 0000", "Resolution 0001", ...
std::string StorageNameOfLevel(int level);

// ---- Codec entry points ------------------------------------------------

// OLE2 signature and a "\005Image Contents" stream in the root storage or
// in a storage right below it (an image kept inside a view).  A compound
// file too damaged for libgsf is taken when its directory still names the
// image contents stream, so that loading it reports kBroken.
bool FpxSniff(const uint8_t* data, size_t size);

// Full-resolution size, depth (24 or 8 grey), resolution; no tile decoded.
Result FpxReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info);

// Decodes the smallest level that still covers the fit of `options`' bound
// (the full resolution without a bound).  Uncompressed, single-colour and
// JPEG tiles; monochrome, NIF RGB and PhotoYCC colour, opacity dropped.
Result FpxLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out);

// FpxEncode() builds the whole file: kFpxJpeg gives JPEG tiles at
// `options.jpeg_quality`, anything else uncompressed tiles.  256-grey
// pictures are written monochrome, everything else as 24-bit RGB.
// kBadImage for an empty picture or a palette picture without palette.
Result FpxEncode(const Image& image, const SaveOptions& options, std::vector<uint8_t>* out);

// FpxSave() encodes and writes `path` (kCannotCreate, kCannotWrite).
Result FpxSave(const Image& image, const std::string& path, const SaveOptions& options);

}  // namespace imaging::codecs::internal

// File: imaging/vector/testing/file_builders.h
//
// Vector files written byte by byte for the tests, following the public
// descriptions of the formats: WMF and EMF records, DXF group pairs.  Also
// a render-and-look helper.
//
//   WmfBuilder w;
//   w.Words(0x041B, {90, 90, 10, 10});            // RECTANGLE(10, 10, 90, 90)
//   std::vector<uint8_t> file = w.Build(Placeable{0, 0, 100, 100, 96});
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/image.h"

namespace imaging::vector::testing {

// Little-endian byte assembly.
class Bytes {
 public:
  Bytes& U8(uint8_t v);
  Bytes& U16(uint16_t v);
  Bytes& I16(int16_t v) { return U16(static_cast<uint16_t>(v)); }
  Bytes& U32(uint32_t v);
  Bytes& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
  Bytes& F32(float v);
  Bytes& Raw(const std::vector<uint8_t>& b);
  Bytes& Text(const std::string& s);  // bytes as they are, no terminator
  Bytes& Pad(size_t multiple);
  const std::vector<uint8_t>& data() const { return data_; }
  size_t size() const { return data_.size(); }

 private:
  std::vector<uint8_t> data_;
};

struct Placeable {
  int16_t left, top, right, bottom;
  uint16_t inch;
};

class WmfBuilder {
 public:
  // Words(): a record of 16-bit parameters in file order.
  WmfBuilder& Words(uint16_t function, const std::vector<int16_t>& params);
  WmfBuilder& Record(uint16_t function, const Bytes& params);
  // Build(): header (and placeable header), the records and the end record.
  std::vector<uint8_t> Build(std::optional<Placeable> placeable = std::nullopt) const;

 private:
  std::vector<uint8_t> records_;
  size_t max_record_ = 3;
};

class EmfBuilder {
 public:
  EmfBuilder& Record(uint32_t type, const Bytes& params);
  // Build(): the header with the frame in 0.01 mm (a 96-dpi reference
  // device: 3780 pixels per 1000 mm), the records and the end record.
  std::vector<uint8_t> Build(int32_t frame_right_mm100, int32_t frame_bottom_mm100) const;

 private:
  std::vector<uint8_t> records_;
  uint32_t count_ = 0;
};

// A packed DIB of 24-bit pixels given top row first as 0xRRGGBB.
std::vector<uint8_t> Dib24(int width, int height, const std::vector<uint32_t>& rgb_top_down);

// DxfFile(): a DXF text of HEADER (extents), TABLES (layers "name:aci"),
// BLOCKS and ENTITIES sections from group-pair text ("0\nLINE\n8\n0\n...").
std::string DxfFile(double minx, double miny, double maxx, double maxy, const std::vector<std::string>& layers,
                    const std::string& blocks, const std::string& entities);

// RenderBytes(): the file loaded and rendered at w x h on white, 24-bit;
// an empty picture when it fails.
Image RenderBytes(const std::vector<uint8_t>& file, int w, int h);
Image RenderText(const std::string& file, int w, int h);

// Count of pixels in a box whose colour is within `tolerance` of `rgb`.
int CountNear(const Image& img, int x0, int y0, int x1, int y1, uint32_t rgb, int tolerance = 40);

// Count of pixels in a box leaning towards a primary or secondary colour
// (its full channels at least 50 above its empty ones): anti-aliased thin
// lines count too.
int CountTinted(const Image& img, int x0, int y0, int x1, int y1, uint32_t rgb);

}  // namespace imaging::vector::testing

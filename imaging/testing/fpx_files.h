// File: imaging/testing/fpx_files.h
//
// Hand-made FlashPix files for tests: an OLE2 compound file built with
// libgsf from storages and streams, the image contents property set and
// level headers written field by field, and levels whose tiles are given
// as they are stored.  Tests build files the engine's writer never makes
// (several levels of different content, broken tables, foreign layouts).
// Test-only; part of `imaging_test_support`.
//
//   using namespace imaging::testing;
//   // A 128 x 64 picture stored blue at full size and green at half size:
//   std::vector<uint8_t> fpx = HandMadeFpx({SolidLevel(128, 64, 0, 0, 255), SolidLevel(64, 32, 0, 255, 0)});
//
// A build that libgsf refuses aborts the test program: the helper is
// broken, not the code under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace imaging::testing {

// One node of a compound file to build: a stream, or a storage (children).
struct Node {
  std::string name;
  std::vector<uint8_t> bytes;
  std::vector<Node> children;
  bool storage = false;
};

Node Stream(std::string name, std::vector<uint8_t> bytes);
Node Storage(std::string name, std::vector<Node> children);

// BuildCompound(): the bytes of a compound file holding `nodes` at its root.
std::vector<uint8_t> BuildCompound(const std::vector<Node>& nodes);

// A tile table entry: where its data sits in the level's data stream, its
// compression type (0 raw, 1 single colour with channel k in byte k of the
// subtype, 2 JPEG) and subtype.
struct Tile {
  uint32_t offset, length, type, subtype;
};

// LevelHeader(): a "Subimage 0000 Header" stream for 64 x 64 tiles;
// `tile_count` overrides the count written (default: tiles.size()).
std::vector<uint8_t> LevelHeader(uint32_t w, uint32_t h, uint32_t channels, const std::vector<Tile>& tiles,
                                 uint32_t tile_count = ~0u);

// One level of a hand-made file: size, channels (1 grey, 3 RGB), its
// tiles left to right and top to bottom, and its data stream.
struct HandLevel {
  uint32_t width, height, channels;
  std::vector<Tile> tiles;
  std::vector<uint8_t> data;
  uint32_t tile_count = ~0u;
};

// ContentsSet(): the "\005Image Contents" property set naming the levels
// (count, each level's size and colour), with JPEG tables 1 when given.
std::vector<uint8_t> ContentsSet(const std::vector<HandLevel>& levels, const std::vector<uint8_t>& tables = {});

// HandMadeFpx(): a file with the image contents set and one "Resolution
// nnnn" storage per level, in the order given.
std::vector<uint8_t> HandMadeFpx(const std::vector<HandLevel>& levels, const std::vector<uint8_t>& contents);
std::vector<uint8_t> HandMadeFpx(const std::vector<HandLevel>& levels);

// RawTile(): an uncompressed 64 x 64 RGB tile of one colour.
std::vector<uint8_t> RawTile(uint8_t r, uint8_t g, uint8_t b);

// SolidLevel(): a w x h RGB level of one colour, every tile a single-colour
// tile (no data).
HandLevel SolidLevel(uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b);

}  // namespace imaging::testing

#include "imaging/testing/fpx_files.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <cstdio>
#include <cstdlib>

#include "imaging/codecs/fpx_internal.h"
#include "imaging/testing/codec_test_support.h"

namespace imaging::testing {

using namespace imaging::codecs::internal;

namespace {

[[noreturn]] void BuildFailed(const std::string& what) {
  std::fprintf(stderr, "fpx_files: libgsf refused to build %s\n", what.c_str());
  std::abort();
}

void WriteNodes(GsfOutfile* dir, const std::vector<Node>& nodes) {
  for (const Node& n : nodes) {
    GsfOutput* child = gsf_outfile_new_child(dir, n.name.c_str(), n.storage);
    if (child == nullptr) BuildFailed(n.name);
    if (n.storage) {
      WriteNodes(GSF_OUTFILE(child), n.children);
    } else if (!n.bytes.empty()) {
      if (!gsf_output_write(child, n.bytes.size(), n.bytes.data())) BuildFailed(n.name);
    }
    gsf_output_close(child);
    g_object_unref(child);
  }
}

}  // namespace

Node Stream(std::string name, std::vector<uint8_t> bytes) { return Node{std::move(name), std::move(bytes), {}, false}; }
Node Storage(std::string name, std::vector<Node> children) { return Node{std::move(name), {}, std::move(children), true}; }

std::vector<uint8_t> BuildCompound(const std::vector<Node>& nodes) {
  gsf_init();
  GsfOutput* sink = gsf_output_memory_new();
  GsfOutfile* root = gsf_outfile_msole_new(sink);
  if (root == nullptr) BuildFailed("the root storage");
  WriteNodes(root, nodes);
  gsf_output_close(GSF_OUTPUT(root));
  g_object_unref(root);
  const guint8* p = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
  std::vector<uint8_t> bytes(p, p + gsf_output_size(sink));
  g_object_unref(sink);
  return bytes;
}

std::vector<uint8_t> LevelHeader(uint32_t w, uint32_t h, uint32_t channels, const std::vector<Tile>& tiles,
                                 uint32_t tile_count) {
  std::vector<uint8_t> b;
  for (uint32_t v : {36u, w, h, tile_count == ~0u ? uint32_t(tiles.size()) : tile_count, 64u, 64u, channels, 36u, 16u})
    PutLe32(&b, v);
  for (const Tile& t : tiles)
    for (uint32_t v : {t.offset, t.length, t.type, t.subtype}) PutLe32(&b, v);
  return b;
}

std::vector<uint8_t> ContentsSet(const std::vector<HandLevel>& levels, const std::vector<uint8_t>& tables) {
  PropertySetWriter w;
  w.AddUi4(kPidLevelCount, uint32_t(levels.size()));
  for (size_t i = 0; i < levels.size(); ++i) {
    std::vector<uint8_t> colour;
    PutLe32(&colour, levels[i].channels);
    for (uint32_t c = 0; c < levels[i].channels; ++c)
      PutLe32(&colour, ((levels[i].channels == 1 ? kColourSpaceMono : kColourSpaceRgb) << 16) | c);
    w.AddUi4(PidLevel(int(i), kLevelWidth), levels[i].width);
    w.AddUi4(PidLevel(int(i), kLevelHeight), levels[i].height);
    w.AddBlob(PidLevel(int(i), kLevelColour), colour);
  }
  if (!tables.empty()) w.AddBlob(PidJpegTables(1), tables);
  return w.Build(kFpxImageContentsFmtid);
}

std::vector<uint8_t> HandMadeFpx(const std::vector<HandLevel>& levels, const std::vector<uint8_t>& contents) {
  std::vector<Node> root{Stream(kImageContentsName, contents)};
  for (size_t i = 0; i < levels.size(); ++i)
    root.push_back(Storage(StorageNameOfLevel(int(i)),
                           {Stream("Subimage 0000 Header", LevelHeader(levels[i].width, levels[i].height,
                                                                       levels[i].channels, levels[i].tiles,
                                                                       levels[i].tile_count)),
                            Stream("Subimage 0000 Data", levels[i].data)}));
  return BuildCompound(root);
}

std::vector<uint8_t> HandMadeFpx(const std::vector<HandLevel>& levels) {
  return HandMadeFpx(levels, ContentsSet(levels));
}

std::vector<uint8_t> RawTile(uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> t;
  for (int i = 0; i < kFpxTileSide * kFpxTileSide; ++i) t.insert(t.end(), {r, g, b});
  return t;
}

HandLevel SolidLevel(uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b) {
  HandLevel level{w, h, 3, {}, {}};
  const uint32_t across = (w + kFpxTileSide - 1) / kFpxTileSide, down = (h + kFpxTileSide - 1) / kFpxTileSide;
  const uint32_t colour = uint32_t{r} | uint32_t{g} << 8 | uint32_t{b} << 16;
  for (uint32_t t = 0; t < across * down; ++t) level.tiles.push_back({0, 0, kTileSingleColour, colour});
  return level;
}

}  // namespace imaging::testing

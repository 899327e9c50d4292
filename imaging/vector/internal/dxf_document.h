// File: imaging/vector/internal/dxf_document.h
//
// An ASCII DXF file as group pairs, cut into its header values, layer
// table, blocks and entities.  Entities are ranges of the group list; the
// drawing side (dxf_reader.cpp) interprets them.
//
//   DxfDocument doc;
//   if (auto r = doc.Parse(data, size); !r.ok()) return r;
//   for (const DxfEntity& e : doc.entities()) ...
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/status.h"
#include "imaging/vector/drawing.h"

namespace imaging::vector::internal {

struct DxfGroup {
  int code = 0;
  std::string_view value;  // into the file's bytes
};

struct DxfEntity {
  std::string_view type;  // "LINE", "INSERT", ...
  size_t first = 0;       // groups [first, last) after the type group
  size_t last = 0;
};

struct DxfLayer {
  Color color{0, 0, 0};
  bool hidden = false;  // off or frozen
};

struct DxfBlock {
  Point base;
  std::vector<DxfEntity> entities;
};

class DxfDocument {
 public:
  // Parse(): kBadFile when the text is not group pairs, kBroken when it
  // ends inside a section.  The bytes must outlive the document.
  Result Parse(const uint8_t* data, size_t size);

  const std::vector<DxfGroup>& groups() const { return groups_; }
  const std::vector<DxfEntity>& entities() const { return entities_; }
  const DxfBlock* Block(std::string_view name) const;
  const DxfLayer* Layer(std::string_view name) const;

  // Header values.
  bool has_extents() const { return has_extents_; }
  Rect extents() const { return extents_; }  // y up
  int insunits() const { return insunits_; }
  // Code page of the text ("CP932"), or "UTF-8" for files of AutoCAD 2007
  // and later.
  const std::string& code_page() const { return code_page_; }

 private:
  Result Tokenize(const uint8_t* data, size_t size);
  void ReadHeader(size_t first, size_t last);
  void ReadTables(size_t first, size_t last);
  Result ReadBlocks(size_t first, size_t last);
  std::vector<DxfEntity> SplitEntities(size_t first, size_t last) const;

  std::vector<DxfGroup> groups_;
  std::vector<DxfEntity> entities_;
  std::map<std::string, DxfBlock, std::less<>> blocks_;
  std::map<std::string, DxfLayer, std::less<>> layers_;
  bool has_extents_ = false;
  Rect extents_;
  int insunits_ = 0;
  std::string code_page_ = "CP1252";
};

// Number parsing independent of the process locale; false on junk.
bool DxfNumber(std::string_view text, double* out);
int DxfInt(std::string_view text, int fallback);

// AciColor(): the standard colour of index 1..255 (7 is black on the white
// page).
Color AciColor(int index);

}  // namespace imaging::vector::internal

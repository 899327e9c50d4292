// ASCII DXF: group pairs, sections, layers and blocks.
#include "imaging/vector/internal/dxf_document.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace imaging::vector::internal {
namespace {

constexpr size_t kMaxGroups = 50'000'000;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

}  // namespace

bool DxfNumber(std::string_view text, double* out) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

int DxfInt(std::string_view text, int fallback) {
  double v = 0;
  if (!DxfNumber(text, &v) || v < -2147483648.0 || v > 2147483647.0) return fallback;
  return static_cast<int>(v);
}

Color AciColor(int index) {
  static const uint8_t kBasic[10][3] = {{0, 0, 0},     {255, 0, 0},   {255, 255, 0}, {0, 255, 0},     {0, 255, 255},
                                        {0, 0, 255},   {255, 0, 255}, {0, 0, 0},     {128, 128, 128}, {192, 192, 192}};
  if (index < 0) index = -index;
  if (index >= 1 && index <= 9) return {kBasic[index][0], kBasic[index][1], kBasic[index][2], 255};
  if (index >= 250 && index <= 255) {
    static const uint8_t kGrey[6] = {51, 80, 105, 130, 190, 255};
    const uint8_t g = kGrey[index - 250];
    return {g, g, g, 255};
  }
  if (index < 10 || index > 249) return {0, 0, 0, 255};
  // Hues in steps of 15 degrees; within each ten: five values, full and pale.
  static const double kValue[5] = {255, 204, 153, 127, 76};
  const double hue = ((index - 10) / 10) * 15.0;
  const int j = index % 10;
  const double v = kValue[j / 2];
  const double h = hue / 60.0;
  const int sector = static_cast<int>(h) % 6;
  const double f = h - std::floor(h);
  double r = 0, g = 0, b = 0;
  switch (sector) {
    case 0: r = 1; g = f; b = 0; break;
    case 1: r = 1 - f; g = 1; b = 0; break;
    case 2: r = 0; g = 1; b = f; break;
    case 3: r = 0; g = 1 - f; b = 1; break;
    case 4: r = f; g = 0; b = 1; break;
    default: r = 1; g = 0; b = 1 - f; break;
  }
  r *= v; g *= v; b *= v;
  if (j % 2 == 1) {  // pale: half way to the value
    r += (v - r) / 2;
    g += (v - g) / 2;
    b += (v - b) / 2;
  }
  return {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 255};
}

Result DxfDocument::Tokenize(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  size_t pos = 0;
  auto next_line = [&](std::string_view* line) {
    if (pos >= text.size()) return false;
    const size_t nl = text.find('\n', pos);
    const size_t end = nl == std::string_view::npos ? text.size() : nl;
    *line = text.substr(pos, end - pos);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    return true;
  };
  std::string_view code_line, value_line;
  while (next_line(&code_line)) {
    code_line = Trim(code_line);
    if (code_line.empty() && pos >= text.size()) break;
    if (!next_line(&value_line)) return Result(Status::kBroken, "group without a value");
    int code = 0;
    const auto [end, ec] = std::from_chars(code_line.data(), code_line.data() + code_line.size(), code);
    if (ec != std::errc() || end != code_line.data() + code_line.size() || code < 0 || code > 1071)
      return Result(groups_.empty() ? Status::kBadFile : Status::kBroken, "bad group code");
    if (groups_.size() >= kMaxGroups) return Result(Status::kMemory, "too many groups");
    if (!value_line.empty() && value_line.back() == '\r') value_line.remove_suffix(1);
    groups_.push_back({code, value_line});
  }
  return Result::Ok();
}

std::vector<DxfEntity> DxfDocument::SplitEntities(size_t first, size_t last) const {
  std::vector<DxfEntity> out;
  for (size_t i = first; i < last; ++i) {
    if (groups_[i].code != 0) continue;
    DxfEntity e;
    e.type = Trim(groups_[i].value);
    e.first = i + 1;
    size_t j = i + 1;
    while (j < last && groups_[j].code != 0) ++j;
    e.last = j;
    out.push_back(e);
    i = j - 1;
  }
  return out;
}

void DxfDocument::ReadHeader(size_t first, size_t last) {
  double minx = 0, miny = 0, maxx = 0, maxy = 0;
  bool have_min = false, have_max = false;
  std::string acadver;
  for (size_t i = first; i < last; ++i) {
    if (groups_[i].code != 9) continue;
    const std::string_view name = Trim(groups_[i].value);
    size_t j = i + 1;
    auto value_of = [&](int code, double* v) {
      for (size_t k = j; k < last && groups_[k].code != 9; ++k)
        if (groups_[k].code == code) return DxfNumber(groups_[k].value, v);
      return false;
    };
    if (name == "$EXTMIN") {
      have_min = value_of(10, &minx) && value_of(20, &miny);
    } else if (name == "$EXTMAX") {
      have_max = value_of(10, &maxx) && value_of(20, &maxy);
    } else if (name == "$INSUNITS") {
      double v = 0;
      if (value_of(70, &v)) insunits_ = static_cast<int>(v);
    } else if (name == "$ACADVER" && j < last) {
      acadver = std::string(Trim(groups_[j].value));
    } else if (name == "$DWGCODEPAGE" && j < last) {
      const std::string cp = Upper(Trim(groups_[j].value));
      if (cp.rfind("ANSI_", 0) == 0 && cp.size() > 5 && cp.size() < 12) code_page_ = "CP" + cp.substr(5);
      else if (cp == "DOS932") code_page_ = "CP932";
    }
  }
  if (acadver >= "AC1021") code_page_ = "UTF-8";
  if (have_min && have_max && maxx > minx && maxy > miny && maxx - minx < 1e12 && maxy - miny < 1e12) {
    has_extents_ = true;
    extents_ = {minx, miny, maxx - minx, maxy - miny};
  }
}

void DxfDocument::ReadTables(size_t first, size_t last) {
  for (const DxfEntity& e : SplitEntities(first, last)) {
    if (e.type != "LAYER") continue;
    std::string name;
    DxfLayer layer;
    bool have_name = false;
    for (size_t i = e.first; i < e.last; ++i) {
      const DxfGroup& g = groups_[i];
      if (g.code == 2) {
        name = Upper(Trim(g.value));
        have_name = true;
      } else if (g.code == 62) {
        const int c = DxfInt(g.value, 7);
        layer.color = AciColor(c);
        if (c < 0) layer.hidden = true;
      } else if (g.code == 70) {
        if (DxfInt(g.value, 0) & 1) layer.hidden = true;
      } else if (g.code == 420) {
        const int rgb = DxfInt(g.value, 0);
        layer.color = {static_cast<uint8_t>((rgb >> 16) & 255), static_cast<uint8_t>((rgb >> 8) & 255),
                       static_cast<uint8_t>(rgb & 255), 255};
      }
    }
    if (have_name) layers_[name] = layer;
  }
}

Result DxfDocument::ReadBlocks(size_t first, size_t last) {
  const std::vector<DxfEntity> all = SplitEntities(first, last);
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].type != "BLOCK") continue;
    std::string name;
    DxfBlock block;
    for (size_t k = all[i].first; k < all[i].last; ++k) {
      const DxfGroup& g = groups_[k];
      if (g.code == 2) name = Upper(Trim(g.value));
      else if (g.code == 10) DxfNumber(g.value, &block.base.x);
      else if (g.code == 20) DxfNumber(g.value, &block.base.y);
    }
    size_t j = i + 1;
    for (; j < all.size() && all[j].type != "ENDBLK"; ++j) block.entities.push_back(all[j]);
    i = j;
    if (!name.empty()) blocks_[name] = std::move(block);
  }
  return Result::Ok();
}

Result DxfDocument::Parse(const uint8_t* data, size_t size) {
  if (Result r = Tokenize(data, size); !r.ok()) return r;
  if (groups_.empty()) return Result(Status::kBadFile, "empty file");
  bool any_section = false;
  for (size_t i = 0; i < groups_.size(); ++i) {
    if (groups_[i].code != 0 || Trim(groups_[i].value) != "SECTION") continue;
    if (i + 1 >= groups_.size() || groups_[i + 1].code != 2) return Result(Status::kBroken, "section without a name");
    const std::string_view name = Trim(groups_[i + 1].value);
    size_t end = i + 2;
    while (end < groups_.size() && !(groups_[end].code == 0 && Trim(groups_[end].value) == "ENDSEC")) ++end;
    if (end >= groups_.size()) return Result(Status::kBroken, "section without its end");
    any_section = true;
    if (name == "HEADER") ReadHeader(i + 2, end);
    else if (name == "TABLES") ReadTables(i + 2, end);
    else if (name == "BLOCKS") {
      if (Result r = ReadBlocks(i + 2, end); !r.ok()) return r;
    } else if (name == "ENTITIES") {
      std::vector<DxfEntity> more = SplitEntities(i + 2, end);
      entities_.insert(entities_.end(), more.begin(), more.end());
    }
    i = end;
  }
  if (!any_section) return Result(Status::kBadFile, "no sections");
  return Result::Ok();
}

const DxfBlock* DxfDocument::Block(std::string_view name) const {
  const auto it = blocks_.find(Upper(name));
  return it == blocks_.end() ? nullptr : &it->second;
}

const DxfLayer* DxfDocument::Layer(std::string_view name) const {
  const auto it = layers_.find(Upper(name));
  return it == layers_.end() ? nullptr : &it->second;
}

}  // namespace imaging::vector::internal

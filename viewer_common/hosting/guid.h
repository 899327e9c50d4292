// File: viewer_common/hosting/guid.h
//
// 128-bit class and interface identifiers, written in the registry form
// "{8-4-4-4-12}" with upper-case hex digits.
//
//   auto g = hosting::Guid::Parse("{84AE83FE-CD23-4C9E-8E52-1F680BB3F3A2}");
//   if (g) std::string text = g->ToString();
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hosting {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};

  // Parse() accepts exactly "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (any
  // case); anything else gives nullopt.
  static constexpr std::optional<Guid> Parse(std::string_view text);
  // FromString() is Parse() for literals known to be well formed; a
  // malformed literal gives the null GUID.
  static constexpr Guid FromString(std::string_view text) { return Parse(text).value_or(Guid{}); }

  std::string ToString() const;
  bool IsNull() const { return *this == Guid{}; }

  friend bool operator==(const Guid&, const Guid&) = default;
  friend auto operator<=>(const Guid&, const Guid&) = default;
};

namespace guid_internal {
constexpr int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
// Reads `digits` hex digits at `pos`; false on any non-hex character.
constexpr bool ReadHex(std::string_view text, size_t pos, int digits, uint64_t* out) {
  uint64_t v = 0;
  for (int i = 0; i < digits; ++i) {
    int h = HexValue(text[pos + i]);
    if (h < 0) return false;
    v = (v << 4) | static_cast<uint64_t>(h);
  }
  *out = v;
  return true;
}
}  // namespace guid_internal

constexpr std::optional<Guid> Guid::Parse(std::string_view text) {
  using guid_internal::ReadHex;
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  if (text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-') return std::nullopt;
  Guid g;
  uint64_t v = 0;
  if (!ReadHex(text, 1, 8, &v)) return std::nullopt;
  g.data1 = static_cast<uint32_t>(v);
  if (!ReadHex(text, 10, 4, &v)) return std::nullopt;
  g.data2 = static_cast<uint16_t>(v);
  if (!ReadHex(text, 15, 4, &v)) return std::nullopt;
  g.data3 = static_cast<uint16_t>(v);
  for (size_t i = 0; i < 8; ++i) {
    size_t pos = i < 2 ? 20 + 2 * i : 25 + 2 * (i - 2);
    if (!ReadHex(text, pos, 2, &v)) return std::nullopt;
    g.data4[i] = static_cast<uint8_t>(v);
  }
  return g;
}

}  // namespace hosting

// File: viewer_common/hosting/type_info.h
//
// What a dispatch interface holds: its members with dispatch identifiers,
// types and access, so that hosts can list properties and name events
// without a type library file.
//
//   const hosting::MemberInfo* m = info.Find(-501);   // BackColor
//   if (m && m->CanGet()) ...
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "viewer_common/hosting/guid.h"
#include "viewer_common/hosting/variant.h"

namespace hosting {

using DispId = int32_t;

// Standard dispatch identifiers.
inline constexpr DispId kDispIdUnknown = -1;
inline constexpr DispId kDispIdBackColor = -501;
inline constexpr DispId kDispIdBorderColor = -503;
inline constexpr DispId kDispIdFont = -512;
inline constexpr DispId kDispIdForeColor = -513;
inline constexpr DispId kDispIdEnabled = -514;
inline constexpr DispId kDispIdBorderVisible = -519;
inline constexpr DispId kDispIdAppearance = -520;
inline constexpr DispId kDispIdPicture = -523;
inline constexpr DispId kDispIdAbout = -552;
// Ambient property of the host: false while the host is in design mode.
inline constexpr DispId kDispIdAmbientUserMode = -709;

enum class MemberKind : uint8_t { kProperty, kMethod, kEvent };

enum Access : uint8_t { kGet = 1, kPut = 2, kPutRef = 4, kGetPut = kGet | kPut };

struct ParamInfo {
  std::string name;
  VarType type = VarType::kI2;
};

struct MemberInfo {
  std::string name;
  DispId id = 0;
  MemberKind kind = MemberKind::kProperty;
  VarType type = VarType::kEmpty;  // property type, or a method's result (empty = none)
  uint8_t access = kGetPut;        // properties only
  std::vector<ParamInfo> params;   // methods and events

  bool CanGet() const { return kind == MemberKind::kProperty && (access & kGet); }
  bool CanPut() const { return kind == MemberKind::kProperty && (access & (kPut | kPutRef)); }
};

struct InterfaceInfo {
  Guid iid;
  std::string name;
  std::vector<MemberInfo> members;

  const MemberInfo* Find(DispId id) const;
  // FindByName() compares case-insensitively (ASCII), as dispatch names do.
  const MemberInfo* FindByName(std::string_view name) const;
};

}  // namespace hosting

// File: viewer_common/hosting/registry_tree.h
//
// The per-user registry the servers register into: a tree of keys (names
// compared case-insensitively) holding named string values, where the
// value named "" is the key's default value.  It lives in one JSON file,
// "$XDG_CONFIG_HOME/OsmundTools/registry.json" (~/.config when unset),
// written atomically under a lock file.
//
//   hosting::RegistryTree reg;
//   if (hosting::Failed(hosting::LoadRegistry(hosting::RegistryPath(), &reg))) ...
//   reg.Root().CreatePath("HKEY_CLASSES_ROOT/Foo.Bar").values[""] = "Foo";
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "viewer_common/hosting/guid.h"
#include "viewer_common/hosting/hresult.h"

namespace hosting {

struct CaseInsensitiveLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

struct RegistryKey {
  std::map<std::string, std::string, CaseInsensitiveLess> values;
  std::map<std::string, RegistryKey, CaseInsensitiveLess> keys;

  bool Empty() const { return values.empty() && keys.empty(); }
  // Find()/CreatePath() walk a "/"-separated path of subkeys.
  const RegistryKey* Find(std::string_view path) const;
  RegistryKey& CreatePath(std::string_view path);
  // DefaultValue(): the "" value of the key at `path`, if both exist.
  std::optional<std::string> DefaultValue(std::string_view path) const;
};

using RegistryTree = RegistryKey;

inline constexpr const char* kClassesRoot = "HKEY_CLASSES_ROOT";

// RegistryPath(): the registry file of the current user, from the
// environment at the time of the call.
std::string RegistryPath();

// LoadRegistry(): a missing file gives an empty tree and S_OK; an unreadable
// or malformed file gives STG_E_READFAULT and leaves *out empty.
[[nodiscard]] HRESULT LoadRegistry(const std::string& path, RegistryTree* out);
// SaveRegistry(): writes through a temporary file and rename; on failure the
// old file is untouched and STG_E_CANTSAVE is returned.
[[nodiscard]] HRESULT SaveRegistry(const std::string& path, const RegistryTree& tree);

// Look-ups a host uses to find a server.
std::optional<Guid> ClsidFromProgId(const RegistryTree& tree, std::string_view prog_id);
std::optional<std::string> InprocServerPath(const RegistryTree& tree, const Guid& clsid);

}  // namespace hosting

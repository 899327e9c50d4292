#include "viewer_common/hosting/type_info.h"

#include <algorithm>
#include <cctype>

namespace hosting {

const MemberInfo* InterfaceInfo::Find(DispId id) const {
  for (const MemberInfo& m : members)
    if (m.id == id) return &m;
  return nullptr;
}

const MemberInfo* InterfaceInfo::FindByName(std::string_view name) const {
  auto same = [name](const std::string& s) {
    return s.size() == name.size() &&
           std::equal(s.begin(), s.end(), name.begin(), [](char a, char b) {
             return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
  };
  for (const MemberInfo& m : members)
    if (same(m.name)) return &m;
  return nullptr;
}

}  // namespace hosting

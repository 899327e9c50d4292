// File: viewer_common/hosting/registrar.h
//
// Registrar scripts: the text a server registers its classes from, in the
// usual brace form, and the standard scripts of a control class, its
// property page and its type library.
//
//   HKCR
//   {
//     Sample.Control.1 = s 'Sample Class'
//     {
//       CLSID = s '{...}'
//     }
//     NoRemove CLSID
//     {
//       ForceRemove {...} = s 'Sample Control'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Apartment'
//         }
//       }
//     }
//   }
//
//   hosting::RegistrarScript script;
//   if (hosting::Succeeded(hosting::ParseRegistrar(text, {{"MODULE", path}}, &script)))
//     hosting::ApplyRegistrar(script, hosting::RegistrarMode::kRegister, &tree);
//
// Keys: "ForceRemove" deletes the key with everything below it before it is
// written, and on unregistration; "NoRemove" keeps the key on unregistration
// (only what the script put below it goes); "Delete" removes the key on
// registration.  A plain key is removed on unregistration once nothing else
// is left in it, so entries of other servers under it survive.  "val Name"
// sets a named value of the enclosing key.  %NAME% is replaced from the
// variables; "%%" is a single "%".
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "viewer_common/hosting/hresult.h"
#include "viewer_common/hosting/registry_tree.h"

namespace hosting {

struct RegistrarNode {
  enum class Flag { kNormal, kNoRemove, kForceRemove, kDelete };
  Flag flag = Flag::kNormal;
  bool is_value = false;  // "val Name = s '...'"
  std::string name;
  bool has_value = false;
  std::string value;
  std::vector<RegistrarNode> children;
};

struct RegistrarScript {
  std::vector<RegistrarNode> roots;  // names are full root names ("HKEY_CLASSES_ROOT")
};

// ParseRegistrar(): E_INVALIDARG with *error set for malformed text or an
// unknown %VARIABLE%.
[[nodiscard]] HRESULT ParseRegistrar(std::string_view text, const std::map<std::string, std::string>& vars,
                                     RegistrarScript* out, std::string* error = nullptr);

enum class RegistrarMode { kRegister, kUnregister };
void ApplyRegistrar(const RegistrarScript& script, RegistrarMode mode, RegistryTree* tree);

// The registration facts of one class.
struct ClassInfo {
  Guid clsid;
  std::string prog_id;                      // "Project.Class.1"
  std::string version_independent_prog_id;  // "Project.Class"
  std::string description;                  // "Class Class" (the ProgIDs' value)
  std::string long_description;             // the CLSID key's value; description when empty
  Guid type_library;                        // null for none
  std::string version = "1.0";
  std::string threading_model = "Apartment";
  bool is_control = false;                  // adds Control, Insertable, ToolboxBitmap32, MiscStatus
  std::string misc_status = "131473";
  int toolbox_bitmap = 101;
};

struct TypeLibInfo {
  Guid libid;
  std::string name;         // "SAMPLELib"
  std::string version = "1.0";
  std::string help_string;
};

// The standard scripts; they use %MODULE% for the library path.
std::string StandardClassScript(const ClassInfo& info);
std::string StandardTypeLibScript(const TypeLibInfo& info);

}  // namespace hosting

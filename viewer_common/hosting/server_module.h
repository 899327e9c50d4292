// File: viewer_common/hosting/server_module.h
//
// What a server library is made of, and the four exports every server
// library has.  A library describes its type library and classes in one
// function and names it in OSMUND_SERVER_EXPORTS:
//
//   const hosting::ModuleInfo& SampleModule() {
//     static const hosting::ModuleInfo info{
//         kSampleTypeLib,
//         {{SampleControl::Class().info, &hosting::CreateControl<SampleControl>},
//          {kSamplePageInfo, &SamplePage::Create}}};
//     return info;
//   }
//   OSMUND_SERVER_EXPORTS(SampleModule)
//
// The exports (C linkage, default visibility):
//   HRESULT DllRegisterServer();      every class and the type library
//   HRESULT DllUnregisterServer();    removes exactly those entries
//   HRESULT DllGetClassObject(const Guid* clsid, const Guid* iid, void** out);
//   HRESULT DllCanUnloadNow();        S_OK when no object or lock is alive
#pragma once

#include <string>
#include <vector>

#include "viewer_common/hosting/interfaces.h"
#include "viewer_common/hosting/registrar.h"

namespace hosting {

using CreateInstanceFn = HRESULT (*)(IUnknown* outer, const Guid& iid, void** out);

struct ServerClass {
  ClassInfo info;
  CreateInstanceFn create = nullptr;
  std::string script;  // registrar text; the standard script of `info` when empty
};

struct ModuleInfo {
  TypeLibInfo type_library;
  std::vector<ServerClass> classes;
};

// The pieces behind the exports.  `module_address` is any address inside the
// server library (its path becomes %MODULE%).
HRESULT ServerRegister(const ModuleInfo& module, const void* module_address);
HRESULT ServerUnregister(const ModuleInfo& module, const void* module_address);
HRESULT ServerGetClassObject(const ModuleInfo& module, const Guid* clsid, const Guid* iid, void** out);
HRESULT ServerCanUnloadNow();
// Live objects and locks of this library (for tests).
long ServerLockCount();
// The path of the shared object holding `address`.
std::string ModulePathOf(const void* address);

// Names of the exports, for hosts that resolve them.
inline constexpr const char* kDllRegisterServer = "DllRegisterServer";
inline constexpr const char* kDllUnregisterServer = "DllUnregisterServer";
inline constexpr const char* kDllGetClassObject = "DllGetClassObject";
inline constexpr const char* kDllCanUnloadNow = "DllCanUnloadNow";
using DllRegisterServerFn = HRESULT (*)();
using DllGetClassObjectFn = HRESULT (*)(const Guid*, const Guid*, void**);
using DllCanUnloadNowFn = HRESULT (*)();

}  // namespace hosting

#define OSMUND_SERVER_EXPORTS(module_info_fn)                                                       \
  extern "C" __attribute__((visibility("default"))) ::hosting::HRESULT DllRegisterServer();        \
  extern "C" __attribute__((visibility("default"))) ::hosting::HRESULT DllRegisterServer() {       \
    return ::hosting::ServerRegister(module_info_fn(), reinterpret_cast<const void*>(&DllRegisterServer)); \
  }                                                                                                 \
  extern "C" __attribute__((visibility("default"))) ::hosting::HRESULT DllUnregisterServer() {     \
    return ::hosting::ServerUnregister(module_info_fn(), reinterpret_cast<const void*>(&DllRegisterServer)); \
  }                                                                                                 \
  extern "C" __attribute__((visibility("default"))) ::hosting::HRESULT DllGetClassObject(          \
      const ::hosting::Guid* clsid, const ::hosting::Guid* iid, void** out) {                      \
    return ::hosting::ServerGetClassObject(module_info_fn(), clsid, iid, out);                     \
  }                                                                                                 \
  extern "C" __attribute__((visibility("default"))) ::hosting::HRESULT DllCanUnloadNow() {         \
    return ::hosting::ServerCanUnloadNow();                                                         \
  }

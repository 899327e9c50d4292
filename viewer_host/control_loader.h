// File: viewer_host/control_loader.h
//
// Loads a control's server library by path, registers it, and creates the
// control through its class object, as a container does.  Without a CLSID
// the first control class the library registered is taken.
//
//   host::ControlLoader loader;
//   if (!loader.Load("/opt/lib/libmv7thumb.so", std::nullopt, &error)) ...
//   QWidget* w = loader.Widget();
#pragma once

#include <QLibrary>
#include <optional>
#include <string>

#include "viewer_common/hosting/interfaces.h"
#include "viewer_common/hosting/registry_tree.h"

namespace host {

class ControlLoader {
 public:
  ControlLoader() = default;
  ~ControlLoader();
  ControlLoader(const ControlLoader&) = delete;
  ControlLoader& operator=(const ControlLoader&) = delete;

  // Load(): false with *error set when the library, an export, the
  // registration, the class or the creation fails.
  bool Load(const std::string& path, std::optional<hosting::Guid> clsid, std::string* error);
  // Unregister(): runs the library's DllUnregisterServer.
  hosting::HRESULT Unregister();
  // Release(): drops the control; the library stays loaded while it is in use.
  void Release();

  const hosting::Guid& clsid() const { return clsid_; }
  hosting::IDispatch* Dispatch() const { return dispatch_.Get(); }
  hosting::IUnknown* Object() const { return object_.Get(); }
  QWidget* Widget() const;
  // DllCanUnloadNow() of the library (S_OK when nothing of it is alive).
  hosting::HRESULT CanUnloadNow() const;

 private:
  QLibrary library_;
  hosting::Guid clsid_;
  hosting::ComPtr<hosting::IUnknown> object_;
  hosting::ComPtr<hosting::IDispatch> dispatch_;
};

// FirstControlOf(): the CLSID of the first class in the registry that is a
// control served by the library at `path`.
std::optional<hosting::Guid> FirstControlOf(const hosting::RegistryTree& tree, const std::string& path);

}  // namespace host

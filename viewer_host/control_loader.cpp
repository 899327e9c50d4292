#include "viewer_host/control_loader.h"

#include <QFileInfo>

#include "viewer_common/hosting/server_module.h"

namespace host {

using namespace hosting;

namespace {
std::string Hex(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<uint32_t>(hr));
  return buf;
}
std::string Canonical(const std::string& path) {
  QFileInfo fi(QString::fromStdString(path));
  return (fi.exists() ? fi.canonicalFilePath() : fi.absoluteFilePath()).toStdString();
}
}  // namespace

std::optional<Guid> FirstControlOf(const RegistryTree& tree, const std::string& path) {
  const RegistryKey* clsids = tree.Find(std::string(kClassesRoot) + "/CLSID");
  if (!clsids) return std::nullopt;
  const std::string want = Canonical(path);
  for (const auto& [name, key] : clsids->keys) {
    auto server = key.DefaultValue("InprocServer32");
    if (!server || Canonical(*server) != want || !key.Find("Control")) continue;
    if (auto g = Guid::Parse(name)) return g;
  }
  return std::nullopt;
}

ControlLoader::~ControlLoader() { Release(); }

void ControlLoader::Release() {
  dispatch_.Reset();
  object_.Reset();
}

QWidget* ControlLoader::Widget() const {
  ComPtr<IControlWidget> w;
  if (!object_ || Failed(object_.As(&w))) return nullptr;
  return w->Widget();
}

HRESULT ControlLoader::CanUnloadNow() const {
  auto fn = reinterpret_cast<DllCanUnloadNowFn>(const_cast<QLibrary&>(library_).resolve(kDllCanUnloadNow));
  return fn ? fn() : E_UNEXPECTED;
}

HRESULT ControlLoader::Unregister() {
  auto fn = reinterpret_cast<DllRegisterServerFn>(library_.resolve(kDllUnregisterServer));
  return fn ? fn() : E_UNEXPECTED;
}

bool ControlLoader::Load(const std::string& path, std::optional<Guid> clsid, std::string* error) {
  Release();
  library_.setFileName(QString::fromStdString(path));
  if (!library_.load()) {
    *error = "cannot load " + path + ": " + library_.errorString().toStdString();
    return false;
  }
  auto reg = reinterpret_cast<DllRegisterServerFn>(library_.resolve(kDllRegisterServer));
  auto get = reinterpret_cast<DllGetClassObjectFn>(library_.resolve(kDllGetClassObject));
  if (!reg || !get) {
    *error = path + " is not a server library (DllRegisterServer/DllGetClassObject missing)";
    return false;
  }
  if (HRESULT hr = reg(); Failed(hr)) {
    *error = "DllRegisterServer failed: " + Hex(hr);
    return false;
  }
  if (!clsid) {
    RegistryTree tree;
    if (Failed(LoadRegistry(RegistryPath(), &tree)) || !(clsid = FirstControlOf(tree, path))) {
      *error = "no control class of " + path + " in " + RegistryPath();
      return false;
    }
  }
  clsid_ = *clsid;
  ComPtr<IClassFactory> factory;
  if (HRESULT hr = get(&clsid_, &IClassFactory::kIid, factory.PutVoid()); Failed(hr)) {
    *error = "DllGetClassObject(" + clsid_.ToString() + ") failed: " + Hex(hr);
    return false;
  }
  if (HRESULT hr = factory->CreateInstance(nullptr, IUnknown::kIid, object_.PutVoid()); Failed(hr)) {
    *error = "CreateInstance failed: " + Hex(hr);
    return false;
  }
  if (HRESULT hr = object_.As(&dispatch_); Failed(hr)) {
    *error = "the control has no dispatch interface: " + Hex(hr);
    Release();
    return false;
  }
  return true;
}

}  // namespace host

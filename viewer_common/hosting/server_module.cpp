#include "viewer_common/hosting/server_module.h"

#include <dlfcn.h>

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <atomic>

namespace hosting {
namespace {

std::atomic<long> g_locks{0};

class ClassFactory final : public IClassFactory, public RefCounted {
 public:
  explicit ClassFactory(CreateInstanceFn create) : create_(create) {}
  HRESULT QueryInterface(const Guid& iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IUnknown::kIid || iid == IClassFactory::kIid) return ReturnInterface<IClassFactory>(this, out);
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return AddRefImpl(); }
  uint32_t Release() override { return ReleaseImpl(); }
  HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return create_(outer, iid, out);
  }
  HRESULT LockServer(bool lock) override {
    if (lock) ModuleAddRef(); else ModuleRelease();
    return S_OK;
  }

 private:
  CreateInstanceFn create_;
};

// Builds every script of the module with its variables filled in.
HRESULT BuildScripts(const ModuleInfo& module, const void* address, std::vector<RegistrarScript>* out) {
  const std::string path = ModulePathOf(address);
  if (path.empty()) return SELFREG_E_CLASS;
  const std::map<std::string, std::string> vars{
      {"MODULE", path}, {"MODULEDIR", QFileInfo(QString::fromStdString(path)).absolutePath().toStdString()}};
  auto add = [&](const std::string& text) {
    RegistrarScript s;
    if (Failed(ParseRegistrar(text, vars, &s))) return false;
    out->push_back(std::move(s));
    return true;
  };
  if (!module.type_library.libid.IsNull() && !add(StandardTypeLibScript(module.type_library)))
    return SELFREG_E_TYPELIB;
  for (const ServerClass& c : module.classes)
    if (!add(c.script.empty() ? StandardClassScript(c.info) : c.script)) return SELFREG_E_CLASS;
  return S_OK;
}

// Load, change and write the registry file under its lock, so that two
// servers registering at once do not lose each other's entries.
HRESULT UpdateRegistry(const std::vector<RegistrarScript>& scripts, RegistrarMode mode) {
  const std::string path = RegistryPath();
  const QString qpath = QString::fromStdString(path);
  if (!QFileInfo(qpath).absoluteDir().mkpath(".")) return SELFREG_E_CLASS;
  QLockFile lock(qpath + ".lock");
  if (!lock.tryLock(5000)) return SELFREG_E_CLASS;
  RegistryTree tree;
  // A damaged registry file is not replaced by one holding only our entries.
  if (Failed(LoadRegistry(path, &tree))) return SELFREG_E_CLASS;
  for (const RegistrarScript& s : scripts) ApplyRegistrar(s, mode, &tree);
  return Succeeded(SaveRegistry(path, tree)) ? S_OK : SELFREG_E_CLASS;
}

}  // namespace

void ModuleAddRef() { ++g_locks; }
void ModuleRelease() { --g_locks; }
long ServerLockCount() { return g_locks.load(); }

std::string ModulePathOf(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname) return {};
  return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath().toStdString();
}

HRESULT ServerRegister(const ModuleInfo& module, const void* module_address) {
  std::vector<RegistrarScript> scripts;
  if (HRESULT hr = BuildScripts(module, module_address, &scripts); Failed(hr)) return hr;
  return UpdateRegistry(scripts, RegistrarMode::kRegister);
}

HRESULT ServerUnregister(const ModuleInfo& module, const void* module_address) {
  std::vector<RegistrarScript> scripts;
  if (HRESULT hr = BuildScripts(module, module_address, &scripts); Failed(hr)) return hr;
  return UpdateRegistry(scripts, RegistrarMode::kUnregister);
}

HRESULT ServerGetClassObject(const ModuleInfo& module, const Guid* clsid, const Guid* iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!clsid || !iid) return E_INVALIDARG;
  for (const ServerClass& c : module.classes) {
    if (c.info.clsid != *clsid || !c.create) continue;
    auto* factory = new ClassFactory(c.create);
    factory->AddRef();
    HRESULT hr = factory->QueryInterface(*iid, out);
    factory->Release();
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT ServerCanUnloadNow() { return g_locks.load() == 0 ? S_OK : S_FALSE; }

}  // namespace hosting

// File: viewer_common/hosting/unknown.h
//
// The root interface of every server object, a smart pointer for it, and a
// reference-count base for implementations.
//
//   hosting::ComPtr<hosting::IDispatch> disp;
//   if (hosting::Succeeded(obj->QueryInterface(hosting::IDispatch::kIid, disp.PutVoid())))
//     disp->Invoke(...);
//
// QueryInterface rules: asking any interface of an object for IUnknown gives
// the same pointer (identity); an unknown IID gives E_NOINTERFACE and a null
// out pointer; a null out pointer gives E_POINTER.  Interfaces have no
// virtual destructor: objects delete themselves in Release().
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

#include "viewer_common/hosting/guid.h"
#include "viewer_common/hosting/hresult.h"

namespace hosting {

struct IUnknown {
  static constexpr Guid kIid = Guid::FromString("{00000000-0000-0000-C000-000000000046}");
  virtual HRESULT QueryInterface(const Guid& iid, void** out) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

// ComPtr<T>: holds one reference.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }  // NOLINT: adopts by AddRef
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ~ComPtr() { Reset(); }
  ComPtr& operator=(ComPtr o) noexcept { std::swap(p_, o.p_); return *this; }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void Reset() { if (T* p = std::exchange(p_, nullptr)) p->Release(); }
  // Attach() takes over a reference the caller already owns.
  void Attach(T* p) { Reset(); p_ = p; }
  T* Detach() { return std::exchange(p_, nullptr); }
  // Put()/PutVoid() release the held pointer and expose the slot for an out
  // parameter that hands over a reference.
  T** Put() { Reset(); return &p_; }
  void** PutVoid() { Reset(); return reinterpret_cast<void**>(&p_); }

  // As() queries for another interface of the same object.
  template <typename U>
  HRESULT As(ComPtr<U>* out) const {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(U::kIid, out->PutVoid());
  }

 private:
  T* p_ = nullptr;
};

// Called by every object and class-factory lock, so that DllCanUnloadNow
// knows whether the module is in use.  Defined by the server module.
void ModuleAddRef();
void ModuleRelease();

// RefCounted: AddRef/Release for an implementation class; the count starts
// at 0, the first QueryInterface takes the first reference.
class RefCounted {
 public:
  RefCounted() { ModuleAddRef(); }
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;
  virtual ~RefCounted() { ModuleRelease(); }

 protected:
  uint32_t AddRefImpl() { return ++refs_; }
  uint32_t ReleaseImpl() {
    uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<uint32_t> refs_{0};
};

// Fills *out with `iface` (already of the right type) and takes a reference.
template <typename I>
HRESULT ReturnInterface(I* iface, void** out) {
  *out = iface;
  iface->AddRef();
  return S_OK;
}

}  // namespace hosting

// File: viewer_common/hosting/interfaces.h
//
// The interfaces a control and its host talk through: class factory,
// dispatch by DISPID, connection points for events, the property-change
// sink, stream persistence, class information, property pages, and the
// widget of the control.
//
//   hosting::ComPtr<hosting::IDispatch> disp = ...;
//   hosting::Variant args[] = {hosting::Variant::I2(3)};
//   hosting::Variant result;
//   disp->Invoke(8, hosting::InvokeKind::kMethod, args, 1, &result, nullptr);
//
// Argument arrays are in declaration order (first argument first).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "viewer_common/hosting/type_info.h"
#include "viewer_common/hosting/unknown.h"
#include "viewer_common/hosting/variant.h"

class QPaintDevice;
class QRect;
class QWidget;

namespace hosting {

struct IClassFactory : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{C41D1BFA-F4EA-4180-A183-873172BE30B5}");
  // An `outer` unknown asks for aggregation; classes that do not support it
  // answer CLASS_E_NOAGGREGATION.
  virtual HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** out) = 0;
  virtual HRESULT LockServer(bool lock) = 0;

 protected:
  ~IClassFactory() = default;
};

enum class InvokeKind : uint8_t { kMethod = 1, kPropertyGet = 2, kPropertyPut = 4, kPropertyPutRef = 8 };

// Filled by Invoke() when a member fails with a reason for the user.
struct ExcepInfo {
  std::u16string source;
  std::u16string description;
};

struct IDispatch : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{69183D5C-009F-4422-8143-FED36E4CB1E2}");
  // GetTypeInfo() describes the interface; the pointer lives as long as the
  // object.
  virtual HRESULT GetTypeInfo(const InterfaceInfo** out) = 0;
  // GetIDsOfNames(): names[0] is a member, the rest its parameter names.
  // Unknown names get kDispIdUnknown and DISP_E_UNKNOWNNAME.
  virtual HRESULT GetIDsOfNames(const std::u16string* names, size_t count, DispId* ids) = 0;
  virtual HRESULT Invoke(DispId id, InvokeKind kind, const Variant* args, size_t count,
                         Variant* result, ExcepInfo* excep) = 0;

 protected:
  ~IDispatch() = default;
};

struct IPropertyNotifySink : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{66E722B3-180F-4592-B71D-D16BF701055E}");
  virtual HRESULT OnChanged(DispId id) = 0;
  // OnRequestEdit(): S_FALSE vetoes the change.
  virtual HRESULT OnRequestEdit(DispId id) = 0;

 protected:
  ~IPropertyNotifySink() = default;
};

struct IConnectionPointContainer;

struct IConnectionPoint : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{556C1BED-6B52-4C18-9E13-F7D26212B43F}");
  virtual HRESULT GetConnectionInterface(Guid* iid) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** out) = 0;
  // Advise() queries `sink` for the connection interface (CONNECT_E_CANNOTCONNECT
  // when it has none) and returns a non-zero cookie.
  virtual HRESULT Advise(IUnknown* sink, uint32_t* cookie) = 0;
  // Unadvise(): CONNECT_E_NOCONNECTION for an unknown cookie.
  virtual HRESULT Unadvise(uint32_t cookie) = 0;

 protected:
  ~IConnectionPoint() = default;
};

struct IConnectionPointContainer : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{21EC6B99-C72E-4E53-843E-11A60AF44745}");
  virtual HRESULT EnumConnectionInterfaces(std::vector<Guid>* iids) = 0;
  virtual HRESULT FindConnectionPoint(const Guid& iid, IConnectionPoint** out) = 0;

 protected:
  ~IConnectionPointContainer() = default;
};

struct IPersistStreamInit : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{CEFE53A4-F087-4853-86CA-685EB2E3BF26}");
  virtual HRESULT GetClassID(Guid* clsid) = 0;
  // IsDirty(): S_OK when changed since the last save, else S_FALSE.
  virtual HRESULT IsDirty() = 0;
  // Load() reads what Save() wrote.  A short or damaged stream leaves the
  // properties it could not read at their defaults and returns S_FALSE.
  virtual HRESULT Load(const uint8_t* data, size_t size) = 0;
  virtual HRESULT Save(std::vector<uint8_t>* out, bool clear_dirty) = 0;
  virtual HRESULT InitNew() = 0;

 protected:
  ~IPersistStreamInit() = default;
};

struct ClassInfo;

struct IProvideClassInfo : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{C733EF19-B824-46FE-B0BB-71D713FD63FF}");
  virtual HRESULT GetClassInfo(const ClassInfo** out) = 0;
  // GetEventInfo(): the default source interface.
  virtual HRESULT GetEventInfo(const InterfaceInfo** out) = 0;

 protected:
  ~IProvideClassInfo() = default;
};

struct ISpecifyPropertyPages : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{22DB703C-B3FB-4000-898B-B75E11B4930A}");
  virtual HRESULT GetPages(std::vector<Guid>* clsids) = 0;

 protected:
  ~ISpecifyPropertyPages() = default;
};

// A property page object: given the objects to edit, it shows itself as a
// modal dialog and writes changed fields back through their dispatch.
struct IPropertyPage : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{C849A1CA-EFAD-4FE5-80BF-1AC8D9EFC20D}");
  virtual HRESULT SetObjects(IUnknown* const* objects, size_t count) = 0;
  // Show(): runs the page modally over `parent`; S_OK when it was closed
  // with OK, S_FALSE when cancelled.
  virtual HRESULT Show(QWidget* parent) = 0;

 protected:
  ~IPropertyPage() = default;
};

// The stand-in for in-place activation: the host takes the control's widget
// and places it in its own window.
struct IControlWidget : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{D839057B-7468-4274-B81A-433A5F1077B5}");
  // Widget(): the control's widget, nullptr once it has been destroyed.
  virtual QWidget* Widget() = 0;

 protected:
  ~IControlWidget() = default;
};

// Value browsing for enumerated properties: the same captions the property
// page lists ("0 - Flat", "1 - Lowered", ...), and the value behind each.
struct IPerPropertyBrowsing : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{5A0B7D1E-2F4C-4C8A-9E61-3B7D2C90A4F1}");
  // GetDisplayString(): the caption of the current value (S_FALSE and ""
  // for a property without captions or a value none names).
  virtual HRESULT GetDisplayString(DispId id, std::u16string* out) = 0;
  // GetPredefinedStrings(): the captions and a cookie for each;
  // E_NOTIMPL for a property without captions.
  virtual HRESULT GetPredefinedStrings(DispId id, std::vector<std::u16string>* captions,
                                       std::vector<uint32_t>* cookies) = 0;
  // GetPredefinedValue(): the value a cookie stands for (E_INVALIDARG for
  // an unknown cookie).
  virtual HRESULT GetPredefinedValue(DispId id, uint32_t cookie, Variant* out) = 0;

 protected:
  ~IPerPropertyBrowsing() = default;
};

// The control's side of its host's ambient properties.  The host hands in a
// dispatch interface whose property gets answer the ambient DISPIDs
// (kDispIdAmbientUserMode, ...), and tells of changes.
struct IOleControl : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{8C3E51A2-6B0D-4F7E-A2C9-1D4E6F8B3A57}");
  // SetAmbientSite(): nullptr forgets the host (every ambient at its default).
  virtual HRESULT SetAmbientSite(IDispatch* ambient) = 0;
  virtual HRESULT OnAmbientPropertyChange(DispId id) = 0;

 protected:
  ~IOleControl() = default;
};

// Drawing the control into any paint device: the screen form on a widget
// or pixmap, the printing form on every other device (printer, PDF writer,
// image).  `bounds` is in device pixels.
struct IViewObject : IUnknown {
  static constexpr Guid kIid = Guid::FromString("{E7A4C2D9-0B3F-4E15-8A6D-92F1C4B7E063}");
  virtual HRESULT Draw(QPaintDevice* device, const QRect& bounds) = 0;

 protected:
  ~IViewObject() = default;
};

}  // namespace hosting

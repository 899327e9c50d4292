#include "viewer_common/hosting/control_object.h"

#include <QPointer>
#include <QString>
#include <set>

namespace hosting {
namespace {

class ControlObject;

// A connection point lives inside its container and shares its count.
class ConnectionPoint final : public IConnectionPoint {
 public:
  ConnectionPoint(ControlObject* owner, Guid iid, bool property_notify)
      : owner_(owner), iid_(iid), property_notify_(property_notify) {}
  HRESULT QueryInterface(const Guid& iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;
  HRESULT GetConnectionInterface(Guid* iid) override {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
  }
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** out) override;
  HRESULT Advise(IUnknown* sink, uint32_t* cookie) override;
  HRESULT Unadvise(uint32_t cookie) override;
  void DropAll();

 private:
  ControlObject* owner_;
  Guid iid_;
  bool property_notify_;
  std::set<uint32_t> cookies_;
};

class ControlObject final : public IDispatch,
                            public IConnectionPointContainer,
                            public IPersistStreamInit,
                            public IProvideClassInfo,
                            public ISpecifyPropertyPages,
                            public IControlWidget,
                            public IPerPropertyBrowsing,
                            public IOleControl,
                            public IViewObject,
                            public RefCounted {
 public:
  explicit ControlObject(Control* control)
      : control_(control),
        events_(this, control->Class().events.iid, false),
        notify_(this, IPropertyNotifySink::kIid, true) {}
  ~ControlObject() override {
    events_.DropAll();
    notify_.DropAll();
    delete control_.data();
  }

  Control* control() const { return control_.data(); }

  // IUnknown: every interface answers IUnknown with the same pointer.
  HRESULT QueryInterface(const Guid& iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IUnknown::kIid) return ReturnInterface<IUnknown>(static_cast<IDispatch*>(this), out);
    if (iid == IDispatch::kIid || (control_ && iid == control_->Class().dispatch.iid))
      return ReturnInterface<IDispatch>(this, out);
    if (iid == IConnectionPointContainer::kIid) return ReturnInterface<IConnectionPointContainer>(this, out);
    if (iid == IPersistStreamInit::kIid) return ReturnInterface<IPersistStreamInit>(this, out);
    if (iid == IProvideClassInfo::kIid) return ReturnInterface<IProvideClassInfo>(this, out);
    if (iid == ISpecifyPropertyPages::kIid) return ReturnInterface<ISpecifyPropertyPages>(this, out);
    if (iid == IControlWidget::kIid) return ReturnInterface<IControlWidget>(this, out);
    if (iid == IPerPropertyBrowsing::kIid) return ReturnInterface<IPerPropertyBrowsing>(this, out);
    if (iid == IOleControl::kIid) return ReturnInterface<IOleControl>(this, out);
    if (iid == IViewObject::kIid) return ReturnInterface<IViewObject>(this, out);
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return AddRefImpl(); }
  uint32_t Release() override { return ReleaseImpl(); }

  // IDispatch
  HRESULT GetTypeInfo(const InterfaceInfo** out) override {
    if (!out) return E_POINTER;
    if (!control_) return E_UNEXPECTED;
    *out = &control_->Class().dispatch;
    return S_OK;
  }
  HRESULT GetIDsOfNames(const std::u16string* names, size_t count, DispId* ids) override {
    if (!names || !ids) return E_POINTER;
    if (!control_) return E_UNEXPECTED;
    if (count == 0) return E_INVALIDARG;
    const MemberInfo* m = control_->Class().dispatch.FindByName(QString::fromStdU16String(names[0]).toStdString());
    HRESULT hr = S_OK;
    ids[0] = m ? m->id : kDispIdUnknown;
    if (!m) hr = DISP_E_UNKNOWNNAME;
    for (size_t i = 1; i < count; ++i) {
      ids[i] = kDispIdUnknown;
      if (m) {
        for (size_t p = 0; p < m->params.size(); ++p)
          if (QString::fromStdString(m->params[p].name).compare(QString::fromStdU16String(names[i]), Qt::CaseInsensitive) == 0)
            ids[i] = static_cast<DispId>(p);
      }
      if (ids[i] == kDispIdUnknown) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT Invoke(DispId id, InvokeKind kind, const Variant* args, size_t count, Variant* result,
                 ExcepInfo* excep) override {
    if (!control_) return E_UNEXPECTED;
    if (count && !args) return E_POINTER;
    control_->SetErrorDescription({});
    HRESULT hr = DISP_E_MEMBERNOTFOUND;
    switch (kind) {
      case InvokeKind::kPropertyGet:
        if (!result) return E_POINTER;
        if (count != 0) return DISP_E_BADPARAMCOUNT;
        hr = control_->GetProperty(id, result);
        // A method without arguments may be called with a get, as dispatch allows.
        if (hr == DISP_E_MEMBERNOTFOUND && control_->Class().FindMethod(id)) hr = control_->CallMethod(id, args, count, result);
        break;
      case InvokeKind::kPropertyPut:
      case InvokeKind::kPropertyPutRef:
        if (count != 1) return DISP_E_BADPARAMCOUNT;
        hr = control_->PutProperty(id, args[0], kind);
        break;
      case InvokeKind::kMethod:
        hr = control_->CallMethod(id, args, count, result);
        break;
    }
    if (Failed(hr) && excep) {
      excep->source = QString::fromStdString(control_->Class().info.prog_id).toStdU16String();
      excep->description = control_->ErrorDescription();
    }
    return hr;
  }

  // IConnectionPointContainer
  HRESULT EnumConnectionInterfaces(std::vector<Guid>* iids) override {
    if (!iids) return E_POINTER;
    *iids = {control_ ? control_->Class().events.iid : Guid{}, IPropertyNotifySink::kIid};
    return S_OK;
  }
  HRESULT FindConnectionPoint(const Guid& iid, IConnectionPoint** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!control_) return E_UNEXPECTED;
    if (iid == control_->Class().events.iid) return ReturnInterface<IConnectionPoint>(&events_, reinterpret_cast<void**>(out));
    if (iid == IPropertyNotifySink::kIid) return ReturnInterface<IConnectionPoint>(&notify_, reinterpret_cast<void**>(out));
    return CONNECT_E_NOCONNECTION;
  }

  // IPersistStreamInit
  HRESULT GetClassID(Guid* clsid) override {
    if (!clsid) return E_POINTER;
    if (!control_) return E_UNEXPECTED;
    *clsid = control_->Class().info.clsid;
    return S_OK;
  }
  HRESULT IsDirty() override {
    if (!control_) return E_UNEXPECTED;
    return control_->IsDirty() ? S_OK : S_FALSE;
  }
  HRESULT Load(const uint8_t* data, size_t size) override {
    if (!control_) return E_UNEXPECTED;
    if (!data && size) return E_POINTER;
    return control_->LoadProperties(data, size);
  }
  HRESULT Save(std::vector<uint8_t>* out, bool clear_dirty) override {
    if (!control_) return E_UNEXPECTED;
    return control_->SaveProperties(out, clear_dirty);
  }
  HRESULT InitNew() override {
    if (!control_) return E_UNEXPECTED;
    control_->ResetProperties();
    control_->SetDirty(false);
    return S_OK;
  }

  // IProvideClassInfo
  HRESULT GetClassInfo(const ClassInfo** out) override {
    if (!out) return E_POINTER;
    if (!control_) return E_UNEXPECTED;
    *out = &control_->Class().info;
    return S_OK;
  }
  HRESULT GetEventInfo(const InterfaceInfo** out) override {
    if (!out) return E_POINTER;
    if (!control_) return E_UNEXPECTED;
    *out = &control_->Class().events;
    return S_OK;
  }

  // ISpecifyPropertyPages
  HRESULT GetPages(std::vector<Guid>* clsids) override {
    if (!clsids) return E_POINTER;
    if (!control_) return E_UNEXPECTED;
    *clsids = control_->Class().pages;
    return S_OK;
  }

  // IControlWidget
  QWidget* Widget() override { return control_.data(); }

  // IPerPropertyBrowsing: the cookie of a caption is its value.
  HRESULT GetDisplayString(DispId id, std::u16string* out) override {
    if (!out) return E_POINTER;
    if (!control_) return E_UNEXPECTED;
    *out = control_->DisplayString(id);
    return out->empty() ? S_FALSE : S_OK;
  }
  HRESULT GetPredefinedStrings(DispId id, std::vector<std::u16string>* captions,
                               std::vector<uint32_t>* cookies) override {
    if (!captions || !cookies) return E_POINTER;
    if (!control_) return E_UNEXPECTED;
    const std::vector<std::u16string>* c = control_->Captions(id);
    if (!c) return E_NOTIMPL;
    *captions = *c;
    cookies->clear();
    for (const std::u16string& caption : *c) cookies->push_back(static_cast<uint32_t>(CaptionValue(caption)));
    return S_OK;
  }
  HRESULT GetPredefinedValue(DispId id, uint32_t cookie, Variant* out) override {
    if (!out) return E_POINTER;
    if (!control_) return E_UNEXPECTED;
    const std::vector<std::u16string>* c = control_->Captions(id);
    const PropertyDef* p = control_->Class().FindProperty(id);
    if (!c || !p) return E_NOTIMPL;
    for (const std::u16string& caption : *c) {
      if (static_cast<uint32_t>(CaptionValue(caption)) != cookie) continue;
      return Variant::I4(CaptionValue(caption)).ChangeType(p->type, out);
    }
    return E_INVALIDARG;
  }

  // IOleControl
  HRESULT SetAmbientSite(IDispatch* ambient) override {
    if (!control_) return E_UNEXPECTED;
    if (!ambient) {
      control_->SetAmbientSource({});
      return S_OK;
    }
    ComPtr<IDispatch> site(ambient);
    control_->SetAmbientSource([site](DispId id, Variant* out) {
      return Succeeded(site->Invoke(id, InvokeKind::kPropertyGet, nullptr, 0, out, nullptr));
    });
    return S_OK;
  }
  HRESULT OnAmbientPropertyChange(DispId id) override {
    if (!control_) return E_UNEXPECTED;
    control_->AmbientPropertyChanged(id);
    return S_OK;
  }

  // IViewObject
  HRESULT Draw(QPaintDevice* device, const QRect& bounds) override {
    if (!control_) return E_UNEXPECTED;
    return control_->DrawOnDevice(device, bounds);
  }

 private:
  QPointer<Control> control_;
  ConnectionPoint events_;
  ConnectionPoint notify_;
};

HRESULT ConnectionPoint::QueryInterface(const Guid& iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IUnknown::kIid || iid == IConnectionPoint::kIid) return ReturnInterface<IConnectionPoint>(this, out);
  return E_NOINTERFACE;
}
uint32_t ConnectionPoint::AddRef() { return owner_->AddRef(); }
uint32_t ConnectionPoint::Release() { return owner_->Release(); }

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  return ReturnInterface<IConnectionPointContainer>(owner_, reinterpret_cast<void**>(out));
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, uint32_t* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  Control* control = owner_->control();
  if (!control) return E_UNEXPECTED;
  if (property_notify_) {
    ComPtr<IPropertyNotifySink> s;
    if (Failed(sink->QueryInterface(IPropertyNotifySink::kIid, s.PutVoid()))) return CONNECT_E_CANNOTCONNECT;
    *cookie = control->AddPropertyListener(
        {[s](DispId id) { s->OnChanged(id); }, [s](DispId id) { return s->OnRequestEdit(id) != S_FALSE; }});
  } else {
    // Event sinks are dispatch interfaces: by the event IID or plain IDispatch.
    ComPtr<IDispatch> s;
    if (Failed(sink->QueryInterface(iid_, s.PutVoid())) &&
        Failed(sink->QueryInterface(IDispatch::kIid, s.PutVoid())))
      return CONNECT_E_CANNOTCONNECT;
    *cookie = control->AddEventListener([s](DispId id, const std::vector<Variant>& args) {
      Variant ignored;
      s->Invoke(id, InvokeKind::kMethod, args.data(), args.size(), &ignored, nullptr);
    });
  }
  cookies_.insert(*cookie);
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(uint32_t cookie) {
  if (!cookies_.erase(cookie)) return CONNECT_E_NOCONNECTION;
  if (Control* control = owner_->control()) control->RemoveListener(cookie);
  return S_OK;
}

void ConnectionPoint::DropAll() {
  if (Control* control = owner_->control())
    for (uint32_t c : cookies_) control->RemoveListener(c);
  cookies_.clear();
}

}  // namespace

HRESULT WrapControl(Control* control, const Guid& iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!control) return E_OUTOFMEMORY;
  auto* obj = new ControlObject(control);
  obj->AddRef();
  HRESULT hr = obj->QueryInterface(iid, out);
  obj->Release();
  return hr;
}

}  // namespace hosting

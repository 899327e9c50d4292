#include "viewer_common/hosting/control.h"

#include <QLocale>
#include <QPaintDevice>
#include <QPainter>
#include <QScreen>
#include <cstring>

#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/hosting/about_box.h"
#include "viewer_common/hosting/property_stream.h"

namespace hosting {

bool IsJapaneseUi() { return QLocale::system().language() == QLocale::Japanese; }

void ControlClass::Finish(const Guid& dispatch_iid, std::string dispatch_name, const Guid& events_iid,
                          std::string events_name) {
  dispatch = InterfaceInfo{dispatch_iid, std::move(dispatch_name), {}};
  for (const PropertyDef& p : properties)
    dispatch.members.push_back({p.name, p.id, MemberKind::kProperty, p.type, p.access, {}});
  for (const MethodDef& m : methods)
    dispatch.members.push_back({m.name, m.id, MemberKind::kMethod, m.result, 0, m.params});
  events = InterfaceInfo{events_iid, std::move(events_name), {}};
  for (const EventDef& e : event_defs)
    events.members.push_back({e.name, e.id, MemberKind::kEvent, VarType::kEmpty, 0, e.params});
}

const PropertyDef* ControlClass::FindProperty(DispId id) const {
  for (const PropertyDef& p : properties)
    if (p.id == id) return &p;
  return nullptr;
}

const MethodDef* ControlClass::FindMethod(DispId id) const {
  for (const MethodDef& m : methods)
    if (m.id == id) return &m;
  return nullptr;
}

Control::Control(const ControlClass& cls, QWidget* parent) : QWidget(parent), class_(cls) {
  values_.resize(class_.properties.size());
  ResetProperties();
  setAttribute(Qt::WA_OpaquePaintEvent);
}

Control::~Control() {
  // Picture handles held in properties belong to the control.
  for (size_t i = 0; i < values_.size(); ++i)
    if (values_[i].type() == VarType::kPicture && values_[i].AsPicture()) ReleasePicture(values_[i].AsPicture());
}

void Control::ResetProperties() {
  for (size_t i = 0; i < class_.properties.size(); ++i) {
    const PropertyDef& p = class_.properties[i];
    if (values_[i].type() == VarType::kPicture && values_[i].AsPicture()) ReleasePicture(values_[i].AsPicture());
    Variant v;
    if (Failed(p.default_value.ChangeType(p.type, &v))) v = Variant();
    values_[i] = v;
  }
}

int Control::IndexOf(DispId id) const {
  for (size_t i = 0; i < class_.properties.size(); ++i)
    if (class_.properties[i].id == id) return static_cast<int>(i);
  return -1;
}

const Variant& Control::Prop(DispId id) const {
  static const Variant kEmpty;
  int i = IndexOf(id);
  return i < 0 ? kEmpty : values_[i];
}

void Control::SetStored(DispId id, Variant value) {
  int i = IndexOf(id);
  if (i < 0) return;
  Variant v;
  if (Failed(value.ChangeType(class_.properties[i].type, &v))) return;
  values_[i] = std::move(v);
}

HRESULT Control::GetProperty(DispId id, Variant* out) {
  if (!out) return E_POINTER;
  const PropertyDef* p = class_.FindProperty(id);
  if (!p || !(p->access & kGet)) return DISP_E_MEMBERNOTFOUND;
  if (p->flags & kComputed) return GetComputed(id, out);
  *out = Prop(id);
  return S_OK;
}

HRESULT Control::PutProperty(DispId id, const Variant& value, InvokeKind kind) {
  const int index = IndexOf(id);
  if (index < 0) return DISP_E_MEMBERNOTFOUND;
  const PropertyDef& p = class_.properties[index];
  const uint8_t need = kind == InvokeKind::kPropertyPutRef ? kPutRef : kPut;
  // A put-by-reference property also takes a plain put, as object properties do.
  if (!(p.access & need) && !(need == kPut && (p.access & kPutRef))) return DISP_E_MEMBERNOTFOUND;
  Variant v;
  if (HRESULT hr = value.ChangeType(p.type, &v); Failed(hr)) {
    SetErrorDescription(u"Invalid property value");
    return hr;
  }
  if (p.type == VarType::kI2 || p.type == VarType::kI4) {
    const int64_t n = v.AsI4();
    if (n < p.min || n > p.max) return p.out_of_range == OutOfRange::kRefuse ? S_FALSE : S_OK;
  }
  for (const Listener& l : std::vector<Listener>(listeners_))
    if (l.property.request_edit && !l.property.request_edit(id)) return S_FALSE;
  switch (ValidatePut(id, &v)) {
    case PutVerdict::kAccept: break;
    case PutVerdict::kIgnore: return S_OK;
    case PutVerdict::kRefuse: return S_FALSE;
  }
  if (!(p.flags & kComputed)) {
    if (p.type == VarType::kPicture) {
      uintptr_t old = values_[index].AsPicture();
      if (old && old != v.AsPicture()) ReleasePicture(old);
    }
    values_[index] = std::move(v);
  }
  if (p.flags & kMarkDirty) dirty_ = true;
  if (id == kDispIdEnabled) setEnabled(PropBool(id));
  OnPropertyChanged(id);
  if (p.flags & kNotify) NotifyChanged(id);
  if (p.flags & kRepaint) update();
  return S_OK;
}

HRESULT Control::CallMethod(DispId id, const Variant* args, size_t count, Variant* result) {
  const MethodDef* m = class_.FindMethod(id);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  if (count != m->params.size() || (count && !args)) return DISP_E_BADPARAMCOUNT;
  std::vector<Variant> converted(count);
  for (size_t i = 0; i < count; ++i)
    if (HRESULT hr = args[i].ChangeType(m->params[i].type, &converted[i]); Failed(hr)) return hr;
  Variant scratch;
  if (!result) result = &scratch;
  *result = Variant();
  return InvokeMethod(id, converted.data(), count, result);
}

uint32_t Control::AddEventListener(EventListener listener) {
  listeners_.push_back({next_cookie_, std::move(listener), {}});
  return next_cookie_++;
}

uint32_t Control::AddPropertyListener(PropertyListener listener) {
  listeners_.push_back({next_cookie_, {}, std::move(listener)});
  return next_cookie_++;
}

bool Control::RemoveListener(uint32_t cookie) {
  for (auto it = listeners_.begin(); it != listeners_.end(); ++it) {
    if (it->cookie == cookie) {
      listeners_.erase(it);
      return true;
    }
  }
  return false;
}

void Control::FireEvent(DispId id, std::vector<Variant> args) {
  // A listener may connect or disconnect others while it runs: work on a copy.
  for (const Listener& l : std::vector<Listener>(listeners_))
    if (l.event) l.event(id, args);
}

void Control::NotifyChanged(DispId id) {
  for (const Listener& l : std::vector<Listener>(listeners_))
    if (l.property.changed) l.property.changed(id);
}

HRESULT Control::SaveProperties(std::vector<uint8_t>* out, bool clear_dirty) {
  if (!out) return E_POINTER;
  StreamWriter w;
  w.WriteHeader(kNaturalExtentHimetric, kNaturalExtentHimetric);
  for (DispId id : class_.persisted) {
    Variant v;
    if (Failed(GetProperty(id, &v))) return STG_E_CANTSAVE;
    std::vector<uint8_t> picture;
    if (v.type() == VarType::kPicture && v.AsPicture() && !SavePicture(v.AsPicture(), &picture))
      return STG_E_CANTSAVE;
    w.WriteEntry(id, v, picture);
  }
  *out = w.bytes();
  if (clear_dirty) dirty_ = false;
  return S_OK;
}

HRESULT Control::LoadProperties(const uint8_t* data, size_t size) {
  StreamReader r(data, size);
  int32_t ex = 0, ey = 0;
  if (!r.ReadHeader(&ex, &ey)) return S_FALSE;
  for (DispId expected : class_.persisted) {
    DispId id;
    Variant v;
    const uint8_t* picture = nullptr;
    size_t picture_size = 0;
    // The entries must come in map order; anything else is damage.
    if (!r.ReadEntry(&id, &v, &picture, &picture_size) || id != expected) return S_FALSE;
    if (v.type() == VarType::kPicture) {
      uintptr_t h = picture_size ? LoadPicture(picture, picture_size) : 0;
      if (picture_size && !h) continue;
      v = Variant::Picture(h);
      if (Failed(PutProperty(id, v, InvokeKind::kPropertyPutRef)) || PropPicture(id) != h) {
        if (h) ReleasePicture(h);
      }
      continue;
    }
    // A value the put rules refuse keeps the default, as a host's own put would.
    (void)PutProperty(id, v);
  }
  dirty_ = false;
  return S_OK;  // trailing data belongs to a later version: ignored
}

int CaptionValue(std::u16string_view caption) {
  size_t i = 0;
  const bool negative = !caption.empty() && caption[0] == u'-';
  if (negative) i = 1;
  int v = 0;
  for (; i < caption.size() && caption[i] >= u'0' && caption[i] <= u'9' && v < 100000000; ++i)
    v = v * 10 + (caption[i] - u'0');
  return negative ? -v : v;
}

const std::vector<std::u16string>* Control::Captions(DispId id) const {
  const PropertyDef* p = class_.FindProperty(id);
  if (!p) return nullptr;
  const std::vector<std::u16string>* c = IsJapaneseUi() ? p->captions_ja : p->captions_en;
  return c ? c : p->captions_en;
}

std::u16string Control::DisplayString(DispId id) const {
  const std::vector<std::u16string>* captions = Captions(id);
  if (!captions || IndexOf(id) < 0) return {};
  const int value = Prop(id).AsI4();
  for (const std::u16string& c : *captions)
    if (CaptionValue(c) == value) return c;
  return {};
}

void Control::SetAmbientSource(AmbientSource source) {
  ambient_ = std::move(source);
  OnAmbientPropertyChanged(kDispIdUnknown);
}

void Control::AmbientPropertyChanged(DispId id) { OnAmbientPropertyChanged(id); }

bool Control::AmbientUserMode() const {
  Variant v;
  if (!ambient_ || !ambient_(kDispIdAmbientUserMode, &v)) return true;
  Variant b;
  if (Failed(v.ChangeType(VarType::kBool, &b))) return true;
  return b.AsBool();
}

void Control::OnAmbientPropertyChanged(DispId) { update(); }

bool Control::IsDisplayDevice(const QPaintDevice* device) {
  return device && (device->devType() == QInternal::Widget || device->devType() == QInternal::Pixmap);
}

HRESULT Control::DrawOnDevice(QPaintDevice* device, const QRect& bounds) {
  if (!device || bounds.isEmpty()) return E_INVALIDARG;
  QPainter painter;
  if (!painter.begin(device)) return E_FAIL;
  painter.setClipRect(bounds);
  DrawContent(&painter, bounds, IsDisplayDevice(device));
  painter.end();
  return S_OK;
}

void Control::DrawContent(QPainter* painter, const QRect& bounds, bool) {
  const QSize own = size().isEmpty() ? bounds.size() : size();
  painter->save();
  painter->translate(bounds.topLeft());
  painter->scale(double(bounds.width()) / own.width(), double(bounds.height()) / own.height());
  render(painter, QPoint(), QRegion(), QWidget::DrawChildren);
  painter->restore();
}

void Control::ShowAbout() { RunAboutBox(class_.about, this); }

QSize Control::sizeHint() const {
  const double dpi = logicalDpiX() > 0 ? logicalDpiX() : 96.0;
  const int px = static_cast<int>(kNaturalExtentHimetric / 2540.0 * dpi + 0.5);
  return {px, px};
}

PutVerdict Control::ValidatePut(DispId, Variant*) { return PutVerdict::kAccept; }
void Control::OnPropertyChanged(DispId) {}
HRESULT Control::GetComputed(DispId, Variant*) { return DISP_E_MEMBERNOTFOUND; }

HRESULT Control::InvokeMethod(DispId id, const Variant*, size_t, Variant*) {
  if (id == kDispIdAbout) {
    ShowAbout();
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

bool Control::SavePicture(uintptr_t handle, std::vector<uint8_t>* bytes) {
  imaging_dlls::LockedBlock block(handle);
  const size_t n = block.size();
  if (n == 0) return false;
  const auto* p = static_cast<const uint8_t*>(block.data());
  bytes->assign(p, p + n);
  return true;
}

uintptr_t Control::LoadPicture(const uint8_t* bytes, size_t size) {
  const MVHANDLE h = imaging_dlls::GlobalAlloc(size);
  {
    imaging_dlls::LockedBlock block(h);
    if (block) {
      std::memcpy(block.data(), bytes, size);
      return h;
    }
  }
  if (h) (void)imaging_dlls::GlobalFree(h);
  return 0;
}

void Control::ReleasePicture(uintptr_t handle) { imaging_dlls::FreeMemory(handle); }

}  // namespace hosting

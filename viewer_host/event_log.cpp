#include "viewer_host/event_log.h"

namespace host {

using namespace hosting;

EventLog::EventLog(const InterfaceInfo* events, const InterfaceInfo* properties, LineFn out)
    : events_(events), properties_(properties), out_(std::move(out)) {}

HRESULT EventLog::QueryInterface(const Guid& iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IUnknown::kIid || iid == IDispatch::kIid || (events_ && iid == events_->iid))
    return ReturnInterface<IDispatch>(this, out);
  if (iid == IPropertyNotifySink::kIid) return ReturnInterface<IPropertyNotifySink>(this, out);
  return E_NOINTERFACE;
}

HRESULT EventLog::GetTypeInfo(const InterfaceInfo** out) {
  if (!out) return E_POINTER;
  if (!events_) return E_NOTIMPL;
  *out = events_;
  return S_OK;
}

std::string EventLog::FormatEvent(const InterfaceInfo* info, DispId id, const Variant* args, size_t count) {
  const MemberInfo* m = info ? info->Find(id) : nullptr;
  std::string line = "event " + (m ? m->name : "#" + std::to_string(id)) + "(";
  for (size_t i = 0; i < count; ++i) {
    if (i) line += ", ";
    line += args[i].type() == VarType::kBstr ? "\"" + args[i].ToDisplayString() + "\"" : args[i].ToDisplayString();
  }
  return line + ")";
}

HRESULT EventLog::Invoke(DispId id, InvokeKind, const Variant* args, size_t count, Variant*, ExcepInfo*) {
  if (count && !args) return E_POINTER;
  if (out_) out_(FormatEvent(events_, id, args, count));
  return S_OK;
}

HRESULT EventLog::OnChanged(DispId id) {
  const MemberInfo* m = properties_ ? properties_->Find(id) : nullptr;
  if (out_) out_("changed " + (m ? m->name : std::string("?")) + " (" + std::to_string(id) + ")");
  if (on_changed_) on_changed_(id);
  return S_OK;
}

bool EventLog::Connect(IUnknown* control) {
  Disconnect();
  ComPtr<IConnectionPointContainer> cpc;
  if (!control || Failed(control->QueryInterface(IConnectionPointContainer::kIid, cpc.PutVoid()))) return false;
  bool events_ok = false;
  for (const Guid& iid : {events_ ? events_->iid : Guid{}, IPropertyNotifySink::kIid}) {
    ComPtr<IConnectionPoint> cp;
    uint32_t cookie = 0;
    if (iid.IsNull() || Failed(cpc->FindConnectionPoint(iid, cp.Put()))) continue;
    if (Failed(cp->Advise(static_cast<IDispatch*>(this), &cookie))) continue;
    connections_.emplace_back(cp, cookie);
    if (events_ && iid == events_->iid) events_ok = true;
  }
  return events_ok;
}

void EventLog::Disconnect() {
  for (auto& [cp, cookie] : connections_) cp->Unadvise(cookie);
  connections_.clear();
}

}  // namespace host

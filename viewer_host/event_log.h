// File: viewer_host/event_log.h
//
// The host's sink for a control's events and property-change notices: each
// arrival becomes one line ("event Bumped(3)", "changed BackColor (-501)")
// handed to a callback, which prints it or shows it.
//
//   auto* sink = new host::EventLog(events_info, props_info, [](const std::string& line) { puts(line.c_str()); });
//   hosting::ComPtr<hosting::IUnknown> keep(static_cast<hosting::IDispatch*>(sink));
//   sink->Connect(control_unknown);
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "viewer_common/hosting/interfaces.h"

namespace host {

class EventLog final : public hosting::RefCounted, public hosting::IDispatch, public hosting::IPropertyNotifySink {
 public:
  using LineFn = std::function<void(const std::string&)>;
  EventLog(const hosting::InterfaceInfo* events, const hosting::InterfaceInfo* properties, LineFn out);

  // Connect(): advises both connection points of `control`; false if the
  // control has no events point.  Disconnect() undoes it.
  bool Connect(hosting::IUnknown* control);
  void Disconnect();
  void SetOnChanged(std::function<void(hosting::DispId)> f) { on_changed_ = std::move(f); }

  static std::string FormatEvent(const hosting::InterfaceInfo* info, hosting::DispId id,
                                 const hosting::Variant* args, size_t count);

  hosting::HRESULT QueryInterface(const hosting::Guid& iid, void** out) override;
  uint32_t AddRef() override { return AddRefImpl(); }
  uint32_t Release() override { return ReleaseImpl(); }
  hosting::HRESULT GetTypeInfo(const hosting::InterfaceInfo** out) override;
  hosting::HRESULT GetIDsOfNames(const std::u16string*, size_t, hosting::DispId*) override { return hosting::E_NOTIMPL; }
  hosting::HRESULT Invoke(hosting::DispId id, hosting::InvokeKind kind, const hosting::Variant* args, size_t count,
                          hosting::Variant* result, hosting::ExcepInfo* excep) override;
  hosting::HRESULT OnChanged(hosting::DispId id) override;
  hosting::HRESULT OnRequestEdit(hosting::DispId) override { return hosting::S_OK; }

 private:
  const hosting::InterfaceInfo* events_;
  const hosting::InterfaceInfo* properties_;
  LineFn out_;
  std::function<void(hosting::DispId)> on_changed_;
  std::vector<std::pair<hosting::ComPtr<hosting::IConnectionPoint>, uint32_t>> connections_;
};

}  // namespace host

// File: viewer_common/hosting/control_object.h
//
// The server object of a control: one identity giving IDispatch (by
// DISPID, with GetIDsOfNames and type information), IConnectionPointContainer
// (the control's event interface and IPropertyNotifySink), IPersistStreamInit,
// IProvideClassInfo, ISpecifyPropertyPages and IControlWidget.  It owns the
// control widget; the widget goes with the last reference unless the host
// has destroyed it first, after which every call gives E_UNEXPECTED.
//
//   // in the module description:
//   {Dial::Class().info, &hosting::CreateControl<Dial>}
#pragma once

#include "viewer_common/hosting/control.h"
#include "viewer_common/hosting/interfaces.h"

namespace hosting {

// WrapControl(): the server object for a control the caller made; it takes
// ownership of the widget.
HRESULT WrapControl(Control* control, const Guid& iid, void** out);

template <typename T>
HRESULT CreateControl(IUnknown* outer, const Guid& iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return WrapControl(new T(), iid, out);
}

}  // namespace hosting

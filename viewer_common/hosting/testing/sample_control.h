// File: viewer_common/hosting/testing/sample_control.h
//
// A tiny control for the hosting tests and the host program: a coloured
// panel with a 3-D frame, a caption, a counter and a picture, one method
// that counts and one event that reports the count.
//
//   SampleControl c;
//   hosting::Variant ok;
//   hosting::Variant args[] = {hosting::Variant::I2(2)};
//   c.CallMethod(sample::kBump, args, 1, &ok);   // fires Bumped(2)
#pragma once

#include "viewer_common/hosting/control.h"
#include "viewer_common/hosting/property_page.h"
#include "viewer_common/hosting/server_module.h"

namespace sample {

using hosting::DispId;

inline constexpr DispId kCaption = 20;
inline constexpr DispId kCount = 21;
inline constexpr DispId kErrorStatus = 22;
inline constexpr DispId kCountLimit = 23;
inline constexpr DispId kBump = 1;
inline constexpr DispId kReset = 2;
inline constexpr DispId kBumpedEvent = 1;

inline constexpr hosting::Guid kClsid = hosting::Guid::FromString("{083E6230-76A6-4552-AF33-C94AF72F593D}");
inline constexpr hosting::Guid kPageClsid = hosting::Guid::FromString("{A09380FF-3B1A-4E52-BDB4-0DA86ECEF6F8}");
inline constexpr hosting::Guid kLibId = hosting::Guid::FromString("{84AE83FE-CD23-4C9E-8E52-1F680BB3F3A2}");

class SampleControl : public hosting::Control {
 public:
  static const hosting::ControlClass& Class();
  explicit SampleControl(QWidget* parent = nullptr) : Control(Class(), parent) {}

 protected:
  hosting::PutVerdict ValidatePut(DispId id, hosting::Variant* value) override;
  hosting::HRESULT GetComputed(DispId id, hosting::Variant* out) override;
  hosting::HRESULT InvokeMethod(DispId id, const hosting::Variant* args, size_t count,
                                hosting::Variant* result) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int16_t error_status_ = 0;
};

const hosting::PageSpec& PageSpec();
const hosting::ModuleInfo& Module();

}  // namespace sample

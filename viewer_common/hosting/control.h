// File: viewer_common/hosting/control.h
//
// The base of a viewer control.  A control is a QWidget that declares its
// properties, methods and events in a ControlClass; the base stores the
// property values, applies the declared put rules, announces every taken
// value to property-change listeners with its DISPID, repaints where the
// declaration says so, fires events synchronously to every listener in
// connection order, and persists the property map.  The same object works
// as a plain widget from C++ and, through CreateControl<T>(), as a server
// object with dispatch, connection points and stream persistence.
//
//   class Dial : public hosting::Control {
//    public:
//     static const hosting::ControlClass& Class();   // property map etc.
//     explicit Dial(QWidget* parent = nullptr) : Control(Class(), parent) {}
//    protected:
//     hosting::HRESULT InvokeMethod(hosting::DispId id, const hosting::Variant* args,
//                                   size_t count, hosting::Variant* result) override;
//   };
//   Dial d;                                        // plain widget use
//   d.PutProperty(kDispIdBackColor, hosting::Variant::Color(0xFF));
//   uint32_t c = d.PropColor(kDispIdBackColor);
#pragma once

#include <QWidget>
#include <QRect>
#include <climits>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer_common/hosting/interfaces.h"
#include "viewer_common/hosting/registrar.h"

class QPainter;
class QPaintDevice;

namespace hosting {

struct PageSpec;

// Property flags.
enum PropertyFlags : uint32_t {
  kNotify = 1,      // announce a taken value with OnChanged(DISPID)
  kRepaint = 2,     // a taken value repaints the control
  kComputed = 4,    // no stored value: GetComputed()/ValidatePut() serve it
  kMarkDirty = 8,   // a taken value marks the control dirty
  kDefaultFlags = kNotify | kMarkDirty,
};

// What happens to a put value outside [min, max].
enum class OutOfRange : uint8_t {
  kIgnore,  // the call succeeds (S_OK) and nothing changes
  kRefuse,  // the call returns S_FALSE and nothing changes
};

struct PropertyDef {
  std::string name;
  DispId id = 0;
  VarType type = VarType::kI2;
  uint8_t access = kGetPut;
  Variant default_value;
  uint32_t flags = kDefaultFlags;
  int64_t min = INT64_MIN;  // numeric bounds of a put (kI2, kI4, kBool ignore them)
  int64_t max = INT64_MAX;
  OutOfRange out_of_range = OutOfRange::kIgnore;
  // Enumerated properties: one caption per value, each starting with its
  // number ("0 - Flat"); the property page and value browsing show them.
  const std::vector<std::u16string>* captions_ja = nullptr;
  const std::vector<std::u16string>* captions_en = nullptr;
};

struct MethodDef {
  std::string name;
  DispId id = 0;
  std::vector<ParamInfo> params;
  VarType result = VarType::kEmpty;  // the out value, if any
};

struct EventDef {
  std::string name;
  DispId id = 0;
  std::vector<ParamInfo> params;
};

// The About box contents.
struct AboutInfo {
  std::u16string title_ja = u"ﾊﾞｰｼﾞｮﾝ情報";
  std::u16string title_en = u"Version Information";
  std::u16string product_line;
  std::u16string maker_line;
  std::string product_version;
  std::string file_version;
  // Rows of libraries the control uses: label and version text.
  std::vector<std::pair<std::u16string, std::u16string>> library_rows;
  std::string home_page_ja;
  std::string home_page_en;
};

// Everything a control class declares.
struct ControlClass {
  ClassInfo info;
  InterfaceInfo dispatch;  // built by Finish() from the definitions
  InterfaceInfo events;
  std::vector<PropertyDef> properties;
  std::vector<MethodDef> methods;
  std::vector<EventDef> event_defs;
  std::vector<DispId> persisted;  // the property map, in stream order (repeats allowed)
  std::vector<Guid> pages;        // property page classes
  AboutInfo about;

  // Finish() fills `dispatch` and `events` from the definitions; call it
  // once when the description is complete.
  void Finish(const Guid& dispatch_iid, std::string dispatch_name, const Guid& events_iid, std::string events_name);
  const PropertyDef* FindProperty(DispId id) const;
  const MethodDef* FindMethod(DispId id) const;
};

// What a ValidatePut() override decides.
enum class PutVerdict : uint8_t { kAccept, kIgnore, kRefuse };

// CaptionValue(): the number a caption starts with ("12 - x" gives 12), or 0.
int CaptionValue(std::u16string_view caption);

class Control : public QWidget {
 public:
  using EventListener = std::function<void(DispId id, const std::vector<Variant>& args)>;
  struct PropertyListener {
    std::function<void(DispId)> changed;
    std::function<bool(DispId)> request_edit;  // false vetoes; may be empty
  };

  explicit Control(const ControlClass& cls, QWidget* parent = nullptr);
  ~Control() override;

  const ControlClass& Class() const { return class_; }

  // GetProperty(): DISP_E_MEMBERNOTFOUND for an unknown or put-only DISPID.
  HRESULT GetProperty(DispId id, Variant* out);
  // PutProperty(): converts the value to the property's type
  // (DISP_E_TYPEMISMATCH / DISP_E_OVERFLOW), asks the listeners
  // (S_FALSE on a veto), applies the range and ValidatePut(); a taken value
  // is stored, announced, marks dirty and repaints as declared.
  HRESULT PutProperty(DispId id, const Variant& value, InvokeKind kind = InvokeKind::kPropertyPut);
  // CallMethod(): argument count and types are checked against the
  // declaration; About (-552) shows the About box unless overridden.
  HRESULT CallMethod(DispId id, const Variant* args, size_t count, Variant* result);

  // Stored values, already of the declared type.
  const Variant& Prop(DispId id) const;
  int16_t PropI2(DispId id) const { return Prop(id).AsI2(); }
  int32_t PropI4(DispId id) const { return Prop(id).AsI4(); }
  bool PropBool(DispId id) const { return Prop(id).AsBool(); }
  uint32_t PropColor(DispId id) const { return Prop(id).AsColor(); }
  std::u16string PropString(DispId id) const { return Prop(id).AsString(); }
  FontDesc PropFont(DispId id) const { return Prop(id).AsFont(); }
  uintptr_t PropPicture(DispId id) const { return Prop(id).AsPicture(); }

  // Events and notifications; cookies are non-zero and unique per control.
  uint32_t AddEventListener(EventListener listener);
  uint32_t AddPropertyListener(PropertyListener listener);
  bool RemoveListener(uint32_t cookie);
  void FireEvent(DispId id, std::vector<Variant> args);
  void NotifyChanged(DispId id);

  bool IsDirty() const { return dirty_; }
  void SetDirty(bool dirty) { dirty_ = dirty; }

  // Persistence of the property map.  Load() runs every value through
  // PutProperty(); S_FALSE when the stream ended early or was damaged (the
  // rest keep their defaults).
  HRESULT SaveProperties(std::vector<uint8_t>* out, bool clear_dirty = true);
  HRESULT LoadProperties(const uint8_t* data, size_t size);
  // ResetProperties(): every stored property back to its default, quietly.
  void ResetProperties();

  // The last failure reason for ExcepInfo (set by ValidatePut overrides).
  const std::u16string& ErrorDescription() const { return error_description_; }
  void SetErrorDescription(std::u16string text) { error_description_ = std::move(text); }

  void ShowAbout();
  QSize sizeHint() const override;

  // Captions of an enumerated property in the user interface's language,
  // or nullptr.
  const std::vector<std::u16string>* Captions(DispId id) const;
  // DisplayString(): the caption of the property's current value ("" when
  // none names it).
  std::u16string DisplayString(DispId id) const;

  // Ambient properties of the host.  The source answers an ambient DISPID
  // (false when it does not know it); without one every ambient has its
  // default.  Setting a source or telling of a change runs
  // OnAmbientPropertyChanged().
  using AmbientSource = std::function<bool(DispId id, Variant* out)>;
  void SetAmbientSource(AmbientSource source);
  void AmbientPropertyChanged(DispId id);
  // AmbientUserMode(): false while the host is in design mode; true when the
  // host does not say.
  bool AmbientUserMode() const;

  // DrawOnDevice(): paints the control into `device` within `bounds`
  // (device pixels) through DrawContent(); E_INVALIDARG for a null device
  // or an empty rectangle, E_FAIL when the device cannot be painted on.
  HRESULT DrawOnDevice(QPaintDevice* device, const QRect& bounds);
  // IsDisplayDevice(): widgets and pixmaps are the screen; printers, PDF
  // writers, pictures and images are not.
  static bool IsDisplayDevice(const QPaintDevice* device);

  // The natural size of a new control, in HIMETRIC (0.01 mm).
  static constexpr int kNaturalExtentHimetric = 5080;

 protected:
  // ValidatePut(): the control's own put rule, after the declared range.
  // It may adjust *value (e.g. trim a path).
  virtual PutVerdict ValidatePut(DispId id, Variant* value);
  // OnPropertyChanged(): after a taken value is stored.
  virtual void OnPropertyChanged(DispId id);
  // GetComputed(): values of kComputed properties.
  virtual HRESULT GetComputed(DispId id, Variant* out);
  // InvokeMethod(): the declared methods; arguments already converted.
  virtual HRESULT InvokeMethod(DispId id, const Variant* args, size_t count, Variant* result);
  // Pictures: the stream form of a picture handle and back; the defaults
  // copy the packed DIB block.  ReleasePicture() frees a replaced handle.
  virtual bool SavePicture(uintptr_t handle, std::vector<uint8_t>* bytes);
  virtual uintptr_t LoadPicture(const uint8_t* bytes, size_t size);
  virtual void ReleasePicture(uintptr_t handle);

  // Store without rules or notification (for values the control itself sets).
  void SetStored(DispId id, Variant value);

  // OnAmbientPropertyChanged(): the default repaints.
  virtual void OnAmbientPropertyChanged(DispId id);
  // DrawContent(): the control's picture in `bounds` of the painter's
  // device; `display` tells the screen from a printer or file.  The default
  // renders the widget scaled into the rectangle.
  virtual void DrawContent(QPainter* painter, const QRect& bounds, bool display);

 private:
  struct Listener {
    uint32_t cookie;
    EventListener event;
    PropertyListener property;
  };
  int IndexOf(DispId id) const;

  const ControlClass& class_;
  std::vector<Variant> values_;  // parallel to class_.properties
  std::vector<Listener> listeners_;
  uint32_t next_cookie_ = 1;
  bool dirty_ = false;
  std::u16string error_description_;
  AmbientSource ambient_;
};

// True when the user interface speaks Japanese.
bool IsJapaneseUi();

}  // namespace hosting

#include "viewer_common/hosting/testing/sample_control.h"

#include <QPainter>

#include "viewer_common/hosting/control_object.h"
#include "viewer_common/utils/frame3d.h"
#include "viewer_common/utils/ole_color.h"
#include "viewer_common/utils/text.h"

namespace sample {

using namespace hosting;

namespace {
const std::vector<std::u16string> kAppearanceJa = {u"0 - ﾌﾗｯﾄ", u"1 - 凹", u"2 - 凸"};
const std::vector<std::u16string> kAppearanceEn = {u"0 - Flat", u"1 - Lowered", u"2 - Raised"};
}  // namespace

const ControlClass& SampleControl::Class() {
  static const ControlClass cls = [] {
    ControlClass c;
    c.info.clsid = kClsid;
    c.info.prog_id = "OsmundSample.SampleControl.1";
    c.info.version_independent_prog_id = "OsmundSample.SampleControl";
    c.info.description = "SampleControl Class";
    c.info.long_description = "Osmund Sample Control";
    c.info.type_library = kLibId;
    c.info.is_control = true;
    c.properties = {
        {"BackColor", kDispIdBackColor, VarType::kColor, kGetPut, Variant::Color(0xFFFFFF), kDefaultFlags | kRepaint},
        {"Appearance", kDispIdAppearance, VarType::kI2, kGetPut, Variant::I2(1), kDefaultFlags | kRepaint, 0, 2,
         OutOfRange::kRefuse, &kAppearanceJa, &kAppearanceEn},
        {"Enabled", kDispIdEnabled, VarType::kBool, kGetPut, Variant::Bool(true)},
        {"Font", kDispIdFont, VarType::kFont, kGetPut | kPutRef,
         Variant::Font({u"Arial", 9, 400, 0, false, false, false}), kDefaultFlags | kRepaint},
        {"Picture", kDispIdPicture, VarType::kPicture, kGet | kPutRef, Variant::Picture(0)},
        {"Caption", kCaption, VarType::kBstr, kGetPut, Variant::Bstr(u""), kDefaultFlags | kRepaint},
        {"Count", kCount, VarType::kI2, kGetPut, Variant::I2(0), kDefaultFlags | kRepaint, 0, INT16_MAX},
        {"ErrorStatus", kErrorStatus, VarType::kI2, kGet, Variant::I2(0), kComputed},
        {"CountLimit", kCountLimit, VarType::kI4, kPut, Variant::I4(1000)},
    };
    c.methods = {
        {"About", kDispIdAbout, {}, VarType::kEmpty},
        {"Bump", kBump, {{"Step", VarType::kI2}}, VarType::kBool},
        {"Reset", kReset, {}, VarType::kEmpty},
    };
    c.event_defs = {
        {"Bumped", kBumpedEvent, {{"Total", VarType::kI2}}},
        {"Click", -600, {}},
    };
    c.persisted = {kDispIdAppearance, kDispIdBackColor, kDispIdBackColor, kDispIdFont, kDispIdPicture,
                   kDispIdEnabled, kCount, kCaption};
    c.pages = {kPageClsid};
    c.about.product_line = u"Osmund Sample Control";
    c.about.product_version = "1.0";
    c.about.file_version = "1.0.0.1";
    c.about.library_rows = {{u"libmv7com.so", u"-"}};
    c.Finish(Guid::FromString("{E3A6B3C8-3B46-4A34-9F0E-7C1D2A6B5E10}"), "ISampleControl",
             Guid::FromString("{F1B2C3D4-5E6F-4A1B-8C9D-0E1F2A3B4C5D}"), "_ISampleControlEvents");
    return c;
  }();
  return cls;
}

PutVerdict SampleControl::ValidatePut(DispId id, Variant* value) {
  if (id == kCaption) {
    std::u16string text = viewer::TrimTrailingSeparator(value->AsString());
    if (text.size() >= viewer::kMaxPath) {
      SetErrorDescription(u"Caption is too long");
      return PutVerdict::kRefuse;
    }
    *value = Variant::Bstr(std::move(text));
  }
  if (id == kCount && value->AsI2() > PropI4(kCountLimit)) return PutVerdict::kIgnore;
  return PutVerdict::kAccept;
}

HRESULT SampleControl::GetComputed(DispId id, Variant* out) {
  if (id != kErrorStatus) return DISP_E_MEMBERNOTFOUND;
  *out = Variant::I2(error_status_);
  return S_OK;
}

HRESULT SampleControl::InvokeMethod(DispId id, const Variant* args, size_t count, Variant* result) {
  switch (id) {
    case kBump: {
      const int total = PropI2(kCount) + args[0].AsI2();
      error_status_ = 0;
      if (total < 0 || total > PropI4(kCountLimit)) {
        error_status_ = 5;
        *result = Variant::Bool(false);
        return S_OK;
      }
      SetStored(kCount, Variant::I2(static_cast<int16_t>(total)));
      NotifyChanged(kCount);
      update();
      FireEvent(kBumpedEvent, {Variant::I2(static_cast<int16_t>(total))});
      *result = Variant::Bool(true);
      return S_OK;
    }
    case kReset:
      SetStored(kCount, Variant::I2(0));
      NotifyChanged(kCount);
      return S_OK;
    default: return Control::InvokeMethod(id, args, count, result);
  }
}

void SampleControl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), viewer::ColorRefToQColor(viewer::TranslateOleColor(PropColor(kDispIdBackColor))));
  const int appearance = PropI2(kDispIdAppearance);
  if (appearance > 0) viewer::DrawFrame3D(&p, 0, 0, width() - 1, height() - 1, appearance == 1);
  FontDesc f = PropFont(kDispIdFont);
  QFont font(QString::fromStdU16String(f.name));
  font.setPointSizeF(f.size_points);
  p.setFont(font);
  p.drawText(rect(), Qt::AlignCenter,
             QStringLiteral("%1 %2").arg(QString::fromStdU16String(PropString(kCaption))).arg(PropI2(kCount)));
}

const hosting::PageSpec& PageSpec() {
  static const hosting::PageSpec spec = [] {
    hosting::PageSpec s;
    s.clsid = kPageClsid;
    s.fields = {
        // No captions of its own: the list offers the control's value browsing.
        {10, FieldKind::kList, kDispIdAppearance, u"表示スタイル", u"Appearance", {}, {}, {}, {}, false, false},
        {11, FieldKind::kNumber, kCount, u"数", u"Count", {}, {}, u"回", u"times", true, false},
        {12, FieldKind::kText, kCaption, u"見出し", u"Caption", {}, {}, {}, {}, false, false},
        {13, FieldKind::kCheck, kDispIdEnabled, u"有効", u"Enabled", {}, {}, {}, {}, false, false},
    };
    s.apply_order = {13, 10, 11, 12};
    return s;
  }();
  return spec;
}

namespace {
HRESULT CreatePage(IUnknown* outer, const Guid& iid, void** out) {
  return hosting::CreatePropertyPage(PageSpec(), outer, iid, out);
}
}  // namespace

const hosting::ModuleInfo& Module() {
  static const hosting::ModuleInfo info = [] {
    hosting::ModuleInfo m;
    m.type_library = {kLibId, "OSMUNDSAMPLELib", "1.0", "Osmund Sample Control Library"};
    m.classes.push_back({SampleControl::Class().info, &hosting::CreateControl<SampleControl>, {}});
    hosting::ClassInfo page;
    page.clsid = kPageClsid;
    page.prog_id = "OsmundSample.SamplePage.1";
    page.version_independent_prog_id = "OsmundSample.SamplePage";
    page.description = "SamplePage Class";
    m.classes.push_back({page, &CreatePage, {}});
    return m;
  }();
  return info;
}

}  // namespace sample

OSMUND_SERVER_EXPORTS(sample::Module)

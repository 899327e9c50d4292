#include "viewer_common/hosting/control.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QImage>
#include <QPainter>

#include "viewer_common/hosting/control_object.h"
#include "viewer_common/hosting/dialog_runner.h"
#include "viewer_common/hosting/testing/sample_control.h"

namespace hosting {
namespace {

using sample::SampleControl;

// Records what arrives through the connection points.
class RecordingSink final : public IDispatch, public IPropertyNotifySink, public RefCounted {
 public:
  HRESULT QueryInterface(const Guid& iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IUnknown::kIid || iid == IDispatch::kIid) return ReturnInterface<IDispatch>(this, out);
    if (iid == IPropertyNotifySink::kIid) return ReturnInterface<IPropertyNotifySink>(this, out);
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return AddRefImpl(); }
  uint32_t Release() override { return ReleaseImpl(); }
  HRESULT GetTypeInfo(const InterfaceInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(const std::u16string*, size_t, DispId*) override { return E_NOTIMPL; }
  HRESULT Invoke(DispId id, InvokeKind, const Variant* args, size_t count, Variant*, ExcepInfo*) override {
    events.push_back({id, std::vector<Variant>(args, args + count)});
    return S_OK;
  }
  HRESULT OnChanged(DispId id) override { changed.push_back(id); return S_OK; }
  HRESULT OnRequestEdit(DispId id) override { return id == veto ? S_FALSE : S_OK; }

  std::vector<std::pair<DispId, std::vector<Variant>>> events;
  std::vector<DispId> changed;
  DispId veto = 0x7fffffff;
};

ComPtr<IUnknown> CreateSample() {
  ComPtr<IUnknown> unk;
  EXPECT_EQ(CreateControl<SampleControl>(nullptr, IUnknown::kIid, unk.PutVoid()), S_OK);
  return unk;
}

Variant Get(IDispatch* d, DispId id) {
  Variant v;
  EXPECT_EQ(d->Invoke(id, InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr), S_OK);
  return v;
}

HRESULT Put(IDispatch* d, DispId id, Variant v) { return d->Invoke(id, InvokeKind::kPropertyPut, &v, 1, nullptr, nullptr); }

TEST(ControlObject, QueryInterfaceFollowsIdentityRules) {
  ComPtr<IUnknown> unk = CreateSample();
  ComPtr<IDispatch> disp;
  ComPtr<IConnectionPointContainer> cpc;
  ASSERT_EQ(unk.As(&disp), S_OK);
  ASSERT_EQ(disp.As(&cpc), S_OK);
  ComPtr<IUnknown> a, b;
  ASSERT_EQ(disp.As(&a), S_OK);
  ASSERT_EQ(cpc.As(&b), S_OK);
  EXPECT_EQ(a.Get(), b.Get());
  EXPECT_EQ(a.Get(), unk.Get());
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(unk->QueryInterface(Guid::FromString("{12345678-1234-1234-1234-123456789ABC}"), &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(unk->QueryInterface(IDispatch::kIid, nullptr), E_POINTER);
  // The control's own dispatch interface IID answers too.
  ComPtr<IDispatch> own;
  EXPECT_EQ(unk->QueryInterface(SampleControl::Class().dispatch.iid, own.PutVoid()), S_OK);
}

TEST(ControlObject, AggregationIsRefused) {
  ComPtr<IUnknown> outer = CreateSample();
  void* p = nullptr;
  EXPECT_EQ(CreateControl<SampleControl>(outer.Get(), IUnknown::kIid, &p), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(p, nullptr);
}

TEST(ControlObject, PropertiesByDispIdFollowTheirRules) {
  ComPtr<IUnknown> unk = CreateSample();
  ComPtr<IDispatch> d;
  ASSERT_EQ(unk.As(&d), S_OK);
  EXPECT_EQ(Get(d.Get(), kDispIdBackColor), Variant::Color(0xFFFFFF));
  EXPECT_EQ(Put(d.Get(), kDispIdBackColor, Variant::I4(0x123456)), S_OK);
  EXPECT_EQ(Get(d.Get(), kDispIdBackColor), Variant::Color(0x123456));
  // Out of range with the refuse rule: S_FALSE, value kept.
  EXPECT_EQ(Put(d.Get(), kDispIdAppearance, Variant::I2(3)), S_FALSE);
  EXPECT_EQ(Get(d.Get(), kDispIdAppearance).AsI2(), 1);
  // Out of range with the ignore rule: S_OK, value kept.
  EXPECT_EQ(Put(d.Get(), sample::kCount, Variant::I2(-1)), S_OK);
  EXPECT_EQ(Get(d.Get(), sample::kCount).AsI2(), 0);
  // The control's own rule trims the trailing separator.
  EXPECT_EQ(Put(d.Get(), sample::kCaption, Variant::Bstr(u"/pictures/")), S_OK);
  EXPECT_EQ(Get(d.Get(), sample::kCaption).AsString(), u"/pictures");
  EXPECT_EQ(Put(d.Get(), sample::kCaption, Variant::Bstr(u"/")), S_OK);
  EXPECT_EQ(Get(d.Get(), sample::kCaption).AsString(), u"/");
  // Access and type.
  Variant v;
  EXPECT_EQ(d->Invoke(sample::kCountLimit, InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Put(d.Get(), sample::kErrorStatus, Variant::I2(1)), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Put(d.Get(), kDispIdFont, Variant::I2(1)), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Put(d.Get(), 999, Variant::I2(1)), DISP_E_MEMBERNOTFOUND);
  ExcepInfo excep;
  Variant too_long = Variant::Bstr(std::u16string(300, u'a'));
  EXPECT_EQ(d->Invoke(sample::kCaption, InvokeKind::kPropertyPut, &too_long, 1, nullptr, &excep), S_FALSE);
  Variant bad = Variant::Bstr(u"xyz");
  EXPECT_EQ(d->Invoke(sample::kCount, InvokeKind::kPropertyPut, &bad, 1, nullptr, &excep), DISP_E_TYPEMISMATCH);
  EXPECT_FALSE(excep.description.empty());
}

TEST(ControlObject, GetIDsOfNamesIgnoresCase) {
  ComPtr<IUnknown> unk = CreateSample();
  ComPtr<IDispatch> d;
  ASSERT_EQ(unk.As(&d), S_OK);
  std::u16string names[] = {u"bump", u"STEP"};
  DispId ids[2];
  EXPECT_EQ(d->GetIDsOfNames(names, 2, ids), S_OK);
  EXPECT_EQ(ids[0], sample::kBump);
  EXPECT_EQ(ids[1], 0);
  std::u16string unknown[] = {u"NoSuchMember"};
  EXPECT_EQ(d->GetIDsOfNames(unknown, 1, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], kDispIdUnknown);
  const InterfaceInfo* info = nullptr;
  ASSERT_EQ(d->GetTypeInfo(&info), S_OK);
  EXPECT_EQ(info->Find(kDispIdBackColor)->name, "BackColor");
}

TEST(ControlObject, EventsAndNotificationsReachEverySink) {
  ComPtr<IUnknown> unk = CreateSample();
  ComPtr<IConnectionPointContainer> cpc;
  ComPtr<IDispatch> d;
  ASSERT_EQ(unk.As(&cpc), S_OK);
  ASSERT_EQ(unk.As(&d), S_OK);
  ComPtr<IConnectionPoint> events, notify;
  ASSERT_EQ(cpc->FindConnectionPoint(SampleControl::Class().events.iid, events.Put()), S_OK);
  ASSERT_EQ(cpc->FindConnectionPoint(IPropertyNotifySink::kIid, notify.Put()), S_OK);
  IConnectionPoint* none = nullptr;
  EXPECT_EQ(cpc->FindConnectionPoint(Guid::FromString("{12345678-1234-1234-1234-123456789ABC}"), &none),
            CONNECT_E_NOCONNECTION);

  ComPtr<RecordingSink> s1(new RecordingSink), s2(new RecordingSink);
  uint32_t c1 = 0, c2 = 0, n1 = 0;
  ASSERT_EQ(events->Advise(static_cast<IDispatch*>(s1.Get()), &c1), S_OK);
  ASSERT_EQ(events->Advise(static_cast<IDispatch*>(s2.Get()), &c2), S_OK);
  ASSERT_EQ(notify->Advise(static_cast<IDispatch*>(s1.Get()), &n1), S_OK);
  EXPECT_NE(c1, 0u);
  EXPECT_NE(c1, c2);

  Variant step = Variant::I2(3), ok;
  ASSERT_EQ(d->Invoke(sample::kBump, InvokeKind::kMethod, &step, 1, &ok, nullptr), S_OK);
  EXPECT_EQ(ok, Variant::Bool(true));
  ASSERT_EQ(s1->events.size(), 1u);
  EXPECT_EQ(s1->events[0].first, sample::kBumpedEvent);
  EXPECT_EQ(s1->events[0].second, std::vector<Variant>{Variant::I2(3)});
  EXPECT_EQ(s2->events.size(), 1u);
  EXPECT_EQ(s1->changed, std::vector<DispId>{sample::kCount});

  EXPECT_EQ(Put(d.Get(), kDispIdBackColor, Variant::Color(0)), S_OK);
  EXPECT_EQ(s1->changed.back(), kDispIdBackColor);
  // A refused value is not announced.
  const size_t before = s1->changed.size();
  EXPECT_EQ(Put(d.Get(), kDispIdAppearance, Variant::I2(9)), S_FALSE);
  EXPECT_EQ(s1->changed.size(), before);
  // A veto in OnRequestEdit stops the change.
  s1->veto = kDispIdBackColor;
  EXPECT_EQ(Put(d.Get(), kDispIdBackColor, Variant::Color(5)), S_FALSE);
  EXPECT_EQ(Get(d.Get(), kDispIdBackColor), Variant::Color(0));

  EXPECT_EQ(events->Unadvise(c1), S_OK);
  EXPECT_EQ(events->Unadvise(c1), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(notify->Unadvise(c2), CONNECT_E_NOCONNECTION);  // a cookie of the other point
  ASSERT_EQ(d->Invoke(sample::kBump, InvokeKind::kMethod, &step, 1, &ok, nullptr), S_OK);
  EXPECT_EQ(s1->events.size(), 1u);
  EXPECT_EQ(s2->events.size(), 2u);
  EXPECT_EQ(s2->events[1].second, std::vector<Variant>{Variant::I2(6)});
}

TEST(ControlObject, MethodArgumentsAreChecked) {
  ComPtr<IUnknown> unk = CreateSample();
  ComPtr<IDispatch> d;
  ASSERT_EQ(unk.As(&d), S_OK);
  Variant r;
  EXPECT_EQ(d->Invoke(sample::kBump, InvokeKind::kMethod, nullptr, 0, &r, nullptr), DISP_E_BADPARAMCOUNT);
  Variant text = Variant::Bstr(u"two");
  EXPECT_EQ(d->Invoke(sample::kBump, InvokeKind::kMethod, &text, 1, &r, nullptr), DISP_E_TYPEMISMATCH);
  Variant big = Variant::I2(5000);
  EXPECT_EQ(d->Invoke(sample::kBump, InvokeKind::kMethod, &big, 1, &r, nullptr), S_OK);
  EXPECT_EQ(r, Variant::Bool(false));
  EXPECT_EQ(Get(d.Get(), sample::kErrorStatus).AsI2(), 5);
}

TEST(ControlObject, WidgetDestroyedByHostLeavesObjectSafe) {
  ComPtr<IUnknown> unk = CreateSample();
  ComPtr<IControlWidget> w;
  ComPtr<IDispatch> d;
  ASSERT_EQ(unk.As(&w), S_OK);
  ASSERT_EQ(unk.As(&d), S_OK);
  ASSERT_NE(w->Widget(), nullptr);
  delete w->Widget();
  EXPECT_EQ(w->Widget(), nullptr);
  Variant v;
  EXPECT_EQ(d->Invoke(kDispIdBackColor, InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr), E_UNEXPECTED);
}

TEST(Control, PlainWidgetUseAndPainting) {
  SampleControl c;
  std::vector<DispId> changed;
  std::vector<DispId> fired;
  c.AddPropertyListener({[&](DispId id) { changed.push_back(id); }, {}});
  c.AddEventListener([&](DispId id, const std::vector<Variant>&) { fired.push_back(id); });
  EXPECT_EQ(c.PutProperty(kDispIdBackColor, Variant::Color(0x0000FF)), S_OK);
  EXPECT_EQ(c.PropColor(kDispIdBackColor), 0x0000FFu);
  EXPECT_EQ(changed, std::vector<DispId>{kDispIdBackColor});
  EXPECT_EQ(c.PutProperty(kDispIdEnabled, Variant::Bool(false)), S_OK);
  EXPECT_FALSE(c.isEnabled());
  Variant args[] = {Variant::I2(1)}, r;
  EXPECT_EQ(c.CallMethod(sample::kBump, args, 1, &r), S_OK);
  EXPECT_EQ(fired, std::vector<DispId>{sample::kBumpedEvent});
  EXPECT_TRUE(c.IsDirty());

  c.resize(20, 20);
  QImage img(20, 20, QImage::Format_RGB32);
  c.render(&img);
  // Red background (COLORREF 0x0000FF), sunken frame: dark outer top-left.
  EXPECT_EQ(img.pixelColor(3, 3), QColor(255, 0, 0));  // clear of the centred text
  EXPECT_EQ(img.pixelColor(0, 0), QColor(0x7F, 0x7F, 0x7F));
  EXPECT_EQ(img.pixelColor(1, 1), QColor(0, 0, 0));
  EXPECT_EQ(c.sizeHint().width(), c.sizeHint().height());
  EXPECT_GT(c.sizeHint().width(), 100);
}

TEST(Control, AboutBoxRunsThroughTheDialogSeam) {
  QString title;
  SetDialogRunner([&](QDialog* d) { title = d->windowTitle(); return 0; });
  SampleControl c;
  Variant r;
  EXPECT_EQ(c.CallMethod(kDispIdAbout, nullptr, 0, &r), S_OK);
  SetDialogRunner(nullptr);
  EXPECT_TRUE(title == QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報") || title == QStringLiteral("Version Information"));
}

}  // namespace
}  // namespace hosting

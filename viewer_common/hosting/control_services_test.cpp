// The services a control offers its host beyond dispatch: value browsing of
// enumerated properties, the host's ambient user mode, drawing into devices
// other than the screen, and picture handles of libmv7com.so's one table.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include "imaging/dlls/mv7.h"
#include "viewer_common/hosting/control_object.h"
#include "viewer_common/hosting/testing/sample_control.h"

namespace hosting {
namespace {

using sample::SampleControl;

template <typename I>
ComPtr<I> Query(IUnknown* unk) {
  ComPtr<I> out;
  EXPECT_EQ(unk->QueryInterface(I::kIid, out.PutVoid()), S_OK);
  return out;
}

ComPtr<IUnknown> CreateSample() {
  ComPtr<IUnknown> unk;
  EXPECT_EQ(CreateControl<SampleControl>(nullptr, IUnknown::kIid, unk.PutVoid()), S_OK);
  return unk;
}

TEST(ValueBrowsing, CaptionsCookiesAndValues) {
  ComPtr<IUnknown> unk = CreateSample();
  ComPtr<IPerPropertyBrowsing> browse = Query<IPerPropertyBrowsing>(unk.Get());
  ComPtr<IDispatch> disp = Query<IDispatch>(unk.Get());
  std::vector<std::u16string> captions;
  std::vector<uint32_t> cookies;
  ASSERT_EQ(browse->GetPredefinedStrings(kDispIdAppearance, &captions, &cookies), S_OK);
  ASSERT_EQ(captions.size(), 3u);
  EXPECT_EQ(cookies, (std::vector<uint32_t>{0, 1, 2}));
  for (size_t i = 0; i < captions.size(); ++i) EXPECT_EQ(CaptionValue(captions[i]), static_cast<int>(i));
  Variant v;
  ASSERT_EQ(browse->GetPredefinedValue(kDispIdAppearance, 2, &v), S_OK);
  EXPECT_EQ(v.type(), VarType::kI2);
  EXPECT_EQ(v.AsI2(), 2);
  EXPECT_EQ(browse->GetPredefinedValue(kDispIdAppearance, 7, &v), E_INVALIDARG);
  // The value it gives is accepted by the property, and the display string follows.
  ASSERT_EQ(disp->Invoke(kDispIdAppearance, InvokeKind::kPropertyPut, &v, 1, nullptr, nullptr), S_OK);
  std::u16string shown;
  ASSERT_EQ(browse->GetDisplayString(kDispIdAppearance, &shown), S_OK);
  EXPECT_EQ(shown, captions[2]);
  // Properties without captions are not browsed.
  EXPECT_EQ(browse->GetPredefinedStrings(sample::kCount, &captions, &cookies), E_NOTIMPL);
  EXPECT_EQ(browse->GetDisplayString(sample::kCount, &shown), S_FALSE);
  EXPECT_EQ(CaptionValue(u"12 - x"), 12);
  EXPECT_EQ(CaptionValue(u"-3"), -3);
  EXPECT_EQ(CaptionValue(u"x"), 0);
}

// A host's ambient properties, answering the user mode it is told.
class AmbientSite final : public IDispatch, public RefCounted {
 public:
  HRESULT QueryInterface(const Guid& iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IUnknown::kIid || iid == IDispatch::kIid) return ReturnInterface<IDispatch>(this, out);
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return AddRefImpl(); }
  uint32_t Release() override { return ReleaseImpl(); }
  HRESULT GetTypeInfo(const InterfaceInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(const std::u16string*, size_t, DispId*) override { return E_NOTIMPL; }
  HRESULT Invoke(DispId id, InvokeKind kind, const Variant*, size_t, Variant* result, ExcepInfo*) override {
    if (kind != InvokeKind::kPropertyGet || id != kDispIdAmbientUserMode) return DISP_E_MEMBERNOTFOUND;
    *result = Variant::Bool(user_mode);
    return S_OK;
  }
  bool user_mode = false;
};

TEST(AmbientUserMode, FollowsTheHostsSite) {
  ComPtr<IUnknown> unk = CreateSample();
  auto* control = static_cast<Control*>(Query<IControlWidget>(unk.Get())->Widget());
  EXPECT_TRUE(control->AmbientUserMode());  // no host: user mode
  ComPtr<IOleControl> ole = Query<IOleControl>(unk.Get());
  auto* site = new AmbientSite;
  site->AddRef();
  ASSERT_EQ(ole->SetAmbientSite(site), S_OK);
  EXPECT_FALSE(control->AmbientUserMode());
  site->user_mode = true;
  EXPECT_EQ(ole->OnAmbientPropertyChange(kDispIdAmbientUserMode), S_OK);
  EXPECT_TRUE(control->AmbientUserMode());
  site->user_mode = false;
  ASSERT_EQ(ole->SetAmbientSite(nullptr), S_OK);
  EXPECT_TRUE(control->AmbientUserMode());
  site->Release();
}

// Counts pixels near `rgb` (within 8 per channel).
int CountNear(const QImage& img, QRgb rgb) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QRgb p = img.pixel(x, y);
      if (std::abs(qRed(p) - qRed(rgb)) <= 8 && std::abs(qGreen(p) - qGreen(rgb)) <= 8 &&
          std::abs(qBlue(p) - qBlue(rgb)) <= 8)
        ++n;
    }
  return n;
}

TEST(DrawOnDevice, ImagesArePaintedAsNonDisplayDevices) {
  ComPtr<IUnknown> unk = CreateSample();
  ComPtr<IDispatch> disp = Query<IDispatch>(unk.Get());
  Variant blue = Variant::Color(0xFF0000);  // 0x00BBGGRR
  ASSERT_EQ(disp->Invoke(kDispIdBackColor, InvokeKind::kPropertyPut, &blue, 1, nullptr, nullptr), S_OK);
  auto* control = static_cast<Control*>(Query<IControlWidget>(unk.Get())->Widget());
  control->resize(100, 80);
  QImage img(200, 100, QImage::Format_RGB32);
  img.fill(Qt::white);
  ComPtr<IViewObject> view = Query<IViewObject>(unk.Get());
  ASSERT_EQ(view->Draw(&img, QRect(50, 10, 100, 80)), S_OK);
  EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));  // outside the bounds
  EXPECT_EQ(img.pixel(190, 95), qRgb(255, 255, 255));
  EXPECT_GT(CountNear(img, qRgb(0, 0, 255)), 100 * 80 / 2);  // the back colour, inside only
  EXPECT_LE(CountNear(img, qRgb(0, 0, 255)), 100 * 80);
  EXPECT_EQ(view->Draw(nullptr, QRect(0, 0, 10, 10)), E_INVALIDARG);
  EXPECT_EQ(view->Draw(&img, QRect()), E_INVALIDARG);
  EXPECT_FALSE(Control::IsDisplayDevice(&img));
  EXPECT_TRUE(Control::IsDisplayDevice(control));
}

TEST(DrawOnDevice, PdfPageShowsTheControl) {
  const QString pdftoppm = QStringLiteral("/usr/bin/pdftoppm");
  if (!QFile::exists(pdftoppm)) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ComPtr<IUnknown> unk = CreateSample();
  ComPtr<IDispatch> disp = Query<IDispatch>(unk.Get());
  Variant green = Variant::Color(0x00C000);
  ASSERT_EQ(disp->Invoke(kDispIdBackColor, InvokeKind::kPropertyPut, &green, 1, nullptr, nullptr), S_OK);
  auto* control = static_cast<Control*>(Query<IControlWidget>(unk.Get())->Widget());
  control->resize(200, 200);
  const QString pdf = dir.filePath("page.pdf");
  {
    QPdfWriter writer(pdf);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(400, 400), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    ASSERT_EQ(Query<IViewObject>(unk.Get())->Draw(&writer, QRect(0, 0, 200, 200)), S_OK);
  }
  // Rendered back by a separate reader.
  QProcess p;
  p.start(pdftoppm, {"-png", "-r", "36", "-singlefile", pdf, dir.filePath("out")});
  ASSERT_TRUE(p.waitForFinished(30000));
  QImage page(dir.filePath("out.png"));
  ASSERT_FALSE(page.isNull());
  // 400 pt at 36 dpi: 200 px; the control covers the top-left quarter.
  const QRgb inside = page.pixel(page.width() / 8, page.height() / 8);
  EXPECT_LT(qRed(inside), 40);
  EXPECT_GT(qGreen(inside), 150);
  EXPECT_EQ(page.pixel(page.width() * 7 / 8, page.height() * 7 / 8), qRgb(255, 255, 255));
}

TEST(PictureHandles, LibraryHandleIsFreedByTheControl) {
  // The test links libmv7com.so: these are the family's own handles.
  const MVHANDLE first = MVGlobalAlloc(48);
  const MVHANDLE second = MVGlobalAlloc(48);
  ASSERT_NE(first, 0u);
  auto* bytes = static_cast<uint8_t*>(MVGlobalLock(first));
  for (int i = 0; i < 48; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
  MVGlobalUnlock(first);
  {
    SampleControl c;
    ASSERT_EQ(c.PutProperty(kDispIdPicture, Variant::Picture(first), InvokeKind::kPropertyPutRef), S_OK);
    std::vector<uint8_t> saved;
    ASSERT_EQ(c.SaveProperties(&saved), S_OK);  // read through the bound MVGlobalLock
    SampleControl d;
    ASSERT_EQ(d.LoadProperties(saved.data(), saved.size()), S_OK);
    const uintptr_t loaded = d.PropPicture(kDispIdPicture);
    ASSERT_NE(loaded, 0u);
    EXPECT_EQ(MVGlobalSize(loaded), 48u);  // allocated in the library's table
    const auto* q = static_cast<const uint8_t*>(MVGlobalLock(loaded));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q[47], 48);
    MVGlobalUnlock(loaded);
    ASSERT_EQ(c.PutProperty(kDispIdPicture, Variant::Picture(second), InvokeKind::kPropertyPutRef), S_OK);
    EXPECT_EQ(MVGlobalSize(first), 0u);  // the replaced handle was freed there
    EXPECT_EQ(MVGlobalSize(second), 48u);
  }
  EXPECT_EQ(MVGlobalSize(second), 0u);  // and the held one with the control
}

}  // namespace
}  // namespace hosting

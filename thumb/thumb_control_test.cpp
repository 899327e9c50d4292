// The thumbnail control's interface through dispatch: defaults, every put
// rule, computed properties, images handed in by handle, persistence, value
// browsing, and the server library's exports.
#include <dlfcn.h>

#include "thumb/testing/thumb_fixture.h"
#include "viewer_common/hosting/server_module.h"

namespace thumb::testing {
namespace {

using hosting::S_FALSE;
using hosting::S_OK;
using hosting::Variant;

TEST_F(ThumbTest, Defaults) {
  EXPECT_EQ(Get(hosting::kDispIdBackColor).AsColor(), 0xFFFFFFu);
  EXPECT_EQ(Get(kForeColorUp).AsColor(), 0xE0E0E0u);
  EXPECT_EQ(Get(kForeColorDown).AsColor(), 0x808080u);
  EXPECT_FALSE(Get(hosting::kDispIdBorderVisible).AsBool());
  EXPECT_EQ(Get(hosting::kDispIdAppearance).AsI2(), 0);
  EXPECT_EQ(Get(hosting::kDispIdBorderColor).AsColor(), 0u);
  const hosting::FontDesc f = Get(hosting::kDispIdFont).AsFont();
  EXPECT_EQ(f.size_points, 9);
  EXPECT_EQ(f.weight, 400);
  EXPECT_TRUE((f.name == u"Arial" && f.charset == 0) || (f.name == u"ＭＳ Ｐ明朝" && f.charset == 128));
  EXPECT_TRUE(Get(hosting::kDispIdEnabled).AsBool());
  EXPECT_EQ(Get(kColCount).AsI2(), 2);
  EXPECT_EQ(Get(kRowCount).AsI2(), 2);
  EXPECT_EQ(Get(kGapSize).AsI2(), 5);
  EXPECT_EQ(Get(kEdgeSize).AsI2(), 5);
  EXPECT_FALSE(Get(kDispFileName).AsBool());
  EXPECT_EQ(Get(kFilePath).AsString(), u"");
  EXPECT_EQ(Get(kFileExt).AsString(), u"BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC");
  EXPECT_EQ(Get(kScrollStep).AsI2(), 1);
  EXPECT_TRUE(Get(kScrollBar).AsBool());
  EXPECT_EQ(Get(kScrollVH).AsI2(), 0);
  EXPECT_EQ(Get(kReadMode).AsI2(), 1);
  EXPECT_EQ(Get(kStartNum).AsI2(), 0);
  EXPECT_EQ(Get(kStyle).AsI2(), 0);
  EXPECT_EQ(Get(kSort).AsI2(), 0);
  EXPECT_EQ(Get(kSortOrder).AsI2(), 0);
  EXPECT_EQ(Get(kSortDate).AsI2(), 1);
  EXPECT_EQ(Get(kImageSize).AsI2(), 96);
  EXPECT_TRUE(Get(kButton3D).AsBool());
  EXPECT_EQ(Get(kTextBackColor).AsColor(), 0xFFFFFFu);
  EXPECT_TRUE(Get(kTextTransparent).AsBool());
  EXPECT_TRUE(Get(kClearOnLoad).AsBool());
  EXPECT_FALSE(Get(kEnableMove).AsBool());
  EXPECT_EQ(Get(kErrorStatus).AsI2(), 0);
  EXPECT_EQ(Get(kFileName).AsString(), u"");
}

TEST_F(ThumbTest, PutRules) {
  // Out of range: ignored with success, or refused where the rule says so.
  EXPECT_EQ(Put(hosting::kDispIdAppearance, Variant::I2(3)), S_FALSE);
  EXPECT_EQ(Get(hosting::kDispIdAppearance).AsI2(), 0);
  EXPECT_EQ(Put(hosting::kDispIdAppearance, Variant::I2(2)), S_OK);
  EXPECT_EQ(Get(hosting::kDispIdAppearance).AsI2(), 2);
  struct Case {
    DispId id;
    int16_t bad;
    int16_t expected;
  };
  for (const Case& c : {Case{kColCount, 0, 2}, Case{kRowCount, -1, 2}, Case{kGapSize, -1, 5}, Case{kEdgeSize, -2, 5},
                        Case{kScrollVH, 2, 0}, Case{kReadMode, 5, 1}, Case{kStyle, 3, 0}, Case{kSort, 9, 0},
                        Case{kSortOrder, 2, 0}, Case{kSortDate, 3, 1}, Case{kImageSize, -1, 96}}) {
    EXPECT_EQ(Put(c.id, Variant::I2(c.bad)), S_OK) << c.id;
    EXPECT_EQ(Get(c.id).AsI2(), c.expected) << c.id;
  }
  EXPECT_EQ(Put(kMouseCursorType, Variant::I2(18)), S_FALSE);
  EXPECT_EQ(Put(kMouseCursorType, Variant::I2(17)), S_OK);
  EXPECT_EQ(Put(kSelectMouseCursorType, Variant::I2(-1)), S_FALSE);
  // ScrollStep takes any value.
  EXPECT_EQ(Put(kScrollStep, Variant::I2(-3)), S_OK);
  EXPECT_EQ(Get(kScrollStep).AsI2(), -3);
  // One trailing separator is cut; the root stays.
  EXPECT_EQ(Put(kFilePath, Variant::Bstr(u"/pictures/")), S_OK);
  EXPECT_EQ(Get(kFilePath).AsString(), u"/pictures");
  EXPECT_EQ(Put(kFilePath, Variant::Bstr(u"/")), S_OK);
  EXPECT_EQ(Get(kFilePath).AsString(), u"/");
  // A path longer than the buffers is refused, not cut into another name.
  EXPECT_EQ(Put(kThumbnailFile, Variant::Bstr(u"/" + std::u16string(300, u'a'))), S_FALSE);
  EXPECT_EQ(Get(kThumbnailFile).AsString(), u"");
  // Announcements carry the DISPID.
  changed_.clear();
  EXPECT_EQ(Put(kGapSize, Variant::I2(7)), S_OK);
  EXPECT_EQ(changed_, std::vector<DispId>{kGapSize});
  // Hdc answers with S_FALSE; put-only members have no get.
  Variant v;
  EXPECT_EQ(disp_->Invoke(kHdc, hosting::InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr), S_FALSE);
  EXPECT_EQ(disp_->Invoke(kCancel, hosting::InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr),
            hosting::DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Put(kPictureUpFile, Variant::Bstr(u"")), S_FALSE);
  EXPECT_EQ(Put(kPictureUpFile, Variant::Bstr(u"/no/such/file.bmp")), S_FALSE);
}

TEST_F(ThumbTest, ImageHandlesTakeOwnership) {
  // Outside mode 4 the handle is freed at once.
  MVHANDLE h = SolidHandle(40, 20, Qt::red);
  EXPECT_EQ(Put(kImageHandle, Variant::I4(static_cast<int32_t>(h))), S_FALSE);
  EXPECT_EQ(MVGlobalSize(h), 0u);
  ASSERT_EQ(Put(kReadMode, Variant::I2(mvThumbRdImage)), S_OK);
  EXPECT_EQ(Put(kImageHandle, Variant::I4(0)), S_FALSE);
  const MVHANDLE junk = MVGlobalAlloc(16);  // not a picture
  EXPECT_EQ(Put(kImageHandle, Variant::I4(static_cast<int32_t>(junk))), S_FALSE);
  EXPECT_EQ(MVGlobalSize(junk), 0u);
  h = SolidHandle(40, 20, Qt::red);
  ASSERT_EQ(Put(kImageHandle, Variant::I4(static_cast<int32_t>(h))), S_OK);
  ASSERT_EQ(control_->Entries().size(), 1u);
  const file_list::ThumbnailEntry& e = control_->Entries()[0];
  EXPECT_EQ(e.file_name, "    1");
  EXPECT_EQ(e.folder, "");
  EXPECT_EQ(HandleSize(e.image), QSize(96, 48));  // the longer side is ImageSize
  const QColor c = CentreColor(e.image);
  EXPECT_GT(c.red(), 240);
  EXPECT_LT(c.green(), 16);
  // GetFiles does nothing in mode 4; UpdateThumbnailFile succeeds doing nothing.
  EXPECT_FALSE(Call(kGetFiles));
  Call(kUpdateThumbnailFile);
  EXPECT_EQ(Status(), 0);
}

TEST_F(ThumbTest, StartNumRules) {
  ASSERT_EQ(Put(kReadMode, Variant::I2(mvThumbRdImage)), S_OK);
  EXPECT_EQ(Put(kStartNum, Variant::I2(0)), S_FALSE);  // empty list
  for (int i = 0; i < 7; ++i) ASSERT_EQ(Put(kImageHandle, Variant::I4(static_cast<int32_t>(SolidHandle(8, 8, Qt::blue)))), S_OK);
  // The 5th and later handed-in images bring the view forward.
  EXPECT_EQ(Get(kStartNum).AsI2(), 4);
  EXPECT_EQ(Put(kStartNum, Variant::I2(0)), S_OK);
  EXPECT_EQ(Get(kStartNum).AsI2(), 0);
  EXPECT_EQ(Put(kStartNum, Variant::I2(5)), S_OK);
  EXPECT_EQ(Get(kStartNum).AsI2(), 4);  // line start; the view shows images 5 to 7
  EXPECT_EQ(Put(kStartNum, Variant::I2(-1)), S_FALSE);
  EXPECT_EQ(Put(kStartNum, Variant::I2(7)), S_FALSE);
  EXPECT_EQ(Put(kStartNum, Variant::I2(2)), S_OK);
  EXPECT_EQ(Get(kStartNum).AsI2(), 2);
  EXPECT_EQ(Put(kStartNum, Variant::I2(6)), S_OK);
  EXPECT_EQ(Get(kStartNum).AsI2(), 4);  // pulled back so the last line fills the view
  // ColCount changes bring StartNum back to 0.
  EXPECT_EQ(Put(kColCount, Variant::I2(3)), S_OK);
  EXPECT_EQ(Get(kStartNum).AsI2(), 0);
  // ThumbArrayNum copies an entry's facts; out of range is ignored.
  EXPECT_EQ(Put(kThumbArrayNum, Variant::I2(3)), S_OK);
  EXPECT_EQ(Get(kThumbArrayFileName).AsString(), u"    3");
  EXPECT_EQ(Put(kThumbArrayNum, Variant::I2(8)), S_OK);
  EXPECT_EQ(Get(kThumbArrayFileName).AsString(), u"    3");
}

TEST_F(ThumbTest, SelectionMethodsStatuses) {
  EXPECT_FALSE(Call(kSelectImage, {Variant::I2(0)}));
  EXPECT_EQ(Status(), kStatusEmptyList);
  ASSERT_EQ(Put(kReadMode, Variant::I2(mvThumbRdImage)), S_OK);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(Put(kImageHandle, Variant::I4(static_cast<int32_t>(SolidHandle(8, 8, Qt::blue)))), S_OK);
  control_->grab();  // lays out and paints: the cell table exists
  EXPECT_FALSE(Call(kSelectImage, {Variant::I2(0)}));
  EXPECT_EQ(Status(), kStatusBadValue);
  EXPECT_FALSE(Call(kSelectImage, {Variant::I2(4)}));
  EXPECT_EQ(Status(), kStatusBadValue);
  EXPECT_TRUE(Call(kSelectImage, {Variant::I2(2)}));
  EXPECT_EQ(Status(), 0);
  EXPECT_TRUE(Call(kIsSelected, {Variant::I2(2)}));
  EXPECT_FALSE(Call(kSelectImage, {Variant::I2(2)}));  // already selected, single selection
  EXPECT_TRUE(Call(kSelectImage, {Variant::I2(3)}));
  EXPECT_FALSE(Call(kIsSelected, {Variant::I2(2)}));
  const std::vector<Event> select = EventsOf(kEventSelectFile);
  ASSERT_EQ(select.size(), 2u);
  EXPECT_EQ(select[1].Int(2), 3);
  EXPECT_EQ(select[1].Int(3), 3);
  EXPECT_GT(select[1].Int(6), select[1].Int(4));  // the cell's rectangle
  EXPECT_TRUE(Call(kDeSelectImage, {Variant::I2(3)}));
  EXPECT_FALSE(Call(kDeSelectImage, {Variant::I2(3)}));
  EXPECT_TRUE(Call(kDelete, {Variant::I2(1)}));
  EXPECT_EQ(control_->Entries().size(), 2u);
  EXPECT_FALSE(Call(kDelete, {Variant::I2(3)}));
  EXPECT_EQ(Status(), kStatusBadValue);
  Call(kClear);
  EXPECT_TRUE(control_->Entries().empty());
  EXPECT_FALSE(Call(kScroll));
}

TEST_F(ThumbTest, PersistedPropertiesRoundTrip) {
  ASSERT_EQ(Put(hosting::kDispIdBackColor, Variant::Color(0x123456)), S_OK);
  ASSERT_EQ(Put(kColCount, Variant::I2(4)), S_OK);
  ASSERT_EQ(Put(kFileExt, Variant::Bstr(u"JPG;PNG")), S_OK);
  ASSERT_EQ(Put(kEnableMove, Variant::Bool(true)), S_OK);
  ASSERT_EQ(Put(kFilePath, Variant::Bstr(u"/not/persisted")), S_OK);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(control_->SaveProperties(&bytes), S_OK);
  CMorvikThumb other;
  ASSERT_EQ(other.LoadProperties(bytes.data(), bytes.size()), S_OK);
  EXPECT_EQ(other.PropColor(hosting::kDispIdBackColor), 0x123456u);
  EXPECT_EQ(other.PropI2(kColCount), 4);
  EXPECT_EQ(other.PropString(kFileExt), u"JPG;PNG");
  EXPECT_TRUE(other.PropBool(kEnableMove));
  EXPECT_EQ(other.PropString(kFilePath), u"");
  // BackColor stands twice in the map.
  int back = 0;
  for (DispId id : CMorvikThumb::Class().persisted) back += id == hosting::kDispIdBackColor;
  EXPECT_EQ(back, 2);
}

TEST_F(ThumbTest, EnumeratedPropertiesOfferTheirCaptions) {
  hosting::ComPtr<hosting::IPerPropertyBrowsing> browse;
  ASSERT_EQ(disp_->QueryInterface(hosting::IPerPropertyBrowsing::kIid, browse.PutVoid()), S_OK);
  struct Case {
    DispId id;
    size_t count;
  };
  for (const Case& c : {Case{hosting::kDispIdAppearance, 3}, Case{kSort, 9}, Case{kSortOrder, 2}, Case{kScrollVH, 2},
                        Case{kReadMode, 5}, Case{kStyle, 3}, Case{kSortDate, 3}}) {
    std::vector<std::u16string> captions;
    std::vector<uint32_t> cookies;
    ASSERT_EQ(browse->GetPredefinedStrings(c.id, &captions, &cookies), S_OK) << c.id;
    ASSERT_EQ(captions.size(), c.count);
    for (size_t i = 0; i < c.count; ++i) {
      EXPECT_EQ(hosting::CaptionValue(captions[i]), static_cast<int>(i));
      Variant v;
      ASSERT_EQ(browse->GetPredefinedValue(c.id, cookies[i], &v), S_OK);
      EXPECT_EQ(Put(c.id, v), S_OK);  // every offered value is taken
      EXPECT_EQ(Get(c.id).AsI4(), static_cast<int>(i));
    }
  }
}

TEST(ThumbServer, LibraryHandsOutWorkingControls) {
  void* lib = dlopen(THUMB_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  auto get_class = reinterpret_cast<hosting::DllGetClassObjectFn>(dlsym(lib, hosting::kDllGetClassObject));
  ASSERT_NE(get_class, nullptr);
  const hosting::Guid clsid = CMorvikThumb::Class().info.clsid;
  {
    hosting::ComPtr<hosting::IClassFactory> factory;
    ASSERT_EQ(get_class(&clsid, &hosting::IClassFactory::kIid, factory.PutVoid()), S_OK);
    hosting::ComPtr<hosting::IDispatch> disp;
    ASSERT_EQ(factory->CreateInstance(nullptr, hosting::IDispatch::kIid, disp.PutVoid()), S_OK);
    const std::u16string name = u"ImageSize";
    DispId id = 0;
    ASSERT_EQ(disp->GetIDsOfNames(&name, 1, &id), S_OK);
    EXPECT_EQ(id, kImageSize);
    // A handle made by libmv7com.so is taken and freed by the library's control.
    Variant mode = Variant::I2(mvThumbRdImage);
    ASSERT_EQ(disp->Invoke(kReadMode, hosting::InvokeKind::kPropertyPut, &mode, 1, nullptr, nullptr), S_OK);
    const MVHANDLE h = SolidHandle(30, 30, Qt::green);
    Variant hv = Variant::I4(static_cast<int32_t>(h));
    ASSERT_EQ(disp->Invoke(kImageHandle, hosting::InvokeKind::kPropertyPut, &hv, 1, nullptr, nullptr), S_OK);
    EXPECT_EQ(MVGlobalSize(h), 0u);  // resized into a new handle, the given one freed there
    const MVHANDLE other = SolidHandle(30, 30, Qt::green);
    Variant ov = Variant::I4(static_cast<int32_t>(other));
    Variant rd = Variant::I2(mvThumbRd);
    ASSERT_EQ(disp->Invoke(kReadMode, hosting::InvokeKind::kPropertyPut, &rd, 1, nullptr, nullptr), S_OK);
    EXPECT_EQ(disp->Invoke(kImageHandle, hosting::InvokeKind::kPropertyPut, &ov, 1, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(MVGlobalSize(other), 0u);
  }
  auto can_unload = reinterpret_cast<hosting::DllCanUnloadNowFn>(dlsym(lib, hosting::kDllCanUnloadNow));
  ASSERT_NE(can_unload, nullptr);
  EXPECT_EQ(can_unload(), S_OK);
  EXPECT_NE(dlsym(lib, hosting::kDllRegisterServer), nullptr);
  EXPECT_NE(dlsym(lib, hosting::kDllUnregisterServer), nullptr);
}

}  // namespace
}  // namespace thumb::testing

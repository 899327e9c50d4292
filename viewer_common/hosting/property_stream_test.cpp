#include "viewer_common/hosting/property_stream.h"

#include <gtest/gtest.h>

#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/hosting/testing/sample_control.h"

namespace hosting {
namespace {

using sample::SampleControl;

std::vector<uint8_t> SavedCustomised(SampleControl* c) {
  EXPECT_EQ(c->PutProperty(kDispIdBackColor, Variant::Color(0x80000005u)), S_OK);
  EXPECT_EQ(c->PutProperty(kDispIdAppearance, Variant::I2(2)), S_OK);
  EXPECT_EQ(c->PutProperty(kDispIdEnabled, Variant::Bool(false)), S_OK);
  EXPECT_EQ(c->PutProperty(kDispIdFont, Variant::Font({u"ＭＳ Ｐ明朝", 12, 700, 128, true, false, false})), S_OK);
  EXPECT_EQ(c->PutProperty(sample::kCount, Variant::I2(42)), S_OK);
  EXPECT_EQ(c->PutProperty(sample::kCaption, Variant::Bstr(u"画像 photos")), S_OK);
  std::vector<uint8_t> bytes;
  EXPECT_EQ(c->SaveProperties(&bytes), S_OK);
  return bytes;
}

TEST(PropertyStream, SaveAndLoadRoundTrip) {
  SampleControl a;
  const std::vector<uint8_t> bytes = SavedCustomised(&a);
  EXPECT_FALSE(a.IsDirty());
  SampleControl b;
  EXPECT_EQ(b.LoadProperties(bytes.data(), bytes.size()), S_OK);
  for (DispId id : {kDispIdBackColor, kDispIdAppearance, kDispIdEnabled, kDispIdFont, sample::kCount, sample::kCaption})
    EXPECT_EQ(b.Prop(id), a.Prop(id)) << id;
  EXPECT_FALSE(b.isEnabled());
  // Saving again gives the same bytes.
  std::vector<uint8_t> again;
  ASSERT_EQ(b.SaveProperties(&again), S_OK);
  EXPECT_EQ(again, bytes);
}

TEST(PropertyStream, PictureIsStoredAsItsBytes) {
  // Blocks of libmv7com.so's table, through the bound entries.
  const MVHANDLE h = imaging_dlls::GlobalAlloc(64);
  ASSERT_NE(h, 0u) << "libmv7com.so is not bound";
  auto* p = static_cast<uint8_t*>(imaging_dlls::GlobalLock(h));
  for (int i = 0; i < 64; ++i) p[i] = static_cast<uint8_t>(i * 3);
  (void)imaging_dlls::GlobalUnlock(h);
  SampleControl a;
  ASSERT_EQ(a.PutProperty(kDispIdPicture, Variant::Picture(h), InvokeKind::kPropertyPutRef), S_OK);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(a.SaveProperties(&bytes), S_OK);
  SampleControl b;
  ASSERT_EQ(b.LoadProperties(bytes.data(), bytes.size()), S_OK);
  const uintptr_t loaded = b.PropPicture(kDispIdPicture);
  ASSERT_NE(loaded, 0u);
  EXPECT_NE(loaded, h);
  ASSERT_EQ(imaging_dlls::GlobalSize(loaded), 64u);
  auto* q = static_cast<const uint8_t*>(imaging_dlls::GlobalLock(loaded));
  EXPECT_EQ(q[63], static_cast<uint8_t>(63 * 3));
  (void)imaging_dlls::GlobalUnlock(loaded);
}

TEST(PropertyStream, TrailingDataIsIgnored) {
  SampleControl a;
  std::vector<uint8_t> bytes = SavedCustomised(&a);
  bytes.insert(bytes.end(), {0xFF, 0xEE, 0xDD, 0xCC, 0x01, 0x02, 0x03});
  SampleControl b;
  EXPECT_EQ(b.LoadProperties(bytes.data(), bytes.size()), S_OK);
  EXPECT_EQ(b.PropI2(sample::kCount), 42);
  EXPECT_EQ(b.PropString(sample::kCaption), u"画像 photos");
}

TEST(PropertyStream, EveryTruncationGivesDefaultsForTheRest) {
  SampleControl a;
  const std::vector<uint8_t> bytes = SavedCustomised(&a);
  SampleControl fresh;
  for (size_t n = 0; n < bytes.size(); ++n) {
    SampleControl b;
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);  // exact size: a sanitiser sees overreads
    EXPECT_EQ(b.LoadProperties(cut.data(), cut.size()), S_FALSE) << n;
    // Each property is either what was saved or the default.
    for (DispId id : {kDispIdBackColor, kDispIdAppearance, kDispIdFont, sample::kCount, sample::kCaption})
      EXPECT_TRUE(b.Prop(id) == a.Prop(id) || b.Prop(id) == fresh.Prop(id)) << n << " " << id;
  }
  SampleControl b;
  EXPECT_EQ(b.LoadProperties(nullptr, 0), S_FALSE);
  EXPECT_EQ(b.PropColor(kDispIdBackColor), 0xFFFFFFu);
}

TEST(PropertyStream, DamagedBytesNeverCrashAndRefusedValuesKeepDefaults) {
  SampleControl a;
  const std::vector<uint8_t> bytes = SavedCustomised(&a);
  // Flip every byte in turn; loading must stay in bounds and keep valid values.
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::vector<uint8_t> damaged = bytes;
    damaged[i] ^= 0xA5;
    SampleControl b;
    (void)b.LoadProperties(damaged.data(), damaged.size());
    EXPECT_LE(b.PropI2(kDispIdAppearance), 2);
    EXPECT_GE(b.PropI2(sample::kCount), 0);
  }
  // A huge string length is refused, not allocated.
  StreamWriter w;
  w.WriteHeader(5080, 5080);
  std::vector<uint8_t> raw = w.bytes();
  const uint8_t entry[] = {0x14, 0, 0, 0, 8, 0, 0xFF, 0xFF, 0xFF, 0x7F};
  raw.insert(raw.end(), std::begin(entry), std::end(entry));
  StreamReader r(raw.data(), raw.size());
  int32_t x, y;
  ASSERT_TRUE(r.ReadHeader(&x, &y));
  EXPECT_EQ(x, 5080);
  DispId id;
  Variant v;
  const uint8_t* pic;
  size_t pic_size;
  EXPECT_FALSE(r.ReadEntry(&id, &v, &pic, &pic_size));
}

TEST(PropertyStream, OutOfRangeStoredValueRunsThePutRule) {
  SampleControl a;
  std::vector<uint8_t> bytes = SavedCustomised(&a);
  // Appearance is the first entry: header (16) + DISPID (4) + type (2), then the value.
  ASSERT_GT(bytes.size(), 24u);
  bytes[22] = 7;
  bytes[23] = 0;
  SampleControl b;
  EXPECT_EQ(b.LoadProperties(bytes.data(), bytes.size()), S_OK);
  EXPECT_EQ(b.PropI2(kDispIdAppearance), 1);  // default kept
  EXPECT_EQ(b.PropI2(sample::kCount), 42);    // the rest still loads
}

}  // namespace
}  // namespace hosting

#include "viewer_common/hosting/property_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "viewer_common/hosting/control_object.h"
#include "viewer_common/hosting/dialog_runner.h"
#include "viewer_common/hosting/testing/sample_control.h"

namespace hosting {
namespace {

using sample::SampleControl;

class PropertyPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CreateControl<SampleControl>(nullptr, IDispatch::kIid, disp_.PutVoid()), S_OK);
    SetMessageRunner([this](QWidget*, const QString& title, const QString& text) {
      message_title_ = title;
      message_text_ = text;
    });
  }
  void TearDown() override { SetMessageRunner(nullptr); }
  Variant Get(DispId id) {
    Variant v;
    EXPECT_EQ(disp_->Invoke(id, InvokeKind::kPropertyGet, nullptr, 0, &v, nullptr), S_OK);
    return v;
  }

  ComPtr<IDispatch> disp_;
  QString message_title_, message_text_;
};

TEST_F(PropertyPageTest, LoadShowsCurrentValues) {
  Variant v = Variant::I2(2);
  ASSERT_EQ(disp_->Invoke(kDispIdAppearance, InvokeKind::kPropertyPut, &v, 1, nullptr, nullptr), S_OK);
  PropertyPageDialog page(sample::PageSpec(), {disp_});
  page.Load();
  auto* list = static_cast<QComboBox*>(page.Field(10));
  ASSERT_EQ(list->count(), 3);  // the control's predefined values
  EXPECT_EQ(list->currentIndex(), 2);
  EXPECT_TRUE(list->currentText() == QString::fromUtf16(u"2 - Raised") ||
              list->currentText() == QString::fromUtf16(u"2 - 凸"));
  EXPECT_EQ(static_cast<QLineEdit*>(page.Field(11))->text(), "0");
  EXPECT_TRUE(static_cast<QCheckBox*>(page.Field(13))->isChecked());
  EXPECT_FALSE(page.IsPageDirty());
}

TEST_F(PropertyPageTest, ApplyWritesFieldsThroughDispatch) {
  PropertyPageDialog page(sample::PageSpec(), {disp_});
  page.Load();
  static_cast<QComboBox*>(page.Field(10))->setCurrentIndex(0);
  static_cast<QLineEdit*>(page.Field(11))->setText("17");
  static_cast<QLineEdit*>(page.Field(12))->setText("/home/");
  static_cast<QCheckBox*>(page.Field(13))->setChecked(false);
  EXPECT_EQ(page.Apply(), S_OK);
  EXPECT_EQ(Get(kDispIdAppearance).AsI2(), 0);
  EXPECT_EQ(Get(sample::kCount).AsI2(), 17);
  EXPECT_EQ(Get(sample::kCaption).AsString(), u"/home");  // the control's own rule ran
  EXPECT_FALSE(Get(kDispIdEnabled).AsBool());
  EXPECT_TRUE(message_title_.isEmpty());
}

TEST_F(PropertyPageTest, EmptyNumberIsSkipped) {
  Variant v = Variant::I2(9);
  ASSERT_EQ(disp_->Invoke(sample::kCount, InvokeKind::kPropertyPut, &v, 1, nullptr, nullptr), S_OK);
  PropertyPageDialog page(sample::PageSpec(), {disp_});
  page.Load();
  static_cast<QLineEdit*>(page.Field(11))->setText("");
  EXPECT_EQ(page.Apply(), S_OK);
  EXPECT_EQ(Get(sample::kCount).AsI2(), 9);
}

TEST_F(PropertyPageTest, FirstFailingWriteStopsApply) {
  PropertyPageDialog page(sample::PageSpec(), {disp_});
  page.Load();
  // Count (applied third) overflows a short: the write fails, Caption after it is not written.
  static_cast<QLineEdit*>(page.Field(11))->setText("99999");
  static_cast<QLineEdit*>(page.Field(12))->setText("never");
  static_cast<QCheckBox*>(page.Field(13))->setChecked(false);
  EXPECT_EQ(page.Apply(), E_FAIL);
  EXPECT_EQ(message_title_, "Error");
  EXPECT_FALSE(message_text_.isEmpty());
  EXPECT_FALSE(Get(kDispIdEnabled).AsBool());    // written before the failure
  EXPECT_EQ(Get(sample::kCaption).AsString(), u"");  // not reached
}

TEST_F(PropertyPageTest, PageObjectShowsThroughTheDialogSeam) {
  ComPtr<IPropertyPage> page;
  ASSERT_EQ(CreatePropertyPage(sample::PageSpec(), nullptr, IPropertyPage::kIid, page.PutVoid()), S_OK);
  IUnknown* objects[] = {disp_.Get()};
  ASSERT_EQ(page->SetObjects(objects, 1), S_OK);
  int shown = 0;
  SetDialogRunner([&](QDialog*) { ++shown; return 0; });
  EXPECT_EQ(page->Show(nullptr), S_FALSE);
  SetDialogRunner(nullptr);
  EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace hosting

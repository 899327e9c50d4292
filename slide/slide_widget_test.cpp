// The slideshow control as a widget, offscreen: what reaches the screen,
// the border, repaints, printing, and the server library's own exports.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>

#include "slide/slide_ids.h"
#include "slide/slide_test_support.h"
#include "viewer_host/control_loader.h"

namespace slide {
namespace {

using namespace hosting;
using slidetest::Harness;

class SlideWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    QDir(dir_.path()).mkdir("f");
    ASSERT_TRUE(slidetest::WritePicture(dir_.filePath("f/a.png"), 200, 100, QColor(255, 0, 0)));
    ASSERT_TRUE(slidetest::WritePicture(dir_.filePath("f/b.png"), 100, 100, QColor(0, 0, 255)));
  }
  void Open(Harness& h) {
    h.Put(kFileReadWay, mvFolder);
    h.Put(kFilePath, dir_.filePath("f").toStdU16String());
    ASSERT_EQ(h.Call(kOpen), 1);
  }
  QTemporaryDir dir_;
};

TEST_F(SlideWidgetTest, PictureIsFittedCentredAndFramed) {
  Harness h;
  h.Put(kBackColor, Variant::Color(0x00FF00));  // green
  h.control()->resize(104, 104);                // inner 100 x 100 inside the 2-pixel frame
  slidetest::ShowExposed(h.control());
  Open(h);
  ASSERT_EQ(h.Call(kStart), 1);
  const QImage shot = h.control()->grab().toImage();
  h.TakeEvents();
  // a.png (200 x 100) fits to 100 x 50, centred: rows 2+25 .. 2+74 red.
  EXPECT_EQ(shot.pixelColor(52, 52), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(52, 2 + 25), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(52, 2 + 24), QColor(0, 0xFF, 0));
  EXPECT_EQ(shot.pixelColor(52, 2 + 75), QColor(0, 0xFF, 0));
  // The sunken frame: dark outer top-left, white outer bottom-right.
  EXPECT_EQ(shot.pixelColor(0, 0), QColor(0x7F, 0x7F, 0x7F));
  EXPECT_EQ(shot.pixelColor(103, 103), QColor(255, 255, 255));
  EXPECT_EQ(shot.pixelColor(1, 1), QColor(0, 0, 0));

  // Flat border: a 1-pixel outline in BorderColor.
  h.Put(kAppearance, mvFlat);
  h.Put(kBorderColor, Variant::Color(0x0000FF));  // red
  const QImage flat = h.control()->grab().toImage();
  EXPECT_EQ(flat.pixelColor(0, 50), QColor(255, 0, 0));
  EXPECT_EQ(flat.pixelColor(103, 50), QColor(255, 0, 0));
  EXPECT_EQ(flat.pixelColor(1, 10), QColor(0, 0xFF, 0));
}

TEST_F(SlideWidgetTest, RepaintRaisesTheSlideEventsAgainWithoutATransition) {
  Harness h;
  h.control()->resize(120, 80);
  slidetest::ShowExposed(h.control());
  Open(h);
  h.Put(kScrollDir, mvLeftToRight);
  h.Put(kScrollSize, 10);
  ASSERT_EQ(h.Call(kStart), 1);
  EXPECT_FALSE(h.TakeEvents("event Progress").empty());
  h.control()->repaint();
  const auto events = h.TakeEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].rfind("event StartSlide(0,", 0), 0u);
  EXPECT_EQ(events[1].rfind("event EndSlide(0,", 0), 0u);
  EXPECT_EQ(h.GetInt(kScrollDir), mvLeftToRight);
}

TEST_F(SlideWidgetTest, TransitionStepsReachTheScreenOneByOne) {
  // Each step's strip is on the screen when its Progress is raised.
  Harness h;
  h.Put(kBorderVisible, Variant::Bool(false));
  h.Put(kBackColor, Variant::Color(0xFFFFFF));
  h.control()->resize(100, 50);
  slidetest::ShowExposed(h.control());
  Open(h);
  ASSERT_EQ(h.Call(kStart), 1);  // a.png shown at once
  h.Put(kScrollDir, mvRightToLeft);
  h.Put(kScrollSize, 25);
  std::vector<QImage> frames;
  h.control()->AddEventListener([&](DispId id, const std::vector<Variant>&) {
    if (id == kProgressEvent) frames.push_back(slidetest::ScreenShot(h.control()));
  });
  ASSERT_EQ(h.Call(kGoNext), 1);  // b.png, 100 x 100 fitted to 50 x 50 at x 25
  ASSERT_EQ(frames.size(), 4u);  // 24, 49, 74 and 100
  // After the second step (p = 50) b's first 50 columns are at x 50..99:
  // b's left background (white, 25 columns) then blue.
  EXPECT_EQ(frames[0].pixelColor(60, 25), QColor(255, 255, 255));
  EXPECT_EQ(frames[0].pixelColor(80, 25), QColor(0, 0, 255));
  EXPECT_EQ(frames[0].pixelColor(10, 25), QColor(255, 0, 0));  // the old picture still left of it
  EXPECT_EQ(frames.back().pixelColor(50, 25), QColor(0, 0, 255));
  EXPECT_EQ(frames.back().pixelColor(10, 25), QColor(255, 255, 255));
}

TEST_F(SlideWidgetTest, PrintingDrawsAtTheControlsPlaceAndRaisesNothing) {
  QWidget parent;
  parent.resize(300, 200);
  Harness h;
  h.control()->setParent(&parent);
  h.control()->setGeometry(30, 20, 104, 104);
  slidetest::ShowExposed(&parent);
  Open(h);
  ASSERT_EQ(h.Call(kStart), 1);
  h.TakeEvents();
  QImage page(300, 200, QImage::Format_RGB32);
  page.fill(Qt::black);
  {
    QPainter p(&page);
    h.control()->DrawTo(&p, /*display=*/false);
  }
  EXPECT_TRUE(h.TakeEvents().empty());
  EXPECT_EQ(page.pixelColor(30 + 52, 20 + 52), QColor(255, 0, 0));
  EXPECT_EQ(page.pixelColor(30 + 52, 20 + 10), QColor(255, 255, 255));  // BackColor around the picture
  EXPECT_EQ(page.pixelColor(10, 10), QColor(0, 0, 0));                    // outside: untouched
  h.control()->setParent(nullptr);
}

TEST_F(SlideWidgetTest, DrawingOnAPrinterDeviceGoesToTheBoundsAndRaisesNothing) {
  Harness h;
  h.control()->resize(104, 104);
  Open(h);
  ASSERT_EQ(h.Call(kStart), 1);
  h.TakeEvents();
  QImage page(300, 200, QImage::Format_RGB32);  // an image is not the screen
  page.fill(Qt::black);
  ASSERT_EQ(h.control()->DrawOnDevice(&page, QRect(150, 50, 104, 104)), S_OK);
  EXPECT_TRUE(h.TakeEvents().empty());
  EXPECT_EQ(page.pixelColor(150 + 52, 50 + 52), QColor(255, 0, 0));
  EXPECT_EQ(page.pixelColor(150, 50), QColor(0x7F, 0x7F, 0x7F));  // the frame, printed too
  EXPECT_EQ(page.pixelColor(140, 60), QColor(0, 0, 0));
}

TEST_F(SlideWidgetTest, DesignModeShowsBackgroundAndBorderOnly) {
  Harness h;
  h.Put(kBackColor, Variant::Color(0x00FFFF));  // yellow
  h.control()->resize(104, 104);
  Open(h);
  ASSERT_EQ(h.Call(kStart), 1);
  h.TakeEvents();
  h.control()->SetAmbientSource([](DispId id, Variant* out) {
    if (id != kDispIdAmbientUserMode) return false;
    *out = Variant::Bool(false);
    return true;
  });
  const QImage shot = h.control()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(52, 52), QColor(255, 255, 0));
  EXPECT_TRUE(h.TakeEvents().empty());
  h.control()->SetAmbientSource({});
  EXPECT_EQ(h.control()->grab().toImage().pixelColor(52, 52), QColor(255, 0, 0));
}

TEST_F(SlideWidgetTest, EnumeratedPropertiesOfferTheirCaptions) {
  Harness h;
  ComPtr<IPerPropertyBrowsing> browse;
  ASSERT_EQ(h.dispatch()->QueryInterface(IPerPropertyBrowsing::kIid, browse.PutVoid()), S_OK);
  std::vector<std::u16string> captions;
  std::vector<uint32_t> cookies;
  ASSERT_EQ(browse->GetPredefinedStrings(kScrollDir, &captions, &cookies), S_OK);
  const bool ja = IsJapaneseUi();
  ASSERT_EQ(captions.size(), 5u);
  EXPECT_EQ(captions[1], ja ? u"1 - 左←右" : u"1 - RightToLeft");
  Variant v;
  ASSERT_EQ(browse->GetPredefinedValue(kScrollDir, cookies[4], &v), S_OK);
  EXPECT_EQ(v.AsI4(), 4);
  ASSERT_EQ(browse->GetPredefinedStrings(kSort, &captions, &cookies), S_OK);
  EXPECT_EQ(captions.size(), 9u);
  std::u16string shown;
  h.Put(kFileReadWay, 2);
  ASSERT_EQ(browse->GetDisplayString(kFileReadWay, &shown), S_OK);
  EXPECT_EQ(shown, ja ? u"2 - ﾌｫﾙﾀﾞ(ﾏﾙﾁｲﾒｰｼﾞ対応)" : u"2 - Folder (multi-image)");
  EXPECT_EQ(browse->GetPredefinedStrings(kFileExt, &captions, &cookies), E_NOTIMPL);
}

TEST_F(SlideWidgetTest, ClearPaintsTheBackgroundAndFreesTheList) {
  Harness h;
  h.Put(kBackColor, Variant::Color(0x00FFFF));  // yellow
  h.control()->resize(60, 60);
  slidetest::ShowExposed(h.control());
  Open(h);
  ASSERT_EQ(h.Call(kStart), 1);
  h.Call(kClear);
  EXPECT_FALSE(h.control()->ListOpen());
  EXPECT_EQ(h.GetInt(kMaxImage), 0);
  EXPECT_EQ(h.control()->grab().toImage().pixelColor(30, 30), QColor(255, 255, 0));
}

TEST_F(SlideWidgetTest, ServerLibraryRegistersAndServesTheControl) {
  setenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit().constData(), 1);
  host::ControlLoader loader;
  std::string error;
  ASSERT_TRUE(loader.Load(SLIDE_LIBRARY_PATH, std::nullopt, &error)) << error;
  EXPECT_EQ(loader.clsid(), kClsid);
  std::u16string name = u"ScrollDir";
  DispId id = 0;
  ASSERT_EQ(loader.Dispatch()->GetIDsOfNames(&name, 1, &id), S_OK);
  EXPECT_EQ(id, kScrollDir);
  // Persistence through the property map, put rules applied on load.
  ComPtr<IPersistStreamInit> persist;
  ASSERT_EQ(loader.Object()->QueryInterface(IPersistStreamInit::kIid, persist.PutVoid()), S_OK);
  Variant v = Variant::I2(mvDownToUp);
  ASSERT_EQ(loader.Dispatch()->Invoke(kScrollDir, InvokeKind::kPropertyPut, &v, 1, nullptr, nullptr), S_OK);
  v = Variant::Bool(true);
  ASSERT_EQ(loader.Dispatch()->Invoke(kShuffle, InvokeKind::kPropertyPut, &v, 1, nullptr, nullptr), S_OK);
  v = Variant::Bstr(u"/not/persisted");
  ASSERT_EQ(loader.Dispatch()->Invoke(kFilePath, InvokeKind::kPropertyPut, &v, 1, nullptr, nullptr), S_OK);
  std::vector<uint8_t> stream;
  ASSERT_EQ(persist->Save(&stream, true), S_OK);
  persist.Reset();
  loader.Release();
  Harness h;
  ASSERT_EQ(h.control()->LoadProperties(stream.data(), stream.size()), S_OK);
  EXPECT_EQ(h.GetInt(kScrollDir), mvDownToUp);
  EXPECT_TRUE(h.Get(kShuffle).AsBool());
  EXPECT_EQ(h.Get(kFilePath).AsString(), u"");
  EXPECT_EQ(loader.Unregister(), S_OK);
}

}  // namespace
}  // namespace slide

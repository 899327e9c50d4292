// The slideshow control as a widget, offscreen: what reaches the screen,
// the border, repaints, printing, and the server library's own exports.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>

#include "slide/slide_ids.h"
#include "slide/slide_test_support.h"
#include "slide/slide_page.h"
#include "viewer_common/hosting/registry_tree.h"
#include "viewer_host/control_loader.h"
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

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
  RegistryTree reg;
  ASSERT_EQ(LoadRegistry(RegistryPath(), &reg), S_OK);
  const std::string root = std::string(kClassesRoot) + "/";
  EXPECT_EQ(reg.DefaultValue(root + "Morvik7Slide.MorvikSlide.1"), "MorvikSlide Class");
  EXPECT_EQ(reg.DefaultValue(root + "Morvik7Slide.MorvikSlide/CurVer"), "Morvik7Slide.MorvikSlide.1");
  EXPECT_EQ(reg.DefaultValue(root + "Morvik7Slide.MorvikSlidePrp.1"), "MorvikSlidePrp Class");
  EXPECT_EQ(ClsidFromProgId(reg, "Morvik7Slide.MorvikSlidePrp"), kPageClsid);
  const std::string key = root + "CLSID/" + kClsid.ToString();
  EXPECT_EQ(reg.DefaultValue(key), "Morvik7 Slideshow ActiveX Control");
  EXPECT_EQ(reg.DefaultValue(key + "/MiscStatus/1"), "131473");
  EXPECT_EQ(reg.DefaultValue(key + "/TypeLib"), kLibId.ToString());
  EXPECT_NE(reg.Find(key + "/Insertable"), nullptr);
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

TEST_F(SlideWidgetTest, PropertyPageShowsAndAppliesTheFields) {
  Harness h;
  h.Put(kScrollDir, mvUpToDown);
  h.Put(kIntervalTime, 7);
  h.Put(kFileExt, u"JPG");
  PropertyPageDialog page(SlidePageSpec(), {ComPtr<IDispatch>(h.dispatch())});
  page.Load();
  auto* dir = qobject_cast<QComboBox*>(page.Field(122));
  auto* interval = qobject_cast<QLineEdit*>(page.Field(121));
  auto* ext = qobject_cast<QLineEdit*>(page.Field(125));
  auto* border = qobject_cast<QCheckBox*>(page.Field(120));
  ASSERT_TRUE(dir && interval && ext && border);
  EXPECT_EQ(dir->count(), 5);
  EXPECT_TRUE(dir->currentText().startsWith("3 - "));
  EXPECT_EQ(interval->text(), "7");
  EXPECT_EQ(ext->text(), "JPG");
  EXPECT_TRUE(border->isChecked());
  EXPECT_EQ(qobject_cast<QComboBox*>(page.Field(126))->count(), 9);
  dir->setCurrentIndex(1);
  interval->setText("");  // an empty number is not written
  ext->setText("PNG;BMP");
  border->setChecked(false);
  ASSERT_EQ(page.Apply(), S_OK);
  EXPECT_EQ(h.GetInt(kScrollDir), 1);
  EXPECT_EQ(h.GetInt(kIntervalTime), 7);
  EXPECT_EQ(h.Get(kFileExt).AsString(), u"PNG;BMP");
  EXPECT_FALSE(h.Get(kBorderVisible).AsBool());
}

TEST_F(SlideWidgetTest, StockMouseAndKeyEvents) {
  Harness h;
  h.control()->resize(100, 80);
  slidetest::ShowExposed(h.control());
  h.TakeEvents();
  auto send = [&](QEvent::Type t, Qt::MouseButton b, Qt::MouseButtons held, Qt::KeyboardModifiers m) {
    QMouseEvent e(t, QPointF(12, 34), h.control()->mapToGlobal(QPointF(12, 34)), b, held, m);
    QCoreApplication::sendEvent(h.control(), &e);
  };
  send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
  send(QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton, Qt::NoModifier);
  send(QEvent::MouseButtonRelease, Qt::RightButton, Qt::LeftButton, Qt::NoModifier);
  send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  send(QEvent::MouseMove, Qt::NoButton, Qt::MiddleButton, Qt::ControlModifier);
  EXPECT_EQ(h.TakeEvents(), (std::vector<std::string>{
                                "event MouseDown(1, 1, 12, 34)", "event MouseDown(3, 0, 12, 34)",
                                "event MouseUp(3, 0, 12, 34)", "event Click()", "event MouseUp(1, 0, 12, 34)",
                                "event Click()", "event DblClick()", "event MouseUp(1, 0, 12, 34)",
                                "event MouseMove(4, 2, 12, 34)"}));
  QKeyEvent down(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, "a");
  QCoreApplication::sendEvent(h.control(), &down);
  QKeyEvent up(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(h.control(), &up);
  QKeyEvent left(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier);
  QCoreApplication::sendEvent(h.control(), &left);
  EXPECT_EQ(h.TakeEvents(), (std::vector<std::string>{"event KeyDown(65, 2)", "event KeyPress(97)",
                                                      "event KeyUp(65, 2)", "event KeyUp(37, 0)"}));
}

TEST_F(SlideWidgetTest, VectorSlidesAreRenderedOntoWhite) {
  ASSERT_TRUE(slidetest::WriteBytes(dir_.filePath("v.svg"),
                                    "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>"
                                    "<rect x='0' y='0' width='200' height='100' fill='#0000ff'/></svg>"));
  ASSERT_TRUE(slidetest::WriteBytes(dir_.filePath("list.txt"), dir_.filePath("v.svg").toStdString() + "\n"));
  Harness h;
  h.control()->resize(104, 104);
  h.Put(kSlideFileName, dir_.filePath("list.txt").toStdU16String());
  ASSERT_EQ(h.Call(kOpen), 1);
  ASSERT_EQ(h.GetInt(kMaxImage), 1);
  ASSERT_EQ(h.Call(kStart), 1) << h.Status();
  EXPECT_EQ(h.control()->grab().toImage().pixelColor(52, 52), QColor(0, 0, 255));
}

TEST_F(SlideWidgetTest, ScriptRunOverASlideListPrintsTheEvents) {
  const std::string a = dir_.filePath("f/a.png").toStdString(), b = dir_.filePath("f/b.png").toStdString();
  ASSERT_TRUE(slidetest::WriteBytes(dir_.filePath("list.txt"), a + "\n" + b + "\n"));
  ASSERT_TRUE(slidetest::WriteBytes(dir_.filePath("run.txt"),
                                    "size 402 102\nshow\nset SlideFileName=" + dir_.filePath("list.txt").toStdString() +
                                        "\nset ScrollDir=1\nset ScrollSize=100\ncall Open\nget MaxImage\n"
                                        "call Start\ncall GoNext\nget ErrorStatus\ngrab " +
                                        dir_.filePath("shot.png").toStdString() + "\n"));
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", dir_.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(VIEWER_HOST_PATH, {SLIDE_LIBRARY_PATH, "--script", dir_.filePath("run.txt")});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  const std::string out = p.readAllStandardOutput().toStdString();
  const std::string dir = dir_.filePath("f").toStdString();
  const std::string want = "call Open -> 0, result 1\nget MaxImage = 2\n"
                           "event StartSlide(0, \"" + dir + "\", \"a.png\")\nevent Progress(24)\n"
                           "event Progress(49)\nevent Progress(74)\nevent Progress(100)\n"
                           "event EndSlide(0, \"" + dir + "\", \"a.png\")\ncall Start -> 0, result 1\n";
  EXPECT_NE(out.find(want), std::string::npos) << out;
  EXPECT_NE(out.find("event EndSlide(1, \"" + dir + "\", \"b.png\")\ncall GoNext -> 0, result 1\n"
                     "get ErrorStatus = 0\n"), std::string::npos) << out;
  const QImage shot(dir_.filePath("shot.png"));
  ASSERT_EQ(shot.size(), QSize(402, 102));
  EXPECT_EQ(shot.pixelColor(201, 51), QColor(0, 0, 255));  // b.png centred
}

}  // namespace
}  // namespace slide

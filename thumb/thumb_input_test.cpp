// Selection, keys, wheel, block moves, drops and drags, and painting, as a
// widget on the offscreen platform.
#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWheelEvent>

#include "thumb/testing/thumb_fixture.h"

namespace thumb::testing {
namespace {

using hosting::Variant;

class ThumbInputTest : public ThumbTest {
 protected:
  // n pictures "p01.png" ... in the folder, loaded in mode 0, sorted by name.
  void Pictures(int n, int cols = 2, int rows = 2) {
    for (int i = 1; i <= n; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "p%02d.png", i);
      ASSERT_TRUE(dir_.Picture(name, 40, 30, QColor::fromHsv((i * 37) % 360, 200, 220)));
    }
    ASSERT_EQ(Put(kFilePath, Variant::Bstr(QString::fromStdString(dir_.path()).toStdU16String())), hosting::S_OK);
    ASSERT_EQ(Put(kReadMode, Variant::I2(mvThumbRd)), hosting::S_OK);
    ASSERT_EQ(Put(kSort, Variant::I2(1)), hosting::S_OK);
    ASSERT_EQ(Put(kColCount, Variant::I2(static_cast<int16_t>(cols))), hosting::S_OK);
    ASSERT_EQ(Put(kRowCount, Variant::I2(static_cast<int16_t>(rows))), hosting::S_OK);
    ASSERT_TRUE(Call(kGetFiles));
    ASSERT_EQ(control_->Entries().size(), static_cast<size_t>(n));
    control_->grab();  // lay out
    events_.clear();
  }
  void Mouse(QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), control_->mapToGlobal(QPointF(at)), Qt::LeftButton, held, mods);
    QApplication::sendEvent(control_, &e);
  }
  void Click(int image, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Mouse(QEvent::MouseButtonPress, CentreOf(image), mods);
    Mouse(QEvent::MouseButtonRelease, CentreOf(image), mods);
  }
  std::vector<int> Selected() const {
    std::vector<int> out;
    for (size_t i = 0; i < control_->Entries().size(); ++i)
      if (control_->Entries()[i].selected) out.push_back(static_cast<int>(i) + 1);
    return out;
  }
  std::vector<int> SelectFileNumbers() const {
    std::vector<int> out;
    for (const Event& e : EventsOf(kEventSelectFile)) out.push_back(e.Int(2));
    return out;
  }
};

TEST_F(ThumbInputTest, PlainClickRaisesSelectFileTwice) {
  Pictures(4);
  Click(3);
  EXPECT_EQ(Selected(), std::vector<int>{3});
  EXPECT_EQ(SelectFileNumbers(), (std::vector<int>{3, 3}));
  const Event e = EventsOf(kEventSelectFile)[0];
  EXPECT_EQ(e.Text(0), QString::fromStdString(dir_.path() + "/").toStdU16String());
  EXPECT_EQ(e.Text(1), u"p03.png");
  EXPECT_EQ(e.Int(3), 4);
  EXPECT_EQ(Get(kFileName).AsString(), u"p03.png");
  // Stock events: MouseDown, MouseUp, Click.
  EXPECT_EQ(EventsOf(kEventMouseDown).size(), 1u);
  EXPECT_EQ(EventsOf(kEventClick).size(), 1u);
  // Ctrl-click is a plain click while multiple selection is off.
  Click(1, Qt::ControlModifier);
  EXPECT_EQ(Selected(), std::vector<int>{1});
}

TEST_F(ThumbInputTest, ShiftClickSelectsARange) {
  Pictures(6, 3, 2);
  ASSERT_EQ(Put(kEnableSelectMultiFiles, Variant::Bool(true)), hosting::S_OK);
  Click(2);
  events_.clear();
  Click(5, Qt::ShiftModifier);
  EXPECT_EQ(Selected(), (std::vector<int>{2, 3, 4, 5}));
  EXPECT_EQ(SelectFileNumbers(), (std::vector<int>{2, 3, 4, 5}));
  // Ctrl toggles one entry.
  Click(3, Qt::ControlModifier);
  EXPECT_EQ(Selected(), (std::vector<int>{2, 4, 5}));
}

TEST_F(ThumbInputTest, BlockMoveOfTheSelection) {
  Pictures(6, 3, 2);
  ASSERT_EQ(Put(kEnableSelectMultiFiles, Variant::Bool(true)), hosting::S_OK);
  ASSERT_EQ(Put(kEnableMove, Variant::Bool(true)), hosting::S_OK);
  ASSERT_TRUE(Call(kSelectImage, {Variant::I2(1)}));
  ASSERT_TRUE(Call(kSelectImage, {Variant::I2(2)}));
  Mouse(QEvent::MouseButtonPress, CentreOf(1));
  Mouse(QEvent::MouseMove, CentreOf(5));
  Mouse(QEvent::MouseButtonRelease, CentreOf(5));
  EXPECT_EQ(Names(), (std::vector<std::string>{"p03.png", "p04.png", "p05.png", "p01.png", "p02.png", "p06.png"}));
}

TEST_F(ThumbInputTest, WheelScrollsByScrollStep) {
  Pictures(12, 2, 2);
  ASSERT_EQ(Put(kEnableMouseWheel, Variant::Bool(true)), hosting::S_OK);
  ASSERT_EQ(Put(kStartNum, Variant::I2(8)), hosting::S_OK);
  ASSERT_EQ(Get(kStartNum).AsI2(), 8);
  QWheelEvent up(QPointF(10, 10), control_->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 240), Qt::NoButton,
                 Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(control_, &up);
  EXPECT_EQ(Get(kStartNum).AsI2(), 4);  // two lines of two
  ASSERT_EQ(Put(kScrollStep, Variant::I2(2)), hosting::S_OK);
  QWheelEvent down(QPointF(10, 10), control_->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(control_, &down);
  EXPECT_EQ(Get(kStartNum).AsI2(), 8);
  // The Scroll method stops at the last full view.
  EXPECT_TRUE(Call(kScroll));
  EXPECT_EQ(Get(kStartNum).AsI2(), 8);
}

TEST_F(ThumbInputTest, ArrowKeysScrollThenSelect) {
  Pictures(12, 3, 2);
  ASSERT_EQ(Put(kEnableArrowKeys, Variant::Bool(true)), hosting::S_OK);
  Click(5);
  events_.clear();
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(control_, &down);
  EXPECT_EQ(Get(kStartNum).AsI2(), 3);  // one row down
  EXPECT_EQ(Selected(), std::vector<int>{8});
  ASSERT_FALSE(EventsOf(kEventKeyDown).empty());
  EXPECT_EQ(EventsOf(kEventKeyDown)[0].Int(0), 40);
  // Leaving the list does nothing.
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(control_, &right);
  QApplication::sendEvent(control_, &right);
  EXPECT_EQ(Selected(), std::vector<int>{11});
}

TEST_F(ThumbInputTest, DroppedFilesGoBeforeTheEntryUnderThePointer) {
  Pictures(4, 3, 2);
  ASSERT_EQ(Put(kEnableDragTarget, Variant::Bool(true)), hosting::S_OK);
  TempFolder other;
  ASSERT_TRUE(other.Picture("a.bmp", 20, 20, Qt::red));
  ASSERT_TRUE(other.Picture("b.bmp", 20, 20, Qt::blue));
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(other.File("a.bmp"))),
                QUrl::fromLocalFile(QString::fromStdString(other.File("b.bmp")))});
  QDropEvent drop(QPointF(CentreOf(3)), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(control_)->event(&drop);
  EXPECT_EQ(Names(), (std::vector<std::string>{"p01.png", "p02.png", "b.bmp", "a.bmp", "p03.png", "p04.png"}));
  const std::vector<Event> dropped = EventsOf(kEventDropFileInThumb);
  ASSERT_EQ(dropped.size(), 2u);
  EXPECT_EQ(dropped[0].Text(1), u"a.bmp");
  EXPECT_EQ(dropped[0].Text(0), QString::fromStdString(other.path()).toStdU16String());
  EXPECT_NE(control_->Entries()[2].image, 0u);  // loaded at once
  // The same file again changes nothing and raises nothing.
  events_.clear();
  QDropEvent again(QPointF(CentreOf(1)), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(control_)->event(&again);
  EXPECT_EQ(control_->Entries().size(), 6u);
  EXPECT_TRUE(events_.empty());
  // Past the last entry: appended.
  ASSERT_TRUE(other.Picture("c.png", 20, 20, Qt::green));
  EXPECT_EQ(control_->DropFiles({{other.File("c.png"), -1}}, QPoint(1, 1)), 1);
  EXPECT_EQ(Names().back(), "c.png");
  // Switched off: nothing.
  ASSERT_EQ(Put(kEnableDragTarget, Variant::Bool(false)), hosting::S_OK);
  ASSERT_TRUE(other.Picture("d.png", 20, 20, Qt::green));
  EXPECT_EQ(control_->DropFiles({{other.File("d.png"), -1}}, QPoint(1, 1)), 0);
}

TEST_F(ThumbInputTest, OleDropTakesTheLastTextNamingAFile) {
  Pictures(2);
  ASSERT_EQ(Put(kEnableDragTarget, Variant::Bool(true)), hosting::S_OK);
  ASSERT_EQ(Put(kEnableOLEDrag, Variant::Bool(true)), hosting::S_OK);
  TempFolder other;
  ASSERT_TRUE(other.Picture("a.png", 20, 20, Qt::red));
  ASSERT_TRUE(other.Picture("b.png", 20, 20, Qt::blue));
  QMimeData data;
  data.setText(QString::fromStdString(other.File("a.png") + "\n" + other.File("b.png") + "\n/no/such.png"));
  QDropEvent drop(QPointF(CentreOf(1)), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(control_)->event(&drop);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.png", "p01.png", "p02.png"}));
  // Without the OLE path plain text is not taken.
  ASSERT_EQ(Put(kEnableOLEDrag, Variant::Bool(false)), hosting::S_OK);
  QMimeData text;
  text.setText(QString::fromStdString(other.File("a.png")));
  QDropEvent again(QPointF(CentreOf(1)), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(control_)->event(&again);
  EXPECT_EQ(control_->Entries().size(), 3u);
}

TEST_F(ThumbInputTest, DragCarriesTheSelectionLastFirst) {
  Pictures(4);
  ASSERT_EQ(Put(kEnableSelectMultiFiles, Variant::Bool(true)), hosting::S_OK);
  EXPECT_EQ(control_->DragData(), nullptr);
  ASSERT_TRUE(Call(kSelectImage, {Variant::I2(2)}));
  ASSERT_TRUE(Call(kSelectImage, {Variant::I2(4)}));
  const std::unique_ptr<QMimeData> data = control_->DragData();
  ASSERT_NE(data, nullptr);
  const QList<QUrl> urls = data->urls();
  ASSERT_EQ(urls.size(), 2);
  EXPECT_EQ(urls[0].toLocalFile().toStdString(), dir_.File("p04.png"));
  EXPECT_EQ(urls[1].toLocalFile().toStdString(), dir_.File("p02.png"));
  EXPECT_EQ(data->text().toStdString(), dir_.File("p04.png") + "\n" + dir_.File("p02.png") + "\n");
  const QByteArray own = data->data(kEntriesMimeType);
  EXPECT_EQ(own.toStdString(), dir_.path() + "\tp04.png\t0\n" + dir_.path() + "\tp02.png\t0\n");
  // Another control takes the entries from our own format.
  CMorvikThumb target;
  target.resize(200, 200);
  target.PutProperty(kEnableDragTarget, Variant::Bool(true));
  target.PutProperty(kFilePath, Variant::Bstr(QString::fromStdString(dir_.path()).toStdU16String()));
  target.PutProperty(kReadMode, Variant::I2(mvThumbRd));
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(&target)->event(&drop);
  ASSERT_EQ(target.Entries().size(), 2u);
  EXPECT_EQ(target.Entries()[0].file_name, "p02.png");  // inserted at the same index: reverse order
}

TEST_F(ThumbInputTest, PaintingFacesPicturesAndEvents) {
  Pictures(3);
  ASSERT_EQ(Put(kDispFileName, Variant::Bool(true)), hosting::S_OK);
  const QImage shot = control_->grab().toImage();
  // Three thumbnails drawn, three ShowThumbImage events with their cells.
  const std::vector<Event> shown = EventsOf(kEventShowThumbImage);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[2].Int(2), 3);
  EXPECT_EQ(shown[2].Int(3), 3);
  // The centre of the first picture area shows the first picture's colour.
  const Cell* c = control_->CellOfEntry(0);
  ASSERT_NE(c, nullptr);
  const Rect area = PictureArea(control_->Layout(), *c, GridParams{0, 0, 2, 2, 5, 5, 0, true, true});
  const QColor expected = QColor::fromHsv(37, 200, 220);
  const QColor got = shot.pixelColor((area.left + area.right) / 2, (area.top + area.bottom) / 2);
  EXPECT_NEAR(got.red(), expected.red(), 12);
  EXPECT_NEAR(got.green(), expected.green(), 12);
  EXPECT_NEAR(got.blue(), expected.blue(), 12);
  // The fourth cell is an empty face in ForeColorUp.
  const Cell* empty = &control_->Layout().cells[3];
  EXPECT_EQ(shot.pixelColor(empty->rect.left + 10, empty->rect.top + 10), QColor(0xE0, 0xE0, 0xE0));
  // A selected entry's face is ForeColorDown.
  ASSERT_TRUE(Call(kSelectImage, {Variant::I2(2)}));
  const QImage sel = control_->grab().toImage();
  const Cell* c2 = control_->CellOfEntry(1);
  EXPECT_EQ(sel.pixelColor(c2->rect.left + 3, c2->rect.top + 3), QColor(0x80, 0x80, 0x80));
  // Film turns Button3D off for good.
  ASSERT_EQ(Put(kStyle, Variant::I2(mvFilm)), hosting::S_OK);
  control_->grab();
  EXPECT_FALSE(Get(kButton3D).AsBool());
  ASSERT_EQ(Put(kStyle, Variant::I2(mvButton)), hosting::S_OK);
  control_->grab();
  EXPECT_FALSE(Get(kButton3D).AsBool());
  // Printing draws the same pictures and raises no events.
  events_.clear();
  QImage print(220, 220, QImage::Format_RGB32);
  print.fill(Qt::black);
  ASSERT_EQ(control_->DrawOnDevice(&print, QRect(0, 0, 220, 220)), hosting::S_OK);
  EXPECT_TRUE(events_.empty());
  const QColor printed = print.pixelColor((area.left + area.right) / 2, (area.top + area.bottom) / 2);
  EXPECT_NEAR(printed.red(), expected.red(), 12);
}

TEST_F(ThumbInputTest, CustomStyleDrawsThePictureThroughItsMask) {
  Pictures(1);
  // A frame picture: magenta (the top-left colour, transparent) with a
  // black border four pixels wide.
  QImage frame(50, 50, QImage::Format_RGB32);
  frame.fill(QColor(255, 0, 255));
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x)
      if ((x >= 1 && x < 5) || (x >= 45 && x < 49) || (y >= 1 && y < 5) || (y >= 45 && y < 49))
        frame.setPixelColor(x, y, Qt::black);
  const std::string file = dir_.File("frame.bmp");
  ASSERT_TRUE(frame.save(QString::fromStdString(file), "BMP"));
  ASSERT_EQ(Put(kPictureUpFile, Variant::Bstr(QString::fromStdString(file).toStdU16String())), hosting::S_OK);
  EXPECT_NE(Get(kPictureUp).AsPicture(), 0u);
  ASSERT_EQ(Put(kStyle, Variant::I2(mvCustom)), hosting::S_OK);
  const QImage shot = control_->grab().toImage();
  const Cell& empty = control_->Layout().cells[1];  // no entry: the bare custom face
  const int w = empty.rect.width() + 1, h = empty.rect.height() + 1;
  // The stretched border is black near the edges, the inside the face colour.
  EXPECT_EQ(shot.pixelColor(empty.rect.left + w / 2, empty.rect.top + h * 3 / 50), QColor(Qt::black));
  EXPECT_EQ(shot.pixelColor(empty.rect.left + w / 2, empty.rect.top + h / 2), QColor(0xE0, 0xE0, 0xE0));
  // The entry's cell: its picture in the middle, the frame over the face.
  const Cell* c = control_->CellOfEntry(0);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(shot.pixelColor(c->rect.left + w / 2, c->rect.top + h * 3 / 50), QColor(Qt::black));
  const QColor mid = shot.pixelColor(c->rect.left + w / 2, c->rect.top + h / 2 - 5);
  EXPECT_NE(mid, QColor(0xE0, 0xE0, 0xE0));
  // Clearing the picture with a handle that is not one leaves none.
  EXPECT_EQ(Put(kPictureUp, Variant::Picture(MVGlobalAlloc(8))), hosting::S_FALSE);
  EXPECT_EQ(Get(kPictureUp).AsPicture(), 0u);
}

TEST_F(ThumbInputTest, DesignModePaintsEmptyFaces) {
  Pictures(2);
  control_->SetAmbientSource([](DispId id, Variant* out) {
    if (id != hosting::kDispIdAmbientUserMode) return false;
    *out = Variant::Bool(false);
    return true;
  });
  const QImage shot = control_->grab().toImage();
  EXPECT_TRUE(EventsOf(kEventShowThumbImage).empty());
  const Cell& first = control_->Layout().cells.empty() ? Cell{} : control_->Layout().cells[0];
  (void)first;
  // Every cell shows the bare face colour at its centre.
  EXPECT_EQ(shot.pixelColor(55, 55), QColor(0xE0, 0xE0, 0xE0));
}

}  // namespace
}  // namespace thumb::testing

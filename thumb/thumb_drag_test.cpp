// Drag and drop with other programs: the bytes a drag of the selection
// hands out, as another program reads them, and drops of "text/uri-list"
// written the way other programs write it (CRLF lines, comments, escaped
// names, URLs that are not local files).
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <fstream>

#include "thumb/testing/thumb_fixture.h"

namespace thumb::testing {
namespace {

using hosting::Variant;

class ThumbDragTest : public ThumbTest {
 protected:
  // The named pictures in the folder, loaded in mode 0 and sorted by name,
  // in a 3 x 2 grid.
  void Pictures(const std::vector<std::string>& names) {
    int hue = 0;
    for (const std::string& n : names) ASSERT_TRUE(dir_.Picture(n, 40, 30, QColor::fromHsv(hue += 50, 200, 220)));
    ASSERT_EQ(Put(kFilePath, Variant::Bstr(QString::fromStdString(dir_.path()).toStdU16String())), hosting::S_OK);
    ASSERT_EQ(Put(kReadMode, Variant::I2(mvThumbRd)), hosting::S_OK);
    ASSERT_EQ(Put(kSort, Variant::I2(1)), hosting::S_OK);
    ASSERT_EQ(Put(kColCount, Variant::I2(3)), hosting::S_OK);
    ASSERT_EQ(Put(kRowCount, Variant::I2(2)), hosting::S_OK);
    ASSERT_TRUE(Call(kGetFiles));
    ASSERT_EQ(control_->Entries().size(), names.size());
    control_->grab();  // lay out
    events_.clear();
  }
  void Drop(QMimeData* data, QPoint at) {
    QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject*>(control_)->event(&drop);
  }
  std::vector<std::u16string> DroppedNames() const {
    std::vector<std::u16string> out;
    for (const Event& e : EventsOf(kEventDropFileInThumb)) out.push_back(e.Text(1));
    return out;
  }
};

// The escaped form of a path in a file URL, written out by hand: every byte
// outside the unreserved set and "/" as %XX (upper-case hex).
std::string Escaped(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : path) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~' || c == '/') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

TEST_F(ThumbDragTest, DragHandsOtherProgramsUriListAndText) {
  // Names a file manager must get back exactly: a space and Japanese.
  Pictures({"a b.png", "写真.png", "z.png"});
  ASSERT_EQ(Put(kEnableSelectMultiFiles, Variant::Bool(true)), hosting::S_OK);
  ASSERT_TRUE(Call(kSelectImage, {Variant::I2(1)}));
  ASSERT_TRUE(Call(kSelectImage, {Variant::I2(3)}));  // sorted: "a b.png", "z.png", "写真.png"
  const std::unique_ptr<QMimeData> data = control_->DragData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->hasFormat("text/uri-list"));
  EXPECT_TRUE(data->hasFormat("text/plain"));
  EXPECT_TRUE(data->hasFormat(kEntriesMimeType));
  // The uri list as its bytes: one URL a line, CRLF, last selected first.
  const std::string first = dir_.File("写真.png"), second = dir_.File("a b.png");
  EXPECT_EQ(data->data("text/uri-list").toStdString(),
            "file://" + Escaped(first) + "\r\nfile://" + Escaped(second) + "\r\n");
  EXPECT_EQ(data->data("text/plain").toStdString(), first + "\n" + second + "\n");
  EXPECT_EQ(data->data(kEntriesMimeType).toStdString(),
            dir_.path() + "\t写真.png\t0\n" + dir_.path() + "\ta b.png\t0\n");
}

TEST_F(ThumbDragTest, UriListFromAnotherProgram) {
  Pictures({"p1.png", "p2.png", "p3.png"});
  ASSERT_EQ(Put(kEnableDragTarget, Variant::Bool(true)), hosting::S_OK);
  TempFolder other;
  ASSERT_TRUE(other.Picture("写真 1.png", 20, 20, Qt::red));
  ASSERT_TRUE(other.Picture("b.png", 20, 20, Qt::blue));
  ASSERT_TRUE(other.Picture("c.png", 20, 20, Qt::green));
  {
    std::ofstream text(other.File("notes.txt"));
    text << "not a picture\n";
  }
  // As another program writes it: a comment, CRLF, escaped names, a URL on
  // another machine, a web URL, a missing file, a file that is no picture,
  // the same file twice, and the host spelt "localhost".
  const std::string list = "# dragged from another program\r\n"
                           "file://" + Escaped(other.File("写真 1.png")) + "\r\n"
                           "http://example.com/x.png\r\n"
                           "file://otherhost" + Escaped(other.File("c.png")) + "\r\n"
                           "file://" + Escaped(other.File("missing.png")) + "\r\n"
                           "file://" + Escaped(other.File("notes.txt")) + "\r\n"
                           "file://localhost" + Escaped(other.File("b.png")) + "\r\n"
                           "file://" + Escaped(other.File("写真 1.png")) + "\r\n";
  QMimeData data;
  data.setData("text/uri-list", QByteArray::fromStdString(list));
  Drop(&data, CentreOf(2));
  // Each local picture once, inserted before p2 (the second goes before the
  // first, as every insertion uses the drop index).
  EXPECT_EQ(Names(), (std::vector<std::string>{"p1.png", "b.png", "写真 1.png", "p2.png", "p3.png"}));
  EXPECT_EQ(DroppedNames(), (std::vector<std::u16string>{u"写真 1.png", u"b.png"}));
  ASSERT_EQ(EventsOf(kEventDropFileInThumb).size(), 2u);
  EXPECT_EQ(EventsOf(kEventDropFileInThumb)[0].Text(0), QString::fromStdString(other.path()).toStdU16String());
  EXPECT_NE(control_->Entries()[2].image, 0u);  // loaded at once
  EXPECT_EQ(HandleSize(control_->Entries()[2].image), QSize(96, 96));
}

TEST_F(ThumbDragTest, UriListDropIsRefusedWhileOff) {
  Pictures({"p1.png"});
  TempFolder other;
  ASSERT_TRUE(other.Picture("b.png", 20, 20, Qt::blue));
  QMimeData data;
  data.setData("text/uri-list", QByteArray::fromStdString("file://" + Escaped(other.File("b.png")) + "\r\n"));
  Drop(&data, CentreOf(1));
  EXPECT_EQ(Names(), std::vector<std::string>{"p1.png"});
  EXPECT_TRUE(DroppedNames().empty());
}

}  // namespace
}  // namespace thumb::testing

#include "editor/shell/usr_procs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include "editor/shell/test_printers.h"
#include "editor/shell/usr.h"
#include "platform/prompt.h"
#include "platform/screen.h"

namespace ruvel {
namespace {

void Touch(const QString& path, const QByteArray& content = "x") {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(content);
}

TEST(UsrText, CutTrimAddSplit) {
  QString t = "a.b.c";
  CutAt(&t, ".");
  EXPECT_EQ(t, QString("a"));
  t = "abc";
  CutAt(&t, ",");
  EXPECT_EQ(t, QString("abc"));

  t = "name.bmp.bmp";
  TrimSuffix(&t, ".bmp");
  EXPECT_EQ(t, QString("name.bmp"));
  TrimSuffix(&t, ".jpg");
  EXPECT_EQ(t, QString("name.bmp"));

  t = "/tmp";
  AddSuffix(&t, "");
  EXPECT_EQ(t, QString("/tmp/"));
  AddSuffix(&t, "");
  EXPECT_EQ(t, QString("/tmp/"));
  AddSuffix(&t, ".x");
  EXPECT_EQ(t, QString("/tmp/.x"));

  QString left, right;
  SplitAt("編集,/usr/bin/gimp,x", "", &left, &right);
  EXPECT_EQ(left, QString("編集"));
  EXPECT_EQ(right, QString("/usr/bin/gimp,x"));
  SplitAt("none", ";", &left, &right);
  EXPECT_EQ(left, QString("none"));
  EXPECT_EQ(right, QString());
  SplitAt("a::b", "::", &left, &right);
  EXPECT_EQ(right, QString("b"));
}

TEST(UsrText, TextBetween) {
  EXPECT_EQ(TextBetween("key=value;rest", "=", ";"), QString("value"));
  EXPECT_EQ(TextBetween("key=value", "=", ";"), QString("value"));  // end mark added
  EXPECT_EQ(TextBetween("a,b,c", "", ","), QString("a"));
  EXPECT_EQ(TextBetween("a,b,c", "x", ","), QString());  // start mark missing
  EXPECT_EQ(TextBetween("head:tail", ":", ""), QString("tail"));
  EXPECT_EQ(TextBetween("", "", ","), QString());
  EXPECT_EQ(TextBetween("<a>1</a>", "<a>", "</a>"), QString("1"));
}

TEST(UsrFiles, ExistenceSizeDelete) {
  QTemporaryDir dir;
  const QString file = dir.path() + "/f.bin";
  Touch(file, QByteArray(1234, 'z'));
  EXPECT_FALSE(IsFolder(""));
  EXPECT_FALSE(IsFile(""));
  EXPECT_TRUE(IsFolder(dir.path()));
  EXPECT_FALSE(IsFile(dir.path()));
  EXPECT_TRUE(IsFile(file));
  EXPECT_FALSE(IsFolder(file));
  EXPECT_EQ(FileSize(file), 1234);
  EXPECT_EQ(FileSize(dir.path() + "/none"), 0);
  EXPECT_EQ(FileSize(dir.path()), 0);
  EXPECT_TRUE(DeleteFileQuiet(file));
  EXPECT_FALSE(IsFile(file));
  EXPECT_FALSE(DeleteFileQuiet(file));
  EXPECT_FALSE(DeleteFileQuiet(dir.path()));  // folders are not deleted
}

TEST(UsrFiles, ListFilesMatchesCaseSensitively) {
  QTemporaryDir dir;
  Touch(dir.path() + "/a.bmp");
  Touch(dir.path() + "/B.bmp");
  Touch(dir.path() + "/c.BMP");
  Touch(dir.path() + "/d.png");
  ASSERT_TRUE(QDir().mkdir(dir.path() + "/e.bmp"));  // a folder, not listed
  platform::ScriptedPrompt prompt;
  platform::ScopedPrompt use(&prompt);
  QStringList names = ListFiles(dir.path(), "*.bmp").split('\t');
  names.sort();
  EXPECT_EQ(names, (QStringList{"B.bmp", "a.bmp"}));
  EXPECT_EQ(ListFiles(dir.path() + "/", "*.gif"), QString());
  EXPECT_TRUE(prompt.shown().empty());
  EXPECT_EQ(ListFiles(dir.path() + "/none", "*.bmp"), QString());
  ASSERT_EQ(prompt.shown().size(), 1u);
  EXPECT_EQ(prompt.shown()[0].text, dir.path() + "/none/ Not Found");
}

class UsrGeometry : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetUsr();
    Usr().WorkArea = WorkAreaTwips{0, 0, 19200, 15000};
  }
  void TearDown() override { ResetUsr(); }
};

TEST_F(UsrGeometry, FitWorkAreaPullsRectanglesIn) {
  int32_t l = -500, t = -10, w = 3000, h = 2000;
  FitWorkArea(&l, &t, &w, &h);
  EXPECT_EQ(l, 0);
  EXPECT_EQ(t, 0);
  EXPECT_EQ(w, 3000);
  EXPECT_EQ(h, 2000);

  l = 18000, t = 14000, w = 3000, h = 2000;  // off the right and bottom
  FitWorkArea(&l, &t, &w, &h);
  EXPECT_EQ(l, 0);
  EXPECT_EQ(t, 0);
  EXPECT_EQ(w, 3000);
  EXPECT_EQ(h, 2000);

  l = 100, t = 100, w = 30000, h = 20000;  // larger than the work area
  FitWorkArea(&l, &t, &w, &h);
  EXPECT_EQ(l, 0);
  EXPECT_EQ(w, 19200);
  EXPECT_EQ(t, 0);
  EXPECT_EQ(h, 15000);

  l = 1000, t = 1000, w = 18200, h = 14000;  // exactly fits
  FitWorkArea(&l, &t, &w, &h);
  EXPECT_EQ(l, 1000);
  EXPECT_EQ(t, 1000);

  Usr().WorkArea = WorkAreaTwips{0, 450, 19200, 14550};  // a panel on top
  l = 200, t = 0, w = 100, h = 100;
  FitWorkArea(&l, &t, &w, &h);
  EXPECT_EQ(t, 450);
}

TEST_F(UsrGeometry, PlaceDialogNearTheMainWindow) {
  platform::FixedScreen screen({QRect(0, 0, 1280, 1000), QRect(0, 0, 1280, 1024), 96, 96});
  platform::SetScreen(&screen);
  QWidget main;
  MoveWindowTwips(&main, {1500, 1500, 12000, 9000});
  EXPECT_EQ(WindowTwips(&main).width, 12000);
  Usr().MainForm = &main;
  int32_t left = 0, top = 0;
  PlaceDialog(4000, 3000, &left, &top);
  EXPECT_EQ(left, 9025);   // (1500 + 12000 - 4000) * 0.95
  EXPECT_EQ(top, 7125);    // (1500 + 9000 - 3000) * 0.95
  PlaceDialog(20000, 12000, &left, &top);  // wider than main + left: 0
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, 0);
  platform::SetScreen(nullptr);
}

TEST(UsrCapture, CaptureGoesThroughTheScreen) {
  platform::FixedScreen screen({QRect(0, 0, 800, 600), QRect(0, 0, 800, 600), 96, 96});
  platform::SetScreen(&screen);
  CaptureScreenKeys(true);
  EXPECT_EQ(screen.captures(), 1);
  EXPECT_TRUE(screen.last_active_only());
  CaptureScreenKeys(false);
  EXPECT_FALSE(screen.last_active_only());
  platform::SetScreen(nullptr);
}

}  // namespace
}  // namespace ruvel

#include "imaging/control/file_io.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "imaging/codecs/codec.h"
#include "imaging/control/internal/test_support.h"
#include "imaging/control/morvik.h"
#include "platform/file_dialog.h"

namespace imaging::control {
namespace {

using testing::Pattern;

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(MorvikFileIO, LosslessTypesRoundTrip) {
  QTemporaryDir dir;
  Morvik view;
  const Image original = Pattern(37, 23);
  ASSERT_TRUE(view.ReplaceImage(original));
  struct Case {
    int type;
    const char* name;
  };
  for (const Case c : {Case{0, "w.bmp"}, Case{1, "a.bmp"}, Case{5, "a.tif"}, Case{11, "b.tif"}, Case{12, "a.png"},
                       Case{16, "a.pcx"}}) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(c.name);
    view.FileIO().SetFileName(path);
    ASSERT_TRUE(view.FileIO().SaveFile(c.type, view.ImageHandle())) << view.ErrorCode();
    Morvik other;
    other.FileIO().SetFileName(path);
    ASSERT_TRUE(other.FileIO().LoadFile(0)) << other.ErrorCode();
    ASSERT_TRUE(other.FileIO().FinishLoad());
    ASSERT_EQ(other.image().width(), 37);
    ASSERT_EQ(other.image().height(), 23);
    for (int y = 0; y < 23; y += 5)
      for (int x = 0; x < 37; x += 3) ASSERT_EQ(other.image().PixelRgb(x, y), original.PixelRgb(x, y));
  }
}

TEST(MorvikFileIO, JpegQualityAndComment) {
  QTemporaryDir dir;
  Morvik view;
  ASSERT_TRUE(view.ReplaceImage(Pattern(64, 64)));
  FileIO& io = view.FileIO();
  io.SetJpegQuality(5);
  EXPECT_EQ(io.JpegQuality(), 20);
  io.SetJpegQuality(95);
  io.SetComment("hello");
  io.SetFileName(dir.filePath("c.jpg"));
  ASSERT_TRUE(io.SaveFile(2, view.ImageHandle())) << view.ErrorCode();
  Morvik other;
  other.FileIO().SetFileName(dir.filePath("c.jpg"));
  ASSERT_TRUE(other.FileIO().LoadFile(0));
  ASSERT_TRUE(other.FileIO().FinishLoad());
  EXPECT_EQ(other.FileIO().Comment(), "hello");
  const uint32_t a = other.image().PixelRgb(20, 30), b = view.image().PixelRgb(20, 30);
  EXPECT_NEAR(int(a >> 16), int(b >> 16), 12);
}

TEST(MorvikFileIO, BrokenLoadKeepsThePicture) {
  QTemporaryDir dir;
  Morvik view;
  ASSERT_TRUE(view.ReplaceImage(Pattern(10, 10)));
  const MemHandle held = view.ImageHandle();
  const QString junk = dir.filePath("junk.jpg");
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("\xFF\xD8\xFF\xE0 this is not really a jpeg");
  f.close();
  view.FileIO().SetFileName(junk);
  EXPECT_FALSE(view.FileIO().LoadFile(0));
  EXPECT_NE(view.ErrorCode(), 0);
  EXPECT_FALSE(view.FileIO().FinishLoad());
  EXPECT_EQ(view.ErrorCode(), 11);
  EXPECT_EQ(view.ImageHandle(), held);

  view.FileIO().SetFileName(dir.filePath("missing.png"));
  EXPECT_FALSE(view.FileIO().LoadFile(0));
  EXPECT_EQ(view.ErrorCode(), 16);
  EXPECT_FALSE(view.FileIO().LoadFile(3));
  EXPECT_EQ(view.ErrorCode(), 5);
  EXPECT_EQ(view.image().width(), 10);
}

TEST(MorvikFileIO, FailedSaveLeavesFileIntact) {
  QTemporaryDir dir;
  Morvik view;
  ASSERT_TRUE(view.ReplaceImage(Pattern(10, 10)));
  const QString path = dir.filePath("keep.png");
  view.FileIO().SetFileName(path);
  ASSERT_TRUE(view.FileIO().SaveFile(12, view.ImageHandle()));
  const QByteArray before = ReadAll(path);
  ASSERT_FALSE(before.isEmpty());
  // A bad handle, an unknown type and a missing folder all fail cleanly.
  EXPECT_FALSE(view.FileIO().SaveFile(12, 12345));
  EXPECT_EQ(view.ErrorCode(), 7);
  EXPECT_FALSE(view.FileIO().SaveFile(99, view.ImageHandle()));
  EXPECT_EQ(view.ErrorCode(), 5);
  EXPECT_EQ(ReadAll(path), before);
  view.FileIO().SetFileName(dir.filePath("no/such/folder/x.png"));
  EXPECT_FALSE(view.FileIO().SaveFile(12, view.ImageHandle()));
  EXPECT_NE(view.ErrorCode(), 0);
  // Only the saved file is in the folder: no temporary left behind.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.png"});
}

TEST(MorvikFileIO, SaveDialogOffersTypesAndReturnsName) {
  platform::ScriptedFileDialog dialog;
  platform::ScopedFileDialog scope(&dialog);
  Morvik view;
  view.FileIO().SetFileName("pic.jpg");
  dialog.QueueAccept("/tmp/out/pic2.png", 3);
  QString name;
  EXPECT_TRUE(view.FileIO().ShowSaveDialog("/tmp/out/", "JPG;GIF;PNG;PCX", &name));
  EXPECT_EQ(name, "/tmp/out/pic2.png");
  ASSERT_EQ(dialog.requests().size(), 1u);
  const platform::FileDialogRequest& req = dialog.requests()[0];
  EXPECT_TRUE(req.save);
  EXPECT_EQ(req.start_folder, "/tmp/out/");
  EXPECT_EQ(req.file_name, "pic.jpg");
  EXPECT_EQ(platform::ToNameFilters(req.filter).size(), 4);
  EXPECT_TRUE(req.filter.contains("*.gif"));
  dialog.QueueCancel();
  EXPECT_FALSE(view.FileIO().ShowSaveDialog("/tmp", "BMP", &name));
  EXPECT_EQ(name, "");
  EXPECT_EQ(view.ErrorCode(), 0);
}

TEST(MorvikFileIO, SvgOpensAtItsNaturalSize) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.svg");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"120\" height=\"80\">"
          "<rect x=\"60\" width=\"60\" height=\"80\" fill=\"#0000ff\"/></svg>");
  f.close();
  Morvik view;
  view.FileIO().SetFileName(path);
  ASSERT_TRUE(view.FileIO().LoadFile(0) && view.FileIO().FinishLoad()) << view.ErrorCode();
  EXPECT_EQ(view.image().width(), 120);
  EXPECT_EQ(view.image().height(), 80);
  EXPECT_EQ(view.image().PixelRgb(90, 40), 0x0000FFu);
  EXPECT_EQ(view.image().PixelRgb(30, 40), 0xFFFFFFu);
}

}  // namespace
}  // namespace imaging::control

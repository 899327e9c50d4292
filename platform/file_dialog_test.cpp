#include "platform/file_dialog.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(FileDialogFilter, PairsBecomeQtNameFilters) {
  EXPECT_EQ(ToNameFilters("ﾋﾞｯﾄﾏｯﾌﾟ|*.bmp|JPEG|*.jpg;*.jpeg"),
            (QStringList{"ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)", "JPEG (*.jpg *.jpeg)"}));
  EXPECT_TRUE(ToNameFilters("").isEmpty());
  EXPECT_EQ(ToNameFilters("全て|"), QStringList{"全て (*)"});
  EXPECT_EQ(ToNameFilters("全て"), QStringList{"全て (*)"});
  EXPECT_EQ(ToNameFilters("A|*.a|"), QStringList{"A (*.a)"});
}

TEST(FileDialogFilter, PatternsAlreadyInTheCaptionAreNotRepeated) {
  EXPECT_EQ(ToNameFilters("PNG ﾌｧｲﾙ(*.png)|*.png|JPEG ﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg"),
            (QStringList{"PNG ﾌｧｲﾙ(*.png)", "JPEG ﾌｧｲﾙ(*.jpg *.jpeg)"}));
  // A caption whose parentheses say something else keeps them and gets the
  // real patterns after it.
  EXPECT_EQ(ToNameFilters("画像(旧形式)|*.pcx"), QStringList{"画像(旧形式) (*.pcx)"});
  EXPECT_EQ(ToNameFilters("TIFF(*.tif)|*.tif;*.tiff"), QStringList{"TIFF(*.tif) (*.tif *.tiff)"});
}

TEST(ScriptedFileDialog, AnswersFromQueueAndRecordsRequests) {
  ScriptedFileDialog scripted;
  ScopedFileDialog use(&scripted);
  scripted.QueueAccept("/tmp/a.png", 2);
  FileDialogRequest request;
  request.title = "開く";
  request.filter = "A|*.a|B|*.b";
  request.filter_index = 2;
  FileDialogAnswer first = CurrentFileDialog().Ask(request, nullptr);
  EXPECT_TRUE(first.accepted);
  EXPECT_EQ(first.path, QString("/tmp/a.png"));
  EXPECT_EQ(first.filter_index, 2);
  FileDialogAnswer second = CurrentFileDialog().Ask(request, nullptr);
  EXPECT_FALSE(second.accepted);  // empty queue: cancelled
  ASSERT_EQ(scripted.requests().size(), 2u);
  EXPECT_EQ(scripted.requests()[0].title, QString("開く"));
}

TEST(ScopedFileDialog, NullRestoresTheDefault) {
  FileDialog* original = &CurrentFileDialog();
  ScriptedFileDialog scripted;
  {
    ScopedFileDialog use(&scripted);
    EXPECT_EQ(&CurrentFileDialog(), &scripted);
  }
  EXPECT_EQ(&CurrentFileDialog(), original);
  SetFileDialog(&scripted);
  SetFileDialog(nullptr);
  EXPECT_EQ(&CurrentFileDialog(), original);
}

}  // namespace
}  // namespace platform

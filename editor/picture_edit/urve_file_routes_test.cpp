// The "ﾌｧｲﾙ" and "画像編集" routes of pcAct that open, save and revert
// files, with scripted message boxes and file dialogs: what lands on disk
// is read back apart from the control, and the edit state and the undo
// history follow only what really happened.
#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "editor/picture_edit/testing/urve_file_test.h"

namespace ruvel {
namespace {

using testing::Pattern;
using testing::ReadAll;

class FileRoutes : public testing::UrveFileTest {
 protected:
  void SetUp() override {
    UrveFileTest::SetUp();
    if (HasFatalFailure()) return;
    QObject::connect(pic_.get(), &uRvE::eAskPcPh, [this](QString* folder) { *folder = root_ + "pics/"; });
    ASSERT_TRUE(Pattern(12, 10).save(root_ + "pics/a.png", "PNG"));
  }
  void TearDown() override {
    ::chmod(QFile::encodeName(root_ + "pics/a.png").constData(), 0644);
    UrveFileTest::TearDown();
  }
  static QImage Read(const QString& path) { return QImage(path).convertToFormat(QImage::Format_RGB32); }
  void Act(const char* group, const char* job) { pic_->pcAct(QString::fromUtf8(group), QString::fromUtf8(job)); }
  bool Changed() { return pic_->GtMnState().changed; }
};

TEST_F(FileRoutes, OpenEditOverwriteSaveAsCopyNumberAndRevert) {
  const QString a = root_ + "pics/a.png";
  dialog_.QueueAccept(a);
  Act("ﾌｧｲﾙ", "ﾌｧｲﾙを開く");
  ASSERT_EQ(pic_->prFile(), a);
  EXPECT_EQ(Held(), Pattern(12, 10));

  // Overwrite writes the edited picture and starts a new history.
  Act("色反転", "全て");
  ASSERT_EQ(pic_->EditState(), kStateEdited);
  const QImage edited = Held();
  Act("ﾌｧｲﾙ", "上書き保存");
  EXPECT_EQ(Read(a), edited);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_EQ(pic_->UndoCount(), 0);
  EXPECT_FALSE(Changed());

  // Save as: the chosen name becomes the picture's file.
  const QString b = root_ + "pics/b.png";
  Act("明度", "暗く");
  const QImage darker = Held();
  dialog_.QueueAccept(b);
  Act("ﾌｧｲﾙ", "名前を付けて保存");
  EXPECT_EQ(Read(b), darker);
  EXPECT_EQ(pic_->prFile(), b);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_EQ(Read(a), edited);

  // Copy as new and the numbered save leave the picture's file alone.
  Act("ﾌｧｲﾙ", "複写して新規");
  EXPECT_EQ(Read(root_ + "pics/b~01.png"), darker);
  Act("ﾌｧｲﾙ", "連番をつけて保存");
  Act("ﾌｧｲﾙ", "連番をつけて作業ﾌｫﾙﾀﾞに複写");
  EXPECT_TRUE(QFile::exists(root_ + "user/Temp/00000.bmp"));
  EXPECT_TRUE(QFile::exists(root_ + "user/Temp/00001.bmp"));

  // Revert brings the file back without asking.
  ASSERT_TRUE(QFile::remove(b));
  ASSERT_TRUE(Pattern(5, 5).save(b, "PNG"));
  Act("ﾌｧｲﾙ", "ﾌｧｲﾙを開く");  // no answer queued: the dialog is cancelled
  QString file = b;
  pic_->pcOpen(0, file, false);
  Act("回転", "左90度");
  ASSERT_EQ(pic_->EditState(), kStateEdited);
  prompt_.Clear();
  Act("画像編集", "読込時に戻す");
  EXPECT_EQ(Held(), Pattern(5, 5));
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(FileRoutes, FailedOrCancelledSaveKeepsTheEditsAndTheHistory) {
  QString file = root_ + "pics/a.png";
  pic_->pcOpen(0, file, false);
  const QByteArray on_disk = ReadAll(file);
  Act("色反転", "Red");
  Act("色反転", "Blue");
  const QImage edited = Held();
  ASSERT_EQ(pic_->UndoCount(), 2);

  // The file cannot be written: the message, and nothing is forgotten.
  ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
  Act("ﾌｧｲﾙ", "上書き保存");
  EXPECT_EQ(prompt_.texts(), std::vector<QString>{QStringLiteral("ﾌｧｲﾙが書き込みできません")});
  EXPECT_EQ(ReadAll(file), on_disk);
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  EXPECT_EQ(pic_->UndoCount(), 2);
  EXPECT_TRUE(Changed());
  EXPECT_EQ(Held(), edited);
  ::chmod(QFile::encodeName(file).constData(), 0644);

  // A cancelled save dialog is no save either.
  dialog_.QueueCancel();
  Act("ﾌｧｲﾙ", "名前を付けて保存");
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  EXPECT_EQ(pic_->UndoCount(), 2);

  // The history still leads back to the file's picture.
  Act("画像編集", "編集を一つ戻す");
  Act("画像編集", "編集を一つ戻す");
  EXPECT_EQ(Held(), Pattern(12, 10));
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
}

TEST_F(FileRoutes, NewPictureNeverOverwritesTheOldFile) {
  QString file = root_ + "pics/a.png";
  pic_->pcOpen(0, file, false);
  const QByteArray on_disk = ReadAll(file);
  Act("色反転", "全て");

  // Changes are asked about first; "No" drops them.
  prompt_.QueueAnswer(platform::PromptAnswer::kNo);
  Act("ﾌｧｲﾙ", "新規作成");
  EXPECT_EQ(prompt_.texts(), std::vector<QString>{QStringLiteral("現在の画像の変更を保存しますか")});
  EXPECT_EQ(pic_->prFile(), "");
  EXPECT_EQ(pic_->EditState(), kStateLoaded);

  // Drawing on the blank picture and overwriting asks for a name; a
  // cancel leaves the old file as it was.
  Act("明度", "暗く");
  dialog_.QueueCancel();
  Act("ﾌｧｲﾙ", "上書き保存");
  ASSERT_EQ(dialog_.requests().size(), 1u);
  EXPECT_TRUE(dialog_.requests().front().save);
  EXPECT_EQ(ReadAll(file), on_disk);
  EXPECT_EQ(pic_->EditState(), kStateEdited);

  // With the update mode "自動更新" the question saves silently first.
  pic_->pcAct(QStringLiteral("編集更新"), QStringLiteral("自動更新"));
  const QString c = root_ + "pics/c.png";
  dialog_.QueueAccept(c);
  prompt_.Clear();
  const QImage blank_edited = Held();
  Act("ﾌｧｲﾙ", "新規作成");
  EXPECT_TRUE(prompt_.shown().empty());
  EXPECT_EQ(Read(c), blank_edited);
  EXPECT_EQ(pic_->prFile(), "");
}

}  // namespace
}  // namespace ruvel

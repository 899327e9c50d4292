#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "editor/picture_edit/urve.h"
#include "editor/picture_edit/urve_test_support.h"
#include "imaging/codecs/codec.h"

namespace ruvel {
namespace {

using testing::ControlFixture;
using testing::EventLog;
using testing::Pattern;

class UndoTest : public ControlFixture {};

TEST_F(UndoTest, StepsRestorePixelIdenticalPictures) {
  Load(Pattern(97, 61));
  std::vector<QImage> before;
  before.push_back(Shown());
  ASSERT_TRUE(InvertEdit());
  before.push_back(Shown());
  // Second change: brightness on the whole picture.
  ASSERT_TRUE(pic_->SaveUndoStep());
  ASSERT_TRUE(pic_->Seam().mvImg().AdjustBrightness(SeamCorners{}, 40, -20, 10));
  pic_->SetEditState(kStateEdited);
  before.push_back(Shown());
  // Third change: a different size.
  ASSERT_TRUE(pic_->SaveUndoStep());
  ASSERT_TRUE(pic_->Seam().mvImg().ResizeImage(40, 30));
  pic_->SetEditState(kStateEdited);
  ASSERT_EQ(pic_->UndoCount(), 3);
  for (int n = 1; n <= 3; ++n) EXPECT_TRUE(QFileInfo::exists(WorkFolder() + QString("$$Undo00%1.bmp").arg(n)));
  EXPECT_NE(Shown(), before[2]);

  ASSERT_TRUE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), before[2]);
  EXPECT_EQ(pic_->UndoCount(), 2);
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  EXPECT_EQ(pic_->InfoFile(), WorkFolder() + "$$Undo003.bmp");

  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("編集を一つ戻す"));
  EXPECT_EQ(Shown(), before[1]);
  EXPECT_EQ(pic_->UndoCount(), 1);

  EventLog log(pic_);
  ASSERT_TRUE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), before[0]);
  EXPECT_EQ(pic_->UndoCount(), 0);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  // The information is refreshed first, then the state is announced.
  EXPECT_EQ(log.events, QStringList({"eStPcTyp(,24.)", "eEdtMode(読込)"}));
  EXPECT_FALSE(pic_->GtMnState().undo);
  // Nothing more to undo.
  EXPECT_FALSE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), before[0]);
}

TEST_F(UndoTest, PalettePictureComesBackWithItsPalette) {
  Load(Pattern(33, 17, 8));
  const QImage original = Shown();
  ASSERT_EQ(pic_->DepthCode(), "8.");
  ASSERT_TRUE(pic_->SaveUndoStep());
  ASSERT_TRUE(pic_->Seam().mvImg().ConvertDepth(24, false, false, 128));
  pic_->RefreshInfo();
  EXPECT_EQ(pic_->DepthCode(), "24.");
  ASSERT_TRUE(pic_->UndoOneStep());
  EXPECT_EQ(pic_->DepthCode(), "8.");
  EXPECT_EQ(Shown(), original);
  EXPECT_EQ(Shown().colorTable(), original.colorTable());
}

TEST_F(UndoTest, SnapshotReportsItsFileSize) {
  Load(Pattern(50, 40));
  ASSERT_TRUE(pic_->SaveUndoStep());
  const QString name = WorkFolder() + "$$Undo001.bmp";
  EXPECT_EQ(pic_->InfoFile(), name);
  ASSERT_GT(QFileInfo(name).size(), 50 * 40 * 3);
  EXPECT_EQ(pic_->nFileSZ(), QFileInfo(name).size());
  EXPECT_TRUE(pic_->GtMnState().undo);
}

// Makes the next snapshot name unwritable: a read-only folder, or (where
// permissions do not hold, as for root) a folder in the snapshot's place.
void BlockWrites(const QString& folder, const QString& next_name) {
  QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  QFile probe(folder + "probe");
  if (probe.open(QIODevice::WriteOnly)) {
    probe.close();
    probe.remove();
    ASSERT_TRUE(QDir().mkpath(folder + next_name + "/inside"));
  }
}

void UnblockWrites(const QString& folder, const QString& next_name) {
  QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QDir(folder + next_name).removeRecursively();
}

TEST_F(UndoTest, FailedSnapshotRefusesTheChangeAndKeepsHistory) {
  Load(Pattern(64, 48));
  const QImage original = Shown();
  ASSERT_TRUE(InvertEdit());
  const QImage after_first = Shown();
  ASSERT_EQ(pic_->UndoCount(), 1);

  BlockWrites(WorkFolder(), "$$Undo002.bmp");
  EXPECT_FALSE(pic_->SaveUndoStep());
  EXPECT_EQ(pic_->UndoCount(), 1);
  EXPECT_FALSE(pic_->LastOk());
  // A highlight needs its snapshot; without one the picture stays.
  pic_->SetRect(20, 20);
  pic_->pcAct(QStringLiteral("範囲"), QStringLiteral("ﾏｰｶｰ"));
  EXPECT_EQ(Shown(), after_first);
  EXPECT_EQ(pic_->UndoCount(), 1);
  UnblockWrites(WorkFolder(), "$$Undo002.bmp");

  // The way back is intact.
  ASSERT_TRUE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), original);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
}

TEST_F(UndoTest, FailedOperationKeepsTheSnapshot) {
  Load(Pattern(64, 48));
  const QImage original = Shown();
  ASSERT_TRUE(pic_->SaveUndoStep());
  // A change that fails after its snapshot (a size the control refuses).
  EXPECT_FALSE(pic_->Seam().mvImg().ResizeImage(0, -5));
  EXPECT_EQ(pic_->UndoCount(), 1);
  ASSERT_TRUE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), original);
}

TEST_F(UndoTest, UnreadableSnapshotLeavesPictureAndCount) {
  Load(Pattern(64, 48));
  ASSERT_TRUE(InvertEdit());
  ASSERT_TRUE(InvertEdit());
  const QImage now = Shown();
  QFile broken(WorkFolder() + "$$Undo002.bmp");
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
  broken.write("BM not a picture");
  broken.close();
  EXPECT_FALSE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), now);
  EXPECT_EQ(pic_->UndoCount(), 2);
  EXPECT_EQ(pic_->EditState(), kStateEdited);
}

TEST_F(UndoTest, LeftoversOfAnEarlierRunAreNeverRestored) {
  // Files a crashed run left behind, holding another picture.
  imaging::Image stranger = Pattern(20, 10);
  imaging::codecs::SaveOptions opt;
  opt.type = imaging::codecs::SaveType::kWorkBmp;
  for (const char* name : {"$$Undo000.bmp", "$$Undo001.bmp", "$$Undo002.bmp", "$$Undo005.bmp"})
    ASSERT_TRUE(imaging::codecs::Save(stranger, (WorkFolder() + name).toStdString(), opt).ok());
  QFile keep(WorkFolder() + "keep.bmp");
  ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
  keep.close();

  Load(Pattern(64, 48));
  const QImage original = Shown();
  // Nothing to undo yet, whatever lies in the folder.
  EXPECT_FALSE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), original);
  EXPECT_EQ(pic_->UndoCount(), 0);

  ASSERT_TRUE(InvertEdit());
  const QImage inverted = Shown();
  ASSERT_TRUE(InvertEdit());
  ASSERT_TRUE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), inverted);
  ASSERT_TRUE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), original);
  EXPECT_FALSE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), original);

  // Disconnecting deletes every work file, and only those.
  pic_->cOff();
  EXPECT_TRUE(QDir(work_.path()).entryList({"$$*"}, QDir::Files | QDir::Hidden).isEmpty());
  EXPECT_TRUE(QFileInfo::exists(work_.path() + "/keep.bmp"));
  EXPECT_EQ(pic_->UndoCount(), 0);
  EXPECT_TRUE(pic_->WorkFolder().isEmpty());
}

TEST_F(UndoTest, NewHistoryAfterLoadOverwritesOldSteps) {
  Load(Pattern(30, 30));
  ASSERT_TRUE(InvertEdit());
  ASSERT_TRUE(InvertEdit());
  ASSERT_TRUE(InvertEdit());
  Load(Pattern(40, 20));
  EXPECT_EQ(pic_->UndoCount(), 0);
  const QImage fresh = Shown();
  ASSERT_TRUE(InvertEdit());
  EXPECT_EQ(pic_->UndoCount(), 1);
  ASSERT_TRUE(pic_->UndoOneStep());
  EXPECT_EQ(Shown(), fresh);
}

TEST_F(UndoTest, DisconnectWithoutFilesIsQuiet) {
  pic_->cOff();
  EXPECT_TRUE(prompt_.shown().empty());
  EXPECT_TRUE(pic_->WorkFolder().isEmpty());
  EXPECT_EQ(pic_->RegionX(), (std::array<int32_t, 4>{}));
}

}  // namespace
}  // namespace ruvel

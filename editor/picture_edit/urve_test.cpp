#include "editor/picture_edit/urve.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "editor/picture_edit/urve_test_support.h"
#include "editor/shell/usr.h"
#include "imaging/codecs/codec.h"
#include "platform/busy.h"

namespace ruvel {
namespace {

using testing::ControlFixture;
using testing::EventLog;
using testing::Pattern;

TEST(DepthCode, CodesAndMembership) {
  EXPECT_EQ(DepthCodeOf(24, false), "24.");
  EXPECT_EQ(DepthCodeOf(8, true), "80.");
  EXPECT_EQ(DepthCodeOf(4, true), "40.");
  EXPECT_EQ(DepthCodeOf(8, false), "8.");
  EXPECT_EQ(DepthCodeOf(1, true), "1.");
  EXPECT_EQ(DepthCodeOf(32, true), "32.");
  EXPECT_TRUE(DepthCodeIn("24.", ".80.16.24.32."));
  EXPECT_TRUE(DepthCodeIn("80.", ".80.16.24.32."));
  // The leading point keeps 4 from matching 40 and 8 from matching 80.
  EXPECT_FALSE(DepthCodeIn("4.", ".40.16."));
  EXPECT_FALSE(DepthCodeIn("8.", ".80.16."));
  EXPECT_FALSE(DepthCodeIn("", ".80.16."));
}

TEST(DepthCode, ThousandsAndViewWords) {
  EXPECT_EQ(FormatThousands(0), "");
  EXPECT_EQ(FormatThousands(999), "999");
  EXPECT_EQ(FormatThousands(1000), "1,000");
  EXPECT_EQ(FormatThousands(16777216), "16,777,216");
  EXPECT_EQ(ViewWordOf(1), "ｽｹｰﾙ");
  EXPECT_EQ(ViewWordOf(5), "縦合わせ");
  EXPECT_EQ(ViewWordOf(6), "");
}

class ControlTest : public ControlFixture {};

TEST_F(ControlTest, StartValuesAndGetPramAfterCreation) {
  uRvE fresh;
  EXPECT_EQ(fresh.EditState(), "");
  EXPECT_EQ(fresh.UndoCount(), 0);
  EXPECT_EQ(fresh.ViewMode(), 0);
  EXPECT_FALSE(fresh.Initialising());
  EXPECT_TRUE(fresh.ExtensionList().isEmpty());
  int16_t quality = -1, update = -1, mouse = -1;
  QString word = "x", ext = "x";
  fresh.GetPram(&quality, &update, &word, &mouse, &ext);
  EXPECT_EQ(quality, 85);
  EXPECT_EQ(word, "ｽｹｰﾙ");
  EXPECT_EQ(update, 0);
  EXPECT_EQ(mouse, 0);
  EXPECT_EQ(ext, "");
  EXPECT_EQ(pic_->ExtensionList(), kExtensionList);
  EXPECT_EQ(pic_->WorkFolder(), WorkFolder());
}

TEST_F(ControlTest, SetPramThenGetPram) {
  Load(Pattern(200, 100));
  pic_->SetPram(0, 2, QStringLiteral("実寸"), 2, "PNG");
  EXPECT_EQ(pic_->JpegQuality(), 85);
  EXPECT_EQ(pic_->ViewMode(), 3);
  EXPECT_DOUBLE_EQ(pic_->Seam().mvImg().ZoomX(), 1.0);
  int16_t quality = 0, update = 0, mouse = 0;
  QString word, ext;
  pic_->GetPram(&quality, &update, &word, &mouse, &ext);
  EXPECT_EQ(quality, 85);
  EXPECT_EQ(update, 2);
  EXPECT_EQ(word, "実寸");
  EXPECT_EQ(mouse, 2);
  EXPECT_EQ(ext, "png");
  // The mouse mode is only stored; the control's drag stays as it was.
  EXPECT_TRUE(pic_->Seam().mvImg().RectSelect());

  pic_->SetPram(70, 1, QStringLiteral("横合わせ"), 0, "jpg");
  pic_->GetPram(&quality, &update, &word, &mouse, &ext);
  EXPECT_EQ(quality, 70);
  EXPECT_EQ(word, "横合わせ");
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(ControlTest, BadViewWordsAreReported) {
  pic_->SetPram(90, 0, QStringLiteral("ｽﾄﾚｯﾁ"), 0, "");
  pic_->SetPram(90, 0, QStringLiteral("巨大"), 0, "");
  EXPECT_EQ(prompt_.texts(), std::vector<QString>({"Err pcView"}));
  EXPECT_EQ(pic_->ViewMode(), 2);
  // The stored mode never leaves 1..5, so reading it back needs no box.
  prompt_.Clear();
  QString word = "unchanged";
  int16_t quality = 0;
  pic_->GetPram(&quality, nullptr, &word, nullptr, nullptr);
  EXPECT_TRUE(prompt_.shown().empty());
  EXPECT_EQ(word, QStringLiteral("ｽﾄﾚｯﾁ"));
  EXPECT_EQ(quality, 90);
}

TEST_F(ControlTest, MenuStateWithoutPicture) {
  // Changes and undo steps, then the picture dropped.
  Load(Pattern(20, 20));
  ASSERT_TRUE(InvertEdit());
  ASSERT_TRUE(InvertEdit());
  pic_->pcAct(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("初期化"));
  pic_->SetEditState(kStateEdited);
  ASSERT_EQ(pic_->UndoCount(), 2);
  MenuState s = pic_->GtMnState();
  EXPECT_FALSE(s.picture);
  EXPECT_FALSE(s.changed);
  EXPECT_FALSE(s.selection);
  EXPECT_FALSE(s.undo);
}

TEST_F(ControlTest, MenuStateWithPicture) {
  Load(Pattern(120, 90, 8, true));
  bool picture = false, changed = true, selection = true, undo = true, pan = true, toolbar = true;
  int16_t depth = 0;
  pic_->GtMnState(&picture, &changed, &selection, &undo, &depth, &pan, &toolbar);
  EXPECT_TRUE(picture);
  EXPECT_FALSE(changed);
  EXPECT_FALSE(selection);
  EXPECT_FALSE(undo);
  EXPECT_EQ(depth, 80);
  EXPECT_FALSE(pan);
  EXPECT_FALSE(toolbar);

  ASSERT_TRUE(pic_->SaveUndoStep());
  pic_->SetEditState(kStateEdited);
  pic_->SetRect(30, 20);
  pic_->SetView(QStringLiteral("実寸"), 2.0);
  const MenuState s = pic_->GtMnState();
  EXPECT_TRUE(s.changed);
  EXPECT_TRUE(s.selection);
  EXPECT_TRUE(s.undo);
  EXPECT_TRUE(s.panAllowed);
}

TEST_F(ControlTest, PictureInformationAndEventOrder) {
  EventLog log(pic_);
  std::vector<QString> infos;
  QObject::connect(pic_, &uRvE::eStPcTyp, pic_, [&](const QString&, const QString&, const QString& i) { infos.push_back(i); });
  imaging::Image img = Pattern(100, 50);
  img.set_dpi(300, 150);
  Load(img);
  EXPECT_EQ(log.events, QStringList({"eEdtMode(読込)", "eStPcTyp(,24.)"}));
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0], "ｲﾒｰｼﾞｻｲｽﾞ:15,000  色数:16,777,216 (24bit)");
  EXPECT_EQ(pic_->DpiX(), 300);
  EXPECT_EQ(pic_->DpiY(), 150);
  EXPECT_FLOAT_EQ(pic_->PictureWidth(), 100);
  EXPECT_FLOAT_EQ(pic_->PictureHeight(), 50);

  // After a snapshot the info reports the snapshot file's size.
  ASSERT_TRUE(pic_->SaveUndoStep());
  pic_->RefreshInfo();
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_TRUE(infos[1].startsWith("ｲﾒｰｼﾞｻｲｽﾞ:15,000  色数:16,777,216 (24bit)  ﾌｧｲﾙｻｲｽﾞ: "));

  log.events.clear();
  pic_->SetDpi(96);
  EXPECT_EQ(log.events, QStringList({"eEdtMode(編集)"}));
  pic_->RefreshInfo();
  EXPECT_EQ(pic_->DpiX(), 96);
  EXPECT_TRUE(pic_->LastOk());
}

TEST_F(ControlTest, PictureWithoutResolutionReads72) {
  Load(Pattern(10, 10, 4, true));
  EXPECT_EQ(pic_->DpiX(), 72);
  EXPECT_EQ(pic_->DpiY(), 72);
  EXPECT_EQ(pic_->DepthCode(), "40.");
}

TEST_F(ControlTest, EditStateWords) {
  Load(Pattern(20, 20));
  ASSERT_TRUE(InvertEdit());
  ASSERT_TRUE(InvertEdit());
  EventLog log(pic_);
  pic_->pcAct(QStringLiteral("編集状態"), QStringLiteral("初期"));
  EXPECT_EQ(pic_->EditState(), kStateInitial);
  EXPECT_EQ(pic_->UndoCount(), 2);
  pic_->SetEditState(kStateEdited);
  EXPECT_TRUE(pic_->Edited());
  pic_->SetEditState(kStateLoaded);
  EXPECT_FALSE(pic_->Edited());
  EXPECT_EQ(pic_->UndoCount(), 0);
  EXPECT_FALSE(pic_->ToolbarEdited());
  EXPECT_EQ(log.events, QStringList({"eEdtMode(初期)", "eEdtMode(編集)", "eEdtMode(読込)"}));
}

TEST_F(ControlTest, WritingDispImageZeroChangesNothing) {
  EventLog log(pic_);
  pic_->setDispImage(0);
  EXPECT_EQ(pic_->DispImage(), 0);
  EXPECT_TRUE(log.events.isEmpty());
}

TEST_F(ControlTest, SizingNeedsRoomAndStarts) {
  Usr().Started = true;
  QWidget host;
  host.resize(400, 300);
  auto* pic = new uRvE(&host);
  EXPECT_TRUE(pic->Initialising());
  pic->setGeometry(0, 0, 80, 300);
  host.show();
  QApplication::processEvents();
  const QRect before = pic->GetObject()->geometry();
  pic->StSize();
  EXPECT_EQ(pic->GetObject()->geometry(), before);
  EXPECT_TRUE(pic->Initialising());
  pic->setGeometry(0, 0, 300, 200);
  pic->StSize();
  EXPECT_EQ(pic->GetObject()->geometry(), QRect(0, 0, 300, 200));
  EXPECT_FALSE(pic->Initialising());
  // Once sized, resizing follows by itself.
  pic->resize(350, 250);
  QApplication::processEvents();
  EXPECT_EQ(pic->GetObject()->geometry(), QRect(0, 0, 350, 250));
}

TEST_F(ControlTest, RightClickAsksForThePopupMenu) {
  EventLog log(pic_);
  MvInstance& mv = pic_->Seam().mvImg();
  Load(Pattern(100, 80));
  log.events.clear();
  emit mv.ImageClick(2);
  emit mv.ImageClick(1);
  EXPECT_EQ(log.events, QStringList({"ePopUp"}));
  pic_->SetEditState(kStateInitial);
  log.events.clear();
  emit mv.ImageClick(2);
  EXPECT_TRUE(log.events.isEmpty());
}

TEST_F(ControlTest, ZoomModeClicks) {
  Load(Pattern(100, 80));
  pic_->pcAct(QStringLiteral("ﾏｳｽﾄﾞﾗｯｸﾞ"), QStringLiteral("拡大縮小"));
  EXPECT_EQ(pic_->MouseMode(), 2);
  EXPECT_EQ(pic_->ViewMode(), 3);
  MvInstance& mv = pic_->Seam().mvImg();
  ASSERT_DOUBLE_EQ(mv.ZoomX(), 1.0);
  EventLog log(pic_);
  emit mv.ImageClick(1);
  EXPECT_NEAR(mv.ZoomX(), 1.1, 1e-9);
  EXPECT_NEAR(mv.ZoomY(), 1.1, 1e-9);
  emit mv.ImageClick(2);
  EXPECT_NEAR(mv.ZoomX(), 1.0, 1e-9);
  // In zoom mode the right button does not open the popup menu.
  EXPECT_TRUE(log.events.isEmpty());
}

TEST_F(ControlTest, RangeToolDrawsAtActualSizeKeepingTheViewWord) {
  Load(Pattern(100, 80));
  pic_->SetView(QStringLiteral("ｽｹｰﾙ"));
  pic_->Seam().SetLogging(true);
  emit pic_->Seam().mvImg().ToolSelected(1);
  EXPECT_TRUE(pic_->Seam().calls().contains("DrawImage(3)"));
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  EXPECT_EQ(pic_->CurrentTool(), 1);
  QString word;
  pic_->GetPram(nullptr, nullptr, &word, nullptr, nullptr);
  EXPECT_EQ(word, "ｽｹｰﾙ");
}

TEST_F(ControlTest, ToolbarOnAndOff) {
  Load(Pattern(100, 80));
  pic_->SetRect(20, 20);
  EventLog log(pic_);
  pic_->SetToolbar(true);
  EXPECT_TRUE(pic_->ToolbarShown());
  EXPECT_TRUE(pic_->PopupMenu().toolbarChecked);
  EXPECT_TRUE(pic_->Seam().mvImg().ToolbarShown());
  // Opening the toolbar drops the selection.
  EXPECT_EQ(pic_->Seam().mvImg().RangeRight(), 0);
  EXPECT_TRUE(pic_->GtMnState().toolbar);

  pic_->Seam().mvImg().SetRectSelect(false);
  pic_->Seam().mvImg().ToolbarSelectTool(4);
  EXPECT_EQ(pic_->CurrentTool(), 4);
  pic_->SetToolbar(false);
  // Choosing a tool counts as an edit.
  EXPECT_EQ(log.events, QStringList({"eShwTBar(1)", "eEdtMode(編集)", "eShwTBar(0)"}));
  EXPECT_FALSE(pic_->Seam().mvImg().ToolbarShown());
  EXPECT_FALSE(pic_->PopupMenu().toolbarChecked);
  EXPECT_EQ(pic_->CurrentTool(), 0);
  EXPECT_TRUE(pic_->Seam().mvImg().RectSelect());
  // Hiding keeps the drawing as an undo step.
  EXPECT_EQ(pic_->UndoCount(), 1);
}

TEST_F(ControlTest, ClosingTheToolbarWindowSwitchesItOff) {
  Load(Pattern(100, 80));
  pic_->SetToolbar(true);
  EventLog log(pic_);
  pic_->Seam().mvImg().ToolbarClose();
  EXPECT_FALSE(pic_->ToolbarShown());
  EXPECT_EQ(log.events, QStringList({"eShwTBar(0)"}));
}

TEST_F(ControlTest, FirstStrokeIsRecordedOnce) {
  Load(Pattern(100, 80));
  pic_->SetToolbar(true);
  emit pic_->Seam().mvImg().ToolSelected(3);
  ASSERT_EQ(pic_->CurrentTool(), 3);
  emit pic_->Seam().mvImg().ImageClick(1);
  EXPECT_TRUE(pic_->ToolbarEdited());
  EXPECT_EQ(pic_->UndoCount(), 1);
  emit pic_->Seam().mvImg().ImageClick(1);
  EXPECT_EQ(pic_->UndoCount(), 1);
  EXPECT_TRUE(pic_->GtMnState().changed);
}

TEST_F(ControlTest, StrokeWithoutSnapshotIsNotMade) {
  Load(Pattern(100, 80));
  pic_->SetToolbar(true);
  emit pic_->Seam().mvImg().ToolSelected(3);
  // The next snapshot's name is taken by a folder, so it cannot be written.
  ASSERT_TRUE(QDir().mkpath(WorkFolder() + "$$Undo001.bmp/x"));
  emit pic_->Seam().mvImg().ImageClick(1);
  EXPECT_FALSE(pic_->ToolbarEdited());
  EXPECT_EQ(pic_->UndoCount(), 0);
  EXPECT_EQ(pic_->CurrentTool(), 0);
}

TEST_F(ControlTest, BusyPointerFollowsTheControl) {
  pic_->BusyPointer(true);
  EXPECT_EQ(pic_->Seam().mvImg().PointerShape(), 14);
  EXPECT_TRUE(platform::IsBusyCursor());
  pic_->BusyPointer(false);
  EXPECT_EQ(pic_->Seam().mvImg().PointerShape(), 0);
  EXPECT_FALSE(platform::IsBusyCursor());
  // A save on the scratch instance shows the hourglass and takes it away.
  Load(Pattern(20, 20));
  MvInstance& scratch = pic_->Seam().mvImg2();
  ASSERT_TRUE(scratch.SetImageHandle(scratch.DuplicateImage(pic_->Seam().mvImg().ImageHandle())));
  bool busy_seen = false;
  QObject::connect(&scratch, &MvInstance::BusyBegin, pic_, [&] { busy_seen = platform::IsBusyCursor(); });
  scratch.SetFileName(WorkFolder() + "scratch.bmp");
  ASSERT_TRUE(scratch.SaveFile(1, scratch.ImageHandle()));
  EXPECT_TRUE(busy_seen);
  EXPECT_FALSE(platform::IsBusyCursor());
}

TEST_F(ControlTest, FailedCallKeepsItsCodeThroughTheBusyPointer) {
  Load(Pattern(20, 20, 8));
  MvInstance& mv = pic_->Seam().mvImg();
  // Colour work refuses palette pictures; the busy pointer switched off in
  // the control's busy event must not wipe out the reason.
  EXPECT_FALSE(mv.AdjustBrightness(SeamCorners{}, 10, 10, 10));
  EXPECT_EQ(mv.ErrorCode(), 10);
  EXPECT_EQ(mv.PointerShape(), 0);
  EXPECT_FALSE(platform::IsBusyCursor());
}

TEST_F(ControlTest, ScannedPictureBecomesTheNewPicture) {
  Load(Pattern(30, 30));
  pic_->LoadFromFile("/p/old.jpg", false, true);
  pic_->setSComent("old");
  EventLog log(pic_);
  const imaging::MemHandle scanned = imaging::ImageToHandle(Pattern(64, 32));
  ASSERT_NE(scanned, 0u);
  emit pic_->Seam().mvImg().ImageAcquired(scanned);
  EXPECT_EQ(log.events, QStringList({"eStFile()", "eEdtMode(読込)", "eStPcTyp(,24.)"}));
  EXPECT_EQ(pic_->prFile(), "");
  EXPECT_EQ(pic_->sComent(), "");
  EXPECT_EQ(pic_->InfoFile(), "");
  EXPECT_FLOAT_EQ(pic_->PictureWidth(), 64);
  // The scanner's handle stays the scanner's.
  EXPECT_NE(static_cast<imaging::MemHandle>(pic_->GetHndle()), scanned);
  EXPECT_TRUE(imaging::MemFree(scanned));

  // A handle without a picture is reported and changes nothing.
  log.events.clear();
  const int32_t held = pic_->GetHndle();
  emit pic_->Seam().mvImg().ImageAcquired(0x7FFFFFF0);
  EXPECT_TRUE(log.events.isEmpty());
  EXPECT_EQ(pic_->GetHndle(), held);
  EXPECT_EQ(prompt_.texts(), std::vector<QString>({"ｲﾒｰｼﾞが不正です"}));
}

TEST_F(ControlTest, DroppedFilesOpenByExtension) {
  imaging::codecs::SaveOptions opt;
  opt.type = imaging::codecs::SaveType::kJpeg;
  const QString jpg = WorkFolder() + "dropped.jpg";
  ASSERT_TRUE(imaging::codecs::Save(Pattern(48, 40), jpg.toStdString(), opt).ok());
  const QString txt = WorkFolder() + "notes.txt";
  ASSERT_TRUE(QFile::copy(jpg, txt));
  emit pic_->Seam().mvImg().FileDropped(txt);
  EXPECT_EQ(pic_->GetHndle(), 0);
  EXPECT_EQ(pic_->prFile(), "");
  emit pic_->Seam().mvImg().FileDropped(jpg);
  EXPECT_EQ(pic_->prFile(), jpg);
  EXPECT_NE(pic_->GetHndle(), 0);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
}

TEST_F(ControlTest, PanWindowCheckMarkFollowsTheWindow) {
  Load(Pattern(1200, 900));
  pic_->SetView(QStringLiteral("実寸"), 1.0);
  pic_->pcAct(QStringLiteral("ﾊﾟﾝｳｨﾝﾄﾞｳ"), QStringLiteral("表示"));
  QApplication::processEvents();
  EXPECT_TRUE(pic_->Seam().mvImg().PanShown());
  EXPECT_TRUE(pic_->PopupMenu().panWindowChecked);
  // Modes that show the whole picture hide it.
  pic_->SetView(QStringLiteral("ｽｹｰﾙ"));
  QApplication::processEvents();
  EXPECT_FALSE(pic_->Seam().mvImg().PanShown());
  EXPECT_FALSE(pic_->PopupMenu().panWindowChecked);
}

}  // namespace
}  // namespace ruvel

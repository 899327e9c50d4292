#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QInputDialog>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "editor/picture_edit/testing/urve_file_test.h"

namespace ruvel {
namespace {

using ::testing::ElementsAre;
using platform::PromptAnswer;
using testing::Pattern;
using testing::ReadAll;

class OpenSave : public testing::UrveFileTest {
 protected:
  void SetUp() override {
    UrveFileTest::SetUp();
    if (HasFatalFailure()) return;
    QObject::connect(pic_.get(), &uRvE::eStFile, [this](const QString& f) { files_ << f; });
    QObject::connect(pic_.get(), &uRvE::eEdtMode, [this](const QString& s) { states_ << s; });
    QObject::connect(pic_.get(), &uRvE::eChkFld, [this] { ++folder_checks_; });
    QObject::connect(pic_.get(), &uRvE::eAskPcPh, [this](QString* folder) {
      ++folder_asks_;
      *folder = root_ + "pics/";
    });
  }
  void TearDown() override {
    // Put permissions back so the temporary folder can be removed.
    for (const QString& p : locked_) ::chmod(QFile::encodeName(p).constData(), 0755);
    UrveFileTest::TearDown();
  }

  // Writes `img` with our own encoder through the scratch instance.
  void WritePicture(const QString& path, const QImage& img, int type) {
    MvInstance& scratch = pic_->Seam().mvImg2();
    ASSERT_TRUE(scratch.SetPicture(img));
    scratch.SetFileName(path);
    ASSERT_TRUE(scratch.SaveFile(type, scratch.ImageHandle())) << scratch.ErrorCode();
  }
  // Decodes a file apart from the control's picture.
  QImage Decode(const QString& path, int* bits = nullptr) {
    MvInstance& scratch = pic_->Seam().mvImg2();
    scratch.SetFileName(path);
    if (!scratch.LoadFile(0) || !scratch.FinishLoad()) return QImage();
    scratch.ReadImageInfo();
    if (bits) *bits = scratch.BitCount();
    return scratch.Picture();
  }
  void Open(const QString& path) {
    QString file = path;
    pic_->pcOpen(0, file, false);
    ASSERT_EQ(pic_->prFile(), path);
  }
  // An edit as the dispatcher makes it: snapshot first, then the change.
  void Edit() {
    ASSERT_TRUE(pic_->SaveUndoStep());
    QImage img = Held();
    img.invertPixels();
    ASSERT_TRUE(pic_->Seam().mvImg().SetPicture(img));
    pic_->SetEditState(kStateEdited);
  }
  void Lock(const QString& path, mode_t mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
    locked_ << path;
  }
  void ClearSaveExtension() {
    int16_t quality = 0, update = 0, mouse = 0;
    QString word, ext;
    pic_->GetPram(&quality, &update, &word, &mouse, &ext);
    pic_->SetPram(quality, update, word, mouse, QString());
  }
  QStringList LeftoverTemps(const QString& folder) {
    return QDir(folder).entryList({".osmund-save-*"}, QDir::Files | QDir::Hidden);
  }

  QStringList files_, states_, locked_;
  int folder_checks_ = 0;
  int folder_asks_ = 0;
};

TEST_F(OpenSave, CommandLineOpenThenSaveAsNewNameRoundTrip) {
  const QImage original = Pattern(13, 7);
  const QString in = root_ + "pics/in.png";
  WritePicture(in, original, 12);

  QString file = in;
  pic_->pcOpen(1, file, false);
  EXPECT_EQ(pic_->prFile(), in);
  EXPECT_EQ(pic_->InfoFile(), in);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_EQ(pic_->DepthCode(), QString("24."));
  EXPECT_THAT(files_, ElementsAre(in));
  EXPECT_EQ(Held(), original);

  Edit();
  const QImage edited = Held();
  QString out = root_ + "pics/out.BMP";
  pic_->pcSaveAs(out, false, false);
  const QString written = root_ + "pics/out.bmp";
  EXPECT_TRUE(QFileInfo(written).isFile());
  EXPECT_EQ(Decode(written).convertToFormat(QImage::Format_RGB32), edited);
  // The saved file is now the picture, unchanged, with a fresh history.
  EXPECT_EQ(pic_->prFile(), written);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_EQ(pic_->UndoCount(), 0);
  EXPECT_EQ(pic_->SaveExtension(), QString("bmp"));
  EXPECT_EQ(pic_->LastSaveFolder(), root_ + "pics");
  EXPECT_EQ(Usr().PictureFolder, root_ + "pics/");
  EXPECT_EQ(files_.last(), written);
  EXPECT_EQ(folder_checks_, 1);
  EXPECT_TRUE(prompt_.shown().empty());
  // The original file was not touched.
  EXPECT_EQ(Decode(in).convertToFormat(QImage::Format_RGB32), original);
}

TEST_F(OpenSave, OverwriteKeepsCommentAndLowerCasesTheExtension) {
  const QString in = root_ + "pics/b.JPG";
  WritePicture(in, Pattern(16, 16), 2);
  Open(in);
  pic_->setSComent(QStringLiteral("夕焼け"));
  Edit();
  QString none;
  EXPECT_TRUE(pic_->SaveCore(0, none, false, false));
  EXPECT_EQ(pic_->prFile(), root_ + "pics/b.jpg");
  EXPECT_TRUE(QFileInfo(root_ + "pics/b.jpg").isFile());
  EXPECT_EQ(pic_->LastSaveFolder(), root_ + "pics");
  EXPECT_EQ(pic_->sComent(), QStringLiteral("夕焼け"));
  EXPECT_TRUE(LeftoverTemps(root_ + "pics").isEmpty());
}

TEST_F(OpenSave, NameWithoutExtension) {
  WritePicture(root_ + "pics/a.png", Pattern(5, 5), 12);
  Open(root_ + "pics/a.png");
  QString name = root_ + "pics/first.png";
  pic_->pcSaveAs(name, false, false);
  name = root_ + "pics/photo";
  pic_->pcSaveAs(name, false, false);
  EXPECT_TRUE(QFileInfo(root_ + "pics/photo.png").isFile());
  EXPECT_THAT(prompt_.texts(), ElementsAre(QStringLiteral("拡張子が指定されなかったので､pngを使用しました")));

  ClearSaveExtension();
  prompt_.Clear();
  name = root_ + "pics/plain";
  pic_->pcSaveAs(name, false, false);
  EXPECT_TRUE(QFileInfo(root_ + "pics/plain.bmp").isFile());
  EXPECT_THAT(prompt_.texts(), ElementsAre(QStringLiteral("拡張子が指定されなかったので､bmpを使用しました")));
}

TEST_F(OpenSave, SaveDialogNamesAndCancel) {
  WritePicture(root_ + "pics/a.png", Pattern(5, 5), 12);
  Open(root_ + "pics/a.png");
  // Cancelled: nothing written, no message, the name comes back empty.
  QString name = root_ + "pics/proposed.jpg";
  dialog_.QueueCancel();
  pic_->pcSaveAs(name, false, true);
  EXPECT_EQ(name, QString());
  EXPECT_TRUE(prompt_.shown().empty());
  EXPECT_EQ(pic_->prFile(), root_ + "pics/a.png");

  // Chosen: the name is returned; without an extension the dialog's default is jpg.
  ClearSaveExtension();
  name = root_ + "pics/proposed.jpg";
  dialog_.QueueAccept(root_ + "pics/chosen");
  pic_->pcSaveAs(name, false, true);
  EXPECT_EQ(name, root_ + "pics/chosen");
  EXPECT_TRUE(QFileInfo(root_ + "pics/chosen.jpg").isFile());
  ASSERT_EQ(dialog_.requests().size(), 2u);
  EXPECT_EQ(dialog_.requests()[1].file_name, root_ + "pics/proposed.jpg");
  // The remembered folder is where the dialog starts; the host was asked once.
  EXPECT_EQ(dialog_.requests()[1].start_folder, root_ + "pics/");
  EXPECT_EQ(folder_asks_, 2);
  dialog_.QueueCancel();
  QString empty;
  EXPECT_FALSE(pic_->SaveCore(1, empty, false, false));
  EXPECT_EQ(dialog_.requests().back().start_folder, root_ + "pics");
  EXPECT_EQ(folder_asks_, 2);
}

TEST_F(OpenSave, DepthIsConvertedOnACopy) {
  Usr().Started = false;  // no reload after the save: the held picture stays visible
  ASSERT_TRUE(pic_->Seam().mvImg().SetPicture(Pattern(8, 8, QImage::Format_ARGB32)));
  pic_->RefreshInfo();
  ASSERT_EQ(pic_->DepthCode(), QString("32."));

  int bits = 0;
  QString name = root_ + "pics/deep.png";
  pic_->pcSaveAs(name, false, false);
  ASSERT_FALSE(Decode(root_ + "pics/deep.png", &bits).isNull());
  EXPECT_EQ(bits, 24);
  name = root_ + "pics/few.gif";
  pic_->pcSaveAs(name, false, false);
  ASSERT_FALSE(Decode(root_ + "pics/few.gif", &bits).isNull());
  EXPECT_EQ(bits, 8);
  pic_->Seam().mvImg().ReadImageInfo();
  EXPECT_EQ(pic_->Seam().mvImg().BitCount(), 32);

  // 256 greys go to jpg as they are.
  QImage grey(8, 8, QImage::Format_Indexed8);
  QList<QRgb> greys;
  for (int i = 0; i < 256; ++i) greys << qRgb(i, i, i);
  grey.setColorTable(greys);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) grey.setPixel(x, y, static_cast<uint>(x * 30 + y));
  ASSERT_TRUE(pic_->Seam().mvImg().SetPicture(grey));
  pic_->RefreshInfo();
  ASSERT_EQ(pic_->DepthCode(), QString("80."));
  name = root_ + "pics/grey.jpg";
  pic_->pcSaveAs(name, false, false);
  ASSERT_FALSE(Decode(root_ + "pics/grey.jpg", &bits).isNull());
  EXPECT_EQ(bits, 8);
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(OpenSave, FailedSavesKeepFilePictureStateAndHistory) {
  const QString path = root_ + "pics/keep.png";
  WritePicture(path, Pattern(10, 6), 12);
  const QByteArray on_disk = ReadAll(path);
  Open(path);
  Edit();
  const QImage edited = Held();
  ASSERT_TRUE(QDir().mkpath(root_ + "locked"));
  Lock(root_ + "locked", 0555);

  struct Case {
    QString name;
    QString message;
  } cases[] = {
      {root_ + "missing/out.png", QStringLiteral("ﾌｧｲﾙが作成できません")},
      {root_ + "locked/out.jpg", QStringLiteral("ﾌｧｲﾙが作成できません")},
      {root_ + "pics/keep.png/inside.png", QStringLiteral("ﾌｧｲﾙが作成できません")},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    prompt_.Clear();
    pic_->pcSaveAs(c.name, false, false);
    EXPECT_THAT(prompt_.texts(), ElementsAre(c.message));
    EXPECT_FALSE(QFileInfo::exists(c.name));
    EXPECT_EQ(pic_->prFile(), path);
    EXPECT_EQ(pic_->EditState(), kStateEdited);
    EXPECT_EQ(pic_->UndoCount(), 1);
    EXPECT_TRUE(QFileInfo(pic_->UndoFileName(1)).isFile());
    EXPECT_EQ(Held(), edited);
  }
  EXPECT_TRUE(LeftoverTemps(root_ + "locked").isEmpty());

  // Overwriting a read-only file is refused and the file stays as it was.
  Lock(path, 0444);
  prompt_.Clear();
  QString none;
  EXPECT_FALSE(pic_->SaveCore(0, none, false, false));
  EXPECT_THAT(prompt_.texts(), ElementsAre(QStringLiteral("ﾌｧｲﾙが書き込みできません")));
  EXPECT_EQ(ReadAll(path), on_disk);
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  EXPECT_EQ(pic_->UndoCount(), 1);
  EXPECT_EQ(Held(), edited);
  EXPECT_TRUE(LeftoverTemps(root_ + "pics").isEmpty());

  // Undo still reaches the picture as it was loaded.
  EXPECT_TRUE(pic_->UndoOneStep());
  EXPECT_EQ(Held(), Pattern(10, 6));
}

TEST_F(OpenSave, FullDiskKeepsTheOldFile) {
  // A file-size limit makes every write past it fail as on a full disk.
  const QString path = root_ + "pics/big.bmp";
  WritePicture(path, Pattern(4, 4), 1);
  const QByteArray on_disk = ReadAll(path);
  Open(path);
  QImage noise(300, 300, QImage::Format_RGB32);
  uint32_t seed = 12345;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 300; ++x) noise.setPixel(x, y, 0xFF000000u | ((seed = seed * 1664525u + 1013904223u) >> 8));
  ASSERT_TRUE(pic_->Seam().mvImg().SetPicture(noise));
  pic_->SetEditState(kStateEdited);
  const QImage edited = Held();

  struct rlimit kept {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &kept), 0);
  void (*old_handler)(int) = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = kept;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  QString none;
  const bool saved = pic_->SaveCore(0, none, false, false);
  QString other = root_ + "pics/other.png";
  pic_->pcSaveAs(other, false, false);
  ::setrlimit(RLIMIT_FSIZE, &kept);
  ::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(saved);
  EXPECT_THAT(prompt_.texts(), ElementsAre(QStringLiteral("ﾌｧｲﾙが書き込みできません"),
                                           QStringLiteral("ﾌｧｲﾙが書き込みできません")));
  EXPECT_EQ(ReadAll(path), on_disk);
  EXPECT_FALSE(QFileInfo::exists(other));
  EXPECT_TRUE(LeftoverTemps(root_ + "pics").isEmpty());
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  EXPECT_EQ(Held(), edited);
}

TEST_F(OpenSave, CheckSaveByUpdateMode) {
  const QString path = root_ + "pics/q.png";
  WritePicture(path, Pattern(6, 6), 12);
  Open(path);

  // Nothing changed: no question.
  EXPECT_EQ(pic_->vCheckSave(), 0);
  EXPECT_TRUE(prompt_.shown().empty());

  Edit();
  prompt_.QueueAnswer(PromptAnswer::kCancel);
  EXPECT_EQ(pic_->vCheckSave(), 2);
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  ASSERT_EQ(prompt_.shown().size(), 1u);
  EXPECT_EQ(prompt_.shown()[0].text, QStringLiteral("現在の画像の変更を保存しますか"));
  EXPECT_EQ(prompt_.shown()[0].buttons, platform::PromptButtons::kYesNoCancel);

  // No: the state word becomes "読込" without an event or a new history.
  states_.clear();
  prompt_.QueueAnswer(PromptAnswer::kNo);
  EXPECT_EQ(pic_->vCheckSave(), 7);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_TRUE(states_.isEmpty());
  EXPECT_EQ(pic_->UndoCount(), 1);

  // Mode 1 drops silently and leaves the state.
  pic_->SetEditState(kStateEdited);
  pic_->pcAct(QStringLiteral("編集更新"), QStringLiteral("確認無"));
  prompt_.Clear();
  EXPECT_EQ(pic_->vCheckSave(), 7);
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  EXPECT_TRUE(prompt_.shown().empty());

  // Mode 2 saves silently.
  const QImage edited = Held();
  pic_->pcAct(QStringLiteral("編集更新"), QStringLiteral("自動更新"));
  EXPECT_EQ(pic_->vCheckSave(), 6);
  EXPECT_TRUE(prompt_.shown().empty());
  EXPECT_EQ(Decode(path).convertToFormat(QImage::Format_RGB32), edited);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);

  // Yes with a save that fails keeps the changes: the answer is cancel.
  pic_->pcAct(QStringLiteral("編集更新"), QStringLiteral("確認有"));
  Edit();
  Lock(path, 0444);
  prompt_.QueueAnswer(PromptAnswer::kYes);
  EXPECT_EQ(pic_->vCheckSave(), 2);
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  EXPECT_THAT(prompt_.texts(), ElementsAre(QStringLiteral("現在の画像の変更を保存しますか"),
                                           QStringLiteral("ﾌｧｲﾙが書き込みできません")));
}

TEST_F(OpenSave, JpegQualityBox) {
  // Answers the box once it is up: the text typed, or a cancel for "".
  auto answer = [](const QString& text) {
    QTimer::singleShot(0, [text] {
      auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->windowTitle(), QStringLiteral("JPG"));
      EXPECT_EQ(box->labelText(), QStringLiteral("JPEGの品質(20~100)を入力"));
      if (text.isEmpty()) {
        box->reject();
      } else {
        box->setTextValue(text);
        box->accept();
      }
    });
  };
  answer("150");
  pic_->AskJpegQuality();
  EXPECT_EQ(pic_->JpegQuality(), 100);
  answer("5");
  pic_->AskJpegQuality();
  EXPECT_EQ(pic_->JpegQuality(), 20);
  answer("abc");
  pic_->AskJpegQuality();
  EXPECT_EQ(pic_->JpegQuality(), 20);
  answer("");
  pic_->AskJpegQuality();
  EXPECT_EQ(pic_->JpegQuality(), 20);
}

TEST_F(OpenSave, OverwriteWithoutAFileAsksForAName) {
  // Without a picture there is nothing to save and nothing to keep.
  pic_->SetEditState(kStateEdited);
  pic_->pcAct(QStringLiteral("編集更新"), QStringLiteral("自動更新"));
  EXPECT_EQ(pic_->vCheckSave(), 6);
  EXPECT_TRUE(dialog_.requests().empty());

  ASSERT_TRUE(pic_->Seam().mvImg().SetPicture(Pattern(4, 4)));
  pic_->SetEditState(kStateEdited);
  dialog_.QueueAccept(root_ + "pics/pasted.png");
  EXPECT_EQ(pic_->vCheckSave(), 6);
  EXPECT_TRUE(QFileInfo(root_ + "pics/pasted.png").isFile());
  EXPECT_EQ(pic_->prFile(), root_ + "pics/pasted.png");
  // Nothing is written next to the program under a bare ".bmp".
  EXPECT_FALSE(QFileInfo::exists(".bmp"));

  pic_->LoadFromFile(QString(), false, true);
  pic_->SetEditState(kStateEdited);
  EXPECT_EQ(pic_->vCheckSave(), 2);  // the dialog is cancelled
  EXPECT_EQ(pic_->EditState(), kStateEdited);
}

TEST_F(OpenSave, OpenRoutes) {
  const QString a = root_ + "pics/a.png";
  WritePicture(a, Pattern(6, 4), 12);
  Open(a);
  Edit();

  // Cancel at the question: nothing opens, the host hears the old name again.
  files_.clear();
  prompt_.QueueAnswer(PromptAnswer::kCancel);
  QString file;
  pic_->pcOpen(1, file, false);
  EXPECT_THAT(files_, ElementsAre(a));
  EXPECT_TRUE(dialog_.requests().empty());

  // The open dialog: title, filter, the host's folder; cancel changes nothing.
  prompt_.QueueAnswer(PromptAnswer::kNo);
  dialog_.QueueCancel();
  pic_->pcOpen(1, file, false);
  ASSERT_EQ(dialog_.requests().size(), 1u);
  EXPECT_EQ(dialog_.requests()[0].title, QStringLiteral("画像ﾌｧｲﾙを開く"));
  EXPECT_EQ(dialog_.requests()[0].filter,
            QStringLiteral("画像ﾌｧｲﾙ|*.BMP;*.JPG;*.JPEG;*.TIF;*.PCX;*.FPX;*.PNG;*.GIF;*.JP2;*.JPC;*.J2K|"));
  EXPECT_EQ(dialog_.requests()[0].start_folder, root_ + "pics/");
  EXPECT_EQ(file, QString());
  EXPECT_EQ(pic_->prFile(), a);

  const QString b = root_ + "pics/b.bmp";
  WritePicture(b, Pattern(3, 5), 1);
  dialog_.QueueAccept(b);
  pic_->pcOpen(0, file, true);
  EXPECT_EQ(file, b);
  EXPECT_EQ(pic_->prFile(), b);
  EXPECT_EQ(files_.last(), a);  // no-event: eStFile is not raised
  EXPECT_EQ(Held(), Pattern(3, 5));
}

TEST_F(OpenSave, FilesThatDoNotOpenChangeNothing) {
  const QString a = root_ + "pics/a.png";
  WritePicture(a, Pattern(6, 4), 12);
  Open(a);
  Edit();
  const QImage edited = Held();
  files_.clear();

  QString missing = root_ + "pics/gone.png";
  pic_->pcOpen(0, missing, false);
  EXPECT_TRUE(prompt_.shown().empty());

  const QString junk = root_ + "pics/junk.png";
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("not a picture at all");
  f.close();
  QString file = junk;
  pic_->pcOpen(0, file, false);
  EXPECT_THAT(prompt_.texts(), ElementsAre(QStringLiteral("ﾌｧｲﾙが不正です")));

  for (const char* name : {"x.emf", "x.EMF"}) {
    const QString vec = root_ + "pics/" + name;
    QFile v(vec);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly));
    v.write("vector");
    v.close();
    prompt_.Clear();
    file = vec;
    pic_->pcOpen(0, file, false);
    // Not a metafile inside: refused as a bad file before the viewer opens.
    EXPECT_THAT(prompt_.texts(), ElementsAre(QStringLiteral("ﾌｧｲﾙが不正です"))) << name;
    EXPECT_FALSE(pic_->LastOk());
  }

  EXPECT_EQ(pic_->prFile(), a);
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  EXPECT_EQ(pic_->UndoCount(), 1);
  EXPECT_EQ(Held(), edited);
  EXPECT_TRUE(files_.isEmpty());
}

TEST_F(OpenSave, CopyAsNew) {
  const QString a = root_ + "pics/a.png";
  WritePicture(a, Pattern(12, 10), 12);
  WritePicture(root_ + "pics/a~01.png", Pattern(2, 2), 12);
  Open(a);
  Edit();
  files_.clear();
  pic_->CopyAsNew();
  const QString copy = root_ + "pics/a~02.png";
  EXPECT_EQ(Decode(copy).convertToFormat(QImage::Format_RGB32), Held());
  EXPECT_THAT(files_, ElementsAre(copy));
  EXPECT_EQ(folder_checks_, 1);
  EXPECT_EQ(pic_->prFile(), a);
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  EXPECT_EQ(pic_->UndoCount(), 1);

  // With a selection only the selection is copied.
  MvInstance& mv = pic_->Seam().mvImg();
  mv.SetRangeLeft(2);
  mv.SetRangeTop(3);
  mv.SetRangeRight(6);
  mv.SetRangeBottom(7);
  ASSERT_TRUE(pic_->HasRange());
  pic_->CopyAsNew();
  const QImage part = Decode(root_ + "pics/a~03.png");
  EXPECT_EQ(part.size(), QSize(5, 5));
  EXPECT_EQ(part.convertToFormat(QImage::Format_RGB32), Held().copy(2, 3, 5, 5));
  EXPECT_TRUE(prompt_.shown().empty());

  // No current file, or a folder it cannot write into: the message, no events.
  files_.clear();
  pic_->LoadFromFile(QString(), false, true);
  pic_->CopyAsNew();
  EXPECT_THAT(prompt_.texts(), ElementsAre(QStringLiteral("複写して新規できませんでした")));
  pic_->LoadFromFile(root_ + "missing/a.png", false, true);
  prompt_.Clear();
  pic_->CopyAsNew();
  EXPECT_THAT(prompt_.texts(), ElementsAre(QStringLiteral("ﾌｧｲﾙが作成できません")));
  EXPECT_TRUE(files_.isEmpty());
}

TEST_F(OpenSave, NumberedSaves) {
  WritePicture(root_ + "pics/a.png", Pattern(4, 4), 12);
  Open(root_ + "pics/a.png");
  pic_->NumberedSave();
  EXPECT_TRUE(QFileInfo(root_ + "user/Temp/00000.bmp").isFile());
  WritePicture(root_ + "user/Temp/00003.bmp", Pattern(2, 2), 1);
  pic_->NumberedSave();
  EXPECT_TRUE(QFileInfo(root_ + "user/Temp/00004.bmp").isFile());
  EXPECT_EQ(pic_->prFile(), root_ + "user/Temp/00004.bmp");
  EXPECT_TRUE(prompt_.shown().empty());

  // Without the Temp folder: its not-found note, then the failed save.
  ASSERT_TRUE(QDir(root_ + "user/Temp").removeRecursively());
  pic_->NumberedSave();
  ASSERT_EQ(prompt_.shown().size(), 2u);
  EXPECT_TRUE(prompt_.shown()[0].text.endsWith(" Not Found"));
  EXPECT_EQ(prompt_.shown()[1].text, QStringLiteral("ﾌｧｲﾙが作成できません"));
  EXPECT_EQ(pic_->prFile(), root_ + "user/Temp/00004.bmp");
}

TEST_F(OpenSave, BlankPictureKeepsFileAndState) {
  WritePicture(root_ + "pics/a.png", Pattern(4, 4), 12);
  Open(root_ + "pics/a.png");
  pic_->Seam().mvImg().widget()->resize(200, 100);
  pic_->NewPicture();
  const QImage blank = Held();
  EXPECT_EQ(blank.size(), QSize(160, 80));
  EXPECT_EQ(blank.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(blank.pixel(159, 79), qRgb(255, 255, 255));
  EXPECT_EQ(pic_->prFile(), root_ + "pics/a.png");
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
}

}  // namespace
}  // namespace ruvel

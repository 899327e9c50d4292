// Exchanging pictures: the clipboard both ways, saving the clipboard's
// picture, converting files, screen captures through a stand-in screen,
// the print trim, the blank picture and the file details.  Files written
// are read back with Qt's own readers.
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <csignal>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "editor/picture_edit/dialog_seams.h"
#include "editor/picture_edit/urve.h"
#include "editor/picture_edit/urve_test_support.h"
#include "platform/clipboard.h"
#include "platform/screen.h"

namespace ruvel {
namespace {

using testing::ControlFixture;
using testing::EventLog;
using testing::Pattern;

QImage Rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

QImage Gradient(int w, int h, QImage::Format format = QImage::Format_RGB32) {
  QImage image(w, h, format);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb((x * 9) & 255, (y * 13) & 255, (x + y) & 255));
  return image;
}

QByteArray Head(const QString& path, int n) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.read(n);
}

// A screen whose grab is a given picture (or nothing).
class PictureScreen : public platform::Screen {
 public:
  explicit PictureScreen(QImage shot) : shot_(std::move(shot)) {}
  platform::ScreenMetrics Metrics() override { return {QRect(0, 0, 800, 600), QRect(0, 0, 800, 600)}; }
  bool CaptureToClipboard(bool active_window_only) override {
    active_only = active_window_only;
    platform::ClearClipboard();
    return !shot_.isNull() && platform::PutImageOnClipboard(shot_);
  }
  bool active_only = false;

 private:
  QImage shot_;
};

class Exchange : public ControlFixture {
 protected:
  void TearDown() override {
    dialog_seams::ResetAll();
    platform::SetScreen(nullptr);
    ControlFixture::TearDown();
  }
  QImage Held() { return Rgb(Shown()); }
};

TEST_F(Exchange, CopyPutsTheSelectionOnTheClipboardForOtherPrograms) {
  Load(Pattern(30, 20));
  const QImage held = Held();
  MvInstance& mv = pic_->Seam().mvImg();
  mv.SetRangeLeft(3);
  mv.SetRangeTop(4);
  mv.SetRangeRight(12);
  mv.SetRangeBottom(9);
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"));
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  ASSERT_TRUE(mime->hasFormat("image/png"));
  EXPECT_TRUE(mime->hasFormat("application/x-qt-image"));
  QImage png;
  ASSERT_TRUE(png.loadFromData(mime->data("image/png"), "PNG"));
  EXPECT_EQ(Rgb(png), held.copy(3, 4, 10, 6));
  EXPECT_NEAR(png.dotsPerMeterX(), 3780, 2);  // 96 pixels per inch
  // The held picture, the selection and the state stay.
  EXPECT_EQ(Held(), held);
  EXPECT_TRUE(pic_->HasRange());
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_EQ(pic_->UndoCount(), 0);
}

TEST_F(Exchange, NewFromClipboardRoundTripAndRefusals) {
  Load(Pattern(30, 20));
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"));
  const QImage copied = Held();
  pic_->pcAct(QStringLiteral("色反転"), QStringLiteral("全て"));
  ASSERT_NE(Held(), copied);

  // An edited picture is asked about first; a cancel keeps everything.
  prompt_.QueueAnswer(platform::PromptAnswer::kCancel);
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"));
  EXPECT_EQ(prompt_.texts(), std::vector<QString>{QStringLiteral("現在の画像の変更を保存しますか")});
  EXPECT_NE(Held(), copied);
  EXPECT_EQ(pic_->EditState(), kStateEdited);

  prompt_.Clear();
  prompt_.QueueAnswer(platform::PromptAnswer::kNo);
  EventLog log(pic_);
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"));
  EXPECT_EQ(Held(), copied);
  EXPECT_EQ(pic_->prFile(), "");
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_EQ(pic_->UndoCount(), 0);
  EXPECT_TRUE(log.events.contains("eStFile()"));
  EXPECT_FALSE(Usr().InitBusy);

  // Text only: a clear message, the picture stays.
  platform::PutTextOnClipboard("not a picture");
  prompt_.Clear();
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"));
  EXPECT_EQ(prompt_.texts(), std::vector<QString>{QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞに画像がありません")});
  EXPECT_EQ(Held(), copied);

  // Vector data: a message until the vector viewer is plugged in.
  auto* mime = new QMimeData;
  mime->setData("image/svg+xml",
                "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='20'><rect width='40' height='20' "
                "fill='red'/></svg>");
  QGuiApplication::clipboard()->setMimeData(mime);
  prompt_.Clear();
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"));
  EXPECT_EQ(prompt_.texts(), std::vector<QString>{QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞのﾍﾞｸﾀｰ画像は開けません")});
  EXPECT_EQ(Held(), copied);
  QString format;
  dialog_seams::SetVectorViewer([&](VectorViewerArgs& a) {
    format = a.format;
    a.result = Gradient(12, 7);
    return true;
  });
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから新規"));
  EXPECT_EQ(format, "svg");
  EXPECT_EQ(Held(), Gradient(12, 7));
}

TEST_F(Exchange, SavingTheClipboardPicture) {
  Load(Pattern(8, 8));
  const QImage held = Held();
  QImage argb = Gradient(9, 5, QImage::Format_ARGB32);
  QGuiApplication::clipboard()->setImage(argb);
  const QString png = work_.path() + "/clip.PNG";
  ASSERT_TRUE(pic_->aeSaveClp(png));
  QImageReader reader(png, "PNG");
  const QImage read = reader.read();
  ASSERT_FALSE(read.isNull()) << reader.errorString().toStdString();
  EXPECT_FALSE(read.hasAlphaChannel());  // 32 bits become 24 for PNG
  EXPECT_EQ(Rgb(read), Rgb(argb));
  EXPECT_EQ(Held(), held);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);

  // Nothing on the clipboard, or a folder that does not exist: a message
  // and no file.
  platform::PutTextOnClipboard("text");
  EXPECT_FALSE(pic_->aeSaveClp(work_.path() + "/none.png"));
  EXPECT_EQ(prompt_.texts().back(), QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞに画像がありません"));
  EXPECT_FALSE(QFile::exists(work_.path() + "/none.png"));
  QGuiApplication::clipboard()->setImage(argb);
  EXPECT_FALSE(pic_->aeSaveClp(work_.path() + "/missing/x.jpg"));
  EXPECT_FALSE(QFile::exists(work_.path() + "/missing/x.jpg"));
}

TEST_F(Exchange, FullDiskLeavesNoPartialFile) {
  // A file-size limit makes every write past it fail as on a full disk.
  QImage noise(300, 300, QImage::Format_RGB32);
  uint32_t seed = 99;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 300; ++x) noise.setPixel(x, y, 0xFF000000u | ((seed = seed * 1664525u + 1013904223u) >> 8));
  QGuiApplication::clipboard()->setImage(noise);
  const QString bmp = work_.path() + "/noise.bmp";
  ASSERT_TRUE(noise.save(work_.path() + "/source.bmp", "BMP"));
  const QString converted = work_.path() + "/converted.png";
  int16_t quality = 0;

  struct rlimit kept {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &kept), 0);
  void (*old_handler)(int) = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = kept;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool clip_saved = pic_->aeSaveClp(bmp);
  const bool conversion = pic_->aeCnvPic(work_.path() + "/source.bmp", converted, quality);
  ::setrlimit(RLIMIT_FSIZE, &kept);
  ::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(clip_saved);
  EXPECT_FALSE(conversion);
  EXPECT_EQ(prompt_.texts(), (std::vector<QString>{QStringLiteral("ﾌｧｲﾙが書き込みできません"),
                                                   QStringLiteral("ﾌｧｲﾙが書き込みできません")}));
  EXPECT_FALSE(QFile::exists(bmp));
  EXPECT_FALSE(QFile::exists(converted));
  EXPECT_TRUE(QDir(work_.path()).entryList({".osmund-save-*"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(Exchange, ConversionWorksBesideTheHeldPicture) {
  Load(Pattern(8, 8));
  const QImage held = Held();
  const QString bmp = work_.path() + "/palette.bmp";
  QImage indexed = Gradient(16, 10).convertToFormat(QImage::Format_Indexed8);
  ASSERT_TRUE(indexed.save(bmp, "BMP"));
  int16_t quality = 0;
  const QString target = work_.path() + "/converted";
  ASSERT_TRUE(pic_->aeCnvPic(bmp, target, quality));
  EXPECT_EQ(quality, 100);
  EXPECT_EQ(Head(target, 3), QByteArray("\xFF\xD8\xFF"));
  QImageReader reader(target, "JPEG");
  const QImage jpeg = reader.read();
  ASSERT_FALSE(jpeg.isNull());
  EXPECT_EQ(jpeg.size(), QSize(16, 10));
  EXPECT_EQ(jpeg.depth(), 32);  // a colour JPEG, not a palette one
  // The held picture, its file and state are untouched.
  EXPECT_EQ(Held(), held);
  EXPECT_EQ(pic_->prFile(), "");
  EXPECT_EQ(pic_->EditState(), kStateLoaded);

  // Into a GIF the depth drops to 256 colours.
  quality = 70;
  ASSERT_TRUE(pic_->aeCnvPic(bmp, work_.path() + "/c.gif", quality));
  EXPECT_EQ(quality, 70);
  EXPECT_EQ(Head(work_.path() + "/c.gif", 3), QByteArray("GIF"));
  EXPECT_FALSE(pic_->aeCnvPic(work_.path() + "/nothing.bmp", target, quality));
}

TEST_F(Exchange, CaptureIsSavedAndBecomesThePicture) {
  Usr().Started = true;
  PictureScreen screen(Gradient(40, 25));
  platform::SetScreen(&screen);
  const QString file = work_.path() + "/shot.png";
  ASSERT_TRUE(pic_->aeSaveCapt(file, true));
  EXPECT_TRUE(screen.active_only);
  EXPECT_EQ(Rgb(QImage(file)), Gradient(40, 25));
  EXPECT_EQ(pic_->prFile(), file);
  EXPECT_EQ(Held(), Gradient(40, 25));
  EXPECT_EQ(pic_->EditState(), kStateLoaded);

  // Nothing grabbed: a message, no file, the picture stays.
  PictureScreen blank{QImage()};
  platform::SetScreen(&blank);
  const QString none = work_.path() + "/none.png";
  EXPECT_FALSE(pic_->aeSaveCapt(none, false));
  EXPECT_EQ(prompt_.texts().back(), QStringLiteral("画面を取り込めませんでした"));
  EXPECT_FALSE(QFile::exists(none));
  EXPECT_EQ(pic_->prFile(), file);
}

TEST_F(Exchange, PrintTrimWhitensOutsideAsOneChange) {
  Load(Pattern(200, 120));
  const QImage before = Held();
  ASSERT_TRUE(pic_->pcPrTrim(10.4f, 20.6f, 100, 50));
  const QImage after = Held();
  for (int y = 0; y < 120; y += 3)
    for (int x = 0; x < 200; x += 3) {
      const bool inside = x >= 10 && x <= 110 && y >= 21 && y <= 71;
      ASSERT_EQ(after.pixel(x, y), inside ? before.pixel(x, y) : qRgb(255, 255, 255)) << x << "," << y;
    }
  EXPECT_EQ(pic_->EditState(), kStateEdited);
  EXPECT_EQ(pic_->UndoCount(), 1);
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("編集を一つ戻す"));
  EXPECT_EQ(Held(), before);
}

TEST_F(Exchange, BlankPictureAsksFirstAndHasNoFile) {
  Load(Pattern(20, 20));
  pic_->pcAct(QStringLiteral("色反転"), QStringLiteral("全て"));
  const QImage edited = Held();
  prompt_.QueueAnswer(platform::PromptAnswer::kCancel);
  pic_->pcAct(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("新規作成"));
  EXPECT_EQ(Held(), edited);
  prompt_.QueueAnswer(platform::PromptAnswer::kNo);
  pic_->pcAct(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("新規作成"));
  const QImage blank = Held();
  ASSERT_FALSE(blank.isNull());
  EXPECT_EQ(blank.pixel(blank.width() / 2, blank.height() / 2), qRgb(255, 255, 255));
  EXPECT_EQ(pic_->prFile(), "");
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
}

TEST_F(Exchange, FileDetailsGoToTheClipboardAndTheBox) {
  Load(Pattern(1200, 30));
  pic_->pcAct(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("ﾌｧｲﾙの詳細"));
  ASSERT_EQ(prompt_.shown().size(), 1u);
  const QString text = prompt_.texts().front();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
  EXPECT_TRUE(text.contains(QStringLiteral("巾: 1,200ﾋﾟｸｾﾙ")));
  EXPECT_TRUE(text.contains(QStringLiteral("解像度巾: 72ﾋﾟｸｾﾙ/ｲﾝﾁ")));
  EXPECT_TRUE(text.contains(QStringLiteral("色数: 16,777,216 (24bit)")));
  EXPECT_TRUE(text.endsWith(QStringLiteral("***  Clipboard に貼り付けました")));
}

TEST_F(Exchange, PrintFitsThePrintableArea) {
  // 3000 x 2000 pixels at 300 per inch print at 254 x 169.3 mm.
  imaging::Image img = Pattern(3000, 2000);
  img.set_dpi(300, 300);
  Load(img);
  MvInstance& mv = pic_->Seam().mvImg();
  const QString pdf = work_.path() + "/print.pdf";
  mv.PrintSetOutputFile(pdf);
  pic_->Seam().SetLogging(true);
  pic_->pcAct(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("印刷"));
  const QStringList calls = pic_->Seam().calls();
  int area_w = 0, area_h = 0;
  ASSERT_TRUE(mv.PrintStartDoc("probe"));
  ASSERT_TRUE(mv.PrintStartPage());
  ASSERT_TRUE(mv.PrintableArea(&area_w, &area_h));
  mv.PrintEndPage();
  mv.PrintEndDoc();
  const double scale = std::min({1.0, area_w / 2540.0, area_h / 1693.0});
  const QString expected = QString("PrintImage(%1,%2)")
                               .arg(std::lround(2540 * scale))
                               .arg(std::lround(1693 * scale));
  EXPECT_TRUE(calls.contains(expected)) << calls.join(" ").toStdString();
  EXPECT_EQ(Head(pdf, 4), QByteArray("%PDF"));
  EXPECT_TRUE(prompt_.shown().empty());
}

}  // namespace
}  // namespace ruvel

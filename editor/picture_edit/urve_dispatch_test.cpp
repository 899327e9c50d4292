// pcAct on real pictures: every row of the dispatch table is checked by its
// effect on the pixels or on the control's state, against pictures worked
// out here by hand.
#include <QImage>
#include <QStringList>
#include <tuple>

#include <gtest/gtest.h>

#include "editor/picture_edit/dialog_seams.h"
#include "editor/picture_edit/urve.h"
#include "editor/picture_edit/urve_test_support.h"
#include "platform/busy.h"

namespace ruvel {
namespace {

using testing::ControlFixture;
using testing::EventLog;
using testing::Pattern;

// Noise(): every pixel different from its neighbours, so every filter
// changes the inside of a selection.
imaging::Image Noise(int w, int h) {
  imaging::Image img;
  if (!imaging::Image::Create(w, h, 24, &img).ok()) return {};
  uint32_t s = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      s = s * 1103515245u + 12345u;
      img.SetPixelRgb(x, y, (s >> 8) & 0xFFFFFF);
    }
  return img;
}

imaging::Image Flat(int w, int h, uint32_t rgb) {
  imaging::Image img;
  if (!imaging::Image::Create(w, h, 24, &img).ok()) return {};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.SetPixelRgb(x, y, rgb);
  return img;
}

QImage Rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

const QString kEdited = kStateEdited;

class Dispatch : public ControlFixture {
 protected:
  void TearDown() override {
    dialog_seams::ResetAll();
    ControlFixture::TearDown();
  }
  void Select(int left, int top, int right, int bottom) {
    MvInstance& mv = pic_->Seam().mvImg();
    mv.SetRangeLeft(left);
    mv.SetRangeTop(top);
    mv.SetRangeRight(right);
    mv.SetRangeBottom(bottom);
  }
  QImage Held() { return Rgb(Shown()); }
};

TEST_F(Dispatch, EveryFilterWorksInsideTheSelectionOnlyAndUndoes) {
  const QStringList correction = {"ﾉｲｽﾞの除去", "ぼかし", "ｼｬ-ﾌﾟ", "淵を滑らかに", "ｽﾌﾟﾗｲﾝ補正"};
  const QStringList effects = {"ｴﾝﾎﾞｽ", "ﾓｻﾞｲｸ", "輪郭", "ﾓｰｼｮﾝ", "波", "波紋", "渦巻", "ﾚﾝｽﾞ", "ｷｬﾝﾊﾞｽ"};
  for (const QString& group : {QStringLiteral("補正"), QStringLiteral("効果")}) {
    for (const QString& job : group == QStringLiteral("補正") ? correction : effects) {
      SCOPED_TRACE(job.toStdString());
      Load(Noise(48, 40));
      const QImage before = Held();
      Select(10, 8, 30, 24);
      pic_->pcAct(group, job);
      const QImage after = Held();
      ASSERT_EQ(after.size(), before.size());
      int changed_inside = 0;
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 48; ++x) {
          const bool inside = x >= 10 && x <= 30 && y >= 8 && y <= 24;
          if (inside) changed_inside += after.pixel(x, y) != before.pixel(x, y);
          else ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
        }
      EXPECT_GT(changed_inside, 0);
      EXPECT_EQ(pic_->EditState(), kEdited);
      EXPECT_EQ(pic_->UndoCount(), 1);
      pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("編集を一つ戻す"));
      EXPECT_EQ(Held(), before);
      EXPECT_EQ(pic_->EditState(), kStateLoaded);
    }
  }
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(Dispatch, SplineCorrectionPassesThroughItsPoints) {
  // The curve goes through (64, 30), (128, 128) and (192, 225).
  for (const auto& [in, out] : {std::pair{64, 30}, std::pair{128, 128}, std::pair{192, 225}}) {
    Load(Flat(8, 8, uint32_t(in) * 0x010101u));
    pic_->pcAct(QStringLiteral("補正"), QStringLiteral("ｽﾌﾟﾗｲﾝ補正"));
    EXPECT_EQ(Held().pixel(4, 4) & 0xFFFFFF, uint32_t(out) * 0x010101u) << in;
  }
}

TEST_F(Dispatch, ColourInversionSaturationAndBrightnessByJob) {
  Load(Flat(6, 4, 0x0A141E));
  pic_->pcAct(QStringLiteral("色反転"), QStringLiteral("Red"));
  EXPECT_EQ(Held().pixel(1, 1) & 0xFFFFFF, 0xF5141Eu);
  pic_->pcAct(QStringLiteral("色反転"), QStringLiteral("Green"));
  EXPECT_EQ(Held().pixel(1, 1) & 0xFFFFFF, 0xF5EB1Eu);
  pic_->pcAct(QStringLiteral("色反転"), QStringLiteral("Blue"));
  EXPECT_EQ(Held().pixel(1, 1) & 0xFFFFFF, 0xF5EBE1u);
  pic_->pcAct(QStringLiteral("色反転"), QStringLiteral("全て"));
  EXPECT_EQ(Held().pixel(1, 1) & 0xFFFFFF, 0x0A141Eu);
  EXPECT_EQ(pic_->UndoCount(), 4);

  // Brightness moves the three channels by the same step; darker and
  // brighter jobs order as their levels.
  const auto brightness = [&](const QString& job) {
    Load(Flat(6, 4, 0x808080));
    pic_->pcAct(QStringLiteral("明度"), job);
    const QRgb p = Held().pixel(2, 2);
    EXPECT_EQ(qRed(p), qGreen(p));
    EXPECT_EQ(qRed(p), qBlue(p));
    return qRed(p);
  };
  const int darkest = brightness(QStringLiteral("暗く"));
  const int darker = brightness(QStringLiteral("やや暗く"));
  const int same = brightness(QStringLiteral("その他"));
  const int brighter = brightness(QStringLiteral("やや明るく"));
  const int brightest = brightness(QStringLiteral("明るく"));
  EXPECT_LT(darkest, darker);
  EXPECT_LT(darker, 128);
  EXPECT_EQ(same, 128);
  EXPECT_GT(brighter, 128);
  EXPECT_LT(brighter, brightest);

  // Saturation: the spread between the channels grows or shrinks.
  const auto spread = [&](const QString& job) {
    Load(Flat(6, 4, 0xC86432));
    pic_->pcAct(QStringLiteral("彩度"), job);
    const QRgb p = Held().pixel(2, 2);
    return qRed(p) - qBlue(p);
  };
  const int base = 0xC8 - 0x32;
  EXPECT_LT(spread(QStringLiteral("淡く")), spread(QStringLiteral("やや淡く")));
  EXPECT_LT(spread(QStringLiteral("やや淡く")), base);
  EXPECT_EQ(spread(QStringLiteral("普通")), base);
  EXPECT_GT(spread(QStringLiteral("やや鮮やか")), base);
  EXPECT_GE(spread(QStringLiteral("鮮やか")), spread(QStringLiteral("やや鮮やか")));
  EXPECT_EQ(pic_->EditState(), kEdited);
}

TEST_F(Dispatch, RotationsAndFlipsMovePixelsWhereExpected) {
  const int W = 7, H = 5;
  struct Case {
    const char* job;
    int w, h;
    // Source coordinate of the result's pixel (x, y).
    QPoint (*from)(int x, int y);
  };
  const Case cases[] = {
      {"左右反転", W, H, [](int x, int y) { return QPoint(W - 1 - x, y); }},
      {"上下反転", W, H, [](int x, int y) { return QPoint(x, H - 1 - y); }},
      {"右90度", H, W, [](int x, int y) { return QPoint(y, H - 1 - x); }},
      {"左90度", H, W, [](int x, int y) { return QPoint(W - 1 - y, x); }},
      {"右180度", W, H, [](int x, int y) { return QPoint(W - 1 - x, H - 1 - y); }},
      {"左180度", W, H, [](int x, int y) { return QPoint(W - 1 - x, H - 1 - y); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.job);
    Load(Noise(W, H));
    const QImage before = Held();
    pic_->pcAct(QStringLiteral("回転"), QString::fromUtf8(c.job));
    const QImage after = Held();
    ASSERT_EQ(after.size(), QSize(c.w, c.h));
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) ASSERT_EQ(after.pixel(x, y), before.pixel(c.from(x, y))) << x << "," << y;
    EXPECT_EQ(pic_->EditState(), kEdited);
  }
  // A 256-colour picture is turned at 16 bits and stays there.
  Load(Pattern(8, 6, 8, false));
  EXPECT_EQ(pic_->DepthCode(), "8.");
  pic_->pcAct(QStringLiteral("回転"), QStringLiteral("右90度"));
  EXPECT_EQ(pic_->DepthCode(), "16.");
  EXPECT_EQ(Held().size(), QSize(6, 8));
}

TEST_F(Dispatch, DepthJobsGiveTheirDepthCodes) {
  const std::pair<const char*, const char*> jobs[] = {
      {"白黒", "1."},       {"16色(4bit)", "4."}, {"ｸﾞﾚ-(4bit)", "40."}, {"256色(8bit)", "8."},
      {"ｸﾞﾚ-(8bit)", "80."}, {"16ﾋﾞｯﾄ", "16."},  {"24ﾋﾞｯﾄ", "24."},    {"32ﾋﾞｯﾄ", "32."},
  };
  for (const auto& [job, code] : jobs) {
    SCOPED_TRACE(job);
    Load(Pattern(40, 30));
    Select(1, 1, 5, 5);
    pic_->pcAct(QStringLiteral("色数"), QString::fromUtf8(job));
    EXPECT_EQ(pic_->DepthCode(), code);
    EXPECT_EQ(pic_->EditState(), kEdited);
    EXPECT_EQ(pic_->UndoCount(), 1);
    EXPECT_FALSE(pic_->HasRange());  // the selection is cleared
  }
  // The grey codes really are grey.
  Load(Pattern(40, 30));
  pic_->pcAct(QStringLiteral("色数"), QStringLiteral("ｸﾞﾚ-(8bit)"));
  const QImage grey = Held();
  for (int x = 0; x < 40; x += 7) EXPECT_TRUE(qIsGray(grey.pixel(x, 10)));
}

TEST_F(Dispatch, TrimReduceAndGapClosing) {
  Load(Pattern(40, 30));
  const QImage before = Held();
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("ﾄﾘﾐﾝｸﾞ"));  // no selection: nothing
  EXPECT_EQ(pic_->UndoCount(), 0);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  Select(2, 3, 6, 7);
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("ﾄﾘﾐﾝｸﾞ"));
  EXPECT_EQ(Held(), before.copy(2, 3, 5, 5));
  EXPECT_EQ(pic_->EditState(), kEdited);
  EXPECT_FALSE(pic_->HasRange());

  // Reduction: the selection's width (mode 0), height (mode 1) or both.
  const std::tuple<const char*, QSize> reductions[] = {
      {"横方向を基準に縮小", QSize(20, 15)}, {"縦方向を基準に縮小", QSize(12, 9)},
      {"縦横比率を変えて縮小", QSize(20, 9)}};
  for (const auto& [job, size] : reductions) {
    Load(Pattern(40, 30));
    Select(5, 5, 25, 14);
    pic_->pcAct(QStringLiteral("ﾘｻｲｽﾞ"), QString::fromUtf8(job));
    EXPECT_EQ(Held().size(), size) << job;
  }
  Load(Pattern(40, 30));
  pic_->pcAct(QStringLiteral("ﾘｻｲｽﾞ"), QStringLiteral("横方向を基準に縮小"));
  EXPECT_EQ(prompt_.texts().back(), QStringLiteral("先に範囲を指定し､そのｻｲｽﾞに合わせて縮小します"));
  EXPECT_EQ(pic_->UndoCount(), 0);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);

  // Closing a gap: rows 10..19 of 30 leave rows 0..9 and the former 20..29.
  Load(Noise(12, 30));
  const QImage tall = Held();
  Select(0, 10, 11, 19);
  pic_->pcAct(QStringLiteral("綴じ込み"), QStringLiteral("横方向"));
  QImage expect(12, 20, QImage::Format_RGB32);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 12; ++x) expect.setPixel(x, y, tall.pixel(x, y < 10 ? y : y + 10));
  EXPECT_EQ(Held(), expect);
  EXPECT_EQ(pic_->EditState(), kEdited);

  // Columns 3..5 of a 256-colour picture: indices and palette survive.
  Load(Pattern(10, 4, 8, false));
  const QImage wide = Held();
  Select(3, 0, 5, 3);
  pic_->pcAct(QStringLiteral("綴じ込み"), QStringLiteral("縦方向"));
  EXPECT_EQ(pic_->DepthCode(), "8.");
  QImage joined(7, 4, QImage::Format_RGB32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 7; ++x) joined.setPixel(x, y, wide.pixel(x < 3 ? x : x + 3, y));
  EXPECT_EQ(Held(), joined);
  // A band to the last row just cuts.
  Load(Noise(12, 30));
  const QImage cut = Held();
  Select(0, 25, 11, 29);
  pic_->pcAct(QStringLiteral("綴じ込み"), QStringLiteral("横方向"));
  EXPECT_EQ(Held(), cut.copy(0, 0, 12, 25));
}

TEST_F(Dispatch, FrameResolutionAndDetailDialogsThroughTheSeams) {
  Load(Flat(40, 30, 0x102030));
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("画像枠を追加"));
  const QImage framed = Held();
  EXPECT_EQ(framed.pixel(0, 0) & 0xFFFFFF, 0x808080u);
  EXPECT_EQ(framed.pixel(39, 29) & 0xFFFFFF, 0x808080u);
  EXPECT_EQ(framed.pixel(20, 15) & 0xFFFFFF, 0x102030u);
  EXPECT_EQ(pic_->EditState(), kEdited);
  EXPECT_EQ(pic_->UndoCount(), 1);
  MvInstance& mv = pic_->Seam().mvImg();
  mv.ReadImageInfo();
  EXPECT_EQ(mv.ResolutionX(), 96);

  // Resolution: nothing until the dialog is plugged in.
  Load(Flat(40, 30, 0x102030));
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("解像度"));
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_EQ(pic_->UndoCount(), 0);
  ResolutionDialogArgs seen;
  dialog_seams::SetResolutionDialog([&](ResolutionDialogArgs& a) {
    seen = a;
    a.resolutionX = 300;
    a.resolutionY = 150;
    return true;
  });
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("解像度"));
  EXPECT_EQ(seen.resolutionX, 72);  // none recorded reads 72
  EXPECT_EQ(seen.width, 40);
  EXPECT_EQ(seen.height, 30);
  mv.ReadImageInfo();
  EXPECT_EQ(mv.ResolutionX(), 300);
  EXPECT_EQ(mv.ResolutionY(), 150);
  EXPECT_EQ(pic_->EditState(), kEdited);

  // Detail dialogs: not plugged, nothing happens.
  Load(Pattern(40, 30));
  for (const QString& group : {QStringLiteral("色数"), QStringLiteral("補正"), QStringLiteral("効果"),
                               QStringLiteral("回転")}) {
    pic_->pcAct(group, QStringLiteral("詳細指定"));
  }
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_EQ(pic_->UndoCount(), 0);

  // Plugged: the colour dialog works on mvImg and reports the new depth.
  bool busy_inside = true;
  dialog_seams::SetDetailDialog(DetailDialog::kColour, [&](DetailDialogArgs& a) {
    busy_inside = platform::IsBusyCursor();
    if (!a.mvImg->ConvertDepth(80, false, false, 128)) return false;
    a.depthCode = "80.";
    return true;
  });
  pic_->pcAct(QStringLiteral("色数"), QStringLiteral("詳細指定"));
  EXPECT_FALSE(busy_inside);
  EXPECT_EQ(pic_->DepthCode(), "80.");
  EXPECT_EQ(pic_->EditState(), kEdited);
  EXPECT_EQ(pic_->UndoCount(), 1);

  // The correction dialog gets the selection; cancelled it leaves nothing.
  Load(Pattern(40, 30));
  Select(4, 5, 20, 25);
  std::array<int32_t, 4> range{};
  dialog_seams::SetDetailDialog(DetailDialog::kCorrection, [&](DetailDialogArgs& a) {
    range = a.range;
    return false;
  });
  const QImage kept = Held();
  pic_->pcAct(QStringLiteral("補正"), QStringLiteral("詳細指定"));
  EXPECT_EQ(range, (std::array<int32_t, 4>{4, 20, 5, 25}));
  EXPECT_EQ(Held(), kept);
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_EQ(pic_->UndoCount(), 0);
}

TEST_F(Dispatch, DepthCheckRefusesBeforeAnySnapshot) {
  const QString message = QStringLiteral("ｴﾌｪｸﾄ処理は 24Bit Color 以上必要です");
  int opened = 0;
  dialog_seams::SetDetailDialog(DetailDialog::kEffects, [&](DetailDialogArgs&) { return ++opened > 0; });
  const std::pair<const char*, const char*> commands[] = {
      {"補正", "ぼかし"}, {"効果", "ﾓｻﾞｲｸ"}, {"彩度", "淡く"}, {"明度", "暗く"}, {"効果", "詳細指定"}};
  for (int bpp : {1, 4, 8, 16}) {
    for (const auto& [group, job] : commands) {
      Load(Pattern(16, 8, bpp, false));
      prompt_.Clear();
      const QImage before = Held();
      pic_->pcAct(QString::fromUtf8(group), QString::fromUtf8(job));
      EXPECT_EQ(prompt_.texts(), std::vector<QString>{message}) << bpp << job;
      EXPECT_EQ(Held(), before);
      EXPECT_EQ(pic_->UndoCount(), 0);
      EXPECT_EQ(pic_->EditState(), kStateLoaded);
    }
  }
  EXPECT_EQ(opened, 0);
  // Inversion and rotation have no depth check.
  Load(Pattern(16, 8, 8, false));
  prompt_.Clear();
  pic_->pcAct(QStringLiteral("色反転"), QStringLiteral("全て"));
  EXPECT_TRUE(prompt_.shown().empty());
  EXPECT_EQ(pic_->EditState(), kEdited);
}

TEST_F(Dispatch, FailingCommandKeepsPictureStateAndHistory) {
  // 256 greys pass the depth check, but the filters need full colour: the
  // engine refuses, and the message says why.
  Load(Pattern(16, 12, 8, true));
  ASSERT_EQ(pic_->DepthCode(), "80.");
  pic_->pcAct(QStringLiteral("色反転"), QStringLiteral("全て"));
  ASSERT_EQ(pic_->UndoCount(), 1);
  const QImage before = Held();
  EventLog log(pic_);
  pic_->pcAct(QStringLiteral("補正"), QStringLiteral("ぼかし"));
  EXPECT_EQ(prompt_.texts(), std::vector<QString>{QStringLiteral("対象外のｲﾒｰｼﾞです")});
  EXPECT_EQ(Held(), before);
  EXPECT_EQ(pic_->UndoCount(), 1);
  EXPECT_EQ(pic_->EditState(), kEdited);
  EXPECT_TRUE(log.events.isEmpty());

  // A dialog that changed the picture and then failed: the picture comes
  // back from the step written before it.
  dialog_seams::SetDetailDialog(DetailDialog::kRotation, [](DetailDialogArgs& a) {
    a.mvImg->ConvertDepth(24, false, false, 128);
    return false;
  });
  pic_->pcAct(QStringLiteral("回転"), QStringLiteral("詳細指定"));
  EXPECT_EQ(Held(), before);
  EXPECT_EQ(pic_->DepthCode(), "80.");
  EXPECT_EQ(pic_->UndoCount(), 1);

  // Undo still leads back to the loaded picture.
  pic_->pcAct(QStringLiteral("画像編集"), QStringLiteral("編集を一つ戻す"));
  EXPECT_EQ(pic_->EditState(), kStateLoaded);
  EXPECT_NE(Held(), before);
}

TEST_F(Dispatch, NoPictureNothingChanges) {
  EventLog log(pic_);
  for (const auto& [group, job] : std::initializer_list<std::pair<const char*, const char*>>{
           {"色数", "256色(8bit)"}, {"補正", "ぼかし"}, {"回転", "右90度"}, {"画像編集", "ﾄﾘﾐﾝｸﾞ"},
           {"画像編集", "画像枠を追加"}, {"ﾘｻｲｽﾞ", "横方向を基準に縮小"}, {"ﾌｧｲﾙ", "印刷"}}) {
    pic_->pcAct(QString::fromUtf8(group), QString::fromUtf8(job));
  }
  EXPECT_EQ(pic_->UndoCount(), 0);
  EXPECT_TRUE(log.events.isEmpty());
  EXPECT_TRUE(prompt_.shown().empty());
  EXPECT_TRUE(QDir(WorkFolder()).entryList(QDir::Files).isEmpty());
}

TEST_F(Dispatch, WordsForUpdateModeEditStateAndLastJob) {
  Load(Pattern(8, 8));
  int16_t quality = 0, update = 0, mouse = 0;
  QString word, ext;
  for (const auto& [job, mode] : {std::pair{"確認無", 1}, std::pair{"自動更新", 2}, std::pair{"ほか", 2},
                                  std::pair{"確認有", 0}}) {
    pic_->pcAct(QStringLiteral("編集更新"), QString::fromUtf8(job));
    pic_->GetPram(&quality, &update, &word, &mouse, &ext);
    EXPECT_EQ(update, mode) << job;
  }
  pic_->pcAct(QStringLiteral("編集状態"), QStringLiteral("初期"));
  EXPECT_EQ(pic_->EditState(), kStateInitial);
  // "初期化" drops the picture but keeps the state word.
  pic_->pcAct(QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("初期化"));
  EXPECT_EQ(pic_->GetHndle(), 0);
  EXPECT_EQ(pic_->EditState(), kStateInitial);
}

}  // namespace
}  // namespace ruvel

// The selection size dialog: presets, scaling and swapping, the list
// buttons, refused names and sizes, the list's way through "User.xml" and
// into the editing control, and the calculator button.
#include "editor/dialogs/spSize.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>

#include "editor/shell/test_printers.h"

#include "editor/picture_edit/urve.h"
#include "editor/shell/y_ini.h"
#include "platform/prompt.h"
#include "platform/screen.h"

namespace ruvel {
namespace {

class SpSizeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetPrompt(&prompt_);
    platform::SetScreen(&screen_);
  }
  void TearDown() override {
    platform::SetPrompt(nullptr);
    platform::SetScreen(nullptr);
  }
  void ClickPreset(spSize& d, int side, int row) {
    d.lsSize(side)->setCurrentRow(row);
    emit d.lsSize(side)->itemClicked(d.lsSize(side)->item(row));
  }
  void ClickEntry(spSize& d, int row) {
    d.lsHani()->setCurrentRow(row);
    emit d.lsHani()->itemClicked(d.lsHani()->item(row));
  }

  platform::ScriptedPrompt prompt_;
  platform::FixedScreen screen_{
      platform::ScreenMetrics{QRect(0, 0, 1920, 1040), QRect(0, 0, 1920, 1080), 96.0, 96.0}};
};

TEST_F(SpSizeTest, OpeningPutsTheCallersSizeFirstUnlessATemporaryEntryExists) {
  spSize d;
  d.Load("", 320, 200);
  EXPECT_EQ(d.Ranges(), "Temporary,320,200,px");
  ASSERT_EQ(d.lsHani()->count(), 1);
  EXPECT_EQ(d.lsHani()->item(0)->text(), "Temporary(320*200 px)");
  EXPECT_EQ(d.lbCap()->text(), "320 x 200px");
  EXPECT_TRUE(d.opSize(0)->isChecked());
  EXPECT_TRUE(d.cmLst(3)->isEnabled());
  EXPECT_FALSE(d.cmLst(4)->isEnabled());

  spSize kept;
  kept.Load("Card,9.1,5.5,CM:Temporary,50,60,px,extra", 320, 200);
  EXPECT_EQ(kept.Ranges(), "Card,9.1,5.5,CM:Temporary,50,60,px,extra");
  EXPECT_EQ(kept.lsHani()->item(0)->text(), "Card(9.1*5.5 cm)");
  EXPECT_EQ(kept.lsHani()->item(1)->text(), "Temporary(50*60 px)");
  // The caller's size is shown only in the pixel fields.
  EXPECT_EQ(kept.txSizeX(0)->text(), "320");
  EXPECT_EQ(kept.txSizeY(0)->text(), "200");

  // The screen entry is the work area, grouped by thousands.
  EXPECT_EQ(d.lsSize(0)->item(6)->text(), "ｽｸﾘｰﾝ 1,920 * 1,040");
  EXPECT_EQ(d.lsSize(1)->item(4)->text(), "ﾊｶﾞｷ 10.0 x 14.8");
}

TEST_F(SpSizeTest, PresetsScaleAndSwap) {
  spSize d;
  d.Load("", 10, 10);
  d.txPsnt(0)->setText("50");
  ClickPreset(d, 0, 4);  // SXGA 1,280 x 1,024
  EXPECT_EQ(d.txCap()->text(), "SXGA 50%");
  EXPECT_EQ(d.txSizeX(0)->text(), "640");
  EXPECT_EQ(d.txSizeY(0)->text(), "512");
  EXPECT_EQ(d.lbCap()->text(), "640 x 512 px");

  d.chXY(1)->setChecked(true);
  ClickPreset(d, 1, 0);  // A4 21.0 x 29.7
  EXPECT_TRUE(d.opSize(1)->isChecked());
  EXPECT_EQ(d.txCap()->text(), "A4 100%");
  EXPECT_EQ(d.txSizeX(1)->text(), "29.7");
  EXPECT_EQ(d.txSizeY(1)->text(), "21");
  EXPECT_EQ(d.lbCap()->text(), "29.7 x 21 cm");

  // The screen preset parses through its "*".
  d.txPsnt(0)->setText("25");
  ClickPreset(d, 0, 6);
  EXPECT_EQ(d.txSizeX(0)->text(), "480");
  EXPECT_EQ(d.txSizeY(0)->text(), "260");

  // Scales outside 0 < p <= 100 leave the fields and show red.
  for (const char* bad : {"0", "150", "abc"}) {
    d.txPsnt(0)->setText(bad);
    EXPECT_EQ(d.txPsnt(0)->palette().color(QPalette::Text), QColor(255, 0, 0)) << bad;
    ClickPreset(d, 0, 0);
    EXPECT_EQ(d.txSizeX(0)->text(), "480") << bad;
  }
  d.txPsnt(0)->setText("100");
  EXPECT_EQ(d.txPsnt(0)->palette().color(QPalette::Text), QColor(Qt::black));
}

TEST_F(SpSizeTest, ListButtonsAddChangeMoveAndDelete) {
  spSize d;
  d.Load("A,1,2,px:B,3,4,cm", 100, 50);
  ASSERT_EQ(d.Ranges(), "Temporary,100,50,px:A,1,2,px:B,3,4,cm");

  // A name already registered cannot be added.
  d.txCap()->setText("A");
  EXPECT_FALSE(d.cmLst(4)->isEnabled());
  d.txCap()->setText("New");
  EXPECT_TRUE(d.cmLst(4)->isEnabled());

  // Adding inserts before the selected entry (the first, from opening).
  d.txSizeX(1)->setText("21");
  d.txSizeY(1)->setText("29.7");
  d.SizeEdited(1);
  d.ListButton(4);
  EXPECT_EQ(d.Ranges(), "New,21,29.7,cm:Temporary,100,50,px:A,1,2,px:B,3,4,cm");
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(d.cmLst(i)->isEnabled()) << i;

  // Clicking an entry loads it; moving it down and up.
  ClickEntry(d, 3);
  EXPECT_EQ(d.txCap()->text(), "B");
  EXPECT_TRUE(d.opSize(1)->isChecked());
  EXPECT_EQ(d.txSizeX(1)->text(), "3");
  EXPECT_EQ(d.lbCap()->text(), "3 x 4cm");
  EXPECT_TRUE(d.cmLst(0)->isEnabled());
  EXPECT_FALSE(d.cmLst(1)->isEnabled());
  d.ListButton(0);
  EXPECT_EQ(d.Ranges(), "New,21,29.7,cm:Temporary,100,50,px:B,3,4,cm:A,1,2,px");
  EXPECT_EQ(d.lsHani()->currentRow(), 2);
  d.ListButton(1);
  EXPECT_EQ(d.Ranges(), "New,21,29.7,cm:Temporary,100,50,px:A,1,2,px:B,3,4,cm");

  // Changing an entry in place, pixel sizes rounded to whole pixels.
  ClickEntry(d, 2);
  d.txCap()->setText("A2");
  d.txSizeX(0)->setText("640.4");
  d.txSizeY(0)->setText("480");
  d.SizeEdited(0);
  d.ListButton(3);
  EXPECT_EQ(d.Ranges(), "New,21,29.7,cm:Temporary,100,50,px:A2,640,480,px:B,3,4,cm");

  // Deleting every entry leaves "".
  for (int i = 3; i >= 0; --i) {
    ClickEntry(d, i);
    d.ListButton(2);
  }
  EXPECT_EQ(d.Ranges(), "");
  EXPECT_EQ(d.lsHani()->count(), 0);
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(SpSizeTest, NamesThatBreakTheListAndBadSizesAreRefused) {
  spSize d;
  d.Load("A,1,2,px", 100, 50);
  const QString before = d.Ranges();
  for (const char* name : {"a:b", "a,b"}) {
    d.txCap()->setText(name);
    d.SizeEdited(0);
    d.ListButton(4);
    EXPECT_EQ(d.Ranges(), before) << name;
  }
  ASSERT_EQ(prompt_.shown().size(), 2u);
  EXPECT_EQ(prompt_.texts()[0], "登録名が空か､使えない文字( : , )を含んでいます");

  prompt_.Clear();
  d.txCap()->setText("Big");
  for (const char* size : {"0", "-5", "abc", "1e9", ""}) {
    d.txSizeX(0)->setText(size);
    d.txSizeY(0)->setText("10");
    d.SizeEdited(0);
    d.ListButton(4);
    EXPECT_EQ(d.Ranges(), before) << size;
  }
  EXPECT_EQ(prompt_.shown().size(), 5u);
}

TEST_F(SpSizeTest, ListSurvivesUserXmlAndReachesTheEditingControl) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath("User.xml");
  spSize d;
  d.Load("", 0, 0);
  ClickEntry(d, 0);
  d.ListButton(2);
  d.chXY(1)->setChecked(false);
  d.txPsnt(1)->setText("50");
  ClickPreset(d, 1, 6);  // L判 8.9 x 12.7 at 50 %
  d.ListButton(4);
  d.txCap()->setText("名刺");
  d.txSizeX(1)->setText("9.1");
  d.txSizeY(1)->setText("5.5");
  d.SizeEdited(1);
  d.ListButton(4);
  d.txCap()->setText("Icon");
  d.txSizeX(0)->setText("64");
  d.txSizeY(0)->setText("48");
  d.SizeEdited(0);
  d.ListButton(4);
  const QString list = d.Ranges();
  ASSERT_EQ(list, "Icon,64,48,px:名刺,9.1,5.5,cm:L判 50%,4.45,6.35,cm");

  {
    yIni ini;
    ASSERT_TRUE(ini.GetTxt(file));
    ini.GetGtx("画面");
    ini.SetVal("PC_RNG", list);
    ini.SetGtx();
    ASSERT_TRUE(ini.SetTxt());
  }
  yIni again;
  ASSERT_TRUE(again.GetTxt(file));
  again.GetGtx("画面");
  const QString read = again.vGtVal("PC_RNG", QString()).toString();
  EXPECT_EQ(read, list);

  spSize reopened;
  reopened.Load(read, 1, 1);
  EXPECT_EQ(reopened.Ranges(), "Temporary,1,1,px:" + list);
  EXPECT_EQ(reopened.lsHani()->item(2)->text(), "名刺(9.1*5.5 cm)");

  uRvE pic;
  pic.setUsrHani(reopened.Ranges());
  EXPECT_EQ(pic.UsrHani(), reopened.Ranges());
  EXPECT_EQ(pic.PopupMenu().rangeCaptions.size(), 4);
}

// A centimetre entry becomes a selection of width / 2.54 * dpi pixels.
TEST_F(SpSizeTest, CentimetreEntriesSelectByThePicturesResolution) {
  for (int dpi : {72, 96, 300}) {
    SCOPED_TRACE(dpi);
    uRvE pic;
    pic.resize(800, 600);
    QImage img(1400, 900, QImage::Format_RGB32);
    img.fill(Qt::white);
    ASSERT_TRUE(pic.Seam().mvImg().SetPicture(img));
    pic.SetDpi(dpi);
    pic.setUsrHani("Card,9.1,5.5,cm:Wide,5.08,2.54,cm:Px,300,200,px");
    for (const auto& [name, w, h] :
         {std::tuple{"Card", 9.1, 5.5}, std::tuple{"Wide", 5.08, 2.54}, std::tuple{"Px", 0.0, 0.0}}) {
      pic.pcAct("範囲", QString(name) + "(x)");
      int32_t l = 0, r = 0, t = 0, b = 0;
      ASSERT_TRUE(pic.GetRange(&l, &r, &t, &b)) << name;
      const long want_w = w > 0 ? std::lround(w * dpi / 2.54) : 300;
      const long want_h = h > 0 ? std::lround(h * dpi / 2.54) : 200;
      EXPECT_NEAR(r - l, want_w, 1) << name;
      EXPECT_NEAR(b - t, want_h, 1) << name;
    }
  }
}

TEST_F(SpSizeTest, CalculatorButtonStartsTheFirstCalculatorFound) {
  QTemporaryDir bin;
  ASSERT_TRUE(bin.isValid());
  const QByteArray old_path = qgetenv("PATH");
  qputenv("PATH", bin.path().toLocal8Bit());
  spSize d;
  d.Load("", 1, 1);
  d.ssCom()->click();
  ASSERT_EQ(prompt_.shown().size(), 1u);
  EXPECT_TRUE(prompt_.texts()[0].contains("gnome-calculator"));

  // kcalc and xcalc installed: kcalc comes first.
  const QString marker = bin.filePath("started");
  for (const char* name : {"kcalc", "xcalc"}) {
    QFile script(bin.filePath(name));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QByteArray("#!/bin/sh\necho ") + name + " > '" + marker.toLocal8Bit() + "'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  d.ssCom()->click();
  for (int i = 0; i < 100 && !QFile::exists(marker); ++i) QThread::msleep(20);
  qputenv("PATH", old_path);
  QFile started(marker);
  ASSERT_TRUE(started.open(QIODevice::ReadOnly));
  EXPECT_EQ(started.readAll().trimmed(), "kcalc");
  EXPECT_EQ(prompt_.shown().size(), 1u);
}

}  // namespace
}  // namespace ruvel

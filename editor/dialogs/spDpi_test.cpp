// The resolution dialog: printed sizes against a plain computation at
// 72, 96 and 300 dpi, keeping both directions equal, the OK rules and
// refused values, and the printer reference.
#include "editor/dialogs/spDpi.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

#include "editor/shell/test_printers.h"

#include "platform/prompt.h"

namespace ruvel {
namespace {

class SpDpiTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetPrompt(&prompt_); }
  void TearDown() override {
    platform::SetPrompt(nullptr);
    SetPrinterAsker({});
  }
  platform::ScriptedPrompt prompt_;
};

// One decimal, halves rounded away from zero, without the leading zero.
QString Reference(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.1f", std::floor(v * 10 + 0.5) / 10);
  QString s = QString::fromLatin1(buf);
  if (s.startsWith("0.")) s.remove(0, 1);
  return s;
}

TEST_F(SpDpiTest, PrintedSizesFollowTheResolution) {
  EXPECT_EQ(OneDecimal(4), "4.0");
  EXPECT_EQ(OneDecimal(0.5), ".5");
  EXPECT_EQ(OneDecimal(10.16), "10.2");
  for (int dpi : {72, 96, 300}) {
    for (auto [w, h] : {std::pair{1200, 800}, std::pair{1, 3000}, std::pair{4961, 7016}}) {
      spDpi d;
      d.Load(dpi, dpi, w, h);
      EXPECT_EQ(d.lbYoko(0)->text(), QString::number(w));
      EXPECT_EQ(d.lbTate(0)->text(), QString::number(h));
      EXPECT_EQ(d.lbYoko(1)->text(), Reference(double(w) / dpi)) << dpi << " " << w;
      EXPECT_EQ(d.lbYoko(2)->text(), Reference(double(w) / dpi * 2.54)) << dpi << " " << w;
      EXPECT_EQ(d.lbTate(1)->text(), Reference(double(h) / dpi)) << dpi << " " << h;
      EXPECT_EQ(d.lbTate(2)->text(), Reference(double(h) / dpi * 2.54)) << dpi << " " << h;
    }
  }
  spDpi d;
  d.Load(300, 300, 1200, 100);
  EXPECT_EQ(d.lbYoko(1)->text(), "4.0");
  EXPECT_EQ(d.lbYoko(2)->text(), "10.2");
  // A horizontal 0 leaves the horizontal labels as they were.
  d.txYoko()->setText("0");
  d.Recalculate(1);
  EXPECT_EQ(d.lbYoko(1)->text(), "4.0");
}

TEST_F(SpDpiTest, EnterCopiesToTheOtherBoxWhenBothStayEqual) {
  spDpi d;
  d.Load(72, 72, 600, 300);
  d.show();
  d.chXY()->setChecked(true);
  d.txYoko()->setFocus();
  d.txYoko()->setText("300");
  QTest::keyClick(d.txYoko(), Qt::Key_Return);
  EXPECT_EQ(d.txTate()->text(), "300");
  EXPECT_EQ(d.lbTate(1)->text(), "1.0");
  EXPECT_TRUE(d.isVisible());  // Enter does not close the window
  d.chXY()->setChecked(false);
  d.txTate()->setText("150");
  QTest::keyClick(d.txTate(), Qt::Key_Tab);
  EXPECT_EQ(d.txYoko()->text(), "300");
  EXPECT_EQ(d.lbTate(1)->text(), "2.0");
}

TEST_F(SpDpiTest, OkOnlyForAChangeAndOnlyForValidValues) {
  {
    spDpi d;
    d.Load(72, 72, 10, 10);
    d.cmOK(0)->click();
    EXPECT_FALSE(d.Ok());
  }
  {
    spDpi d;
    d.Load(72, 72, 10, 10);
    d.txTate()->setText("96");
    d.cmOK(1)->click();
    EXPECT_FALSE(d.Ok());
  }
  {
    spDpi d;
    d.Load(72, 72, 10, 10);
    d.txTate()->setText("96");
    d.cmOK(0)->click();
    EXPECT_TRUE(d.Ok());
    EXPECT_EQ(d.NewX(), 72);
    EXPECT_EQ(d.NewY(), 96);
  }
  for (const char* bad : {"0", "-3", "abc", "70000", "99999999999"}) {
    spDpi d;
    d.Load(72, 72, 10, 10);
    d.show();
    d.txYoko()->setText(bad);
    d.cmOK(0)->click();
    EXPECT_FALSE(d.Ok()) << bad;
    EXPECT_TRUE(d.isVisible()) << bad;
  }
  ASSERT_EQ(prompt_.shown().size(), 5u);
  EXPECT_EQ(prompt_.texts()[0], "解像度には 1 から 65535 までの数値を入力して下さい");

  // The reset button puts the opening values back.
  spDpi d;
  d.Load(200, 100, 10, 10);
  d.txYoko()->setText("5");
  d.txTate()->setText("6");
  d.ssCom()->click();
  EXPECT_EQ(d.txYoko()->text(), "200");
  EXPECT_EQ(d.txTate()->text(), "100");
}

TEST_F(SpDpiTest, PrinterReference) {
  PrinterReference answer;
  SetPrinterAsker([&answer](QWidget*) { return answer; });
  spDpi d;
  d.Load(72, 72, 10, 10);
  d.cmPrn()->click();  // no printer at all
  ASSERT_EQ(prompt_.shown().size(), 1u);
  EXPECT_EQ(prompt_.texts()[0], "ﾌﾟﾘﾝﾀｰがｲﾝｽﾄｰﾙされていません");
  answer = {true, true, "Office", 600, 1200};
  d.cmPrn()->click();
  EXPECT_EQ(d.lbPrn(0)->text(), "Office");
  EXPECT_EQ(d.lbPrn(1)->text(), "600");
  EXPECT_EQ(d.lbPrn(2)->text(), "1200");
  answer = {true, false, "Other", 1, 1};  // cancelled set-up
  d.cmPrn()->click();
  EXPECT_EQ(d.lbPrn(0)->text(), "Office");
  EXPECT_EQ(prompt_.shown().size(), 1u);
  EXPECT_EQ(d.txYoko()->text(), "72");
}

}  // namespace
}  // namespace ruvel

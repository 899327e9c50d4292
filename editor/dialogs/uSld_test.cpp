#include "editor/dialogs/uSld.h"

#include <QLineEdit>
#include <QSlider>
#include <QLabel>
#include <QToolButton>
#include <gtest/gtest.h>

#include "editor/dialogs/dialog_test_support.h"
#include "editor/shell/y_ini.h"

namespace ruvel {
namespace {

using testing::KeyClick;
using testing::KeyClicks;
using testing::MouseClick;

// Counts eCngVL.
struct Changes {
  int n = 0;
  explicit Changes(uSld* s) { QObject::connect(s, &uSld::eCngVL, [this] { ++n; }); }
  int count() const { return n; }
};

TEST(uSld, FractionalRangeIsScaledOntoHundredSteps) {
  uSld s;
  int16_t large = 0;
  s.cOn(0, 1, large, 0.1, QString());
  EXPECT_EQ(large, 10);  // 0 becomes 10 in the caller's variable too
  EXPECT_TRUE(s.scaled());
  EXPECT_EQ(s.slider()->minimum(), 0);
  EXPECT_EQ(s.slider()->maximum(), 100);
  EXPECT_EQ(s.slider()->pageStep(), 10);
  Changes changes(&s);
  s.SetValS(0.5);
  EXPECT_EQ(s.slider()->value(), 50);
  EXPECT_EQ(s.textBox()->text(), QStringLiteral(".5"));
  EXPECT_EQ(changes.count(), 0);  // values set by the program raise nothing
  MouseClick(s.stepButton(1), Qt::LeftButton);
  EXPECT_EQ(s.textBox()->text(), QStringLiteral("0.6"));
  EXPECT_EQ(s.slider()->value(), 60);
  EXPECT_EQ(changes.count(), 1);
}

TEST(uSld, NarrowIntegerRangeRunsTheSliderDirectly) {
  uSld s;
  int16_t large = 10;
  s.cOn(1, 100, large, 1, QStringLiteral("弱⇒"));
  EXPECT_FALSE(s.scaled());
  EXPECT_EQ(s.slider()->minimum(), 1);
  EXPECT_EQ(s.slider()->maximum(), 100);
  EXPECT_EQ(s.caption()->text(), QStringLiteral("弱⇒"));
  s.SetValS(37);
  EXPECT_EQ(s.slider()->value(), 37);
  EXPECT_EQ(s.textBox()->text(), QStringLiteral("37."));
  // Halves go to the even position.
  EXPECT_EQ(s.PositionOf(2.5), 2);
  EXPECT_EQ(s.PositionOf(3.5), 4);
  EXPECT_EQ(s.PositionOf(-0.5), 0);
}

TEST(uSld, WideRangeMapsAndRoundTrips) {
  uSld s;
  int16_t large = 10;
  s.cOn(-255, 255, large, 2, QString());
  EXPECT_TRUE(s.scaled());
  s.SetValS(0);
  EXPECT_EQ(s.slider()->value(), 50);
  // Every slider position maps onto a value that maps back onto it.
  for (int p = 0; p <= 100; ++p) EXPECT_EQ(s.PositionOf(s.ValueAt(p)), p) << p;
  EXPECT_DOUBLE_EQ(s.ValueAt(0), -255);
  EXPECT_DOUBLE_EQ(s.ValueAt(100), 255);
  // Values outside the range leave the slider at its end.
  s.SetValS(1000);
  EXPECT_EQ(s.slider()->value(), 100);
  s.SetValS(-1000);
  EXPECT_EQ(s.slider()->value(), 0);
}

TEST(uSld, DraggingWritesShortestValueAndRaisesOnce) {
  uSld s;
  int16_t large = 0;
  s.cOn(0, 1, large, 0.1, QString());
  Changes changes(&s);
  s.slider()->setValue(37);  // as a drag delivers it
  EXPECT_EQ(s.textBox()->text(), QStringLiteral("0.37"));
  EXPECT_DOUBLE_EQ(s.ValS(), 0.37);
  EXPECT_EQ(changes.count(), 1);
  // Keyboard on the slider moves it by one step and reports it.
  s.slider()->setFocus();
  KeyClick(s.slider(), Qt::Key_Right);
  EXPECT_EQ(s.textBox()->text(), QStringLiteral("0.38"));
  KeyClick(s.slider(), Qt::Key_PageUp);
  EXPECT_EQ(s.slider()->value(), 48);
  EXPECT_EQ(changes.count(), 3);
}

TEST(uSld, TypedTextIsTheValueUnclamped) {
  uSld s;
  int16_t large = 10;
  s.cOn(0, 255, large, 1, QString());
  Changes changes(&s);
  s.textBox()->selectAll();
  KeyClicks(s.textBox(), QStringLiteral("999"));
  EXPECT_DOUBLE_EQ(s.ValS(), 999);  // not clamped
  EXPECT_TRUE(s.scaled());           // 255 wide: the slider runs 0..100
  EXPECT_EQ(s.slider()->value(), 100);
  EXPECT_EQ(changes.count(), 3);  // one per typed character
  s.textBox()->setText(QStringLiteral("abc"));
  EXPECT_DOUBLE_EQ(s.ValS(), 0);
  EXPECT_EQ(s.slider()->value(), 0);
  // Step buttons do not clamp either.
  s.SetValS(255);
  MouseClick(s.stepButton(1), Qt::LeftButton);
  EXPECT_EQ(s.textBox()->text(), QStringLiteral("256."));
  EXPECT_DOUBLE_EQ(s.ValS(), 256);
}

TEST(uSld, DisablingCoversEveryPart) {
  uSld s;
  int16_t large = 10;
  s.cOn(0, 255, large, 1, QString());
  s.Enabled(false);
  EXPECT_FALSE(s.slider()->isEnabled());
  EXPECT_FALSE(s.textBox()->isEnabled());
  EXPECT_FALSE(s.stepButton(0)->isEnabled());
  EXPECT_FALSE(s.stepButton(1)->isEnabled());
  s.cOn(0, 255, large, 1, QString());  // configuring enables again
  EXPECT_TRUE(s.slider()->isEnabled());
}

TEST(uSldFormat, OneDecimalFormatsAndLeadingNumbers) {
  EXPECT_EQ(FormatHashPoint(3), QStringLiteral("3."));
  EXPECT_EQ(FormatHashPoint(0.5), QStringLiteral(".5"));
  EXPECT_EQ(FormatHashPoint(-0.5), QStringLiteral("-.5"));
  EXPECT_EQ(FormatHashPoint(2.25), QStringLiteral("2.3"));
  EXPECT_EQ(FormatZeroPoint(0.5), QStringLiteral("0.5"));
  EXPECT_EQ(FormatZeroPoint(-3), QStringLiteral("-3."));
  EXPECT_EQ(FormatZeroPoint(0.04), QStringLiteral("0."));
  EXPECT_EQ(FormatShortest(0.37), QStringLiteral("0.37"));
  EXPECT_EQ(FormatShortest(-255 + 50 / (100.0 / 510)), QStringLiteral("0"));
  EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("12abc")), 12);
  EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("  -.5")), -0.5);
  EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("3.")), 3);
  EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("1e2x")), 100);
  EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("1ex")), 1);
  EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral(".")), 0);
  EXPECT_DOUBLE_EQ(LeadingNumber(QStringLiteral("x1")), 0);
}

}  // namespace
}  // namespace ruvel

#include "editor/dialogs/spImgH.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include "editor/dialogs/dialog_test_support.h"
#include "editor/dialogs/uSld.h"
#include "imaging/control/processor.h"

namespace ruvel {
namespace {

using imaging::control::Corners;
using testing::AnswerImageMenu;
using testing::Direct;
using testing::EditorControl;
using testing::RunWhileShown;
using testing::SamePixels;
using testing::TabIndex;
using testing::TestPicture;

// The curve worked out the slow way, straight from the rules.
ToneCurvePoints SlowCurve(double e, double l) {
  ToneCurvePoints p;
  auto half_even = [](double v) {
    const double f = std::floor(v);
    const double d = v - f;
    if (d > 0.5) return static_cast<int>(f) + 1;
    if (d < 0.5) return static_cast<int>(f);
    return static_cast<int>(f) % 2 == 0 ? static_cast<int>(f) : static_cast<int>(f) + 1;
  };
  for (int i = 0; i < 5; ++i) {
    int x = l > 0 ? half_even(256 - (4 - i) * 64 * l / 100) : half_even(i * 64 * (l / 100 + 1));
    p.x[i] = x > 255 ? 255 : x;
    p.y[i] = p.x[i];
  }
  if (e > 0) {
    p.y[1] = half_even(p.y[1] - e / 100 * (p.y[1] - p.y[0]));
    p.y[3] = half_even(e / 100 * (p.y[4] - p.y[3]) + p.y[3]);
  } else {
    p.y[1] = half_even(p.y[1] + e / -100 * (p.y[2] - p.y[1]));
    p.y[3] = half_even(p.y[3] - e / -100 * (p.y[3] - p.y[2]));
  }
  return p;
}

TEST(spImgHToneCurve, WorkedExamples) {
  const ToneCurvePoints flat = ComputeToneCurve(0, 0);
  EXPECT_EQ(flat.x, (std::array<int, 5>{0, 64, 128, 192, 255}));
  EXPECT_EQ(flat.y, flat.x);
  const ToneCurvePoints steep = ComputeToneCurve(50, 0);
  EXPECT_EQ(steep.y[1], 32);
  EXPECT_EQ(steep.y[3], 224);  // 223.5 goes to the even neighbour
  EXPECT_EQ(ComputeToneCurve(0, 100).x, (std::array<int, 5>{0, 64, 128, 192, 255}));
  EXPECT_EQ(ComputeToneCurve(0, -50).x, (std::array<int, 5>{0, 32, 64, 96, 128}));
  const ToneCurvePoints flatter = ComputeToneCurve(-50, 0);
  EXPECT_EQ(flatter.y[1], 96);
  EXPECT_EQ(flatter.y[3], 160);
  for (int e = -100; e <= 100; e += 7)
    for (int l = -100; l <= 100; l += 9) {
      const ToneCurvePoints a = ComputeToneCurve(e, l);
      const ToneCurvePoints b = SlowCurve(e, l);
      EXPECT_EQ(a.x, b.x) << e << " " << l;
      EXPECT_EQ(a.y, b.y) << e << " " << l;
    }
}

TEST(spImgH, TabsOpenWithTheirDefaults) {
  EditorControl editor(TestPicture());
  spImgH d;
  RunWhileShown(&d, [&] {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("画像の補正"));
    ASSERT_EQ(d.TabS()->count(), 7);
    EXPECT_EQ(d.EffectName(), QStringLiteral("ﾉｲｽﾞの除去"));
    EXPECT_TRUE(d.chImg()->isChecked());
    EXPECT_DOUBLE_EQ(d.uSld(4)->ValS(), 50);
    d.TabS()->setCurrentIndex(TabIndex(d.TabS(), "ｽﾌﾟﾗｲﾝ補正"));
    d.opSpline(1)->click();
    EXPECT_EQ(d.chSpline(0)->text(), QStringLiteral("Y"));
    EXPECT_EQ(d.chSpline(2)->text(), QStringLiteral("Cb"));
    EXPECT_TRUE(d.chSpline(1)->isChecked());
    d.TabS()->setCurrentIndex(TabIndex(d.TabS(), "彩度"));
    EXPECT_EQ(d.uSld(3)->caption()->text(), QStringLiteral("淡⇒"));
  });
  EXPECT_FALSE(d.Open(*editor.mv, 1, {}));
}

TEST(spImgH, LinkedColourSlidersRunOnePreview) {
  const QImage picture = TestPicture();
  EditorControl editor(picture);
  EditorControl reference(picture);
  Direct(reference).SetRegionMode(1);
  ASSERT_TRUE(Direct(reference).AdjustBrightness(Corners{}, 40, 40, 40));
  spImgH d;
  AnswerImageMenu answer(QStringLiteral("画像を更新して閉じる"));
  RunWhileShown(&d, [&] {
    d.TabS()->setCurrentIndex(TabIndex(d.TabS(), "明度"));
    d.ssRbn()->click();
    d.FlushPreview();
    const int before = d.PreviewCount();
    d.chColor()->setChecked(true);
    d.uSld(1)->SetValS(40);
    emit d.uSld(1)->eCngVL();
    d.FlushPreview();
    EXPECT_DOUBLE_EQ(d.uSld(0)->ValS(), 40);
    EXPECT_DOUBLE_EQ(d.uSld(2)->ValS(), 40);
    EXPECT_EQ(d.PreviewCount(), before + 1);
    d.lbCom(0)->click();
  });
  EXPECT_TRUE(d.Open(*editor.mv, 1, {}));
  EXPECT_TRUE(SamePixels(editor.Pixels(), reference.Pixels()));
}

TEST(spImgH, CorrectionsEqualTheDirectCalls) {
  const QImage picture = TestPicture();
  struct Case {
    const char* tab;
    std::function<void(spImgH&)> set;
    std::function<bool(imaging::control::Processor&)> direct;
  };
  const std::vector<Case> cases = {
      {"ぼかし", [](spImgH& d) { d.uSld(3)->SetValS(4); },
       [](imaging::control::Processor& p) { return p.Blur(Corners{}, 4); }},
      {"ﾉｲｽﾞの除去", [](spImgH&) {}, [](imaging::control::Processor& p) { return p.RemoveNoise(Corners{}, 1, 50); }},
      {"ｽﾌﾟﾗｲﾝ補正",
       [](spImgH& d) {
         d.uSld(5)->SetValS(50);
         d.chSpline(1)->setChecked(false);
       },
       [](imaging::control::Processor& p) {
         return p.ToneCurve(Corners{}, {0, 64, 128, 192, 255}, {0, 32, 128, 224, 255}, 5, true, false, true);
       }},
      {"淵を滑らかに", [](spImgH&) {}, [](imaging::control::Processor& p) { return p.SmoothEdges(Corners{}); }},
  };
  for (const Case& c : cases) {
    EditorControl editor(picture);
    EditorControl reference(picture);
    Direct(reference).SetRegionMode(1);
    ASSERT_TRUE(c.direct(Direct(reference))) << c.tab;
    spImgH d;
    AnswerImageMenu answer(QStringLiteral("画像を更新して閉じる"));
    RunWhileShown(&d, [&] {
      d.TabS()->setCurrentIndex(TabIndex(d.TabS(), c.tab));
      c.set(d);
      d.ssRbn()->click();
      d.FlushPreview();
      d.lbCom(0)->click();
    });
    EXPECT_TRUE(d.Open(*editor.mv, 1, {})) << c.tab;
    EXPECT_TRUE(SamePixels(editor.Pixels(), reference.Pixels())) << c.tab;
    EXPECT_FALSE(SamePixels(editor.Pixels(), picture)) << c.tab;
  }
}

TEST(spImgH, ClosingTheWindowLeavesThePicture) {
  const QImage picture = TestPicture();
  EditorControl editor(picture);
  spImgH d;
  RunWhileShown(&d, [&] {
    d.ssRbn()->click();
    d.FlushPreview();
    d.close();
  });
  EXPECT_FALSE(d.Open(*editor.mv, 1, {}));
  EXPECT_TRUE(SamePixels(editor.Pixels(), picture));
}

}  // namespace
}  // namespace ruvel

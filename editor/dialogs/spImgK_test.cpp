#include "editor/dialogs/spImgK.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
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

// Presses "Draw" (releasing it first when it is down) and runs the preview.
void Draw(spImgK& d) {
  if (d.ssRbn()->isChecked()) d.ssRbn()->click();
  d.ssRbn()->click();
  d.FlushPreview();
}

TEST(spImgK, TabsAndDefaultsOfTheFirstEffect) {
  EditorControl editor(TestPicture());
  spImgK d;
  RunWhileShown(&d, [&] {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("特殊効果"));
    ASSERT_EQ(d.TabS()->count(), 10);
    EXPECT_EQ(d.TabS()->tabText(8), QStringLiteral("ｷｬﾝﾊﾟｽ"));
    EXPECT_EQ(d.EffectName(), QStringLiteral("ｴﾝﾎﾞｽ"));
    EXPECT_EQ(d.Label1(0)->text(), QStringLiteral("ﾌｨﾙﾀ ﾏｽｸ"));
    EXPECT_EQ(d.cbImg(0)->count(), 8);
    EXPECT_DOUBLE_EQ(d.uSld(0)->ValS(), 3);
    EXPECT_DOUBLE_EQ(d.uSld(1)->ValS(), 100);
    EXPECT_FALSE(d.ssRbn()->isChecked());
    d.TabS()->setCurrentIndex(TabIndex(d.TabS(), "渦巻"));
    EXPECT_TRUE(d.cbImg(0)->isHidden());
    EXPECT_DOUBLE_EQ(d.uSld(0)->ValS(), 360);
    EXPECT_DOUBLE_EQ(d.uSld(1)->ValS(), 1);
    d.TabS()->setCurrentIndex(TabIndex(d.TabS(), "輪郭"));
    EXPECT_FALSE(d.cbImg(2)->isHidden());
    EXPECT_EQ(d.cbImg(2)->itemText(2), QStringLiteral("Sobel"));
    d.TabS()->setCurrentIndex(TabIndex(d.TabS(), "ﾚﾝｽﾞ"));
    EXPECT_TRUE(d.cbImg(2)->isHidden());
  });
  EXPECT_FALSE(d.Open(*editor.mv, 1, {}));
}

TEST(spImgK, PreviewRunsOnlyWhileDrawIsPressed) {
  EditorControl editor(TestPicture());
  const QImage before = editor.Pixels();
  spImgK d;
  RunWhileShown(&d, [&] {
    d.uSld(0)->SetValS(5);
    emit d.uSld(0)->eCngVL();
    d.FlushPreview();
    EXPECT_EQ(d.PreviewCount(), 0);
    EXPECT_TRUE(SamePixels(d.mvImg().Picture(), before));
    Draw(d);
    EXPECT_EQ(d.PreviewCount(), 1);
    EXPECT_FALSE(SamePixels(d.mvImg().Picture(), before));
    // Changes made before a preview starts are served by one preview.
    for (int i = 0; i < 5; ++i) emit d.uSld(1)->eCngVL();
    d.FlushPreview();
    EXPECT_EQ(d.PreviewCount(), 2);
  });
  EXPECT_FALSE(d.Open(*editor.mv, 1, {}));
  EXPECT_TRUE(SamePixels(editor.Pixels(), before));
}

TEST(spImgK, StackedEffectsEqualTheOperationsInSequence) {
  const QImage picture = TestPicture();
  EditorControl editor(picture);
  EditorControl reference(picture);
  Direct(reference).SetRegionMode(1);
  ASSERT_TRUE(Direct(reference).Mosaic(Corners{}, 10, 10));
  const QImage mosaic_only = reference.Pixels();
  ASSERT_TRUE(Direct(reference).Emboss(Corners{}, 0, 3, 100));

  spImgK d;
  AnswerImageMenu answer(QStringLiteral("画像を更新して閉じる"));
  RunWhileShown(&d, [&] {
    d.TabS()->setCurrentIndex(TabIndex(d.TabS(), "ﾓｻﾞｲｸ"));
    Draw(d);
    d.TabS()->setCurrentIndex(TabIndex(d.TabS(), "ｴﾝﾎﾞｽ"));
    Draw(d);
    EXPECT_TRUE(SamePixels(d.mvImg().Picture(), reference.Pixels()));
    // Undo takes back the emboss only.
    d.lbCom(1)->click();
    EXPECT_TRUE(SamePixels(d.mvImg().Picture(), mosaic_only));
    Draw(d);
    d.lbCom(0)->click();
  });
  EXPECT_TRUE(d.Open(*editor.mv, 1, {}));
  EXPECT_TRUE(SamePixels(editor.Pixels(), reference.Pixels()));
}

TEST(spImgK, RegionOutsideAndWholePicture) {
  const QImage picture = TestPicture();
  // With a region, "外側" works outside it.
  {
    EditorControl editor(picture);
    EditorControl reference(picture);
    Direct(reference).SetRegionInside(0);
    Direct(reference).SetRegionMode(2);
    ASSERT_TRUE(Direct(reference).InvertChannels(Corners::Rect(10, 5, 50, 40), true, false, true));
    spImgK d;
    AnswerImageMenu answer(QStringLiteral("画像を更新して閉じる"));
    RunWhileShown(&d, [&] {
      d.TabS()->setCurrentIndex(TabIndex(d.TabS(), "色反転"));
      EXPECT_FALSE(d.chRGB(0)->isChecked());
      d.chRGB(0)->setChecked(true);
      d.chRGB(2)->setChecked(true);
      d.opRect(1)->click();
      Draw(d);
      d.lbCom(0)->click();
    });
    EXPECT_TRUE(d.Open(*editor.mv, 1, {10, 50, 5, 40}));
    EXPECT_TRUE(SamePixels(editor.Pixels(), reference.Pixels()));
  }
  // Without one, the whole picture, whatever "外側" says.
  {
    EditorControl editor(picture);
    EditorControl reference(picture);
    Direct(reference).SetRegionMode(1);
    ASSERT_TRUE(Direct(reference).Wave(Corners{}, 1, 100, 10, 0.5));
    spImgK d;
    AnswerImageMenu answer(QStringLiteral("画像を更新して閉じる"));
    RunWhileShown(&d, [&] {
      d.TabS()->setCurrentIndex(TabIndex(d.TabS(), "波"));
      d.cbImg(0)->setCurrentIndex(1);
      d.opRect(1)->click();
      Draw(d);
      d.lbCom(0)->click();
    });
    EXPECT_TRUE(d.Open(*editor.mv, 1, {}));
    EXPECT_TRUE(SamePixels(editor.Pixels(), reference.Pixels()));
  }
}

TEST(spImgK, CancelLeavesThePictureIdentical) {
  const QImage picture = TestPicture();
  for (const QString& way : {QStringLiteral("閉じる"), QString(), QStringLiteral("window")}) {
    EditorControl editor(picture);
    const imaging::MemHandle handle = editor.mv->ImageHandle();
    spImgK d;
    AnswerImageMenu answer(way == QStringLiteral("閉じる") ? QStringLiteral("編集はｷｬﾝｾﾙして閉じる") : QString());
    RunWhileShown(&d, [&] {
      Draw(d);
      if (way != QStringLiteral("window")) d.lbCom(0)->click();
      if (way.isEmpty()) {
        EXPECT_TRUE(d.isVisible());  // no choice: still open
      }
    });
    EXPECT_FALSE(d.Open(*editor.mv, 1, {})) << way.toStdString();
    EXPECT_EQ(editor.mv->ImageHandle(), handle);
    EXPECT_TRUE(SamePixels(editor.Pixels(), picture));
  }
}

}  // namespace
}  // namespace ruvel

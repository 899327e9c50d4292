#include "editor/dialogs/spImgC.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "editor/dialogs/dialog_test_support.h"
#include "editor/dialogs/uSld.h"
#include "imaging/control/processor.h"

namespace ruvel {
namespace {

using testing::Direct;
using testing::EditorControl;
using testing::RunWhileShown;
using testing::SamePixels;
using testing::TestPicture;

TEST(spImgC, OpensOnThePicturesDepth) {
  EditorControl editor(TestPicture());
  spImgC d;
  RunWhileShown(&d, [&] {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("ｶﾗ-設定"));
    EXPECT_TRUE(d.opColor(6)->isChecked());
    EXPECT_EQ(d.opColor(6)->text(), QStringLiteral("24 bit"));
    EXPECT_FALSE(d.uSld()->slider()->isEnabled());
    EXPECT_FALSE(d.cmRvC()->isEnabled());
    EXPECT_DOUBLE_EQ(d.uSld()->ValS(), 128);
    EXPECT_EQ(d.ConversionCount(), 0);  // opening converts nothing
    d.opColor(0)->click();
    EXPECT_TRUE(d.uSld()->slider()->isEnabled());
    EXPECT_TRUE(d.cmRvC()->isEnabled());
  });
  EXPECT_FALSE(d.Open(*editor.mv, 1, QStringLiteral("24.")));
  EXPECT_EQ(spImgC::OptionOf(QStringLiteral("40.")), 2);
  EXPECT_EQ(spImgC::OptionOf(QStringLiteral("x")), 0);
  EXPECT_EQ(spImgC::DepthCodeOf(2), 40);
}

TEST(spImgC, OkHandsBackTheConvertedCopy) {
  const QImage picture = TestPicture();
  struct Case {
    int option;
    bool fixed, diffusion;
    std::function<bool(imaging::control::Processor&)> direct;
  };
  const std::vector<Case> cases = {
      {3, false, true, [](auto& p) { return p.ConvertDepth(8, false, true, 128); }},
      {1, true, false, [](auto& p) { return p.ConvertDepth(4, true, false, 128); }},
      {2, false, false,
       [](auto& p) { return p.ConvertDepth(80, false, false, 128) && p.ConvertDepth(4, false, false, 128); }},
      {4, false, false, [](auto& p) { return p.ConvertDepth(80, false, false, 128); }},
  };
  for (const Case& c : cases) {
    EditorControl editor(picture);
    EditorControl reference(picture);
    ASSERT_TRUE(c.direct(Direct(reference))) << c.option;
    spImgC d;
    RunWhileShown(&d, [&] {
      d.chBmp(0)->setChecked(c.fixed);
      d.chBmp(1)->setChecked(c.diffusion);
      d.opColor(c.option)->click();
      d.cmOk(0)->click();
    });
    EXPECT_TRUE(d.Open(*editor.mv, 1, QStringLiteral("24."))) << c.option;
    EXPECT_EQ(editor.mv->Object()->image().bpp(), reference.mv->Object()->image().bpp()) << c.option;
    EXPECT_TRUE(SamePixels(editor.Pixels(), reference.Pixels())) << c.option;
  }
}

TEST(spImgC, ThresholdReconvertsFromTheOriginal) {
  const QImage picture = TestPicture();
  EditorControl editor(picture);
  EditorControl reference(picture);
  ASSERT_TRUE(Direct(reference).ConvertDepth(1, false, false, 200));
  spImgC d;
  RunWhileShown(&d, [&] {
    d.opColor(0)->click();
    d.cmRvC()->click();  // inverts the preview; the next conversion starts afresh
    d.uSld()->SetValS(60);
    emit d.uSld()->eCngVL();
    d.uSld()->SetValS(200);
    emit d.uSld()->eCngVL();
    d.cmOk(0)->click();
  });
  EXPECT_TRUE(d.Open(*editor.mv, 1, QStringLiteral("24.")));
  EXPECT_TRUE(SamePixels(editor.Pixels(), reference.Pixels()));
}

TEST(spImgC, OwnDepthAgainHandsBackThePictureUnconverted) {
  const QImage picture = TestPicture();
  EditorControl editor(picture);
  spImgC d;
  RunWhileShown(&d, [&] {
    d.opColor(3)->click();  // 256 colours, previewed
    d.opColor(6)->click();  // back to 24 bit
    d.cmOk(0)->click();
  });
  EXPECT_TRUE(d.Open(*editor.mv, 1, QStringLiteral("24.")));
  EXPECT_EQ(editor.mv->Object()->image().bpp(), 24);
  EXPECT_TRUE(SamePixels(editor.Pixels(), picture));
}

TEST(spImgC, CancelLeavesThePictureAndFreesThePreview) {
  const QImage picture = TestPicture();
  EditorControl editor(picture);
  const imaging::MemHandle handle = editor.mv->ImageHandle();
  spImgC d;
  RunWhileShown(&d, [&] {
    d.opColor(0)->click();
    d.cmOk(1)->click();
  });
  EXPECT_FALSE(d.Open(*editor.mv, 1, QStringLiteral("24.")));
  EXPECT_EQ(editor.mv->ImageHandle(), handle);
  EXPECT_TRUE(SamePixels(editor.Pixels(), picture));
  EXPECT_EQ(d.mvImg().ImageHandle(), 0u);
}

}  // namespace
}  // namespace ruvel

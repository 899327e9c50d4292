#include "editor/picture_edit/dialog_seams.h"

#include <QWidget>

#include <gtest/gtest.h>

#include "editor/picture_edit/imaging_seam/imaging_seam.h"

namespace ruvel {
namespace {

class DialogSeams : public ::testing::Test {
 protected:
  void TearDown() override { dialog_seams::ResetAll(); }
};

TEST_F(DialogSeams, UnpluggedWindowsAreNotDone) {
  QWidget host;
  MvInstance mv(&host);
  DetailDialogArgs detail;
  detail.mvImg = &mv;
  for (DetailDialog code : {DetailDialog::kColour, DetailDialog::kCorrection, DetailDialog::kEffects,
                            DetailDialog::kRotation}) {
    EXPECT_FALSE(dialog_seams::HasDetailDialog(code));
    EXPECT_FALSE(dialog_seams::OpenDetailDialog(code, detail));
  }
  ResolutionDialogArgs resolution;
  EXPECT_FALSE(dialog_seams::OpenResolutionDialog(resolution));
  EXPECT_EQ(resolution.resolutionX, 72);
  SizeDialogArgs size;
  size.ranges = "a,1,2,px";
  EXPECT_FALSE(dialog_seams::OpenSizeDialog(size));
  EXPECT_EQ(size.ranges, "a,1,2,px");
  VectorViewerArgs vector;
  EXPECT_FALSE(dialog_seams::OpenVectorViewer(vector));
}

TEST_F(DialogSeams, PluggedDialogWorksOnTheGivenImagingControl) {
  QWidget host;
  MvInstance mv(&host);
  QImage picture(4, 3, QImage::Format_RGB32);
  picture.fill(QColor(10, 20, 30));
  ASSERT_TRUE(mv.SetPicture(picture));

  // The rotation dialog stands in here: previews on its own instance and
  // hands the result over on OK.
  int calls = 0;
  dialog_seams::SetDetailDialog(DetailDialog::kRotation, [&](DetailDialogArgs& a) {
    ++calls;
    MvInstance preview(a.parent);
    preview.SetImageHandle(preview.DuplicateImage(a.mvImg->ImageHandle()));
    preview.SetRegionInside(1);
    if (!preview.RotateImage(9000, false, false, true, 255, 255, 255, false)) return false;
    a.depthCode = "24.";
    a.viewMode = 3;
    return a.mvImg->SetImageHandle(preview.DuplicateImage(preview.ImageHandle()));
  });
  DetailDialogArgs args;
  args.mvImg = &mv;
  args.parent = &host;
  EXPECT_FALSE(dialog_seams::OpenDetailDialog(DetailDialog::kColour, args));
  ASSERT_TRUE(dialog_seams::OpenDetailDialog(DetailDialog::kRotation, args));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(mv.Picture().size(), QSize(3, 4));
  EXPECT_EQ(args.viewMode, 3);

  // Without an imaging control nothing is opened.
  DetailDialogArgs none;
  EXPECT_FALSE(dialog_seams::OpenDetailDialog(DetailDialog::kRotation, none));
  EXPECT_EQ(calls, 1);

  // An empty function unplugs.
  dialog_seams::SetDetailDialog(DetailDialog::kRotation, {});
  EXPECT_FALSE(dialog_seams::HasDetailDialog(DetailDialog::kRotation));

  dialog_seams::SetResolutionDialog([](ResolutionDialogArgs& a) {
    a.resolutionX = a.width / 4;
    a.resolutionY = 300;
    return true;
  });
  ResolutionDialogArgs res;
  res.width = 1200;
  ASSERT_TRUE(dialog_seams::OpenResolutionDialog(res));
  EXPECT_EQ(res.resolutionX, 300);
  EXPECT_EQ(res.resolutionY, 300);
}

}  // namespace
}  // namespace ruvel

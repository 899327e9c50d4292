#include "editor/dialogs/sbWmf.h"

#include <QApplication>
#include <QMenuBar>
#include <QTimer>

#include <gtest/gtest.h>

#include "editor/picture_edit/imaging_seam/vector_picture.h"

namespace ruvel {
namespace {

// A 200 x 100 page: red on the left half, blue on the right.
const QByteArray kSvg =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"100\">"
    "<rect width=\"100\" height=\"100\" fill=\"#ff0000\"/><rect x=\"100\" width=\"100\" height=\"100\" "
    "fill=\"#0000ff\"/></svg>";

// Runs `step` on the viewer once it is shown modally.
void WhenShown(std::function<void(sbWmf*)> step) {
  QTimer::singleShot(0, [step] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* v = qobject_cast<sbWmf*>(w); v != nullptr && v->isVisible()) {
        step(v);
        return;
      }
    }
    ADD_FAILURE() << "the vector viewer is not shown";
  });
}

TEST(sbWmf, EnlargingTheWindowBeforeOkGivesALargerPicture) {
  int16_t code = 0;
  const auto picture = VectorPicture::FromData(kSvg, &code);
  ASSERT_NE(picture, nullptr);
  sbWmf viewer;
  viewer.Image1()->SetPicture(picture.get());
  EXPECT_EQ(viewer.windowTitle(), kVectorViewerTitle);
  EXPECT_EQ(viewer.mnRetItem(0)->text(), "Ok(&O)");
  EXPECT_EQ(viewer.mnRetItem(1)->text(), "Cancel(&C)");
  QSize shown;
  WhenShown([&](sbWmf* v) {
    shown = v->Image1()->size();
    v->resize(v->width() + 100, v->height() + 50);
    v->mnRetItem(0)->trigger();
  });
  QImage raster;
  bool ok = false;
  const int tpp = 1440 / viewer.logicalDpiX();
  viewer.Act(1500, 1500, 200 * tpp, 100 * tpp, &raster, &ok);
  EXPECT_EQ(shown, QSize(200, 100));
  ASSERT_TRUE(ok);
  EXPECT_EQ(raster.size(), QSize(300, 150));
  EXPECT_EQ(raster.pixel(50, 75), qRgb(255, 0, 0));
  EXPECT_EQ(raster.pixel(250, 75), qRgb(0, 0, 255));
}

TEST(sbWmf, CancelLeavesThePictureArgumentAlone) {
  int16_t code = 0;
  const auto picture = VectorPicture::FromData(kSvg, &code);
  ASSERT_NE(picture, nullptr);
  sbWmf viewer;
  viewer.Image1()->SetPicture(picture.get());
  WhenShown([](sbWmf* v) { v->mnRetItem(1)->trigger(); });
  QImage raster(3, 3, QImage::Format_RGB32);
  raster.fill(Qt::green);
  bool ok = true;
  viewer.Act(0, 0, 3000, 1500, &raster, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(raster.size(), QSize(3, 3));
  EXPECT_EQ(raster.pixel(1, 1), qRgb(0, 255, 0));
}

TEST(sbWmf, PluggedInAsTheEditingControlsViewer) {
  PlugInVectorViewer();
  ASSERT_TRUE(dialog_seams::HasVectorViewer());
  VectorViewerArgs args;
  args.data = kSvg;
  args.format = "svg";
  args.geometry = QRect(40, 40, 100, 50);
  WhenShown([](sbWmf* v) { v->mnRetItem(0)->trigger(); });
  EXPECT_TRUE(dialog_seams::OpenVectorViewer(args));
  EXPECT_EQ(args.result.size(), QSize(100, 50));
  EXPECT_EQ(args.result.pixel(20, 25), qRgb(255, 0, 0));
  dialog_seams::ResetAll();
}

}  // namespace
}  // namespace ruvel

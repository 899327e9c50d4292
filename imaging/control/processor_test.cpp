#include "imaging/control/processor.h"

#include <gtest/gtest.h>

#include "imaging/control/internal/test_support.h"
#include "imaging/control/morvik.h"

namespace imaging::control {
namespace {

using testing::Pattern;

TEST(MorvikProcessor, ClosingAHorizontalGapJoinsTheRest) {
  // The editor's gap closing: keep the part after the band in a scratch
  // control, paste it where the band starts, then trim the tail.
  const int W = 50, H = 100, top = 20, bottom = 39;
  Morvik view, scratch;
  ASSERT_TRUE(view.ReplaceImage(Pattern(W, H)));
  const Image before = view.image();
  ASSERT_TRUE(scratch.SetImageHandle(view.DuplicateImage(view.ImageHandle())));
  scratch.Processor().SetRegionMode(1);
  scratch.Processor().ClipRect(0, W, bottom + 1, H);
  ASSERT_TRUE(scratch.Processor().Trim());
  ASSERT_EQ(scratch.image().height(), H - bottom - 1);
  ASSERT_TRUE(view.Processor().PasteImage(scratch.ImageHandle(), W / 2 - 1, H / 2 - 1 - top));
  view.Processor().SetRegionInside(1);
  view.Processor().SetRegionMode(2);
  view.Processor().ClipRect(0, W, 0, H - (bottom - top) - 2);
  ASSERT_TRUE(view.Processor().Trim());
  ASSERT_EQ(view.image().height(), H - (bottom - top + 1));
  ASSERT_EQ(view.image().width(), W);
  for (int y = 0; y < view.image().height(); ++y) {
    const int from = y < top ? y : y + (bottom - top + 1);
    ASSERT_EQ(view.image().PixelRgb(7, y), before.PixelRgb(7, from)) << "row " << y;
  }
}

TEST(MorvikProcessor, VerticalGapPastePosition) {
  const int W = 60, H = 30, left = 10, right = 19;
  Morvik view, scratch;
  ASSERT_TRUE(view.ReplaceImage(Pattern(W, H)));
  const Image before = view.image();
  ASSERT_TRUE(scratch.SetImageHandle(view.DuplicateImage(view.ImageHandle())));
  scratch.Processor().ClipRect(right + 1, W, 0, H);
  ASSERT_TRUE(scratch.Processor().Trim());
  ASSERT_TRUE(view.Processor().PasteImage(scratch.ImageHandle(), W / 2 - 1 - left, H / 2 - 1));
  view.Processor().ClipRect(0, W - (right - left) - 2, 0, H);
  ASSERT_TRUE(view.Processor().Trim());
  ASSERT_EQ(view.image().width(), W - (right - left + 1));
  for (int x = 0; x < view.image().width(); ++x) {
    const int from = x < left ? x : x + (right - left + 1);
    ASSERT_EQ(view.image().PixelRgb(x, 5), before.PixelRgb(from, 5)) << "column " << x;
  }
}

TEST(MorvikProcessor, RegionWorkStaysInsideOrOutside) {
  Morvik view;
  ASSERT_TRUE(view.ReplaceImage(Pattern(40, 40)));
  const Image before = view.image();
  Processor& pr = view.Processor();
  pr.SetRegionInside(1);
  pr.SetRegionMode(2);
  ASSERT_TRUE(pr.InvertChannels(Corners::Rect(10, 10, 19, 19), true, true, true));
  EXPECT_EQ(view.image().PixelRgb(15, 15), before.PixelRgb(15, 15) ^ 0xFFFFFF);
  EXPECT_EQ(view.image().PixelRgb(25, 25), before.PixelRgb(25, 25));
  ASSERT_TRUE(pr.FillOutside(Corners::Rect(10, 10, 19, 19), 255, 255, 255));
  EXPECT_EQ(view.image().PixelRgb(0, 0), 0xFFFFFFu);
  EXPECT_EQ(view.image().PixelRgb(15, 15), before.PixelRgb(15, 15) ^ 0xFFFFFF);
  // Region mode 1 is the whole picture whatever the corners say.
  pr.SetRegionMode(1);
  ASSERT_TRUE(pr.InvertChannels(Corners::Rect(10, 10, 19, 19), true, false, false));
  EXPECT_EQ(view.image().PixelRgb(0, 0), 0x00FFFFu);
}

TEST(MorvikProcessor, EachCallMakesANewHandle) {
  Morvik view;
  ASSERT_TRUE(view.ReplaceImage(Pattern(40, 30)));
  const MemHandle h0 = view.ImageHandle();
  ASSERT_TRUE(view.Processor().Blur(Corners{}, 2));
  const MemHandle h1 = view.ImageHandle();
  EXPECT_NE(h1, h0);
  EXPECT_EQ(MemSize(h0), 0u);  // the old one is freed
  ASSERT_TRUE(view.Processor().RotateImage(-9000, false, false, true, 255, 255, 255, false));
  EXPECT_EQ(view.image().width(), 30);
  EXPECT_EQ(view.image().height(), 40);
  ASSERT_TRUE(view.Processor().ResizeImage(15, 20));
  EXPECT_EQ(view.image().width(), 15);
  ASSERT_TRUE(view.Processor().ConvertDepth(80, false, true, 128));
  EXPECT_EQ(view.image().bpp(), 8);
  EXPECT_TRUE(view.image().gray());
}

TEST(MorvikProcessor, FailuresKeepThePicture) {
  Morvik view;
  EXPECT_FALSE(view.Processor().Blur(Corners{}, 2));
  EXPECT_EQ(view.ErrorCode(), 24);
  ASSERT_TRUE(view.ReplaceImage(Pattern(20, 20)));
  const MemHandle held = view.ImageHandle();
  EXPECT_FALSE(view.Processor().Trim());
  EXPECT_EQ(view.ErrorCode(), 11);
  EXPECT_FALSE(view.Processor().ConvertDepth(12, false, false, 128));
  EXPECT_EQ(view.ErrorCode(), 5);
  EXPECT_FALSE(view.Processor().EdgeExtract(Corners{}, 9, 0, 10));
  EXPECT_EQ(view.ErrorCode(), 5);
  ASSERT_TRUE(view.Processor().ConvertDepth(8, false, false, 128));
  const MemHandle eight = view.ImageHandle();
  EXPECT_FALSE(view.Processor().Emboss(Corners{}, 0, 3, 100));  // needs 24 bits
  EXPECT_NE(view.ErrorCode(), 0);
  EXPECT_EQ(view.ImageHandle(), eight);
  EXPECT_NE(held, eight);
  EXPECT_FALSE(view.Processor().ToneCurve(Corners{}, {0, 255}, {0, 255}, 5, true, true, true));
  EXPECT_EQ(view.ErrorCode(), 5);
}

TEST(MorvikProcessor, EffectsRunOnTrueColour) {
  Morvik view;
  ASSERT_TRUE(view.ReplaceImage(Pattern(48, 48)));
  const Corners whole;
  Processor& pr = view.Processor();
  EXPECT_TRUE(pr.RemoveNoise(whole, 1, 50));
  EXPECT_TRUE(pr.Sharpen(whole, 5));
  EXPECT_TRUE(pr.SmoothEdges(whole));
  EXPECT_TRUE(pr.ToneCurve(whole, {0, 64, 128, 192, 255}, {0, 30, 128, 225, 255}, 5, true, true, true));
  EXPECT_TRUE(pr.ToneCurveYCrCb(whole, {0, 64, 128, 192, 255}, {0, 64, 128, 192, 255}, 5, true, false, false));
  EXPECT_TRUE(pr.Emboss(whole, 0, 3, 100));
  EXPECT_TRUE(pr.Mosaic(whole, 10, 10));
  EXPECT_TRUE(pr.EdgeExtract(whole, 0, 0, 10));
  EXPECT_TRUE(pr.MotionBlur(whole, 0, 30, 20));
  EXPECT_TRUE(pr.Wave(whole, 0, 100, 10, 0.5));
  EXPECT_TRUE(pr.Ripple(whole, 20.0, 10.0, 0.5, false));
  EXPECT_TRUE(pr.Whirl(whole, 360.0, 1.0, 1.0));
  EXPECT_TRUE(pr.Lens(whole, 3.0, true));
  EXPECT_TRUE(pr.Canvas(whole, 1, 20));
  EXPECT_TRUE(pr.AdjustSaturation(whole, -30));
  EXPECT_TRUE(pr.AdjustBrightness(whole, 40, 40, 40));
  EXPECT_EQ(view.ErrorCode(), 0);
}

}  // namespace
}  // namespace imaging::control

#include "imaging/control/morvik.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/control/file_io.h"
#include "imaging/control/internal/test_support.h"
#include "imaging/dib.h"

namespace imaging::control {
namespace {

using testing::Pattern;
using testing::ShownControl;

TEST(MorvikHandles, HandOverDuplicateAndRelease) {
  Morvik view;
  EXPECT_EQ(view.ImageHandle(), 0u);
  const MemHandle h = ImageToHandle(Pattern(30, 20));
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(view.SetImageHandle(h));
  EXPECT_EQ(view.ImageHandle(), h);
  EXPECT_EQ(view.image().width(), 30);

  const MemHandle copy = view.DuplicateImage(h);
  ASSERT_NE(copy, 0u);
  EXPECT_NE(copy, h);
  EXPECT_EQ(MemSize(copy), MemSize(h));

  // Handing over another handle frees the one held before.
  ASSERT_TRUE(view.SetImageHandle(copy));
  EXPECT_EQ(MemSize(h), 0u);
  // Releasing the held handle clears the picture.
  EXPECT_TRUE(view.ReleaseImage(copy));
  EXPECT_EQ(view.ImageHandle(), 0u);
  EXPECT_TRUE(view.image().empty());
  // A stale handle is refused.
  EXPECT_FALSE(view.ReleaseImage(copy));
  EXPECT_EQ(view.ErrorCode(), 7);
  EXPECT_EQ(view.DuplicateImage(copy), 0u);
  EXPECT_EQ(view.ErrorCode(), 7);
}

TEST(MorvikHandles, UnreadableHandleLeavesPictureAlone) {
  Morvik view;
  ASSERT_TRUE(view.ReplaceImage(Pattern(8, 8)));
  const MemHandle held = view.ImageHandle();
  const MemHandle junk = MemAlloc(16);  // too small for a picture
  EXPECT_FALSE(view.SetImageHandle(junk));
  EXPECT_EQ(view.ErrorCode(), 7);
  EXPECT_EQ(view.ImageHandle(), held);
  MemFree(junk);
}

// The held picture's handle is packed only when it is read, from the
// picture as it is then; a copy made before that is packed at once.
TEST(MorvikHandles, HeldPictureIsPackedWhenRead) {
  Morvik view;
  Image first = Pattern(37, 21);  // odd width: padded rows
  ASSERT_TRUE(view.ReplaceImage(std::move(first)));
  const MemHandle h = view.ImageHandle();
  ASSERT_NE(h, 0u);
  EXPECT_TRUE(MemDeferred(h));
  EXPECT_EQ(MemSize(h), PackedDibSize(view.image()));

  view.SetResolutionX(150);
  view.SetResolutionY(72);
  ASSERT_TRUE(view.ApplyResolution());
  EXPECT_TRUE(MemDeferred(h));

  std::vector<uint8_t> want;
  ASSERT_TRUE(ToPackedDib(view.image(), &want).ok());
  auto bytes_of = [](MemHandle handle) {
    std::vector<uint8_t> out(MemSize(handle));
    if (const auto* p = static_cast<const uint8_t*>(MemLock(handle))) {
      std::copy(p, p + out.size(), out.begin());
      MemUnlock(handle);
    } else {
      out.clear();
    }
    return out;
  };
  const MemHandle copy = view.DuplicateImage(h);
  ASSERT_NE(copy, 0u);
  EXPECT_FALSE(MemDeferred(copy));
  EXPECT_TRUE(MemDeferred(h));
  EXPECT_EQ(bytes_of(copy), want);

  EXPECT_EQ(bytes_of(h), want);
  EXPECT_FALSE(MemDeferred(h));
  Image back;
  ASSERT_TRUE(ImageFromHandle(h, &back).ok());
  EXPECT_EQ(back.dpi_x(), 150);
  EXPECT_EQ(back.PixelRgb(36, 20), view.image().PixelRgb(36, 20));

  // A new picture gets a new handle; the old one is gone, the copy stays.
  ASSERT_TRUE(view.ReplaceImage(Pattern(5, 4, 8)));
  EXPECT_EQ(MemSize(h), 0u);
  EXPECT_TRUE(MemDeferred(view.ImageHandle()));
  ASSERT_TRUE(ToPackedDib(view.image(), &want).ok());
  EXPECT_EQ(MemSize(view.ImageHandle()), want.size());
  EXPECT_EQ(bytes_of(view.ImageHandle()), want);
  ASSERT_TRUE(ImageFromHandle(copy, &back).ok());
  EXPECT_EQ(back.width(), 37);
  EXPECT_TRUE(MemFree(copy));

  // Saving the held picture (as undo snapshots do) needs no packed copy.
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(view.ReplaceImage(Pattern(9, 9)));
  view.FileIO().SetFileName(dir.filePath("held.bmp"));
  ASSERT_TRUE(view.FileIO().SaveFile(0, view.ImageHandle())) << view.ErrorCode();
  EXPECT_TRUE(MemDeferred(view.ImageHandle()));
  ASSERT_TRUE(view.FileIO().LoadFile(0) && view.FileIO().FinishLoad());
  EXPECT_EQ(view.image().PixelRgb(8, 8), Pattern(9, 9).PixelRgb(8, 8));
}

TEST(MorvikInfo, ReadImageInfoAndResolution) {
  Morvik view;
  EXPECT_FALSE(view.ReadImageInfo());
  EXPECT_EQ(view.ErrorCode(), 24);
  Image img;
  ASSERT_TRUE(Image::Create(33, 17, 8, &img).ok());  // grey ramp palette
  img.set_gray(true);
  img.set_dpi(0, 0);
  ASSERT_TRUE(view.ReplaceImage(std::move(img)));
  ASSERT_TRUE(view.ReadImageInfo());
  EXPECT_EQ(view.ImageWidth(), 33);
  EXPECT_EQ(view.ImageHeight(), 17);
  EXPECT_EQ(view.BitCount(), 8);
  EXPECT_TRUE(view.IsGray());
  EXPECT_EQ(view.ImageDataSize(), 36 * 17);
  EXPECT_EQ(view.ResolutionX(), 0);

  const MemHandle before = view.ImageHandle();
  view.SetResolutionX(96);
  view.SetResolutionY(300);
  ASSERT_TRUE(view.ApplyResolution());
  EXPECT_EQ(view.ImageHandle(), before);  // same picture, same handle
  Image back;
  ASSERT_TRUE(ImageFromHandle(view.ImageHandle(), &back).ok());
  EXPECT_EQ(back.dpi_x(), 96);
  EXPECT_EQ(back.dpi_y(), 300);
  view.SetResolutionX(-5);
  EXPECT_FALSE(view.ApplyResolution());
  EXPECT_EQ(view.ErrorCode(), 110);
}

TEST(MorvikPicture, StockPictureRoundTrip) {
  Morvik view;
  QImage q(20, 10, QImage::Format_RGB32);
  q.fill(qRgb(10, 20, 30));
  q.setPixel(3, 4, qRgb(200, 100, 50));
  ASSERT_TRUE(view.SetPicture(q));
  EXPECT_EQ(view.image().bpp(), 24);
  EXPECT_EQ(view.image().PixelRgb(3, 4), 0xC86432u);
  const QImage back = view.Picture();
  EXPECT_EQ(back.pixel(3, 4), qRgb(200, 100, 50));
  EXPECT_EQ(back.pixel(0, 0), qRgb(10, 20, 30));

  QImage indexed(4, 4, QImage::Format_Indexed8);
  indexed.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
  indexed.fill(1);
  ASSERT_TRUE(view.SetPicture(indexed));
  EXPECT_EQ(view.image().bpp(), 8);
  EXPECT_EQ(view.image().PixelRgb(2, 2), 0x0000FFu);

  EXPECT_TRUE(view.SetPicture(QImage()));
  EXPECT_EQ(view.ImageHandle(), 0u);
}

TEST(MorvikPicture, ColorToolFlattensAlphaOntoColour) {
  Morvik view;
  QImage q(4, 4, QImage::Format_ARGB32);
  q.fill(qRgba(0, 0, 0, 0));  // fully transparent
  q.setPixel(1, 1, qRgba(255, 0, 0, 255));
  ASSERT_TRUE(view.SetPicture(q));
  ASSERT_EQ(view.image().bpp(), 32);
  ASSERT_TRUE(view.ColorTool(24, 0, 255, 255, 255));
  EXPECT_EQ(view.image().bpp(), 24);
  EXPECT_EQ(view.image().PixelRgb(0, 0), 0xFFFFFFu);
  EXPECT_EQ(view.image().PixelRgb(1, 1), 0xFF0000u);
  EXPECT_FALSE(view.ColorTool(7, 0, 0, 0, 0));
  EXPECT_EQ(view.ErrorCode(), 5);
}

TEST(MorvikClipboard, CopyThenPaste) {
  Morvik view;
  EXPECT_FALSE(view.CopyToClipboard());  // nothing prepared
  EXPECT_EQ(view.ErrorCode(), 11);
  ASSERT_TRUE(view.ReplaceImage(Pattern(40, 30)));
  ASSERT_TRUE(view.PrepareClipboard());
  ASSERT_TRUE(view.CopyToClipboard());
  const QImage on_clip = QGuiApplication::clipboard()->image();
  ASSERT_FALSE(on_clip.isNull());
  EXPECT_EQ(on_clip.size(), QSize(40, 30));

  Morvik other;
  ASSERT_TRUE(other.PasteClipboard());
  EXPECT_EQ(other.image().width(), 40);
  EXPECT_EQ(other.image().PixelRgb(12, 7), view.image().PixelRgb(12, 7));

  QGuiApplication::clipboard()->setText("no picture");
  EXPECT_FALSE(other.PasteClipboard());
  EXPECT_EQ(other.ErrorCode(), 10);
  EXPECT_EQ(other.image().width(), 40);  // the held picture stays
}

TEST(MorvikBusy, WorkIsAnnounced) {
  Morvik view;
  QSignalSpy begin(&view, &Morvik::BusyBegin);
  QSignalSpy end(&view, &Morvik::BusyEnd);
  ASSERT_TRUE(view.ReplaceImage(Pattern(40, 30)));
  QGuiApplication::clipboard()->setImage(QImage(5, 5, QImage::Format_RGB32));
  ASSERT_TRUE(view.PasteClipboard());
  EXPECT_EQ(begin.count(), 1);
  EXPECT_EQ(end.count(), 1);
}

}  // namespace
}  // namespace imaging::control

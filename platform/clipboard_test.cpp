#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

namespace platform {
namespace {

QImage Picture() {
  QImage image(5, 3, QImage::Format_RGB32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) image.setPixel(x, y, qRgb(40 * x, 80 * y, 7));
  return image;
}

TEST(Clipboard, PictureIsOfferedAsPngAndQtImage) {
  ASSERT_TRUE(PutImageOnClipboard(Picture()));
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_TRUE(mime->hasFormat("application/x-qt-image"));
  ASSERT_TRUE(mime->hasFormat("image/png"));
  // The PNG bytes, read by the PNG reader itself, hold the same pixels.
  QImage png;
  ASSERT_TRUE(png.loadFromData(mime->data("image/png"), "PNG"));
  EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), Picture());
  EXPECT_EQ(ClipboardHolds(), ClipboardKind::kImage);
  EXPECT_EQ(ClipboardImage().convertToFormat(QImage::Format_RGB32), Picture());
  EXPECT_FALSE(PutImageOnClipboard(QImage()));
}

TEST(Clipboard, TextVectorAndNothing) {
  ASSERT_TRUE(PutTextOnClipboard("abc"));
  EXPECT_EQ(ClipboardHolds(), ClipboardKind::kNone);
  EXPECT_TRUE(ClipboardImage().isNull());
  QString format = "x";
  EXPECT_TRUE(ClipboardVector(&format).isEmpty());
  EXPECT_EQ(format, "x");

  auto* mime = new QMimeData;
  mime->setData("image/svg+xml", "<svg xmlns='http://www.w3.org/2000/svg'/>");
  QGuiApplication::clipboard()->setMimeData(mime);
  EXPECT_EQ(ClipboardHolds(), ClipboardKind::kVector);
  EXPECT_EQ(ClipboardVector(&format), QByteArray("<svg xmlns='http://www.w3.org/2000/svg'/>"));
  EXPECT_EQ(format, "svg");

  ClearClipboard();
  EXPECT_EQ(ClipboardHolds(), ClipboardKind::kNone);
}

}  // namespace
}  // namespace platform

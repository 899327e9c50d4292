// Acquiring from SANE's "test" backend, configured in a temporary folder.
#include "imaging/control/scanner.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "imaging/control/morvik.h"

namespace imaging::control {
namespace {

bool WriteText(const QString& path, const QByteArray& text) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

class ScannerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFile::exists("/usr/lib/x86_64-linux-gnu/sane/libsane-test.so.1")) GTEST_SKIP() << "SANE test backend missing";
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(WriteText(dir_.filePath("dll.conf"), "test\n"));
    ASSERT_TRUE(WriteText(dir_.filePath("test.conf"),
                          "number_of_devices 2\nmode Color\ndepth 8\nresolution 50.0\n"
                          "test-picture \"Color pattern\"\ntl_x 0.0\ntl_y 0.0\nbr_x 80.0\nbr_y 100.0\n"));
    qputenv("SANE_CONFIG_DIR", dir_.path().toUtf8());
  }
  QTemporaryDir dir_;
};

TEST_F(ScannerTest, AcquireDeliversThePicture) {
  Morvik view;
  Scanner& sc = view.Scanner();
  EXPECT_FALSE(sc.Acquire(nullptr));
  EXPECT_EQ(view.ErrorCode(), 102);
  ASSERT_TRUE(sc.Open(&view, 1, 0, "Ruvex", "", "", ""));
  EXPECT_EQ(sc.ProductName(), "Ruvex");
  EXPECT_TRUE(sc.Open(&view, 1, 0, "Ruvex"));  // once is enough; again is harmless
  const QStringList sources = sc.Sources();
  ASSERT_GE(sources.size(), 2);
  EXPECT_TRUE(sources.contains("test:0"));

  sc.SetChooser([](const QStringList&) { return 1; });
  ASSERT_TRUE(sc.SelectSource());
  EXPECT_EQ(sc.Source(), sources[1]);
  sc.SetChooser([](const QStringList&) { return -1; });
  EXPECT_FALSE(sc.SelectSource());
  EXPECT_EQ(view.ErrorCode(), 0);
  EXPECT_EQ(sc.Source(), sources[1]);

  QSignalSpy acquired(&view, &Morvik::ImageAcquired);
  int width = 0, height = 0, bpp = 0, dpi = 0;
  QObject::connect(&view, &Morvik::ImageAcquired, [&](MemHandle h) {
    // The editor takes a copy; the scanner frees its own handle afterwards.
    ASSERT_TRUE(view.SetImageHandle(view.DuplicateImage(h)));
    width = view.image().width();
    height = view.image().height();
    bpp = view.image().bpp();
    dpi = view.image().dpi_x();
  });
  int busy = -1;
  ASSERT_TRUE(sc.Acquire(&busy)) << view.ErrorCode();
  EXPECT_EQ(busy, 0);
  ASSERT_EQ(acquired.count(), 1);
  EXPECT_EQ(bpp, 24);
  EXPECT_NEAR(width, 80 / 25.4 * 50, 2);
  EXPECT_NEAR(height, 100 / 25.4 * 50, 2);
  EXPECT_EQ(dpi, 50);
  EXPECT_EQ(MemSize(acquired.at(0).at(0).value<MemHandle>()), 0u);

  sc.SetResolution(100);
  ASSERT_TRUE(sc.Acquire(nullptr));
  EXPECT_NEAR(width, 80 / 25.4 * 100, 2);
  sc.SetResolution(5000);  // beyond the device's range
  EXPECT_FALSE(sc.Acquire(nullptr));
  EXPECT_EQ(view.ErrorCode(), 110);
  sc.Close();
}

TEST_F(ScannerTest, NoDevicesIsNoSource) {
  ASSERT_TRUE(WriteText(dir_.filePath("dll.conf"), "\n"));
  Morvik view;
  ASSERT_TRUE(view.Scanner().Open(&view, 1, 0, "Ruvex"));
  EXPECT_TRUE(view.Scanner().Sources().isEmpty());
  EXPECT_EQ(view.ErrorCode(), 103);
  EXPECT_FALSE(view.Scanner().Acquire(nullptr));
  EXPECT_EQ(view.ErrorCode(), 103);
  view.Scanner().Close();
}

}  // namespace
}  // namespace imaging::control

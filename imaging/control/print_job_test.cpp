// Printing into PDF files, rendered back with pdftoppm.
#include "imaging/control/print_job.h"

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "imaging/control/morvik.h"

namespace imaging::control {
namespace {

Image RedPicture(int w, int h) {
  Image img;
  EXPECT_TRUE(Image::Create(w, h, 24, &img).ok());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.SetPixelRgb(x, y, 0xFF0000);
  return img;
}

// Renders page 1 of the PDF at `dpi`; a null image when pdftoppm fails.
QImage RenderPage(const QString& pdf, const QString& prefix, int dpi) {
  QProcess p;
  p.start("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", "1", "-singlefile", pdf, prefix});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
  return QImage(prefix + ".png");
}

bool IsRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
bool IsWhite(QRgb c) { return qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240; }

void UseA4(PrintJob& pj, double margin_mm) {
  QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(margin_mm, margin_mm, margin_mm, margin_mm),
                     QPageLayout::Millimeter);
  pj.printer().setPageLayout(layout);
}

TEST(MorvikPrintJob, PictureLandsAtItsPlaceAndSize) {
  QTemporaryDir dir;
  Morvik view;
  ASSERT_TRUE(view.ReplaceImage(RedPicture(300, 200)));
  PrintJob& pj = view.PrintJob();
  const QString pdf = dir.filePath("out.pdf");
  pj.SetOutputFile(pdf);
  UseA4(pj, 10);
  ASSERT_TRUE(pj.CanPrepare());
  ASSERT_TRUE(pj.StartDoc("Print Out"));
  ASSERT_TRUE(pj.StartPage());
  int w = 0, h = 0;
  ASSERT_TRUE(pj.PrintableArea(&w, &h));
  EXPECT_EQ(w, 1900);
  EXPECT_EQ(h, 2770);
  // 300 x 200 pixels at 300 dpi: 254 x 169 tenths of a millimetre, placed
  // 10 mm right and 20 mm down from the printable area's corner.
  ASSERT_TRUE(pj.PrintImage(view.ImageHandle(), 100, 200, 254, 169));
  ASSERT_TRUE(pj.EndPage());
  ASSERT_TRUE(pj.EndDoc());
  EXPECT_EQ(pj.PageCount(), 1);

  const QImage page = RenderPage(pdf, dir.filePath("page"), 100);
  ASSERT_FALSE(page.isNull());
  EXPECT_NEAR(page.width(), 827, 2);   // 210 mm at 100 dpi
  EXPECT_NEAR(page.height(), 1169, 2); // 297 mm
  const double px_per_mm = 100 / 25.4;
  const double left = 20 * px_per_mm, top = 30 * px_per_mm;
  const double right = left + 25.4 * px_per_mm, bottom = top + 16.9 * px_per_mm;
  EXPECT_TRUE(IsRed(page.pixel(int(left + 3), int(top + 3))));
  EXPECT_TRUE(IsRed(page.pixel(int(right - 3), int(bottom - 3))));
  EXPECT_TRUE(IsWhite(page.pixel(int(left - 3), int(top + 10))));
  EXPECT_TRUE(IsWhite(page.pixel(int(right + 3), int(top + 10))));
  EXPECT_TRUE(IsWhite(page.pixel(int(left + 10), int(bottom + 3))));
  EXPECT_TRUE(IsWhite(page.pixel(int(left + 10), int(top - 3))));
}

TEST(MorvikPrintJob, PageCycleAndSequenceErrors) {
  QTemporaryDir dir;
  Morvik view;
  ASSERT_TRUE(view.ReplaceImage(RedPicture(10, 10)));
  PrintJob& pj = view.PrintJob();
  EXPECT_FALSE(pj.StartPage());
  EXPECT_EQ(view.ErrorCode(), 11);
  EXPECT_FALSE(pj.PrintImage(view.ImageHandle(), 0, 0, 100, 100));
  EXPECT_EQ(view.ErrorCode(), 11);
  pj.SetOutputFile(dir.filePath("two.pdf"));
  ASSERT_TRUE(pj.StartDoc("Print Out"));
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(pj.StartPage());
    EXPECT_FALSE(pj.StartPage());  // one page at a time
    ASSERT_TRUE(pj.PrintImage(view.ImageHandle(), 0, 0, 100, 100));
    ASSERT_TRUE(pj.EndPage());
  }
  EXPECT_FALSE(pj.PrintImage(view.ImageHandle(), 0, 0, 100, 100));
  EXPECT_FALSE(pj.StartDoc("again"));
  ASSERT_TRUE(pj.EndDoc());
  EXPECT_EQ(pj.PageCount(), 2);
  EXPECT_FALSE(pj.EndDoc());
  QFile f(dir.filePath("two.pdf"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().count("/Type /Page\n") + 0, 2);
}

TEST(MorvikPrintJob, SettingsFileRoundTrip) {
  QTemporaryDir dir;
  const QString folder = dir.path() + "/";
  Morvik view;
  PrintJob& pj = view.PrintJob();
  EXPECT_FALSE(pj.LoadSettings(folder));
  EXPECT_EQ(view.ErrorCode(), 16);
  QPageLayout layout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF(7, 8, 9, 11), QPageLayout::Millimeter);
  pj.printer().setPageLayout(layout);
  pj.printer().setCopyCount(3);
  ASSERT_TRUE(pj.SaveSettings(folder));
  ASSERT_TRUE(QFile::exists(folder + "MvPrn.Mv"));

  Morvik other;
  PrintJob& pj2 = other.PrintJob();
  // A broken line is skipped, the rest still applies.
  QFile f(folder + "MvPrn.Mv");
  ASSERT_TRUE(f.open(QIODevice::Append));
  f.write("garbage without equals\nmargins=1,2\n");
  f.close();
  ASSERT_TRUE(pj2.LoadSettings(folder));
  const QPageLayout got = pj2.printer().pageLayout();
  EXPECT_EQ(got.orientation(), QPageLayout::Landscape);
  EXPECT_EQ(got.pageSize().id(), QPageSize::A5);
  EXPECT_NEAR(got.margins(QPageLayout::Millimeter).left(), 7, 0.1);
  EXPECT_NEAR(got.margins(QPageLayout::Millimeter).bottom(), 11, 0.1);
  EXPECT_EQ(pj2.printer().copyCount(), 3);

  EXPECT_FALSE(pj.SaveSettings(folder + "missing/"));
  EXPECT_EQ(view.ErrorCode(), 21);
}

}  // namespace
}  // namespace imaging::control

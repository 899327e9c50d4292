// uRvE: the printer, the scanner and the file details of the dispatcher's
// "ﾌｧｲﾙ" group.
#include <QClipboard>
#include <QGuiApplication>
#include <cmath>

#include "editor/picture_edit/file_rules/close_question.h"
#include "editor/picture_edit/file_rules/messages.h"
#include "editor/picture_edit/urve.h"
#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

// Options of the imaging control's print dialog.
constexpr int kPrintDialogOptions = 0x10000C;

}  // namespace

// --- Printing ---------------------------------------------------------------------

void uRvE::PrinterSetup() {
  MvInstance& mv = seam_->mvImg();
  mv.PrintLoadSettings(Usr().UserDataFolder);
  mv.PrintSetupDialog();
}

void uRvE::PrintPicture() {
  if (!HasPicture()) return;
  MvInstance& mv = seam_->mvImg();
  mv.ReadImageInfo();
  const double rx = mv.ResolutionX() == 0 ? 72 : mv.ResolutionX();
  const double ry = mv.ResolutionY() == 0 ? 72 : mv.ResolutionY();
  // Printed size in 0.1 mm at the picture's own resolution.
  int width = static_cast<int>(std::lround(mv.ImageWidth() / rx * 254.0));
  int height = static_cast<int>(std::lround(mv.ImageHeight() / ry * 254.0));

  mv.PrintLoadSettings(Usr().UserDataFolder);
  if (!mv.PrintCanPrepare() && !mv.PrintDialog(kPrintDialogOptions)) return;
  if (!mv.PrintStartDoc(QStringLiteral("Print Out"))) {
    ShowImagingError();
    return;
  }
  const bool page = mv.PrintStartPage();
  int area_w = 0, area_h = 0;
  bool ok = page && mv.PrintableArea(&area_w, &area_h);
  if (ok && width > 0 && height > 0) {
    // Larger pictures shrink to the printable area; smaller ones print at
    // their natural size.
    double scale = static_cast<double>(area_w) / width;
    scale = std::min(scale, static_cast<double>(area_h) / height);
    if (scale > 0 && scale < 1) {
      width = static_cast<int>(std::lround(width * scale));
      height = static_cast<int>(std::lround(height * scale));
    }
    ok = mv.PrintImage(mv.ImageHandle(), 0, 0, width, height);
  }
  const int16_t code = mv.ErrorCode();
  if (page) mv.PrintEndPage();
  mv.PrintEndDoc();
  lastOk = ok;
  if (!ok) file_rules::ShowImagingError(code, this);
}

// --- Scanning ---------------------------------------------------------------------

bool uRvE::OpenScanner() {
  if (scannerOpen) return true;
  MvInstance& mv = seam_->mvImg();
  scannerOpen = mv.ScannerOpen(hostForm, 1, 0, QStringLiteral("Ruvex"));
  if (!scannerOpen) ShowImagingError();
  return scannerOpen;
}

void uRvE::ScanSource() {
  if (!OpenScanner()) return;
  // A cancelled choice leaves code 0, which shows nothing.
  if (!seam_->mvImg().ScannerSelectSource()) ShowImagingError();
}

void uRvE::Scan() {
  // The scanned picture replaces the held one: changes are asked about
  // first.
  if (vCheckSave() == static_cast<int32_t>(file_rules::CheckSaveAnswer::kCancel)) return;
  if (!OpenScanner()) return;
  MvInstance& mv = seam_->mvImg();
  SetBusy(true);
  mv.ScannerSetShowUI(true);
  int busy_after = 0;
  const bool ok = mv.ScannerAcquire(&busy_after);
  SetBusy(busy_after != 0);
  if (!ok) ShowImagingError();
}

// --- File details -------------------------------------------------------------------

void uRvE::FileDetails() {
  if (!HasPicture()) return;
  MvInstance& mv = seam_->mvImg();
  mv.ReadImageInfo();
  imageWidth = static_cast<float>(mv.ImageWidth());
  imageHeight = static_cast<float>(mv.ImageHeight());
  dpiX = mv.ResolutionX() == 0 ? 72 : mv.ResolutionX();
  dpiY = mv.ResolutionY() == 0 ? 72 : mv.ResolutionY();
  const int64_t file_size = infoFile.isEmpty() ? 0 : FileSize(infoFile);
  const int bits = mv.BitCount();
  const int64_t colours = bits >= 0 && bits < 63 ? (int64_t{1} << bits) : 0;
  const QString nl = QStringLiteral("\n");
  const QString text =
      QStringLiteral("ｲﾒｰｼﾞｻｲｽﾞ: ") + FormatThousands(mv.ImageDataSize()) + nl + QStringLiteral("巾: ") +
      FormatThousands(mv.ImageWidth()) + QStringLiteral("ﾋﾟｸｾﾙ") + nl + QStringLiteral("高さ: ") +
      FormatThousands(mv.ImageHeight()) + QStringLiteral("ﾋﾟｸｾﾙ") + nl + nl + QStringLiteral("解像度巾: ") +
      FormatThousands(dpiX) + QStringLiteral("ﾋﾟｸｾﾙ/ｲﾝﾁ") + nl + QStringLiteral("解像度高さ: ") +
      FormatThousands(dpiY) + QStringLiteral("ﾋﾟｸｾﾙ/ｲﾝﾁ") + nl + nl + QStringLiteral("色数: ") +
      FormatThousands(colours) + " (" + QString::number(bits) + "bit)" + nl + nl + QStringLiteral("ﾌｧｲﾙｻｲｽﾞ: ") +
      FormatThousands(file_size) + nl + nl + QStringLiteral("***  Clipboard に貼り付けました");
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    clipboard->clear();
    clipboard->setText(text);
  }
  platform::ShowMessage(text, this);
}

}  // namespace ruvel

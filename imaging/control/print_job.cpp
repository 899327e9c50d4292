#include "imaging/control/print_job.h"

#include <QDir>
#include <QFile>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QTextStream>

#include "imaging/control/internal/picture_convert.h"
#include "imaging/control/morvik.h"

namespace imaging::control {
namespace {

QString SettingsPath(const QString& folder) {
  QString f = folder;
  if (!f.isEmpty() && !f.endsWith('/')) f += '/';
  return f + PrintJob::kSettingsFile;
}

}  // namespace

PrintJob::PrintJob(Morvik* owner) : owner_(owner), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  printer_->setFullPage(false);
}

PrintJob::~PrintJob() {
  if (painter_) painter_->end();
}

bool PrintJob::LoadSettings(const QString& folder) {
  settings_folder_ = folder;
  QFile f(SettingsPath(folder));
  if (!f.exists()) return owner_->SetErrorCode(Status::kNotFound);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return owner_->SetErrorCode(Status::kCannotOpen);
  QTextStream in(&f);
  QPageLayout layout = printer_->pageLayout();
  QString page_id;
  while (!in.atEnd()) {
    const QString line = in.readLine(4096);
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0) continue;
    const QString key = line.left(eq).trimmed();
    const QString value = line.mid(eq + 1).trimmed();
    bool ok = false;
    if (key == "printer") {
      if (!value.isEmpty() && !QPrinterInfo::printerInfo(value).isNull()) printer_->setPrinterName(value);
    } else if (key == "orientation") {
      layout.setOrientation(value == "landscape" ? QPageLayout::Landscape : QPageLayout::Portrait);
    } else if (key == "page") {
      page_id = value;
    } else if (key == "margins") {
      const QStringList m = value.split(',');
      if (m.size() == 4) {
        double v[4];
        bool all = true;
        for (int i = 0; i < 4; ++i) {
          v[i] = m[i].toDouble(&ok);
          all = all && ok && v[i] >= 0 && v[i] < 200;
        }
        if (all) layout.setUnits(QPageLayout::Millimeter), layout.setMargins(QMarginsF(v[0], v[1], v[2], v[3]));
      }
    } else if (key == "copies") {
      const int c = value.toInt(&ok);
      if (ok && c >= 1 && c <= 999) printer_->setCopyCount(c);
    }
  }
  if (!page_id.isEmpty()) {
    for (int id = 0; id < QPageSize::LastPageSize; ++id) {
      const QPageSize ps(static_cast<QPageSize::PageSizeId>(id));
      if (ps.key() == page_id) {
        layout.setPageSize(ps);
        break;
      }
    }
  }
  printer_->setPageLayout(layout);
  return owner_->SetErrorCode(Status::kOk);
}

bool PrintJob::SaveSettings(const QString& folder) {
  settings_folder_ = folder;
  if (!QDir(folder.isEmpty() ? QString(".") : folder).exists()) return owner_->SetErrorCode(Status::kCannotCreate);
  QSaveFile f(SettingsPath(folder));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) return owner_->SetErrorCode(Status::kCannotCreate);
  const QPageLayout layout = printer_->pageLayout();
  const QMarginsF m = layout.margins(QPageLayout::Millimeter);
  QTextStream out(&f);
  out << "printer=" << (printer_->outputFormat() == QPrinter::NativeFormat ? printer_->printerName() : QString()) << '\n'
      << "orientation=" << (layout.orientation() == QPageLayout::Landscape ? "landscape" : "portrait") << '\n'
      << "page=" << layout.pageSize().key() << '\n'
      << "margins=" << m.left() << ',' << m.top() << ',' << m.right() << ',' << m.bottom() << '\n'
      << "copies=" << printer_->copyCount() << '\n';
  out.flush();
  if (!f.commit()) return owner_->SetErrorCode(Status::kCannotWrite);
  return owner_->SetErrorCode(Status::kOk);
}

bool PrintJob::SetupDialog() {
  QPageSetupDialog dialog(printer_.get(), owner_->window());
  if (dialog.exec() != QDialog::Accepted) {
    owner_->SetErrorCode(Status::kOk);
    return false;
  }
  if (!settings_folder_.isEmpty()) return SaveSettings(settings_folder_);
  return owner_->SetErrorCode(Status::kOk);
}

bool PrintJob::CanPrepare() {
  const bool ok = printer_->outputFormat() == QPrinter::PdfFormat ? !printer_->outputFileName().isEmpty()
                                                                  : printer_->isValid() && !printer_->printerName().isEmpty();
  return owner_->SetErrorCode(ok ? Status::kOk : Status::kNotTarget);
}

bool PrintJob::PrintDialog(int) {
  QPrintDialog dialog(printer_.get(), owner_->window());
  const bool ok = dialog.exec() == QDialog::Accepted;
  owner_->SetErrorCode(Status::kOk);
  return ok;
}

void PrintJob::SetOutputFile(const QString& path) {
  if (path.isEmpty()) {
    printer_->setOutputFormat(QPrinter::NativeFormat);
  } else {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(path);
  }
}

bool PrintJob::StartDoc(const QString& document_name) {
  if (painter_) return owner_->SetErrorCode(Status::kSequence);
  printer_->setDocName(document_name);
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(printer_.get())) return owner_->SetErrorCode(Status::kDraw);
  painter_ = std::move(painter);
  pages_ = 0;
  page_open_ = false;
  return owner_->SetErrorCode(Status::kOk);
}

bool PrintJob::StartPage() {
  if (!painter_ || page_open_) return owner_->SetErrorCode(Status::kSequence);
  // The first page comes with the document; later ones are opened here.
  if (pages_ > 0 && !printer_->newPage()) return owner_->SetErrorCode(Status::kDraw);
  page_open_ = true;
  ++pages_;
  return owner_->SetErrorCode(Status::kOk);
}

bool PrintJob::PrintableArea(int* width, int* height) {
  const QRectF r = printer_->pageLayout().paintRect(QPageLayout::Millimeter);
  if (width) *width = static_cast<int>(r.width() * 10.0);
  if (height) *height = static_cast<int>(r.height() * 10.0);
  return owner_->SetErrorCode(Status::kOk);
}

bool PrintJob::PrintImage(MemHandle handle, int x, int y, int width, int height) {
  if (!painter_ || !page_open_) return owner_->SetErrorCode(Status::kSequence);
  if (width <= 0 || height <= 0) return owner_->SetErrorCode(Status::kBadValue);
  Image img;
  if (handle && handle == owner_->ImageHandle()) img = owner_->image();
  else if (Result r = ImageFromHandle(handle, &img); !r.ok()) return owner_->SetErrorCode(Status::kBadImage);
  const QImage q = ToQImage(img);
  if (q.isNull()) return owner_->SetErrorCode(Status::kMemory);
  owner_->BeginBusy(kBusyFile);
  const double per_unit = printer_->resolution() / 254.0;  // device pixels per 0.1 mm
  const QRectF target(x * per_unit, y * per_unit, width * per_unit, height * per_unit);
  painter_->setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter_->drawImage(target, q);
  owner_->EndBusy(kBusyFile);
  return owner_->SetErrorCode(Status::kOk);
}

bool PrintJob::EndPage() {
  if (!painter_ || !page_open_) return owner_->SetErrorCode(Status::kSequence);
  page_open_ = false;
  return owner_->SetErrorCode(Status::kOk);
}

bool PrintJob::EndDoc() {
  if (!painter_) return owner_->SetErrorCode(Status::kSequence);
  const bool ok = painter_->end();
  painter_.reset();
  page_open_ = false;
  return owner_->SetErrorCode(ok ? Status::kOk : Status::kDraw);
}

}  // namespace imaging::control

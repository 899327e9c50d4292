#include "viewer_common/hosting/about_box.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <memory>

#include "viewer_common/hosting/control.h"
#include "viewer_common/hosting/dialog_runner.h"

namespace hosting {
namespace {
QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }
}  // namespace

QDialog* BuildAboutBox(const AboutInfo& info, QWidget* owner) {
  QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : owner;
  auto* dlg = new QDialog(parent);
  const bool ja = IsJapaneseUi();
  dlg->setWindowTitle(Q(ja ? info.title_ja : info.title_en));
  dlg->setModal(true);
  auto* layout = new QVBoxLayout(dlg);
  if (!info.product_line.empty()) layout->addWidget(new QLabel(Q(info.product_line), dlg));
  if (!info.maker_line.empty()) layout->addWidget(new QLabel(Q(info.maker_line), dlg));
  auto* form = new QFormLayout();
  auto* product = new QLabel(QString::fromStdString(info.product_version), dlg);
  product->setObjectName("productVersion");
  form->addRow(QStringLiteral("Product version"), product);
  auto* file = new QLabel(QString::fromStdString(info.file_version), dlg);
  file->setObjectName("fileVersion");
  form->addRow(QStringLiteral("File version"), file);
  int row = 0;
  for (const auto& [label, version] : info.library_rows) {
    auto* v = new QLabel(Q(version), dlg);
    v->setObjectName(QStringLiteral("library%1").arg(row++));
    form->addRow(Q(label), v);
  }
  layout->addLayout(form);
  const QString url = QString::fromStdString(ja ? info.home_page_ja : info.home_page_en);
  if (!url.isEmpty()) {
    auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(url.toHtmlEscaped()), dlg);
    link->setObjectName("homePage");
    link->setTextFormat(Qt::RichText);
    link->setOpenExternalLinks(true);  // opens with the desktop's URL handler
    layout->addWidget(link);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dlg);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dlg, &QDialog::accept);
  layout->addWidget(buttons);
  dlg->adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect r = dlg->frameGeometry();
    r.moveCenter(screen->availableGeometry().center());
    dlg->move(r.topLeft());
  }
  return dlg;
}

void RunAboutBox(const AboutInfo& info, QWidget* owner) {
  std::unique_ptr<QDialog> dlg(BuildAboutBox(info, owner));
  RunDialog(dlg.get());
}

}  // namespace hosting

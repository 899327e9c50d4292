// spDpi: the resolution dialog.
#include "editor/dialogs/spDpi.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "editor/dialogs/centre_dialog.h"
#include "editor/shell/y_ini.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

PrinterReference AskPrinter(QWidget* parent) {
  PrinterReference ref;
  if (QPrinterInfo::availablePrinters().isEmpty()) return ref;
  ref.installed = true;
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("ﾌﾟﾘﾝﾀｰの設定"));
  if (dialog.exec() != QDialog::Accepted) return ref;
  ref.chosen = true;
  ref.name = printer.printerName();
  ref.dpi_x = printer.physicalDpiX();
  ref.dpi_y = printer.physicalDpiY();
  return ref;
}

PrinterAsker& CurrentAsker() {
  static PrinterAsker asker;
  return asker;
}

// The rounded number at the start of a box's text, kept within 32 bits.
int32_t BoxValue(const QLineEdit* box) {
  const double v = LeadingNumber(box->text());
  if (!(v > -2e9 && v < 2e9)) return 0;
  return static_cast<int32_t>(std::lround(v));
}

}  // namespace

QString OneDecimal(double value) {
  QString text = QString::number(value, 'f', 1);
  if (text.startsWith("0.")) text.remove(0, 1);
  if (text.startsWith("-0.")) text.remove(1, 1);
  return text;
}

void SetPrinterAsker(PrinterAsker asker) { CurrentAsker() = std::move(asker); }

spDpi::spDpi(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("解像度の設定"));
  BuildWindow();
}

spDpi::~spDpi() = default;

void spDpi::BuildWindow() {
  auto* root = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(18);
  const QStringList headers = {QStringLiteral("解像度"), QStringLiteral("画像ｻｲｽﾞ(ﾋﾟｸｾﾙ)"),
                               QStringLiteral("印刷ｻｲｽﾞ(ｲﾝﾁ)"), QStringLiteral("印刷ｻｲｽﾞ(cm)")};
  for (int c = 0; c < 4; ++c) grid->addWidget(new QLabel(headers[c], this), 0, c + 1, Qt::AlignCenter);
  grid->addWidget(new QLabel(QStringLiteral("横方向"), this), 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("縦方向"), this), 2, 0);
  txYoko_ = new QLineEdit(QStringLiteral("72"), this);
  txTate_ = new QLineEdit(QStringLiteral("72"), this);
  for (QLineEdit* box : {txYoko_, txTate_}) {
    box->setAlignment(Qt::AlignRight);
    box->setMaximumWidth(90);
    box->installEventFilter(this);
  }
  grid->addWidget(txYoko_, 1, 1);
  grid->addWidget(txTate_, 2, 1);
  for (int i = 0; i < 3; ++i) {
    lbYoko_[i] = new QLabel(this);
    lbTate_[i] = new QLabel(this);
    for (QLabel* l : {lbYoko_[i], lbTate_[i]}) {
      l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      l->setFrameShape(QFrame::Panel);
      l->setFrameShadow(QFrame::Sunken);
      l->setMinimumWidth(90);
    }
    grid->addWidget(lbYoko_[i], 1, i + 2);
    grid->addWidget(lbTate_[i], 2, i + 2);
  }
  root->addLayout(grid);

  auto* same = new QHBoxLayout;
  chXY_ = new QCheckBox(QStringLiteral("縦･横の解像度は同一"), this);
  ssCom_ = new QToolButton(this);
  ssCom_->setIcon(QIcon::fromTheme(QStringLiteral("edit-undo"), style()->standardIcon(QStyle::SP_BrowserReload)));
  ssCom_->setToolTip(QStringLiteral("解像度を元の値に戻します"));
  same->addWidget(ssCom_);
  same->addWidget(chXY_);
  same->addStretch();
  root->addLayout(same);

  auto* printerBox = new QGroupBox(QStringLiteral("ﾌﾟﾘﾝﾀｰの解像度の参照"), this);
  auto* pg = new QGridLayout(printerBox);
  cmPrn_ = new QPushButton(printerBox);
  cmPrn_->setIcon(QIcon::fromTheme(QStringLiteral("document-print"), style()->standardIcon(QStyle::SP_ComputerIcon)));
  cmPrn_->setAutoDefault(false);
  for (int i = 0; i < 3; ++i) {
    lbPrn_[i] = new QLabel(printerBox);
    lbPrn_[i]->setFrameShape(QFrame::Panel);
    lbPrn_[i]->setFrameShadow(QFrame::Sunken);
    lbPrn_[i]->setMinimumWidth(i == 0 ? 220 : 70);
  }
  lbPrn_[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lbPrn_[2]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  pg->addWidget(cmPrn_, 1, 0);
  pg->addWidget(lbPrn_[0], 1, 1);
  pg->addWidget(new QLabel(QStringLiteral("解像度(横)"), printerBox), 0, 2, Qt::AlignCenter);
  pg->addWidget(new QLabel(QStringLiteral("解像度(縦)"), printerBox), 0, 3, Qt::AlignCenter);
  pg->addWidget(lbPrn_[1], 1, 2);
  pg->addWidget(lbPrn_[2], 1, 3);
  root->addWidget(printerBox);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new QLabel(QStringLiteral("GIF形式で保存する場合は､設定値は無効です"), this), 1);
  cmOK_[0] = new QPushButton(QStringLiteral("&OK"), this);
  cmOK_[1] = new QPushButton(QStringLiteral("&Cancel"), this);
  for (int i = 0; i < 2; ++i) {
    cmOK_[i]->setAutoDefault(false);
    bottom->addWidget(cmOK_[i]);
    connect(cmOK_[i], &QPushButton::clicked, this, [this, i] { Button(i); });
  }
  root->addLayout(bottom);

  connect(ssCom_, &QToolButton::clicked, this, [this] {
    busy_ = true;
    txYoko_->setText(QString::number(initialX_));
    txTate_->setText(QString::number(initialY_));
    busy_ = false;
  });
  connect(cmPrn_, &QPushButton::clicked, this, &spDpi::PrinterButton);
}

bool spDpi::eventFilter(QObject* watched, QEvent* event) {
  const int d = watched == txYoko_ ? 1 : watched == txTate_ ? 2 : 0;
  if (d != 0) {
    auto* box = static_cast<QLineEdit*>(watched);
    switch (event->type()) {
      case QEvent::FocusIn:
        QTimer::singleShot(0, box, &QLineEdit::selectAll);
        break;
      case QEvent::FocusOut:
        if (!busy_) Recalculate(d);
        break;
      case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down || key == Qt::Key_Tab) {
          if (!busy_) {
            Recalculate(d);
            cmOK_[0]->setFocus();
          }
          return true;
        }
        break;
      }
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void spDpi::Act(int32_t* x, int32_t* y, int32_t width, int32_t height, bool* ok, QWidget* parent) {
  spDpi dialog(parent);
  dialog.Load(*x, *y, width, height);
  CentreOverMainWindow(&dialog, parent);
  dialog.exec();
  *ok = dialog.Ok();
  if (*ok) {
    *x = dialog.NewX();
    *y = dialog.NewY();
  }
}

void spDpi::Load(int32_t x, int32_t y, int32_t width, int32_t height) {
  busy_ = true;
  initialX_ = x;
  initialY_ = y;
  width_ = width;
  height_ = height;
  txYoko_->setText(QString::number(x));
  txTate_->setText(QString::number(y));
  lbYoko_[0]->setText(QString::number(width));
  lbTate_[0]->setText(QString::number(height));
  busy_ = false;
  Recalculate(0);
}

void spDpi::Recalculate(int d) {
  if (d != 0 && chXY_->isChecked()) {
    busy_ = true;
    if (d == 1) txTate_->setText(txYoko_->text());
    if (d == 2) txYoko_->setText(txTate_->text());
    busy_ = false;
  }
  busy_ = true;
  newX_ = BoxValue(txYoko_);
  if (newX_ > 0) {
    const double inches = static_cast<double>(width_) / newX_;
    lbYoko_[1]->setText(OneDecimal(inches));
    lbYoko_[2]->setText(OneDecimal(inches * 2.54));
  }
  newY_ = BoxValue(txTate_);
  if (newY_ >= 1) {
    const double inches = static_cast<double>(height_) / newY_;
    lbTate_[1]->setText(OneDecimal(inches));
    lbTate_[2]->setText(OneDecimal(inches * 2.54));
  }
  busy_ = false;
}

void spDpi::Button(int i) {
  if (i == 0) {
    Recalculate(0);
    if (newX_ < 1 || newX_ > kMaxResolution || newY_ < 1 || newY_ > kMaxResolution) {
      platform::ShowMessage(QStringLiteral("解像度には 1 から ") + QString::number(kMaxResolution) +
                                QStringLiteral(" までの数値を入力して下さい"),
                            this);
      return;
    }
  }
  ok_ = i == 0 && (newX_ != initialX_ || newY_ != initialY_);
  if (i == 0) {
    accept();
  } else {
    reject();
  }
}

void spDpi::PrinterButton() {
  const PrinterReference ref = CurrentAsker() ? CurrentAsker()(this) : AskPrinter(this);
  if (!ref.installed) {
    platform::ShowMessage(QStringLiteral("ﾌﾟﾘﾝﾀｰがｲﾝｽﾄｰﾙされていません"), this);
    return;
  }
  if (!ref.chosen) return;
  lbPrn_[0]->setText(ref.name);
  lbPrn_[1]->setText(QString::number(ref.dpi_x));
  lbPrn_[2]->setText(QString::number(ref.dpi_y));
}

}  // namespace ruvel

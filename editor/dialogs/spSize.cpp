// spSize: the selection size dialog.
#include "editor/dialogs/spSize.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "editor/dialogs/centre_dialog.h"
#include "editor/shell/y_ini.h"
#include "platform/prompt.h"
#include "platform/screen.h"

namespace ruvel {
namespace {

const QString kTemporary = QStringLiteral("Temporary");

// Largest size an entry may hold, in its unit.
constexpr double kMaxPixels = 100000;
constexpr double kMaxCentimetres = 10000;

// "#,#": thousands grouped with commas.
QString Grouped(int64_t value) {
  QString digits = QString::number(value < 0 ? -value : value);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, ',');
  return value < 0 ? "-" + digits : digits;
}

// A typed size: the whole text must be a number (blanks around allowed).
bool ReadSize(const QString& text, double* value) {
  bool ok = false;
  *value = text.trimmed().toDouble(&ok);
  return ok && std::isfinite(*value);
}

}  // namespace

bool StartCalculator() {
  for (const QString& program : kCalculatorPrograms) {
    const QString path = QStandardPaths::findExecutable(program);
    if (!path.isEmpty() && QProcess::startDetached(path, {})) return true;
  }
  return false;
}

// --- The window ---------------------------------------------------------------------

spSize::spSize(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("選択･切取ｻｲｽﾞの登録"));
  BuildWindow();
}

spSize::~spSize() = default;

void spSize::BuildWindow() {
  auto* root = new QHBoxLayout(this);

  // The registered entries and their list buttons.
  auto* left = new QVBoxLayout;
  lsHani_ = new QListWidget(this);
  lsHani_->setMinimumWidth(220);
  left->addWidget(lsHani_, 1);
  auto* order = new QHBoxLayout;
  const QStringList captions = {"↑", "↓", "削除", "←修正", "←追加"};
  for (int i = 0; i < 5; ++i) {
    cmLst_[i] = new QPushButton(captions[i], this);
    cmLst_[i]->setAutoDefault(false);
    connect(cmLst_[i], &QPushButton::clicked, this, [this, i] { ListButton(i); });
  }
  for (int i = 0; i < 3; ++i) order->addWidget(cmLst_[i]);
  left->addLayout(order);
  root->addLayout(left, 1);

  auto* middle = new QVBoxLayout;
  middle->addStretch();
  for (int i = 3; i < 5; ++i) {
    cmLst_[i]->setToolTip(QStringLiteral("既存の登録名が存在すれば､上書きとなります"));
    middle->addWidget(cmLst_[i]);
  }
  middle->addStretch();
  root->addLayout(middle);

  // The entry being edited.
  auto* right = new QVBoxLayout;
  auto* nameRow = new QHBoxLayout;
  txCap_ = new QLineEdit(this);
  txCap_->setMinimumWidth(160);
  lbCap_ = new QLabel(this);
  lbCap_->setFrameShape(QFrame::Panel);
  lbCap_->setFrameShadow(QFrame::Sunken);
  lbCap_->setMinimumWidth(150);
  nameRow->addWidget(txCap_, 1);
  nameRow->addWidget(lbCap_, 1);
  right->addLayout(nameRow);

  auto* sides = new QHBoxLayout;
  auto* options = new QButtonGroup(this);
  const QStringList optionTexts = {QStringLiteral("画像ｻｲｽﾞをﾋﾟｸｾﾙで指定する"), QStringLiteral("印刷ｻｲｽﾞをｾﾝﾁで指定する")};
  for (int k = 0; k < 2; ++k) {
    auto* box = new QFrame(this);
    box->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(box);
    opSize_[k] = new QRadioButton(optionTexts[k], box);
    options->addButton(opSize_[k], k);
    grid->addWidget(opSize_[k], 0, 0, 1, 4);
    txSizeX_[k] = new QLineEdit(QStringLiteral("0"), box);
    txSizeY_[k] = new QLineEdit(QStringLiteral("0"), box);
    for (QLineEdit* e : {txSizeX_[k], txSizeY_[k]}) {
      e->setAlignment(Qt::AlignRight);
      e->installEventFilter(this);
      connect(e, &QLineEdit::editingFinished, this, [this, k] { SizeEdited(k); });
    }
    grid->addWidget(txSizeX_[k], 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("x"), box), 1, 2, Qt::AlignCenter);
    grid->addWidget(txSizeY_[k], 1, 3);
    lsSize_[k] = new QListWidget(box);
    // The presets line up in columns of a fixed-pitch face.
    QFont fixed(QStringLiteral("Noto Sans Mono CJK JP"));
    fixed.setStyleHint(QFont::Monospace);
    lsSize_[k]->setFont(fixed);
    lsSize_[k]->setMinimumHeight(150);
    grid->addWidget(lsSize_[k], 2, 0, 1, 4);
    txPsnt_[k] = new QLineEdit(QStringLiteral("100"), box);
    txPsnt_[k]->setAlignment(Qt::AlignRight);
    txPsnt_[k]->setMaximumWidth(60);
    grid->addWidget(txPsnt_[k], 3, 0);
    grid->addWidget(new QLabel(QStringLiteral("%"), box), 3, 1);
    chXY_[k] = new QCheckBox(QStringLiteral("縦横入替"), box);
    grid->addWidget(chXY_[k], 3, 2, 1, 2);
    sides->addWidget(box);

    connect(lsSize_[k], &QListWidget::itemClicked, this, [this, k] {
      if (busy_) return;
      opSize_[k]->setChecked(true);
      TakePreset(k);
    });
    connect(chXY_[k], &QCheckBox::clicked, this, [this, k] {
      if (!busy_) TakePreset(k);
    });
    connect(txPsnt_[k], &QLineEdit::editingFinished, this, [this, k] {
      if (!busy_) TakePreset(k);
    });
    connect(txPsnt_[k], &QLineEdit::textChanged, this, [this, k] {
      if (!busy_) PercentChanged(k);
    });
  }
  right->addLayout(sides);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new QLabel(QStringLiteral("ｽｸﾘｰﾝｻｲｽﾞは現在のﾀｽｸﾊﾞｰを除く表示域"), this), 1);
  ssCom_ = new QToolButton(this);
  ssCom_->setIcon(QIcon::fromTheme(QStringLiteral("accessories-calculator")));
  if (ssCom_->icon().isNull()) ssCom_->setText(QStringLiteral("電卓"));
  ssCom_->setToolTip(QStringLiteral("電卓を起動します"));
  bottom->addWidget(ssCom_);
  cmClose_ = new QPushButton(QStringLiteral("閉じる"), this);
  cmClose_->setAutoDefault(false);
  bottom->addWidget(cmClose_);
  right->addLayout(bottom);
  root->addLayout(right, 2);

  connect(lsHani_, &QListWidget::itemClicked, this, [this] {
    if (!busy_) ShowEntry(lsHani_->currentRow(), false);
  });
  connect(txCap_, &QLineEdit::textChanged, this, [this] {
    if (!busy_) NameCheck();
  });
  connect(ssCom_, &QToolButton::clicked, this, [this] {
    if (!StartCalculator())
      platform::ShowMessage(QStringLiteral("電卓が見つかりません (") + kCalculatorPrograms.join(", ") + ")", this);
  });
  connect(cmClose_, &QPushButton::clicked, this, &QDialog::accept);
}

bool spSize::eventFilter(QObject* watched, QEvent* event) {
  // Entering a size box selects its whole text.
  if (event->type() == QEvent::FocusIn) {
    if (auto* edit = qobject_cast<QLineEdit*>(watched)) QTimer::singleShot(0, edit, &QLineEdit::selectAll);
  }
  return QDialog::eventFilter(watched, event);
}

void spSize::ScrnSz(int32_t* width, int32_t* height) {
  const QRect area = platform::CurrentScreen().Metrics().work_area;
  *width = area.width();
  *height = area.height();
}

void spSize::Act(QString* ranges, int32_t width, int32_t height, QWidget* parent) {
  spSize dialog(parent);
  dialog.Load(*ranges, width, height);
  CentreOverMainWindow(&dialog, parent);
  dialog.exec();
  *ranges = dialog.Ranges();
}

void spSize::Load(const QString& ranges, int32_t width, int32_t height) {
  busy_ = true;
  txSizeX_[0]->setText(QString::number(width));
  txSizeY_[0]->setText(QString::number(height));
  txCap_->setText(kTemporary);
  entries_ = SizeListEntries(ranges, width, height);
  FillList();
  ShowEntry(0, true);
  FillPresets();
  busy_ = false;
}

void spSize::FillPresets() {
  for (QListWidget* l : lsSize_) l->clear();
  lsSize_[0]->addItems({"QVGA   320 x   240", " VGA   640 x   480", "SVGA   800 x   600", " XGA 1,024 x   768",
                        "SXGA 1,280 x 1,024", "UXGA 1,600 x 1,200"});
  int32_t w = 0, h = 0;
  ScrnSz(&w, &h);
  lsSize_[0]->addItem(QStringLiteral("ｽｸﾘｰﾝ ") + Grouped(w) + " * " + Grouped(h));
  lsSize_[1]->addItems({"A4   21.0 x 29.7", "B5   18.2 x 25.7", "A5   14.8 x 21.0", "A6   10.5 x 14.8",
                        QStringLiteral("ﾊｶﾞｷ 10.0 x 14.8"), QStringLiteral("ﾌｫﾄ  10.2 x 15.2"),
                        QStringLiteral("L判   8.9 x 12.7")});
}

void spSize::FillList() {
  lsHani_->clear();
  for (const QString& e : entries_) lsHani_->addItem(ShownSizeEntry(e));
}

int spSize::Selected() const {
  const int row = lsHani_->currentRow();
  if (row < 0 || lsHani_->currentItem() == nullptr || !lsHani_->currentItem()->isSelected()) return -1;
  return row;
}

int spSize::SelectedSide() const { return opSize_[1]->isChecked() ? 1 : 0; }

void spSize::ShowEntry(int index, bool from_caller) {
  busy_ = true;
  const int n = static_cast<int>(entries_.size()) - 1;
  if (index > n) index = -1;
  cmLst_[0]->setEnabled(index > 0);
  cmLst_[1]->setEnabled(index >= 0 && index < n);
  cmLst_[2]->setEnabled(index >= 0);
  cmLst_[3]->setEnabled(from_caller);
  cmLst_[4]->setEnabled(false);
  if (index >= 0) {
    lsHani_->setCurrentRow(index);
    if (from_caller) {
      opSize_[0]->setChecked(true);
      lbCap_->setText(txSizeX_[0]->text() + " x " + txSizeY_[0]->text() + "px");
    } else {
      const SizeEntry e = ParseSizeEntry(entries_[index]);
      txCap_->setText(e.name);
      const int k = e.unit == "cm" ? 1 : 0;
      opSize_[k]->setChecked(true);
      txSizeX_[k]->setText(e.width);
      txSizeY_[k]->setText(e.height);
      lbCap_->setText(e.width + " x " + e.height + e.unit);
    }
    for (QListWidget* l : lsSize_) l->clearSelection();
  }
  busy_ = false;
}

void spSize::PercentChanged(int side) {
  const double p = LeadingNumber(txPsnt_[side]->text());
  QPalette pal = txPsnt_[side]->palette();
  pal.setColor(QPalette::Text, (p > 0 && p <= 100) ? Qt::black : QColor(255, 0, 0));
  txPsnt_[side]->setPalette(pal);
}

void spSize::TakePreset(int side) {
  const double p = LeadingNumber(txPsnt_[side]->text());
  if (!(p > 0 && p <= 100)) return;
  QListWidgetItem* item = lsSize_[side]->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  QString text = item->text().trimmed();
  text.remove(',');
  const QStringList parts = text.simplified().split(' ');
  if (parts.size() < 4) return;
  busy_ = true;
  txCap_->setText(parts[0] + " " + SizeNumberText(p) + "%");
  busy_ = false;
  const QString a = SizeNumberText(LeadingNumber(parts[1]) * p / 100);
  const QString b = SizeNumberText(LeadingNumber(parts[3]) * p / 100);
  const bool swap = chXY_[side]->isChecked();
  txSizeX_[side]->setText(swap ? b : a);
  txSizeY_[side]->setText(swap ? a : b);
  SizeEdited(side);
}

void spSize::SizeEdited(int side) {
  opSize_[side]->setChecked(true);
  lbCap_->setText(txSizeX_[side]->text() + " x " + txSizeY_[side]->text() + (side == 1 ? " cm" : " px"));
  NameCheck();
}

bool spSize::NameTaken(const QString& name) const {
  return (":" + entries_.join(':')).contains(":" + name + ",");
}

void spSize::NameCheck() {
  cmLst_[3]->setEnabled(Selected() >= 0);
  const QString name = txCap_->text();
  if (!name.isEmpty()) cmLst_[4]->setEnabled(!NameTaken(name));
}

QString spSize::EditedEntry() {
  const QString name = txCap_->text();
  if (!UsableEntryName(name)) {
    platform::ShowMessage(QStringLiteral("登録名が空か､使えない文字( : , )を含んでいます"), this);
    return {};
  }
  const int k = SelectedSide();
  double w = 0, h = 0;
  const double max = k == 1 ? kMaxCentimetres : kMaxPixels;
  if (!ReadSize(txSizeX_[k]->text(), &w) || !ReadSize(txSizeY_[k]->text(), &h) || w <= 0 || h <= 0 || w > max ||
      h > max) {
    platform::ShowMessage(QStringLiteral("ｻｲｽﾞには 0 より大きく ") + SizeNumberText(max) +
                              (k == 1 ? QStringLiteral(" 以下の数値(cm)を入力して下さい")
                                      : QStringLiteral(" 以下の数値(ﾋﾟｸｾﾙ)を入力して下さい")),
                          this);
    return {};
  }
  // Pixel sizes are whole numbers.
  if (k == 0) {
    w = std::round(w);
    h = std::round(h);
    if (w < 1 || h < 1) w = h = 1;
  }
  return name + "," + SizeNumberText(w) + "," + SizeNumberText(h) + (k == 1 ? ",cm" : ",px");
}

void spSize::ListButton(int button) {
  const int a = Selected();
  int selection = a;
  const int n = static_cast<int>(entries_.size());
  switch (button) {
    case 0:
      if (a < 1 || a >= n) return;
      entries_.swapItemsAt(a, a - 1);
      selection = a - 1;
      break;
    case 1:
      if (a < 0 || a + 1 >= n) return;
      entries_.swapItemsAt(a, a + 1);
      selection = a + 1;
      break;
    case 2:
      if (a < 0 || a >= n) return;
      entries_.removeAt(a);
      selection = -1;
      break;
    case 3: {
      if (a < 0 || a >= n) return;
      const QString edited = EditedEntry();
      if (edited.isEmpty()) return;
      entries_[a] = edited;
      break;
    }
    case 4: {
      const QString edited = EditedEntry();
      if (edited.isEmpty()) return;
      entries_.insert(a < 0 ? 0 : a, edited);
      break;
    }
    default:
      return;
  }
  busy_ = true;
  FillList();
  for (QPushButton* b : cmLst_) b->setEnabled(false);
  if (selection >= 0 && selection < lsHani_->count()) {
    lsHani_->setCurrentRow(selection);
  } else {
    lsHani_->setCurrentRow(-1);
  }
  busy_ = false;
}

}  // namespace ruvel

// spImgR: the rotation dialog.
#include "editor/dialogs/spImgR.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "editor/dialogs/dialog_imaging.h"
#include "editor/dialogs/dialog_place.h"
#include "editor/dialogs/effect_dialog.h"
#include "editor/dialogs/image_menu.h"
#include "editor/picture_edit/imaging_seam/imaging_seam.h"
#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"

namespace ruvel {

namespace {

struct FixedTurn {
  const char* caption;
  int angle;
  bool flip_horizontal;
  bool flip_vertical;
};

constexpr std::array<FixedTurn, 6> kTurns{{
    {"左180度", 18000, false, false},
    {"左 90度", 9000, false, false},
    {"右 90度", -9000, false, false},
    {"右180度", -18000, false, false},
    {"上下反転", 0, false, true},
    {"左右反転", 0, true, false},
}};

const char* const kStartPrompt = "基準線の開始位置を指定して下さい";

// A button picture: the letter "F" turned or flipped as the button does.
QIcon TurnIcon(const FixedTurn& t) {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
  p.drawRect(1, 1, 29, 29);
  p.translate(16, 16);
  p.rotate(-t.angle / 100.0);  // positive angles turn left
  p.scale(t.flip_horizontal ? -1 : 1, t.flip_vertical ? -1 : 1);
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(20);
  p.setFont(f);
  p.setPen(QColor(0x20, 0x40, 0xA0));
  p.drawText(QRect(-10, -12, 20, 24), Qt::AlignCenter, QStringLiteral("F"));
  return QIcon(pm);
}

QIcon MagnifierIcon() {
  QPixmap pm(28, 28);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2.5));
  p.setBrush(QColor(0xD8, 0xE8, 0xFF));
  p.drawEllipse(QPointF(11, 11), 7.5, 7.5);
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(17, 17), QPointF(24, 24));
  return QIcon(pm);
}

}  // namespace

int StraighteningAngle(const BaseLine& line, bool vertical) {
  const double dx = line.x2 - line.x1;
  const double dy = line.y2 - line.y1;
  if (dx == 0 || dy == 0) return 0;
  int angle = RoundHalfEven(std::atan(dy / dx) * 5729.578);
  if (vertical) angle += angle < 0 ? 9000 : -9000;
  return angle;
}

spImgR::spImgR(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("画像の回転"));
  setModal(true);
  work_ = NewPreviewControl(this);
  work_->SetRectSelect(false);  // clicks set base-line points, drags select nothing

  QHBoxLayout* menu_row = NewImageMenuRow(this, &lb_com_);

  auto* turns = new QGridLayout;
  for (int i = 0; i < 6; ++i) {
    cm_rect_[i] = new QToolButton(this);
    cm_rect_[i]->setText(QString::fromUtf8(kTurns[i].caption));
    cm_rect_[i]->setIcon(TurnIcon(kTurns[i]));
    cm_rect_[i]->setIconSize(QSize(32, 32));
    cm_rect_[i]->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    cm_rect_[i]->setMinimumWidth(76);
    turns->addWidget(cm_rect_[i], i / 3, i % 3);
    const FixedTurn t = kTurns[i];
    connect(cm_rect_[i], &QToolButton::clicked, this,
            [this, t] { Rotate(t.angle, t.flip_horizontal, t.flip_vertical); });
  }

  auto* line_box = new QGroupBox(this);
  auto* line_col = new QVBoxLayout(line_box);
  line_col->addWidget(new QLabel(QStringLiteral("基準線を指定"), line_box));
  lb_point_ = new QLabel(QString::fromUtf8(kStartPrompt), line_box);
  lb_point_->setStyleSheet(QStringLiteral("color: #1040a0;"));
  line_col->addWidget(lb_point_);
  cm_line_[0] = new QPushButton(QStringLiteral("基準線が水平になるように回転"), line_box);
  cm_line_[1] = new QPushButton(QStringLiteral("基準線が垂直になるように回転"), line_box);
  cm_clr_ = new QPushButton(QStringLiteral("基準線の初期化"), line_box);
  for (QPushButton* b : {cm_line_[0], cm_line_[1], cm_clr_}) line_col->addWidget(b);
  connect(cm_line_[0], &QPushButton::clicked, this, [this] { Straighten(false); });
  connect(cm_line_[1], &QPushButton::clicked, this, [this] { Straighten(true); });
  connect(cm_clr_, &QPushButton::clicked, this, [this] {
    work_->Redraw();
    ResetBaseLine();
  });

  auto* size_box = new QGroupBox(QStringLiteral("回転に伴う  ｻｲｽﾞ調整"), this);
  auto* size_row = new QHBoxLayout(size_box);
  op_size_[0] = new QRadioButton(QStringLiteral("調整する"), size_box);
  op_size_[1] = new QRadioButton(QStringLiteral("切り捨て"), size_box);
  op_size_[0]->setChecked(true);
  size_row->addWidget(op_size_[0]);
  size_row->addWidget(op_size_[1]);

  ch_dsp_ = new QCheckBox(QStringLiteral("実寸表示"), this);
  im_dsp_ = new QToolButton(this);
  im_dsp_->setIcon(MagnifierIcon());
  im_dsp_->setIconSize(QSize(28, 28));
  im_dsp_->setToolTip(QStringLiteral("左ｸﾘｯｸで拡大､右ｸﾘｯｸで縮小"));
  im_dsp_->installEventFilter(this);
  connect(ch_dsp_, &QCheckBox::clicked, this, &spImgR::slotActualSize);
  auto* disp_row = new QHBoxLayout;
  disp_row->addWidget(ch_dsp_);
  disp_row->addWidget(im_dsp_);
  disp_row->addStretch(1);

  auto* left = new QVBoxLayout;
  left->addLayout(turns);
  left->addWidget(line_box);
  left->addWidget(size_box);
  left->addLayout(disp_row);
  left->addStretch(1);

  work_->widget()->setMinimumSize(440, 400);
  auto* body = new QHBoxLayout;
  body->addLayout(left, 0);
  body->addWidget(work_->widget(), 1);
  auto* top = new QVBoxLayout(this);
  top->addLayout(menu_row);
  top->addLayout(body, 1);

  connect(lb_com_[0], &QToolButton::clicked, this, &spImgR::slotImageMenu);
  connect(lb_com_[1], &QToolButton::clicked, this, &spImgR::slotUndo);
  connect(work_.get(), &MvInstance::ImageClick, this, [this](int button) {
    if (button == 1) PictureClicked(work_->PointPosition().x(), work_->PointPosition().y());
  });
}

spImgR::~spImgR() = default;

void spImgR::Act(MvInstance& xImg, int& iDmd, QString& sBt, bool& bOkC) {
  spImgR dialog(Usr().MainForm.data());
  bOkC = dialog.Open(xImg, iDmd, sBt);
}

bool spImgR::Open(MvInstance& xImg, int iDmd, const QString& sBt) {
  caller_ = &xImg;
  caller_mode_ = iDmd;
  depth_text_ = sBt;
  caller_depth_ = sBt;
  result_ = false;
  ch_dsp_->setChecked(false);
  im_dsp_->setEnabled(false);
  preview_mode_ = 1;
  work_->SetImageHandle(work_->DuplicateImage(xImg.ImageHandle()));
  if (work_->ImageHandle()) work_->DrawImage(1);
  ResetBaseLine();
  PlaceDialogWindow(this);
  exec();
  if (work_->ImageHandle()) work_->ReleaseImage(work_->ImageHandle());
  caller_ = nullptr;
  return result_;
}

void spImgR::Rotate(int angle, bool flip_horizontal, bool flip_vertical) {
  if (!work_->ImageHandle()) return;
  SetBusy(true);
  // Rotation works on 16 bits or more (or 256 greys).  The copy is
  // converted before its first turn only; it stays at 16 bits afterwards.
  if (!(QStringLiteral(".80.16.24.32.").contains(QLatin1Char('.') + depth_text_))) {
    if (work_->ConvertDepth(16, false, true, 128)) depth_text_ = QStringLiteral("16.");
  }
  work_->SetRegionInside(1);
  work_->RotateImage(angle, flip_horizontal, flip_vertical, true, 255, 255, 255, op_size_[1]->isChecked());
  work_->DrawImage(preview_mode_);
  // The marks and points of a base line belong to the picture before the
  // turn; they are cleared with it.
  if (step_ != 0) {
    work_->Redraw();
    ResetBaseLine();
  }
  SetBusy(false);
}

void spImgR::PictureClicked(int x, int y) {
  if (step_ == 0) {
    line_.x1 = x;
    line_.y1 = y;
    lb_point_->setText(QStringLiteral("基準線の終了位置を指定して下さい"));
    dlg::MarkRect(*work_, x - 2, y - 2, x + 2, y + 2);
    step_ = 1;
  } else if (step_ == 1) {
    line_.x2 = x;
    line_.y2 = y;
    cm_line_[0]->setEnabled(true);
    cm_line_[1]->setEnabled(true);
    dlg::MarkLine(*work_, line_.x1, line_.y1, line_.x2, line_.y2);
    lb_point_->setText(QStringLiteral("画像の回転方向を指定して下さい"));
    step_ = 2;
  }
}

void spImgR::Straighten(bool vertical) {
  if (line_.x2 - line_.x1 == 0 || line_.y2 - line_.y1 == 0) return;
  Rotate(StraighteningAngle(line_, vertical), false, false);
}

void spImgR::ResetBaseLine() {
  line_ = BaseLine{};
  step_ = 0;
  cm_line_[0]->setEnabled(false);
  cm_line_[1]->setEnabled(false);
  lb_point_->setText(QString::fromUtf8(kStartPrompt));
}

void spImgR::slotUndo() {
  if (!caller_) return;
  muted_ = true;
  work_->SetImageHandle(work_->DuplicateImage(caller_->ImageHandle()));
  depth_text_ = caller_depth_;
  work_->DrawImage(preview_mode_);
  ResetBaseLine();
  muted_ = false;
}

void spImgR::slotImageMenu() {
  const QString choice = ChooseImageMenu(this);
  // A menu closed without a choice applies nothing and keeps the dialog.
  if (choice.isEmpty()) return;
  if (choice != QStringLiteral("閉じる") && caller_ && work_->ImageHandle()) {
    const imaging::MemHandle copy = caller_->DuplicateImage(work_->ImageHandle());
    if (copy && caller_->SetImageHandle(copy)) {
      caller_->DrawImage(caller_mode_);
      caller_->Redraw();
      result_ = true;
    }
  }
  if (choice != QStringLiteral("更新継続")) done(result_ ? QDialog::Accepted : QDialog::Rejected);
}

void spImgR::slotActualSize() {
  const bool actual = ch_dsp_->isChecked();
  preview_mode_ = actual ? 3 : 1;
  im_dsp_->setEnabled(actual);
  work_->SetZoomX(1.0);
  work_->SetZoomY(1.0);
  work_->DrawImage(preview_mode_);
}

bool spImgR::eventFilter(QObject* watched, QEvent* event) {
  if (watched == im_dsp_ && event->type() == QEvent::MouseButtonPress && im_dsp_->isEnabled()) {
    const auto* me = static_cast<QMouseEvent*>(event);
    const double factor = me->button() == Qt::RightButton ? 1.0 / 1.5 : 1.5;
    work_->SetZoomX(work_->ZoomX() * factor);
    work_->SetZoomY(work_->ZoomY() * factor);
    work_->DrawImage(preview_mode_);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void spImgR::reject() { QDialog::reject(); }

}  // namespace ruvel

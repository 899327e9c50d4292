// The frame and preview cycle shared by the effects and correction dialogs.
#include "editor/dialogs/effect_dialog.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "editor/dialogs/dialog_imaging.h"
#include "editor/dialogs/dialog_place.h"
#include "editor/dialogs/image_menu.h"
#include "editor/picture_edit/imaging_seam/imaging_seam.h"
#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"

namespace ruvel {

int RoundHalfEven(double value) {
  if (!std::isfinite(value)) return 0;
  const double r = std::nearbyint(value);
  if (r > 2147483647.0) return 2147483647;
  if (r < -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(r);
}

namespace {

// The "Draw" toggle's picture: a pen stroke over a small canvas.
QIcon DrawIcon() {
  QPixmap pm(20, 20);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
  p.setBrush(Qt::white);
  p.drawRect(1, 3, 16, 14);
  p.setPen(QPen(QColor(0xC0, 0x30, 0x30), 2));
  p.drawLine(4, 14, 15, 4);
  return QIcon(pm);
}

}  // namespace

EffectDialog::EffectDialog(const QString& caption, const QStringList& tab_names, QWidget* parent)
    : QDialog(parent), tabs_(new QTabBar(this)), group_area_(new QWidget(this)), draw_(new QToolButton(this)),
      preview_timer_(new QTimer(this)) {
  setWindowTitle(caption);
  setModal(true);
  work_ = NewPreviewControl(this);
  base_ = NewPreviewControl(this);
  base_->widget()->hide();

  // The update/close menu and undo, as clickable labels along the top.
  QHBoxLayout* menu_row = NewImageMenuRow(this, &lb_com_);

  for (const QString& name : tab_names) tabs_->addTab(name);
  tabs_->setExpanding(false);
  tabs_->setUsesScrollButtons(false);

  group_layout_ = new QVBoxLayout(group_area_);
  group_layout_->setContentsMargins(0, 0, 0, 0);

  auto* fr_rect = new QGroupBox(this);
  fr_rect->setToolTip(QStringLiteral("範囲が指定された場合の対象が内側か外側かの指定"));
  auto* rect_row = new QHBoxLayout(fr_rect);
  op_rect_[0] = new QRadioButton(QStringLiteral("内側"), fr_rect);
  op_rect_[1] = new QRadioButton(QStringLiteral("外側"), fr_rect);
  op_rect_[0]->setChecked(true);
  rect_row->addWidget(op_rect_[0]);
  rect_row->addWidget(op_rect_[1]);

  auto* fr_disp = new QGroupBox(this);
  auto* disp_row = new QHBoxLayout(fr_disp);
  op_disp_[0] = new QRadioButton(QStringLiteral("実寸"), fr_disp);
  op_disp_[1] = new QRadioButton(QStringLiteral("ｽｹｰﾙ"), fr_disp);
  op_disp_[1]->setChecked(true);
  disp_row->addWidget(op_disp_[0]);
  disp_row->addWidget(op_disp_[1]);

  draw_->setText(QStringLiteral("Draw"));
  draw_->setIcon(DrawIcon());
  draw_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  draw_->setCheckable(true);
  draw_->setMinimumHeight(40);
  draw_->setMinimumWidth(90);

  auto* options_row = new QHBoxLayout;
  options_row->addWidget(fr_rect);
  options_row->addWidget(fr_disp);
  options_row->addWidget(draw_);
  options_row->addStretch(1);

  auto* left = new QVBoxLayout;
  left->addWidget(group_area_);
  left->addStretch(1);
  left->addLayout(options_row);

  work_->widget()->setMinimumSize(420, 360);
  auto* body = new QHBoxLayout;
  body->addLayout(left, 0);
  body->addWidget(work_->widget(), 1);

  auto* top = new QVBoxLayout(this);
  top->addLayout(menu_row);
  top->addWidget(tabs_);
  top->addLayout(body, 1);

  preview_timer_->setSingleShot(true);
  preview_timer_->setInterval(0);
  connect(preview_timer_, &QTimer::timeout, this, &EffectDialog::Preview);
  connect(tabs_, &QTabBar::currentChanged, this, &EffectDialog::slotTabChanged);
  for (QRadioButton* b : op_rect_)
    connect(b, &QRadioButton::clicked, this, [this] { RequestPreview(); });
  for (QRadioButton* b : op_disp_) connect(b, &QRadioButton::clicked, this, &EffectDialog::slotDisplayChanged);
  connect(draw_, &QToolButton::clicked, this, [this](bool on) {
    if (on) RequestPreview();
  });
  connect(lb_com_[0], &QToolButton::clicked, this, &EffectDialog::slotImageMenu);
  connect(lb_com_[1], &QToolButton::clicked, this, &EffectDialog::slotUndo);
}

EffectDialog::~EffectDialog() = default;

QAbstractButton* EffectDialog::ssRbn() const { return draw_; }

bool EffectDialog::Muted() { return Usr().InitBusy; }

void EffectDialog::AddGroup(QGroupBox* group) {
  group->hide();
  group_layout_->addWidget(group);
}

imaging::MemHandle EffectDialog::CopyOfBase() { return work_->DuplicateImage(base_->ImageHandle()); }

bool EffectDialog::RunAct(MvInstance& xImg, int iDmd, const DialogRegion& vPs) {
  caller_ = &xImg;
  caller_mode_ = iDmd;
  region_ = vPs;
  result_ = false;
  activated_ = false;

  const bool was_busy = Usr().InitBusy;
  Usr().InitBusy = true;
  SetBusy(true);
  base_->SetImageHandle(base_->DuplicateImage(xImg.ImageHandle()));
  work_->SetImageHandle(CopyOfBase());
  reset_point_ = work_->ImageHandle();
  display_mode_ = iDmd == 3 ? 3 : 1;
  op_disp_[0]->setChecked(display_mode_ == 3);
  op_disp_[1]->setChecked(display_mode_ != 3);
  if (work_->ImageHandle()) work_->DrawImage(display_mode_);
  PlaceDialogWindow(this);
  tabs_->setCurrentIndex(0);
  SetUpCurrentTab();
  Usr().InitBusy = was_busy;
  SetBusy(false);

  exec();

  preview_timer_->stop();
  ReleasePictures();
  region_ = {};
  effect_name_.clear();
  activated_ = false;
  caller_ = nullptr;
  return result_;
}

void EffectDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!activated_) {
    activated_ = true;
    RestoreRange();
  }
}

void EffectDialog::SetUpCurrentTab() {
  const bool was_busy = Usr().InitBusy;
  Usr().InitBusy = true;
  if (shown_group_) shown_group_->hide();
  effect_name_ = tabs_->tabText(tabs_->currentIndex());
  shown_group_ = SetUpTab(effect_name_);
  if (shown_group_) {
    shown_group_->setTitle(effect_name_);
    shown_group_->show();
    shown_group_->raise();
  }
  draw_->setChecked(false);
  Usr().InitBusy = was_busy;
}

void EffectDialog::slotTabChanged(int) {
  if (Muted()) return;
  // The working copy becomes the base: the next operation builds on it.
  base_->SetImageHandle(base_->DuplicateImage(work_->ImageHandle()));
  reset_point_ = work_->ImageHandle();
  SetUpCurrentTab();
}

void EffectDialog::RequestPreview() {
  if (Muted()) return;
  if (!draw_->isChecked()) return;
  if (in_preview_) {
    preview_again_ = true;
    return;
  }
  preview_timer_->start();
}

void EffectDialog::FlushPreview() {
  if (!preview_timer_->isActive()) return;
  preview_timer_->stop();
  Preview();
}

void EffectDialog::Preview() {
  if (in_preview_) {
    preview_again_ = true;
    return;
  }
  in_preview_ = true;
  do {
    preview_again_ = false;
    if (!draw_->isChecked() || !work_ || !caller_) break;
    PreviewOnce();
  } while (preview_again_);
  in_preview_ = false;
}

void EffectDialog::PreviewOnce() {
  SetBusy(true);  // lets queued changes land first, so they join this preview
  preview_again_ = false;
  ++preview_count_;
  QWidget* view = work_->widget();
  view->setUpdatesEnabled(false);
  if (work_->ImageHandle() != reset_point_) {
    work_->SetImageHandle(CopyOfBase());
    reset_point_ = work_->ImageHandle();
  }
  // The user may have changed the range on the preview.
  region_ = {work_->RangeLeft(), work_->RangeRight(), work_->RangeTop(), work_->RangeBottom()};
  const SeamCorners corners = RegionCorners(region_[0], region_[1], region_[2], region_[3]);
  const bool given = region_[1] > 0 || region_[3] > 0;
  work_->SetRegionInside(op_rect_[0]->isChecked() ? 1 : 0);
  work_->SetRegionMode(given ? 2 : 1);
  bool ok = ApplyOperation(*work_, corners);
  if (work_->ImageHandle() && ok) ok = work_->DrawImage(display_mode_);
  if (!ok) {
    if (work_->ImageHandle()) {
      work_->Redraw();
    } else {
      work_->SetImageHandle(CopyOfBase());
      reset_point_ = work_->ImageHandle();
    }
    RestoreRange();
  }
  view->setUpdatesEnabled(true);
  view->update();
  SetBusy(false);
}

void EffectDialog::RestoreRange() {
  work_->SetRangeLeft(region_[0]);
  work_->SetRangeRight(region_[1]);
  work_->SetRangeTop(region_[2]);
  work_->SetRangeBottom(region_[3]);
  QCoreApplication::processEvents();
  work_->Redraw();
}

void EffectDialog::slotDisplayChanged() {
  if (Muted()) return;
  const int mode = op_disp_[0]->isChecked() ? 3 : 1;
  if (mode == display_mode_) return;
  display_mode_ = mode;
  if (mode == 3) {
    work_->SetZoomX(1.0);
    work_->SetZoomY(1.0);
  }
  work_->DrawImage(mode);
}

void EffectDialog::slotUndo() {
  if (work_->ImageHandle() == reset_point_) return;
  work_->SetImageHandle(CopyOfBase());
  reset_point_ = work_->ImageHandle();
  work_->DrawImage(display_mode_);
}

void EffectDialog::slotImageMenu() {
  const QString choice = ChooseImageMenu(this);
  // A menu closed without a choice leaves the dialog as it was.
  if (choice.isEmpty()) return;
  if (choice == QStringLiteral("更新") && caller_ && work_->ImageHandle()) {
    const imaging::MemHandle copy = caller_->DuplicateImage(work_->ImageHandle());
    if (copy && caller_->SetImageHandle(copy)) {
      caller_->DrawImage(caller_mode_);
      caller_->Redraw();
      result_ = true;
    }
  }
  ReleasePictures();
  done(result_ ? QDialog::Accepted : QDialog::Rejected);
}

void EffectDialog::ReleasePictures() {
  if (work_->ImageHandle()) work_->ReleaseImage(work_->ImageHandle());
  if (base_->ImageHandle()) base_->ReleaseImage(base_->ImageHandle());
  reset_point_ = 0;
}

void EffectDialog::reject() {
  // Closing the window (or Escape) does not update.
  preview_timer_->stop();
  QDialog::reject();
}

}  // namespace ruvel

// spImgC: the colour depth dialog.
#include "editor/dialogs/spImgC.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/dialogs/dialog_imaging.h"
#include "editor/dialogs/dialog_place.h"
#include "editor/dialogs/effect_dialog.h"
#include "editor/dialogs/uSld.h"
#include "editor/picture_edit/imaging_seam/imaging_seam.h"
#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "editor/shell/y_ini.h"

namespace ruvel {

namespace {

constexpr std::array<int, 8> kDepthCodes{1, 4, 40, 8, 80, 16, 24, 32};

}  // namespace

int spImgC::DepthCodeOf(int option) { return option >= 0 && option < 8 ? kDepthCodes[option] : 1; }

int spImgC::OptionOf(const QString& sBt) {
  static const std::array<const char*, 8> kTexts{"", "4.", "40.", "8.", "80.", "16.", "24.", "32."};
  for (int i = 1; i < 8; ++i)
    if (sBt == QLatin1String(kTexts[i])) return i;
  return 0;
}

spImgC::spImgC(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("ｶﾗ-設定"));
  setModal(true);
  preview_ = NewPreviewControl(this);

  auto* depth_box = new QGroupBox(this);
  auto* depth_grid = new QGridLayout(depth_box);
  const std::array<const char*, 8> captions{"白黒",        "16色(4bit)", "ｸﾞﾚ-(4bit)", "256色(8bit)",
                                            "ｸﾞﾚ-(8bit)", "16 bit",     "24 bit",     "32 bit"};
  for (int i = 0; i < 8; ++i) {
    op_color_[i] = new QRadioButton(QString::fromUtf8(captions[i]), depth_box);
    depth_grid->addWidget(op_color_[i], i % 4, i / 4);
    connect(op_color_[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) slotOption(i);
    });
  }
  ch_bmp_[0] = new QCheckBox(QStringLiteral("固定ﾊﾟﾚｯﾄ"), this);
  ch_bmp_[1] = new QCheckBox(QStringLiteral("誤差拡散"), this);
  for (QCheckBox* c : ch_bmp_)
    connect(c, &QCheckBox::clicked, this, [this] {
      if (!muted_) Convert();
    });

  threshold_ = new ruvel::uSld(this);
  connect(threshold_, &uSld::eCngVL, this, [this] {
    if (!muted_) Convert();
  });
  invert_ = new QPushButton(QStringLiteral("色反転"), this);
  invert_->setToolTip(QStringLiteral("白黒反転させます(しきい値を先に指定して下さい)"));
  connect(invert_, &QPushButton::clicked, this, &spImgC::slotInvert);

  auto* disp_box = new QGroupBox(QStringLiteral("↓画像表示"), this);
  auto* disp_row = new QHBoxLayout(disp_box);
  op_disp_[0] = new QRadioButton(QStringLiteral("実寸"), disp_box);
  op_disp_[1] = new QRadioButton(QStringLiteral("ｽｹｰﾙ"), disp_box);
  op_disp_[1]->setChecked(true);
  disp_row->addWidget(op_disp_[0]);
  disp_row->addWidget(op_disp_[1]);
  for (QRadioButton* b : op_disp_) connect(b, &QRadioButton::clicked, this, &spImgC::slotDisplay);

  ok_[0] = new QPushButton(QStringLiteral("&OK"), this);
  ok_[1] = new QPushButton(QStringLiteral("&Cancel"), this);
  ok_[0]->setDefault(true);
  connect(ok_[0], &QPushButton::clicked, this, [this] {
    ok_flag_ = true;
    accept();
  });
  connect(ok_[1], &QPushButton::clicked, this, [this] {
    ok_flag_ = false;
    reject();
  });

  // Options at the left, the preview at the right.
  auto* left = new QVBoxLayout;
  left->addWidget(depth_box);
  left->addWidget(ch_bmp_[0]);
  left->addWidget(ch_bmp_[1]);
  auto* threshold_row = new QHBoxLayout;
  threshold_row->addWidget(new QLabel(QStringLiteral("しきい値"), this));
  threshold_row->addWidget(new QLabel(QStringLiteral("(白黒の場合)"), this));
  threshold_row->addStretch(1);
  left->addLayout(threshold_row);
  left->addWidget(threshold_);
  left->addWidget(invert_, 0, Qt::AlignLeft);
  left->addWidget(disp_box);
  left->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ok_[0]);
  buttons->addWidget(ok_[1]);
  left->addLayout(buttons);

  preview_->widget()->setMinimumSize(420, 360);
  auto* top = new QHBoxLayout(this);
  top->addLayout(left, 0);
  top->addWidget(preview_->widget(), 1);
}

spImgC::~spImgC() = default;

void spImgC::Act(MvInstance& xImg, int& iDmd, QString& sBt, bool& bOkC) {
  spImgC dialog(Usr().MainForm.data());
  bOkC = dialog.Open(xImg, iDmd, sBt);
}

bool spImgC::Open(MvInstance& xImg, int iDmd, const QString& sBt) {
  caller_ = &xImg;
  ok_flag_ = false;
  SetBusy(true);
  muted_ = true;
  const int option = OptionOf(sBt);
  op_color_[option]->setChecked(true);
  slotOption(option);  // also when the button was already the checked one
  current_depth_ = static_cast<int>(LeadingNumber(sBt));
  int16_t large = 10;
  threshold_->cOn(0, 255, large, 1, QStringLiteral("明⇒"));
  threshold_->SetValS(128);
  threshold_->Enabled(option == 0);
  invert_->setEnabled(option == 0);
  preview_->SetImageHandle(preview_->DuplicateImage(xImg.ImageHandle()));
  scaled_display_ = true;
  op_disp_[1]->setChecked(true);
  if (preview_->ImageHandle()) preview_->DrawImage(1);
  PlaceDialogWindow(this);
  muted_ = false;
  SetBusy(false);

  exec();

  bool changed = false;
  if (ok_flag_ && preview_->ImageHandle()) {
    const imaging::MemHandle copy = xImg.DuplicateImage(preview_->ImageHandle());
    if (copy && xImg.SetImageHandle(copy)) {
      xImg.DrawImage(iDmd);
      xImg.Redraw();
      changed = true;
    }
  }
  if (preview_->ImageHandle()) preview_->ReleaseImage(preview_->ImageHandle());
  caller_ = nullptr;
  return changed;
}

void spImgC::slotOption(int option) {
  const bool black_white = option == 0;
  threshold_->Enabled(black_white);
  invert_->setEnabled(black_white);
  target_ = DepthCodeOf(option);
  if (!muted_) Convert();
}

int spImgC::DisplayMode() const { return scaled_display_ ? 1 : 3; }

void spImgC::Convert() {
  if (!caller_) return;
  SetBusy(true);
  ++conversions_;
  const bool fixed_palette = ch_bmp_[0]->isChecked();
  const bool diffusion = ch_bmp_[1]->isChecked();
  const int level = target_ == 1 ? RoundHalfEven(threshold_->ValS()) : 128;
  // Every conversion starts from the caller's picture.  Back at the
  // picture's own depth the preview shows (and OK hands back) the picture
  // itself, not the last conversion.
  preview_->SetImageHandle(preview_->DuplicateImage(caller_->ImageHandle()));
  if (target_ != current_depth_) {
    if (target_ == 40) {
      if (preview_->ConvertDepth(80, fixed_palette, diffusion, level))
        preview_->ConvertDepth(4, fixed_palette, diffusion, level);
    } else {
      preview_->ConvertDepth(target_, fixed_palette, diffusion, level);
    }
  }
  preview_->DrawImage(DisplayMode());
  SetBusy(false);
}

void spImgC::slotInvert() {
  preview_->SetRegionInside(1);
  preview_->SetRegionMode(1);
  preview_->InvertChannels(SeamCorners{}, true, true, true);  // no polygon
  preview_->DrawImage(DisplayMode());
}

void spImgC::slotDisplay() {
  if (muted_) return;
  const bool scaled = op_disp_[1]->isChecked();
  if (scaled == scaled_display_) return;
  scaled_display_ = scaled;
  if (!scaled) {
    preview_->SetZoomX(1.0);
    preview_->SetZoomY(1.0);
  }
  preview_->DrawImage(DisplayMode());
}

}  // namespace ruvel

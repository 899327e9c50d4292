// spImgSV: the detailed save dialog.
#include "editor/dialogs/spImgSV.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/picture_edit/file_rules/file_types.h"
#include "editor/picture_edit/file_rules/messages.h"
#include "editor/picture_edit/imaging_seam/imaging_seam.h"
#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "platform/busy.h"
#include "platform/file_dialog.h"
#include "platform/prompt.h"
#include "platform/screen.h"

namespace ruvel {
namespace {

const QString kSaveFailed = QStringLiteral("画像を保存できませんでした");

// The magnifier's picture: a lens with its handle.
QPixmap MagnifierPixmap() {
  QPixmap pm(28, 28);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::darkGray, 3));
  p.drawEllipse(QRectF(3, 3, 15, 15));
  p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(17, 17), QPointF(25, 25));
  return pm;
}

}  // namespace

QString DepthListOf(const QString& extension) {
  const QString e = extension.toLower();
  if (e == "jpg" || e == "fpx" || e == "jp2") return QStringLiteral(".80.24.");
  if (e == "png") return QStringLiteral(".1.4.40.8.80.24.");
  if (e == "gif") return QStringLiteral(".1.4.40.8.80.");
  return {};
}

QString SaveFilterOf(const QString& extension) {
  const QString e = extension.toLower();
  if (e == "bmp") return QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp");
  if (e == "jpg") return QStringLiteral("JPEG ﾌｧｲﾙ(*.jpg)|*.jpg");
  if (e == "gif") return QStringLiteral("GIF ﾌｧｲﾙ(*.gif)|*.gif");
  if (e == "tif") return QStringLiteral("TITT ﾌｧｲﾙ(*.tif)|*.tif");
  if (e == "png") return QStringLiteral("PNG ﾌｧｲﾙ(*.png)|*.png");
  if (e == "fpx") return QStringLiteral("FPX ﾌｧｲﾙ(*.fpx)|*.fpx");
  if (e == "jp2") return QStringLiteral("JPEG2000 ﾌｧｲﾙ(*.jp2)|*.jp2");
  return {};
}

spImgSV::spImgSV(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("画像の保存(詳細指定)"));
  BuildWindow();
}

spImgSV::~spImgSV() = default;

void spImgSV::BuildWindow() {
  auto* root = new QHBoxLayout(this);

  // The picture, with the actual-size switch and the magnifier.
  auto* left = new QVBoxLayout;
  mvImg_ = std::make_unique<MvInstance>(this);
  QWidget* view = mvImg_->widget();
  view->setMinimumSize(360, 300);
  left->addWidget(view, 1);
  auto* viewRow = new QHBoxLayout;
  chDsp_ = new QCheckBox(QStringLiteral("実寸表示"), this);
  imDsp_ = new QLabel(this);
  imDsp_->setPixmap(MagnifierPixmap());
  imDsp_->setEnabled(false);
  imDsp_->installEventFilter(this);
  viewRow->addWidget(chDsp_);
  viewRow->addWidget(imDsp_);
  viewRow->addStretch();
  left->addLayout(viewRow);
  root->addLayout(left, 1);

  // Formats: seven headed pairs of options, one group.
  auto* right = new QVBoxLayout;
  auto* formats = new QGridLayout;
  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  const char* headings[7] = {"BMP", "JPEG", "GIF", "TIFF", "PNG", "FPX", "JPEG2000"};
  for (int g = 0; g < 7; ++g) {
    auto* box = new QGroupBox(QString::fromUtf8(headings[g]), this);
    auto* v = new QVBoxLayout(box);
    for (int j = 0; j < 2; ++j) {
      const int i = g * 2 + j;
      options_[i] = new QRadioButton(QString::fromUtf8(kSaveVariants[i].caption), box);
      group_->addButton(options_[i], i);
      v->addWidget(options_[i]);
    }
    formats->addWidget(box, g / 2, g % 2);
  }
  options_[0]->setChecked(true);
  right->addLayout(formats);

  auto* qualityBox = new QGroupBox(QStringLiteral("JPEG ｸｵﾘﾃｨの指定 (JPG PNG FPX)"), this);
  auto* qh = new QHBoxLayout(qualityBox);
  slider_ = new QSlider(Qt::Horizontal, qualityBox);
  slider_->setRange(0, 100);
  slider_->setValue(85);
  slider_->setTickPosition(QSlider::TicksBelow);
  slider_->setTickInterval(10);
  quality_ = new QLabel(QStringLiteral("85"), qualityBox);
  quality_->setMinimumWidth(28);
  quality_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  qh->addWidget(slider_, 1);
  qh->addWidget(quality_);
  qh->addWidget(new QLabel(QStringLiteral("きれい"), qualityBox));
  connect(slider_, &QSlider::valueChanged, quality_, qOverload<int>(&QLabel::setNum));
  right->addWidget(qualityBox);

  auto* transBox = new QGroupBox(QStringLiteral("透過色の指定 (GIF PNG)"), this);
  auto* th = new QHBoxLayout(transBox);
  chTrans_ = new QCheckBox(QStringLiteral("画像をクリックして透過色を指定して下さい"), transBox);
  lbColor_ = new QLabel(transBox);
  lbColor_->setFixedSize(36, 22);
  lbColor_->setFrameShape(QFrame::Box);
  lbColor_->setAutoFillBackground(true);
  th->addWidget(chTrans_, 1);
  th->addWidget(lbColor_);
  right->addWidget(transBox);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  cmRet_[0] = new QPushButton(QStringLiteral("保存(&S)"), this);
  cmRet_[1] = new QPushButton(QStringLiteral("閉じる"), this);
  for (QPushButton* b : cmRet_) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  right->addLayout(buttons);
  root->addLayout(right);

  connect(cmRet_[0], &QPushButton::clicked, this, &spImgSV::Save);
  connect(cmRet_[1], &QPushButton::clicked, this, &QDialog::reject);
  connect(chDsp_, &QCheckBox::clicked, this, &spImgSV::ActualSizeClicked);
  connect(mvImg_.get(), &MvInstance::ImageClick, this, &spImgSV::PictureClicked);
}

void spImgSV::Act(imaging::MemHandle handle, QWidget* parent) {
  spImgSV dialog(parent);
  dialog.Load(handle);
  dialog.adjustSize();
  const platform::ScreenMetrics m = platform::CurrentScreen().Metrics();
  int32_t left = 0, top = 0;
  PlaceDialog(static_cast<int32_t>(dialog.width() * m.TwipsPerPixelX()),
              static_cast<int32_t>(dialog.height() * m.TwipsPerPixelY()), &left, &top);
  if (Usr().MainForm != nullptr) {
    dialog.move(static_cast<int>(left / m.TwipsPerPixelX()), static_cast<int>(top / m.TwipsPerPixelY()));
  }
  dialog.exec();
}

bool spImgSV::Load(imaging::MemHandle handle) {
  chDsp_->setChecked(false);
  imDsp_->setEnabled(false);
  mode_ = 1;
  const imaging::MemHandle copy = handle != 0 ? mvImg_->DuplicateImage(handle) : 0;
  if (copy == 0 || !mvImg_->SetImageHandle(copy)) return false;
  return mvImg_->DrawImage(mode_);
}

void spImgSV::ChooseVariant(int index) {
  if (index >= 0 && index < static_cast<int>(options_.size())) options_[index]->setChecked(true);
}

int spImgSV::ChosenVariant() const { return std::max(0, group_->checkedId()); }

bool spImgSV::Prepare() {
  MvInstance& mv = *mvImg_;
  if (mv.ImageHandle() == 0) return false;
  mv.ReadImageInfo();
  int depth = mv.BitCount();
  if ((depth == 8 || depth == 4) && mv.IsGray()) depth *= 10;
  depthCode_ = QString::number(depth) + ".";
  const SaveVariant& v = kSaveVariants[ChosenVariant()];
  const QString list = DepthListOf(v.extension);
  if (list.isEmpty() || list.contains("." + depthCode_)) return true;
  platform::SetBusyCursor(true);
  const bool ok = QString(v.extension) == "gif" ? mv.ConvertDepth(8, false, true, 50)
                                                 : mv.ConvertDepth(24, false, true, 50);
  platform::SetBusyCursor(false);
  if (ok) mv.DrawImage(mode_);
  return ok;
}

void spImgSV::PictureClicked() {
  // The colour is that of the clicked point as the picture will be saved.
  Prepare();
  red_ = mvImg_->PointRed();
  green_ = mvImg_->PointGreen();
  blue_ = mvImg_->PointBlue();
  QPalette pal = lbColor_->palette();
  pal.setColor(QPalette::Window, QColor(red_, green_, blue_));
  lbColor_->setPalette(pal);
}

void spImgSV::ActualSizeClicked() {
  mode_ = chDsp_->isChecked() ? 3 : 1;
  imDsp_->setEnabled(chDsp_->isChecked());
  mvImg_->SetZoomX(1.0);
  mvImg_->SetZoomY(1.0);
  mvImg_->DrawImage(mode_);
}

bool spImgSV::eventFilter(QObject* watched, QEvent* event) {
  if (watched == imDsp_ && event->type() == QEvent::MouseButtonPress && imDsp_->isEnabled()) {
    const auto* me = static_cast<QMouseEvent*>(event);
    double zoom = mvImg_->ZoomX();
    zoom = me->button() == Qt::RightButton ? zoom / 1.5 : zoom * 1.5;
    mvImg_->SetZoomX(zoom);
    mvImg_->SetZoomY(zoom);
    mvImg_->DrawImage(mode_);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void spImgSV::Save() {
  const SaveVariant& v = kSaveVariants[ChosenVariant()];
  const QString ext = QString::fromLatin1(v.extension);
  if (!Prepare()) {
    platform::ShowMessage(kSaveFailed, this);
    reject();
    return;
  }
  const int quality = std::max(20, slider_->value());

  platform::FileDialogRequest request;
  request.title = QStringLiteral("画像を保存");
  request.filter = SaveFilterOf(ext);
  request.filter_index = 1;
  request.save = true;
  request.start_folder = Usr().PictureFolder;
  const platform::FileDialogAnswer answer = platform::CurrentFileDialog().Ask(request, this);
  if (!answer.accepted || answer.path.isEmpty()) {
    reject();
    return;
  }
  QString target = answer.path;
  if (!QFileInfo(target).fileName().contains('.')) {
    target += "." + ext;
    // The dialog confirmed the name it returned, not this one.
    if (QFileInfo::exists(target) &&
        platform::AskYesNo(target + QStringLiteral(" は既に存在します｡上書きしますか"), this) !=
            platform::PromptAnswer::kYes) {
      reject();
      return;
    }
  }

  MvInstance& mv = *mvImg_;
  mv.SetFileName(target);
  if (ext == "jp2") {
    if (quality / 100.0 == 1.0) {
      mv.SetJp2Lossless(true);
    } else {
      mv.SetJp2Lossless(false);
      mv.SetJp2Rate(quality / 100.0);
    }
  }
  if (ext == "jpg" || ext == "fpx") mv.SetJpegQuality(quality);
  if (ext == "gif" || ext == "png") {
    mv.SetInterlace(v.interlace);
    mv.SetUseTransparent(chTrans_->isChecked());
    if (chTrans_->isChecked()) mv.SetTransparentColour(red_, green_, blue_);
  }
  platform::SetBusyCursor(true);
  const bool saved = mv.SaveFile(v.type_code, mv.ImageHandle());
  platform::SetBusyCursor(false);
  if (saved) {
    savedFile_ = target;
    accept();
    return;
  }
  // The old file, if any, is still there: the control replaces it only
  // with a completely written new one.
  if (!file_rules::ShowImagingError(mv.ErrorCode(), this)) platform::ShowMessage(kSaveFailed, this);
  reject();
}

}  // namespace ruvel

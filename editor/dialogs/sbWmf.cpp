// The vector viewer sbWmf.
#include "editor/dialogs/sbWmf.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>

#include "editor/picture_edit/file_rules/messages.h"
#include "editor/picture_edit/imaging_seam/vector_picture.h"
#include "platform/busy.h"

namespace ruvel {
namespace {

double TwipsPerPixel(const QWidget* w) {
  const int dpi = w->logicalDpiX();
  return 1440.0 / (dpi > 0 ? dpi : 96);
}

}  // namespace

VectorImage::VectorImage(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void VectorImage::SetPicture(const VectorPicture* picture) {
  picture_ = picture;
  update();
}

void VectorImage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  if (picture_ == nullptr) return;
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  picture_->Paint(&p, QRectF(rect()));
}

sbWmf::sbWmf(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kVectorViewerTitle);
  setModal(true);
  mnRet_ = new QMenuBar(this);
  mnRet_->setNativeMenuBar(false);
  ok_item_ = mnRet_->addAction(QStringLiteral("Ok(&O)"));
  cancel_item_ = mnRet_->addAction(QStringLiteral("Cancel(&C)"));
  connect(ok_item_, &QAction::triggered, this, &sbWmf::ChooseOk);
  connect(cancel_item_, &QAction::triggered, this, &sbWmf::ChooseCancel);
  image1_ = new VectorImage(this);
}

sbWmf::~sbWmf() = default;

void sbWmf::PlaceImage() {
  const int top = mnRet_->sizeHint().height();
  mnRet_->setGeometry(0, 0, width(), top);
  image1_->setGeometry(0, top, width(), std::max(1, height() - top));
}

void sbWmf::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  // While the window is being set up the picture keeps the size Act gave
  // it; afterwards it follows the window.
  if (!busy_) PlaceImage();
}

void sbWmf::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  busy_ = false;
}

void sbWmf::Act(int32_t left, int32_t top, int32_t width, int32_t height, QImage* picture, bool* ok) {
  busy_ = true;
  ok_ = false;
  const double tpp = TwipsPerPixel(this);
  const int w = std::max(1, static_cast<int>(std::lround(width / tpp)));
  const int h = std::max(1, static_cast<int>(std::lround(height / tpp)));
  const int menu = mnRet_->sizeHint().height();
  move(static_cast<int>(std::lround(left / tpp)), static_cast<int>(std::lround(top / tpp)));
  resize(w, h + menu);
  mnRet_->setGeometry(0, 0, w, menu);
  image1_->setGeometry(0, menu, w, h);
  setCursor(Qt::ArrowCursor);
  raise();
  activateWindow();
  exec();
  *ok = ok_;
  if (ok_) {
    *picture = picture1_;
    picture1_ = QImage();
  }
}

void sbWmf::ChooseOk() {
  ok_ = true;
  if (const VectorPicture* pic = image1_->picture(); pic != nullptr) {
    const bool was_busy = platform::IsBusyCursor();
    platform::SetBusyCursor(true);
    picture1_ = pic->Render(image1_->size());
    if (!was_busy) platform::SetBusyCursor(false);
  }
  if (picture1_.isNull()) ok_ = false;
  hide();
  done(ok_ ? QDialog::Accepted : QDialog::Rejected);
}

void sbWmf::ChooseCancel() {
  ok_ = false;
  hide();
  done(QDialog::Rejected);
}

bool sbWmf::View(VectorViewerArgs& args) {
  int16_t code = 0;
  const std::unique_ptr<VectorPicture> picture =
      args.file.isEmpty() ? VectorPicture::FromData(args.data, &code) : VectorPicture::FromFile(args.file, &code);
  if (!picture) {
    file_rules::ShowImagingError(code, args.parent);
    return false;
  }
  sbWmf viewer(args.parent);
  viewer.Image1()->SetPicture(picture.get());
  const double tpp = TwipsPerPixel(&viewer);
  const QRect g = args.geometry.isValid() ? args.geometry : QRect(QPoint(100, 100), picture->NaturalSize());
  bool ok = false;
  viewer.Act(static_cast<int32_t>(std::lround(g.left() * tpp)), static_cast<int32_t>(std::lround(g.top() * tpp)),
             static_cast<int32_t>(std::lround(g.width() * tpp)), static_cast<int32_t>(std::lround(g.height() * tpp)),
             &args.result, &ok);
  return ok;
}

void PlugInVectorViewer() { dialog_seams::SetVectorViewer(&sbWmf::View); }

}  // namespace ruvel

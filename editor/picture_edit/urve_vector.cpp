// Vector pictures into the editing control: opening a vector file and
// pasting vector clipboard data, both through the vector viewer.  A
// cancelled viewer or an unreadable picture changes nothing: the held
// picture, its file name and its unsaved changes stay as they were.
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "editor/picture_edit/dialog_seams.h"
#include "editor/picture_edit/file_rules/messages.h"
#include "editor/picture_edit/imaging_seam/imaging_seam.h"
#include "editor/picture_edit/imaging_seam/vector_picture.h"
#include "editor/picture_edit/urve.h"
#include "editor/picture_edit/vector_open.h"

namespace ruvel {
namespace {

constexpr int16_t kCodeUnsupported = 4;

QRect MainWindowGeometry(const uRvE& control) {
  const QWidget* main = control.HostForm() != nullptr ? control.HostForm() : control.window();
  return main->frameGeometry();
}

}  // namespace

bool ClipboardVectorData(const QMimeData& mime, QByteArray* data, QString* format) {
  for (const auto& [type, name] : {std::pair{kSvgMime, QStringLiteral("svg")}, std::pair{kEmfMime, QStringLiteral("emf")}}) {
    if (!mime.hasFormat(type)) continue;
    const QByteArray bytes = mime.data(type);
    if (bytes.isEmpty()) continue;
    *data = bytes;
    *format = name;
    return true;
  }
  return false;
}

QRect CentredGeometry(const QRect& main, const QSize& size) {
  return QRect(main.left() + (main.width() - size.width()) / 2, main.top() + (main.height() - size.height()) / 2,
               size.width(), size.height());
}

QSize ThirdOfScreen(const QSize& size, const QSize& screen) {
  if (size.isEmpty() || screen.isEmpty()) return size;
  const double factor = std::max(static_cast<double>(size.width()) / screen.width() * 3,
                                 static_cast<double>(size.height()) / screen.height() * 3);
  return QSize(std::max(1, static_cast<int>(std::lround(size.width() / factor))),
               std::max(1, static_cast<int>(std::lround(size.height() / factor))));
}

void uRvE::OpenVectorPicture(const QString& file) {
  lastOk = false;
  if (!QFileInfo(file).isFile()) return;
  int16_t code = 0;
  BusyPointer(true);
  const std::unique_ptr<VectorPicture> picture = VectorPicture::FromFile(file, &code);
  BusyPointer(false);
  if (!picture) {
    file_rules::ShowImagingError(code, this);
    return;
  }
  if (!dialog_seams::HasVectorViewer()) {
    file_rules::ShowImagingError(kCodeUnsupported, this);
    return;
  }
  VectorViewerArgs args;
  args.file = file;
  args.format = QFileInfo(file).suffix().toLower();
  args.geometry = CentredGeometry(MainWindowGeometry(*this), picture->NaturalSize());
  args.parent = this;
  if (!dialog_seams::OpenVectorViewer(args) || args.result.isNull()) return;
  MvInstance& mv = seam_->mvImg();
  if (!mv.SetPicture(args.result)) {
    ShowImagingError();
    return;
  }
  lastOk = true;
  // The raster picture is new and has no file of its own.
  currentFile.clear();
  infoFile.clear();
  undoCount = 0;
  if (viewMode == 0) viewMode = 1;
  mv.SetViewReset(true);
  mv.DrawImage(viewMode);
  mv.Redraw();
  SetEditState(kStateLoaded);
  RefreshPicture(false);
}

bool uRvE::PasteVectorPicture(const QByteArray& data, const QString& format) {
  int16_t code = 0;
  const std::unique_ptr<VectorPicture> picture = VectorPicture::FromData(data, &code);
  if (!picture || !dialog_seams::HasVectorViewer()) return false;
  const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  const QSize start = ThirdOfScreen(picture->NaturalSize(), screen != nullptr ? screen->size() : QSize(1600, 1000));
  VectorViewerArgs args;
  args.data = data;
  args.format = format;
  args.geometry = CentredGeometry(MainWindowGeometry(*this), start);
  args.parent = this;
  if (!dialog_seams::OpenVectorViewer(args) || args.result.isNull()) return false;
  return seam_->mvImg().SetPicture(args.result);
}

}  // namespace ruvel

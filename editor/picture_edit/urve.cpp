// uRvE: fields, connection, sizing, parameters, menu state, picture
// information, busy pointer, drawing toolbar and the imaging control's
// events.
#include "editor/picture_edit/urve.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QResizeEvent>
#include <cmath>

#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "platform/busy.h"
#include "platform/prompt.h"

namespace ruvel {

QString DepthCodeOf(int bit_count, bool gray) {
  int code = bit_count;
  if ((bit_count == 4 || bit_count == 8) && gray) code *= 10;
  return QString::number(code) + ".";
}

bool DepthCodeIn(const QString& depth_code, const QString& list) {
  if (depth_code.isEmpty()) return false;
  return list.contains("." + depth_code);
}

QString FormatThousands(int64_t value) {
  if (value == 0) return QString();
  const bool negative = value < 0;
  QString digits = QString::number(negative ? -value : value);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, ',');
  return negative ? "-" + digits : digits;
}

QString ViewWordOf(int32_t mode) {
  switch (mode) {
    case 1: return QStringLiteral("ｽｹｰﾙ");
    case 2: return QStringLiteral("ｽﾄﾚｯﾁ");
    case 3: return QStringLiteral("実寸");
    case 4: return QStringLiteral("横合わせ");
    case 5: return QStringLiteral("縦合わせ");
    default: return QString();
  }
}

uRvE::uRvE(QWidget* parent) : QWidget(parent), seam_(std::make_unique<ImagingSeam>(this)) {
  initialising = Usr().Started;
  Picture1 = new QLabel(this);
  Picture1->hide();

  MvInstance& mv = seam_->mvImg();
  connect(&mv, &MvInstance::ToolSelected, this, &uRvE::OnToolSelected);
  connect(&mv, &MvInstance::ToolbarClosed, this, &uRvE::OnToolbarClosed);
  connect(&mv, &MvInstance::ImageClick, this, &uRvE::OnImageClick);
  connect(&mv, &MvInstance::FileDropped, this, &uRvE::OnFileDropped);
  connect(&mv, &MvInstance::PanWindowChanged, this, &uRvE::OnPanWindowChanged);
  connect(&mv, &MvInstance::ImageAcquired, this, &uRvE::OnImageAcquired);
  for (MvInstance* m : {&seam_->mvImg(), &seam_->mvImg2()}) {
    connect(m, &MvInstance::BusyBegin, this, [this](int) { BusyPointer(true); });
    connect(m, &MvInstance::BusyEnd, this, [this](int) { BusyPointer(false); });
  }
}

uRvE::~uRvE() = default;

bool uRvE::HasPicture() const { return seam_->mvImg().ImageHandle() != 0; }

// --- Connection -------------------------------------------------------------

void uRvE::cOn(QWidget* host_form, const QString& work_folder) {
  hostForm = host_form;
  hostWindow = host_form ? static_cast<int32_t>(host_form->internalWinId()) : 0;
  extensionList = kExtensionList;
  workFolder = work_folder;
  seam_->mvImg().PanSetOption(MvInstance::kPanAutoHide, true);
  seam_->mvImg().PanSetOption(MvInstance::kPanLiveScroll, true);
  edited = false;
}

void uRvE::cOff() {
  if (!workFolder.isEmpty()) {
    QDir dir(workFolder);
    const QStringList files = dir.entryList({"$$*.bmp"}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& f : files) DeleteFileQuiet(dir.filePath(f));
  }
  undoCount = 0;
  currentFile.clear();
  depthCode.clear();
  workFolder.clear();
  comment.clear();
  regionX = {};
  regionY = {};
}

// --- Simple members -----------------------------------------------------------

QWidget* uRvE::GetObject() const { return seam_->mvImg().widget(); }

int32_t uRvE::GetHndle() const { return static_cast<int32_t>(seam_->mvImg().ImageHandle()); }

int32_t uRvE::nFileSZ() const {
  if (infoFile.isEmpty()) return 0;
  return FileSize(infoFile);
}

void uRvE::SetDpi(int32_t dpi) {
  MvInstance& mv = seam_->mvImg();
  mv.SetResolutionX(dpi);
  mv.SetResolutionY(dpi);
  lastOk = mv.ApplyResolution();
  SetEditState(kStateEdited);
}

int32_t uRvE::DispImage() const { return GetHndle(); }

void uRvE::setDispImage(int32_t handle) {
  if (handle == 0) return;
  MvInstance& mv = seam_->mvImg();
  mv.SetImageHandle(static_cast<imaging::MemHandle>(static_cast<uint32_t>(handle)));
  lastOk = mv.DrawImage(viewMode == 0 ? 1 : viewMode);
  SetEditState(kStateLoaded);
  RefreshPicture(false);
}

// --- Sizing -------------------------------------------------------------------

void uRvE::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (Usr().Started && !initialising) StSize();
}

void uRvE::StSize() {
  const QRect inner = contentsRect();
  if (inner.width() < 100 || inner.height() < 100) return;
  seam_->mvImg().widget()->setGeometry(0, 0, inner.width(), inner.height());
  initialising = false;
}

// --- Parameters ---------------------------------------------------------------

void uRvE::SetPram(int16_t quality, int16_t update_mode, const QString& view_word, int16_t mouse_mode,
                   const QString& extension) {
  jpegQuality = quality;
  updateMode = update_mode;
  SetView(view_word, 1.0);
  if (jpegQuality == 0) jpegQuality = 85;
  mouseMode = mouse_mode;
  saveExtension = extension.toLower();
}

void uRvE::GetPram(int16_t* quality, int16_t* update_mode, QString* view_word, int16_t* mouse_mode,
                   QString* extension) {
  if (viewMode == 0) viewMode = 1;
  if (jpegQuality == 0) jpegQuality = 85;
  const QString word = ViewWordOf(viewMode);
  if (word.isEmpty()) {
    platform::ShowMessage(QStringLiteral("Err GetPram"), this);
  } else if (view_word) {
    *view_word = word;
  }
  if (quality) *quality = jpegQuality;
  if (update_mode) *update_mode = updateMode;
  if (mouse_mode) *mouse_mode = mouseMode;
  if (extension) *extension = saveExtension.toLower();
}

// --- Menu state ---------------------------------------------------------------

MenuState uRvE::GtMnState() {
  MenuState s;
  s.picture = seam_->mvImg().ImageHandle() > 0;
  s.changed = (edited && s.picture) || toolbarEdited;
  s.selection = s.picture ? HasRange() : false;
  s.undo = s.picture && undoCount >= 1;
  QString digits = depthCode;
  digits.remove('.');
  s.depth = static_cast<int16_t>(digits.toInt());
  s.panAllowed = viewMode == 3;
  s.toolbar = toolbarShown;
  return s;
}

void uRvE::GtMnState(bool* picture, bool* changed, bool* selection, bool* undo, int16_t* depth, bool* pan_allowed,
                     bool* toolbar) {
  const MenuState s = GtMnState();
  if (picture) *picture = s.picture;
  if (changed) *changed = s.changed;
  if (selection) *selection = s.selection;
  if (undo) *undo = s.undo;
  if (depth) *depth = s.depth;
  if (pan_allowed) *pan_allowed = s.panAllowed;
  if (toolbar) *toolbar = s.toolbar;
}

// --- State and information ------------------------------------------------------

void uRvE::SetEditState(const QString& word) {
  edited = word == kStateEdited;
  if (word == kStateLoaded) {
    undoCount = 0;
    toolbarEdited = false;
  }
  editState = word;
  emit eEdtMode(word);
}

void uRvE::RefreshPicture(bool clear_range) {
  if (clear_range) ClearRange();
  if (!HasPicture()) return;
  if (undoCount > 0) {
    lastOk = seam_->mvImg().DrawImage(viewMode == 0 ? 1 : viewMode);
    seam_->mvImg().Redraw();
  }
  RefreshInfo();
}

void uRvE::RefreshInfo() {
  if (!HasPicture()) return;
  MvInstance& mv = seam_->mvImg();
  mv.ReadImageInfo();
  const int b = mv.BitCount();
  imageWidth = static_cast<float>(mv.ImageWidth());
  imageHeight = static_cast<float>(mv.ImageHeight());
  dpiX = mv.ResolutionX() == 0 ? 72 : mv.ResolutionX();
  dpiY = mv.ResolutionY() == 0 ? 72 : mv.ResolutionY();
  int32_t file_size = 0;
  if (!infoFile.isEmpty()) file_size = FileSize(infoFile);
  QString info = QStringLiteral("ｲﾒｰｼﾞｻｲｽﾞ:") + FormatThousands(mv.ImageDataSize()) + QStringLiteral("  色数:") +
                 FormatThousands(b >= 0 && b < 63 ? (int64_t{1} << b) : 0) + " (" + QString::number(b) + "bit)";
  if (file_size != 0) info += QStringLiteral("  ﾌｧｲﾙｻｲｽﾞ: ") + FormatThousands(file_size);
  depthCode = DepthCodeOf(b, mv.IsGray());
  emit eStPcTyp(currentFile, depthCode, info);
}

void uRvE::BusyPointer(bool on) {
  // Busy spells nest (a command around the control's own busy events); the
  // hourglass goes when the outermost one ends, and the pointer of the
  // mouse mode comes back rather than the plain arrow.
  if (on) {
    ++busyDepth_;
    seam_->mvImg().SetPointerShape(14);
    platform::SetBusyCursor(true);
    return;
  }
  if (busyDepth_ > 0) --busyDepth_;
  if (busyDepth_ > 0) return;
  seam_->mvImg().SetPointerShape(restingPointer_);
  platform::SetBusyCursor(false);
}

void uRvE::SetRestingPointer(int shape) {
  restingPointer_ = shape;
  if (busyDepth_ == 0) seam_->mvImg().SetPointerShape(shape);
}

// --- Drawing toolbar --------------------------------------------------------------

void uRvE::SetToolbar(bool show) {
  MvInstance& mv = seam_->mvImg();
  toolbarShown = show;
  popupMenu.toolbarChecked = show;
  emit eShwTBar(show);
  if (show) {
    if (HasRange()) ClearRange();
    int top = 0;
    int left = -68;
    if (hostForm) {
      const QRect frame = hostForm->frameGeometry();
      top = std::max(0, frame.top());
      left = frame.left() - 68;
      if (left < 0) {
        int shift = 0;
        if (hostForm->isMaximized()) {
          hostForm->showNormal();
          shift = 71;
        } else {
          shift = 68 - frame.left();
        }
        const QRect g = hostForm->geometry();
        hostForm->setGeometry(g.left() + shift, g.top(), std::max(1, g.width() - shift), g.height());
        left = 0;
      }
    } else {
      left = 0;
    }
    mv.ToolbarSetPosition(left, top);
    mv.ToolbarSetStyle(true, 10, true, QStringLiteral("ToolBar"), 50, 0, 0xFFFFFF);
    mv.ToolbarShow();
  } else {
    // Hiding keeps what was drawn as a step of its own.  When the snapshot
    // cannot be written the toolbar still closes; the history keeps the
    // steps it has.
    (void)SaveUndoStep();
    mv.ToolbarHide();
    currentTool = 0;
    mv.SetRectSelect(true);
  }
}

// --- The imaging control's events ---------------------------------------------------

void uRvE::OnToolSelected(int tool) {
  SetEditState(kStateEdited);
  currentTool = static_cast<int16_t>(tool);
  if (tool == 1 && viewMode != 3) lastOk = seam_->mvImg().DrawImage(3);
}

void uRvE::OnToolbarClosed(bool visible) {
  if (visible) return;
  SetToolbar(false);
  lastOk = seam_->mvImg().DrawImage(viewMode == 0 ? 1 : viewMode);
}

void uRvE::OnImageClick(int button) {
  MvInstance& mv = seam_->mvImg();
  if (toolbarShown) {
    const bool drawn = mv.ToolbarDrawn();
    if (!toolbarEdited && (currentTool > 1 || drawn)) {
      // The click comes before the tool draws.  Without a snapshot the
      // tool is put down, so the stroke is not made.
      if (SaveUndoStep()) {
        SetEditState(kStateEdited);
        toolbarEdited = true;
      } else {
        mv.ToolbarSelectTool(0);
      }
    }
  } else if (mouseMode == 2) {
    const double f = button == 1 ? 1.1 : 1.0 / 1.1;
    mv.SetZoomX(mv.ZoomX() * f);
    mv.SetZoomY(mv.ZoomY() * f);
    mv.Redraw();
  } else if (editState != kStateInitial && button == 2) {
    emit ePopUp();
  }
}

void uRvE::OnFileDropped(const QString& path) {
  const int dot = path.lastIndexOf('.');
  if (dot < 0) return;
  const QString ext = path.mid(dot + 1).toLower();
  if (ext.isEmpty() || ext.contains('/')) return;
  const QStringList accepted = extensionList.split(';', Qt::SkipEmptyParts);
  if (!accepted.contains(ext, Qt::CaseInsensitive)) return;
  QString file = path;
  pcOpen(1, file, false);
}

void uRvE::OnPanWindowChanged(bool visible) { popupMenu.panWindowChecked = visible; }

void uRvE::OnImageAcquired(imaging::MemHandle handle) {
  MvInstance& mv = seam_->mvImg();
  const imaging::MemHandle copy = mv.DuplicateImage(handle);
  if (copy == 0 || !mv.SetImageHandle(copy)) {
    if (copy != 0) mv.ReleaseImage(copy);
    ShowImagingError();
    return;
  }
  if (!HasPicture()) return;
  lastOk = mv.DrawImage(viewMode == 0 ? 1 : viewMode);
  if (!lastOk) {
    ShowImagingError();
    return;
  }
  mv.Redraw();
  emit eStFile(QString());
  comment.clear();
  infoFile.clear();
  currentFile.clear();
  SetEditState(kStateLoaded);
  RefreshInfo();
}

}  // namespace ruvel

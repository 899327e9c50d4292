// CMorvikThumb: construction, the put rules and computed values of the
// properties, the method table, the simple methods, cursors and the custom
// face pictures.
#include "thumb/morvik_thumb.h"

#include <QApplication>
#include <QCursor>
#include <QPixmap>
#include <QScrollBar>

#include "thumb/load_pool.h"
#include "viewer_common/file_list/dll_path_services.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/utils/text.h"

namespace thumb {

using hosting::HRESULT;
using hosting::PutVerdict;
using hosting::Variant;

CMorvikThumb::CMorvikThumb(QWidget* parent)
    : Control(Class(), parent),
      paths_(std::make_unique<file_list::DllPathServices>()),
      pool_(std::make_unique<LoadPool>(LoadPool::DefaultThreads())) {
  vbar_ = new QScrollBar(Qt::Vertical, this);
  hbar_ = new QScrollBar(Qt::Horizontal, this);
  for (QScrollBar* bar : {vbar_, hbar_}) {
    bar->hide();
    bar->setFocusPolicy(Qt::NoFocus);
    connect(bar, &QScrollBar::actionTriggered, this, [this](int action) { OnScrollAction(action); });
  }
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  wheel_unit_ = QApplication::wheelScrollLines() != 0 ? 120 : 0;
  vector_token_ = imaging_dlls::Call<&imaging_dlls::Table::MVVectorGdipStart>(0u);
  UpdateCursors();
}

CMorvikThumb::~CMorvikThumb() {
  // Work in flight ends (and is freed) before anything it may use goes.
  pool_.reset();
  FreeCustomPicture(&picture_up_);
  FreeCustomPicture(&picture_down_);
  list_.Clear();
  if (vector_token_) (void)imaging_dlls::Call<&imaging_dlls::Table::MVVectorGdipEnd>(0, vector_token_);
}

bool CMorvikThumb::Horizontal() const { return PropI2(kScrollVH) == mvThumbHorizontal; }
int CMorvikThumb::LineLength() const { return std::max<int>(1, Horizontal() ? PropI2(kRowCount) : PropI2(kColCount)); }
int CMorvikThumb::VisibleLines() const { return std::max<int>(1, Horizontal() ? PropI2(kColCount) : PropI2(kRowCount)); }

bool CMorvikThumb::SetStartNum(int value) {
  const int n = static_cast<int>(list_.size());
  if (value < 0 || n == 0 || value >= n || value == start_num_) return false;
  SetDirty(true);
  const int len = LineLength();
  int first = value / len;
  const int lines = LineCount(n, len);
  if (lines < VisibleLines() + first) first = lines - VisibleLines();
  start_num_ = std::max(0, first) * len;
  update();
  return true;
}

PutVerdict CMorvikThumb::ValidatePut(hosting::DispId id, Variant* value) {
  switch (id) {
    case kFilePath:
      *value = Variant::Bstr(viewer::TrimTrailingSeparator(value->AsString()));
      return PutVerdict::kAccept;
    case kThumbnailFile:
    case kMouseCursorFile:
    case kSelectMouseCursorFile:
      // A name that does not fit the path buffers is refused, never cut.
      if (!viewer::FitsPathBuffer(viewer::ToAnsi(value->AsString()))) {
        SetErrorDescription(u"The path is too long");
        return PutVerdict::kRefuse;
      }
      return PutVerdict::kAccept;
    case kStartNum: return SetStartNum(value->AsI2()) ? PutVerdict::kAccept : PutVerdict::kRefuse;
    case kThumbArrayNum: {
      const int n = value->AsI2();
      if (n < 1 || n > static_cast<int>(list_.size())) return PutVerdict::kIgnore;
      const file_list::ThumbnailEntry& e = list_[n - 1];
      thumb_array_file_ = viewer::ToWide(e.file_name);
      thumb_array_path_ = viewer::ToWide(e.folder);
      thumb_array_page_ = e.image_number;
      return PutVerdict::kAccept;
    }
    case kPictureUpFile:
    case kPictureDownFile:
      return LoadCustomPictureFile(id == kPictureUpFile ? kPictureUp : kPictureDown, value->AsString())
                 ? PutVerdict::kAccept
                 : PutVerdict::kRefuse;
    case kPictureUp:
    case kPictureDown: {
      const MVHANDLE h = value->AsPicture();
      MVImageType type{};
      if (h == 0 || imaging_dlls::GetImageType(h, &type)) return PutVerdict::kAccept;
      // Not a picture of ours: the property is cleared.
      const MVHANDLE old = PropPicture(id);
      SetStored(id, Variant::Picture(0));
      imaging_dlls::FreeMemory(old);
      RebuildCustomPicture(id);
      update();
      return PutVerdict::kRefuse;
    }
    case kImageHandle: {
      const auto h = static_cast<MVHANDLE>(static_cast<uint32_t>(value->AsI4()));
      if (h == 0) return PutVerdict::kRefuse;
      // The control owns every handle handed to it.
      MVImageType type{};
      if (PropI2(kReadMode) != mvThumbRdImage || !imaging_dlls::GetImageType(h, &type)) {
        imaging_dlls::FreeMemory(h);
        return PutVerdict::kRefuse;
      }
      return AppendImageHandle(h) ? PutVerdict::kAccept : PutVerdict::kRefuse;
    }
    default: return PutVerdict::kAccept;
  }
}

void CMorvikThumb::OnPropertyChanged(hosting::DispId id) {
  switch (id) {
    case kColCount:
    case kRowCount: start_num_ = 0; break;
    case kScrollVH:
      start_num_ = 0;
      vbar_->hide();
      hbar_->hide();
      RebuildScrollState(true);
      break;
    case kPictureUp:
    case kPictureDown: RebuildCustomPicture(id); break;
    case kMouseCursorType:
    case kMouseCursorFile:
    case kSelectMouseCursorType:
    case kSelectMouseCursorFile: UpdateCursors(); break;
    default: break;
  }
}

HRESULT CMorvikThumb::GetComputed(hosting::DispId id, Variant* out) {
  switch (id) {
    case kStartNum: *out = Variant::I2(static_cast<int16_t>(start_num_)); return hosting::S_OK;
    case kHdc: *out = Variant::I4(0); return hosting::S_FALSE;
    case kFileName: *out = Variant::Bstr(file_name_); return hosting::S_OK;
    case kHwnd: *out = Variant::I4(static_cast<int32_t>(winId())); return hosting::S_OK;
    case kErrorStatus: *out = Variant::I2(error_status_); return hosting::S_OK;
    case kThumbArrayFileName: *out = Variant::Bstr(thumb_array_file_); return hosting::S_OK;
    case kThumbArrayPathName: *out = Variant::Bstr(thumb_array_path_); return hosting::S_OK;
    case kThumbArrayPage: *out = Variant::I2(thumb_array_page_); return hosting::S_OK;
    default: return hosting::DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CMorvikThumb::InvokeMethod(hosting::DispId id, const Variant* args, size_t count, Variant* result) {
  switch (id) {
    case kGetFiles: *result = Variant::Bool(GetFiles()); return hosting::S_OK;
    case kDisplay: *result = Variant::Bool(Display()); return hosting::S_OK;
    case kRefresh: Refresh(); return hosting::S_OK;
    case kScroll: *result = Variant::Bool(Scroll()); return hosting::S_OK;
    case kUpdateThumbnailFile: UpdateThumbnailFile(); return hosting::S_OK;
    case kClear: Clear(); return hosting::S_OK;
    case kIsSelected: *result = Variant::Bool(IsSelected(args[0].AsI2())); return hosting::S_OK;
    case kSelectImage: *result = Variant::Bool(SelectImage(args[0].AsI2())); return hosting::S_OK;
    case kDeSelectImage: *result = Variant::Bool(DeSelectImage(args[0].AsI2())); return hosting::S_OK;
    case kDelete: *result = Variant::Bool(Delete(args[0].AsI2())); return hosting::S_OK;
    default: return Control::InvokeMethod(id, args, count, result);
  }
}

void CMorvikThumb::Refresh() {
  SetStatus(kStatusOk);
  last_drawn_start_ = -1;
  update();
}

void CMorvikThumb::SetLoadThreads(int threads) {
  if (busy_ || threads == pool_->threads()) return;
  pool_ = std::make_unique<LoadPool>(threads);
}

int CMorvikThumb::LoadThreads() const { return pool_->threads(); }

void CMorvikThumb::Clear() {
  pool_->Discard();
  list_.Clear();
  layout_.cells.clear();
  have_cells_ = false;
  start_num_ = 0;
  vbar_->setValue(0);
  hbar_->setValue(0);
  vbar_->hide();
  hbar_->hide();
  anchor_ = extent_ = last_clicked_ = press_entry_ = drop_entry_ = hover_entry_ = -1;
  file_name_.clear();
  update();
}

int CMorvikThumb::CheckedEntry(int image, bool need_thumbnail) {
  SetStatus(kStatusOk);
  if (list_.empty()) {
    SetStatus(kStatusEmptyList);
    return -1;
  }
  if (image < 1 || image > static_cast<int>(list_.size()) ||
      (need_thumbnail && (!have_cells_ || list_[image - 1].image == 0))) {
    SetStatus(kStatusBadValue);
    return -1;
  }
  return image - 1;
}

bool CMorvikThumb::IsSelected(int image) {
  const int i = CheckedEntry(image, false);
  return i >= 0 && list_[i].selected != 0;
}

bool CMorvikThumb::SelectImage(int image) {
  if (CheckedEntry(image, true) < 0) return false;
  file_list::ThumbnailEntry& e = list_[image - 1];
  if (!PropBool(kEnableSelectMultiFiles)) {
    if (e.selected) return false;
    DeselectAll();
  }
  e.selected = 1;
  last_clicked_ = image - 1;
  RaiseSelectFile(kEventSelectFile, image - 1);
  update();
  return true;
}

bool CMorvikThumb::DeSelectImage(int image) {
  if (CheckedEntry(image, true) < 0) return false;
  const bool was = list_[image - 1].selected != 0;
  list_[image - 1].selected = 0;
  update();
  return was;
}

bool CMorvikThumb::Delete(int image) {
  if (CheckedEntry(image, true) < 0) return false;
  list_.Remove(static_cast<size_t>(image - 1));
  const int n = static_cast<int>(list_.size());
  for (int* index : {&anchor_, &extent_, &last_clicked_, &hover_entry_})
    if (*index >= n) *index = -1;
  const int len = LineLength();
  int first = start_num_ / len;
  if (PropI2(kColCount) * PropI2(kRowCount) + start_num_ - n >= len) first = std::max(0, first - 1);
  start_num_ = first * len;
  update();
  return true;
}

void CMorvikThumb::FreeCustomPicture(CustomPicture* pic) {
  imaging_dlls::FreeMemory(pic->bitmap);
  imaging_dlls::FreeMemory(pic->mask);
  *pic = CustomPicture{};
}

void CMorvikThumb::RebuildCustomPicture(hosting::DispId id) {
  CustomPicture* pic = id == kPictureUp ? &picture_up_ : &picture_down_;
  FreeCustomPicture(pic);
  const MVHANDLE dib = PropPicture(id);
  if (dib == 0) return;
  MVBITMAP bitmap = 0, mask = 0;
  if (imaging_dlls::Call<&imaging_dlls::Table::CreateTransparentMaskBitmap>(0, dib, MV_COLOR_AUTO, &bitmap, &mask)) {
    pic->bitmap = bitmap;
    pic->mask = mask;
  }
}

bool CMorvikThumb::LoadCustomPictureFile(hosting::DispId picture_id, const std::u16string& file) {
  if (file.empty()) return false;
  char path[viewer::kMaxPath];
  if (!viewer::WideToAnsi(file.c_str(), path, sizeof path)) return false;
  const MVHANDLE dib = imaging_dlls::FileLoad(path, 0, 0, 0);
  if (dib == 0) return false;
  const MVHANDLE old = PropPicture(picture_id);
  SetStored(picture_id, Variant::Picture(dib));
  if (old && old != dib) imaging_dlls::FreeMemory(old);
  RebuildCustomPicture(picture_id);
  NotifyChanged(picture_id);
  update();
  return true;
}

QCursor CMorvikThumb::MakeCursor(int type, const std::u16string& file, bool* loaded) const {
  static const Qt::CursorShape kShapes[15] = {
      Qt::ArrowCursor,   Qt::BusyCursor,      Qt::CrossCursor,     Qt::WhatsThisCursor, Qt::IBeamCursor,
      Qt::ArrowCursor,   Qt::ForbiddenCursor, Qt::SizeAllCursor,   Qt::SizeAllCursor,   Qt::SizeBDiagCursor,
      Qt::SizeVerCursor, Qt::SizeFDiagCursor, Qt::SizeHorCursor,   Qt::UpArrowCursor,   Qt::WaitCursor};
  *loaded = false;
  if (type >= 0 && type < 15) return QCursor(kShapes[type]);
  if (type == mvCursorCustom && file.size() > 1) {
    QPixmap pixmap(QString::fromStdU16String(file));
    if (!pixmap.isNull()) {
      *loaded = true;
      return QCursor(pixmap);
    }
  }
  if (type == mvCursorNoShow) return QCursor(Qt::BlankCursor);
  return QCursor(Qt::ArrowCursor);
}

void CMorvikThumb::UpdateCursors() {
  bool loaded = false;
  normal_cursor_ = std::make_unique<QCursor>(MakeCursor(PropI2(kMouseCursorType), PropString(kMouseCursorFile), &loaded));
  select_cursor_ =
      std::make_unique<QCursor>(MakeCursor(PropI2(kSelectMouseCursorType), PropString(kSelectMouseCursorFile), &loaded));
  setCursor(*normal_cursor_);
}

bool CMorvikThumb::focusNextPrevChild(bool) { return false; }  // arrows and Tab stay with the control

}  // namespace thumb

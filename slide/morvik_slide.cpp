// CMorvikSlide: properties, methods, the list and moving in it, loading,
// the timer and the lifecycle.  Painting is in slide_paint.cpp, the stock
// mouse and key events in slide_input.cpp, shuffle and folder watching in
// slide_watch.cpp.
#include "slide/morvik_slide.h"

#include <QFileSystemWatcher>
#include <QTimerEvent>
#include <algorithm>
#include <climits>

#include "slide/slide_list.h"
#include "slide/slide_loader.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/utils/text.h"

namespace slide {

using namespace hosting;

namespace {
const imaging_dlls::Table& T() { return imaging_dlls::Entries(); }
std::string Narrow(const std::u16string& s) { return viewer::ToAnsi(s); }
}  // namespace

CMorvikSlide::CMorvikSlide(QWidget* parent) : Control(Class(), parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);  // the control erases its own background
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  if (T().MVVectorGdipStart) vector_token_ = T().MVVectorGdipStart();
}

CMorvikSlide::~CMorvikSlide() {
  FreePicture();
  StopTimer();
  FreeList();
  if (vector_token_ != 0 && T().MVVectorGdipEnd) T().MVVectorGdipEnd(vector_token_);
}

PutVerdict CMorvikSlide::ValidatePut(DispId id, Variant* value) {
  if (id == kFilePath) *value = Variant::Bstr(viewer::TrimTrailingSeparator(value->AsString()));
  return PutVerdict::kAccept;
}

void CMorvikSlide::OnPropertyChanged(DispId id) {
  if (id == kEnabled) setEnabled(PropBool(kEnabled));
  if (id == kWatchFolder) UpdateWatch();
}

HRESULT CMorvikSlide::GetComputed(DispId id, Variant* out) {
  switch (id) {
    case kErrorStatus: *out = Variant::I2(error_status_); return S_OK;
    case kHwnd:
      *out = Variant::I4(testAttribute(Qt::WA_WState_Created) ? static_cast<int32_t>(winId()) : 0);
      return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CMorvikSlide::InvokeMethod(DispId id, const Variant* args, size_t count, Variant* result) {
  auto ret = [&](bool ok) {
    if (result) *result = Variant::I2(ok ? 1 : 0);
    return S_OK;
  };
  switch (id) {
    case kOpen: return ret(Open());
    case kClose: return ret(Close());
    case kStart: return ret(Start());
    case kStop: return ret(Stop());
    case kGoNext: return ret(Go(Move::kNext));
    case kGoBack: return ret(Go(Move::kPrevious));
    case kGoTop: return ret(Go(Move::kFirst));
    case kGoBottom: return ret(Go(Move::kLast));
    case kClear: Clear(); return S_OK;
    default: return Control::InvokeMethod(id, args, count, result);
  }
}

// ---------------------------------------------------------------- methods

bool CMorvikSlide::Open() {
  error_status_ = kStatusOk;
  FreePicture();
  if (list_open_) {
    error_status_ = kStatusWrongState;
    return false;
  }
  if (PropI4(kCurrentImage) != 0) {
    SetStored(kCurrentImage, Variant::I4(0));
    NotifyChanged(kCurrentImage);
  }
  current_path_.clear();
  shown_path_.clear();
  shown_page_ = 0;
  if (!BuildList()) {
    FreeList();
    error_status_ = kStatusListFailed;
    return false;
  }
  list_open_ = true;
  if (list_cut_) error_status_ = kStatusListFull;
  SetStored(kMaxImage, Variant::I4(static_cast<int32_t>(list_.size())));
  NotifyChanged(kMaxImage);
  MakeOrder(false);
  UpdateWatch();
  return true;
}

bool CMorvikSlide::Close() {
  error_status_ = kStatusOk;
  StopTimer();
  FreePicture();
  if (!list_open_) {
    error_status_ = kStatusWrongState;
    return false;
  }
  FreeList();
  update();
  return true;
}

bool CMorvikSlide::Start() {
  error_status_ = kStatusOk;
  FreePicture();
  if (!list_open_) {
    error_status_ = kStatusWrongState;
    return false;
  }
  MoveTo(Move::kSame);
  if (!LoadCurrent()) {
    error_status_ = kStatusLoadFailed;
    update();  // no stale picture stays under the new entry
    return false;
  }
  ShowSlide(nullptr, true);
  StopTimer();
  const int32_t seconds = PropI4(kIntervalTime);
  if (seconds > 0) timer_.start(seconds > INT_MAX / 1000 ? INT_MAX : seconds * 1000, this);
  return true;
}

bool CMorvikSlide::Stop() {
  error_status_ = kStatusOk;
  if (!list_open_) {
    error_status_ = kStatusWrongState;
    return false;
  }
  StopTimer();
  return true;
}

bool CMorvikSlide::Go(Move move) {
  error_status_ = kStatusOk;
  if (!list_open_ || timer_.isActive()) {
    error_status_ = kStatusWrongState;
    return false;
  }
  FreePicture();
  MoveTo(move);
  if (move == Move::kNext || move == Move::kPrevious) SkipGoneFiles(move);
  if (!LoadCurrent()) {
    error_status_ = kStatusLoadFailed;
    update();
    return false;
  }
  ShowSlide(nullptr, true);
  return true;
}

void CMorvikSlide::Clear() {
  FreePicture();
  StopTimer();
  FreeList();
  repaint();
}

// ----------------------------------------------------------------- engine

bool CMorvikSlide::BuildList() {
  list_.Clear();
  list_cut_ = false;
  const int way = PropI2(kFileReadWay);
  if (way == mvSlidefile) return BuildFromSlideFile(Narrow(PropString(kSlideFileName)), &list_) == 0;
  FolderRequest req;
  req.file_path = Narrow(PropString(kFilePath));
  req.file_ext = Narrow(PropString(kFileExt));
  req.sort = PropI2(kSort);
  req.sort_order = PropI2(kSortOrder);
  req.sort_date = PropI2(kSortDate);
  req.multi_image = way == mvFolderMultiImage;
  return BuildFromFolder(req, &list_, &list_cut_) == 0;
}

void CMorvikSlide::FreeList() {
  watcher_.reset();
  list_.Clear();
  order_.clear();
  list_open_ = false;
  if (PropI4(kMaxImage) != 0) {
    SetStored(kMaxImage, Variant::I4(0));
    NotifyChanged(kMaxImage);
  }
}

void CMorvikSlide::FreePicture() {
  imaging_dlls::FreeMemory(picture_);
  picture_ = 0;
  picture_entry_ = -1;
}

void CMorvikSlide::StopTimer() { timer_.stop(); }

int32_t CMorvikSlide::Count() const {
  // Only entries actually built can be read, whatever MaxImage a host set.
  const int64_t max_image = PropI4(kMaxImage);
  return static_cast<int32_t>(std::min<int64_t>(max_image, static_cast<int64_t>(order_.size())));
}

int CMorvikSlide::EntryAt(int32_t pos) const {
  if (pos < 0 || pos >= Count()) return -1;
  return order_[static_cast<size_t>(pos)];
}

void CMorvikSlide::MoveTo(Move move) {
  const int32_t count = Count();
  const bool endless = PropBool(kEndless);
  int64_t pos = PropI4(kCurrentImage);
  switch (move) {
    case Move::kNext:
      pos = pos + 1;
      if (endless && pos >= count && count > 0 && PropBool(kShuffle)) MakeOrder(true);
      break;
    case Move::kPrevious: pos = pos - 1; break;
    case Move::kSame: break;
    case Move::kFirst: pos = 0; break;
    case Move::kLast: pos = static_cast<int64_t>(count) - 1; break;
  }
  const int32_t now = RangeRule(pos, count, endless);
  if (now >= 0 && now != PropI4(kCurrentImage)) {
    SetStored(kCurrentImage, Variant::I4(now));
    NotifyChanged(kCurrentImage);
  }
  const int idx = EntryAt(now);
  current_path_ = idx < 0 ? std::string() : list_[static_cast<size_t>(idx)].FullPath();
}

bool CMorvikSlide::LoadCurrent() {
  const int idx = EntryAt(PropI4(kCurrentImage));
  if (idx < 0) return false;
  const file_list::ThumbnailEntry& e = list_[static_cast<size_t>(idx)];
  const InnerRect inner = Inner();
  picture_ = LoadSlide(current_path_.c_str(), e.image_number, inner.Width(), inner.Height());
  picture_entry_ = picture_ ? idx : -1;
  return picture_ != 0;
}

void CMorvikSlide::timerEvent(QTimerEvent* event) {
  if (event->timerId() != timer_.timerId()) {
    Control::timerEvent(event);
    return;
  }
  if (drawing_ || !testAttribute(Qt::WA_WState_Created)) return;
  Tick();
}

void CMorvikSlide::Tick() {
  RescanPending();
  MoveTo(Move::kNext);
  SkipGoneFiles(Move::kNext);
  FreePicture();
  if (!LoadCurrent()) {
    update();  // an empty step: the background, never the old picture
    return;
  }
  ShowSlide(nullptr, true);
}

std::string CMorvikSlide::EntryFileName(const file_list::ThumbnailEntry& e) const {
  if (e.image_number >= 1) return e.file_name + " " + std::to_string(e.image_number);
  return e.file_name;
}

InnerRect CMorvikSlide::Inner() const {
  return ComputeInnerRect(width(), height(), PropBool(kBorderVisible), PropI2(kAppearance));
}

}  // namespace slide

// Loading: GetFiles and Display in every read mode, loading one entry with
// its events and the failure count, images handed in by handle, and the
// thumbnail file read before the folders are listed and written on request.
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <cstring>

#include "platform/busy.h"
#include "thumb/load_pool.h"
#include "thumb/morvik_thumb.h"
#include "thumb/thumb_file.h"
#include "thumb/thumbnail_maker.h"
#include "viewer_common/file_list/folder_list.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/utils/ole_color.h"
#include "viewer_common/utils/text.h"

namespace thumb {

using hosting::Variant;
using imaging_dlls::Call;
using imaging_dlls::Table;

namespace {

bool ReadsMultiImage(int mode) { return mode == mvThumbRdMultiImg || mode == mvThumbRdDspMultiImg; }
bool LoadsOnPaint(int mode) { return mode == mvThumbRdDsp || mode == mvThumbRdDspMultiImg; }

// How far ahead of the events the workers run: two jobs per worker keep
// every worker busy while the control takes the results, and keep the
// pictures held at once few.
size_t LookAhead(int threads) { return 2 * static_cast<size_t>(threads); }

// The busy cursor for one scope.
class BusyScope {
 public:
  BusyScope() : was_(platform::IsBusyCursor()) { platform::SetBusyCursor(true); }
  ~BusyScope() {
    if (!was_) platform::SetBusyCursor(false);
  }

 private:
  bool was_;
};

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

std::u16string CMorvikThumb::Label(const file_list::ThumbnailEntry& e) const {
  std::u16string label = viewer::ToWide(e.file_name);
  if (e.image_number >= 1) label += u" " + viewer::ToWide(std::to_string(e.image_number));
  return label;
}

bool CMorvikThumb::CountExtensions() {
  const std::string file_path = viewer::ToAnsi(PropString(kFilePath));
  extensions_.clear();
  int count = 0;
  if (!file_path.empty() && paths_->IsSetDrive(file_path))
    count = paths_->SplitExtensions(file_path, viewer::ToAnsi(PropString(kFileExt)), &extensions_);
  if (count <= 0) {
    extensions_.clear();
    SetStatus(kStatusBadValue);
    return false;
  }
  return true;
}

bool CMorvikThumb::GetFiles() {
  busy_ = true;
  file_name_.clear();
  SetStored(kCancel, Variant::Bool(false));
  failures_ = 0;
  SetStatus(kStatusOk);
  last_drawn_start_ = -1;
  const int mode = PropI2(kReadMode);
  if (mode == mvThumbRdImage) {
    busy_ = false;
    return false;
  }
  BusyScope busy_cursor;
  pool_->Discard();
  if (PropBool(kClearOnLoad)) {
    start_num_ = 0;
    extensions_.clear();
    layout_.cells.clear();
    have_cells_ = false;
    list_.Clear();
    anchor_ = extent_ = last_clicked_ = -1;
  }
  if (!CountExtensions()) {
    busy_ = false;
    return false;
  }
  ReadThumbnailFile();
  file_list::ListRequest req;
  req.file_path = viewer::ToAnsi(PropString(kFilePath));
  req.file_ext = viewer::ToAnsi(PropString(kFileExt));
  req.sort = PropI2(kSort);
  req.sort_order = PropI2(kSortOrder);
  req.sort_date = PropI2(kSortDate);
  req.multi_image = ReadsMultiImage(mode);
  file_list::ListReport listed;
  if (file_list::BuildFolderList(*paths_, req, &list_, &listed) != 0) SetStatus(kStatusBadValue);
  if (listed.truncated) SetStatus(kStatusListFull);
  const int cells = PropI2(kColCount) * PropI2(kRowCount);
  if ((!vbar_->isHidden() || !hbar_->isHidden()) && static_cast<int>(list_.size()) <= cells) {
    vbar_->setValue(0);
    hbar_->setValue(0);
    vbar_->hide();
    hbar_->hide();
  }
  if (mode == mvThumbRd || mode == mvThumbRdMultiImg) {
    RebuildScrollState(true);
    RebuildLayout();
    for (size_t i = 0; i < list_.size(); ++i) {
      if (list_[i].image == 0) WantAhead(i);
      LoadEntry(i);
    }
    pool_->Discard();
    for (size_t i = list_.size(); i-- > 0;)
      if (list_[i].image == 0) list_.Remove(i);
  }
  busy_ = false;
  update();
  return true;
}

bool CMorvikThumb::Display() {
  SetStatus(kStatusOk);
  layout_.cells.clear();
  have_cells_ = false;
  busy_ = true;
  start_num_ = 0;
  SetStored(kCancel, Variant::Bool(false));
  last_drawn_start_ = -1;
  RebuildScrollState(true);
  RebuildLayout();
  bar_disabled_ = true;
  vbar_->setEnabled(false);
  hbar_->setEnabled(false);
  {
    BusyScope busy_cursor;
    if (isVisible()) {
      repaint();
    } else {
      // Not on screen yet: the grid is drawn off-screen all the same, so the
      // thumbnails load and the host hears of them as it would.
      QPixmap scratch(size().expandedTo(QSize(1, 1)));
      QPainter p(&scratch);
      PaintAll(&p, ClientRect(), true);
    }
  }
  bar_disabled_ = false;
  vbar_->setEnabled(true);
  hbar_->setEnabled(true);
  last_display_w_ = layout_.w;
  last_display_h_ = layout_.h;
  busy_ = false;
  if (list_.empty()) {
    SetStatus(kStatusNotLoadable);
    return false;
  }
  return true;
}

bool CMorvikThumb::JobFor(size_t index, ThumbnailJob* job) const {
  if (index >= list_.size() || list_[index].image != 0) return false;
  const std::string path = list_[index].FullPath();
  if (!viewer::FitsPathBuffer(path)) return false;
  job->path = path;
  job->image_number = list_[index].image_number;
  job->image_size = PropI2(kImageSize);
  job->background = viewer::TranslateOleColor(PropColor(kForeColorUp));
  job->use_shared_cache = PropBool(kUseSharedCache);
  return true;
}

void CMorvikThumb::WantAhead(size_t index) {
  if (PropBool(kCancel)) return pool_->Discard();
  if (pool_->threads() == 0) return;
  // The entry about to load comes first, then the next few that need it.
  const size_t want = 1 + LookAhead(pool_->threads());
  const size_t scan_end = std::min(list_.size(), index + 4 * want + 64);
  std::vector<ThumbnailJob> jobs;
  ThumbnailJob job;
  for (size_t i = index; i < scan_end && jobs.size() < want; ++i)
    if (JobFor(i, &job)) jobs.push_back(job);
  pool_->Want(jobs);
}

void CMorvikThumb::WantForView(int start) {
  if (PropBool(kCancel)) return pool_->Discard();
  if (pool_->threads() == 0 || !have_cells_) return;
  const int cols = PropI2(kColCount), rows = PropI2(kRowCount);
  const size_t cells = layout_.cells.size();
  std::vector<ThumbnailJob> jobs;
  ThumbnailJob job;
  // The cells in the order they are drawn...
  for (size_t i = 0; i < cells; ++i) {
    const int e = EntryAt(start, static_cast<int>(i) % cols, static_cast<int>(i) / cols, cols, rows, Horizontal());
    if (e >= 0 && JobFor(static_cast<size_t>(e), &job)) jobs.push_back(job);
  }
  // ...then the next screenful, ready for a scroll.
  const size_t ahead = std::max(cells, LookAhead(pool_->threads()));
  const size_t from = static_cast<size_t>(start) + cells;
  for (size_t i = from; i < list_.size() && i < from + ahead; ++i)
    if (JobFor(i, &job)) jobs.push_back(job);
  pool_->Want(jobs);
}

void CMorvikThumb::LoadEntry(size_t index) {
  if (PropBool(kCancel)) {
    pool_->Discard();
    SetStatus(kStatusCancelled);
    return;
  }
  if (index >= list_.size() || list_[index].image != 0) return;
  const int mode = PropI2(kReadMode);
  const std::u16string folder = viewer::ToWide(list_[index].folder);
  const std::u16string label = Label(list_[index]);
  const auto number = [&] { return Variant::I2(static_cast<int16_t>(static_cast<int>(index) - failures_ + 1)); };
  const auto count = [&] { return Variant::I2(static_cast<int16_t>(static_cast<int>(list_.size()) - failures_)); };
  FireEvent(kEventStartLoadFile, {Variant::Bstr(folder), Variant::Bstr(label), number(), count()});
  // The host may have changed the list from its handler.
  if (index >= list_.size() || list_[index].image != 0) return;
  ThumbnailJob job;
  if (!JobFor(index, &job) || !paths_->IsSetDrive(job.path)) {
    SetStatus(kStatusNotLoadable);
    return;
  }
  // A Cancel set by the handler stops the workers at once; this entry
  // still loads and ends with its event.
  if (PropBool(kCancel)) pool_->Want({job});
  const MVHANDLE made = pool_->Take(job);
  if (made != 0) list_.SetImage(index, made);
  if (made == 0) {
    SetStatus(kStatusNotLoadable);
    if (LoadsOnPaint(mode)) list_.Remove(index);
    else ++failures_;
  }
  FireEvent(kEventEndLoadFile, {Variant::Bstr(folder), Variant::Bstr(label), number(), count()});
}

bool CMorvikThumb::AppendImageHandle(MVHANDLE handle) {
  if (list_.full()) {
    imaging_dlls::FreeMemory(handle);
    SetStatus(kStatusListFull);
    return false;
  }
  const MVHANDLE made = MakeThumbnail(handle, PropI2(kImageSize), viewer::TranslateOleColor(PropColor(kForeColorUp)));
  if (made == 0) return false;
  const int old = static_cast<int>(list_.size());
  file_list::ThumbnailEntry e;
  char name[16];
  std::snprintf(name, sizeof name, "%5d", old + 1);
  e.file_name = name;
  e.image = made;
  list_.Append(std::move(e));
  const int cols = PropI2(kColCount), rows = PropI2(kRowCount);
  start_num_ = old >= cols * rows ? std::max(0, (old / cols - rows + 1) * cols) : 0;
  last_drawn_start_ = -1;
  update();
  return true;
}

void CMorvikThumb::ReadThumbnailFile() {
  const std::string file = viewer::ToAnsi(PropString(kThumbnailFile));
  if (file.empty() || !Call<&Table::DataFileExist>(0, file.c_str())) return;
  const int64_t size = Call<&Table::DataFileNameSize>(int64_t{-1}, file.c_str());
  if (size < static_cast<int64_t>(kThumbMinFileSize)) return;
  const int32_t fd = Call<&Table::DataFileReadOpen>(-1, file.c_str());
  if (fd == -1) return;
  ThumbFileReader reader([fd](void* buffer, size_t n) -> int64_t {
    if (n > INT32_MAX) return -1;
    return Call<&Table::__hread>(-1, fd, buffer, static_cast<int32_t>(n));
  });
  if (reader.ReadHeader()) {
    const bool all_stale = reader.image_size() != PropI2(kImageSize);
    ThumbRecord rec;
    std::string ext;
    while (static_cast<int64_t>(reader.consumed()) < size && reader.Next(&rec)) {
      const std::string path = JoinPath(rec.folder, rec.file_name);
      file_list::FileTypeInfo info;
      if (!viewer::FitsPathBuffer(path) || !Call<&Table::DataFileExist>(0, path.c_str()) ||
          !file_list::ExtensionInTable(*paths_, rec.file_name, extensions_) ||
          !paths_->FileType(path, rec.image_number, &info))
        continue;
      const long found = list_.Find(rec.folder, rec.file_name, rec.image_number);
      bool stale = all_stale || rec.dib.empty();
      size_t at;
      if (found < 0) {
        char now[file_list::kDateTextSize] = {};
        (void)Call<&Table::GetPathFileDateTime>(0, path.c_str(), now);
        if (std::strncmp(now, rec.date, kThumbDateSize) != 0) stale = true;
        file_list::ThumbnailEntry e;
        e.folder = rec.folder;
        e.file_name = rec.file_name;
        e.image_number = rec.image_number;
        std::memcpy(e.date_text, now, sizeof e.date_text);
        if (!list_.Append(std::move(e))) {  // the rest of the file would not fit the list
          SetStatus(kStatusListFull);
          break;
        }
        at = list_.size() - 1;
      } else {
        at = static_cast<size_t>(found);
        if (std::strncmp(list_[at].date_text, rec.date, kThumbDateSize) != 0) stale = true;
        list_.FreeImage(at);
      }
      if (stale) continue;
      const MVHANDLE h = imaging_dlls::GlobalAlloc(rec.dib.size());
      imaging_dlls::LockedBlock block(h);
      if (!block) {
        imaging_dlls::GlobalFree(h);
        continue;
      }
      std::memcpy(block.data(), rec.dib.data(), rec.dib.size());
      list_.SetImage(at, h);
    }
  }
  (void)Call<&Table::DataFileClose>(-1, fd);
  if (list_.empty()) (void)Call<&Table::DataFileDelete>(0, file.c_str());
}

void CMorvikThumb::UpdateThumbnailFile() {
  SetStatus(kStatusThumbFileNotWritten);
  if (PropI2(kReadMode) == mvThumbRdImage) {
    SetStatus(kStatusOk);
    return;
  }
  anchor_ = extent_ = -1;
  const std::string file = viewer::ToAnsi(PropString(kThumbnailFile));
  // Only a thumbnail file is ever replaced or deleted: whatever else the
  // property names is left alone.
  if (!file.empty() && Call<&Table::DataFileExist>(0, file.c_str())) {
    uint8_t head[16] = {};
    const int32_t fd = Call<&Table::DataFileReadOpen>(-1, file.c_str());
    const int32_t got = fd == -1 ? -1 : Call<&Table::__hread>(-1, fd, head, 16);
    if (fd != -1) (void)Call<&Table::DataFileClose>(-1, fd);
    if (got != 16 || !StartsWithThumbMagic(head, sizeof head)) return;
  }
  if (list_.empty()) {
    if (!file.empty() && Call<&Table::DataFileDelete>(0, file.c_str())) {
      update();
      SetStatus(kStatusOk);
    }
    return;
  }
  const int32_t fd = file.empty() ? -1 : Call<&Table::DataFileCreateOpen>(-1, file.c_str());
  if (fd == -1) {
    SetStatus(kStatusNotLoadable);
    return;
  }
  auto write = [fd](const std::vector<uint8_t>& bytes) {
    return bytes.size() <= INT32_MAX &&
           Call<&Table::__hwrite>(-1, fd, bytes.data(), static_cast<int32_t>(bytes.size())) ==
               static_cast<int32_t>(bytes.size());
  };
  std::vector<uint8_t> bytes;
  AppendThumbHeader(&bytes, PropI2(kImageSize));
  bool ok = write(bytes);
  for (size_t i = 0; ok && i < list_.size(); ++i) {
    const file_list::ThumbnailEntry& e = list_[i];
    bytes.clear();
    imaging_dlls::LockedBlock dib(e.image);
    const auto* p = static_cast<const uint8_t*>(dib.data());
    const size_t n = p ? PackedDibSize(p, dib.size()) : 0;
    if (!AppendThumbRecord(&bytes, e.folder, e.file_name, e.date_text, e.image_number, n ? p : nullptr, n)) continue;
    ok = write(bytes);
  }
  // The library writes into a temporary file and renames it over the old
  // one only when every write went through.
  const bool closed = Call<&Table::DataFileClose>(-1, fd) == 0;
  if (!ok || !closed) return;
  update();
  SetStatus(kStatusOk);
}

}  // namespace thumb

// CMorvikSlide's play order (straight, or shuffled without repeats) and the
// folder watch that adds pictures arriving while a folder show runs.
#include <QFileSystemWatcher>
#include <algorithm>
#include <filesystem>
#include <numeric>
#include <set>

#include "slide/morvik_slide.h"
#include "slide/slide_list.h"
#include "viewer_common/file_list/dll_path_services.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/utils/text.h"

namespace slide {

using namespace hosting;

void CMorvikSlide::MakeOrder(bool new_round) {
  const int last = new_round && !order_.empty() ? order_.back() : -1;
  order_.resize(list_.size());
  std::iota(order_.begin(), order_.end(), 0);
  if (!PropBool(kShuffle) || order_.size() < 2) return;
  std::shuffle(order_.begin(), order_.end(), rng_);
  // A round never starts with the picture the last one ended on: showing
  // the same picture twice in a row would end the show.
  if (order_.front() == last) std::swap(order_.front(), order_.back());
}

void CMorvikSlide::UpdateWatch() {
  watcher_.reset();
  if (!list_open_ || !PropBool(kWatchFolder) || PropI2(kFileReadWay) == mvSlidefile) return;
  file_list::DllPathServices paths;
  const std::string file_path = viewer::ToAnsi(PropString(kFilePath));
  watch_exts_.clear();
  paths.SplitExtensions(file_path, viewer::ToAnsi(PropString(kFileExt)), &watch_exts_);
  watcher_ = std::make_unique<QFileSystemWatcher>();
  std::string dir;
  for (int d = 0; paths.FolderAt(d, file_path, &dir); ++d) watcher_->addPath(QString::fromStdString(dir));
  QObject::connect(watcher_.get(), &QFileSystemWatcher::directoryChanged, this,
                   [this](const QString& folder) { FolderChanged(folder); });
}

void CMorvikSlide::RescanPending() {
  if (!watch_pending_ || !watcher_) return;
  watch_pending_ = false;
  for (const QString& folder : watcher_->directories()) FolderChanged(folder);
}

void CMorvikSlide::FolderChanged(const QString& folder_q) {
  if (!list_open_ || !PropBool(kWatchFolder)) return;
  const std::string folder = folder_q.toStdString();
  std::set<std::string> known;
  for (const auto& e : list_.entries())
    if (e.folder == folder) known.insert(e.file_name);
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ec2;
    if (it->is_directory(ec2)) continue;
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.' || known.count(name)) continue;  // hidden files never join
    for (const std::string& ext : watch_exts_)
      if (MatchesExtension(name, ext)) {
        names.push_back(name);
        break;
      }
  }
  std::sort(names.begin(), names.end());
  std::vector<file_list::ThumbnailEntry> added;
  for (const std::string& name : names)
    if (!EntriesOfFile(folder, name, PropI2(kFileReadWay) == mvFolderMultiImage, PropI2(kSortDate), &added))
      watch_pending_ = true;  // perhaps still being written: looked at again at the next tick
  if (added.empty()) return;
  for (auto& e : added) {
    const int at = static_cast<int>(list_.size());
    if (!list_.Append(std::move(e))) break;  // a full list takes no more
    order_.push_back(at);  // joins the end of the current round
  }
  SetStored(kMaxImage, Variant::I4(static_cast<int32_t>(list_.size())));
  NotifyChanged(kMaxImage);
}

bool CMorvikSlide::CurrentFileGone() const {
  const auto exist = imaging_dlls::Entries().DataFileExist;
  return !current_path_.empty() && exist && !exist(current_path_.c_str());
}

void CMorvikSlide::SkipGoneFiles(Move move) {
  if (!PropBool(kWatchFolder) || PropI2(kFileReadWay) == mvSlidefile) return;
  for (int32_t tries = Count(); tries > 0 && CurrentFileGone(); --tries) {
    const int32_t before = PropI4(kCurrentImage);
    MoveTo(move);
    if (PropI4(kCurrentImage) == before) break;  // at an end of the list
  }
}

}  // namespace slide

// Drag and drop: files dropped from file managers and other programs join
// the list at the drop point, and selected entries are dragged out as
// file URLs, plain paths and the control's own entry format.
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <cstring>

#include "platform/file_url.h"
#include "thumb/morvik_thumb.h"
#include "viewer_common/file_list/folder_list.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/utils/text.h"

namespace thumb {

using hosting::Variant;

namespace {

std::vector<CMorvikThumb::DropItem> ParseOwnEntries(const QByteArray& data) {
  std::vector<CMorvikThumb::DropItem> items;
  for (const QByteArray& line : data.split('\n')) {
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 3) continue;
    bool ok = false;
    const int image = fields[2].trimmed().toInt(&ok);
    if (!ok || image < 0 || image > 32767) continue;
    std::string folder = fields[0].toStdString();
    const std::string name = fields[1].toStdString();
    if (name.empty()) continue;
    if (folder.empty() || folder.back() != '/') folder += '/';
    items.push_back({folder + name, image});
  }
  return items;
}

std::string LocalPathOf(const QUrl& url) { return platform::LocalFilePath(url).toStdString(); }

}  // namespace

std::unique_ptr<QMimeData> CMorvikThumb::DragData() const {
  QList<QUrl> urls;
  QString text;
  QByteArray own;
  // From the last selected entry to the first.
  for (size_t i = list_.size(); i-- > 0;) {
    const file_list::ThumbnailEntry& e = list_[i];
    if (!e.selected || e.folder.empty()) continue;
    const QString path = QString::fromStdString(e.FullPath());
    urls << QUrl::fromLocalFile(path);
    text += path + QLatin1Char('\n');
    own += QByteArray::fromStdString(e.folder) + '\t' + QByteArray::fromStdString(e.file_name) + '\t' +
           QByteArray::number(e.image_number) + '\n';
  }
  if (urls.isEmpty()) return nullptr;
  auto data = std::make_unique<QMimeData>();
  data->setUrls(urls);
  data->setText(text);
  data->setData(QString::fromLatin1(kEntriesMimeType), own);
  return data;
}

void CMorvikThumb::StartDrag() {
  std::unique_ptr<QMimeData> data = DragData();
  if (!data) return;
  dragging_ = true;
  if (PropBool(kEnableMove)) setCursor(*select_cursor_);
  auto* drag = new QDrag(this);
  drag->setMimeData(data.release());
  drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
  // The button went up inside the drag loop.
  dragging_ = false;
  pressed_inside_ = false;
  button_state_ = 0;
  setCursor(*normal_cursor_);
}

bool CMorvikThumb::AcceptsDrag(const QMimeData* data) const {
  if (!data || busy_ || !PropBool(kEnableDragTarget)) return false;
  if (data->hasFormat(QString::fromLatin1(kEntriesMimeType))) return true;
  for (const QUrl& u : data->urls())
    if (!LocalPathOf(u).empty()) return true;
  return PropBool(kEnableOLEDrag) && data->hasText();
}

void CMorvikThumb::dragEnterEvent(QDragEnterEvent* event) {
  if (event->source() == this || AcceptsDrag(event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void CMorvikThumb::dragMoveEvent(QDragMoveEvent* event) {
  if (event->source() == this || AcceptsDrag(event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The entry under the pointer follows the drag, as the hover step does.
    const int e = EntryAtPoint(event->position().toPoint());
    if (e != hover_entry_ && event->source() == this) {
      if (PropBool(kEnableMove) && press_entry_ >= 0 && e >= 0 && e != press_entry_) drop_entry_ = e;
      hover_entry_ = e;
    }
  } else {
    event->ignore();
  }
}

void CMorvikThumb::dropEvent(QDropEvent* event) {
  const QPoint pt = event->position().toPoint();
  if (event->source() == this) {
    // Our own entries dropped on ourselves: a move when moves are on.
    if (PropBool(kEnableMove) && PropI2(kReadMode) != mvThumbRdImage && !busy_)
      SelectionStep(EntryAtPoint(pt), false, 0);
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    return;
  }
  const QMimeData* data = event->mimeData();
  if (!AcceptsDrag(data)) {
    event->ignore();
    return;
  }
  std::vector<DropItem> items;
  if (data->hasFormat(QString::fromLatin1(kEntriesMimeType))) {
    items = ParseOwnEntries(data->data(QString::fromLatin1(kEntriesMimeType)));
  } else if (!PropBool(kEnableOLEDrag)) {
    // The file-drop path: every file, in the order given.
    for (const QUrl& u : data->urls())
      if (std::string path = LocalPathOf(u); !path.empty()) items.push_back({std::move(path), -1});
  } else {
    // The OLE path: texts naming one file each; the last that names an
    // existing file (once any "|N" page suffix is cut) wins.
    QStringList texts = data->text().split(QLatin1Char('\n'));
    for (const QUrl& u : data->urls())
      if (const std::string path = LocalPathOf(u); !path.empty()) texts << QString::fromStdString(path);
    std::string chosen;
    for (const QString& line : texts) {
      const std::string text = line.trimmed().toStdString();
      if (text.empty() || text.size() >= viewer::kMaxPath) continue;
      char bare[viewer::kMaxPath] = {};
      if (!imaging_dlls::Call<&imaging_dlls::Table::CutPagefromFilename>(0, text.c_str(), bare)) continue;
      if (QFileInfo::exists(QString::fromStdString(bare))) chosen = text;
    }
    if (!chosen.empty()) {
      char bare[viewer::kMaxPath] = {};
      (void)imaging_dlls::Call<&imaging_dlls::Table::CutPagefromFilename>(0, chosen.c_str(), bare);
      const int page = imaging_dlls::Call<&imaging_dlls::Table::GetPagefromFilename>(0, chosen.c_str());
      items.push_back({bare, page > 0 ? page : -1});
    }
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  DropFiles(items, pt);
}

int CMorvikThumb::DropFiles(const std::vector<DropItem>& items, QPoint client_point) {
  if (busy_ || !PropBool(kEnableDragTarget)) return 0;
  const int under = EntryAtPoint(client_point);
  const size_t index = under < 0 ? list_.size() : static_cast<size_t>(under);
  const int mode = PropI2(kReadMode);
  const bool multi = mode == mvThumbRdMultiImg || mode == mvThumbRdDspMultiImg;
  int added = 0;
  for (const DropItem& item : items) {
    const std::string& path = item.path;
    if (path.empty() || !viewer::FitsPathBuffer(path)) continue;
    if (item.image < 0 && list_.FindPath(path) >= 0) continue;  // already in the list
    file_list::FileTypeInfo info;
    if (!paths_->FileType(path, 0, &info)) continue;
    if (list_.empty() && extensions_.empty()) (void)CountExtensions();
    char dir[viewer::kMaxPath] = {}, name[viewer::kMaxPath] = {};
    if (!imaging_dlls::Call<&imaging_dlls::Table::GetFullpathFilename>(0, path.c_str(), dir, name)) continue;
    if (!file_list::ExtensionInTable(*paths_, name, extensions_)) continue;
    std::vector<int> images;
    if (item.image >= 0) {
      images.push_back(item.image);
    } else {
      int count = multi ? info.image_count : 1;
      if (info.format >= 16 && info.format <= 18) count = 1;
      for (int j = 0; j < std::clamp(count, 1, 32767); ++j) images.push_back(j);
    }
    for (const int image : images) {
      if (list_.Find(dir, name, image) >= 0) continue;
      file_list::FileTypeInfo more;
      if (image > 0 && !paths_->FileType(path, image, &more)) continue;
      file_list::ThumbnailEntry e;
      e.folder = dir;
      e.file_name = name;
      e.image_number = static_cast<int16_t>(image);
      (void)paths_->DateText(path, PropI2(kSortDate), e.date_text);
      const size_t at = list_.Insert(index, std::move(e));
      if (at == file_list::EntryList::kNotInserted) {
        SetStatus(kStatusListFull);
        break;
      }
      LoadEntry(at);
      FireEvent(kEventDropFileInThumb, {Variant::Bstr(viewer::ToWide(dir)), Variant::Bstr(viewer::ToWide(name))});
      ++added;
    }
    if (list_.full()) break;
  }
  if (added > 0) {
    // Shown again as Display does, keeping the first line.
    last_display_w_ = last_display_h_ = -1;
    last_drawn_start_ = -1;
    RebuildScrollState(false);
    RebuildLayout();
    update();
  }
  return added;
}

}  // namespace thumb

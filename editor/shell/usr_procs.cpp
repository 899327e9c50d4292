// File: editor/shell/usr_procs.cpp
#include "editor/shell/usr_procs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <cmath>
#include <limits>

#include "editor/shell/usr.h"
#include "platform/busy.h"
#include "platform/prompt.h"
#include "platform/screen.h"

namespace ruvel {

void ToFront(QWidget* window) {
  if (!window) return;
  window->raise();
  window->activateWindow();
}

void CaptureScreenKeys(bool active_window_only) {
  platform::CurrentScreen().CaptureToClipboard(active_window_only);
  platform::LetPendingEventsRun();
}

bool IsFolder(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

bool IsFile(const QString& path) {
  if (path.isEmpty()) return false;
  const QFileInfo info(path);
  return info.exists() && !info.isDir();
}

int32_t FileSize(const QString& path) {
  if (path.isEmpty()) return 0;
  const QFileInfo info(path);
  if (!info.exists() || info.isDir()) return 0;
  const qint64 size = info.size();
  if (size < 0 || size > std::numeric_limits<int32_t>::max()) return 0;
  return static_cast<int32_t>(size);
}

bool DeleteFileQuiet(const QString& path) {
  if (!IsFile(path)) return false;
  // A read-only file stays, as a plain delete of the file manager would
  // leave it to the user.
  if (!QFileInfo(path).isWritable()) return false;
  return QFile::remove(path);
}

QString ListFiles(const QString& folder, const QString& pattern) {
  QString path = folder;
  AddSuffix(&path, QString());
  if (!IsFolder(path)) {
    platform::ShowMessage(path + QStringLiteral(" Not Found"));
    return QString();
  }
  QDir dir(path);
  dir.setNameFilters({pattern});
  dir.setFilter(QDir::Files);
  dir.setSorting(QDir::Unsorted);
  // QDir matches name filters case-insensitively unless told otherwise.
  dir.setFilter(dir.filter() | QDir::CaseSensitive);
  return dir.entryList().join(QLatin1Char('\t'));
}

void CutAt(QString* text, const QString& separator) {
  const qsizetype at = separator.isEmpty() ? -1 : text->indexOf(separator);
  if (at >= 0) text->truncate(at);
}

void TrimSuffix(QString* text, const QString& suffix) {
  if (!suffix.isEmpty() && text->endsWith(suffix)) text->chop(suffix.size());
}

void AddSuffix(QString* text, const QString& suffix) {
  const QString s = suffix.isEmpty() ? QStringLiteral("/") : suffix;
  if (!text->endsWith(s)) text->append(s);
}

void SplitAt(const QString& text, const QString& separator, QString* left, QString* right) {
  const QString sep = separator.isEmpty() ? QStringLiteral(",") : separator;
  const qsizetype at = text.indexOf(sep);
  if (at < 0) {
    *left = text;
    right->clear();
    return;
  }
  *left = text.left(at);
  *right = text.mid(at + sep.size());
}

QString TextBetween(QString text, const QString& start_mark, const QString& end_mark) {
  if (text.right(1) != end_mark) text += end_mark;
  qsizetype start = 0;
  if (!start_mark.isEmpty()) {
    const qsizetype at = text.indexOf(start_mark);
    if (at < 0) return QString();
    start = at + start_mark.size();
  }
  if (end_mark.isEmpty()) return text.mid(start);
  const qsizetype end = text.indexOf(end_mark, start);
  if (end < 0) return QString();
  return text.mid(start, end - start);
}

void SetBusy(bool busy) {
  platform::SetBusyCursor(busy);
  platform::LetPendingEventsRun();
}

void PlaceDialog(int32_t width, int32_t height, int32_t* left, int32_t* top) {
  const TwipsGeometry main = WindowTwips(Usr().MainForm.data());
  const auto place = [](double v) {
    const auto r = static_cast<int32_t>(std::lround(v));
    return r < 0 ? 0 : r;
  };
  *left = place((static_cast<double>(main.left) + main.width - width) * 0.95);
  *top = place((static_cast<double>(main.top) + main.height - height) * 0.95);
  int32_t w = width;
  int32_t h = height;
  FitWorkArea(left, top, &w, &h);
}

void FitWorkArea(int32_t* left, int32_t* top, int32_t* width, int32_t* height) {
  const WorkAreaTwips& area = Usr().WorkArea;
  if (*left < area.Left) *left = area.Left;
  if (*top < area.Top) *top = area.Top;
  if (static_cast<int64_t>(*left) + *width > area.Width) {
    *left = area.Left;
    if (*width > area.Width) *width = area.Width;
  }
  if (static_cast<int64_t>(*top) + *height > area.Height) {
    *top = area.Top;
    if (*height > area.Height) *height = area.Height;
  }
}

TwipsGeometry WindowTwips(const QWidget* window) {
  if (!window) return {};
  const platform::ScreenMetrics m = platform::CurrentScreen().Metrics();
  const platform::TwipsRect t =
      platform::ToTwips(QRect(window->pos(), window->size()), m);
  return {t.left, t.top, t.width, t.height};
}

void MoveWindowTwips(QWidget* window, const TwipsGeometry& g) {
  if (!window) return;
  const platform::ScreenMetrics m = platform::CurrentScreen().Metrics();
  const QRect px = platform::FromTwips({g.left, g.top, g.width, g.height}, m);
  window->move(px.topLeft());
  window->resize(px.size());
}

}  // namespace ruvel

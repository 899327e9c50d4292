// File: platform/file_dialog.cpp
//
// QFileDialog-backed file dialog and the scripted stand-in for tests.
#include "platform/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

namespace platform {
namespace {

// Folders and files the user may run.  (QDir::Executable cannot say this:
// the file model takes permission flags as an exact set.)
class ExecutablesOnly : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (files == nullptr) return true;
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    return info.isDir() || (info.isFile() && info.isExecutable());
  }
};

class QtFileDialog : public FileDialog {
 public:
  FileDialogAnswer Ask(const FileDialogRequest& request, QWidget* parent) override {
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.start_folder.isEmpty() && QDir(request.start_folder).exists())
      dialog.setDirectory(request.start_folder);
    const QStringList filters = ToNameFilters(request.filter);
    if (!filters.isEmpty()) {
      dialog.setNameFilters(filters);
      const int index = request.filter_index;
      if (index >= 1 && index <= filters.size()) dialog.selectNameFilter(filters.at(index - 1));
    }
    if (!request.file_name.isEmpty()) dialog.selectFile(request.file_name);
    if (request.executables_only && !request.save) {
      dialog.setOption(QFileDialog::DontUseNativeDialog);
      dialog.setProxyModel(new ExecutablesOnly(&dialog));
    }

    FileDialogAnswer answer;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return answer;
    answer.accepted = true;
    answer.path = dialog.selectedFiles().first();
    const int chosen = filters.indexOf(dialog.selectedNameFilter());
    answer.filter_index = chosen >= 0 ? chosen + 1 : request.filter_index;
    return answer;
  }
};

QtFileDialog& DefaultDialog() {
  static QtFileDialog dialog;
  return dialog;
}

FileDialog* g_dialog = nullptr;

}  // namespace

FileDialog& CurrentFileDialog() { return g_dialog ? *g_dialog : DefaultDialog(); }

void SetFileDialog(FileDialog* dialog) { g_dialog = dialog; }

QStringList ToNameFilters(const QString& filter) {
  QStringList out;
  if (filter.isEmpty()) return out;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    const QString description = parts.at(i).trimmed();
    QString patterns = i + 1 < parts.size() ? parts.at(i + 1).trimmed() : QString();
    if (patterns.isEmpty()) patterns = QStringLiteral("*");
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (description.isEmpty() && patterns == QLatin1String("*") && i + 1 >= parts.size())
      continue;  // a trailing "|" adds nothing
    patterns = patterns.simplified();
    // "PNG ﾌｧｲﾙ(*.png)|*.png" already shows its patterns: they are not
    // added a second time, only written the way Qt reads them.
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open >= 0 && description.endsWith(QLatin1Char(')'))) {
      QString shown = description.mid(open + 1, description.size() - open - 2);
      shown.replace(QLatin1Char(';'), QLatin1Char(' '));
      if (shown.simplified() == patterns) {
        out << description.left(open) + QLatin1Char('(') + patterns + QLatin1Char(')');
        continue;
      }
    }
    out << QStringLiteral("%1 (%2)").arg(description, patterns);
  }
  return out;
}

FileDialogAnswer ScriptedFileDialog::Ask(const FileDialogRequest& request, QWidget*) {
  requests_.push_back(request);
  if (answers_.empty()) return FileDialogAnswer{};
  FileDialogAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

ScopedFileDialog::ScopedFileDialog(FileDialog* dialog) : previous_(g_dialog) {
  SetFileDialog(dialog);
}
ScopedFileDialog::~ScopedFileDialog() { SetFileDialog(previous_); }

}  // namespace platform

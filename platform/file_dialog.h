// File: platform/file_dialog.h
//
// The open/save file dialog behind a replaceable interface.  The filter uses
// the "description|pattern|description|pattern" form; a pattern may hold
// several wildcards separated by ";".  filter_index counts from 1.
//
//   platform::FileDialogRequest req;
//   req.title = "画像ﾌｧｲﾙを開く";
//   req.filter = "ﾋﾞｯﾄﾏｯﾌﾟ|*.bmp|JPEG|*.jpg;*.jpeg";
//   platform::FileDialogAnswer a = platform::CurrentFileDialog().Ask(req, window);
//   if (a.accepted) Open(a.path);
//
// Tests install a ScriptedFileDialog (ScopedFileDialog) and queue answers.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class QWidget;

namespace platform {

struct FileDialogRequest {
  QString title;
  QString start_folder;
  QString filter;  // "desc|*.ext|desc2|*.e2"
  int filter_index = 1;
  QString file_name;
  bool save = false;
  // Open dialogs only: list folders and executable files only.
  bool executables_only = false;
};

struct FileDialogAnswer {
  bool accepted = false;
  QString path;
  int filter_index = 1;
};

class FileDialog {
 public:
  virtual ~FileDialog() = default;
  virtual FileDialogAnswer Ask(const FileDialogRequest& request, QWidget* parent) = 0;
};

FileDialog& CurrentFileDialog();          // QFileDialog-backed by default
void SetFileDialog(FileDialog* dialog);   // nullptr restores the default

// ToNameFilters(): "desc|*.a;*.b|desc2|*.c" -> {"desc (*.a *.b)", "desc2 (*.c)"}.
// A trailing description without a pattern gets "*".  Empty input gives {}.
QStringList ToNameFilters(const QString& filter);

// ScriptedFileDialog: records every request and answers from a queue; with
// the queue empty it answers "cancelled".
class ScriptedFileDialog : public FileDialog {
 public:
  FileDialogAnswer Ask(const FileDialogRequest& request, QWidget* parent) override;

  void QueueAnswer(const FileDialogAnswer& answer) { answers_.push_back(answer); }
  void QueueAccept(const QString& path, int filter_index = 1) {
    answers_.push_back(FileDialogAnswer{true, path, filter_index});
  }
  void QueueCancel() { answers_.push_back(FileDialogAnswer{}); }
  const std::vector<FileDialogRequest>& requests() const { return requests_; }

 private:
  std::vector<FileDialogRequest> requests_;
  std::deque<FileDialogAnswer> answers_;
};

// ScopedFileDialog: installs a dialog for the lifetime of the object.
class ScopedFileDialog {
 public:
  explicit ScopedFileDialog(FileDialog* dialog);
  ~ScopedFileDialog();
  ScopedFileDialog(const ScopedFileDialog&) = delete;
  ScopedFileDialog& operator=(const ScopedFileDialog&) = delete;

 private:
  FileDialog* previous_;
};

}  // namespace platform

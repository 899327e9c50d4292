// File: platform/shell_open.h
//
// Asks the desktop to open a URL or file with the user's preferred program
// (xdg-open through QDesktopServices).  Tests install a RecordingShellOpener.
//
//   platform::CurrentShellOpener().Open(QUrl("https://www.osmund.example/ruvel.htm"));
#pragma once

#include <QUrl>
#include <vector>

namespace platform {

class ShellOpener {
 public:
  virtual ~ShellOpener() = default;
  // Returns false when no program could be started for it.
  virtual bool Open(const QUrl& url) = 0;
};

ShellOpener& CurrentShellOpener();             // QDesktopServices by default
void SetShellOpener(ShellOpener* opener);      // nullptr restores the default

class RecordingShellOpener : public ShellOpener {
 public:
  bool Open(const QUrl& url) override {
    opened_.push_back(url);
    return result_;
  }
  void SetResult(bool result) { result_ = result; }
  const std::vector<QUrl>& opened() const { return opened_; }

 private:
  std::vector<QUrl> opened_;
  bool result_ = true;
};

}  // namespace platform

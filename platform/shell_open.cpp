// File: platform/shell_open.cpp
#include "platform/shell_open.h"

#include <QDesktopServices>

namespace platform {
namespace {

class DesktopShellOpener : public ShellOpener {
 public:
  bool Open(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

DesktopShellOpener& DefaultOpener() {
  static DesktopShellOpener opener;
  return opener;
}

ShellOpener* g_opener = nullptr;

}  // namespace

ShellOpener& CurrentShellOpener() { return g_opener ? *g_opener : DefaultOpener(); }
void SetShellOpener(ShellOpener* opener) { g_opener = opener; }

}  // namespace platform

// File: platform/special_folders.cpp
#include "platform/special_folders.h"

#include <QStandardPaths>

namespace platform {
namespace {

QString WithoutTrailingSlash(QString path) {
  while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
  return path;
}

class StandardSpecialFolders : public SpecialFolders {
 public:
  QString Path(int folder_id) override {
    switch (folder_id) {
      case kAppDataFolderId:
        return WithoutTrailingSlash(
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
      case kDocumentsFolderId:
        return WithoutTrailingSlash(
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
      case kSendToFolderId:
        // $XDG_DATA_HOME/applications: where launchers offered by file
        // managers' "open with" live.
        return WithoutTrailingSlash(
            QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation));
      default:
        return QString();
    }
  }
};

StandardSpecialFolders& DefaultFolders() {
  static StandardSpecialFolders folders;
  return folders;
}

SpecialFolders* g_folders = nullptr;

}  // namespace

SpecialFolders& CurrentSpecialFolders() { return g_folders ? *g_folders : DefaultFolders(); }
void SetSpecialFolders(SpecialFolders* folders) { g_folders = folders; }

QString FixedSpecialFolders::Path(int folder_id) {
  auto it = paths_.find(folder_id);
  return it == paths_.end() ? QString() : it->second;
}

}  // namespace platform

// File: platform/special_folders.h
//
// The shell's special folders by their numeric id:
//   26  the user's application data folder (QStandardPaths GenericDataLocation)
//    5  the user's documents folder        (DocumentsLocation)
//    9  the user's Send To folder           ($XDG_DATA_HOME/applications)
// Paths come without a trailing "/"; "" for an unknown id or no folder.
//
//   QString data = platform::CurrentSpecialFolders().Path(platform::kAppDataFolderId);
#pragma once

#include <QString>
#include <map>

namespace platform {

inline constexpr int kAppDataFolderId = 26;
inline constexpr int kDocumentsFolderId = 5;
inline constexpr int kSendToFolderId = 9;

class SpecialFolders {
 public:
  virtual ~SpecialFolders() = default;
  virtual QString Path(int folder_id) = 0;
};

SpecialFolders& CurrentSpecialFolders();            // QStandardPaths by default
void SetSpecialFolders(SpecialFolders* folders);     // nullptr restores the default

// FixedSpecialFolders: answers from a table; unknown ids give "".
class FixedSpecialFolders : public SpecialFolders {
 public:
  void Set(int folder_id, const QString& path) { paths_[folder_id] = path; }
  QString Path(int folder_id) override;

 private:
  std::map<int, QString> paths_;
};

}  // namespace platform

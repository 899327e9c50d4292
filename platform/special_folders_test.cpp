#include "platform/special_folders.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(SpecialFolders, StandardIdsMapToXdgFolders) {
  QStandardPaths::setTestModeEnabled(true);
  const QString data = CurrentSpecialFolders().Path(kAppDataFolderId);
  EXPECT_FALSE(data.isEmpty());
  EXPECT_FALSE(data.endsWith('/'));
  EXPECT_EQ(data, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
  EXPECT_EQ(CurrentSpecialFolders().Path(kSendToFolderId),
            QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation));
  EXPECT_TRUE(CurrentSpecialFolders().Path(kSendToFolderId).endsWith("/applications"));
  EXPECT_FALSE(CurrentSpecialFolders().Path(kDocumentsFolderId).isEmpty());
  EXPECT_EQ(CurrentSpecialFolders().Path(12345), QString());
  QStandardPaths::setTestModeEnabled(false);
}

}  // namespace
}  // namespace platform

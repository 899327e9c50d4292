#include "platform/file_url.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(LocalFilePath, LocalHostsGiveThePathOthersNothing) {
  EXPECT_EQ(LocalFilePath(QUrl("file:///tmp/a.png")), QString("/tmp/a.png"));
  EXPECT_EQ(LocalFilePath(QUrl("file://localhost/tmp/a%20b.png")), QString("/tmp/a b.png"));
  EXPECT_EQ(LocalFilePath(QUrl("file://LocalHost/tmp/%E7%94%BB.png")), QString::fromUtf8("/tmp/画.png"));
  EXPECT_EQ(LocalFilePath(QUrl::fromLocalFile("/tmp/x#1.png")), QString("/tmp/x#1.png"));
  EXPECT_TRUE(LocalFilePath(QUrl("file://server/share/a.png")).isEmpty());
  EXPECT_TRUE(LocalFilePath(QUrl("https://example.org/a.png")).isEmpty());
  EXPECT_TRUE(LocalFilePath(QUrl()).isEmpty());
}

}  // namespace
}  // namespace platform

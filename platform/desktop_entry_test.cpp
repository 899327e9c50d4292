#include "platform/desktop_entry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(DesktopEntry, ApplicationEntryContent) {
  const QByteArray text = FormatDesktopEntry(
      DesktopEntry::Application("ruvel", "/opt/my tools/ruvel", {"image/png", "image/bmp"}));
  EXPECT_EQ(text, QByteArray("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=ruvel\n"
                             "Exec=\"/opt/my tools/ruvel\" %f\n"
                             "MimeType=image/png;image/bmp;\n"
                             "Terminal=false\n"));
}

TEST(DesktopEntry, LinkEntryContent) {
  EXPECT_EQ(FormatDesktopEntry(DesktopEntry::Link("ruvel", "https://x.example/ruvel.htm")),
            QByteArray("[Desktop Entry]\nType=Link\nName=ruvel\n"
                       "URL=https://x.example/ruvel.htm\n"));
}

TEST(DesktopEntry, ExecQuotingOfReservedCharacters) {
  EXPECT_EQ(QuoteExecArgument("/usr/bin/ruvel"), QString("/usr/bin/ruvel"));
  EXPECT_EQ(QuoteExecArgument("/a b/c"), QString("\"/a b/c\""));
  EXPECT_EQ(QuoteExecArgument("/a$b"), QString("\"/a\\$b\""));
  EXPECT_EQ(QuoteExecArgument("/100%/r"), QString("/100%%/r"));
  // In the file the backslash of the Exec escape is itself escaped.
  const QByteArray text =
      FormatDesktopEntry(DesktopEntry::Application("r", "/x\"y/r", {}));
  EXPECT_TRUE(text.contains("Exec=\"/x\\\\\"y/r\" %f\n")) << text.constData();
}

TEST(DesktopEntry, WriteReplacesAtomicallyAndFailsOnMissingFolder) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/ruvel.desktop";
  ASSERT_TRUE(WriteDesktopEntry(path, DesktopEntry::Link("a", "https://a.example/")));
  ASSERT_TRUE(WriteDesktopEntry(path, DesktopEntry::Link("b", "https://b.example/")));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("URL=https://b.example/"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"ruvel.desktop"});
  EXPECT_FALSE(WriteDesktopEntry(dir.path() + "/missing/x.desktop",
                                 DesktopEntry::Link("a", "https://a.example/")));
}

}  // namespace
}  // namespace platform

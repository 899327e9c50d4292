// Help page and "open with" launcher.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "editor/shell/test_printers.h"
#include "editor/shell/usr.h"
#include "editor/shell/y_ini.h"
#include "platform/prompt.h"
#include "platform/shell_open.h"
#include "platform/special_folders.h"

namespace ruvel {
namespace {

class ShellServices : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetUsr();
    Usr().ProgramName = "ruvel";
    Usr().ProgramFolder = dir_.path() + "/opt";
    Usr().UserDataFolder = dir_.path() + "/user/";
    ASSERT_TRUE(QDir().mkpath(Usr().UserDataFolder));
    folders_.Set(platform::kSendToFolderId, dir_.path() + "/share/applications");
    platform::SetSpecialFolders(&folders_);
    platform::SetShellOpener(&opener_);
    platform::SetPrompt(&prompt_);
  }
  void TearDown() override {
    platform::SetSpecialFolders(nullptr);
    platform::SetShellOpener(nullptr);
    platform::SetPrompt(nullptr);
    ResetUsr();
  }
  static QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir dir_;
  platform::FixedSpecialFolders folders_;
  platform::RecordingShellOpener opener_;
  platform::ScriptedPrompt prompt_;
  yIni ini_;
};

TEST_F(ShellServices, HelpPageNames) {
  ini_.W_Help("Ruvel.HTML");
  ini_.W_Help("ruvel");
  ASSERT_EQ(opener_.opened().size(), 2u);
  EXPECT_EQ(opener_.opened()[0].toString(), QString("https://www.osmund.example/ruvel.html"));
  EXPECT_EQ(opener_.opened()[1].toString(), QString("https://www.osmund.example/ruvel.htm"));
  const QByteArray link = Read(Usr().UserDataFolder + "ruvel_help.desktop");
  EXPECT_TRUE(link.contains("Type=Link\n")) << link.constData();
  EXPECT_TRUE(link.contains("URL=https://www.osmund.example/ruvel.htm\n"));
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(ShellServices, HelpEndsSilentlyWhenTheLinkCannotBeWritten) {
  Usr().UserDataFolder = dir_.path() + "/missing/";
  ini_.W_Help("ruvel.htm");
  EXPECT_TRUE(opener_.opened().empty());
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(ShellServices, SendToWritesTheLauncherAndReportsItEachTime) {
  ini_.W_SendTo();
  ini_.W_SendTo();
  const QString folder = dir_.path() + "/share/applications";
  const QString text = Usr().ProgramFolder + "/ruvel のｼｮｰﾄｶｯﾄを " + folder + " に作成しました";
  EXPECT_EQ(prompt_.texts(), (std::vector<QString>{text, text}));
  EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"ruvel.desktop"});
  const QByteArray entry = Read(folder + "/ruvel.desktop");
  EXPECT_TRUE(entry.startsWith("[Desktop Entry]\nType=Application\nName=ruvel\n"));
  EXPECT_TRUE(entry.contains("Exec=" + (Usr().ProgramFolder + "/ruvel").toUtf8() + " %f\n"))
      << entry.constData();
  EXPECT_TRUE(entry.contains("MimeType=image/bmp;image/jpeg;image/png;"));
}

TEST_F(ShellServices, SendToEndsSilentlyWithoutAFolder) {
  folders_.Set(platform::kSendToFolderId, QString());
  ini_.W_SendTo();
  QFile blocker(dir_.path() + "/file");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  folders_.Set(platform::kSendToFolderId, dir_.path() + "/file/applications");
  ini_.W_SendTo();
  EXPECT_TRUE(prompt_.shown().empty());
}

}  // namespace
}  // namespace ruvel

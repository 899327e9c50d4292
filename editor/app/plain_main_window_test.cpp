// Two starts of the editor with the plain window: the second finds the
// window position and picture folder the first wrote.
#include "editor/app/plain_main_window.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "editor/app/command_line.h"
#include "editor/shell/startup.h"
#include "editor/shell/usr.h"
#include "editor/shell/y_ini.h"
#include "platform/prompt.h"
#include "platform/registry.h"
#include "platform/screen.h"
#include "platform/special_folders.h"

namespace ruvel {
namespace {

class PlainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir().mkpath(dir_.path() + "/bin/apData"));
    QFile ini(dir_.path() + "/bin/UserData.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("%applicaion data%");
    ini.close();
    folders_.Set(platform::kAppDataFolderId, dir_.path() + "/share");
    platform::SetSpecialFolders(&folders_);
    platform::SetRegistry(&registry_);
    platform::SetScreen(&screen_);
    platform::SetPrompt(&prompt_);
    ResetUsr();
  }
  void TearDown() override {
    ReleaseSettings();
    ResetUsr();
    platform::SetSpecialFolders(nullptr);
    platform::SetRegistry(nullptr);
    platform::SetScreen(nullptr);
    platform::SetPrompt(nullptr);
  }
  std::unique_ptr<PlainMainWindow> Start(const QString& picture = QString()) {
    ResetUsr();
    StartupOptions options;
    options.program_path = dir_.path() + "/bin/ruvel";
    options.create_main_window = [picture] { return new PlainMainWindow(picture); };
    return std::unique_ptr<PlainMainWindow>(static_cast<PlainMainWindow*>(Main(options)));
  }

  QTemporaryDir dir_;
  platform::FixedSpecialFolders folders_;
  platform::MemoryRegistry registry_;
  platform::FixedScreen screen_{platform::ScreenMetrics{
      QRect(0, 0, 1280, 1000), QRect(0, 0, 1280, 1024), 96.0, 96.0}};
  platform::ScriptedPrompt prompt_;
};

TEST_F(PlainWindowTest, SecondStartFindsWhatTheFirstWrote) {
  auto first = Start();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(prompt_.shown().empty());
  EXPECT_EQ(first->windowTitle(), QString("ruvel"));
  EXPECT_EQ(first->size(), QSize(896, 717));  // 70 % of 1280 x 1024
  first->move(150, 90);
  first->resize(640, 480);
  Usr().PictureFolder = dir_.path() + "/";
  first->Shutdown();
  first.reset();
  ReleaseSettings();

  const QString xml = dir_.path() + "/share/Osmund/ruvel/User.xml";
  QFile file(xml);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.contains("<LEFT>2250</LEFT>\r\n      <TOP>1350</TOP>\r\n"
                             "      <WIDTH>9600</WIDTH>\r\n      <HEIGHT>7200</HEIGHT>"))
      << bytes.constData();

  auto second = Start();
  EXPECT_EQ(second->pos(), QPoint(150, 90));
  EXPECT_EQ(second->size(), QSize(640, 480));
  EXPECT_EQ(Usr().PictureFolder, dir_.path() + "/");
}

TEST_F(PlainWindowTest, ZeroWidthStartsMaximisedAndOffscreenIsPulledIn) {
  ASSERT_TRUE(QDir().mkpath(dir_.path() + "/share/Osmund/ruvel"));
  QFile file(dir_.path() + "/share/Osmund/ruvel/User.xml");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<\x89\x5e\x97\x70>\r\n"
             "   <\x89\xe6\x96\xca>\r\n      <WIDTH>0</WIDTH>\r\n   </\x89\xe6\x96\xca>\r\n"
             "</\x89\x5e\x97\x70>");
  file.close();
  auto window = Start();
  EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
  window->Shutdown();
  window.reset();

  file.open(QIODevice::WriteOnly);
  file.write("<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<\x89\x5e\x97\x70>\r\n"
             "   <\x89\xe6\x96\xca>\r\n      <LEFT>90000</LEFT>\r\n      <TOP>-3000</TOP>\r\n"
             "      <WIDTH>6000</WIDTH>\r\n      <HEIGHT>4500</HEIGHT>\r\n"
             "   </\x89\xe6\x96\xca>\r\n</\x89\x5e\x97\x70>");
  file.close();
  window = Start();
  EXPECT_EQ(window->pos(), QPoint(0, 0));
  EXPECT_EQ(window->size(), QSize(400, 300));
}

TEST_F(PlainWindowTest, PictureOnTheCommandLine) {
  const QString picture = dir_.path() + "/my pic.png";
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(picture));
  EXPECT_EQ(PicturePathFromArguments({"ruvel", "\"" + picture + "\""}), picture);
  EXPECT_EQ(PicturePathFromArguments({"ruvel", dir_.path() + "/my", "pic.png"}), picture);
  EXPECT_EQ(PicturePathFromArguments({"ruvel", "\"" + picture + "\tignored\""}), picture);
  EXPECT_EQ(PicturePathFromArguments({"ruvel", dir_.path() + "/none.png"}), QString());
  EXPECT_EQ(PicturePathFromArguments({"ruvel"}), QString());
  const QString cwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  EXPECT_EQ(PicturePathFromArguments({"ruvel", "my pic.png"}), picture);  // made absolute
  QDir::setCurrent(cwd);
  auto window = Start(picture);
  EXPECT_EQ(window->picture_path(), picture);
  EXPECT_EQ(Usr().PictureFolder, dir_.path() + "/");
}

}  // namespace
}  // namespace ruvel

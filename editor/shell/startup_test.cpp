// Start-up in a temporary program folder and user tree: the user-data
// folder chosen from "UserData.ini", its messages, the published program
// path and the folders created.
#include "editor/shell/startup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "editor/shell/test_printers.h"

#include "editor/shell/usr.h"
#include "editor/shell/y_ini.h"
#include "platform/prompt.h"
#include "platform/registry.h"
#include "platform/screen.h"
#include "platform/special_folders.h"

namespace ruvel {
namespace {

const QString kCr = QStringLiteral("\r");

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root_.isValid());
    program_ = root_.path() + "/opt/Ruvel";
    data_ = root_.path() + "/home/.local/share";
    docs_ = root_.path() + "/home/Documents";
    ASSERT_TRUE(QDir().mkpath(program_));
    ASSERT_TRUE(QDir().mkpath(data_));
    ASSERT_TRUE(QDir().mkpath(docs_));
    folders_.Set(platform::kAppDataFolderId, data_);
    folders_.Set(platform::kDocumentsFolderId, docs_);
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

  void WriteIni(const QByteArray& text) {
    QFile f(program_ + "/UserData.ini");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  void Start(const QString& exe = QStringLiteral("ruvel")) {
    StartupOptions options;
    options.program_path = program_ + "/" + exe;
    Main(options);
  }
  QString D() const { return data_ + "/Osmund/ruvel/"; }

  QTemporaryDir root_;
  QString program_, data_, docs_;
  platform::FixedSpecialFolders folders_;
  platform::MemoryRegistry registry_;
  platform::FixedScreen screen_{platform::ScreenMetrics{
      QRect(0, 24, 1280, 1000), QRect(0, 0, 1280, 1024), 96.0, 96.0}};
  platform::ScriptedPrompt prompt_;
};

TEST_F(StartupTest, ShippedDefaultWordUsesAppDataFolderSilently) {
  WriteIni("%applicaion data%");
  Start();
  EXPECT_TRUE(prompt_.shown().empty());
  EXPECT_EQ(Usr().ProgramName, QString("ruvel"));
  EXPECT_EQ(Usr().UserDataFolder, D());
  EXPECT_EQ(Usr().AppDataFolder, program_ + "/apData/");
  EXPECT_TRUE(QDir(D() + "Wrk").exists());
  EXPECT_TRUE(QDir(D() + "Temp").exists());
  EXPECT_TRUE(QFile::exists(D() + "User.xml"));  // created empty
  EXPECT_TRUE(Usr().Started);
  EXPECT_EQ(Usr().WorkArea.Left, 0);
  EXPECT_EQ(Usr().WorkArea.Top, 360);
  EXPECT_EQ(Usr().WorkArea.Width, 19200);
  EXPECT_EQ(Usr().WorkArea.Height, 15000);
  EXPECT_EQ(platform::PromptTitle(), QString("ruvel"));
}

TEST_F(StartupTest, KeyWordsSelectTheirFolders) {
  struct Row {
    QByteArray ini;
    QString expected;
  };
  const std::vector<Row> rows = {
      {"%app%", program_ + "/usData/"},
      {"%APP%", program_ + "/usData/"},
      {"%usr%", D()},
      {"%Applicaion Data%", D()},
      {"%doc", docs_ + "/Osmund/ruvel/"},
      {"%my document%", docs_ + "/Osmund/ruvel/"},
      {"%app%\r\n", D()},   // a known word with a line break is another word
      {"%unknown", D()},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.ini.constData());
    ResetUsr();
    prompt_.Clear();
    WriteIni(row.ini);
    Start();
    EXPECT_EQ(Usr().UserDataFolder, row.expected);
    EXPECT_TRUE(prompt_.shown().empty());
    EXPECT_TRUE(QDir(row.expected).exists());
    ReleaseSettings();
  }
}

TEST_F(StartupTest, ExistingFolderGetsASlashAndKeepsItsCase) {
  const QString own = root_.path() + "/MyData";
  ASSERT_TRUE(QDir().mkpath(own));
  WriteIni(own.toUtf8());
  Start();
  EXPECT_EQ(Usr().UserDataFolder, own + "/");
  EXPECT_TRUE(prompt_.shown().empty());
  EXPECT_TRUE(QDir(own + "/Wrk").exists());
}

TEST_F(StartupTest, MissingIniShowsM1AndUsesDefault) {
  Start();
  ASSERT_EQ(prompt_.shown().size(), 1u);
  EXPECT_EQ(prompt_.shown()[0].text,
            program_ + "/UserData.ini が見つかりません" + kCr + "ﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞは　" + D() +
                " を使用します");
  EXPECT_EQ(prompt_.shown()[0].buttons, platform::PromptButtons::kOk);
  EXPECT_EQ(prompt_.shown()[0].title, QString("ruvel"));
  EXPECT_EQ(Usr().UserDataFolder, D());
}

TEST_F(StartupTest, EmptyIniOrEmptyFirstLineShowsM2) {
  for (const QByteArray& text : {QByteArray(), QByteArray("\r\n%app%"), QByteArray("\n")}) {
    ResetUsr();
    prompt_.Clear();
    WriteIni(text);
    Start();
    ASSERT_EQ(prompt_.shown().size(), 1u);
    EXPECT_EQ(prompt_.shown()[0].text,
              " ﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞが定義されていません" + kCr + D() + " を使用します");
    EXPECT_EQ(Usr().UserDataFolder, D());
    ReleaseSettings();
  }
}

TEST_F(StartupTest, MissingFolderShowsM3) {
  const QString missing = root_.path() + "/Nowhere";
  WriteIni(missing.toUtf8());
  Start();
  ASSERT_EQ(prompt_.shown().size(), 1u);
  EXPECT_EQ(prompt_.shown()[0].text, "ﾌｫﾙﾀﾞ " + missing + " が見つかりません" + kCr +
                                         "ﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞは　" + D() + " を使用します");
  EXPECT_EQ(Usr().UserDataFolder, D());
}

TEST_F(StartupTest, DvSuffixIsRemovedEverywhere) {
  WriteIni("%usr%");
  Start("ruvel_DV");
  EXPECT_EQ(Usr().ProgramName, QString("ruvel"));
  EXPECT_EQ(Usr().UserDataFolder, D());
  EXPECT_EQ(registry_.Read("OsmundTools", "Path", "ruvel", ""), program_ + "/ruvel");
  EXPECT_EQ(ProgramNameFromPath("/x/Tool_dv"), QString("Tool"));
  EXPECT_EQ(ProgramNameFromPath("/x/dv"), QString("dv"));
  EXPECT_EQ(ProgramNameFromPath("/x/a_dvx"), QString("a_dvx"));
}

TEST_F(StartupTest, RegistryRewrittenOnlyWhenThePathChanged) {
  WriteIni("%usr%");
  Start();
  EXPECT_EQ(registry_.writes(), 1);
  EXPECT_EQ(registry_.Read("OsmundTools", "Path", "ruvel", ""), program_ + "/ruvel");
  ReleaseSettings();
  ResetUsr();
  Start();
  EXPECT_EQ(registry_.writes(), 1);  // second start, same place
  ReleaseSettings();
  ResetUsr();
  // Moved: a folder differing only in case is another folder here.
  const QString moved = root_.path() + "/opt/ruvel";
  ASSERT_TRUE(QDir().mkpath(moved));
  QFile::copy(program_ + "/UserData.ini", moved + "/UserData.ini");
  StartupOptions options;
  options.program_path = moved + "/ruvel";
  Main(options);
  EXPECT_EQ(registry_.writes(), 2);
  EXPECT_EQ(registry_.Read("OsmundTools", "Path", "ruvel", ""), moved + "/ruvel");
}

TEST_F(StartupTest, DeepUserFolderIsCreatedLevelByLevel) {
  folders_.Set(platform::kAppDataFolderId, root_.path() + "/a/b/c/d");
  WriteIni("%usr%");
  Start();
  EXPECT_EQ(Usr().UserDataFolder, root_.path() + "/a/b/c/d/Osmund/ruvel/");
  EXPECT_TRUE(QDir(Usr().UserDataFolder + "Wrk").exists());
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(StartupTest, UncreatableUserFolderIsReportedAndStartGoesOn) {
  // A plain file stands where a folder level should be.
  QFile blocker(root_.path() + "/blocked");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  folders_.Set(platform::kAppDataFolderId, root_.path() + "/blocked");
  WriteIni("%usr%");
  bool window_made = false;
  StartupOptions options;
  options.program_path = program_ + "/ruvel";
  options.create_main_window = [&]() -> QWidget* {
    window_made = true;
    return nullptr;
  };
  Main(options);
  EXPECT_TRUE(window_made);
  ASSERT_EQ(prompt_.shown().size(), 1u);  // one message, not one per folder
  EXPECT_EQ(prompt_.shown()[0].text, "ﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞ " + root_.path() +
                                         "/blocked/Osmund/ruvel/ を作成できません" + kCr +
                                         "設定と作業ﾌｧｲﾙは保存されません");
  ASSERT_NE(Usr().Ini, nullptr);
  EXPECT_FALSE(Usr().Ini->SetTxt());  // nothing to write into, reported as failure
}

TEST_F(StartupTest, UncreatableWorkFolderIsReported) {
  WriteIni("%usr%");
  ASSERT_TRUE(QDir().mkpath(D()));
  QFile blocker(D() + "Temp");  // a file named like the folder
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  Start();
  ASSERT_EQ(prompt_.shown().size(), 1u);
  EXPECT_TRUE(prompt_.shown()[0].text.startsWith("作業ﾌｫﾙﾀﾞ " + D() + "Temp/ を作成できません"))
      << prompt_.shown()[0].text.toStdString();
  EXPECT_TRUE(QDir(D() + "Wrk").exists());
}

TEST_F(StartupTest, NoSpecialFolderGivesRootBasedDefault) {
  folders_.Set(platform::kAppDataFolderId, QString());
  WriteIni("%usr%");
  Start();
  EXPECT_EQ(Usr().UserDataFolder, QString("/Osmund/ruvel/"));
  QDir("/Osmund/ruvel").removeRecursively();
  QDir("/").rmdir("Osmund");
}

TEST_F(StartupTest, MainWindowIsCreatedAfterTheSettingsAreLoaded) {
  WriteIni("%usr%");
  QWidget* made = nullptr;
  StartupOptions options;
  options.program_path = program_ + "/ruvel";
  options.create_main_window = [&]() -> QWidget* {
    EXPECT_NE(Usr().Ini, nullptr);
    EXPECT_EQ(Usr().Ini->file_path(), D() + "User.xml");
    EXPECT_TRUE(Usr().Ini->text().startsWith("<?xml"));
    made = new QWidget;
    return made;
  };
  QWidget* main = Main(options);
  EXPECT_EQ(main, made);
  EXPECT_EQ(Usr().MainForm.data(), made);
  EXPECT_TRUE(main->isVisible());
  delete main;
}

// The same start with the real special folders of a temporary XDG tree.
TEST(StartupXdg, DefaultFolderUnderXdgDataHome) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QByteArray old_data = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", (root.path() + "/data").toUtf8());
  ASSERT_TRUE(QDir().mkpath(root.path() + "/opt"));
  QFile ini(root.path() + "/opt/UserData.ini");
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("%applicaion data%");
  ini.close();
  platform::MemoryRegistry registry;
  platform::ScriptedPrompt prompt;
  platform::SetRegistry(&registry);
  platform::SetPrompt(&prompt);
  ResetUsr();
  StartupOptions options;
  options.program_path = root.path() + "/opt/ruvel";
  Main(options);
  EXPECT_EQ(Usr().UserDataFolder, root.path() + "/data/Osmund/ruvel/");
  EXPECT_TRUE(QDir(root.path() + "/data/Osmund/ruvel/Wrk").exists());
  EXPECT_TRUE(QFile::exists(root.path() + "/data/Osmund/ruvel/User.xml"));
  EXPECT_TRUE(prompt.shown().empty());
  ReleaseSettings();
  ResetUsr();
  platform::SetRegistry(nullptr);
  platform::SetPrompt(nullptr);
  if (old_data.isNull()) {
    qunsetenv("XDG_DATA_HOME");
  } else {
    qputenv("XDG_DATA_HOME", old_data);
  }
}

}  // namespace
}  // namespace ruvel

// The external editor dialog: splitting and joining the registrations,
// the program chooser (executables only, cancel keeps the path), refused
// captions and closing without OK.
#include "editor/dialogs/spPex.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "editor/shell/test_printers.h"

#include "platform/file_dialog.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

class SpPexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetPrompt(&prompt_);
    platform::SetFileDialog(&files_);
  }
  void TearDown() override {
    platform::SetPrompt(nullptr);
    platform::SetFileDialog(nullptr);
  }
  platform::ScriptedPrompt prompt_;
  platform::ScriptedFileDialog files_;
};

TEST_F(SpPexTest, RegistrationsSplitAtTheFirstCommaAndJoinBack) {
  spPex d;
  d.Load({"GIMP,/usr/bin/gimp", "", "NoPath"});
  EXPECT_EQ(d.txName(0)->text(), "GIMP");
  EXPECT_EQ(d.txExe(0)->text(), "/usr/bin/gimp");
  EXPECT_EQ(d.txName(2)->text(), "NoPath");
  EXPECT_EQ(d.txExe(2)->text(), "");
  d.txName(0)->clear();
  auto r = d.Registrations();
  EXPECT_EQ(r[0], ",/usr/bin/gimp");
  EXPECT_EQ(r[1], ",");
  EXPECT_EQ(r[2], "NoPath,");
  d.cmOk()->click();
  EXPECT_TRUE(d.Ok());

  spPex paths;
  paths.Load({"A,/opt/x,y/z", "", ""});
  EXPECT_EQ(paths.txExe(0)->text(), "/opt/x,y/z");
  EXPECT_EQ(paths.Registrations()[0], "A,/opt/x,y/z");
}

TEST_F(SpPexTest, ChooserTakesExecutablesAndCancelKeepsThePath) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString exe = dir.filePath("paint");
  const QString plain = dir.filePath("notes.txt");
  for (const QString& f : {exe, plain}) {
    QFile file(f);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
  }
  QFile(exe).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  spPex d;
  d.Load({"Old,/usr/bin/old", "", ""});
  files_.QueueCancel();
  d.cmFile(0)->click();
  EXPECT_EQ(d.txExe(0)->text(), "/usr/bin/old");
  ASSERT_EQ(files_.requests().size(), 1u);
  const platform::FileDialogRequest& req = files_.requests()[0];
  EXPECT_EQ(req.title, "画像ｴﾃﾞｨﾀの指定");
  EXPECT_TRUE(req.executables_only);
  EXPECT_EQ(req.start_folder, "/usr/bin");
  EXPECT_EQ(platform::ToNameFilters(req.filter), QStringList{"ｱﾌﾟﾘｹｰｼｮﾝ (*)"});

  files_.QueueAccept(plain);
  d.cmFile(1)->click();
  EXPECT_EQ(d.txExe(1)->text(), "");
  ASSERT_EQ(prompt_.shown().size(), 1u);

  files_.QueueAccept(exe);
  d.cmFile(1)->click();
  EXPECT_EQ(d.txExe(1)->text(), exe);
  // A row with a path starts the chooser in that path's folder.
  files_.QueueCancel();
  d.cmFile(1)->click();
  EXPECT_EQ(files_.requests().back().start_folder, dir.path());
}

TEST_F(SpPexTest, CommaInACaptionIsRefusedAndClosingOtherwiseChangesNothing) {
  spPex d;
  d.Load({"A,/bin/a", "", ""});
  d.show();
  d.txName(1)->setText("B,C");
  d.cmOk()->click();
  EXPECT_FALSE(d.Ok());
  EXPECT_TRUE(d.isVisible());
  ASSERT_EQ(prompt_.shown().size(), 1u);
  d.txName(1)->setText("BC");
  d.cmOk()->click();
  EXPECT_TRUE(d.Ok());
  EXPECT_EQ(d.Registrations()[1], "BC,");

  spPex closed;
  closed.Load({"A,/bin/a", "", ""});
  closed.reject();
  EXPECT_FALSE(closed.Ok());
}

}  // namespace
}  // namespace ruvel

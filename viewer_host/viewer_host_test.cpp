#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>

#include "viewer_host/control_loader.h"
#include "viewer_host/event_log.h"
#include "viewer_host/host_window.h"
#include "viewer_host/property_panel.h"
#include "viewer_host/script_runner.h"

namespace host {
namespace {

using namespace hosting;

class ViewerHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    setenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit().constData(), 1);
  }
  QTemporaryDir dir_;
};

TEST_F(ViewerHostTest, LoadsRegistersAndCreatesTheFirstControl) {
  ControlLoader loader;
  std::string error;
  ASSERT_TRUE(loader.Load(SAMPLE_CONTROL_PATH, std::nullopt, &error)) << error;
  EXPECT_EQ(loader.clsid().ToString(), "{083E6230-76A6-4552-AF33-C94AF72F593D}");
  ASSERT_NE(loader.Widget(), nullptr);
  EXPECT_EQ(loader.CanUnloadNow(), S_FALSE);
  loader.Release();
  EXPECT_EQ(loader.CanUnloadNow(), S_OK);
  EXPECT_EQ(loader.Unregister(), S_OK);
}

TEST_F(ViewerHostTest, LoadFailuresAreReported) {
  ControlLoader loader;
  std::string error;
  EXPECT_FALSE(loader.Load("/no/such/library.so", std::nullopt, &error));
  EXPECT_NE(error.find("cannot load"), std::string::npos);
  EXPECT_FALSE(loader.Load(SAMPLE_CONTROL_PATH, Guid::FromString("{12345678-1234-1234-1234-123456789ABC}"), &error));
  EXPECT_NE(error.find("0x80040111"), std::string::npos);  // class not available
}

TEST_F(ViewerHostTest, PanelSetsAndReadsByDispIdAndLogShowsEvents) {
  ControlLoader loader;
  std::string error;
  ASSERT_TRUE(loader.Load(SAMPLE_CONTROL_PATH, std::nullopt, &error)) << error;
  std::vector<std::string> lines;
  {
    HostWindow window(&loader);
    PropertyPanel* panel = window.panel();
    EXPECT_EQ(panel->ValueText(kDispIdBackColor), "0x00FFFFFF");
    EXPECT_EQ(panel->SetValue(kDispIdBackColor, "0x0000FF"), S_OK);
    EXPECT_EQ(panel->ValueText(kDispIdBackColor), "0x000000FF");
    EXPECT_EQ(panel->SetValue(kDispIdAppearance, "7"), S_FALSE);  // refused, old value shown
    EXPECT_EQ(panel->ValueText(kDispIdAppearance), "1");
    EXPECT_EQ(panel->SetValue(21, "not a number"), DISP_E_TYPEMISMATCH);
    EXPECT_GE(panel->RowOf(23), 0);  // put-only property listed
    EXPECT_EQ(panel->ValueText(23), "");

    QString result;
    EXPECT_EQ(window.CallMethod("Bump", {"4"}, &result), S_OK);
    EXPECT_EQ(result, "-1");
    EXPECT_EQ(panel->ValueText(21), "4");  // refreshed by the change notice
  }
  // Events are formatted with their names from the class information.
  const InterfaceInfo info{Guid{}, "_E", {{"Bumped", 1, MemberKind::kEvent, VarType::kEmpty, 0, {}}}};
  const Variant args[] = {Variant::I2(3), Variant::Bstr(u"a")};
  EXPECT_EQ(EventLog::FormatEvent(&info, 1, args, 2), "event Bumped(3, \"a\")");
  EXPECT_EQ(EventLog::FormatEvent(&info, 9, nullptr, 0), "event #9()");
}

TEST_F(ViewerHostTest, ScriptedRunPrintsEvents) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", dir_.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(VIEWER_HOST_PATH, {SAMPLE_CONTROL_PATH, "--set", "Caption=/photos/", "--set", "Count=5", "--call", "Bump=2",
                             "--quit"});
  ASSERT_TRUE(p.waitForFinished(30000));
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_TRUE(out.contains("set Caption=/photos/ -> 0, now /photos")) << out.toStdString();
  EXPECT_TRUE(out.contains("changed Count (21)")) << out.toStdString();
  EXPECT_TRUE(out.contains("event Bumped(7)")) << out.toStdString();
}

TEST_F(ViewerHostTest, ScriptRunsCommandsInOrderAndPrintsEvents) {
  ControlLoader loader;
  std::string error;
  ASSERT_TRUE(loader.Load(SAMPLE_CONTROL_PATH, std::nullopt, &error)) << error;
  std::vector<std::string> out, err;
  const QString png = dir_.filePath("shot.png");
  int status = 0;
  {
    ScriptRunner runner(&loader, [&](const std::string& l) { out.push_back(l); },
                        [&](const std::string& l) { err.push_back(l); });
    status = runner.RunLines({"# a comment", "", "set Count=5", "get Count", "call Bump=2", "get Count",
                              "set BackColor=0x0000FF", "size 123 45", "show", "wait 30", "grab " + png,
                              "get NoSuchThing", "call Bump=x", "size 10", "frobnicate"});
  }
  const std::vector<std::string> want_prefix = {"changed Count (21)", "set Count=5 -> 0", "get Count = 5",
                                                 "changed Count (21)", "event Bumped(7)", "call Bump=2 -> 0, result -1",
                                                 "get Count = 7"};
  ASSERT_GE(out.size(), want_prefix.size());
  for (size_t i = 0; i < want_prefix.size(); ++i) EXPECT_EQ(out[i], want_prefix[i]) << i;
  EXPECT_EQ(status, 1);
  ASSERT_EQ(err.size(), 4u);
  EXPECT_EQ(err[0].rfind("error line 12: unknown member", 0), 0u) << err[0];
  EXPECT_EQ(err[1].rfind("error line 13: call Bump=x failed", 0), 0u) << err[1];
  EXPECT_EQ(err[3], "error line 15: unknown command \"frobnicate\"");
  // The grab is the control's client area as painted: the new back colour.
  QImage shot(png);
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.size(), QSize(123, 45));
  EXPECT_EQ(shot.pixelColor(60, 3), QColor(255, 0, 0));
}

TEST_F(ViewerHostTest, ScriptFileRunsFromTheCommandLine) {
  const QString script = dir_.filePath("run.txt");
  {
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("set Caption=/photos/\ncall Bump=3\nget Caption\nwait 1\n");
  }
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", dir_.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(VIEWER_HOST_PATH, {SAMPLE_CONTROL_PATH, "--script", script});
  ASSERT_TRUE(p.waitForFinished(30000));
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_TRUE(out.contains("event Bumped(3)\ncall Bump=3 -> 0, result -1\nget Caption = /photos\n")) << out.toStdString();

  p.start(VIEWER_HOST_PATH, {SAMPLE_CONTROL_PATH, "--script", dir_.filePath("missing.txt")});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 2);
}

}  // namespace
}  // namespace host

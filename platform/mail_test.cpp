#include "platform/mail.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace platform {
namespace {

// A stand-in for xdg-email: a script that writes its arguments, one a line,
// and exits with the code it is told.
QString FakeProgram(const QTemporaryDir& dir, int exit_code) {
  const QString path = dir.filePath(QStringLiteral("fake-xdg-email"));
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"%1\"\nexit %2\n")
              .arg(dir.filePath(QStringLiteral("args.txt")))
              .arg(exit_code)
              .toUtf8());
  f.close();
  f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

TEST(Mail, ArgumentsNameSubjectBodyAndEveryAttachment) {
  EXPECT_EQ(XdgEmailArguments({QStringLiteral("画像を送ります"), QString(), {QStringLiteral("/a b/pic.jpg")}}),
            (QStringList{"--subject", QStringLiteral("画像を送ります"), "--attach", "/a b/pic.jpg"}));
  EXPECT_EQ(XdgEmailArguments({QString(), QStringLiteral("x"), {"/1", "/2"}}),
            (QStringList{"--body", "x", "--attach", "/1", "--attach", "/2"}));
}

TEST(Mail, ExitCodeDecidesAndPathsWithSpacesStayWhole) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  XdgEmailMailer ok(FakeProgram(dir, 0));
  EXPECT_TRUE(ok.Compose({QStringLiteral("件名"), QString(), {QStringLiteral("/tmp/a b/pic.jpg")}}));
  QFile args(dir.filePath(QStringLiteral("args.txt")));
  ASSERT_TRUE(args.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(args.readAll()), QStringLiteral("--subject\n件名\n--attach\n/tmp/a b/pic.jpg\n"));

  XdgEmailMailer failing(FakeProgram(dir, 3));
  EXPECT_FALSE(failing.Compose({QStringLiteral("s"), QString(), {}}));
  XdgEmailMailer missing(dir.filePath(QStringLiteral("no-such-program")));
  EXPECT_FALSE(missing.Compose({QStringLiteral("s"), QString(), {}}));
}

TEST(Mail, RecordingMailerIsInstalledAndRemoved) {
  RecordingMailer rec;
  SetMailer(&rec);
  EXPECT_TRUE(CurrentMailer().Compose({QStringLiteral("s"), QString(), {"/f"}}));
  ASSERT_EQ(rec.sent().size(), 1u);
  SetMailer(nullptr);
  EXPECT_NE(&CurrentMailer(), &rec);
}

}  // namespace
}  // namespace platform

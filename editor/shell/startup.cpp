// File: editor/shell/startup.cpp
#include "editor/shell/startup.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QWidget>
#include <memory>

#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "editor/shell/y_ini.h"
#include "platform/busy.h"
#include "platform/prompt.h"
#include "platform/screen.h"

namespace ruvel {
namespace {

const QString kExeSuffix = QString();

std::unique_ptr<yIni>& SettingsObject() {
  static std::unique_ptr<yIni> ini;
  return ini;
}

}  // namespace

QString ProgramNameFromPath(const QString& program_path) {
  QString name = QFileInfo(program_path).fileName();
  if (!kExeSuffix.isEmpty() && name.endsWith(kExeSuffix, Qt::CaseInsensitive))
    name.chop(kExeSuffix.size());
  if (name.right(3).compare(QLatin1String("_dv"), Qt::CaseInsensitive) == 0) name.chop(3);
  return name;
}

QWidget* Main(const StartupOptions& options) {
  UsrState& usr = Usr();
  const QString program_path = options.program_path.isEmpty()
                                   ? QCoreApplication::applicationFilePath()
                                   : options.program_path;
  usr.ProgramName = ProgramNameFromPath(program_path);
  usr.ProgramFolder = options.program_folder.isEmpty()
                          ? QFileInfo(program_path).absolutePath()
                          : options.program_folder;
  platform::SetPromptTitle(usr.ProgramName);

  SettingsObject() = std::make_unique<yIni>();
  yIni& ini = *SettingsObject();
  usr.Ini = &ini;
  ini.W_UserData(nullptr);

  // The work folders; when the user-data folder itself is missing the user
  // has been told already.
  const QStringList failed =
      ini.F_ChkSb(usr.UserDataFolder, {QStringLiteral("Wrk/"), QStringLiteral("Temp/")});
  if (!failed.isEmpty() && IsFolder(usr.UserDataFolder)) {
    QStringList paths;
    for (const QString& name : failed) paths << usr.UserDataFolder + name;
    platform::ShowMessage(QStringLiteral("作業ﾌｫﾙﾀﾞ ") + paths.join(QStringLiteral(", ")) +
                          QStringLiteral(" を作成できません") + "\r" +
                          QStringLiteral("元に戻す操作と作業ﾌｧｲﾙは使えない場合があります"));
  }

  usr.Started = true;
  platform::SetBusyCursor(true);

  const platform::ScreenMetrics metrics = platform::CurrentScreen().Metrics();
  const platform::TwipsRect area = platform::ToTwips(metrics.work_area, metrics);
  usr.WorkArea = WorkAreaTwips{area.left, area.top, area.width, area.height};

  // The success flag is not needed: a document that could not be read is a
  // new one, and a failed save at shutdown leaves the old file as it was.
  (void)ini.GetTxt(usr.UserDataFolder + QStringLiteral("User.xml"));

  QWidget* main = nullptr;
  if (options.create_main_window) {
    main = options.create_main_window();
    usr.MainForm = main;
    if (main) main->show();
  }
  platform::SetBusyCursor(false);
  return main;
}

void ReleaseSettings() {
  Usr().Ini = nullptr;
  SettingsObject().reset();
}

}  // namespace ruvel

// File: editor/shell/y_ini_folders.cpp
//
// Start-up folder services of yIni: the user-data folder from
// "UserData.ini", the published program path, special folders and folder
// creation.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "editor/shell/user_data_choice.h"
#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "editor/shell/y_ini.h"
#include "platform/prompt.h"
#include "platform/registry.h"
#include "platform/special_folders.h"

namespace ruvel {
namespace {

// The executable suffix of the platform ("" here).
const QString kExeSuffix = QString();

}  // namespace

void yIni::W_UserData(QWidget* owner) {
  owner_ = owner;
  UsrState& usr = Usr();
  QString program_folder = usr.ProgramFolder;
  QString p = program_folder;
  AddSuffix(&p, QString());
  usr.AppDataFolder = p + QStringLiteral("apData/");

  // Publish where the program lives.  File names are case-sensitive here, so
  // a change of case alone is a change of place and is written too.
  TrimSuffix(&program_folder, QStringLiteral("/"));
  const QString program_path = program_folder + "/" + usr.ProgramName + kExeSuffix;
  platform::Registry& registry = platform::CurrentRegistry();
  const QString app = QStringLiteral("OsmundTools");
  const QString section = QStringLiteral("Path");
  if (registry.Read(app, section, usr.ProgramName, QString()) != program_path)
    (void)registry.Write(app, section, usr.ProgramName, program_path);

  const QString d = FsGtSpFld(platform::kAppDataFolderId) + QStringLiteral("/Osmund/") +
                    usr.ProgramName + "/";

  // The folder choice; the default stands when the file is missing or empty.
  QString choice = QStringLiteral("%applicaion data%");
  const QString ini_path = p + QStringLiteral("UserData.ini");
  const ChoiceText read = ReadFolderChoice(ini_path);
  switch (read.state) {
    case ChoiceFile::kRead:
      choice = read.text;
      break;
    case ChoiceFile::kEmpty:
      platform::ShowMessage(QStringLiteral(" ﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞが定義されていません") + "\r" + d +
                            QStringLiteral(" を使用します"));
      break;
    case ChoiceFile::kMissing:
      platform::ShowMessage(ini_path + QStringLiteral(" が見つかりません") + "\r" +
                            QStringLiteral("ﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞは　") + d +
                            QStringLiteral(" を使用します"));
      break;
  }

  const QString docs = FsGtSpFld(platform::kDocumentsFolderId) + QStringLiteral("/Osmund/") +
                       usr.ProgramName + "/";
  const FolderChoice chosen = ChooseUserDataFolder(choice, {p, d, docs});
  if (chosen.not_found) {
    platform::ShowMessage(QStringLiteral("ﾌｫﾙﾀﾞ ") + choice + QStringLiteral(" が見つかりません") +
                          "\r" + QStringLiteral("ﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞは　") + d +
                          QStringLiteral(" を使用します"));
  }
  const QString folder = chosen.folder;
  usr.UserDataFolder = folder;

  if (!IsFolder(folder)) F_CreateFld(folder);
  if (!IsFolder(folder)) {
    platform::ShowMessage(QStringLiteral("ﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞ ") + folder +
                          QStringLiteral(" を作成できません") + "\r" +
                          QStringLiteral("設定と作業ﾌｧｲﾙは保存されません"));
  }
}

QString yIni::FsGtSpFld(int32_t folder_id) {
  return platform::CurrentSpecialFolders().Path(folder_id);
}

QStringList yIni::F_ChkSb(const QString& base, const QStringList& names) {
  QStringList failed;
  for (const QString& name : names) {
    const QString path = base + name;
    if (IsFolder(path)) continue;
    if (!QDir().mkdir(path)) failed << name;
  }
  return failed;
}

void yIni::F_CreateFld(const QString& folder) {
  if (IsFolder(folder)) return;
  QString path = folder;
  AddSuffix(&path, QString());
  // The first "/" ends the root; every later one closes a level.
  for (qsizetype at = path.indexOf('/', 1); at >= 0; at = path.indexOf('/', at + 1)) {
    const QString prefix = path.left(at);
    if (prefix.isEmpty() || IsFolder(prefix)) continue;
    (void)QDir().mkdir(prefix);
  }
}

}  // namespace ruvel

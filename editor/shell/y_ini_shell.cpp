// File: editor/shell/y_ini_shell.cpp
//
// Shell services of yIni: the help page and the "open with" launcher.
#include <QDir>
#include <QUrl>

#include "editor/shell/usr.h"
#include "editor/shell/usr_procs.h"
#include "editor/shell/y_ini.h"
#include "platform/desktop_entry.h"
#include "platform/prompt.h"
#include "platform/shell_open.h"
#include "platform/special_folders.h"

namespace ruvel {

void yIni::W_Help(const QString& page) {
  const UsrState& usr = Usr();
  QString name = page.toLower();
  if (!name.contains(QLatin1Char('.'))) name += QStringLiteral(".htm");
  const QString target = QLatin1String(kMakerHomePage) + name;
  // The link file is kept beside the user's settings, as the Windows design
  // does; the page itself is opened directly, since file managers open a
  // link file in a text editor rather than following it.
  if (!usr.UserDataFolder.isEmpty()) {
    const QString link = usr.UserDataFolder + usr.ProgramName + QStringLiteral("_help.desktop");
    if (!platform::WriteDesktopEntry(link, platform::DesktopEntry::Link(usr.ProgramName, target)))
      return;
  }
  (void)platform::CurrentShellOpener().Open(QUrl(target));
}

void yIni::W_SendTo() {
  const UsrState& usr = Usr();
  const QString folder = FsGtSpFld(platform::kSendToFolderId);
  if (folder.isEmpty()) return;
  // Unlike a Windows Send To folder, the applications folder may not exist
  // yet on a fresh account.
  if (!QDir().mkpath(folder)) return;
  QString program_folder = usr.ProgramFolder;
  TrimSuffix(&program_folder, QStringLiteral("/"));
  const QString program = program_folder + "/" + usr.ProgramName;
  const platform::DesktopEntry entry =
      platform::DesktopEntry::Application(usr.ProgramName, program, platform::PictureMimeTypes());
  if (!platform::WriteDesktopEntry(folder + "/" + usr.ProgramName + QStringLiteral(".desktop"),
                                   entry))
    return;
  platform::ShowMessage(program + QStringLiteral(" のｼｮｰﾄｶｯﾄを ") + folder +
                        QStringLiteral(" に作成しました"));
}

}  // namespace ruvel

// File: editor/shell/main_window/command_line.cpp
#include "editor/shell/main_window/command_line.h"

#include <QFileInfo>

#include "editor/shell/usr_procs.h"

namespace ruvel {

QString PicturePathFromArguments(const QStringList& arguments) {
  QString text = arguments.mid(1).join(QLatin1Char(' '));
  text.remove(QLatin1Char('"'));
  CutAt(&text, QStringLiteral("\t"));
  if (text.isEmpty() || !IsFile(text)) return QString();
  return QFileInfo(text).absoluteFilePath();
}

}  // namespace ruvel

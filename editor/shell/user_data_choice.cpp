// File: editor/shell/user_data_choice.cpp
#include "editor/shell/user_data_choice.h"

#include <QFile>

#include "editor/shell/usr_procs.h"

namespace ruvel {

ChoiceText FolderChoiceFromBytes(const QByteArray& bytes) {
  // The whole text counts: no line is split off and no space trimmed.
  if (bytes.isEmpty() || bytes.front() == '\r' || bytes.front() == '\n') return {ChoiceFile::kEmpty, {}};
  return {ChoiceFile::kRead, QString::fromUtf8(bytes)};
}

ChoiceText ReadFolderChoice(const QString& path) {
  QFile file(path);
  if (!file.exists()) return {ChoiceFile::kMissing, {}};
  if (!file.open(QIODevice::ReadOnly)) return {ChoiceFile::kEmpty, {}};
  return FolderChoiceFromBytes(file.readAll());
}

FolderChoice ChooseUserDataFolder(const QString& text, const FolderChoiceBase& base) {
  // Key words are matched in lower case; a folder keeps the case it was
  // written in, as the file system tells names apart by case.
  const QString word = text.toLower();
  if (word == QLatin1String("%app%")) return {base.program_folder + QStringLiteral("usData/")};
  if (word == QLatin1String("%usr%") || word == QLatin1String("%applicaion data%")) return {base.default_folder};
  if (word == QLatin1String("%doc") || word == QLatin1String("%my document%")) return {base.documents_folder};
  if (word.startsWith(QLatin1Char('%'))) return {base.default_folder};
  if (IsFolder(text)) {
    QString folder = text;
    AddSuffix(&folder, QString());
    return {folder};
  }
  return {base.default_folder, true};
}

}  // namespace ruvel

// File: editor/shell/user_data_choice.h
//
// The choice of the user-data folder written in "UserData.ini": the text of
// the file and the folder it selects.
//
//   ChoiceText t = ReadFolderChoice(program_folder + "UserData.ini");
//   FolderChoice c = ChooseUserDataFolder(t.text, {program_folder, d, docs});
#pragma once

#include <QByteArray>
#include <QString>

namespace ruvel {

enum class ChoiceFile { kRead, kEmpty, kMissing };

struct ChoiceText {
  ChoiceFile state = ChoiceFile::kMissing;
  QString text;  // the whole content when kRead
};

// FolderChoiceFromBytes(): the text of the file's bytes (UTF-8); empty when
// there are no bytes or the first line is empty.
ChoiceText FolderChoiceFromBytes(const QByteArray& bytes);
// ReadFolderChoice(): the same for a file; kMissing when there is none.
ChoiceText ReadFolderChoice(const QString& path);

struct FolderChoiceBase {
  QString program_folder;    // ends in "/"
  QString default_folder;    // the user's application data folder for the editor, ends in "/"
  QString documents_folder;  // the user's documents folder for the editor, ends in "/"
};

struct FolderChoice {
  QString folder;            // ends in "/"
  bool not_found = false;    // the text named a folder that does not exist
};

// ChooseUserDataFolder(): "%app%" the program's "usData/"; "%usr%" and
// "%applicaion data%" the default; "%doc" and "%my document%" the documents
// folder; any other "%" word the default; an existing folder itself; anything
// else the default with not_found set.  Words are compared in lower case.
FolderChoice ChooseUserDataFolder(const QString& text, const FolderChoiceBase& base);

}  // namespace ruvel

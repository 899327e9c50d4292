// File: editor/picture_edit/file_rules/save_names.h
//
// Names the editing control saves under: the extension a save name gets
// when it has none, the folder a save remembers, the next free "~NN" copy
// next to the picture's file, the next numbered name in the user-data
// "Temp" folder, and the JPEG quality typed by the user.
//
//   SaveName n = ResolveSaveName("/a/photo", &save_extension, /*dialog=*/false);
//   if (n.extension_defaulted) platform::ShowMessage(MissingExtensionMessage(n.extension));
//
//   auto copy = NextCopyName("/p/a~07.jpg", [](const QString& p) { return QFile::exists(p); });
//   // "/p/a~08.jpg" unless that one exists too
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace ruvel::file_rules {

struct SaveName {
  QString target;             // the path to write, its extension lower-cased
  QString extension;          // that extension, lower case, without the dot
  bool extension_defaulted = false;  // the name had none; the message is due
};

// ResolveSaveName(): the extension of `target` is lower-cased in place; when
// it has one it becomes the remembered `*save_extension`.  A name without
// one gets the remembered extension, or "jpg" when it is empty and the name
// came through the save dialog, "bmp" when it did not; a trailing "." of
// the name is dropped first so the result never holds "..".
SaveName ResolveSaveName(const QString& target, QString* save_extension, bool dialog);

// SaveFolderOf(): the folder a save to `target` remembers: the path before
// its last "/" ("/" for a file in the root); "" for a name without a folder.
QString SaveFolderOf(const QString& target);

// NextCopyName(): the first "base~NN.ext" (NN from 01, at least two digits,
// ext lower case) that `exists` reports free.  A name already ending in
// "~<number>" continues from that number with the "~<number>" cut off; any
// other "~" suffix starts again at 01.  nullopt when `current_file` has no
// extension, or once a number above 99 was tried and taken.
std::optional<QString> NextCopyName(const QString& current_file,
                                    const std::function<bool(const QString&)>& exists);

// NextSaveNumber(): one more than the largest number among the names (file
// names with or without ".bmp"; a name that is not a number counts as 0);
// 0 for an empty list.
int NextSaveNumber(const QStringList& bmp_file_names);
// NumberedSavePath(): user_data_folder + "Temp/" + number as "00000" + ".bmp".
QString NumberedSavePath(const QString& user_data_folder, int number);

// ParseJpegQualityAnswer(): the quality typed into the JPEG quality box,
// read as a number the way the user wrote it (leading blanks, a sign,
// digits, an optional fraction rounded to the nearest whole); nullopt for
// 0, an empty answer or text that is no number; otherwise clamped to
// 20..100.
std::optional<int> ParseJpegQualityAnswer(const QString& answer);

}  // namespace ruvel::file_rules

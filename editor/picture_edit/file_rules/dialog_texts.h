// File: editor/picture_edit/file_rules/dialog_texts.h
//
// The fixed texts of the open dialog, the save dialog's type lists and the
// JPEG quality box.
//
//   platform::FileDialogRequest req = OpenDialogRequest(start_folder);
//   io.ShowSaveDialog(folder, kSaveTypesNoName, &chosen);
#pragma once

#include <QString>

#include "platform/file_dialog.h"

namespace ruvel::file_rules {

inline constexpr const char kOpenDialogTitle[] = "画像ﾌｧｲﾙを開く";
inline constexpr const char kOpenDialogFilter[] =
    "画像ﾌｧｲﾙ|*.BMP;*.JPG;*.JPEG;*.TIF;*.PCX;*.FPX;*.PNG;*.GIF;*.JP2;*.JPC;*.J2K|";
// Save dialog types when no name is proposed, and when one is.
inline constexpr const char kSaveTypesNoName[] = "BMP;JPG;TIF;PCX;FPX;PNG;GIF";
inline constexpr const char kSaveTypesWithName[] = "JPG;GIF;PNG;PCX";
inline constexpr const char kJpegQualityPrompt[] = "JPEGの品質(20~100)を入力";
inline constexpr const char kJpegQualityTitle[] = "JPG";

// OpenDialogRequest(): the open dialog's title, filter (first entry chosen)
// and start folder.
platform::FileDialogRequest OpenDialogRequest(const QString& start_folder);

}  // namespace ruvel::file_rules

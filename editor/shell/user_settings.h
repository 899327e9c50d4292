// File: editor/shell/user_settings.h
//
// The user's settings as the main window keeps them, read from and written
// to the settings document in the editor's fixed order of groups and keys.
//
//   UserSettings s = LoadUserSettings(*Usr().Ini, platform::CurrentScreen().Metrics());
//   ... the window uses and changes s ...
//   SaveUserSettings(*Usr().Ini, s);   // then Usr().Ini->SetTxt()
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace platform {
struct ScreenMetrics;
}

namespace ruvel {

class yIni;

struct UserSettings {
  // group "画面"
  int32_t left = 0, top = 0, width = 0, height = 0;  // twips
  QString stamp;                        // STAMP
  QString picture_folder;               // PC_PATH ("" when it no longer exists)
  std::array<QString, 3> external_editors;  // PC_EXE1..3: caption,program
  QString user_range;                   // PC_RNG
  // group "設定"
  int32_t jpeg_quality = 85;            // JPG品質
  int32_t edit_update = 0;              // 編集更新 (read only)
  bool confirm_delete = true;           // 削除前 == "確認有"
  QString display = QStringLiteral("ｽｹｰﾙ");  // DISP
  int32_t mouse_mode = 0;               // MOUSE_D
  QString save_extension = QStringLiteral("bmp");  // 保存時拡張子
};

// LoadUserSettings(): missing keys take their defaults (the window 10 % in
// from the screen's top left, 70 % of its size).
UserSettings LoadUserSettings(yIni& ini, const platform::ScreenMetrics& screen);

// SaveUserSettings(): writes both groups into the document (not the file).
void SaveUserSettings(yIni& ini, const UserSettings& settings);

}  // namespace ruvel

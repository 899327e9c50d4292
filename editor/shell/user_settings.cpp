// File: editor/shell/user_settings.cpp
#include "editor/shell/user_settings.h"

#include "editor/shell/usr_procs.h"
#include "editor/shell/y_ini.h"
#include "platform/screen.h"

namespace ruvel {
namespace {

const QString kScreenGroup = QStringLiteral("画面");
const QString kSettingsGroup = QStringLiteral("設定");
const QString kAsk = QStringLiteral("確認有");
const QString kNoAsk = QStringLiteral("確認無");

QString EditorKey(int k) { return QStringLiteral("PC_EXE") + QString::number(k + 1); }

}  // namespace

UserSettings LoadUserSettings(yIni& ini, const platform::ScreenMetrics& screen) {
  UserSettings s;
  const platform::TwipsRect full = platform::ToTwips(screen.full_area, screen);
  ini.GetGtx(kScreenGroup);
  s.left = ToLong(ini.vGtVal("LEFT", full.width * 0.1).toDouble());
  s.top = ToLong(ini.vGtVal("TOP", full.height * 0.1).toDouble());
  s.width = ToLong(ini.vGtVal("WIDTH", full.width * 0.7).toDouble());
  s.height = ToLong(ini.vGtVal("HEIGHT", full.height * 0.7).toDouble());
  s.stamp = ini.vGtVal("STAMP", QString()).toString();
  s.picture_folder = ini.vGtVal("PC_PATH", QString()).toString();
  if (!IsFolder(s.picture_folder)) s.picture_folder.clear();
  for (int k = 0; k < 3; ++k) s.external_editors[k] = ini.vGtVal(EditorKey(k), QString()).toString();
  s.user_range = ini.vGtVal("PC_RNG", QString()).toString();

  ini.GetGtx(kSettingsGroup);
  s.jpeg_quality = ToLong(ini.vGtVal(QStringLiteral("JPG品質"), 85).toDouble());
  s.edit_update = ToLong(ini.vGtVal(QStringLiteral("編集更新"), 0).toDouble());
  s.confirm_delete = ini.vGtVal(QStringLiteral("削除前"), kAsk).toString() == kAsk;
  s.display = ini.vGtVal("DISP", QStringLiteral("ｽｹｰﾙ")).toString();
  s.mouse_mode = ToLong(ini.vGtVal("MOUSE_D", 0).toDouble());
  s.save_extension = ini.vGtVal(QStringLiteral("保存時拡張子"), QStringLiteral("bmp")).toString();
  return s;
}

void SaveUserSettings(yIni& ini, const UserSettings& s) {
  ini.GetGtx(kScreenGroup);
  ini.SetVal("LEFT", s.left);
  ini.SetVal("TOP", s.top);
  ini.SetVal("WIDTH", s.width);
  ini.SetVal("HEIGHT", s.height);
  ini.SetVal("STAMP", s.stamp);
  ini.SetVal("PC_PATH", s.picture_folder);
  for (int k = 0; k < 3; ++k) ini.SetVal(EditorKey(k), s.external_editors[k]);
  ini.SetVal("PC_RNG", s.user_range);
  ini.SetGtx();

  ini.GetGtx(kSettingsGroup);
  ini.SetVal(QStringLiteral("JPG品質"), s.jpeg_quality);
  ini.SetVal(QStringLiteral("削除前"), s.confirm_delete ? kAsk : kNoAsk);
  ini.SetVal("DISP", s.display);
  ini.SetVal("MOUSE_D", s.mouse_mode);
  ini.SetVal(QStringLiteral("保存時拡張子"), s.save_extension);
  ini.SetGtx();
}

}  // namespace ruvel

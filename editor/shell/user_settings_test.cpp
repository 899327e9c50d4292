// The main window's settings through the document: a first start writes
// both groups in the editor's order, a second start reads them back.
#include "editor/shell/user_settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "editor/shell/sjis_text.h"
#include "editor/shell/test_printers.h"
#include "editor/shell/y_ini.h"
#include "platform/prompt.h"
#include "platform/screen.h"

namespace ruvel {
namespace {

const platform::ScreenMetrics kScreen{QRect(0, 0, 1280, 1000), QRect(0, 0, 1280, 1024), 96, 96};

TEST(UserSettings, DefaultsOnAnEmptyDocument) {
  QTemporaryDir dir;
  yIni ini;
  ASSERT_TRUE(ini.GetTxt(dir.path() + "/User.xml"));
  const UserSettings s = LoadUserSettings(ini, kScreen);
  EXPECT_EQ(s.left, 1920);    // 19200 twips * 0.1
  EXPECT_EQ(s.top, 1536);     // 15360 * 0.1
  EXPECT_EQ(s.width, 13440);  // 19200 * 0.7
  EXPECT_EQ(s.height, 10752);
  EXPECT_EQ(s.jpeg_quality, 85);
  EXPECT_TRUE(s.confirm_delete);
  EXPECT_EQ(s.display, QString("ｽｹｰﾙ"));
  EXPECT_EQ(s.save_extension, QString("bmp"));
  EXPECT_EQ(s.picture_folder, QString());
}

TEST(UserSettings, FirstSaveWritesEveryKeyInOrder) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/User.xml";
  yIni ini;
  ASSERT_TRUE(ini.GetTxt(path));
  UserSettings s = LoadUserSettings(ini, kScreen);
  s.picture_folder = dir.path() + "/";
  s.confirm_delete = false;
  s.external_editors[1] = "ペイント,/usr/bin/paint";
  SaveUserSettings(ini, s);
  ASSERT_TRUE(ini.SetTxt());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QString text = DecodeShiftJis(f.readAll()).text;
  const QString expected =
      "<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<運用>\r\n"
      "   <画面>\r\n"
      "      <LEFT>1920</LEFT>\r\n      <TOP>1536</TOP>\r\n"
      "      <WIDTH>13440</WIDTH>\r\n      <HEIGHT>10752</HEIGHT>\r\n"
      "      <STAMP></STAMP>\r\n      <PC_PATH>" + dir.path() + "/</PC_PATH>\r\n"
      "      <PC_EXE1></PC_EXE1>\r\n      <PC_EXE2>ペイント,/usr/bin/paint</PC_EXE2>\r\n"
      "      <PC_EXE3></PC_EXE3>\r\n      <PC_RNG></PC_RNG>\r\n"
      "   </画面>\r\n"
      "   <設定>\r\n"
      "      <JPG品質>85</JPG品質>\r\n      <削除前>確認無</削除前>\r\n"
      "      <DISP>ｽｹｰﾙ</DISP>\r\n      <MOUSE_D>0</MOUSE_D>\r\n"
      "      <保存時拡張子>bmp</保存時拡張子>\r\n"
      "   </設定>\r\n"
      "</運用>";
  EXPECT_EQ(text, expected);

  yIni second;
  ASSERT_TRUE(second.GetTxt(path));
  const UserSettings back = LoadUserSettings(second, kScreen);
  EXPECT_EQ(back.picture_folder, dir.path() + "/");
  EXPECT_FALSE(back.confirm_delete);
  EXPECT_EQ(back.external_editors[1], QString("ペイント,/usr/bin/paint"));
  EXPECT_EQ(back.width, 13440);
}

TEST(UserSettings, EditUpdateIsReadButNotWrittenAndGoneFoldersLoadEmpty) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/User.xml";
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(EncodeShiftJis("<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<運用>\r\n"
                         "   <画面>\r\n      <PC_PATH>/no/such/folder/</PC_PATH>\r\n"
                         "      <WIDTH>0</WIDTH>\r\n   </画面>\r\n"
                         "   <設定>\r\n      <編集更新>2</編集更新>\r\n   </設定>\r\n</運用>")
              .bytes);
  f.close();
  yIni ini;
  ASSERT_TRUE(ini.GetTxt(path));
  const UserSettings s = LoadUserSettings(ini, kScreen);
  EXPECT_EQ(s.picture_folder, QString());
  EXPECT_EQ(s.width, 0);
  EXPECT_EQ(s.edit_update, 2);
  SaveUserSettings(ini, s);
  EXPECT_EQ(ini.text().count("<編集更新>2</編集更新>"), 1);
}

}  // namespace
}  // namespace ruvel

#include "editor/picture_edit/file_rules/messages.h"

#include "platform/prompt.h"

namespace ruvel::file_rules {
namespace {

struct CodeText {
  int code;
  const char* text;
};

// Status codes of the imaging control (and of a scanner behind it) that
// have a sentence of their own.
constexpr CodeText kImagingTexts[] = {
    {3, "ﾒﾓﾘｴﾗｰが発生しました"},
    {4, "ｻﾎﾟｰﾄ外の機能です"},
    {5, "設定値が不正です"},
    {6, "ﾌｧｲﾙが不正です"},
    {7, "ｲﾒｰｼﾞが不正です"},
    {8, "Twain_32.dllがﾛｰﾄﾞできません"},
    {9, "描画ｴﾗｰが発生しました"},
    {10, "対象外のｲﾒｰｼﾞです"},
    {11, "実行順序ｴﾗｰが発生しました"},
    {12, "ADFに用紙がｾｯﾄされていません (UI非表示のみ)"},
    {13, "ﾃﾞｼﾞﾀﾙｶﾒﾗに画像がない (UI非表示のみ)"},
    {14, "DLLがﾛｰﾄﾞされていません"},
    {15, "通信ｴﾗｰが発生しました"},
    {16, "ﾌｧｲﾙが見つからりません"},
    {17, "ﾌｧｲﾙが壊れています"},
    {18, "ﾀｲﾑｵｰﾊﾞｰで処理をｷｬﾝｾﾙしました"},
    {19, "ﾊﾟｽﾜｰﾄﾞ､ﾕｰｻﾞ名が異なりｱｸｾｽができません"},
    {20, "ﾌｧｲﾙがｵｰﾌﾟﾝできません"},
    {21, "ﾌｧｲﾙが作成できません"},
    {22, "ﾌｧｲﾙが書き込みできません"},
    {23, "ﾌｧｲﾙが読み込みできません"},
    {24, "表示ｲﾒｰｼﾞﾃﾞｰﾀがありません"},
    {101, "Twain_32.dllにｴﾝﾄﾘﾎﾟｲﾝﾄがありません"},
    {102, "ﾃﾞｰﾀｿｰｽﾏﾈｰｼﾞｬやﾃﾞｰﾀｿｰｽがｵｰﾌﾟﾝされていません､もしくはｵｰﾌﾟﾝできません"},
    {103, "ﾃﾞｰﾀｿｰｽがありません"},
    {104, "ﾃﾞｰﾀｿｰｽは既に最大数のｱﾌﾟﾘｹｰｼｮﾝに接続されています"},
    {105, "ﾃﾞｰﾀｿｰｽまたはﾃﾞｰﾀｿｰｽﾏﾈｰｼﾞｬでｴﾗｰが発生しましたが発生しました"},
    {106, "認識できませんﾄﾘﾌﾟﾚｯﾄ (TWAIN - DG_XXX / DAT_XXX / MSG_XXX)"},
    {107, "ｽｷｬﾝﾃﾞﾊﾞｲｽの電源を確認して下さい"},
    {108, "ﾌｨｰﾀﾞｰに用紙が詰まりました"},
    {109, "ﾌｨｰﾀﾞｰに複数の用紙が取り込ました"},
    {110, "解像度が不正です"},
};

}  // namespace

QString MissingExtensionMessage(const QString& extension) {
  return QString("拡張子が指定されなかったので､") + extension + QString("を使用しました");
}

QString ImagingErrorMessage(int code) {
  if (code == 0 || code == 1) return QString();
  for (const CodeText& row : kImagingTexts) {
    if (row.code == code) return QString::fromUtf8(row.text);
  }
  return QString::fromUtf8(kOtherImagingError);
}

bool ShowImagingError(int16_t code, QWidget* parent) {
  const QString text = ImagingErrorMessage(code);
  if (text.isEmpty()) return false;
  platform::ShowMessage(text, parent);
  return true;
}

}  // namespace ruvel::file_rules

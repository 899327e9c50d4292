#include "editor/picture_edit/file_rules/messages.h"

#include <gtest/gtest.h>

#include "platform/prompt.h"

namespace ruvel::file_rules {
namespace {

TEST(ImagingErrors, EveryCodeWithItsOwnSentence) {
  const std::pair<int, const char*> rows[] = {
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
  for (const auto& [code, text] : rows) {
    EXPECT_EQ(ImagingErrorMessage(code).toUtf8(), QByteArray(text)) << code;
  }
}

TEST(ImagingErrors, SuccessAndOtherCodes) {
  EXPECT_TRUE(ImagingErrorMessage(0).isEmpty());
  EXPECT_TRUE(ImagingErrorMessage(1).isEmpty());
  const QByteArray other = "その他のｴﾗｰが発生しました";
  for (int code : {2, 25, 50, 100, 111, 200, 32767, -1, -32768}) {
    EXPECT_EQ(ImagingErrorMessage(code).toUtf8(), other) << code;
  }
}

TEST(ImagingErrors, ShownThroughThePromptOnlyForFailures) {
  platform::ScriptedPrompt prompt;
  platform::ScopedPrompt use(&prompt);
  EXPECT_FALSE(ShowImagingError(0));
  EXPECT_FALSE(ShowImagingError(1));
  EXPECT_TRUE(prompt.shown().empty());

  EXPECT_TRUE(ShowImagingError(22));
  EXPECT_TRUE(ShowImagingError(-1));
  ASSERT_EQ(prompt.shown().size(), 2u);
  EXPECT_EQ(prompt.shown()[0].text, QString("ﾌｧｲﾙが書き込みできません"));
  EXPECT_EQ(prompt.shown()[0].buttons, platform::PromptButtons::kOk);
  EXPECT_EQ(prompt.shown()[0].title, platform::PromptTitle());
  EXPECT_EQ(prompt.shown()[1].text, QString("その他のｴﾗｰが発生しました"));
}

TEST(OwnMessages, Texts) {
  EXPECT_EQ(MissingExtensionMessage("png").toUtf8(),
            QByteArray("拡張子が指定されなかったので､pngを使用しました"));
  EXPECT_EQ(MissingExtensionMessage("bmp").toUtf8(),
            QByteArray("拡張子が指定されなかったので､bmpを使用しました"));
  EXPECT_EQ(QByteArray(kAskSaveChanges), QByteArray("現在の画像の変更を保存しますか"));
  EXPECT_EQ(QByteArray(kCopyAsNewFailed), QByteArray("複写して新規できませんでした"));
  EXPECT_EQ(QByteArray(kReduceNeedsRange),
            QByteArray("先に範囲を指定し､そのｻｲｽﾞに合わせて縮小します"));
  EXPECT_EQ(QByteArray(kEffectNeedsDepth), QByteArray("ｴﾌｪｸﾄ処理は 24Bit Color 以上必要です"));
  EXPECT_EQ(QByteArray(kBadViewWord), QByteArray("Err pcView"));
  EXPECT_EQ(QByteArray(kBadStoredView), QByteArray("Err GetPram"));
  // The comma is the half-width ideographic comma U+FF64.
  EXPECT_TRUE(MissingExtensionMessage("x").contains(QChar(0xFF64)));
}

}  // namespace
}  // namespace ruvel::file_rules

// The settings document: round trips through a real Shift-JIS file, the
// text splicing and damaged files.
#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "editor/shell/test_printers.h"

#include "editor/shell/sjis_text.h"
#include "editor/shell/y_ini.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

const QString kNewDoc =
    QStringLiteral("<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<運用>\r\n</運用>");

class IniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    path_ = dir_.path() + "/User.xml";
    platform::SetPrompt(&prompt_);
  }
  void TearDown() override { platform::SetPrompt(nullptr); }

  void WriteFile(const QByteArray& bytes) {
    QFile f(path_);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  void WriteText(const QString& text) { WriteFile(EncodeShiftJis(text).bytes); }
  QByteArray ReadFile() {
    QFile f(path_);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
  }
  static QString Doc(const QString& groups) {
    return "<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<運用>\r\n" + groups + "</運用>";
  }

  QTemporaryDir dir_;
  QString path_;
  platform::ScriptedPrompt prompt_;
  yIni ini_;
};

TEST_F(IniTest, MissingFileIsCreatedEmptyAndFilledAtSave) {
  ASSERT_TRUE(ini_.GetTxt(path_));
  EXPECT_TRUE(QFile::exists(path_));
  EXPECT_EQ(ReadFile().size(), 0);
  EXPECT_EQ(ini_.text(), kNewDoc);
  ini_.GetGtx("画面");
  ini_.SetVal("LEFT", 1440);
  ini_.SetVal("STAMP", QString("星.bmp"));
  ini_.SetGtx();
  ini_.GetGtx("設定");
  ini_.SetVal("DISP", QString("ｽｹｰﾙ"));
  ini_.SetGtx();
  ASSERT_TRUE(ini_.SetTxt());
  const QString expected = Doc(
      "   <画面>\r\n      <LEFT>1440</LEFT>\r\n      <STAMP>星.bmp</STAMP>\r\n   </画面>\r\n"
      "   <設定>\r\n      <DISP>ｽｹｰﾙ</DISP>\r\n   </設定>\r\n");
  EXPECT_EQ(ReadFile(), EncodeShiftJis(expected).bytes);
  EXPECT_TRUE(ReadFile().startsWith("<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<\x89\x5e\x97\x70>"));
  EXPECT_FALSE(ReadFile().endsWith("\r\n"));

  yIni again;
  ASSERT_TRUE(again.GetTxt(path_));
  again.GetGtx("画面");
  EXPECT_EQ(again.vGtVal("LEFT", 0).toDouble(), 1440.0);
  EXPECT_EQ(again.vGtVal("STAMP", QString()).toString(), QString("星.bmp"));
  again.GetGtx("設定");
  EXPECT_EQ(again.vGtVal("DISP", QString()).toString(), QString("ｽｹｰﾙ"));
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(IniTest, ChangedKeysStayInPlaceAndOtherTextIsKept) {
  const QString original = Doc(
      "   <画面>\r\n      <LEFT>10</LEFT>\r\n      <TOP>20</TOP>\r\n   </画面>\r\n"
      "   <他>\r\n      <X>自由な文</X>\r\n   </他>\r\n");
  WriteText(original);
  ASSERT_TRUE(ini_.GetTxt(path_));
  ini_.GetGtx("画面");
  EXPECT_EQ(ini_.body(), QString("      <LEFT>10</LEFT>\r\n      <TOP>20</TOP>\r\n"));
  ini_.SetVal("LEFT", 999);
  ini_.SetVal("NEW", QString("n"));
  ini_.SetGtx();
  ASSERT_TRUE(ini_.SetTxt());
  EXPECT_EQ(DecodeShiftJis(ReadFile()).text,
            Doc("   <画面>\r\n      <LEFT>999</LEFT>\r\n      <TOP>20</TOP>\r\n"
                "      <NEW>n</NEW>\r\n   </画面>\r\n"
                "   <他>\r\n      <X>自由な文</X>\r\n   </他>\r\n"));
}

TEST_F(IniTest, ValueKinds) {
  WriteText(Doc("   <設定>\r\n      <JPG品質>abc</JPG品質>\r\n      <Q>12.5px</Q>\r\n"
                "      <EMPTY></EMPTY>\r\n      <B>True</B>\r\n      <BN>0</BN>\r\n"
                "      <BX>maybe</BX>\r\n      <D>2024/02/29</D>\r\n      <left>5</left>\r\n"
                "   </設定>\r\n"));
  ASSERT_TRUE(ini_.GetTxt(path_));
  ini_.GetGtx("設定");
  EXPECT_EQ(ini_.vGtVal("JPG品質", 85).toDouble(), 0.0);  // text, not the default
  EXPECT_EQ(ini_.vGtVal("Q", 0).toDouble(), 12.5);
  EXPECT_EQ(ini_.vGtVal("EMPTY", 85).toDouble(), 85.0);
  EXPECT_EQ(ini_.vGtVal("EMPTY", QString("d")).toString(), QString("d"));
  EXPECT_EQ(ini_.vGtVal("MISSING", 7).toDouble(), 7.0);
  EXPECT_EQ(ini_.vGtVal("B", false), QVariant(true));
  EXPECT_EQ(ini_.vGtVal("BN", true), QVariant(false));
  EXPECT_FALSE(ini_.vGtVal("BX", true).isValid());  // no boolean: an error value
  EXPECT_EQ(ini_.vGtVal("D", QDate(2000, 1, 1)).toDate(), QDate(2024, 2, 29));
  EXPECT_EQ(ini_.vGtVal("B", QDate(2000, 1, 1)).toDate(), QDate(2000, 1, 1));
  EXPECT_EQ(ini_.vGtVal("LEFT", 3).toDouble(), 3.0);  // names match exactly
  EXPECT_TRUE(prompt_.shown().empty());
}

TEST_F(IniTest, LeadingNumberAndRounding) {
  EXPECT_EQ(LeadingNumber("12abc"), 12.0);
  EXPECT_EQ(LeadingNumber("  -3.25"), -3.25);
  EXPECT_EQ(LeadingNumber("1e3x"), 1000.0);
  EXPECT_EQ(LeadingNumber("1e"), 1.0);
  EXPECT_EQ(LeadingNumber(".5"), 0.5);
  EXPECT_EQ(LeadingNumber("."), 0.0);
  EXPECT_EQ(LeadingNumber("abc"), 0.0);
  EXPECT_EQ(LeadingNumber("１２"), 0.0);  // full-width digits are no number
  EXPECT_EQ(ToLong(2.5), 2);
  EXPECT_EQ(ToLong(3.5), 4);
  EXPECT_EQ(ToLong(-1.5), -2);
  EXPECT_EQ(ToLong(1e20), 2147483647);
  EXPECT_EQ(ValueText(QVariant(true)), QString("True"));
  EXPECT_EQ(ValueText(QVariant(1920.0)), QString("1920"));
  EXPECT_EQ(ValueText(QVariant(0.25)), QString("0.25"));
}

TEST_F(IniTest, BreakCharacterBecomesCrLfInNewKeys) {
  ASSERT_TRUE(ini_.GetTxt(path_));
  ini_.GetGtx("画面");
  ini_.SetVal("PC_RNG", QString("a") + QChar(0x2021) + "b");
  EXPECT_EQ(ini_.body(), QString("      <PC_RNG>a\r\nb</PC_RNG>\r\n"));
  ini_.SetGtx();
  EXPECT_FALSE(ini_.text().contains(QChar(0x2021)));
}

TEST_F(IniTest, OpeningTagWithoutClosingTagShowsS1AndGroupIsAddedAgain) {
  WriteText(Doc("   <画面>\r\n      <LEFT>10</LEFT>\r\n"));
  ASSERT_TRUE(ini_.GetTxt(path_));
  ini_.GetGtx("画面");
  ASSERT_EQ(prompt_.shown().size(), 1u);
  EXPECT_EQ(prompt_.shown()[0].text, "<画面> の設定が読み込めません\rﾕｰｻﾞｰ環境ﾌｧｲﾙ(" + path_ +
                                         ") が破損しています");
  EXPECT_EQ(prompt_.shown()[0].buttons, platform::PromptButtons::kOk);
  EXPECT_TRUE(ini_.body().isEmpty());
  EXPECT_EQ(ini_.vGtVal("LEFT", 77).toDouble(), 77.0);
  ini_.SetVal("LEFT", 5);
  ini_.SetGtx();
  ASSERT_TRUE(ini_.SetTxt());
  // The damaged text stays; the group follows before the closing root tag.
  EXPECT_EQ(DecodeShiftJis(ReadFile()).text,
            Doc("   <画面>\r\n      <LEFT>10</LEFT>\r\n"
                "   <画面>\r\n      <LEFT>5</LEFT>\r\n   </画面>\r\n"));
}

TEST_F(IniTest, ClosingTagBeforeOpeningTagShowsS1) {
  WriteText(Doc("      <X>1</画面>\r\n   <画面>\r\n"));
  ASSERT_TRUE(ini_.GetTxt(path_));
  ini_.GetGtx("画面");
  EXPECT_EQ(prompt_.shown().size(), 1u);
  EXPECT_TRUE(ini_.body().isEmpty());
}

TEST_F(IniTest, KeyWithOnlyOpeningTagGetsAppended) {
  WriteText(Doc("   <画面>\r\n      <LEFT>10\r\n   </画面>\r\n"));
  ASSERT_TRUE(ini_.GetTxt(path_));
  ini_.GetGtx("画面");
  EXPECT_EQ(ini_.vGtVal("LEFT", 1).toDouble(), 1.0);
  EXPECT_EQ(prompt_.shown().size(), 1u);  // S1 names the key
  EXPECT_TRUE(prompt_.shown()[0].text.startsWith("<LEFT> の設定が読み込めません"));
  ini_.SetVal("LEFT", 2);
  EXPECT_EQ(ini_.body(), QString("      <LEFT>10\r\n      <LEFT>2</LEFT>\r\n"));
}

TEST_F(IniTest, GroupNameFoundAtItsFirstOccurrence) {
  // "設定" occurs first as a key of "画面".
  WriteText(Doc("   <画面>\r\n      <設定>\r\n         x\r\n   </設定>\r\n   </画面>\r\n"
                "   <設定>\r\n      <DISP>実寸</DISP>\r\n   </設定>\r\n"));
  ASSERT_TRUE(ini_.GetTxt(path_));
  ini_.GetGtx("設定");
  EXPECT_EQ(ini_.body(), QString("         x\r\n"));
  EXPECT_EQ(ini_.vGtVal("DISP", QString("ｽｹｰﾙ")).toString(), QString("ｽｹｰﾙ"));
}

TEST_F(IniTest, HandWrittenGroupWithoutLineBreaksReadsEmptyAndIsRepaired) {
  WriteText(Doc("   <画面></画面>\r\n"));
  ASSERT_TRUE(ini_.GetTxt(path_));
  ini_.GetGtx("画面");
  EXPECT_TRUE(ini_.body().isEmpty());
  EXPECT_TRUE(prompt_.shown().empty());
  ini_.SetVal("LEFT", 1);
  ini_.SetGtx();
  EXPECT_EQ(ini_.text(), Doc("   <画面>\r\n      <LEFT>1</LEFT>\r\n   </画面>\r\n"));
  ini_.GetGtx("画面");
  EXPECT_EQ(ini_.vGtVal("LEFT", 0).toDouble(), 1.0);
}

TEST_F(IniTest, EmptyFirstLineAloneIsANewDocument) {
  WriteFile("\r\n\r\n");
  ASSERT_TRUE(ini_.GetTxt(path_));
  EXPECT_EQ(ini_.text(), kNewDoc);
}

TEST_F(IniTest, EmptyFirstLineBeforeSettingsKeepsThem) {
  const QString text = "\r\n" + Doc("   <設定>\r\n      <MOUSE_D>2</MOUSE_D>\r\n   </設定>\r\n");
  WriteText(text);
  ASSERT_TRUE(ini_.GetTxt(path_));
  EXPECT_EQ(ini_.text(), text);
  ini_.GetGtx("設定");
  EXPECT_EQ(ini_.vGtVal("MOUSE_D", 0).toDouble(), 2.0);
}

TEST_F(IniTest, BinaryFileIsKeptByteForByte) {
  QByteArray garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 37 + 11) & 0xFF);
  WriteFile(garbage);
  ASSERT_TRUE(ini_.GetTxt(path_));
  EXPECT_GT(ini_.undecodable_bytes(), 0);
  ini_.GetGtx("画面");
  EXPECT_EQ(ini_.vGtVal("LEFT", 42).toDouble(), 42.0);
  ini_.SetVal("LEFT", 1);
  ini_.SetGtx();
  ASSERT_TRUE(ini_.SetTxt());
  const QByteArray saved = ReadFile();
  EXPECT_TRUE(saved.startsWith(garbage));  // nothing of it lost
  EXPECT_TRUE(saved.endsWith(EncodeShiftJis("   <画面>\r\n      <LEFT>1</LEFT>\r\n   </画面>\r\n").bytes));
}

TEST_F(IniTest, TruncatedFileGetsItsGroupsAppended) {
  const QByteArray full = EncodeShiftJis(Doc("   <設定>\r\n      <DISP>実寸</DISP>\r\n   </設定>\r\n")).bytes;
  WriteFile(full.left(full.size() - 20));  // cut inside "</設定>", no root end
  ASSERT_TRUE(ini_.GetTxt(path_));
  ini_.GetGtx("画面");
  ini_.SetVal("TOP", 3);
  ini_.SetGtx();
  ASSERT_TRUE(ini_.SetTxt());
  yIni again;
  ASSERT_TRUE(again.GetTxt(path_));
  again.GetGtx("画面");
  EXPECT_EQ(again.vGtVal("TOP", 0).toDouble(), 3.0);
  EXPECT_TRUE(ReadFile().startsWith(full.left(full.size() - 20)));
}

TEST_F(IniTest, DvFileNameIsReplaced) {
  ASSERT_TRUE(ini_.GetTxt(dir_.path() + "/User_dv.XML"));
  EXPECT_EQ(ini_.file_path(), dir_.path() + "/User.xml");
  EXPECT_TRUE(QFile::exists(dir_.path() + "/User.xml"));
}

TEST_F(IniTest, FailedSaveLeavesTheOldFile) {
  WriteText(Doc(""));
  ASSERT_TRUE(ini_.GetTxt(path_));
  const QByteArray before = ReadFile();
  ini_.GetGtx("画面");
  ini_.SetVal("LEFT", 1);
  ini_.SetGtx();
  QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  const bool saved = ini_.SetTxt();
  QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ExeOwner);
  if (!saved) {
    EXPECT_EQ(ReadFile(), before);  // root may write anyway
  }
  yIni never_loaded;
  EXPECT_FALSE(never_loaded.SetTxt());
  yIni in_missing_folder;
  EXPECT_FALSE(in_missing_folder.GetTxt(dir_.path() + "/no/such/User.xml"));
  EXPECT_EQ(in_missing_folder.text(), kNewDoc);
  EXPECT_FALSE(in_missing_folder.SetTxt());
}

}  // namespace
}  // namespace ruvel

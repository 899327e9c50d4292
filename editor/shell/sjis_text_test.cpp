#include "editor/shell/sjis_text.h"

#include <gtest/gtest.h>

namespace ruvel {
namespace {

TEST(ShiftJis, DecodesKnownBytes) {
  // "運用" and half-width "ｽｹｰﾙ", then "‡", backslash and tilde.
  const QByteArray bytes("\x89\x5e\x97\x70\xbd\xb9\xb0\xd9\x81\xf6\\~");
  const DecodedText d = DecodeShiftJis(bytes);
  EXPECT_EQ(d.text, QString("運用ｽｹｰﾙ‡\\~"));
  EXPECT_EQ(d.undecodable_bytes, 0);
  const EncodedText e = EncodeShiftJis(d.text);
  EXPECT_EQ(e.bytes, bytes);
  EXPECT_EQ(e.unencodable_chars, 0);
}

TEST(ShiftJis, BadBytesSurviveARoundTrip) {
  // 0x80 and 0xA0 are no characters, 0x81 0x20 is a cut pair, and the file
  // ends inside a two-byte character.  NUL and binary bytes too.
  const QByteArray bytes("<a>\x80x\xa0y\x81 z\x00\xff\xfe\x89", 16);
  const DecodedText d = DecodeShiftJis(bytes);
  EXPECT_GE(d.undecodable_bytes, 4);
  EXPECT_TRUE(d.text.startsWith("<a>"));
  EXPECT_TRUE(d.text.contains("x"));
  EXPECT_EQ(EncodeShiftJis(d.text).bytes, bytes);
}

TEST(ShiftJis, UnencodableCharactersBecomeQuestionMarks) {
  const EncodedText e = EncodeShiftJis(QString::fromUtf8("a\xF0\x9F\x98\x80" "b한c"));
  EXPECT_EQ(e.bytes, QByteArray("a?b?c"));
  EXPECT_EQ(e.unencodable_chars, 2);
}

TEST(ShiftJis, EmptyAndLongText) {
  EXPECT_TRUE(DecodeShiftJis(QByteArray()).text.isEmpty());
  QString long_text;
  for (int i = 0; i < 5000; ++i) long_text += QStringLiteral("画像ﾌｧｲﾙ");
  const EncodedText e = EncodeShiftJis(long_text);
  EXPECT_EQ(e.bytes.size(), 5000 * 8);
  EXPECT_EQ(DecodeShiftJis(e.bytes).text, long_text);
}

}  // namespace
}  // namespace ruvel

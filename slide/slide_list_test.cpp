#include "slide/slide_list_text.h"

#include <gtest/gtest.h>

#include <QString>

#include "slide/slide_list.h"
#include "slide/slide_test_support.h"

namespace slide {
namespace {

TEST(SplitSlideList, LineEndsEmptyLinesAndTheMissingFinalNewline) {
  const SlideListText t = SplitSlideList("/a.png\r\n\n/b.png\n\r\n/c d.png\r/x\n/e.png");
  EXPECT_EQ(t.lines, (std::vector<std::string>{"/a.png", "/b.png", "/c d.png\r/x", "/e.png"}));
  EXPECT_EQ(t.refused, 0);
  EXPECT_FALSE(t.shift_jis);
  EXPECT_TRUE(SplitSlideList("").lines.empty());
  EXPECT_EQ(SplitSlideList("\xEF\xBB\xBF/bom.png\n").lines, std::vector<std::string>{"/bom.png"});
}

TEST(SplitSlideList, LongLinesAreRefusedWholeNeverCut) {
  const std::string ok(259, 'a'), too_long(260, 'b');
  const SlideListText t = SplitSlideList(ok + "\n" + too_long + "\n" + std::string(5000, 'c') + "\n/x\n");
  EXPECT_EQ(t.lines, (std::vector<std::string>{ok, "/x"}));
  EXPECT_EQ(t.refused, 2);
  EXPECT_EQ(SplitSlideList(std::string("/a\0b\n", 5)).refused, 1);  // an embedded NUL
}

TEST(SplitSlideList, ShiftJisIsDecodedAndCheckedAgainstIconv) {
  const std::string utf8 = "/写真/ﾃｽﾄ表.png";  // 表 has 0x5C as its second Shift-JIS byte
  const std::string sjis = slidetest::ToCp932(utf8);
  ASSERT_FALSE(sjis.empty());
  ASSERT_NE(sjis.find('\x5C'), std::string::npos);
  const SlideListText t = SplitSlideList(sjis + "\r\n" + "\x81\n");  // a lone lead byte: refused
  EXPECT_TRUE(t.shift_jis);
  EXPECT_EQ(t.lines, std::vector<std::string>{utf8});
  EXPECT_EQ(t.refused, 1);
}

TEST(IsValidUtf8, AgreesWithQtsDecoder) {
  // Qt's decoder replaces what is not UTF-8; valid text round-trips.
  const std::vector<std::string> samples = {"", "abc", "写真", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                            "\xE6\x97", "\x80", "\xF0\x9F\x98\x80", "\xEF\xBF\xBF"};
  for (const std::string& s : samples) {
    const bool qt_valid = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).toStdString() == s;
    EXPECT_EQ(IsValidUtf8(s), qt_valid) << s;
  }
}

TEST(MatchesExtension, CaseInsensitiveStarDotPattern) {
  EXPECT_TRUE(MatchesExtension("a.JPG", "jpg"));
  EXPECT_TRUE(MatchesExtension("a.b.jpg", "JPG"));
  EXPECT_FALSE(MatchesExtension("ajpg", "JPG"));
  EXPECT_FALSE(MatchesExtension("a.jpeg", "JPG"));
  EXPECT_FALSE(MatchesExtension("a.jpg", ""));
  EXPECT_TRUE(MatchesExtension("x.tif", "TI?"));
}

}  // namespace
}  // namespace slide

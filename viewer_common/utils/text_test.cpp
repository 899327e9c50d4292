#include "viewer_common/utils/text.h"

#include <gtest/gtest.h>

#include <string>

namespace viewer {
namespace {

TEST(Text, WideToAnsiConvertsAndRefusesOverflow) {
  char buf[kMaxPath];
  ASSERT_NE(WideToAnsi(u"/写真/ｶﾒﾗ.jpg", buf, sizeof buf), nullptr);
  EXPECT_EQ(std::string(buf), "/写真/ｶﾒﾗ.jpg");
  // 259 bytes fit, 260 do not (the NUL needs its byte).
  std::u16string fits(259, u'a'), too_long(260, u'a');
  EXPECT_NE(WideToAnsi(fits.c_str(), buf, sizeof buf), nullptr);
  EXPECT_EQ(WideToAnsi(too_long.c_str(), buf, sizeof buf), nullptr);
  EXPECT_STREQ(buf, "");  // never a truncated name
  // A multi-byte character that would straddle the end is not cut.
  char small[4];
  EXPECT_EQ(WideToAnsi(u"a写", small, sizeof small), nullptr);
  EXPECT_NE(WideToAnsi(u"写", small, sizeof small), nullptr);
  EXPECT_EQ(WideToAnsi(nullptr, buf, sizeof buf), nullptr);
  EXPECT_EQ(WideToAnsi(u"x", nullptr, 4), nullptr);
  const char16_t lone[] = {0xD800, 0};
  EXPECT_EQ(WideToAnsi(lone, buf, sizeof buf), nullptr);
}

TEST(Text, AnsiToWideRejectsMalformedUtf8) {
  char16_t buf[16];
  ASSERT_NE(AnsiToWide("ｶﾒﾗ", buf, 16), nullptr);
  EXPECT_EQ(std::u16string(buf), u"ｶﾒﾗ");
  EXPECT_EQ(AnsiToWide("\xE5\x86", buf, 16), nullptr);  // cut short
  EXPECT_EQ(AnsiToWide("\xC0\xAF", buf, 16), nullptr);  // overlong "/"
  EXPECT_EQ(AnsiToWide("abcd", buf, 4), nullptr);       // no room for the NUL
  EXPECT_EQ(ToWide(ToAnsi(u"😀 ok")), u"😀 ok");
}

TEST(Text, TrailingSeparator) {
  EXPECT_EQ(TrimTrailingSeparator(u"/pictures/"), u"/pictures");
  EXPECT_EQ(TrimTrailingSeparator(u"/"), u"/");
  EXPECT_EQ(TrimTrailingSeparator(u"a//"), u"a/");  // only one is cut
  EXPECT_EQ(TrimTrailingSeparator(u""), u"");
}

}  // namespace
}  // namespace viewer

#include "platform/font_substitution.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

TEST(FontSubstitution, WindowsNamesMapToNotoFaces) {
  EXPECT_EQ(platform::SubstituteFontFamily(QStringLiteral("ＭＳ Ｐゴシック")), QStringLiteral("Noto Sans CJK JP"));
  EXPECT_EQ(platform::SubstituteFontFamily(QStringLiteral("ＭＳ Ｐ明朝")), QStringLiteral("Noto Serif CJK JP"));
  // Half-width "MS" is a different name and stays as it is, like any name
  // outside the table.
  EXPECT_EQ(platform::SubstituteFontFamily(QStringLiteral("MS Pゴシック")), QStringLiteral("MS Pゴシック"));
  EXPECT_EQ(platform::SubstituteFontFamily(QStringLiteral("DejaVu Sans")), QStringLiteral("DejaVu Sans"));
}

TEST(FontSubstitution, InstalledTableResolvesPlainFonts) {
  platform::InstallFontSubstitutions();
  platform::InstallFontSubstitutions();  // twice does not stack entries
  const QStringList subs = QFont::substitutes(QStringLiteral("ＭＳ Ｐ明朝"));
  ASSERT_EQ(subs.size(), 1);  // Qt keeps family names lower-cased
  EXPECT_EQ(subs[0].compare(QStringLiteral("Noto Serif CJK JP"), Qt::CaseInsensitive), 0);
  if (!QFontDatabase::families().contains(QStringLiteral("Noto Sans CJK JP")))
    GTEST_SKIP() << "fonts-noto-cjk not installed";
  const QFontInfo info(platform::SubstituteFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
  EXPECT_EQ(info.family(), QStringLiteral("Noto Sans CJK JP"));
}

}  // namespace

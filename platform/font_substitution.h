// File: platform/font_substitution.h
//
// The Windows font names the windows and controls ask for ("ＭＳ Ｐゴシック",
// "ＭＳ Ｐ明朝" and their fixed-pitch sisters) mapped onto the Noto CJK faces
// installed here.  One table serves the whole program.
//
//   QLabel caption;
//   caption.setFont(platform::SubstituteFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
//
// InstallFontSubstitutions() also registers the table with Qt, so a plain
// QFont("ＭＳ Ｐ明朝") resolves to the Noto face too.
#pragma once

#include <QFont>
#include <QString>

namespace platform {

// The table: Windows family name (as the windows and hosts spell it) and
// the installed family.  Header-only so that libraries which link nothing
// of platform/ (the viewer controls) read the same table.
struct FontSubstitution {
  const char16_t* windows_family;
  const char* family;
};
inline constexpr FontSubstitution kFontSubstitutions[] = {
    {u"ＭＳ Ｐゴシック", "Noto Sans CJK JP"},    {u"ＭＳ ゴシック", "Noto Sans CJK JP"},
    {u"ＭＳ Ｐ明朝", "Noto Serif CJK JP"},       {u"ＭＳ 明朝", "Noto Serif CJK JP"},
    {u"ＭＳ ＵＩ ゴシック", "Noto Sans CJK JP"}, {u"MS UI Gothic", "Noto Sans CJK JP"},
    {u"MS PGothic", "Noto Sans CJK JP"},         {u"MS Gothic", "Noto Sans CJK JP"},
    {u"MS PMincho", "Noto Serif CJK JP"},        {u"MS Mincho", "Noto Serif CJK JP"},
    {u"Meiryo", "Noto Sans CJK JP"},
};

// SubstituteFontFamily(): the installed family for a Windows family name;
// names outside the table come back unchanged.
QString SubstituteFontFamily(const QString& windows_family);

// SubstituteFont(): a font of the substituted family at `point_size`
// (0 keeps the application's default size).
QFont SubstituteFont(const QString& windows_family, int point_size = 0);

// InstallFontSubstitutions(): registers every entry with QFont's own
// substitution list.  Safe to call more than once.
void InstallFontSubstitutions();

}  // namespace platform

// The Windows font names mapped onto the installed Noto CJK faces.
#include "platform/font_substitution.h"

#include <QStringList>
#include <array>

namespace platform {

namespace {

struct FontEntry {
  const char* windows_family;  // UTF-8
  const char* family;
};

// Proportional Gothic/Mincho faces go to the sans and serif faces; the
// fixed-pitch ones to the monospaced sans (Noto has no monospaced serif).
constexpr std::array<FontEntry, 6> kTable{{
    {"ＭＳ Ｐゴシック", "Noto Sans CJK JP"},
    {"ＭＳ Ｐ明朝", "Noto Serif CJK JP"},
    {"ＭＳ ゴシック", "Noto Sans Mono CJK JP"},
    {"ＭＳ 明朝", "Noto Serif CJK JP"},
    {"MS UI Gothic", "Noto Sans CJK JP"},
    {"ＭＳ ＵＩ ゴシック", "Noto Sans CJK JP"},
}};

}  // namespace

QString SubstituteFontFamily(const QString& windows_family) {
  for (const FontEntry& e : kTable)
    if (windows_family == QString::fromUtf8(e.windows_family)) return QString::fromLatin1(e.family);
  return windows_family;
}

QFont SubstituteFont(const QString& windows_family, int point_size) {
  QFont font(SubstituteFontFamily(windows_family));
  if (point_size > 0) font.setPointSize(point_size);
  return font;
}

void InstallFontSubstitutions() {
  for (const FontEntry& e : kTable) {
    const QString from = QString::fromUtf8(e.windows_family);
    QFont::removeSubstitutions(from);
    QFont::insertSubstitution(from, QString::fromLatin1(e.family));
  }
}

}  // namespace platform

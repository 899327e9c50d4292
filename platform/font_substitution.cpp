// The Windows font names mapped onto the installed Noto CJK faces.
#include "platform/font_substitution.h"

#include <QStringList>

namespace platform {

QString SubstituteFontFamily(const QString& windows_family) {
  for (const FontSubstitution& e : kFontSubstitutions)
    if (windows_family == QString::fromUtf16(e.windows_family)) return QString::fromLatin1(e.family);
  return windows_family;
}

QFont SubstituteFont(const QString& windows_family, int point_size) {
  QFont font(SubstituteFontFamily(windows_family));
  if (point_size > 0) font.setPointSize(point_size);
  return font;
}

void InstallFontSubstitutions() {
  for (const FontSubstitution& e : kFontSubstitutions) {
    const QString from = QString::fromUtf16(e.windows_family);
    QFont::removeSubstitutions(from);
    QFont::insertSubstitution(from, QString::fromLatin1(e.family));
  }
}

}  // namespace platform

#include "viewer_common/utils/font_map.h"
#include <algorithm>

#include "platform/font_substitution.h"

namespace viewer {

QString SubstituteFace(const std::u16string& name) {
  for (const platform::FontSubstitution& s : platform::kFontSubstitutions)
    if (name == s.windows_family) return QString::fromLatin1(s.family);
  return QString::fromStdU16String(name);
}

QFont MapFont(const std::u16string& name, double points, int weight, bool italic, bool underline,
              bool strikethrough) {
  QFont f(SubstituteFace(name));
  f.setPointSizeF(points > 0 ? points : 9.0);
  f.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
  f.setItalic(italic);
  f.setUnderline(underline);
  f.setStrikeOut(strikethrough);
  return f;
}

}  // namespace viewer

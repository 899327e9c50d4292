#include "viewer_common/utils/font_map.h"
#include <algorithm>

namespace viewer {
namespace {

struct Substitution {
  const char16_t* from;
  const char* to;
};

constexpr Substitution kTable[] = {
    {u"ＭＳ Ｐ明朝", "Noto Serif CJK JP"},   {u"ＭＳ 明朝", "Noto Serif CJK JP"},
    {u"ＭＳ Ｐゴシック", "Noto Sans CJK JP"}, {u"ＭＳ ゴシック", "Noto Sans CJK JP"},
    {u"MS PMincho", "Noto Serif CJK JP"},   {u"MS Mincho", "Noto Serif CJK JP"},
    {u"MS PGothic", "Noto Sans CJK JP"},    {u"MS Gothic", "Noto Sans CJK JP"},
    {u"MS UI Gothic", "Noto Sans CJK JP"},  {u"Meiryo", "Noto Sans CJK JP"},
};

}  // namespace

QString SubstituteFace(const std::u16string& name) {
  for (const Substitution& s : kTable)
    if (name == s.from) return QString::fromLatin1(s.to);
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

#include "editor/picture_edit/file_rules/save_names.h"

#include <algorithm>
#include <cmath>

#include "editor/picture_edit/file_rules/file_types.h"

namespace ruvel::file_rules {
namespace {

// A whole run of ASCII digits read as a number; nullopt for anything else
// or for a value that does not fit.
std::optional<qint64> DigitsValue(const QString& text) {
  if (text.isEmpty() || text.size() > 15) return std::nullopt;
  qint64 value = 0;
  for (QChar c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c.unicode() - '0');
  }
  return value;
}

}  // namespace

SaveName ResolveSaveName(const QString& target, QString* save_extension, bool dialog) {
  SaveName out;
  const QString ext = ExtensionOf(target);
  if (!ext.isEmpty()) {
    out.target = WithoutExtension(target) + "." + ext.toLower();
    out.extension = ext.toLower();
    *save_extension = out.extension;
    return out;
  }
  if (save_extension->isEmpty()) *save_extension = dialog ? "jpg" : "bmp";
  QString base = target;
  // "photo." has an empty extension: drop the dot rather than write "photo..bmp".
  if (base.endsWith('.') && WithoutExtension(base) != base) base.chop(1);
  out.extension = save_extension->toLower();
  out.target = base + "." + out.extension;
  out.extension_defaulted = true;
  return out;
}

QString SaveFolderOf(const QString& target) {
  const qsizetype slash = target.lastIndexOf('/');
  if (slash < 0) return QString();
  if (slash == 0) return "/";
  return target.left(slash);
}

std::optional<QString> NextCopyName(const QString& current_file,
                                    const std::function<bool(const QString&)>& exists) {
  const QString ext = ExtensionOf(current_file).toLower();
  QString base = WithoutExtension(current_file);
  if (base == current_file) return std::nullopt;  // no "." in the file name

  qint64 n = 0;
  const qsizetype slash = base.lastIndexOf('/');
  const qsizetype tilde = base.lastIndexOf('~');
  if (tilde > slash) {
    n = DigitsValue(base.mid(tilde + 1)).value_or(0);
    base.truncate(tilde);
  }
  for (;;) {
    ++n;
    const QString candidate =
        base + "~" + QString::number(n).rightJustified(2, '0') + "." + ext;
    if (!exists(candidate)) return candidate;
    if (n > 99) return std::nullopt;
  }
}

int NextSaveNumber(const QStringList& bmp_file_names) {
  if (bmp_file_names.isEmpty()) return 0;
  qint64 largest = 0;
  for (const QString& name : bmp_file_names) {
    const QString stem = WithoutExtension(name.mid(name.lastIndexOf('/') + 1));
    const qint64 v = DigitsValue(stem).value_or(0);
    // Names too large for the counter are not numbers the editor wrote.
    if (v < 0x7ffffffe) largest = std::max(largest, v);
  }
  return static_cast<int>(largest + 1);
}

QString NumberedSavePath(const QString& user_data_folder, int number) {
  return user_data_folder + "Temp/" + QString::number(number).rightJustified(5, '0') + ".bmp";
}

std::optional<int> ParseJpegQualityAnswer(const QString& answer) {
  const QString t = answer.trimmed();
  qsizetype i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  double value = 0;
  bool digits = false;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
    value = std::min(value * 10 + (t[i++].unicode() - '0'), 1e9);
    digits = true;
  }
  if (i < t.size() && t[i] == '.') {
    double scale = 0.1;
    for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, scale /= 10) {
      value += (t[i].unicode() - '0') * scale;
      digits = true;
    }
  }
  if (!digits) return std::nullopt;
  const long rounded = std::lround(negative ? -value : value);
  if (rounded == 0) return std::nullopt;
  return static_cast<int>(std::clamp<long>(rounded, 20, 100));
}

}  // namespace ruvel::file_rules

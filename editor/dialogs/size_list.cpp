#include "editor/dialogs/size_list.h"

namespace ruvel {

SizeEntry ParseSizeEntry(const QString& entry) {
  const QStringList f = entry.split(',');
  SizeEntry e;
  e.name = f.value(0);
  e.width = f.value(1);
  e.height = f.value(2);
  e.unit = f.value(3).toLower();
  if (e.unit != "cm") e.unit = "px";
  return e;
}

QString ShownSizeEntry(const QString& entry) {
  const SizeEntry e = ParseSizeEntry(entry);
  return e.name + "(" + e.width + "*" + e.height + " " + e.unit + ")";
}

QString SizeNumberText(double value) {
  // Fifteen significant digits, as the list has always been written: a
  // scaled 29.7 stays "29.7", not "29.700000000000003".
  return QString::number(value, 'g', 15);
}

QStringList SizeListEntries(const QString& ranges, int32_t width, int32_t height) {
  QString list = ranges;
  const QString temporary = QStringLiteral("Temporary");
  if (!list.contains(temporary + ",")) {
    list = temporary + "," + QString::number(width) + "," + QString::number(height) + ",px:" + list;
  }
  return list.split(':', Qt::SkipEmptyParts);
}

bool UsableEntryName(const QString& name) {
  return !name.isEmpty() && !name.contains(':') && !name.contains(',');
}

}  // namespace ruvel

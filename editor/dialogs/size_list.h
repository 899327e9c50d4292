// File: editor/dialogs/size_list.h
//
// The registered selection sizes as text: ":"-separated entries of four
// ","-separated fields "name,width,height,unit" (unit "px" or "cm"), as
// the settings store them ("PC_RNG") and the selection size dialog edits
// them.
//
//   QStringList entries = SizeListEntries(stored, 640, 480);
//   QString shown = ShownSizeEntry(entries[0]);   // "Temporary(640*480 px)"
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace ruvel {

// One entry split into its fields (fields after the fourth ignored, the
// unit lower-cased, any unit other than "cm" read as "px"; missing fields
// are "").
struct SizeEntry {
  QString name;
  QString width;
  QString height;
  QString unit;
};
SizeEntry ParseSizeEntry(const QString& entry);
// ShownSizeEntry(): name + "(" + width + "*" + height + " " + unit + ")".
QString ShownSizeEntry(const QString& entry);
// SizeNumberText(): a number as the list stores it ("640", "29.7", "10.5").
QString SizeNumberText(double value);
// SizeListEntries(): the non-empty entries of a stored list, with a
// "Temporary" entry of the given pixel size put first unless the list
// already holds one.
QStringList SizeListEntries(const QString& ranges, int32_t width, int32_t height);
// UsableEntryName(): a name that keeps the list readable (not empty, no
// ":" or ",").
bool UsableEntryName(const QString& name);

}  // namespace ruvel

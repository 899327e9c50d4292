// The registered selection sizes ("PC_RNG" in User.xml) as the selection
// size dialog reads them: any text splits into entries that show and
// rebuild without empty entries, and the list keeps its "Temporary" entry.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "editor/dialogs/size_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QStringList entries = ruvel::SizeListEntries(text, 640, 480);
  if (entries.isEmpty() || !entries.join(':').contains(QStringLiteral("Temporary,"))) std::abort();
  for (const QString& e : entries) {
    if (e.isEmpty()) std::abort();
    const ruvel::SizeEntry parsed = ruvel::ParseSizeEntry(e);
    if (parsed.unit != QStringLiteral("px") && parsed.unit != QStringLiteral("cm")) std::abort();
    (void)ruvel::ShownSizeEntry(e);
    (void)ruvel::UsableEntryName(parsed.name);
  }
  return 0;
}

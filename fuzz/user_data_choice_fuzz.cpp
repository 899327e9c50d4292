// libFuzzer target: the user-data folder choice from the bytes of
// "UserData.ini".
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "editor/shell/user_data_choice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const ruvel::ChoiceText text = ruvel::FolderChoiceFromBytes(bytes);
  if (text.state != ruvel::ChoiceFile::kRead) return 0;
  const ruvel::FolderChoice choice =
      ruvel::ChooseUserDataFolder(text.text, {QStringLiteral("/opt/ruvel/"), QStringLiteral("/home/u/.local/share/Osmund/ruvel/"),
                                              QStringLiteral("/home/u/Documents/Osmund/ruvel/")});
  // Whatever the text, the choice is a folder path ending in "/".
  if (!choice.folder.endsWith(QLatin1Char('/'))) __builtin_trap();
  return 0;
}

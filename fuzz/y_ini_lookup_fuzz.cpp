// libFuzzer target: the settings object over a hand-broken "User.xml".  The
// bytes are the file; every group and key the editor reads is looked up,
// each group is changed and written back, and the document is saved and
// read again.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>

#include "editor/shell/y_ini.h"
#include "platform/prompt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Damage messages are answered without a window.
  static platform::ScriptedPrompt prompt;
  static const bool installed = (platform::SetPrompt(&prompt), true);
  (void)installed;
  prompt.Clear();
  static const QString path =
      QDir::tempPath() + QStringLiteral("/y_ini_lookup_fuzz_%1.xml").arg(QCoreApplication::applicationPid());
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  }
  ruvel::yIni ini;
  (void)ini.GetTxt(path);
  const char* screen_keys[] = {"LEFT", "TOP", "WIDTH", "HEIGHT", "STAMP", "PC_PATH", "PC_EXE1", "PC_RNG"};
  ini.GetGtx(QStringLiteral("画面"));
  for (const char* key : screen_keys) {
    (void)ini.vGtVal(QString::fromLatin1(key), 0);
    (void)ini.vGtVal(QString::fromLatin1(key), QString());
    (void)ini.vGtVal(QString::fromLatin1(key), true);
  }
  ini.SetVal(QStringLiteral("LEFT"), 1440);
  ini.SetVal(QStringLiteral("PC_RNG"), QStringLiteral("名刺,9.1,5.5,cm"));
  ini.SetGtx();
  ini.GetGtx(QStringLiteral("設定"));
  (void)ini.vGtVal(QStringLiteral("JPG品質"), 85);
  (void)ini.vGtVal(QStringLiteral("削除前"), QStringLiteral("確認有"));
  ini.SetVal(QStringLiteral("DISP"), QStringLiteral("ｽｹｰﾙ"));
  ini.SetGtx();
  (void)ini.SetTxt();
  ruvel::yIni again;
  (void)again.GetTxt(path);
  again.GetGtx(QStringLiteral("画面"));
  (void)again.vGtVal(QStringLiteral("LEFT"), 0);
  return 0;
}

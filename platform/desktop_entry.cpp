// File: platform/desktop_entry.cpp
#include "platform/desktop_entry.h"

#include <QFile>
#include <QSaveFile>

namespace platform {
namespace {

// Value escapes of the desktop entry format for string values.
QString EscapeValue(QString value) {
  value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
  value.replace(QLatin1Char('\n'), QLatin1String("\\n"));
  value.replace(QLatin1Char('\r'), QLatin1String("\\r"));
  value.replace(QLatin1Char('\t'), QLatin1String("\\t"));
  return value;
}

}  // namespace

DesktopEntry DesktopEntry::Application(const QString& name, const QString& program,
                                       const QStringList& mime_types) {
  DesktopEntry e;
  e.type = Type::kApplication;
  e.name = name;
  e.program = program;
  e.mime_types = mime_types;
  return e;
}

DesktopEntry DesktopEntry::Link(const QString& name, const QString& url) {
  DesktopEntry e;
  e.type = Type::kLink;
  e.name = name;
  e.url = url;
  return e;
}

QString QuoteExecArgument(const QString& argument) {
  static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  QString out = argument;
  out.replace(QLatin1Char('%'), QLatin1String("%%"));
  bool needs_quotes = out.isEmpty();
  for (QChar c : out) needs_quotes = needs_quotes || kReserved.contains(c);
  if (!needs_quotes) return out;
  QString quoted = QStringLiteral("\"");
  for (QChar c : out) {
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
        c == QLatin1Char('\\'))
      quoted += QLatin1Char('\\');
    quoted += c;
  }
  quoted += QLatin1Char('"');
  return quoted;
}

QByteArray FormatDesktopEntry(const DesktopEntry& entry) {
  QString text = QStringLiteral("[Desktop Entry]\n");
  if (entry.type == DesktopEntry::Type::kApplication) {
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=") + EscapeValue(entry.name) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + EscapeValue(QuoteExecArgument(entry.program)) +
            QStringLiteral(" %f\n");
    if (!entry.mime_types.isEmpty())
      text += QStringLiteral("MimeType=") + entry.mime_types.join(QLatin1Char(';')) +
              QStringLiteral(";\n");
    text += QStringLiteral("Terminal=false\n");
  } else {
    text += QStringLiteral("Type=Link\n");
    text += QStringLiteral("Name=") + EscapeValue(entry.name) + QLatin1Char('\n');
    text += QStringLiteral("URL=") + EscapeValue(entry.url) + QLatin1Char('\n');
  }
  return text.toUtf8();
}

bool WriteDesktopEntry(const QString& path, const DesktopEntry& entry) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray content = FormatDesktopEntry(entry);
  if (file.write(content) != content.size()) {
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) return false;
  // Launchers are expected to be executable by their owner.
  QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
  return true;
}

QStringList PictureMimeTypes() {
  return {QStringLiteral("image/bmp"),     QStringLiteral("image/jpeg"),
          QStringLiteral("image/png"),     QStringLiteral("image/gif"),
          QStringLiteral("image/tiff"),    QStringLiteral("image/vnd.zbrush.pcx"),
          QStringLiteral("image/jp2"),     QStringLiteral("image/vnd.fpx"),
          QStringLiteral("image/svg+xml"), QStringLiteral("image/wmf"),
          QStringLiteral("image/emf"),     QStringLiteral("image/vnd.dxf")};
}

}  // namespace platform

// File: platform/desktop_entry.h
//
// freedesktop.org ".desktop" files, the shortcuts of the suite: an
// Application entry starts a program with the file it is given, a Link
// entry points at a URL.  Files are written atomically.
//
//   platform::DesktopEntry e = platform::DesktopEntry::Application(
//       "ruvel", "/opt/ruvel/ruvel", {"image/png", "image/jpeg"});
//   if (!platform::WriteDesktopEntry(folder + "/ruvel.desktop", e)) ...;
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

struct DesktopEntry {
  enum class Type { kApplication, kLink };
  Type type = Type::kApplication;
  QString name;
  QString program;         // Application: the executable
  QStringList mime_types;  // Application: types it opens
  QString url;             // Link: the target

  static DesktopEntry Application(const QString& name, const QString& program,
                                  const QStringList& mime_types);
  static DesktopEntry Link(const QString& name, const QString& url);
};

// QuoteExecArgument(): one argument of an Exec line, quoted when it holds
// characters the Exec grammar reserves.  "%" is doubled.
QString QuoteExecArgument(const QString& argument);

// FormatDesktopEntry(): the file content, UTF-8, LF line ends.  An
// application entry runs "<program> %f".
QByteArray FormatDesktopEntry(const DesktopEntry& entry);

// WriteDesktopEntry(): writes (or replaces) the file atomically; false when
// the folder is missing or not writable (an old file stays as it was).
[[nodiscard]] bool WriteDesktopEntry(const QString& path, const DesktopEntry& entry);

// The picture types the editor offers to open.
QStringList PictureMimeTypes();

}  // namespace platform

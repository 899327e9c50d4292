// File: platform/file_url.h
//
// The file a dropped or pasted URL names on this machine.  A file URL names
// a local file when its host is empty or "localhost"; QUrl::toLocalFile()
// turns any host, "localhost" included, into a network path
// ("//localhost/...") that names nothing here.
//
//   LocalFilePath(QUrl("file://localhost/tmp/a%20b.png"))  // "/tmp/a b.png"
//   LocalFilePath(QUrl("file://server/share/a.png"))       // ""
#pragma once

#include <QString>
#include <QUrl>

namespace platform {

// LocalFilePath(): the absolute path, or "" for a URL of another scheme or
// host.
QString LocalFilePath(const QUrl& url);

}  // namespace platform

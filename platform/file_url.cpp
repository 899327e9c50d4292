#include "platform/file_url.h"

namespace platform {

QString LocalFilePath(const QUrl& url) {
  if (!url.isLocalFile()) return {};
  const QString host = url.host();
  if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0) return {};
  const QString path = url.path(QUrl::FullyDecoded);
  if (!path.startsWith(QLatin1Char('/'))) return {};
  return path;
}

}  // namespace platform

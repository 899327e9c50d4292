#include "editor/picture_edit/file_rules/file_types.h"

#include <QStringList>

namespace ruvel::file_rules {
namespace {

// Index of the "." that starts the extension, -1 when the file name has none.
qsizetype ExtensionDot(const QString& path) {
  const qsizetype slash = path.lastIndexOf('/');
  const qsizetype dot = path.lastIndexOf('.');
  return dot > slash ? dot : -1;
}

}  // namespace

QString ExtensionOf(const QString& path) {
  const qsizetype dot = ExtensionDot(path);
  return dot < 0 ? QString() : path.mid(dot + 1);
}

QString WithoutExtension(const QString& path) {
  const qsizetype dot = ExtensionDot(path);
  return dot < 0 ? path : path.left(dot);
}

int FileTypeCode(const QString& extension) {
  const QString e = extension.toLower();
  if (e == "bmp") return 1;
  if (e == "jpg" || e == "jpeg") return 2;
  if (e == "gif") return 4;
  if (e == "tif" || e == "tiff") return 5;
  if (e == "png") return 12;
  if (e == "fpx") return 13;
  if (e == "pcx") return 16;
  if (e == "jp2") return 21;
  if (e == "j2k" || e == "jpc") return 22;
  return 0;
}

QString ExtensionForTypeCode(int type_code) {
  switch (type_code) {
    case 0:
    case 1: return "bmp";
    case 2: return "jpg";
    case 4: return "gif";
    case 5: return "tif";
    case 12: return "png";
    case 13: return "fpx";
    case 16: return "pcx";
    case 21: return "jp2";
    case 22: return "j2k";
    default: return QString();
  }
}

bool InExtensionList(const QString& extension, const QString& list) {
  if (extension.isEmpty()) return false;
  const QStringList entries = list.split(';', Qt::SkipEmptyParts);
  return entries.contains(extension, Qt::CaseInsensitive);
}

bool IsVectorFile(const QString& path) {
  return InExtensionList(ExtensionOf(path), kVectorExtensions);
}

bool AcceptsDroppedFile(const QString& path, const QString& extension_list) {
  return InExtensionList(ExtensionOf(path), extension_list);
}

int DepthCodeOf(int bit_count, bool is_gray) {
  return (is_gray && (bit_count == 4 || bit_count == 8)) ? bit_count * 10 : bit_count;
}

int ParseDepthCode(const QString& text) {
  QString t = text;
  while (t.endsWith('.')) t.chop(1);
  bool ok = false;
  const int code = t.toInt(&ok);
  return ok && code > 0 ? code : 0;
}

QString AcceptedDepthCodes(const QString& extension) {
  const QString e = extension.toLower();
  if (e == "jpg" || e == "jpeg" || e == "fpx") return ".80.24.";
  if (e == "png" || e == "pcx") return ".1.4.40.8.80.24.";
  if (e == "gif") return ".1.4.40.8.80.";
  return QString();
}

std::optional<int> SaveDepthConversion(const QString& extension, int depth_code) {
  const QString accepted = AcceptedDepthCodes(extension);
  if (accepted.isEmpty()) return std::nullopt;
  if (accepted.contains("." + QString::number(depth_code) + ".")) return std::nullopt;
  return extension.compare("gif", Qt::CaseInsensitive) == 0 ? 8 : 24;
}

bool UsesJpegQuality(const QString& extension) {
  const QString e = extension.toLower();
  return e == "jpg" || e == "jpeg" || e == "fpx";
}

}  // namespace ruvel::file_rules

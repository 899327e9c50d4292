// File: platform/clipboard.cpp
#include "platform/clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace platform {
namespace {

struct VectorType {
  const char* mime;
  const char* format;
};
constexpr VectorType kVectorTypes[] = {
    {"image/svg+xml", "svg"}, {"image/x-emf", "emf"}, {"image/emf", "emf"},
    {"image/x-wmf", "wmf"},   {"image/wmf", "wmf"},
};

const QMimeData* Content() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard ? clipboard->mimeData() : nullptr;
}

}  // namespace

bool PutImageOnClipboard(const QImage& image) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard || image.isNull()) return false;
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
  auto* mime = new QMimeData;
  mime->setImageData(image);
  mime->setData(QStringLiteral("image/png"), png);
  clipboard->setMimeData(mime);
  return true;
}

bool PutTextOnClipboard(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return false;
  clipboard->setText(text);
  return true;
}

void ClearClipboard() {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->clear();
}

ClipboardKind ClipboardHolds() {
  const QMimeData* mime = Content();
  if (!mime) return ClipboardKind::kNone;
  if (mime->hasImage()) return ClipboardKind::kImage;
  for (const VectorType& t : kVectorTypes) {
    if (mime->hasFormat(QString::fromLatin1(t.mime))) return ClipboardKind::kVector;
  }
  return ClipboardKind::kNone;
}

QImage ClipboardImage() {
  const QMimeData* mime = Content();
  if (!mime || !mime->hasImage()) return QImage();
  return qvariant_cast<QImage>(mime->imageData());
}

QByteArray ClipboardVector(QString* format) {
  const QMimeData* mime = Content();
  if (!mime) return QByteArray();
  for (const VectorType& t : kVectorTypes) {
    const QString type = QString::fromLatin1(t.mime);
    if (!mime->hasFormat(type)) continue;
    const QByteArray data = mime->data(type);
    if (data.isEmpty()) continue;
    if (format) *format = QString::fromLatin1(t.format);
    return data;
  }
  return QByteArray();
}

}  // namespace platform

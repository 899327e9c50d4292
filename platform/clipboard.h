// File: platform/clipboard.h
//
// The clipboard as the editor and the imaging control use it: pictures for
// other programs (PNG and Qt's own image format), vector pictures (SVG and
// EMF data), and plain text.
//
//   platform::PutImageOnClipboard(picture);           // other programs can paste it
//   if (platform::ClipboardHolds() == platform::ClipboardKind::kImage)
//     QImage pasted = platform::ClipboardImage();
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace platform {

enum class ClipboardKind {
  kNone,    // nothing the editor can use (empty, text, ...)
  kImage,   // a raster picture
  kVector,  // vector data only (SVG, EMF or WMF)
};

// PutImageOnClipboard(): replaces the clipboard's content with the picture,
// offered as "image/png" and "application/x-qt-image".  False for a null
// image or without a clipboard.
bool PutImageOnClipboard(const QImage& image);
// PutTextOnClipboard(): replaces the content with plain text.
bool PutTextOnClipboard(const QString& text);
void ClearClipboard();

// ClipboardHolds(): a raster picture wins over vector data.
ClipboardKind ClipboardHolds();
// ClipboardImage(): the raster picture, null when there is none.
QImage ClipboardImage();
// ClipboardVector(): the vector data and its lower-case type ("svg",
// "emf", "wmf"); empty when there is none.
QByteArray ClipboardVector(QString* format);

}  // namespace platform

// File: editor/picture_edit/vector_open.h
//
// Vector pictures coming into the editing control: where the vector
// viewer's window goes, and which clipboard data is a vector picture.
//
//   QByteArray data; QString format;
//   if (ruvel::ClipboardVectorData(*QGuiApplication::clipboard()->mimeData(), &data, &format))
//     control.PasteVectorPicture(data, format);
#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

class QMimeData;

namespace ruvel {

// The clipboard's vector formats, in the order they are preferred.
inline const QString kSvgMime = QStringLiteral("image/svg+xml");
inline const QString kEmfMime = QStringLiteral("image/x-emf");

// ClipboardVectorData(): the first vector format the clipboard offers (SVG,
// then EMF), with its lower-case type "svg" or "emf".  False when none.
bool ClipboardVectorData(const QMimeData& mime, QByteArray* data, QString* format);

// CentredGeometry(): a window of `size` centred on `main` (screen pixels).
QRect CentredGeometry(const QRect& main, const QSize& size);

// ThirdOfScreen(): `size` scaled up or down, aspect kept, so that its
// larger side relative to the screen is a third of the screen.
QSize ThirdOfScreen(const QSize& size, const QSize& screen);

}  // namespace ruvel

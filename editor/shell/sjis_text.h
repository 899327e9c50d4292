// File: editor/shell/sjis_text.h
//
// Shift-JIS (code page 932) text for the user-environment file, through
// glibc iconv.  Decoding never loses bytes: a byte that is not part of a
// valid character is kept as the lone surrogate U+DC00 + byte and encoding
// writes it back unchanged, so a damaged or foreign file survives a
// read/write round trip byte for byte.
//
//   DecodedText d = DecodeShiftJis(bytes);   // d.undecodable_bytes > 0: damaged
//   EncodedText e = EncodeShiftJis(d.text);  // e.bytes == bytes
#pragma once

#include <QByteArray>
#include <QString>

namespace ruvel {

struct DecodedText {
  QString text;
  int undecodable_bytes = 0;
};

struct EncodedText {
  QByteArray bytes;
  // Characters Shift-JIS cannot express; each was written as "?".
  int unencodable_chars = 0;
};

DecodedText DecodeShiftJis(const QByteArray& bytes);
EncodedText EncodeShiftJis(const QString& text);

}  // namespace ruvel

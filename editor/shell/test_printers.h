// File: editor/shell/test_printers.h
//
// Readable QString values in GoogleTest failure messages.
#pragma once

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
  QString shown = text;
  shown.replace("\r", "\\r").replace("\n", "\\n");
  *os << '"' << shown.toStdString() << '"';
}

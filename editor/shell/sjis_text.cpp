// File: editor/shell/sjis_text.cpp
#include "editor/shell/sjis_text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace ruvel {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscape(char16_t c) { return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF; }

// Length of the UTF-8 sequence that starts with lead.
int Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of [*in, *in + *left) as it can, appending to out.
  // Returns 0 when all was converted, else the errno that stopped it.
  int Run(char** in, size_t* left, QByteArray* out) {
    std::vector<char> buffer(4096);
    while (*left > 0) {
      char* dst = buffer.data();
      size_t room = buffer.size();
      const size_t r = iconv(cd_, in, left, &dst, &room);
      out->append(buffer.data(), static_cast<qsizetype>(dst - buffer.data()));
      if (r != static_cast<size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      return errno;
    }
    return 0;
  }

 private:
  iconv_t cd_;
};

}  // namespace

DecodedText DecodeShiftJis(const QByteArray& bytes) {
  DecodedText result;
  Converter conv("UTF-8", "CP932");
  if (!conv.ok()) {
    // No converter: keep every non-ASCII byte as an escape rather than guess.
    for (char ch : bytes) {
      const auto b = static_cast<unsigned char>(ch);
      if (b < 0x80) {
        result.text += QChar(b);
      } else {
        result.text += QChar(static_cast<char16_t>(kEscapeBase + b));
        ++result.undecodable_bytes;
      }
    }
    return result;
  }
  QByteArray data = bytes;
  char* in = data.data();
  size_t left = static_cast<size_t>(data.size());
  while (left > 0) {
    QByteArray utf8;
    const int err = conv.Run(&in, &left, &utf8);
    result.text += QString::fromUtf8(utf8);
    if (err == 0) break;
    // EILSEQ or EINVAL (a lead byte cut off at the end): keep the byte.
    const auto b = static_cast<unsigned char>(*in);
    result.text += QChar(static_cast<char16_t>(kEscapeBase + b));
    ++result.undecodable_bytes;
    ++in;
    --left;
  }
  return result;
}

EncodedText EncodeShiftJis(const QString& text) {
  EncodedText result;
  Converter conv("CP932", "UTF-8");
  auto flush = [&](const QString& run) {
    if (run.isEmpty()) return;
    QByteArray utf8 = run.toUtf8();
    if (!conv.ok()) {
      for (char ch : utf8) {
        if (static_cast<unsigned char>(ch) < 0x80) {
          result.bytes += ch;
        } else if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) {
          result.bytes += '?';
          ++result.unencodable_chars;
        }
      }
      return;
    }
    char* in = utf8.data();
    size_t left = static_cast<size_t>(utf8.size());
    while (left > 0) {
      if (conv.Run(&in, &left, &result.bytes) == 0) break;
      const size_t skip =
          std::min(left, static_cast<size_t>(Utf8Length(static_cast<unsigned char>(*in))));
      result.bytes += '?';
      ++result.unencodable_chars;
      in += skip;
      left -= skip;
    }
  };
  QString run;
  for (QChar c : text) {
    if (IsEscape(c.unicode())) {
      flush(run);
      run.clear();
      result.bytes += static_cast<char>(c.unicode() - kEscapeBase);
    } else {
      run += c;
    }
  }
  flush(run);
  return result;
}

}  // namespace ruvel

// File: editor/shell/y_ini_store.cpp
//
// The settings document of yIni: load, look up, splice, save.
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cmath>
#include <limits>
#include <optional>

#include "editor/shell/sjis_text.h"
#include "editor/shell/y_ini.h"
#include "platform/prompt.h"

namespace ruvel {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kRoot = QStringLiteral("運用");
const QString kHeader = QStringLiteral("<?xml version='1.0' encoding='Shift-JIS' ?>");
// Line breaks are first written as this character and turned into CR LF at
// the end of Build, together with any the content carried.
constexpr char16_t kBreak = 0x2021;

enum class BuildMode { kDocument, kGroup, kKey };

QString Build(BuildMode mode, const QString& name, const QString& content) {
  const QChar br(kBreak);
  QString out;
  switch (mode) {
    case BuildMode::kDocument:
      out = kHeader + br + "<" + name + ">" + content + "</" + name + ">";
      break;
    case BuildMode::kGroup:
      out = "   <" + name + ">" + br + content + "   </" + name + ">" + br;
      break;
    case BuildMode::kKey:
      out = "      <" + name + ">" + content + "</" + name + ">" + br;
      break;
  }
  out.replace(br, kCrLf);
  return out;
}

QString NewDocument() { return Build(BuildMode::kDocument, kRoot, kCrLf); }

// A file whose first line is empty counts as empty unless more than blank
// lines follow: that text is the user's and stays.
bool LooksEmpty(const QByteArray& bytes) {
  if (bytes.isEmpty()) return true;
  if (bytes.front() != '\r' && bytes.front() != '\n') return false;
  for (char c : bytes)
    if (c != '\r' && c != '\n' && c != ' ' && c != '\t') return false;
  return true;
}

std::optional<bool> ParseBoolean(const QString& text) {
  const QString t = text.trimmed();
  if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
      t.compare(QLatin1String("#true#"), Qt::CaseInsensitive) == 0)
    return true;
  if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
      t.compare(QLatin1String("#false#"), Qt::CaseInsensitive) == 0)
    return false;
  bool is_number = false;
  const double v = t.toDouble(&is_number);
  if (is_number) return v != 0.0;
  return std::nullopt;
}

QVariant ParseDate(const QString& text, const QVariant& fallback) {
  const QString t = text.trimmed();
  const bool wants_time = fallback.typeId() == QMetaType::QDateTime;
  for (const char* format : {"yyyy/MM/dd HH:mm:ss", "yyyy/MM/dd H:mm:ss"}) {
    const QDateTime dt = QDateTime::fromString(t, QLatin1String(format));
    if (dt.isValid()) return wants_time ? QVariant(dt) : QVariant(dt.date());
  }
  const QDate d = QDate::fromString(t, QStringLiteral("yyyy/MM/dd"));
  if (d.isValid()) return wants_time ? QVariant(QDateTime(d, QTime(0, 0))) : QVariant(d);
  const QDateTime iso = QDateTime::fromString(t, Qt::ISODate);
  if (iso.isValid()) return wants_time ? QVariant(iso) : QVariant(iso.date());
  return fallback;
}

}  // namespace

double LeadingNumber(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                             text[i] == '\r'))
    ++i;
  const qsizetype begin = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const qsizetype digits_begin = i;
  while (i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80) ++i;
  bool any = i > digits_begin;
  if (i < text.size() && text[i] == '.') {
    ++i;
    const qsizetype frac = i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80) ++i;
    any = any || i > frac;
  }
  if (!any) return 0.0;
  qsizetype end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    qsizetype j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const qsizetype exp_digits = j;
    while (j < text.size() && text[j].isDigit() && text[j].unicode() < 0x80) ++j;
    if (j > exp_digits) end = j;
  }
  bool ok = false;
  const double v = text.mid(begin, end - begin).toDouble(&ok);
  return ok && std::isfinite(v) ? v : 0.0;
}

int32_t ToLong(double value) {
  if (!std::isfinite(value)) return 0;
  const double r = std::nearbyint(value);  // the default mode rounds half to even
  if (r >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (r <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

QString ValueText(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Bool:
      return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float: {
      const double v = value.toDouble();
      if (std::trunc(v) == v && std::fabs(v) < 1e15) return QString::number(v, 'f', 0);
      return QString::number(v, 'g', 15);
    }
    case QMetaType::QDate:
      return value.toDate().toString(QStringLiteral("yyyy/MM/dd"));
    case QMetaType::QDateTime:
      return value.toDateTime().toString(QStringLiteral("yyyy/MM/dd H:mm:ss"));
    default:
      return value.toString();
  }
}

bool yIni::GetTxt(const QString& file) {
  text_.clear();
  undecodable_bytes_ = 0;
  file_path_ = file;
  const qsizetype dv = file_path_.indexOf(QLatin1String("_DV.xml"), 0, Qt::CaseInsensitive);
  if (dv >= 0) file_path_.replace(dv, 7, QStringLiteral(".xml"));

  bool ok = true;
  QFile f(file_path_);
  if (QFileInfo::exists(file_path_)) {
    if (f.open(QIODevice::ReadOnly)) {
      const QByteArray bytes = f.readAll();
      if (f.error() != QFileDevice::NoError) {
        ok = false;
      } else if (!LooksEmpty(bytes)) {
        DecodedText decoded = DecodeShiftJis(bytes);
        text_ = decoded.text;
        undecodable_bytes_ = decoded.undecodable_bytes;
      }
    } else {
      ok = false;
    }
  } else if (!f.open(QIODevice::WriteOnly)) {
    ok = false;
  }
  if (text_.isEmpty()) text_ = NewDocument();
  return ok;
}

QString yIni::Find(const QString& source, const QString& name, bool group_mode) {
  if (source.isEmpty()) return QString();
  const qsizetype s = source.indexOf("<" + name + ">");
  const qsizetype e = source.indexOf("</" + name + ">");
  if (s < 0 && e < 0) return QString();
  if (s >= 0 && e >= 0 && e >= s) {
    const qsizetype c = s + name.size() + 2;
    if (!group_mode) return e > c ? source.mid(c, e - c) : QString();
    // Drop the CR LF after the opening tag and CR LF + 3 spaces before the
    // closing tag.  A group written without them (tags side by side) has no
    // room for a body and reads as empty.
    const qsizetype length = e - c - 5;
    return length > 0 ? source.mid(c + 2, length) : QString();
  }
  platform::ShowMessage("<" + name + QStringLiteral("> の設定が読み込めません") + "\r" +
                        QStringLiteral("ﾕｰｻﾞｰ環境ﾌｧｲﾙ(") + file_path_ +
                        QStringLiteral(") が破損しています"));
  return QString();
}

void yIni::GetGtx(const QString& group) {
  group_ = group;
  body_ = Find(text_, group, true);
}

QVariant yIni::vGtVal(const QString& key, const QVariant& fallback) {
  const int type = fallback.typeId();
  if (type == QMetaType::QDate || type == QMetaType::QDateTime) {
    return ParseDate(Find(body_, key, false), fallback);
  }
  const QString v = Find(body_, key, false);
  if (type == QMetaType::QString || !fallback.isValid()) {
    return v.isEmpty() ? fallback : QVariant(v);
  }
  if (type == QMetaType::Bool) {
    if (v.isEmpty()) return fallback;
    const std::optional<bool> b = ParseBoolean(v);
    return b ? QVariant(*b) : QVariant();
  }
  if (v.isEmpty()) return fallback;
  return QVariant(LeadingNumber(v));
}

void yIni::SetVal(const QString& key, const QVariant& value) {
  const QString text = ValueText(value);
  const qsizetype s = body_.indexOf("<" + key + ">");
  qsizetype e = -1;
  if (s >= 0) e = body_.indexOf("</" + key + ">", s + key.size() + 2);
  if (e >= 0) {
    body_ = body_.left(s + key.size() + 2) + text + body_.mid(e);
  } else {
    body_ += Build(BuildMode::kKey, key, text);
  }
}

void yIni::SetGtx() {
  if (text_.isEmpty()) text_ = NewDocument();
  const qsizetype s = text_.indexOf("<" + group_ + ">");
  qsizetype e = -1;
  const qsizetype after_tag = s + group_.size() + 2;
  // The closing tag is looked for right after the opening one, so a group
  // written by hand with both tags side by side is found and laid out anew
  // (instead of being followed by a second group of the same name that the
  // next start could not see).
  if (s >= 0) e = text_.indexOf("</" + group_ + ">", after_tag);
  if (e >= 0) {
    if (text_.mid(after_tag, 2) == kCrLf) {
      text_ = text_.left(after_tag + 2) + body_ + "   " + text_.mid(e);
    } else {
      // Written by hand without the line break after the opening tag: lay
      // the group out afresh instead of cutting into its closing tag.
      text_ = text_.left(after_tag) + kCrLf + body_ + "   " + text_.mid(e);
    }
    return;
  }
  const QString group = Build(BuildMode::kGroup, group_, body_);
  const qsizetype r = text_.indexOf("</" + kRoot + ">");
  if (r < 0) {
    // No closing root tag (a truncated file): the group goes at the end, so
    // the next start finds it.
    text_ += group;
  } else {
    text_.insert(r, group);
  }
}

bool yIni::SetTxt() {
  if (file_path_.isEmpty()) return false;
  const EncodedText encoded = EncodeShiftJis(text_);
  unencodable_chars_ = encoded.unencodable_chars;
  QSaveFile file(file_path_);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(encoded.bytes) != encoded.bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace ruvel

#include "viewer_common/hosting/variant.h"

#include <QString>
#include <cmath>
#include <cstdio>
#include <limits>

namespace hosting {
namespace {

bool IsNumeric(VarType t) {
  return t == VarType::kBool || t == VarType::kI2 || t == VarType::kI4 || t == VarType::kColor ||
         t == VarType::kPicture;
}

// Parses decimal, "0x" hex, or the flag words; false when the text is no number.
bool ParseNumber(const std::u16string& text, double* out) {
  QString s = QString::fromStdU16String(text).trimmed();
  if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) { *out = -1; return true; }
  if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) { *out = 0; return true; }
  bool ok = false;
  if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    qulonglong v = s.mid(2).toULongLong(&ok, 16);
    if (ok) *out = static_cast<double>(v);
    return ok;
  }
  qlonglong v = s.toLongLong(&ok, 10);
  if (ok) { *out = static_cast<double>(v); return true; }
  double d = s.toDouble(&ok);
  if (ok) *out = d;
  return ok;
}

HRESULT FromNumber(double v, VarType target, Variant* out) {
  if (std::isnan(v)) return DISP_E_TYPEMISMATCH;
  auto in_range = [v](double lo, double hi) { return v >= lo && v <= hi; };
  switch (target) {
    case VarType::kBool: *out = Variant::Bool(v != 0); return S_OK;
    case VarType::kI2:
      if (!in_range(-32768, 32767)) return DISP_E_OVERFLOW;
      *out = Variant::I2(static_cast<int16_t>(std::lround(v)));
      return S_OK;
    case VarType::kI4:
      if (!in_range(-2147483648.0, 2147483647.0)) return DISP_E_OVERFLOW;
      *out = Variant::I4(static_cast<int32_t>(std::llround(v)));
      return S_OK;
    case VarType::kColor:
      // A colour may come as a negative 32-bit number (system colours).
      if (!in_range(-2147483648.0, 4294967295.0)) return DISP_E_OVERFLOW;
      *out = Variant::Color(static_cast<uint32_t>(static_cast<int64_t>(v)));
      return S_OK;
    case VarType::kPicture:
      if (v < 0) return DISP_E_OVERFLOW;
      *out = Variant::Picture(static_cast<uintptr_t>(v));
      return S_OK;
    case VarType::kR8: *out = Variant::R8(v); return S_OK;
    default: return DISP_E_TYPEMISMATCH;
  }
}

}  // namespace

const char* VarTypeName(VarType type) {
  switch (type) {
    case VarType::kEmpty: return "empty";
    case VarType::kI2: return "short";
    case VarType::kI4: return "long";
    case VarType::kR8: return "double";
    case VarType::kBstr: return "string";
    case VarType::kBool: return "bool";
    case VarType::kColor: return "colour";
    case VarType::kFont: return "font";
    case VarType::kPicture: return "picture";
  }
  return "?";
}

Variant Variant::Bool(bool v) { Variant r; r.type_ = VarType::kBool; r.int_ = v ? kVariantTrue : kVariantFalse; return r; }
Variant Variant::I2(int16_t v) { Variant r; r.type_ = VarType::kI2; r.int_ = v; return r; }
Variant Variant::I4(int32_t v) { Variant r; r.type_ = VarType::kI4; r.int_ = v; return r; }
Variant Variant::R8(double v) { Variant r; r.type_ = VarType::kR8; r.real_ = v; return r; }
Variant Variant::Bstr(std::u16string v) { Variant r; r.type_ = VarType::kBstr; r.text_ = std::move(v); return r; }
Variant Variant::Color(uint32_t v) { Variant r; r.type_ = VarType::kColor; r.int_ = v; return r; }
Variant Variant::Font(FontDesc v) {
  Variant r;
  r.type_ = VarType::kFont;
  r.font_ = std::make_shared<const FontDesc>(std::move(v));
  return r;
}
Variant Variant::Picture(uintptr_t handle) {
  Variant r;
  r.type_ = VarType::kPicture;
  r.int_ = static_cast<int64_t>(handle);
  return r;
}

HRESULT Variant::ChangeType(VarType target, Variant* out) const {
  if (!out) return E_POINTER;
  if (type_ == target) { *out = *this; return S_OK; }
  if (type_ == VarType::kEmpty) {
    switch (target) {
      case VarType::kBstr: *out = Bstr({}); return S_OK;
      case VarType::kFont: *out = Font({}); return S_OK;
      default: return FromNumber(0, target, out);
    }
  }
  if (target == VarType::kEmpty) { *out = Variant(); return S_OK; }
  if (target == VarType::kBstr) {
    if (type_ == VarType::kFont) { *out = Bstr(font_ ? font_->name : std::u16string()); return S_OK; }
    *out = Bstr(QString::fromStdString(ToDisplayString()).toStdU16String());
    return S_OK;
  }
  if (type_ == VarType::kFont || target == VarType::kFont) return DISP_E_TYPEMISMATCH;
  double v = 0;
  if (type_ == VarType::kBstr) {
    if (!ParseNumber(text_, &v)) return DISP_E_TYPEMISMATCH;
  } else if (type_ == VarType::kR8) {
    v = real_;
  } else if (IsNumeric(type_)) {
    v = static_cast<double>(int_);
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  return FromNumber(v, target, out);
}

bool Variant::AsBool() const { Variant v; return Succeeded(ChangeType(VarType::kBool, &v)) && v.int_ != 0; }
int16_t Variant::AsI2() const { Variant v; return Succeeded(ChangeType(VarType::kI2, &v)) ? static_cast<int16_t>(v.int_) : 0; }
int32_t Variant::AsI4() const { Variant v; return Succeeded(ChangeType(VarType::kI4, &v)) ? static_cast<int32_t>(v.int_) : 0; }
double Variant::AsR8() const { Variant v; return Succeeded(ChangeType(VarType::kR8, &v)) ? v.real_ : 0.0; }
std::u16string Variant::AsString() const { Variant v; return Succeeded(ChangeType(VarType::kBstr, &v)) ? v.text_ : std::u16string(); }
uint32_t Variant::AsColor() const { Variant v; return Succeeded(ChangeType(VarType::kColor, &v)) ? static_cast<uint32_t>(v.int_) : 0u; }
FontDesc Variant::AsFont() const { return type_ == VarType::kFont && font_ ? *font_ : FontDesc{}; }
uintptr_t Variant::AsPicture() const { Variant v; return Succeeded(ChangeType(VarType::kPicture, &v)) ? static_cast<uintptr_t>(v.int_) : 0u; }

std::string Variant::ToDisplayString() const {
  char buf[64];
  switch (type_) {
    case VarType::kEmpty: return {};
    case VarType::kBool:
    case VarType::kI2:
    case VarType::kI4: return std::to_string(int_);
    case VarType::kR8: std::snprintf(buf, sizeof buf, "%g", real_); return buf;
    case VarType::kBstr: return QString::fromStdU16String(text_).toStdString();
    case VarType::kColor:
      std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(int_));
      return buf;
    case VarType::kPicture: return std::to_string(static_cast<uint64_t>(int_));
    case VarType::kFont: {
      FontDesc f = AsFont();
      std::snprintf(buf, sizeof buf, " %gpt", f.size_points);
      return QString::fromStdU16String(f.name).toStdString() + buf;
    }
  }
  return {};
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.type_ != b.type_) return false;
  switch (a.type_) {
    case VarType::kEmpty: return true;
    case VarType::kR8: return a.real_ == b.real_;
    case VarType::kBstr: return a.text_ == b.text_;
    case VarType::kFont: return a.AsFont() == b.AsFont();
    default: return a.int_ == b.int_;
  }
}

}  // namespace hosting

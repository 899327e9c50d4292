// File: viewer_common/hosting/variant.h
//
// The value type carried by dispatch calls, events and property streams:
// empty, 16-bit flag (-1 true / 0 false), 16- and 32-bit integers, double,
// wide string, OLE colour, font and picture (an image handle).
//
//   hosting::Variant v = hosting::Variant::I2(5);
//   hosting::Variant s;
//   if (hosting::Succeeded(v.ChangeType(hosting::VarType::kBstr, &s)))
//     ... s.AsString() == u"5" ...
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "viewer_common/hosting/hresult.h"

namespace hosting {

// The numbers are kept in property streams: never renumber.
enum class VarType : uint16_t {
  kEmpty = 0,
  kI2 = 2,
  kI4 = 3,
  kR8 = 5,
  kBstr = 8,
  kBool = 11,
  kColor = 19,    // OLE_COLOR, 32-bit unsigned
  kFont = 0x40,
  kPicture = 0x41,  // image handle (MVHANDLE of libmv7com.so), 0 = none
};

const char* VarTypeName(VarType type);

// A font as a control's Font property holds it.
struct FontDesc {
  std::u16string name;
  double size_points = 9.0;
  int16_t weight = 400;
  int16_t charset = 0;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

inline constexpr int16_t kVariantTrue = -1;
inline constexpr int16_t kVariantFalse = 0;

class Variant {
 public:
  Variant() = default;
  static Variant Bool(bool v);
  static Variant I2(int16_t v);
  static Variant I4(int32_t v);
  static Variant R8(double v);
  static Variant Bstr(std::u16string v);
  static Variant Color(uint32_t v);
  static Variant Font(FontDesc v);
  static Variant Picture(uintptr_t handle);

  VarType type() const { return type_; }
  bool IsEmpty() const { return type_ == VarType::kEmpty; }

  // The As*() accessors convert like ChangeType() and give the type's zero
  // value when the conversion fails.
  bool AsBool() const;
  int16_t AsI2() const;
  int32_t AsI4() const;
  double AsR8() const;
  std::u16string AsString() const;
  uint32_t AsColor() const;
  FontDesc AsFont() const;
  uintptr_t AsPicture() const;

  // ChangeType() converts to `target`.  Numbers convert among themselves
  // with a range check (DISP_E_OVERFLOW); a flag becomes -1/0 and any
  // non-zero number is true; strings parse as decimal or "0x..." hex and
  // "True"/"False"; empty gives the zero value.  A font converts only to a
  // font or a string.  Anything else gives DISP_E_TYPEMISMATCH.
  [[nodiscard]] HRESULT ChangeType(VarType target, Variant* out) const;

  // ToDisplayString() is a short text for hosts and logs ("-1", "0x00FFFFFF",
  // "Arial 9pt").
  std::string ToDisplayString() const;

  friend bool operator==(const Variant& a, const Variant& b);

 private:
  VarType type_ = VarType::kEmpty;
  int64_t int_ = 0;     // bool, i2, i4, colour, picture
  double real_ = 0;
  std::u16string text_;
  std::shared_ptr<const FontDesc> font_;
};

}  // namespace hosting

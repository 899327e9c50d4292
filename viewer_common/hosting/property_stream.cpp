#include "viewer_common/hosting/property_stream.h"

#include <cstring>

namespace hosting {

void StreamWriter::U16(uint16_t v) {
  bytes_.push_back(static_cast<uint8_t>(v));
  bytes_.push_back(static_cast<uint8_t>(v >> 8));
}
void StreamWriter::U32(uint32_t v) {
  U16(static_cast<uint16_t>(v));
  U16(static_cast<uint16_t>(v >> 16));
}
void StreamWriter::U64(uint64_t v) {
  U32(static_cast<uint32_t>(v));
  U32(static_cast<uint32_t>(v >> 32));
}
void StreamWriter::Text(const std::u16string& s) {
  U32(static_cast<uint32_t>(s.size()));
  for (char16_t c : s) U16(static_cast<uint16_t>(c));
}

void StreamWriter::WriteHeader(int32_t extent_x, int32_t extent_y) {
  U32(kStreamMagic);
  U16(kStreamVersion);
  U16(0);
  U32(static_cast<uint32_t>(extent_x));
  U32(static_cast<uint32_t>(extent_y));
}

void StreamWriter::WriteEntry(DispId id, const Variant& value, const std::vector<uint8_t>& picture_bytes) {
  U32(static_cast<uint32_t>(id));
  U16(static_cast<uint16_t>(value.type()));
  switch (value.type()) {
    case VarType::kEmpty: break;
    case VarType::kBool:
    case VarType::kI2: U16(static_cast<uint16_t>(value.AsI2())); break;
    case VarType::kI4: U32(static_cast<uint32_t>(value.AsI4())); break;
    case VarType::kColor: U32(value.AsColor()); break;
    case VarType::kR8: {
      double d = value.AsR8();
      uint64_t bits;
      std::memcpy(&bits, &d, sizeof bits);
      U64(bits);
      break;
    }
    case VarType::kBstr: Text(value.AsString()); break;
    case VarType::kFont: {
      FontDesc f = value.AsFont();
      Text(f.name);
      uint64_t bits;
      std::memcpy(&bits, &f.size_points, sizeof bits);
      U64(bits);
      U16(static_cast<uint16_t>(f.weight));
      U16(static_cast<uint16_t>(f.charset));
      U16(static_cast<uint16_t>((f.italic ? 1 : 0) | (f.underline ? 2 : 0) | (f.strikethrough ? 4 : 0)));
      break;
    }
    case VarType::kPicture:
      U32(static_cast<uint32_t>(picture_bytes.size()));
      bytes_.insert(bytes_.end(), picture_bytes.begin(), picture_bytes.end());
      break;
  }
}

bool StreamReader::U16(uint16_t* v) {
  if (size_ - pos_ < 2) return false;
  *v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
  pos_ += 2;
  return true;
}
bool StreamReader::U32(uint32_t* v) {
  uint16_t lo = 0, hi = 0;
  if (size_ - pos_ < 4) return false;
  (void)U16(&lo);
  (void)U16(&hi);
  *v = lo | (static_cast<uint32_t>(hi) << 16);
  return true;
}
bool StreamReader::U64(uint64_t* v) {
  uint32_t lo = 0, hi = 0;
  if (size_ - pos_ < 8) return false;
  (void)U32(&lo);
  (void)U32(&hi);
  *v = lo | (static_cast<uint64_t>(hi) << 32);
  return true;
}
bool StreamReader::Text(std::u16string* s) {
  uint32_t n;
  if (!U32(&n) || n > kMaxStreamString || (size_ - pos_) / 2 < n) return false;
  s->resize(n);
  for (uint32_t i = 0; i < n; ++i) {
    uint16_t c = 0;
    (void)U16(&c);
    (*s)[i] = static_cast<char16_t>(c);
  }
  return true;
}

bool StreamReader::ReadHeader(int32_t* extent_x, int32_t* extent_y) {
  uint32_t magic, x, y;
  uint16_t version, reserved;
  if (!U32(&magic) || magic != kStreamMagic) return false;
  if (!U16(&version) || version != kStreamVersion || !U16(&reserved)) return false;
  if (!U32(&x) || !U32(&y)) return false;
  *extent_x = static_cast<int32_t>(x);
  *extent_y = static_cast<int32_t>(y);
  return true;
}

bool StreamReader::ReadEntry(DispId* id, Variant* value, const uint8_t** picture, size_t* picture_size) {
  uint32_t raw_id;
  uint16_t raw_type;
  if (!U32(&raw_id) || !U16(&raw_type)) return false;
  *id = static_cast<DispId>(raw_id);
  *picture = nullptr;
  *picture_size = 0;
  uint16_t u16;
  uint32_t u32;
  uint64_t u64;
  switch (static_cast<VarType>(raw_type)) {
    case VarType::kEmpty: *value = Variant(); return true;
    case VarType::kBool:
      if (!U16(&u16)) return false;
      *value = Variant::Bool(u16 != 0);
      return true;
    case VarType::kI2:
      if (!U16(&u16)) return false;
      *value = Variant::I2(static_cast<int16_t>(u16));
      return true;
    case VarType::kI4:
      if (!U32(&u32)) return false;
      *value = Variant::I4(static_cast<int32_t>(u32));
      return true;
    case VarType::kColor:
      if (!U32(&u32)) return false;
      *value = Variant::Color(u32);
      return true;
    case VarType::kR8: {
      if (!U64(&u64)) return false;
      double d;
      std::memcpy(&d, &u64, sizeof d);
      *value = Variant::R8(d);
      return true;
    }
    case VarType::kBstr: {
      std::u16string s;
      if (!Text(&s)) return false;
      *value = Variant::Bstr(std::move(s));
      return true;
    }
    case VarType::kFont: {
      FontDesc f;
      uint16_t weight, charset, flags;
      if (!Text(&f.name) || !U64(&u64) || !U16(&weight) || !U16(&charset) || !U16(&flags)) return false;
      std::memcpy(&f.size_points, &u64, sizeof u64);
      if (!(f.size_points > 0 && f.size_points < 4096)) return false;
      f.weight = static_cast<int16_t>(weight);
      f.charset = static_cast<int16_t>(charset);
      f.italic = flags & 1;
      f.underline = flags & 2;
      f.strikethrough = flags & 4;
      *value = Variant::Font(std::move(f));
      return true;
    }
    case VarType::kPicture:
      if (!U32(&u32) || u32 > kMaxStreamPicture || size_ - pos_ < u32) return false;
      *picture = data_ + pos_;
      *picture_size = u32;
      pos_ += u32;
      *value = Variant::Picture(0);
      return true;
  }
  return false;  // unknown type: the rest cannot be read
}

}  // namespace hosting

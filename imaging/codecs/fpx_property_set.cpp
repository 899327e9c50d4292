// OLE property set streams: the byte-order mark 0xFFFE, a 28-byte header,
// one (format id, offset) pair per section, and per section its size, its
// property count, (id, offset) pairs relative to the section and the typed
// values, each padded to 4 bytes.
#include <cstring>

#include "imaging/codecs/fpx_internal.h"

namespace imaging::codecs::internal {
namespace {

constexpr size_t kHeaderSize = 28;
constexpr size_t kSectionListEntry = 20;

uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void Put16(std::vector<uint8_t>* v, uint16_t x) {
  v->push_back(static_cast<uint8_t>(x));
  v->push_back(static_cast<uint8_t>(x >> 8));
}

void Put32(std::vector<uint8_t>* v, uint32_t x) {
  for (int s = 0; s < 32; s += 8) v->push_back(static_cast<uint8_t>(x >> s));
}

void Pad4(std::vector<uint8_t>* v) {
  while (v->size() % 4 != 0) v->push_back(0);
}

Result Broken(const char* what) { return Result(Status::kBroken, std::string("property set: ") + what); }

// Reads one value at `p` with `avail` bytes up to the end of the section.
Result ParseValue(const uint8_t* p, size_t avail, PropertyValue* v) {
  if (avail < 4) return Broken("value outside the section");
  v->type = Le32(p) & 0xFFFF;
  p += 4;
  avail -= 4;
  switch (v->type) {
    case kVtI2:
    case kVtUi2:
      if (avail < 2) return Broken("short integer");
      v->number = uint32_t{p[0]} | (uint32_t{p[1]} << 8);
      return Result::Ok();
    case kVtI4:
    case kVtUi4:
      if (avail < 4) return Broken("short integer");
      v->number = Le32(p);
      return Result::Ok();
    case kVtR4: {
      if (avail < 4) return Broken("short real");
      const uint32_t bits = Le32(p);
      std::memcpy(&v->real, &bits, 4);
      return Result::Ok();
    }
    case kVtLpstr:
    case kVtBlob: {
      if (avail < 4) return Broken("short length");
      const uint32_t n = Le32(p);
      if (n > avail - 4) return Broken("value longer than its section");
      v->bytes.assign(p + 4, p + 4 + n);
      if (v->type == kVtLpstr)
        while (!v->bytes.empty() && v->bytes.back() == 0) v->bytes.pop_back();
      return Result::Ok();
    }
    case kVtLpwstr: {
      if (avail < 4) return Broken("short length");
      const uint32_t n = Le32(p);
      if (n > (avail - 4) / 2) return Broken("value longer than its section");
      v->bytes.assign(p + 4, p + 4 + 2 * size_t{n});
      while (v->bytes.size() >= 2 && v->bytes[v->bytes.size() - 1] == 0 && v->bytes[v->bytes.size() - 2] == 0)
        v->bytes.resize(v->bytes.size() - 2);
      return Result::Ok();
    }
    case kVtVector | kVtUi4:
    case kVtVector | kVtI4: {
      if (avail < 4) return Broken("short count");
      const uint32_t n = Le32(p);
      if (n > (avail - 4) / 4) return Broken("vector longer than its section");
      v->numbers.resize(n);
      for (uint32_t i = 0; i < n; ++i) v->numbers[i] = Le32(p + 4 + 4 * size_t{i});
      return Result::Ok();
    }
    default:
      return Result::Ok();  // kept as a bare type
  }
}

}  // namespace

Result ParsePropertySet(const uint8_t* data, size_t size, PropertyMap* out) {
  if (data == nullptr || size < kHeaderSize + kSectionListEntry) return Broken("stream too short");
  if (data[0] != 0xFE || data[1] != 0xFF) return Broken("no byte-order mark");
  if (Le32(data + 24) < 1) return Broken("no section");
  const uint32_t section = Le32(data + kHeaderSize + 16);
  if (section > size || size - section < 8) return Broken("section outside the stream");
  const uint8_t* s = data + section;
  size_t section_size = Le32(s);
  if (section_size > size - section) section_size = size - section;  // tolerate an overstated size
  if (section_size < 8) return Broken("section too short");
  const uint32_t count = Le32(s + 4);
  if (count > (section_size - 8) / 8) return Broken("more properties than the section holds");
  PropertyMap map;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t id = Le32(s + 8 + 8 * size_t{i});
    const uint32_t offset = Le32(s + 12 + 8 * size_t{i});
    if (id == 0) continue;  // dictionary: names only
    if (offset >= section_size) return Broken("property offset outside the section");
    PropertyValue v;
    if (Result r = ParseValue(s + offset, section_size - offset, &v); !r.ok()) return r;
    map[id] = std::move(v);
  }
  *out = std::move(map);
  return Result::Ok();
}

void PropertySetWriter::AddI2(uint32_t id, int16_t value) {
  std::vector<uint8_t> v;
  Put32(&v, kVtI2);
  Put16(&v, static_cast<uint16_t>(value));
  Pad4(&v);
  values_[id] = std::move(v);
}

void PropertySetWriter::AddUi4(uint32_t id, uint32_t value) {
  std::vector<uint8_t> v;
  Put32(&v, kVtUi4);
  Put32(&v, value);
  values_[id] = std::move(v);
}

void PropertySetWriter::AddR4(uint32_t id, float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, 4);
  std::vector<uint8_t> v;
  Put32(&v, kVtR4);
  Put32(&v, bits);
  values_[id] = std::move(v);
}

void PropertySetWriter::AddBlob(uint32_t id, const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> v;
  Put32(&v, kVtBlob);
  Put32(&v, static_cast<uint32_t>(bytes.size()));
  v.insert(v.end(), bytes.begin(), bytes.end());
  Pad4(&v);
  values_[id] = std::move(v);
}

void PropertySetWriter::AddUi4Vector(uint32_t id, const std::vector<uint32_t>& values) {
  std::vector<uint8_t> v;
  Put32(&v, kVtVector | kVtUi4);
  Put32(&v, static_cast<uint32_t>(values.size()));
  for (uint32_t x : values) Put32(&v, x);
  values_[id] = std::move(v);
}

void PropertySetWriter::AddString(uint32_t id, const std::string& text) {
  std::vector<uint8_t> v;
  Put32(&v, kVtLpstr);
  Put32(&v, static_cast<uint32_t>(text.size() + 1));
  v.insert(v.end(), text.begin(), text.end());
  v.push_back(0);
  Pad4(&v);
  values_[id] = std::move(v);
}

std::vector<uint8_t> PropertySetWriter::Build(const uint8_t* fmtid) const {
  std::vector<uint8_t> out;
  Put16(&out, 0xFFFE);
  Put16(&out, 0);               // format version
  Put32(&out, 0x00020005);      // originating system: Win32, version 5.2
  out.insert(out.end(), 16, 0);  // class id: none
  Put32(&out, 1);               // one section
  out.insert(out.end(), fmtid, fmtid + 16);
  Put32(&out, static_cast<uint32_t>(kHeaderSize + kSectionListEntry));

  const size_t table = 8 + 8 * values_.size();
  size_t total = table;
  for (const auto& [id, v] : values_) total += v.size();
  Put32(&out, static_cast<uint32_t>(total));
  Put32(&out, static_cast<uint32_t>(values_.size()));
  size_t offset = table;
  for (const auto& [id, v] : values_) {
    Put32(&out, id);
    Put32(&out, static_cast<uint32_t>(offset));
    offset += v.size();
  }
  for (const auto& [id, v] : values_) out.insert(out.end(), v.begin(), v.end());
  return out;
}

}  // namespace imaging::codecs::internal

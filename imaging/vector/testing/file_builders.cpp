// Vector test files written byte by byte.
#include "imaging/vector/testing/file_builders.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "imaging/vector/render.h"
#include "imaging/vector/vector_file.h"

namespace imaging::vector::testing {

Bytes& Bytes::U8(uint8_t v) {
  data_.push_back(v);
  return *this;
}
Bytes& Bytes::U16(uint16_t v) {
  data_.push_back(static_cast<uint8_t>(v));
  data_.push_back(static_cast<uint8_t>(v >> 8));
  return *this;
}
Bytes& Bytes::U32(uint32_t v) {
  for (int i = 0; i < 4; ++i) data_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  return *this;
}
Bytes& Bytes::F32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return U32(bits);
}
Bytes& Bytes::Raw(const std::vector<uint8_t>& b) {
  data_.insert(data_.end(), b.begin(), b.end());
  return *this;
}
Bytes& Bytes::Text(const std::string& s) {
  data_.insert(data_.end(), s.begin(), s.end());
  return *this;
}
Bytes& Bytes::Pad(size_t multiple) {
  while (data_.size() % multiple != 0) data_.push_back(0);
  return *this;
}

WmfBuilder& WmfBuilder::Words(uint16_t function, const std::vector<int16_t>& params) {
  Bytes b;
  for (int16_t p : params) b.I16(p);
  return Record(function, b);
}

WmfBuilder& WmfBuilder::Record(uint16_t function, const Bytes& params) {
  Bytes padded = params;
  padded.Pad(2);
  const uint32_t words = static_cast<uint32_t>(3 + padded.size() / 2);
  Bytes rec;
  rec.U32(words).U16(function).Raw(padded.data());
  records_.insert(records_.end(), rec.data().begin(), rec.data().end());
  if (words > max_record_) max_record_ = words;
  return *this;
}

std::vector<uint8_t> WmfBuilder::Build(std::optional<Placeable> placeable) const {
  Bytes out;
  if (placeable) {
    Bytes head;
    head.U32(0x9AC6CDD7u).U16(0).I16(placeable->left).I16(placeable->top).I16(placeable->right)
        .I16(placeable->bottom).U16(placeable->inch).U32(0);
    uint16_t checksum = 0;
    for (size_t i = 0; i + 1 < head.size(); i += 2)
      checksum ^= static_cast<uint16_t>(head.data()[i] | head.data()[i + 1] << 8);
    head.U16(checksum);
    out.Raw(head.data());
  }
  const uint32_t total_words = static_cast<uint32_t>(9 + records_.size() / 2 + 3);
  out.U16(1).U16(9).U16(0x0300).U32(total_words).U16(16).U32(static_cast<uint32_t>(max_record_)).U16(0);
  out.Raw(records_);
  out.U32(3).U16(0);
  return out.data();
}

EmfBuilder& EmfBuilder::Record(uint32_t type, const Bytes& params) {
  Bytes padded = params;
  padded.Pad(4);
  Bytes rec;
  rec.U32(type).U32(static_cast<uint32_t>(8 + padded.size())).Raw(padded.data());
  records_.insert(records_.end(), rec.data().begin(), rec.data().end());
  ++count_;
  return *this;
}

std::vector<uint8_t> EmfBuilder::Build(int32_t frame_right, int32_t frame_bottom) const {
  // 96 dpi reference device: 1000 mm = 3780 pixels.
  const int32_t dev_w = 3780, dev_h = 3780, mm_w = 1000, mm_h = 1000;
  Bytes eof;
  eof.U32(14).U32(20).U32(0).U32(16).U32(20);
  Bytes out;
  const uint32_t header_size = 108;
  out.U32(1).U32(header_size);
  out.I32(0).I32(0).I32(frame_right * 96 / 2540).I32(frame_bottom * 96 / 2540);  // bounds
  out.I32(0).I32(0).I32(frame_right - 1).I32(frame_bottom - 1);                  // frame, inclusive
  out.U32(0x464D4520u).U32(0x10000);
  out.U32(static_cast<uint32_t>(header_size + records_.size() + eof.size()));
  out.U32(count_ + 2).U16(16).U16(0).U32(0).U32(0).U32(0);
  out.I32(dev_w).I32(dev_h).I32(mm_w).I32(mm_h);
  out.U32(0).U32(0).U32(0).I32(mm_w * 1000).I32(mm_h * 1000);
  out.Raw(records_);
  out.Raw(eof.data());
  return out.data();
}

std::vector<uint8_t> Dib24(int width, int height, const std::vector<uint32_t>& rgb) {
  Bytes b;
  const int stride = (width * 3 + 3) & ~3;
  b.U32(40).I32(width).I32(height).U16(1).U16(24).U32(0).U32(static_cast<uint32_t>(stride * height))
      .I32(3780).I32(3780).U32(0).U32(0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t c = rgb[static_cast<size_t>(y * width + x)];
      b.U8(c & 0xFF).U8((c >> 8) & 0xFF).U8((c >> 16) & 0xFF);
    }
    for (int p = width * 3; p < stride; ++p) b.U8(0);
  }
  return b.data();
}

std::string DxfFile(double minx, double miny, double maxx, double maxy, const std::vector<std::string>& layers,
                    const std::string& blocks, const std::string& entities) {
  auto num = [](double v) { return std::to_string(v); };
  std::string s = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n9\n$EXTMIN\n10\n" + num(minx) + "\n20\n" +
                  num(miny) + "\n9\n$EXTMAX\n10\n" + num(maxx) + "\n20\n" + num(maxy) + "\n0\nENDSEC\n";
  s += "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n";
  for (const std::string& l : layers) {
    const size_t colon = l.find(':');
    s += "0\nLAYER\n2\n" + l.substr(0, colon) + "\n70\n0\n62\n" + l.substr(colon + 1) + "\n6\nCONTINUOUS\n";
  }
  s += "0\nENDTAB\n0\nENDSEC\n";
  s += "0\nSECTION\n2\nBLOCKS\n" + blocks + "0\nENDSEC\n";
  s += "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
  return s;
}

Image RenderBytes(const std::vector<uint8_t>& file, int w, int h) {
  Drawing d;
  if (!LoadDrawing(file.data(), file.size(), &d).ok()) return Image();
  RenderOptions o;
  o.width = w;
  o.height = h;
  Image img;
  if (!RenderDrawing(d, o, &img).ok()) return Image();
  return img;
}

Image RenderText(const std::string& file, int w, int h) {
  return RenderBytes(std::vector<uint8_t>(file.begin(), file.end()), w, h);
}

int CountNear(const Image& img, int x0, int y0, int x1, int y1, uint32_t rgb, int tolerance) {
  int n = 0;
  for (int y = y0; y < y1 && y < img.height(); ++y) {
    for (int x = x0; x < x1 && x < img.width(); ++x) {
      const uint32_t p = img.PixelRgb(x, y);
      const int dr = std::abs(static_cast<int>((p >> 16) & 255) - static_cast<int>((rgb >> 16) & 255));
      const int dg = std::abs(static_cast<int>((p >> 8) & 255) - static_cast<int>((rgb >> 8) & 255));
      const int db = std::abs(static_cast<int>(p & 255) - static_cast<int>(rgb & 255));
      if (dr <= tolerance && dg <= tolerance && db <= tolerance) ++n;
    }
  }
  return n;
}

int CountTinted(const Image& img, int x0, int y0, int x1, int y1, uint32_t rgb) {
  int n = 0;
  for (int y = std::max(0, y0); y < y1 && y < img.height(); ++y) {
    for (int x = std::max(0, x0); x < x1 && x < img.width(); ++x) {
      const uint32_t p = img.PixelRgb(x, y);
      int lo_full = 255, hi_empty = 0;
      for (int shift = 0; shift <= 16; shift += 8) {
        const int v = static_cast<int>((p >> shift) & 255);
        if ((rgb >> shift) & 255) lo_full = std::min(lo_full, v);
        else hi_empty = std::max(hi_empty, v);
      }
      if (lo_full - hi_empty >= 50) ++n;
    }
  }
  return n;
}

}  // namespace imaging::vector::testing

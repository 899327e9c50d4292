#include "imaging/testing/awkward_files.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>

namespace imaging::testing {

uint32_t TiffSample(const TiffSpec& spec, uint32_t x, uint32_t y, int c) {
  const uint32_t max = (1u << spec.bps) - 1;
  // A smooth ramp with a little texture, so lossy compression keeps it.
  const uint32_t ramp = (x * 255 / (spec.width > 1 ? spec.width - 1 : 1) + y * 97 / (spec.height) + c * 71) % 256;
  return (ramp * max + 127) / 255;
}

bool WriteTiffFile(const TiffSpec& s, const std::string& path) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (t == nullptr) return false;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, s.width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, s.height);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, s.bps);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, s.spp);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, s.photometric);
  TIFFSetField(t, TIFFTAG_COMPRESSION, s.compression);
  TIFFSetField(t, TIFFTAG_ORIENTATION, s.orientation);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, s.planar);
  if (s.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(t, TIFFTAG_INKSET, INKSET_CMYK);
  if (s.extra_alpha != 0) {
    const uint16_t type = s.extra_alpha == 1 ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &type);
  }
  if (s.compression == COMPRESSION_JPEG) TIFFSetField(t, TIFFTAG_JPEGQUALITY, s.jpeg_quality);
  if (s.photometric == PHOTOMETRIC_PALETTE) {
    std::vector<uint16_t> r(1u << s.bps), g(r.size()), b(r.size());
    for (size_t i = 0; i < r.size(); ++i) {
      r[i] = static_cast<uint16_t>((i * 37 % 256) * 257);
      g[i] = static_cast<uint16_t>((255 - i * 11 % 256) * 257);
      b[i] = static_cast<uint16_t>((i * 101 % 256) * 257);
    }
    TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  }
  const bool separate = s.planar == PLANARCONFIG_SEPARATE;
  const int per_pixel = separate ? 1 : s.spp;
  const int planes = separate ? s.spp : 1;
  const uint32_t cols = s.tiled ? 16 : s.width;
  const uint32_t rows = s.tiled ? 16 : s.height;
  const size_t line = (static_cast<size_t>(cols) * per_pixel * s.bps + 7) / 8;
  // Packs the samples of columns [x0, x0 + cols) of row y, plane p.
  auto pack = [&](uint32_t x0, uint32_t y, int p, uint8_t* out) {
    std::memset(out, 0, line);
    for (uint32_t x = 0; x < cols; ++x)
      for (int k = 0; k < per_pixel; ++k) {
        const int c = separate ? p : k;
        const uint32_t v = x0 + x < s.width && y < s.height ? TiffSample(s, x0 + x, y, c) : 0;
        const size_t i = static_cast<size_t>(x) * per_pixel + k;
        if (s.bps == 8) {
          out[i] = static_cast<uint8_t>(v);
        } else if (s.bps == 16) {
          const uint16_t w = static_cast<uint16_t>(v);
          std::memcpy(out + 2 * i, &w, 2);
        } else {
          for (int bit = 0; bit < s.bps; ++bit) {
            const size_t at = i * s.bps + bit;
            if ((v >> (s.bps - 1 - bit)) & 1) out[at >> 3] |= static_cast<uint8_t>(0x80 >> (at & 7));
          }
        }
      }
  };
  std::vector<uint8_t> buf(line * rows);
  bool ok = true;
  if (s.tiled) {
    TIFFSetField(t, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(t, TIFFTAG_TILELENGTH, 16);
    for (uint32_t ty = 0; ok && ty < s.height; ty += 16)
      for (uint32_t tx = 0; ok && tx < s.width; tx += 16)
        for (int p = 0; ok && p < planes; ++p) {
          for (uint32_t y = 0; y < 16; ++y) pack(tx, ty + y, p, buf.data() + y * line);
          ok = TIFFWriteEncodedTile(t, TIFFComputeTile(t, tx, ty, 0, static_cast<uint16_t>(p)), buf.data(),
                                    static_cast<tmsize_t>(buf.size())) >= 0;
        }
  } else {
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, s.compression == COMPRESSION_JPEG ? 16 : 3);
    for (int p = 0; ok && p < planes; ++p)
      for (uint32_t y = 0; ok && y < s.height; ++y) {
        pack(0, y, p, buf.data());
        ok = TIFFWriteScanline(t, buf.data(), y, static_cast<uint16_t>(p)) >= 0;
      }
  }
  TIFFClose(t);
  return ok;
}

std::vector<uint8_t> GifLzw(const std::vector<uint8_t>& indices, int m, int max_bits) {
  // Plain coding: every pixel its own code, the table cleared before the
  // code width would pass `max_bits`.  Readers must still grow their
  // table as they go, so widths change exactly where real encoders change
  // them.
  const int clear = 1 << m;
  std::vector<uint8_t> bytes;
  uint32_t acc = 0;
  int have = 0;
  int width = m + 1, next = clear + 2;
  auto emit = [&](int code) {
    acc |= static_cast<uint32_t>(code) << have;
    have += width;
    while (have >= 8) {
      bytes.push_back(static_cast<uint8_t>(acc & 0xFF));
      acc >>= 8;
      have -= 8;
    }
  };
  emit(clear);
  bool first = true;
  for (uint8_t v : indices) {
    emit(v);
    if (first) {  // the first code after a clear makes no entry
      first = false;
      continue;
    }
    ++next;
    if (next == (1 << width)) {
      // Readers widen their codes here (up to 12 bits); a clear code then
      // goes out at the width they now expect.
      if (width < 12) ++width;
      if (width > max_bits || next >= 4096) {
        emit(clear);
        width = m + 1;
        next = clear + 2;
        first = true;
      }
    }
  }
  emit(clear + 1);
  if (have > 0) bytes.push_back(static_cast<uint8_t>(acc & 0xFF));
  std::vector<uint8_t> out;
  for (size_t i = 0; i < bytes.size(); i += 255) {
    const size_t n = std::min<size_t>(255, bytes.size() - i);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i), bytes.begin() + static_cast<std::ptrdiff_t>(i + n));
  }
  out.push_back(0);
  return out;
}

std::vector<uint8_t> GifFile(int width, int height, const std::vector<uint8_t>& indices, int table_bits, int m,
                             bool interlace) {
  std::vector<uint8_t> b = {'G', 'I', 'F', '8', '9', 'a'};
  auto le16 = [&](int v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>(v >> 8));
  };
  le16(width);
  le16(height);
  b.push_back(static_cast<uint8_t>(0x80 | (table_bits - 1)));
  b.push_back(0);
  b.push_back(0);
  for (int i = 0; i < (1 << table_bits); ++i) {
    b.push_back(static_cast<uint8_t>(i * 7));
    b.push_back(static_cast<uint8_t>(i * 13));
    b.push_back(static_cast<uint8_t>(255 - i));
  }
  b.push_back(0x2C);
  le16(0);
  le16(0);
  le16(width);
  le16(height);
  b.push_back(interlace ? 0x40 : 0);
  b.push_back(static_cast<uint8_t>(m));
  std::vector<uint8_t> ordered = indices;
  if (interlace) {
    ordered.clear();
    static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = kStart[pass]; y < height; y += kStep[pass])
        ordered.insert(ordered.end(), indices.begin() + static_cast<std::ptrdiff_t>(y) * width,
                       indices.begin() + static_cast<std::ptrdiff_t>(y + 1) * width);
  }
  const std::vector<uint8_t> data = GifLzw(ordered, m);
  b.insert(b.end(), data.begin(), data.end());
  b.push_back(0x3B);
  return b;
}

std::vector<uint8_t> EgaPcx(int width, int height, const std::vector<uint8_t>& indices, int version) {
  size_t bpl = (static_cast<size_t>(width) + 7) / 8;
  bpl += bpl & 1;
  std::vector<uint8_t> b(128, 0);
  b[0] = 0x0A;
  b[1] = static_cast<uint8_t>(version);
  b[2] = 1;
  b[3] = 1;
  b[8] = static_cast<uint8_t>((width - 1) & 0xFF);
  b[9] = static_cast<uint8_t>((width - 1) >> 8);
  b[10] = static_cast<uint8_t>((height - 1) & 0xFF);
  b[11] = static_cast<uint8_t>((height - 1) >> 8);
  b[12] = b[14] = 72;
  for (int i = 0; i < 16; ++i) {
    b[16 + 3 * i] = static_cast<uint8_t>(i * 16);
    b[17 + 3 * i] = static_cast<uint8_t>(255 - i * 8);
    b[18 + 3 * i] = static_cast<uint8_t>(i * 53);
  }
  b[65] = 4;
  b[66] = static_cast<uint8_t>(bpl & 0xFF);
  b[67] = static_cast<uint8_t>(bpl >> 8);
  b[68] = 1;
  // All plane lines of the picture end to end, then coded in one go, so
  // runs cross from plane to plane and from row to row.
  std::vector<uint8_t> raw;
  for (int y = 0; y < height; ++y)
    for (int k = 0; k < 4; ++k) {
      std::vector<uint8_t> line(bpl, 0);
      for (int x = 0; x < width; ++x)
        if ((indices[static_cast<size_t>(y) * width + x] >> k) & 1) line[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
      raw.insert(raw.end(), line.begin(), line.end());
    }
  for (size_t i = 0; i < raw.size();) {
    size_t run = 1;
    while (i + run < raw.size() && run < 63 && raw[i + run] == raw[i]) ++run;
    if (run > 1 || raw[i] >= 0xC0) b.push_back(static_cast<uint8_t>(0xC0 | run));
    b.push_back(raw[i]);
    i += run;
  }
  return b;
}

namespace {

void Segment(std::vector<uint8_t>* out, uint8_t marker, const std::vector<uint8_t>& payload) {
  out->push_back(0xFF);
  out->push_back(marker);
  const size_t n = payload.size() + 2;
  out->push_back(static_cast<uint8_t>(n >> 8));
  out->push_back(static_cast<uint8_t>(n & 0xFF));
  out->insert(out->end(), payload.begin(), payload.end());
}

std::vector<uint8_t> Bytes(const char* text, size_t n) { return std::vector<uint8_t>(text, text + n); }

void Append(std::vector<uint8_t>* out, const std::vector<uint8_t>& more) { out->insert(out->end(), more.begin(), more.end()); }

}  // namespace

std::vector<uint8_t> WithDamagedMetadata(const std::vector<uint8_t>& jpeg, JpegDamage damage) {
  std::vector<uint8_t> block;
  const std::vector<uint8_t> exif = Bytes("Exif\0\0", 6);
  switch (damage) {
    case JpegDamage::kExifBadIfdOffset: {
      std::vector<uint8_t> p = exif;
      Append(&p, {'I', 'I', 42, 0, 0x00, 0xFF, 0xFF, 0xFF});
      p.resize(p.size() + 20, 0);
      Segment(&block, 0xE1, p);
      break;
    }
    case JpegDamage::kExifEntriesOutside: {
      std::vector<uint8_t> p = exif;
      Append(&p, {'I', 'I', 42, 0, 8, 0, 0, 0, 200, 0});  // 200 entries declared, 6 present
      for (int i = 0; i < 3; ++i) {
        Append(&p, {0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0});                    // orientation
        Append(&p, {0x69, 0x87, 4, 0, 1, 0, 0, 0, 0xF0, 0xFF, 0xFF, 0xFF});       // EXIF directory far away
      }
      Segment(&block, 0xE1, p);
      break;
    }
    case JpegDamage::kExifGarbage: {
      std::vector<uint8_t> p = exif;
      for (int i = 0; i < 700; ++i) p.push_back(static_cast<uint8_t>(i * 31 + 7));
      for (uint8_t& c : p) if (c == 0xFF) c = 0xFE;
      Segment(&block, 0xE1, p);
      break;
    }
    case JpegDamage::kExifLengthTooShort: {
      block = {0xFF, 0xE1, 0x00, 0x0A};
      Append(&block, exif);
      Append(&block, {'I', 'I', 42, 0, 8, 0, 0, 0});
      for (int i = 0; i < 30; ++i) Append(&block, {1, 2});
      break;
    }
    case JpegDamage::kPhotoshopBadLength: {
      std::vector<uint8_t> p = Bytes("Photoshop 3.0\0" "8BIM\x04\x04\0\0\x7F\xFF\xFF\xFFjunk", 14 + 16);
      Segment(&block, 0xED, p);
      break;
    }
    case JpegDamage::kPhotoshopCut: Segment(&block, 0xED, Bytes("Photoshop 3.0\0" "8B", 16)); break;
    case JpegDamage::kSegmentLengthBelowTwo: block = {0xFF, 0xED, 0x00, 0x01}; break;
  }
  std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
  Append(&out, block);
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

}  // namespace imaging::testing

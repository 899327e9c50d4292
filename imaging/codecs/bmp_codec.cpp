// BMP files: a 14-byte file header followed by a DIB.  Uncompressed and
// bit-field DIBs are read through the packed-DIB reader; RLE4/RLE8 are
// expanded here.  Writes uncompressed DIBs at every depth.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "imaging/codecs/internal/format_codec.h"
#include "imaging/dib.h"

namespace imaging::codecs::internal {
namespace {

constexpr size_t kFileHeader = 14;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}

bool BmpSniff(const uint8_t* data, size_t size) {
  return size >= kFileHeader + 12 && data[0] == 'B' && data[1] == 'M';
}

// Expands RLE4/RLE8 pixel data into a BI_RGB DIB block (header copied with
// compression cleared), so the packed-DIB reader can finish the job.
Result ExpandRle(const uint8_t* dib, size_t dib_size, size_t pixel_offset, std::vector<uint8_t>* out) {
  const int32_t width = static_cast<int32_t>(Get32(dib + 4));
  const int32_t height = static_cast<int32_t>(Get32(dib + 8));
  const int bpp = Get16(dib + 14);
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension)
    return Result(Status::kBadFile, "bad RLE picture size");
  const size_t stride = Image::RowBytes(width, bpp);
  if (static_cast<uint64_t>(stride) * height > kMaxPixelBytes) return Result(Status::kMemory, "picture too large");
  const uint32_t header = Get32(dib);
  if (pixel_offset > dib_size || pixel_offset < header) return Result(Status::kBroken, "bad pixel offset");
  std::vector<uint8_t> block(pixel_offset + stride * static_cast<size_t>(height), 0);
  std::memcpy(block.data(), dib, pixel_offset);
  Put32(block.data() + 16, 0);
  uint8_t* rows = block.data() + pixel_offset;
  auto put = [&](int x, int y, int v) {
    if (x < 0 || x >= width || y < 0 || y >= height) return;
    uint8_t* r = rows + static_cast<size_t>(y) * stride;
    if (bpp == 8) {
      r[x] = static_cast<uint8_t>(v);
    } else {
      const int shift = (x & 1) ? 0 : 4;
      r[x >> 1] = static_cast<uint8_t>((r[x >> 1] & ~(0x0F << shift)) | ((v & 0x0F) << shift));
    }
  };
  const uint8_t* p = dib + pixel_offset;
  const uint8_t* end = dib + dib_size;
  int x = 0, y = 0;  // y counts bottom-up rows as stored
  while (p + 1 < end && y < height) {
    const int count = p[0], value = p[1];
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i)
        put(x++, y, bpp == 8 ? value : ((i & 1) ? (value & 0x0F) : (value >> 4)));
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (p + 1 >= end) return Result(Status::kBroken, "truncated RLE delta");
      x += p[0];
      y += p[1];
      p += 2;
    } else {
      const int n = value;
      const size_t bytes = bpp == 8 ? static_cast<size_t>(n) : static_cast<size_t>((n + 1) / 2);
      if (static_cast<size_t>(end - p) < bytes) return Result(Status::kBroken, "truncated RLE run");
      for (int i = 0; i < n; ++i)
        put(x++, y, bpp == 8 ? p[i] : ((i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4)));
      p += (bytes + 1) & ~size_t{1};  // runs are word aligned
    }
  }
  *out = std::move(block);
  return Result::Ok();
}

Result BmpLoad(const uint8_t* data, size_t size, const LoadOptions&, Image* out) {
  if (!BmpSniff(data, size)) return Result(Status::kBadFile, "not a BMP file");
  const uint8_t* dib = data + kFileHeader;
  const size_t dib_size = size - kFileHeader;
  const uint32_t header = Get32(dib);
  if (header < 40) return Result(Status::kUnsupported, "OS/2 bitmap headers are not read yet");
  if (header > dib_size) return Result(Status::kBroken, "truncated header");
  const uint32_t compression = Get32(dib + 16);
  const uint32_t bits_offset = Get32(data + 10);
  if (bits_offset < kFileHeader || bits_offset > size) return Result(Status::kBroken, "bad pixel offset");
  const size_t pixel_offset = bits_offset - kFileHeader;
  if (compression == 1 || compression == 2) {
    std::vector<uint8_t> expanded;
    if (Result r = ExpandRle(dib, dib_size, pixel_offset, &expanded); !r.ok()) return r;
    Result r = FromPackedDib(expanded.data(), expanded.size(), out);
    return r.ok() ? r : Result(Status::kBroken, r.message());
  }
  // The packed-DIB reader expects rows straight after the colour table;
  // files may leave a gap, so rebuild the block when they do.
  const int bpp = Get16(dib + 14);
  uint32_t colors = bpp <= 8 ? Get32(dib + 32) : 0;
  if (bpp <= 8 && (colors == 0 || colors > (1u << bpp))) colors = 1u << bpp;
  const size_t masks = (compression == 3 && header == 40) ? 12 : 0;
  const size_t expected = header + masks + size_t{colors} * 4;
  Result r;
  if (pixel_offset == expected) {
    r = FromPackedDib(dib, dib_size, out);
  } else {
    if (pixel_offset < header) return Result(Status::kBroken, "bad pixel offset");
    std::vector<uint8_t> block(dib, dib + std::min(expected, pixel_offset));
    block.resize(expected, 0);
    block.insert(block.end(), dib + pixel_offset, dib + dib_size);
    r = FromPackedDib(block.data(), block.size(), out);
  }
  if (!r.ok() && r.code() == Status::kBadImage) return Result(Status::kBroken, r.message());
  return r;
}

Result BmpReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info) {
  if (index != 0) return Result(Status::kBadValue, "BMP files hold one picture");
  if (!BmpSniff(data, size) || size < kFileHeader + 40) return Result(Status::kBroken, "truncated header");
  const uint8_t* dib = data + kFileHeader;
  FileInfo fi;
  fi.format = FileFormat::kBmp;
  fi.width = static_cast<int32_t>(Get32(dib + 4));
  const int32_t h = static_cast<int32_t>(Get32(dib + 8));
  fi.height = h < 0 ? -h : h;
  fi.bpp = Get16(dib + 14);
  fi.dpi_x = static_cast<int>(static_cast<int32_t>(Get32(dib + 24)) * 254.0 / 10000.0 + 0.5);
  fi.dpi_y = static_cast<int>(static_cast<int32_t>(Get32(dib + 28)) * 254.0 / 10000.0 + 0.5);
  if (fi.width <= 0 || fi.height <= 0) return Result(Status::kBroken, "bad picture size");
  *info = fi;
  return Result::Ok();
}

Result BmpSave(const Image& image, const std::string& path, const SaveOptions&) {
  std::vector<uint8_t> dib;
  if (Result r = ToPackedDib(image, &dib); !r.ok()) return r;
  uint8_t header[kFileHeader] = {'B', 'M'};
  Put32(header + 2, static_cast<uint32_t>(kFileHeader + dib.size()));
  Put32(header + 10, static_cast<uint32_t>(kFileHeader + 40 + image.palette().size() * 4));
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return Result(Status::kCannotCreate, "cannot create " + path);
  const bool ok = std::fwrite(header, 1, kFileHeader, f) == kFileHeader &&
                  std::fwrite(dib.data(), 1, dib.size(), f) == dib.size();
  const bool closed = std::fclose(f) == 0;
  return ok && closed ? Result::Ok() : Result(Status::kCannotWrite, "cannot write " + path);
}

}  // namespace

const FormatCodec& BmpCodec() {
  static const FormatCodec codec{FileFormat::kBmp, &BmpSniff, &BmpReadInfo, &BmpLoad, &BmpSave};
  return codec;
}

}  // namespace imaging::codecs::internal

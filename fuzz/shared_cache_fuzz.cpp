// The thumbnail control's shared-cache entry reader on arbitrary bytes: an
// entry it accepts must be a decoded picture within the largest folder's
// bounds, at least the size asked for unless it is kept at its own size.
// Whatever the one-pass reader of simple PNGs decodes must equal what Qt's
// PNG reader makes of the same bytes.
//
// The first byte chooses how the rest is used: as a file as it is; as a
// file whose chunk checksums are made good first (so mutations reach the
// chunks' content); or as the rows of a picture (filter bytes and samples
// as they come) that is compressed and wrapped in a sound entry with the
// right keys, its stream then optionally cut or split over many chunks -
// the way to reach every filter and stream shape.
#include <zlib.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "thumb/cache_png.h"
#include "thumb/shared_cache.h"

namespace {

void PutBe32(QByteArray* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->append(static_cast<char>((v >> (24 - 8 * i)) & 0xFF));
}

void Chunk(QByteArray* png, const char* type, const QByteArray& data) {
  PutBe32(png, static_cast<uint32_t>(data.size()));
  const QByteArray body = QByteArray(type, 4) + data;
  png->append(body);
  PutBe32(png, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.constData()),
                                           static_cast<uInt>(body.size()))));
}

// Every chunk's CRC recomputed, as far as the chunks can be followed.
void MendChecksums(QByteArray* png) {
  qsizetype pos = 8;
  while (png->size() - pos >= 12) {
    const auto* p = reinterpret_cast<const uint8_t*>(png->constData() + pos);
    const uint32_t len = uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
    if (len > static_cast<uint64_t>(png->size() - pos - 12)) return;
    const uLong crc = crc32(0, p + 4, len + 4);
    for (int i = 0; i < 4; ++i) (*png)[pos + 8 + len + i] = static_cast<char>((crc >> (24 - 8 * i)) & 0xFF);
    pos += 12 + static_cast<qsizetype>(len);
  }
}

// A sound entry whose rows are the fuzzer's bytes.
QByteArray EntryFromRows(const uint8_t* data, size_t size) {
  if (size < 5) return {};
  const uint32_t w = 1 + data[0] % 48, h = 1 + data[1] % 48;
  const bool alpha = (data[2] & 1) != 0;
  const int split = data[3];        // IDAT chunk size (0: one chunk)
  const int cut = data[4] & 0x0F;   // bytes taken off the stream's end
  data += 5;
  size -= 5;
  const size_t row = 1 + w * (alpha ? 4 : 3);
  std::vector<uint8_t> raw(row * h, 0);
  std::copy_n(data, std::min(size, raw.size()), raw.begin());
  for (size_t y = 0; y < h; ++y) raw[y * row] %= 6;  // mostly known filters, now and then not
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packed_size);
  if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) return {};
  packed.resize(packed_size - std::min<size_t>(static_cast<size_t>(cut), packed_size));

  QByteArray png("\x89PNG\r\n\x1a\n", 8);
  QByteArray ihdr;
  PutBe32(&ihdr, w);
  PutBe32(&ihdr, h);
  ihdr.append(static_cast<char>(8));
  ihdr.append(static_cast<char>(alpha ? 6 : 2));
  ihdr.append(QByteArray(3, '\0'));
  Chunk(&png, "IHDR", ihdr);
  Chunk(&png, "tEXt", QByteArray("Thumb::URI\0file:///pictures/a.jpg", 33));
  Chunk(&png, "tEXt", QByteArray("Thumb::MTime\0" "1700000000", 23));
  const size_t step = split == 0 ? std::max<size_t>(packed.size(), 1) : static_cast<size_t>(split);
  for (size_t at = 0; at < packed.size(); at += step)
    Chunk(&png, "IDAT", QByteArray(reinterpret_cast<const char*>(packed.data() + at),
                                   static_cast<qsizetype>(std::min(step, packed.size() - at))));
  Chunk(&png, "IEND", {});
  return png;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  thumb::shared_cache::Source src;
  src.path = "/pictures/a.jpg";
  src.uri = "file:///pictures/a.jpg";
  src.mtime = 1700000000;
  src.size = 12345;
  const int mode = data[0] % 3;
  const int min_side = 1 + data[1] * 4;  // 1 to 1021
  QByteArray png;
  if (mode == 2) {
    png = EntryFromRows(data + 2, size - 2);
  } else {
    png = QByteArray(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2));
    if (mode == 1) MendChecksums(&png);
  }

  QImage out;
  const auto verdict = thumb::shared_cache::ReadEntry(png, src, min_side, &out);
  if (verdict == thumb::shared_cache::EntryVerdict::kValid) {
    if (out.isNull() || out.width() > thumb::shared_cache::kLargestFolderSize ||
        out.height() > thumb::shared_cache::kLargestFolderSize)
      std::abort();
    if (std::max(out.width(), out.height()) < min_side &&
        (out.text("Thumb::Image::Width").toInt() != out.width() ||
         out.text("Thumb::Image::Height").toInt() != out.height()))
      std::abort();
    if (out.text("Thumb::URI") != QString::fromStdString(src.uri)) std::abort();
  } else if (!out.isNull()) {
    std::abort();  // a rejected entry hands nothing out
  }

  thumb::cache_png::Chunks chunks;
  QImage simple;
  if (thumb::cache_png::WalkChunks(png, &chunks) && chunks.width <= 1024 && chunks.height <= 1024 &&
      thumb::cache_png::DecodeSimple(png, chunks, &simple)) {
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    QImage ref;
    if (reader.read(&ref) && !ref.isNull() && ref.convertToFormat(simple.format()) != simple) std::abort();
  }
  return 0;
}

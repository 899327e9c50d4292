// The thumbnail control's shared-cache entry reader on arbitrary bytes: an
// entry it accepts must be a decoded picture within the largest folder's
// bounds, at least the size asked for unless it is kept at its own size.
// Whatever the one-pass reader of simple PNGs decodes must equal what Qt's
// PNG reader makes of the same bytes.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "thumb/cache_png.h"
#include "thumb/shared_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  thumb::shared_cache::Source src;
  src.path = "/pictures/a.jpg";
  src.uri = "file:///pictures/a.jpg";
  src.mtime = 1700000000;
  src.size = 12345;
  const int min_side = 1 + data[0] * 4;  // 1 to 1021
  const QByteArray png(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
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

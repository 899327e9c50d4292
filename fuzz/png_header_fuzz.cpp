// libFuzzer target: PNG headers read from their chunks (PngReadHeader),
// against libpng's reading of the same bytes.  Whatever is read from the
// chunks must be read by libpng too, with the same facts; a difference
// stops the fuzzer.  The first input byte chooses whether the chunks'
// checksums are made good before reading (so that the fuzzer reaches their
// content, which a bad checksum hides from both readers).
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/codecs/internal/png_header.h"
#include "imaging/codecs/png_internal.h"

namespace {

uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Sets every whole chunk's checksum to match its type and content.
void FixChecksums(std::vector<uint8_t>* b) {
  size_t pos = 8;
  while (pos + 12 <= b->size()) {
    const uint32_t length = Be32(b->data() + pos);
    if (length > b->size() - pos - 12) return;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), b->data() + pos + 4, length + 4);
    for (int k = 0; k < 4; ++k) (*b)[pos + 8 + length + k] = static_cast<uint8_t>(crc >> (24 - 8 * k));
    pos += 12 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imaging::codecs;
  if (size < 1) return 0;
  std::vector<uint8_t> png(data + 1, data + size);
  if (data[0] & 1) FixChecksums(&png);
  internal::PngHeader header;
  if (!internal::PngReadHeader(png.data(), png.size(), &header)) return 0;
  FileInfo fast, library;
  const imaging::Result a = internal::PngReadInfo(png.data(), png.size(), 0, &fast);
  const imaging::Result b = internal::PngReadInfoWithLibrary(png.data(), png.size(), &library);
  if (!a.ok()) {  // sides beyond the limits, refused ahead of either reading
    if (b.ok() || a.code() != b.code()) std::abort();
    return 0;
  }
  if (!b.ok()) std::abort();
  if (fast.width != library.width || fast.height != library.height || fast.bpp != library.bpp ||
      fast.gray != library.gray || fast.dpi_x != library.dpi_x || fast.dpi_y != library.dpi_y)
    std::abort();
  return 0;
}

// JPEG encoding with libjpeg-turbo straight to the (temporary) file through
// a 1 MiB output buffer.  8-bit
// grey pictures become one-component JPEG; everything else is written as
// 24-bit colour: 24-bit rows go in as they are (B,G,R), 32-bit rows skip
// their fourth byte, 16-bit and palette rows are expanded one row at a time.
#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "imaging/codecs/jpeg_internal.h"

namespace imaging::codecs::internal {
namespace {

// One libjpeg compressor, destroyed with the object.
struct JpegEncoder {
  jpeg_compress_struct cinfo{};
  JpegErrorManager err;
  JpegEncoder() = default;
  JpegEncoder(const JpegEncoder&) = delete;
  JpegEncoder& operator=(const JpegEncoder&) = delete;
  ~JpegEncoder() { jpeg_destroy_compress(&cinfo); }
};

struct FileCloser {
  FILE* f = nullptr;
  ~FileCloser() {
    if (f != nullptr) std::fclose(f);
  }
};

// Destination that hands libjpeg a large buffer and writes it out whole:
// far fewer write calls than libjpeg's own 4 KiB stdio destination.
struct FileDestination {
  jpeg_destination_mgr pub{};
  FILE* file = nullptr;
  std::vector<JOCTET> buffer;
};
constexpr size_t kDestinationBuffer = 1 << 20;

FileDestination* DestinationOf(j_compress_ptr cinfo) { return reinterpret_cast<FileDestination*>(cinfo->dest); }

void InitDestination(j_compress_ptr cinfo) {
  FileDestination* d = DestinationOf(cinfo);
  d->pub.next_output_byte = d->buffer.data();
  d->pub.free_in_buffer = d->buffer.size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  FileDestination* d = DestinationOf(cinfo);
  if (std::fwrite(d->buffer.data(), 1, d->buffer.size(), d->file) != d->buffer.size()) ERREXIT(cinfo, JERR_FILE_WRITE);
  InitDestination(cinfo);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  FileDestination* d = DestinationOf(cinfo);
  const size_t n = d->buffer.size() - d->pub.free_in_buffer;
  if (n > 0 && std::fwrite(d->buffer.data(), 1, n, d->file) != n) ERREXIT(cinfo, JERR_FILE_WRITE);
}

// The longest COM payload one marker can carry.
constexpr size_t kMaxMarkerData = 65533;

constexpr JDIMENSION kBatch = 16;  // rows handed to libjpeg per call

enum class Feed { kGrey, kGreyMapped, kBgr, kBgrx, kExpand };

// Expands row `y` of a 16-bit or palette picture into B,G,R.
void ExpandRow(const Image& image, int y, const std::array<uint8_t, 3 * 256>& lut, uint8_t* dst) {
  const uint8_t* src = image.row(y);
  const int w = image.width();
  switch (image.bpp()) {
    case 16:
      for (int x = 0; x < w; ++x, dst += 3) {
        const unsigned v = static_cast<unsigned>(src[2 * x] | (src[2 * x + 1] << 8));
        auto expand = [](unsigned v5) { return static_cast<uint8_t>((v5 << 3) | (v5 >> 2)); };
        dst[0] = expand(v & 31);
        dst[1] = expand((v >> 5) & 31);
        dst[2] = expand((v >> 10) & 31);
      }
      break;
    case 8:
      for (int x = 0; x < w; ++x, dst += 3) std::copy_n(&lut[3 * src[x]], 3, dst);
      break;
    case 4:
      for (int x = 0; x < w; ++x, dst += 3) {
        const int i = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
        std::copy_n(&lut[3 * i], 3, dst);
      }
      break;
    default:  // 1 bpp
      for (int x = 0; x < w; ++x, dst += 3) std::copy_n(&lut[3 * ((src[x >> 3] >> (7 - (x & 7))) & 1)], 3, dst);
      break;
  }
}

}  // namespace

Result JpegSave(const Image& image, const std::string& path, const SaveOptions& options) {
  if (image.empty()) return Result(Status::kBadImage, "no picture");
  const int bpp = image.bpp();
  const std::vector<PaletteEntry>& palette = image.palette();
  // Palette as B,G,R triplets; indices beyond it are black.
  std::array<uint8_t, 3 * 256> lut{};
  for (size_t i = 0; i < palette.size() && i < 256; ++i) {
    lut[3 * i] = palette[i].blue;
    lut[3 * i + 1] = palette[i].green;
    lut[3 * i + 2] = palette[i].red;
  }
  Feed feed = Feed::kExpand;
  if (bpp == 8 && !palette.empty() && image.IsGrayPalette()) {
    bool ramp = palette.size() == 256;
    for (size_t i = 0; ramp && i < 256; ++i) ramp = palette[i].red == i;
    feed = ramp ? Feed::kGrey : Feed::kGreyMapped;
  } else if (bpp == 24) {
    feed = Feed::kBgr;
  } else if (bpp == 32) {
    feed = Feed::kBgrx;
  }
  const bool grey = feed == Feed::kGrey || feed == Feed::kGreyMapped;
  const int quality = std::clamp(options.jpeg_quality, 20, 100);
  const std::string& comment = !options.comment.empty() ? options.comment : image.comment();

  std::vector<uint8_t> buffer;
  if (feed == Feed::kExpand) buffer.resize(static_cast<size_t>(image.width()) * 3);
  if (feed == Feed::kGreyMapped) buffer.resize(static_cast<size_t>(image.width()));

  FileCloser file;
  file.f = std::fopen(path.c_str(), "wb");
  if (file.f == nullptr) return Result(Status::kCannotCreate, "cannot create " + path);
  std::setvbuf(file.f, nullptr, _IONBF, 0);  // the destination buffers
  FileDestination dest;
  dest.file = file.f;
  dest.buffer.resize(kDestinationBuffer);
  dest.pub.init_destination = &InitDestination;
  dest.pub.empty_output_buffer = &EmptyOutputBuffer;
  dest.pub.term_destination = &TermDestination;
  std::vector<JSAMPROW> rows(kBatch);

  JpegEncoder enc;
  jpeg_compress_struct& ci = enc.cinfo;
  ci.err = JpegInstallErrors(&enc.err);
  const bool ok = JpegGuarded(enc.err, [&] {
    jpeg_create_compress(&ci);
    ci.dest = &dest.pub;
    ci.image_width = static_cast<JDIMENSION>(image.width());
    ci.image_height = static_cast<JDIMENSION>(image.height());
    ci.input_components = grey ? 1 : (feed == Feed::kBgrx ? 4 : 3);
    ci.in_color_space = grey ? JCS_GRAYSCALE : (feed == Feed::kBgrx ? JCS_EXT_BGRX : JCS_EXT_BGR);
    jpeg_set_defaults(&ci);
    jpeg_set_quality(&ci, quality, TRUE);
    ci.dct_method = JDCT_ISLOW;
    if (options.type == SaveType::kJpegProgressive) jpeg_simple_progression(&ci);
    ci.write_JFIF_header = TRUE;
    if (image.dpi_x() > 0 && image.dpi_y() > 0) {
      ci.density_unit = 1;
      ci.X_density = static_cast<UINT16>(std::min(image.dpi_x(), 65535));
      ci.Y_density = static_cast<UINT16>(std::min(image.dpi_y(), 65535));
    }
    jpeg_start_compress(&ci, TRUE);
    for (size_t at = 0; at < comment.size(); at += kMaxMarkerData) {
      const size_t n = std::min(kMaxMarkerData, comment.size() - at);
      jpeg_write_marker(&ci, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data() + at), static_cast<unsigned>(n));
    }
    while (ci.next_scanline < ci.image_height) {
      const int y = static_cast<int>(ci.next_scanline);
      JDIMENSION n = 1;
      switch (feed) {
        case Feed::kGrey:
        case Feed::kBgr:
        case Feed::kBgrx:
          n = std::min<JDIMENSION>(kBatch, ci.image_height - ci.next_scanline);
          for (JDIMENSION k = 0; k < n; ++k) rows[k] = const_cast<JSAMPROW>(image.row(y + static_cast<int>(k)));
          break;
        case Feed::kGreyMapped: {
          const uint8_t* src = image.row(y);
          for (int x = 0; x < image.width(); ++x) buffer[x] = lut[3 * src[x]];
          rows[0] = buffer.data();
          break;
        }
        case Feed::kExpand:
          ExpandRow(image, y, lut, buffer.data());
          rows[0] = buffer.data();
          break;
      }
      jpeg_write_scanlines(&ci, rows.data(), n);
    }
    jpeg_finish_compress(&ci);
  });
  if (!ok) return enc.err.Fail("encoding", Status::kCannotWrite);
  const bool flushed = !std::ferror(file.f);
  const bool closed = std::fclose(file.f) == 0;
  file.f = nullptr;
  if (!flushed || !closed) return Result(Status::kCannotWrite, "cannot write " + path);
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

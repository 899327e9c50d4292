// FlashPix encoding: the picture becomes 8-bit monochrome or 24-bit RGB,
// a pyramid of levels is built by halving with area averaging, each level
// is cut into 64 x 64 tiles (uniform tiles as single-colour tiles, others
// raw or JPEG through turbojpeg), and the compound file is assembled in
// memory with libgsf before it is written out.  The JPEG tables of the
// first tile are shared through the image contents property set; each
// JPEG tile keeps only its frame and scan.
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "imaging/codecs/fpx_internal.h"
#include "imaging/ops/resize.h"

namespace imaging::codecs::internal {
namespace {

constexpr int kT = kFpxTileSide;

void Put32(std::vector<uint8_t>* v, uint32_t x) {
  for (int s = 0; s < 32; s += 8) v->push_back(static_cast<uint8_t>(x >> s));
}

struct TjDeleter {
  void operator()(void* h) const { tjDestroy(h); }
};
struct TjBufferDeleter {
  void operator()(unsigned char* p) const { tjFree(p); }
};
struct GObjectDeleter {
  void operator()(void* p) const { g_object_unref(p); }
};

// The picture as the file stores it: 8-bit grey or 24-bit (BGR rows).
Result Normalise(const Image& image, bool mono, Image* out) {
  Image img;
  if (Result r = Image::Create(image.width(), image.height(), mono ? 8 : 24, &img); !r.ok()) return r;
  for (int y = 0; y < image.height(); ++y) {
    uint8_t* d = img.row(y);
    if (!mono && image.bpp() == 24) {
      std::memcpy(d, image.row(y), static_cast<size_t>(image.width()) * 3);
      continue;
    }
    for (int x = 0; x < image.width(); ++x) {
      const uint32_t rgb = image.PixelRgb(x, y);
      if (mono) {
        d[x] = static_cast<uint8_t>(rgb & 0xFF);
      } else {
        d[3 * x] = rgb & 0xFF;
        d[3 * x + 1] = (rgb >> 8) & 0xFF;
        d[3 * x + 2] = (rgb >> 16) & 0xFF;
      }
    }
  }
  img.set_gray(mono);
  *out = std::move(img);
  return Result::Ok();
}

// Copies tile (tx, ty) into `tile` (kT x kT, channels interleaved in file
// order: grey, or R G B), replicating the last row and column past the
// picture's edge.  Returns true when the visible part is one colour.
bool GatherTile(const Image& level, int tx, int ty, int channels, uint8_t* tile) {
  const int x0 = tx * kT, y0 = ty * kT;
  const int w = std::min(kT, level.width() - x0), h = std::min(kT, level.height() - y0);
  bool uniform = true;
  const uint8_t* first = level.row(y0) + static_cast<size_t>(x0) * channels;
  for (int y = 0; y < kT; ++y) {
    const uint8_t* s = level.row(y0 + std::min(y, h - 1)) + static_cast<size_t>(x0) * channels;
    uint8_t* d = tile + static_cast<size_t>(y) * kT * channels;
    for (int x = 0; x < kT; ++x) {
      const uint8_t* p = s + static_cast<size_t>(std::min(x, w - 1)) * channels;
      if (channels == 1) {
        d[x] = p[0];
      } else {
        d[3 * x] = p[2];
        d[3 * x + 1] = p[1];
        d[3 * x + 2] = p[0];
      }
      if (uniform && y < h && x < w && std::memcmp(p, first, channels) != 0) uniform = false;
    }
  }
  return uniform;
}

// Splits a complete JPEG stream into its tables (SOI, DQT, DHT, EOI) and
// the rest (SOI, frame, scan, EOI); the JFIF marker is dropped.
bool SplitJpeg(const uint8_t* p, size_t n, std::vector<uint8_t>* tables, std::vector<uint8_t>* rest) {
  if (n < 4 || p[0] != 0xFF || p[1] != 0xD8) return false;
  *tables = {0xFF, 0xD8};
  *rest = {0xFF, 0xD8};
  size_t pos = 2;
  while (pos + 4 <= n) {
    if (p[pos] != 0xFF) return false;
    const uint8_t marker = p[pos + 1];
    if (marker == 0xDA) {
      rest->insert(rest->end(), p + pos, p + n);
      tables->push_back(0xFF);
      tables->push_back(0xD9);
      return true;
    }
    const size_t len = (size_t{p[pos + 2]} << 8) | p[pos + 3];
    if (len < 2 || pos + 2 + len > n) return false;
    std::vector<uint8_t>* to = marker == 0xDB || marker == 0xC4 ? tables : marker == 0xE0 ? nullptr : rest;
    if (to != nullptr) to->insert(to->end(), p + pos, p + pos + 2 + len);
    pos += 2 + len;
  }
  return false;
}

struct JpegState {
  std::unique_ptr<void, TjDeleter> handle;
  std::unique_ptr<unsigned char, TjBufferDeleter> buffer;
  unsigned long capacity = 0;
  int quality = 85;
  std::vector<uint8_t> tables;  // shared tables (index 1), from the first tile
};

struct EncodedLevel {
  std::vector<uint8_t> header;
  std::vector<uint8_t> data;
};

Result EncodeLevel(const Image& level, int channels, JpegState* jpeg, EncodedLevel* out) {
  const int across = (level.width() + kT - 1) / kT, down = (level.height() + kT - 1) / kT;
  const uint32_t tiles = static_cast<uint32_t>(across) * static_cast<uint32_t>(down);
  std::vector<uint8_t>& h = out->header;
  std::vector<uint8_t>& data = out->data;
  h.clear();
  data.clear();
  for (uint32_t v : {uint32_t(kSubimageHeaderLength), uint32_t(level.width()), uint32_t(level.height()), tiles,
                     uint32_t(kT), uint32_t(kT), uint32_t(channels), uint32_t(kSubimageHeaderLength),
                     uint32_t(kTileEntryLength)})
    Put32(&h, v);
  std::vector<uint8_t> tile(static_cast<size_t>(kT) * kT * channels);
  std::vector<uint8_t> tables, rest;
  for (int ty = 0; ty < down; ++ty) {
    for (int tx = 0; tx < across; ++tx) {
      if (data.size() > 0xFFFFFFFFull - tile.size())
        return Result(Status::kUnsupported, "FlashPix level too large for 32-bit tile offsets");
      const uint32_t offset = static_cast<uint32_t>(data.size());
      if (GatherTile(level, tx, ty, channels, tile.data())) {
        uint32_t colour = 0;
        for (int c = 0; c < channels; ++c) colour |= uint32_t{tile[c]} << (8 * c);
        for (uint32_t v : {offset, 0u, kTileSingleColour, colour}) Put32(&h, v);
        continue;
      }
      if (jpeg == nullptr) {
        data.insert(data.end(), tile.begin(), tile.end());
        for (uint32_t v : {offset, uint32_t(tile.size()), kTileUncompressed, 0u}) Put32(&h, v);
        continue;
      }
      unsigned char* buf = jpeg->buffer.get();
      unsigned long len = jpeg->capacity;
      const bool grey = channels == 1;
      if (tjCompress2(jpeg->handle.get(), tile.data(), kT, kT * channels, kT, grey ? TJPF_GRAY : TJPF_RGB, &buf, &len,
                      grey ? TJSAMP_GRAY : TJSAMP_420, jpeg->quality, TJFLAG_NOREALLOC) != 0)
        return Result(Status::kCannotWrite, std::string("JPEG tile: ") + tjGetErrorStr2(jpeg->handle.get()));
      uint32_t table_index = 0;
      if (SplitJpeg(buf, len, &tables, &rest)) {
        if (jpeg->tables.empty()) jpeg->tables = tables;
        if (tables == jpeg->tables) table_index = 1;
      }
      const uint32_t subtype = (grey ? 0x11u << 8 : 0x22u << 8) | (grey ? 0u : 1u << 16) | (table_index << 24);
      if (table_index != 0)
        data.insert(data.end(), rest.begin(), rest.end());
      else
        data.insert(data.end(), buf, buf + len);
      for (uint32_t v : {offset, uint32_t(data.size() - offset), kTileJpeg, subtype}) Put32(&h, v);
    }
  }
  return Result::Ok();
}

std::vector<uint8_t> ColourBlob(int channels) {
  std::vector<uint8_t> b;
  Put32(&b, static_cast<uint32_t>(channels));
  const uint32_t space = channels == 1 ? kColourSpaceMono : kColourSpaceRgb;
  for (int c = 0; c < channels; ++c) Put32(&b, (space << 16) | static_cast<uint32_t>(c));
  return b;
}

// Writes one stream into `dir`; false when libgsf refuses.
bool WriteStream(GsfOutfile* dir, const char* name, const std::vector<uint8_t>& bytes) {
  GsfOutput* child = gsf_outfile_new_child(dir, name, FALSE);
  if (child == nullptr) return false;
  bool ok = bytes.empty() || gsf_output_write(child, bytes.size(), bytes.data());
  ok = gsf_output_close(child) && ok;
  g_object_unref(child);
  return ok;
}

bool WriteLevel(GsfOutfile* root, int index, const EncodedLevel& level) {
  GsfOutput* dir = gsf_outfile_new_child(root, StorageNameOfLevel(index).c_str(), TRUE);
  if (dir == nullptr) return false;
  gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(dir), kFpxResolutionClsid);
  bool ok = WriteStream(GSF_OUTFILE(dir), "Subimage 0000 Header", level.header) &&
            WriteStream(GSF_OUTFILE(dir), "Subimage 0000 Data", level.data);
  ok = gsf_output_close(dir) && ok;
  g_object_unref(dir);
  return ok;
}

bool WriteEmptyStorage(GsfOutfile* root, const char* name) {
  GsfOutput* dir = gsf_outfile_new_child(root, name, TRUE);
  if (dir == nullptr) return false;
  const bool ok = gsf_output_close(dir);
  g_object_unref(dir);
  return ok;
}

}  // namespace

Result FpxEncode(const Image& image, const SaveOptions& options, std::vector<uint8_t>* out) {
  if (image.empty()) return Result(Status::kBadImage, "no picture");
  if (out == nullptr) return Result(Status::kBadValue, "no destination");
  if (image.bpp() <= 8 && image.palette().empty()) return Result(Status::kBadImage, "palette picture without palette");
  static const bool gsf_ready = (gsf_init(), true);
  (void)gsf_ready;

  const bool mono = image.bpp() <= 8 && image.IsGrayPalette();
  const int channels = mono ? 1 : 3;
  std::vector<Image> levels(1);
  if (Result r = Normalise(image, mono, &levels[0]); !r.ok()) return r;
  while (levels.back().width() > kT || levels.back().height() > kT) {
    const Image& last = levels.back();
    Image next;
    if (Result r = ops::ResizeImage(last, &next, (last.width() + 1) / 2, (last.height() + 1) / 2,
                                    ops::ResizeFilter::kArea);
        !r.ok())
      return r;
    levels.push_back(std::move(next));
  }

  JpegState jpeg;
  const bool use_jpeg = options.type == SaveType::kFpxJpeg;
  if (use_jpeg) {
    jpeg.handle.reset(tjInitCompress());
    jpeg.capacity = tjBufSize(kT, kT, TJSAMP_444);
    jpeg.buffer.reset(tjAlloc(static_cast<int>(jpeg.capacity)));
    if (!jpeg.handle || !jpeg.buffer) return Result(Status::kMemory, "cannot start the JPEG encoder");
    jpeg.quality = std::clamp(options.jpeg_quality, 1, 100);
  }
  std::vector<EncodedLevel> encoded(levels.size());
  for (size_t i = 0; i < levels.size(); ++i)
    if (Result r = EncodeLevel(levels[i], channels, use_jpeg ? &jpeg : nullptr, &encoded[i]); !r.ok()) return r;

  PropertySetWriter contents;
  contents.AddI2(1, 1252);
  contents.AddUi4(kPidLevelCount, static_cast<uint32_t>(levels.size()));
  contents.AddUi4(kPidWidth, static_cast<uint32_t>(image.width()));
  contents.AddUi4(kPidHeight, static_cast<uint32_t>(image.height()));
  if (image.dpi_x() > 0 && image.dpi_y() > 0) {
    contents.AddR4(kPidDisplayWidth, static_cast<float>(image.width()) / static_cast<float>(image.dpi_x()));
    contents.AddR4(kPidDisplayHeight, static_cast<float>(image.height()) / static_cast<float>(image.dpi_y()));
    contents.AddUi4(kPidDisplayUnit, 0);  // inches
  }
  for (size_t i = 0; i < levels.size(); ++i) {
    const int n = static_cast<int>(i);
    contents.AddUi4(PidLevel(n, kLevelWidth), static_cast<uint32_t>(levels[i].width()));
    contents.AddUi4(PidLevel(n, kLevelHeight), static_cast<uint32_t>(levels[i].height()));
    contents.AddBlob(PidLevel(n, kLevelColour), ColourBlob(channels));
    contents.AddUi4Vector(PidLevel(n, kLevelFormat), std::vector<uint32_t>(channels, 17));
  }
  if (!jpeg.tables.empty()) {
    contents.AddBlob(PidJpegTables(1), jpeg.tables);
    contents.AddUi4(kPidMaxJpegTable, 1);
  }
  PropertySetWriter summary;
  summary.AddI2(1, static_cast<int16_t>(65001));  // UTF-8 text
  const std::string& comment = !options.comment.empty() ? options.comment : image.comment();
  if (!comment.empty()) summary.AddString(6, comment);

  std::unique_ptr<GsfOutput, GObjectDeleter> sink(gsf_output_memory_new());
  if (!sink) return Result(Status::kMemory, "cannot start the compound file");
  GsfOutfile* root = gsf_outfile_msole_new(sink.get());
  if (root == nullptr) return Result(Status::kMemory, "cannot start the compound file");
  gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(root), kFpxImageClsid);
  bool ok = WriteStream(root, kSummaryInformationName, summary.Build(kSummaryInformationFmtid)) &&
            WriteStream(root, kImageContentsName, contents.Build(kFpxImageContentsFmtid)) &&
            WriteEmptyStorage(root, "Data Object Store 000001");
  for (size_t i = 0; ok && i < encoded.size(); ++i) ok = WriteLevel(root, static_cast<int>(i), encoded[i]);
  ok = gsf_output_close(GSF_OUTPUT(root)) && ok;
  g_object_unref(root);
  if (!ok) return Result(Status::kCannotWrite, "cannot assemble the compound file");
  const gsf_off_t n = gsf_output_size(sink.get());
  const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
  if (n <= 0 || bytes == nullptr) return Result(Status::kCannotWrite, "empty compound file");
  out->assign(bytes, bytes + n);
  return Result::Ok();
}

Result FpxSave(const Image& image, const std::string& path, const SaveOptions& options) {
  std::vector<uint8_t> bytes;
  if (Result r = FpxEncode(image, options, &bytes); !r.ok()) return r;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return Result(Status::kCannotCreate, "cannot create " + path);
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) return Result(Status::kCannotWrite, "cannot write " + path);
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

// FlashPix decoding: the compound file is opened from memory with libgsf,
// the image contents property set gives the levels and their colour, each
// level's header stream gives its tile table, and only the chosen level's
// tiles are decoded (JPEG through turbojpeg).  Every size, count, offset
// and length read from the file is checked before it is used.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>
#include <iconv.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "imaging/codecs/fpx_internal.h"

namespace imaging::codecs::internal {
namespace {

constexpr int kMaxLevels = 32;
constexpr int kMaxTileSide = 1024;

struct GObjectDeleter {
  void operator()(void* p) const { g_object_unref(p); }
};
using InputPtr = std::unique_ptr<GsfInput, GObjectDeleter>;
using InfilePtr = std::unique_ptr<GsfInfile, GObjectDeleter>;
struct TjDeleter {
  void operator()(void* h) const { tjDestroy(h); }
};

uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

Result Broken(const std::string& what) { return Result(Status::kBroken, "FlashPix: " + what); }

bool HasOle2Signature(const uint8_t* data, size_t size) {
  static const uint8_t kSig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  return data != nullptr && size >= 512 && std::memcmp(data, kSig, 8) == 0;
}

InfilePtr OpenOle(const uint8_t* data, size_t size) {
  static const bool gsf_ready = (gsf_init(), true);
  (void)gsf_ready;
  InputPtr input(gsf_input_memory_new(data, static_cast<gsf_off_t>(size), FALSE));
  if (!input) return nullptr;
  GError* error = nullptr;
  GsfInfile* ole = gsf_infile_msole_new(input.get(), &error);
  if (error != nullptr) g_error_free(error);
  return InfilePtr(ole);
}

// Reads a whole stream; its declared size must not exceed the file's.
Result ReadStream(GsfInput* stream, size_t file_size, size_t limit, std::vector<uint8_t>* out) {
  const gsf_off_t n = gsf_input_size(stream);
  if (n < 0 || static_cast<uint64_t>(n) > file_size) return Broken("stream larger than the file");
  const size_t want = std::min(static_cast<size_t>(n), limit);
  std::vector<uint8_t> bytes(want);
  if (want > 0 && gsf_input_read(stream, want, bytes.data()) == nullptr) return Broken("stream cut short");
  *out = std::move(bytes);
  return Result::Ok();
}

// libgsf gives streams and storages of a compound file the same class; a
// stream is the one without a child list.
bool IsStorage(GsfInput* entry) { return GSF_IS_INFILE(entry) && gsf_infile_num_children(GSF_INFILE(entry)) >= 0; }

// Reads stream `name` of `dir`; kNotFound when there is no such stream.
Result ReadChild(GsfInfile* dir, const char* name, size_t file_size, size_t limit, std::vector<uint8_t>* out) {
  InputPtr child(gsf_infile_child_by_name(dir, name));
  if (!child || IsStorage(child.get())) return Result(Status::kNotFound, std::string("no stream ") + name);
  return ReadStream(child.get(), file_size, limit, out);
}

// A missing stream inside a FlashPix file is damage, not a foreign file.
Result Required(Result r) {
  return r.code() == Status::kNotFound ? Broken(r.message()) : r;
}

// Looks for the directory entry of the image contents stream without
// libgsf: entries are 128 bytes, sector aligned, so they sit at multiples
// of 128 from the first sector on.  Used when the compound file is too
// damaged to open, so that a cut FlashPix file is still recognised.
bool HasRawImageContentsEntry(const uint8_t* data, size_t size) {
  uint8_t name[32] = {};
  for (size_t i = 0; kImageContentsName[i] != '\0'; ++i) name[2 * i] = static_cast<uint8_t>(kImageContentsName[i]);
  for (size_t at = 512; at + 128 <= size; at += 128) {
    const uint8_t* e = data + at;
    if (e[64] == sizeof name && e[65] == 0 && e[66] == 2 && std::memcmp(e, name, sizeof name) == 0) return true;
  }
  return false;
}

bool HasImageContents(GsfInfile* dir) {
  InputPtr contents(gsf_infile_child_by_name(dir, kImageContentsName));
  return contents != nullptr && !IsStorage(contents.get());
}

// The storage of the image object: the root itself, or, when the root is a
// view of an image kept in a storage of its own, the first storage right
// below the root that holds the image contents.  Null when there is none.
InfilePtr FindImageStorage(GsfInfile* root) {
  if (HasImageContents(root)) return InfilePtr(GSF_INFILE(g_object_ref(root)));
  const int n = std::min(gsf_infile_num_children(root), 64);
  for (int i = 0; i < n; ++i) {
    InputPtr child(gsf_infile_child_by_index(root, i));
    if (child && IsStorage(child.get()) && HasImageContents(GSF_INFILE(child.get())))
      return InfilePtr(GSF_INFILE(child.release()));
  }
  return nullptr;
}

enum class Colour { kMono, kRgb, kYcc };

struct Level {
  int index = 0;       // n of "Resolution n"
  int width = 0;
  int height = 0;
  int channels = 0;
  int tile_w = 0;
  int tile_h = 0;
  uint32_t tiles = 0;
  uint32_t table_offset = 0;
  uint32_t entry_length = 0;
  Colour colour = Colour::kRgb;
  std::vector<uint8_t> header;  // the whole header stream once the tiles are read
};

struct FpxFile {
  InfilePtr ole;
  InfilePtr image;  // the storage holding the image contents: the root or one below it
  size_t size = 0;
  PropertyMap contents;
  std::vector<Level> levels;  // largest first
  int dpi_x = 0;
  int dpi_y = 0;
};

Colour ColourOfLevel(const PropertyMap& contents, int index, int channels) {
  Colour fallback = channels <= 2 ? Colour::kMono : Colour::kRgb;
  auto it = contents.find(PidLevel(index, kLevelColour));
  if (it == contents.end() || it->second.bytes.size() < 8) return fallback;
  const std::vector<uint8_t>& b = it->second.bytes;
  const uint32_t space = (Le32(b.data() + 4) >> 16) & 0x7FFF;
  if (space == kColourSpaceMono && channels <= 2) return Colour::kMono;
  if (space == kColourSpaceRgb && channels >= 3) return Colour::kRgb;
  if (space == kColourSpaceYcc && channels >= 3) return Colour::kYcc;
  return fallback;
}

// Parses the fixed part of a level header and checks it against itself.
Result ParseLevelHeader(const std::vector<uint8_t>& h, Level* level) {
  if (h.size() < kSubimageHeaderLength) return Broken("level header too short");
  const uint32_t w = Le32(&h[4]), ht = Le32(&h[8]), tiles = Le32(&h[12]);
  const uint32_t tw = Le32(&h[16]), th = Le32(&h[20]), channels = Le32(&h[24]);
  const uint32_t table = Le32(&h[28]), entry = Le32(&h[32]);
  if (w < 1 || ht < 1 || w > uint32_t(kMaxDimension) || ht > uint32_t(kMaxDimension))
    return Result(Status::kMemory, "FlashPix level size out of bounds");
  if (tw < 1 || th < 1 || tw > uint32_t(kMaxTileSide) || th > uint32_t(kMaxTileSide)) return Broken("bad tile size");
  if (channels < 1 || channels > 4) return Result(Status::kUnsupported, "FlashPix channel count not supported");
  const uint64_t expected = uint64_t((w + tw - 1) / tw) * ((ht + th - 1) / th);
  if (tiles != expected) return Broken("tile count does not match the size");
  if (entry < 16 || entry > 256) return Broken("bad tile entry length");
  level->width = static_cast<int>(w);
  level->height = static_cast<int>(ht);
  level->channels = static_cast<int>(channels);
  level->tile_w = static_cast<int>(tw);
  level->tile_h = static_cast<int>(th);
  level->tiles = tiles;
  level->table_offset = table;
  level->entry_length = entry;
  return Result::Ok();
}

// Finds the levels (header fixed parts only) and the file's resolution.
Result OpenFile(const uint8_t* data, size_t size, FpxFile* f) {
  if (!HasOle2Signature(data, size)) return Result(Status::kBadFile, "not a compound file");
  f->ole = OpenOle(data, size);
  if (!f->ole) {
    return HasRawImageContentsEntry(data, size) ? Broken("compound file directory unreadable")
                                                : Result(Status::kBadFile, "not a readable compound file");
  }
  f->size = size;
  f->image = FindImageStorage(f->ole.get());
  if (!f->image) return Result(Status::kBadFile, "not a FlashPix file");
  std::vector<uint8_t> bytes;
  if (Result r = Required(ReadChild(f->image.get(), kImageContentsName, size, size, &bytes)); !r.ok()) return r;
  if (Result r = ParsePropertySet(bytes.data(), bytes.size(), &f->contents); !r.ok()) return r;

  int count = kMaxLevels;
  if (auto it = f->contents.find(kPidLevelCount); it != f->contents.end())
    count = static_cast<int>(std::min<uint32_t>(it->second.number, kMaxLevels));
  for (int i = 0; i < count; ++i) {
    InputPtr dir(gsf_infile_child_by_name(f->image.get(), StorageNameOfLevel(i).c_str()));
    if (!dir || !IsStorage(dir.get())) break;
    Level level;
    level.index = i;
    if (Result r = Required(ReadChild(GSF_INFILE(dir.get()), "Subimage 0000 Header", size, kSubimageHeaderLength,
                                      &level.header));
        !r.ok())
      return r;
    if (Result r = ParseLevelHeader(level.header, &level); !r.ok()) return r;
    level.colour = ColourOfLevel(f->contents, i, level.channels);
    f->levels.push_back(std::move(level));
  }
  if (f->levels.empty()) return Broken("no resolution level");
  std::stable_sort(f->levels.begin(), f->levels.end(),
                   [](const Level& a, const Level& b) { return a.width * int64_t{a.height} > b.width * int64_t{b.height}; });

  auto real = [&](uint32_t id) {
    auto it = f->contents.find(id);
    return it != f->contents.end() && it->second.type == kVtR4 ? double(it->second.real) : 0.0;
  };
  const double dw = real(kPidDisplayWidth), dh = real(kPidDisplayHeight);
  uint32_t unit = 0;
  if (auto it = f->contents.find(kPidDisplayUnit); it != f->contents.end()) unit = it->second.number;
  static const double kInchesPerUnit[4] = {1.0, 1000.0 / 25.4, 10.0 / 25.4, 1.0 / 25.4};
  if (unit < 4 && std::isfinite(dw) && std::isfinite(dh) && dw > 0 && dh > 0) {
    const Level& full = f->levels.front();
    const double x = full.width / (dw * kInchesPerUnit[unit]), y = full.height / (dh * kInchesPerUnit[unit]);
    if (x >= 1 && x < 1e6 && y >= 1 && y < 1e6) {
      f->dpi_x = static_cast<int>(std::lround(x));
      f->dpi_y = static_cast<int>(std::lround(y));
    }
  }
  return Result::Ok();
}

// The comment of the summary information, as UTF-8; empty when absent.
std::string ReadComment(const FpxFile& f) {
  std::vector<uint8_t> bytes;
  PropertyMap summary;
  if ((!ReadChild(f.ole.get(), kSummaryInformationName, f.size, 1 << 20, &bytes).ok() &&
       !ReadChild(f.image.get(), kSummaryInformationName, f.size, 1 << 20, &bytes).ok()) ||
      !ParsePropertySet(bytes.data(), bytes.size(), &summary).ok())
    return {};
  auto it = summary.find(6);
  if (it == summary.end() || it->second.bytes.empty()) return {};
  int codepage = 65001;
  if (auto cp = summary.find(1); cp != summary.end()) codepage = static_cast<int>(cp->second.number & 0xFFFF);
  const std::vector<uint8_t>& text = it->second.bytes;
  std::string from = it->second.type == kVtLpwstr || codepage == 1200 ? "UTF-16LE" : "CP" + std::to_string(codepage);
  if (from == "CP65001") return std::string(text.begin(), text.end());
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text.begin(), text.end());
  std::string out(text.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data()));
  size_t in_left = text.size(), out_left = out.size();
  char* dst = out.data();
  const bool ok = iconv(cd, &in, &in_left, &dst, &out_left) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return std::string(text.begin(), text.end());
  out.resize(out.size() - out_left);
  return out;
}

// Decodes one JPEG tile into `tile` (at most tile_w x tile_h x channels,
// file channel order, `*pitch` pixels a row).  The JPEG may be cut to the
// visible part `vw` x `vh` of an edge tile.  `convert` says whether the
// JPEG holds YCbCr to be turned back into the file's channels.
Result DecodeJpegTile(tjhandle tj, const std::vector<uint8_t>& stream, const Level& level, int vw, int vh,
                      bool convert, uint8_t* tile, int* pitch) {
  int w = 0, h = 0, subsamp = 0, space = 0;
  auto* buf = const_cast<unsigned char*>(stream.data());
  if (tjDecompressHeader3(tj, buf, stream.size(), &w, &h, &subsamp, &space) != 0) return Broken("bad JPEG tile");
  if (w < vw || h < vh || w > level.tile_w || h > level.tile_h) return Broken("JPEG tile of the wrong size");
  *pitch = w;
  const bool grey = level.channels == 1;
  if (grey != (subsamp == TJSAMP_GRAY)) return Result(Status::kUnsupported, "JPEG tile channel count not supported");
  const int flags = TJFLAG_NOREALLOC;
  auto failed = [&](int rc) { return rc != 0 && tjGetErrorCode(tj) != TJERR_WARNING; };
  if (grey || (convert && level.channels == 3)) {
    if (failed(tjDecompress2(tj, buf, stream.size(), tile, w, w * level.channels, h, grey ? TJPF_GRAY : TJPF_RGB,
                             flags)))
      return Broken(std::string("JPEG tile: ") + tjGetErrorStr2(tj));
    return Result::Ok();
  }
  if (level.channels != 3) return Result(Status::kUnsupported, "JPEG tiles with opacity not supported");
  // Stored without colour conversion: take the planes as they are.
  std::vector<uint8_t> planes[3];
  unsigned char* dst[3];
  int strides[3];
  for (int c = 0; c < 3; ++c) {
    strides[c] = tjPlaneWidth(c, w, subsamp);
    const int ph = tjPlaneHeight(c, h, subsamp);
    if (strides[c] <= 0 || ph <= 0) return Broken("bad JPEG subsampling");
    planes[c].resize(static_cast<size_t>(strides[c]) * ph);
    dst[c] = planes[c].data();
  }
  if (failed(tjDecompressToYUVPlanes(tj, buf, stream.size(), dst, w, strides, h, flags)))
    return Broken(std::string("JPEG tile: ") + tjGetErrorStr2(tj));
  const int cw = strides[1], ch = static_cast<int>(planes[1].size() / strides[1]);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* d = tile + (static_cast<size_t>(y) * w + x) * 3;
      d[0] = planes[0][static_cast<size_t>(y) * strides[0] + x];
      const size_t ci = static_cast<size_t>(std::min(y * ch / h, ch - 1)) * cw + std::min(x * cw / w, cw - 1);
      d[1] = planes[1][ci];
      d[2] = planes[2][ci];
    }
  return Result::Ok();
}

// Builds a complete JPEG stream from shared tables and an abbreviated tile.
Result JpegStream(const PropertyMap& contents, uint32_t table_index, const uint8_t* p, size_t n,
                  std::vector<uint8_t>* out) {
  out->clear();
  if (table_index != 0) {
    auto it = contents.find(PidJpegTables(static_cast<int>(table_index)));
    if (it == contents.end() || it->second.type != kVtBlob) return Broken("JPEG tables missing");
    const std::vector<uint8_t>& t = it->second.bytes;
    size_t end = t.size();
    if (end >= 2 && t[end - 2] == 0xFF && t[end - 1] == 0xD9) end -= 2;
    out->assign(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(end));
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xD8) p += 2, n -= 2;
    if (out->empty()) *out = {0xFF, 0xD8};
  }
  out->insert(out->end(), p, p + n);
  return Result::Ok();
}

uint8_t Clip(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// Decodes every tile of `level` into `out`.
Result DecodeLevel(const FpxFile& f, const Level& level, const std::vector<uint8_t>& data, Image* out) {
  const std::vector<uint8_t>& h = level.header;
  const uint64_t table_end = uint64_t{level.table_offset} + uint64_t{level.tiles} * level.entry_length;
  if (table_end > h.size()) return Broken("tile table cut short");
  const bool mono = level.colour == Colour::kMono;
  Image img;
  if (Result r = Image::Create(level.width, level.height, mono ? 8 : 24, &img); !r.ok()) return r;
  const int ch = level.channels, tw = level.tile_w, th = level.tile_h;
  const size_t tile_bytes = static_cast<size_t>(tw) * th * ch;
  std::vector<uint8_t> tile(tile_bytes), stream;
  std::unique_ptr<void, TjDeleter> tj;
  const int across = (level.width + tw - 1) / tw;
  for (uint32_t t = 0; t < level.tiles; ++t) {
    const uint8_t* e = h.data() + level.table_offset + size_t{t} * level.entry_length;
    const uint32_t offset = Le32(e), length = Le32(e + 4), type = Le32(e + 8), sub = Le32(e + 12);
    const int x0 = static_cast<int>(t % across) * tw, y0 = static_cast<int>(t / across) * th;
    const int vw = std::min(tw, level.width - x0), vh = std::min(th, level.height - y0);
    int pitch = tw;  // pixels per row of `tile`
    if (type == kTileSingleColour) {
      for (size_t i = 0; i < static_cast<size_t>(tw) * th; ++i)
        for (int c = 0; c < ch; ++c) tile[i * ch + c] = static_cast<uint8_t>(sub >> (8 * c));
    } else {
      if (uint64_t{offset} + length > data.size()) return Broken("tile outside the data stream");
      const uint8_t* p = data.data() + offset;
      if (type == kTileUncompressed) {
        const size_t cut = static_cast<size_t>(vw) * vh * ch;
        if (length >= tile_bytes) {
          std::memcpy(tile.data(), p, tile_bytes);
        } else if (length == cut) {
          std::memcpy(tile.data(), p, cut);
          pitch = vw;
        } else {
          return Broken("uncompressed tile too short");
        }
      } else if (type == kTileJpeg) {
        if (!tj) tj.reset(tjInitDecompress());
        if (!tj) return Result(Status::kMemory, "cannot start the JPEG decoder");
        if (Result r = JpegStream(f.contents, sub >> 24, p, length, &stream); !r.ok()) return r;
        if (Result r = DecodeJpegTile(tj.get(), stream, level, vw, vh, ((sub >> 16) & 0xFF) != 0, tile.data(), &pitch); !r.ok())
          return r;
      } else {
        return Result(Status::kUnsupported, "FlashPix tile compression not supported");
      }
    }
    for (int y = 0; y < vh; ++y) {
      const uint8_t* s = tile.data() + static_cast<size_t>(y) * pitch * ch;
      uint8_t* d = img.row(y0 + y) + static_cast<size_t>(x0) * (mono ? 1 : 3);
      for (int x = 0; x < vw; ++x, s += ch) {
        if (mono) {
          d[x] = s[0];
        } else if (level.colour == Colour::kYcc) {
          // PhotoYCC to RGB.
          const double l = 1.3584 * s[0], c1 = 2.2179 * (s[1] - 156.0), c2 = 1.8215 * (s[2] - 137.0);
          d[3 * x + 2] = Clip(l + c2);
          d[3 * x + 1] = Clip(l - 0.194 * c1 - 0.509 * c2);
          d[3 * x] = Clip(l + c1);
        } else {
          d[3 * x] = s[2];
          d[3 * x + 1] = s[1];
          d[3 * x + 2] = s[0];
        }
      }
    }
  }
  img.set_gray(mono);
  *out = std::move(img);
  return Result::Ok();
}

// The level to decode: the smallest one that still covers the size the
// dispatcher will fit the picture into.
const Level& ChooseLevel(const FpxFile& f, const LoadOptions& options) {
  const Level& full = f.levels.front();
  if (options.max_width <= 0 && options.max_height <= 0) return full;
  const double sx = options.max_width > 0 ? double(options.max_width) / full.width : 1e9;
  const double sy = options.max_height > 0 ? double(options.max_height) / full.height : 1e9;
  const double s = std::min(sx, sy);
  if (s >= 1.0) return full;
  const int want_w = std::max(1, static_cast<int>(full.width * s + 0.5));
  const int want_h = std::max(1, static_cast<int>(full.height * s + 0.5));
  const Level* best = &full;
  for (const Level& l : f.levels)
    if (l.width >= want_w && l.height >= want_h && l.width * int64_t{l.height} < best->width * int64_t{best->height})
      best = &l;
  return *best;
}

}  // namespace

bool FpxSniff(const uint8_t* data, size_t size) {
  if (!HasOle2Signature(data, size)) return false;
  InfilePtr ole = OpenOle(data, size);
  if (!ole) return HasRawImageContentsEntry(data, size);
  return FindImageStorage(ole.get()) != nullptr;
}

Result FpxReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info) {
  if (info == nullptr) return Result(Status::kBadValue, "no destination");
  if (index != 0) return Result(Status::kBadValue, "a FlashPix file holds one picture");
  FpxFile f;
  if (Result r = OpenFile(data, size, &f); !r.ok()) return r;
  const Level& full = f.levels.front();
  FileInfo fi;
  fi.format = FileFormat::kFpx;
  fi.width = full.width;
  fi.height = full.height;
  fi.gray = full.colour == Colour::kMono;
  fi.bpp = fi.gray ? 8 : 24;
  fi.dpi_x = f.dpi_x;
  fi.dpi_y = f.dpi_y;
  *info = fi;
  return Result::Ok();
}

Result FpxLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) {
  if (out == nullptr) return Result(Status::kBadValue, "no destination");
  if (options.image_index != 0) return Result(Status::kBadValue, "a FlashPix file holds one picture");
  FpxFile f;
  if (Result r = OpenFile(data, size, &f); !r.ok()) return r;
  if (Result r = CheckPictureSize(f.levels.front().width, f.levels.front().height, "FlashPix"); !r.ok()) return r;
  Level level = ChooseLevel(f, options);
  InputPtr dir(gsf_infile_child_by_name(f.image.get(), StorageNameOfLevel(level.index).c_str()));
  if (!dir || !IsStorage(dir.get())) return Broken("resolution level vanished");
  std::vector<uint8_t> tile_data;
  if (Result r = Required(ReadChild(GSF_INFILE(dir.get()), "Subimage 0000 Header", size, size, &level.header));
      !r.ok())
    return r;
  if (Result r = Required(ReadChild(GSF_INFILE(dir.get()), "Subimage 0000 Data", size, size, &tile_data)); !r.ok())
    return r;
  Image img;
  if (Result r = DecodeLevel(f, level, tile_data, &img); !r.ok()) return r;
  img.set_dpi(f.dpi_x, f.dpi_y);
  img.set_comment(ReadComment(f));
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

// JPEG 2000 decoding with openjpeg from memory.
#include <openjpeg.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/codecs/jp2_internal.h"

namespace imaging::codecs::internal {
namespace {

constexpr uint8_t kJp2Signature[12] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};

struct Source {
  const uint8_t* data;
  size_t size;
  size_t pos;
  std::string error;
};

OPJ_SIZE_T SrcRead(void* buf, OPJ_SIZE_T n, void* user) {
  auto* s = static_cast<Source*>(user);
  if (s->pos >= s->size) return static_cast<OPJ_SIZE_T>(-1);
  const size_t k = std::min<size_t>(n, s->size - s->pos);
  std::memcpy(buf, s->data + s->pos, k);
  s->pos += k;
  return k;
}
OPJ_OFF_T SrcSkip(OPJ_OFF_T n, void* user) {
  auto* s = static_cast<Source*>(user);
  if (n < 0) {
    const size_t back = std::min<size_t>(static_cast<size_t>(-n), s->pos);
    s->pos -= back;
    return -static_cast<OPJ_OFF_T>(back);
  }
  const size_t k = std::min<size_t>(static_cast<size_t>(n), s->size - s->pos);
  s->pos += k;
  return static_cast<OPJ_OFF_T>(k);
}
OPJ_BOOL SrcSeek(OPJ_OFF_T to, void* user) {
  auto* s = static_cast<Source*>(user);
  if (to < 0 || static_cast<uint64_t>(to) > s->size) return OPJ_FALSE;
  s->pos = static_cast<size_t>(to);
  return OPJ_TRUE;
}
void OnError(const char* msg, void* user) {
  auto* s = static_cast<Source*>(user);
  if (s->error.empty()) s->error = msg;
}
void Quiet(const char*, void*) {}

struct Session {
  opj_codec_t* codec = nullptr;
  opj_stream_t* stream = nullptr;
  opj_image_t* image = nullptr;
  ~Session() {
    if (image) opj_image_destroy(image);
    if (stream) opj_stream_destroy(stream);
    if (codec) opj_destroy_codec(codec);
  }
};

Result Broken(const Source& s, const char* what) {
  std::string m = std::string("JPEG 2000 ") + what;
  if (!s.error.empty()) m += ": " + s.error;
  return Result(Status::kBroken, m);
}

// Opens the data and reads the main header into `ss->image`.
Result ReadHeader(Source* src, Session* ss) {
  const FileFormat kind = Jp2Kind(src->data, src->size);
  if (kind == FileFormat::kUnknown) return Result(Status::kBadFile, "not JPEG 2000 data");
  ss->codec = opj_create_decompress(kind == FileFormat::kJp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
  if (!ss->codec) return Result(Status::kMemory, "openjpeg decoder");
  opj_set_error_handler(ss->codec, &OnError, src);
  opj_set_warning_handler(ss->codec, &Quiet, src);
  opj_set_info_handler(ss->codec, &Quiet, src);
  opj_dparameters_t params;
  opj_set_default_decoder_parameters(&params);
  if (!opj_setup_decoder(ss->codec, &params)) return Broken(*src, "decoder set-up");
  opj_decoder_set_strict_mode(ss->codec, OPJ_TRUE);
  ss->stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
  if (!ss->stream) return Result(Status::kMemory, "openjpeg stream");
  opj_stream_set_user_data(ss->stream, src, nullptr);
  opj_stream_set_user_data_length(ss->stream, src->size);
  opj_stream_set_read_function(ss->stream, &SrcRead);
  opj_stream_set_skip_function(ss->stream, &SrcSkip);
  opj_stream_set_seek_function(ss->stream, &SrcSeek);
  if (!opj_read_header(ss->stream, ss->codec, &ss->image) || !ss->image) return Broken(*src, "header");
  const opj_image_t* im = ss->image;
  if (im->x1 <= im->x0 || im->y1 <= im->y0 || im->numcomps == 0) return Broken(*src, "picture has no size");
  return Result::Ok();
}

int DepthOf(const opj_image_t* im) {
  if (im->numcomps >= 4) return 32;
  if (im->numcomps == 3) return 24;
  return im->numcomps == 2 ? 32 : 8;
}

// 8-bit value of sample `v` of component `c`.
inline uint8_t To8(const opj_image_comp_t& c, int v) {
  if (c.sgnd) v += 1 << (c.prec - 1);
  if (c.prec > 8) v >>= (c.prec - 8);
  else if (c.prec < 8) v = c.prec == 0 ? 0 : v * 255 / ((1 << c.prec) - 1);
  return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

}  // namespace

FileFormat Jp2Kind(const uint8_t* data, size_t size) {
  if (size >= 12 && std::memcmp(data, kJp2Signature, 12) == 0) return FileFormat::kJp2;
  if (size >= 4 && data[0] == 0xFF && data[1] == 0x4F && data[2] == 0xFF && data[3] == 0x51) return FileFormat::kJ2k;
  return FileFormat::kUnknown;
}

bool Jp2Sniff(const uint8_t* data, size_t size) { return Jp2Kind(data, size) != FileFormat::kUnknown; }

Result Jp2ReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info) {
  if (index != 0) return Result(Status::kBadValue, "JPEG 2000 holds one picture");
  Source src{data, size, 0, {}};
  Session ss;
  if (Result r = ReadHeader(&src, &ss); !r.ok()) return r;
  const opj_image_t* im = ss.image;
  FileInfo i;
  i.format = Jp2Kind(data, size);
  i.width = static_cast<int>(std::min<uint32_t>(im->x1 - im->x0, INT32_MAX));
  i.height = static_cast<int>(std::min<uint32_t>(im->y1 - im->y0, INT32_MAX));
  i.bpp = DepthOf(im);
  i.gray = i.bpp == 8;
  *info = i;
  return Result::Ok();
}

Result Jp2Load(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) {
  if (options.image_index != 0) return Result(Status::kBadValue, "JPEG 2000 holds one picture");
  Source src{data, size, 0, {}};
  Session ss;
  if (Result r = ReadHeader(&src, &ss); !r.ok()) return r;
  const uint64_t full_w = ss.image->x1 - ss.image->x0, full_h = ss.image->y1 - ss.image->y0;
  if (Result r = CheckPictureSize(static_cast<int64_t>(full_w), static_cast<int64_t>(full_h), "JPEG 2000"); !r.ok())
    return r;
  const int comps = static_cast<int>(std::min<uint32_t>(ss.image->numcomps, 4));
  for (int c = 0; c < comps; ++c) {
    const opj_image_comp_t& k = ss.image->comps[c];
    if (k.dx == 0 || k.dy == 0 || k.dx > 4 || k.dy > 4 || k.prec == 0 || k.prec > 31)
      return Result(Status::kUnsupported, "JPEG 2000 component sampling or precision not supported");
  }
  if (ss.image->color_space == OPJ_CLRSPC_CMYK) return Result(Status::kUnsupported, "CMYK JPEG 2000");

  // Reduced resolution for bounded loads: halve while the result still covers the bound.
  int reduce = 0;
  if (options.max_width > 0 && options.max_height > 0) {
    int levels = 1;
    if (opj_codestream_info_v2_t* cs = opj_get_cstr_info(ss.codec)) {
      if (cs->m_default_tile_info.tccp_info) levels = static_cast<int>(cs->m_default_tile_info.tccp_info[0].numresolutions);
      opj_destroy_cstr_info(&cs);
    }
    const double scale = std::min({1.0, double(options.max_width) / double(full_w), double(options.max_height) / double(full_h)});
    while (reduce + 1 < levels && std::ldexp(1.0, -(reduce + 1)) >= scale) ++reduce;
    if (reduce > 0 && !opj_set_decoded_resolution_factor(ss.codec, static_cast<OPJ_UINT32>(reduce)))
      reduce = 0;
  }
  const uint64_t w = (full_w + (1u << reduce) - 1) >> reduce, h = (full_h + (1u << reduce) - 1) >> reduce;
  if (w > static_cast<uint64_t>(kMaxDimension) || h > static_cast<uint64_t>(kMaxDimension))
    return Result(Status::kMemory, "JPEG 2000 picture exceeds the engine's limit");
  // openjpeg holds every sample as a 32-bit integer.
  if (w * h * 4 * ss.image->numcomps > kMaxPixelBytes) return Result(Status::kMemory, "JPEG 2000 picture too large");
  const int bpp = DepthOf(ss.image);
  Image img;
  if (Result r = Image::Create(static_cast<int>(w), static_cast<int>(h), bpp, &img); !r.ok()) return r;

  if (!opj_decode(ss.codec, ss.stream, ss.image) || !opj_end_decompress(ss.codec, ss.stream))
    return Broken(src, "picture data");
  const opj_image_t* im = ss.image;
  for (int c = 0; c < comps; ++c)
    if (!im->comps[c].data || im->comps[c].w == 0 || im->comps[c].h == 0) return Broken(src, "component data");
  const bool ycc = im->color_space == OPJ_CLRSPC_SYCC && comps >= 3;
  const int out_w = img.width(), out_h = img.height();
  for (int y = 0; y < out_h; ++y) {
    uint8_t* d = img.row(y);
    for (int x = 0; x < out_w; ++x) {
      uint8_t v[4] = {0, 0, 0, 0};
      for (int c = 0; c < comps; ++c) {
        const opj_image_comp_t& k = im->comps[c];
        const uint32_t cx = std::min<uint32_t>(static_cast<uint32_t>(x) * k.w / out_w, k.w - 1);
        const uint32_t cy = std::min<uint32_t>(static_cast<uint32_t>(y) * k.h / out_h, k.h - 1);
        v[c] = To8(k, k.data[static_cast<size_t>(cy) * k.w + cx]);
      }
      if (ycc) {
        const double yy = v[0], cb = v[1] - 128.0, cr = v[2] - 128.0;
        v[0] = static_cast<uint8_t>(std::clamp(yy + 1.402 * cr, 0.0, 255.0));
        v[1] = static_cast<uint8_t>(std::clamp(yy - 0.344136 * cb - 0.714136 * cr, 0.0, 255.0));
        v[2] = static_cast<uint8_t>(std::clamp(yy + 1.772 * cb, 0.0, 255.0));
      }
      switch (comps) {
        case 1: d[x] = v[0]; break;
        case 2: d[4 * x] = d[4 * x + 1] = d[4 * x + 2] = v[0]; d[4 * x + 3] = v[1]; break;
        case 3: d[3 * x] = v[2]; d[3 * x + 1] = v[1]; d[3 * x + 2] = v[0]; break;
        default: d[4 * x] = v[2]; d[4 * x + 1] = v[1]; d[4 * x + 2] = v[0]; d[4 * x + 3] = v[3]; break;
      }
    }
  }
  img.set_gray(bpp == 8);
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

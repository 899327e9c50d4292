// JPEG 2000 encoding with openjpeg into memory, then one write to the file.
// A lossy save first encodes losslessly to learn the lossless size, then
// encodes with the 9/7 wavelet at the ratio that gives `jp2_rate` of it.
#include <openjpeg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/codecs/jp2_internal.h"

namespace imaging::codecs::internal {
namespace {

struct Sink {
  std::vector<uint8_t> bytes;
  size_t pos = 0;
};

OPJ_SIZE_T SinkWrite(void* buf, OPJ_SIZE_T n, void* user) {
  auto* s = static_cast<Sink*>(user);
  if (s->pos + n > s->bytes.size()) s->bytes.resize(s->pos + n);
  std::memcpy(s->bytes.data() + s->pos, buf, n);
  s->pos += n;
  return n;
}
OPJ_OFF_T SinkSkip(OPJ_OFF_T n, void* user) {
  auto* s = static_cast<Sink*>(user);
  s->pos += static_cast<size_t>(n);
  if (s->pos > s->bytes.size()) s->bytes.resize(s->pos);
  return n;
}
OPJ_BOOL SinkSeek(OPJ_OFF_T to, void* user) {
  auto* s = static_cast<Sink*>(user);
  s->pos = static_cast<size_t>(to);
  if (s->pos > s->bytes.size()) s->bytes.resize(s->pos);
  return OPJ_TRUE;
}
void Quiet(const char*, void*) {}

struct ImageDeleter {
  void operator()(opj_image_t* im) const { opj_image_destroy(im); }
};
using ImagePtr = std::unique_ptr<opj_image_t, ImageDeleter>;

// Ratio 0 means lossless.
bool Encode(opj_image_t* im, bool codestream, double ratio, std::vector<uint8_t>* out) {
  opj_cparameters_t p;
  opj_set_default_encoder_parameters(&p);
  p.tcp_numlayers = 1;
  p.cp_disto_alloc = 1;
  p.tcp_rates[0] = static_cast<float>(ratio);
  p.irreversible = ratio > 0 ? 1 : 0;
  const uint32_t side = std::min(im->x1, im->y1);
  int levels = 1;
  while (levels < 6 && (1u << levels) <= side) ++levels;
  p.numresolution = levels;
  p.tcp_mct = im->numcomps == 3 ? 1 : 0;
  opj_codec_t* codec = opj_create_compress(codestream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2);
  if (!codec) return false;
  opj_set_error_handler(codec, &Quiet, nullptr);
  opj_set_warning_handler(codec, &Quiet, nullptr);
  opj_set_info_handler(codec, &Quiet, nullptr);
  Sink sink;
  opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
  bool ok = stream && opj_setup_encoder(codec, &p, im);
  if (ok) {
    opj_stream_set_user_data(stream, &sink, nullptr);
    opj_stream_set_write_function(stream, &SinkWrite);
    opj_stream_set_skip_function(stream, &SinkSkip);
    opj_stream_set_seek_function(stream, &SinkSeek);
    ok = opj_start_compress(codec, im, stream) && opj_encode(codec, stream) && opj_end_compress(codec, stream);
  }
  if (stream) opj_stream_destroy(stream);
  opj_destroy_codec(codec);
  if (ok) *out = std::move(sink.bytes);
  return ok;
}

}  // namespace

Result Jp2Save(const Image& image, const std::string& path, const SaveOptions& options) {
  if (image.empty()) return Result(Status::kBadImage, "no picture");
  if (!options.jp2_lossless && !(options.jp2_rate > 0 && options.jp2_rate <= 1.0))
    return Result(Status::kBadValue, "JPEG 2000 rate must be in (0, 1]");
  const bool grey = image.bpp() <= 8 && image.IsGrayPalette();
  const int comps = grey ? 1 : 3;
  // openjpeg changes the picture while encoding, so each pass gets a fresh one.
  auto make = [&]() -> ImagePtr {
    opj_image_cmptparm_t parms[3];
    std::memset(parms, 0, sizeof parms);
    for (int c = 0; c < comps; ++c) {
      parms[c].dx = parms[c].dy = 1;
      parms[c].w = static_cast<OPJ_UINT32>(image.width());
      parms[c].h = static_cast<OPJ_UINT32>(image.height());
      parms[c].prec = 8;
      parms[c].sgnd = 0;
    }
    ImagePtr im(
        opj_image_create(static_cast<OPJ_UINT32>(comps), parms, grey ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
    if (!im) return im;
    im->x0 = im->y0 = 0;
    im->x1 = static_cast<OPJ_UINT32>(image.width());
    im->y1 = static_cast<OPJ_UINT32>(image.height());
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const uint32_t rgb = image.PixelRgb(x, y);
        const size_t at = static_cast<size_t>(y) * image.width() + x;
        if (grey) {
          im->comps[0].data[at] = static_cast<OPJ_INT32>(rgb & 0xFF);
        } else {
          im->comps[0].data[at] = static_cast<OPJ_INT32>((rgb >> 16) & 0xFF);
          im->comps[1].data[at] = static_cast<OPJ_INT32>((rgb >> 8) & 0xFF);
          im->comps[2].data[at] = static_cast<OPJ_INT32>(rgb & 0xFF);
        }
      }
    return im;
  };
  const bool codestream = options.type == SaveType::kJ2k;
  std::vector<uint8_t> bytes;
  ImagePtr first = make();
  if (!first || !Encode(first.get(), codestream, 0, &bytes)) return Result(Status::kOther, "JPEG 2000 encoding failed");
  if (!options.jp2_lossless && options.jp2_rate < 1.0) {
    const double raw = static_cast<double>(image.width()) * image.height() * comps;
    const double target = std::max(1.0, options.jp2_rate * static_cast<double>(bytes.size()));
    const double ratio = std::max(1.0, raw / target);
    ImagePtr second = make();
    if (!second || !Encode(second.get(), codestream, ratio, &bytes)) return Result(Status::kOther, "JPEG 2000 encoding failed");
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return Result(Status::kCannotCreate, "cannot create JPEG 2000 file");
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) return Result(Status::kCannotWrite, "JPEG 2000 write failed");
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

#include "imaging/ops/convert_depth.h"

#include <algorithm>
#include <new>
#include <vector>

#include "imaging/ops/dither.h"
#include "imaging/ops/internal/depth_rows.h"
#include "imaging/ops/palettes.h"
#include "imaging/ops/quantize.h"
#include "imaging/pixel_helpers.h"

namespace imaging::ops {
namespace {

using depth_internal::BgrRowReader;
using depth_internal::Luma;
using depth_internal::PackIndices;

int BitsOf(DepthCode code) {
  switch (code) {
    case DepthCode::kMono: return 1;
    case DepthCode::kColor16: case DepthCode::kGray16: return 4;
    case DepthCode::kColor256: case DepthCode::kGray256: return 8;
    case DepthCode::kHigh16: return 16;
    case DepthCode::kTrue24: return 24;
    case DepthCode::kTrue32: return 32;
  }
  return 0;
}

bool SamePalette(const Image& img, const std::vector<PaletteEntry>& pal) { return img.palette() == pal; }

// CanCopy(): the source already is what the conversion would produce.
bool CanCopy(const Image& src, DepthCode code, const ConvertDepthOptions& options) {
  if (src.bpp() != BitsOf(code)) return false;
  switch (code) {
    case DepthCode::kHigh16: case DepthCode::kTrue24: case DepthCode::kTrue32:
      return true;
    case DepthCode::kGray16: case DepthCode::kGray256:
      return DepthCodeOf(src) == code;
    case DepthCode::kColor16:
      return options.palette == PaletteKind::kOptimized || SamePalette(src, Vga16Palette());
    case DepthCode::kColor256:
      return options.palette == PaletteKind::kOptimized || SamePalette(src, Fixed256Palette());
    case DepthCode::kMono:
      return SamePalette(src, MonoPalette());
  }
  return false;
}

void LumaRow(const uint8_t* bgr, int width, uint8_t* luma) {
  for (int x = 0; x < width; ++x, bgr += 3) luma[x] = Luma(bgr[2], bgr[1], bgr[0]);
}

void ToDirect(const Image& src, Image* out) {
  BgrRowReader reader(src);
  const int w = src.width();
  for (int y = 0; y < src.height(); ++y) {
    const uint8_t* in = reader.Row(y);
    uint8_t* o = out->row(y);
    switch (out->bpp()) {
      case 24:
        std::copy(in, in + 3 * static_cast<size_t>(w), o);
        break;
      case 32: {
        // A 32-bit source is copied before this point, so alpha is always 0 here.
        for (int x = 0; x < w; ++x)
          o[4 * x] = in[3 * x], o[4 * x + 1] = in[3 * x + 1], o[4 * x + 2] = in[3 * x + 2];
        break;
      }
      case 16:
        for (int x = 0; x < w; ++x) {
          // Nearest 5-bit level: round(v * 31 / 255).
          const unsigned b = (in[3 * x] * 31u + 127) / 255, g = (in[3 * x + 1] * 31u + 127) / 255;
          const unsigned r = (in[3 * x + 2] * 31u + 127) / 255;
          const unsigned v = (r << 10) | (g << 5) | b;
          o[2 * x] = static_cast<uint8_t>(v), o[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        }
        break;
      default:
        break;
    }
  }
}

// ToGray(): `levels` evenly spaced greys (2 with a threshold for black and
// white, 16 or 256).
void ToGray(const Image& src, Image* out, int levels, int threshold, Dither dither) {
  const int w = src.width();
  BgrRowReader reader(src);
  std::vector<uint8_t> luma(static_cast<size_t>(w)), indices(static_cast<size_t>(w));
  const bool diffuse = dither == Dither::kFloydSteinberg && levels < 256;
  GrayDiffuser diffuser(diffuse ? w : 0, levels, levels == 2 ? 128 - threshold : 0);
  const int steps = levels - 1;
  for (int y = 0; y < src.height(); ++y) {
    LumaRow(reader.Row(y), w, luma.data());
    if (diffuse) {
      diffuser.DiffuseRow(luma.data(), indices.data());
    } else if (levels == 2) {
      for (int x = 0; x < w; ++x) indices[x] = luma[x] >= threshold ? 1 : 0;
    } else if (levels == 256) {
      std::copy(luma.begin(), luma.end(), indices.begin());
    } else {
      for (int x = 0; x < w; ++x) indices[x] = static_cast<uint8_t>((luma[x] * steps + 127) / 255);
    }
    PackIndices(indices.data(), w, out->bpp(), out->row(y));
  }
  out->palette() = GrayRampPalette(levels);
}

Result ToPalette(const Image& src, Image* out, int max_colors, const ConvertDepthOptions& options) {
  std::vector<PaletteEntry> pal;
  bool exact = false;
  if (options.palette == PaletteKind::kFixed) {
    pal = max_colors == 16 ? Vga16Palette() : Fixed256Palette();
  } else {
    OptimizedPalette optimized;
    if (Result r = BuildOptimizedPalette(src, max_colors, &optimized); !r.ok()) return r;
    pal = std::move(optimized.colors);
    exact = optimized.exact;
  }
  ColorMap map(pal);
  const int w = src.width();
  BgrRowReader reader(src);
  std::vector<uint8_t> indices(static_cast<size_t>(w));
  // With an exact palette every pixel is an entry: diffusion would carry no
  // error, so the plain lookup gives the same result faster.
  const bool diffuse = options.dither == Dither::kFloydSteinberg && !exact;
  ColorDiffuser diffuser(diffuse ? w : 0, &map);
  for (int y = 0; y < src.height(); ++y) {
    const uint8_t* in = reader.Row(y);
    if (diffuse) {
      diffuser.DiffuseRow(in, indices.data());
    } else {
      uint32_t last = 0xFFFFFFFFu;
      uint8_t last_index = 0;
      for (int x = 0; x < w; ++x, in += 3) {
        const uint32_t bgr = in[0] | (uint32_t{in[1]} << 8) | (uint32_t{in[2]} << 16);
        if (bgr != last) last = bgr, last_index = map.Nearest(in[2], in[1], in[0]);
        indices[x] = last_index;
      }
    }
    PackIndices(indices.data(), w, out->bpp(), out->row(y));
  }
  out->palette() = pal;

  // Every colour kept its own entry, so a transparent colour still names one.
  const int t = src.transparent_index();
  if (exact && src.bpp() <= 8 && t >= 0 && t < static_cast<int>(src.palette().size())) {
    const PaletteEntry want{src.palette()[t].blue, src.palette()[t].green, src.palette()[t].red, 0};
    const auto it = std::find(pal.begin(), pal.end(), want);
    if (it != pal.end()) out->set_transparent_index(static_cast<int>(it - pal.begin()));
  }
  return Result::Ok();
}

// InvertIndices() flips every index i of a 2^bpp grey ramp to 2^bpp - 1 - i
// (a bitwise not), leaving the padding after the last pixel untouched.
void InvertIndices(Image* img) {
  const size_t bits = static_cast<size_t>(img->width()) * static_cast<size_t>(img->bpp());
  const size_t full = bits / 8;
  const int rest = static_cast<int>(bits % 8);
  for (int y = 0; y < img->height(); ++y) {
    uint8_t* p = img->row(y);
    for (size_t i = 0; i < full; ++i) p[i] = static_cast<uint8_t>(~p[i]);
    if (rest) p[full] ^= static_cast<uint8_t>(0xFF << (8 - rest));
  }
}

void Invert(Image* img) {
  const int w = img->width();
  if (img->bpp() <= 8) {
    if (img->palette() == GrayRampPalette(1 << img->bpp())) return InvertIndices(img);
    for (PaletteEntry& e : img->palette()) e = PaletteEntry{static_cast<uint8_t>(255 - e.blue),
                                                           static_cast<uint8_t>(255 - e.green),
                                                           static_cast<uint8_t>(255 - e.red), e.reserved};
    return;
  }
  for (int y = 0; y < img->height(); ++y) {
    uint8_t* p = img->row(y);
    switch (img->bpp()) {
      case 16:
        for (int x = 0; x < w; ++x) p[2 * x] = static_cast<uint8_t>(~p[2 * x]), p[2 * x + 1] ^= 0x7F;
        break;
      case 24:
        for (int i = 0; i < 3 * w; ++i) p[i] = static_cast<uint8_t>(~p[i]);
        break;
      case 32:
        for (int x = 0; x < w; ++x)
          for (int c = 0; c < 3; ++c) p[4 * x + c] = static_cast<uint8_t>(~p[4 * x + c]);
        break;
      default:
        break;
    }
  }
}

Result Convert(const Image& src, DepthCode code, const ConvertDepthOptions& options, Image* out) {
  if (CanCopy(src, code, options)) {
    *out = src;
  } else {
    if (Result r = Image::Create(src.width(), src.height(), BitsOf(code), out); !r.ok()) return r;
    out->CopyMetadataFrom(src);
    out->set_transparent_index(-1);
    switch (code) {
      case DepthCode::kMono: ToGray(src, out, 2, options.threshold, options.dither); break;
      case DepthCode::kGray16: ToGray(src, out, 16, 128, options.dither); break;
      case DepthCode::kGray256: ToGray(src, out, 256, 128, options.dither); break;
      case DepthCode::kColor16:
        if (Result r = ToPalette(src, out, 16, options); !r.ok()) return r;
        break;
      case DepthCode::kColor256:
        if (Result r = ToPalette(src, out, 256, options); !r.ok()) return r;
        break;
      case DepthCode::kHigh16: case DepthCode::kTrue24: case DepthCode::kTrue32:
        ToDirect(src, out);
        break;
    }
  }
  if (options.invert) Invert(out);
  out->set_gray(out->bpp() <= 8 && out->IsGrayPalette());
  return Result::Ok();
}

}  // namespace

Result ConvertDepth(const Image& src, Image* dst, DepthCode code, const ConvertDepthOptions& options) {
  if (dst == nullptr) return Result(Status::kBadValue, "no destination picture");
  if (BitsOf(code) == 0) return Result(Status::kBadValue, "unknown depth code");
  if (options.palette != PaletteKind::kFixed && options.palette != PaletteKind::kOptimized)
    return Result(Status::kBadValue, "unknown palette kind");
  if (options.dither != Dither::kNone && options.dither != Dither::kFloydSteinberg)
    return Result(Status::kBadValue, "unknown dither mode");
  if (options.threshold < 0 || options.threshold > 255)
    return Result(Status::kBadValue, "threshold must be 0..255");
  if (src.empty()) return Result(Status::kBadImage, "empty picture");

  Image out;
  const Result guarded = GuardResult("ConvertDepth", [&]() -> Result {
    if (Result r = Convert(src, code, options, &out); !r.ok()) return r;
    return Result::Ok();
  });
  if (!guarded.ok()) return guarded;
  *dst = std::move(out);
  return Result::Ok();
}

std::optional<DepthCode> DepthCodeOf(const Image& image) {
  if (image.empty()) return std::nullopt;
  const bool gray = image.gray() || image.IsGrayPalette();
  switch (image.bpp()) {
    case 1: return DepthCode::kMono;
    case 4: return gray ? DepthCode::kGray16 : DepthCode::kColor16;
    case 8: return gray ? DepthCode::kGray256 : DepthCode::kColor256;
    case 16: return DepthCode::kHigh16;
    case 24: return DepthCode::kTrue24;
    case 32: return DepthCode::kTrue32;
    default: return std::nullopt;
  }
}

std::optional<DepthCode> DepthCodeFromNumber(int number) {
  for (DepthCode c : {DepthCode::kMono, DepthCode::kColor16, DepthCode::kColor256, DepthCode::kHigh16,
                      DepthCode::kTrue24, DepthCode::kTrue32, DepthCode::kGray16, DepthCode::kGray256})
    if (static_cast<int>(c) == number) return c;
  return std::nullopt;
}

ConvertDepthOptions ControlDepthOptions(bool fixed_palette, bool diffusion, int level) {
  ConvertDepthOptions options;
  options.palette = fixed_palette ? PaletteKind::kFixed : PaletteKind::kOptimized;
  options.dither = diffusion ? Dither::kFloydSteinberg : Dither::kNone;
  options.threshold = std::clamp(level, 0, 255);
  return options;
}

}  // namespace imaging::ops

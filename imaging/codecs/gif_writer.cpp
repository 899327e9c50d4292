// GIF encoding with giflib.  1/4/8-bit pictures are written with their own
// palette (padded to 2, 16 or 256 entries); 16/24/32-bit pictures are first
// reduced with the median-cut quantiser and Floyd-Steinberg diffusion.
#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "imaging/codecs/gif_internal.h"
#include "imaging/codecs/internal/gif_quantize.h"
#include "imaging/pixel_helpers.h"

namespace imaging::codecs::internal {
namespace {

struct EncoderCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};

struct MapDeleter {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

Result WriteError(const char* what) { return Result(Status::kCannotWrite, std::string("GIF write failed: ") + what); }

}  // namespace

Result GifSave(const Image& image, const std::string& path, const SaveOptions& options) {
  if (image.empty()) return Result(Status::kBadImage, "no picture");
  Image quantised;
  const Image* src = &image;
  if (image.bpp() > 8) {
    if (Result r = QuantizeForGif(image, QuantizeDither::kFloydSteinberg, &quantised); !r.ok()) return r;
    src = &quantised;
  }
  const int colors = 1 << src->bpp();
  std::vector<PaletteEntry> palette = src->palette();
  palette.resize(colors);
  std::unique_ptr<ColorMapObject, MapDeleter> map(GifMakeMapObject(colors, nullptr));
  if (!map) return Result(Status::kMemory, "out of memory");
  for (int i = 0; i < colors; ++i) map->Colors[i] = GifColorType{palette[i].red, palette[i].green, palette[i].blue};

  int transparent = -1;
  if (options.use_transparent) {
    // Only entries the picture can use are candidates.
    std::vector<PaletteEntry> used(src->palette().begin(),
                                   src->palette().begin() + std::min<size_t>(src->palette().size(), colors));
    if (!used.empty())
      transparent =
          NearestPaletteIndex(used, options.transparent_red, options.transparent_green, options.transparent_blue);
  }
  const std::string& comment = !options.comment.empty() ? options.comment : image.comment();

  int error = 0;
  std::unique_ptr<GifFileType, EncoderCloser> gif(EGifOpenFileName(path.c_str(), false, &error));
  if (!gif) return Result(Status::kCannotCreate, "cannot create GIF file");
  EGifSetGifVersion(gif.get(), transparent >= 0 || !comment.empty());
  if (EGifPutScreenDesc(gif.get(), src->width(), src->height(), src->bpp(), 0, map.get()) == GIF_ERROR)
    return WriteError("screen");
  if (!comment.empty()) {
    // giflib splits a comment into sub-blocks itself only up to 255 bytes per call.
    if (EGifPutExtensionLeader(gif.get(), COMMENT_EXT_FUNC_CODE) == GIF_ERROR) return WriteError("comment");
    for (size_t at = 0; at < comment.size(); at += 255) {
      const std::string part = comment.substr(at, 255);
      if (EGifPutExtensionBlock(gif.get(), static_cast<int>(part.size()), part.data()) == GIF_ERROR)
        return WriteError("comment");
    }
    if (EGifPutExtensionTrailer(gif.get()) == GIF_ERROR) return WriteError("comment");
  }
  if (transparent >= 0) {
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
    gcb.DelayTime = 0;
    gcb.TransparentColor = transparent;
    GifByteType ext[4];
    const size_t n = EGifGCBToExtension(&gcb, ext);
    if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext) == GIF_ERROR)
      return WriteError("transparency");
  }
  if (EGifPutImageDesc(gif.get(), 0, 0, src->width(), src->height(), options.interlace, nullptr) == GIF_ERROR)
    return WriteError("picture header");

  std::vector<GifPixelType> line(static_cast<size_t>(src->width()));
  auto put = [&](int y) -> bool {
    const uint8_t* row = src->row(y);
    for (int x = 0; x < src->width(); ++x) line[x] = static_cast<GifPixelType>(PaletteIndexAt(row, x, src->bpp()));
    return EGifPutLine(gif.get(), line.data(), src->width()) != GIF_ERROR;
  };
  if (options.interlace) {
    // Interlaced files carry the rows in pass order.
    static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = kStart[pass]; y < src->height(); y += kStep[pass])
        if (!put(y)) return WriteError("picture data");
  } else {
    for (int y = 0; y < src->height(); ++y)
      if (!put(y)) return WriteError("picture data");
  }
  GifFileType* raw = gif.release();
  if (EGifCloseFile(raw, &error) == GIF_ERROR) return WriteError("close");
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

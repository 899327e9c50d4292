#include "imaging/ops/paste.h"

#include <new>

#include "imaging/ops/convert_depth.h"
#include "imaging/ops/internal/cv_wrap.h"
#include "imaging/ops/internal/packed.h"
#include "imaging/pixel_helpers.h"

namespace imaging::ops {
namespace {

// Brings `piece` to the depth of `target`, or fails.
Result MatchDepth(const Image& target, const Image& piece, Image* out, const Image** use) {
  *use = &piece;
  if (piece.bpp() == target.bpp()) {
    if (target.bpp() <= 8 && piece.palette() != target.palette())
      return Result(Status::kNotTarget, "PasteImage: the piece has another palette");
    return Result::Ok();
  }
  DepthCode code;
  switch (target.bpp()) {
    case 16: code = DepthCode::kHigh16; break;
    case 24: code = DepthCode::kTrue24; break;
    case 32: code = DepthCode::kTrue32; break;
    default: return Result(Status::kNotTarget, "PasteImage: a palette picture takes only its own depth");
  }
  if (Result r = ConvertDepth(piece, out, code); !r.ok()) return r;
  *use = out;
  return Result::Ok();
}

}  // namespace

Result PasteImage(const Image& src, Image* dst, const Image& piece, int x, int y, const PasteOptions& options) {
  if (dst == nullptr) return Result(Status::kBadValue, "PasteImage: no destination");
  if (src.empty() || piece.empty()) return Result(Status::kBadImage, "PasteImage: empty picture");
  if (options.blend != PasteBlend::kOpaque && options.blend != PasteBlend::kTransparentColor &&
      options.blend != PasteBlend::kAlpha)
    return Result(Status::kBadValue, "PasteImage: unknown blend");
  if (options.blend == PasteBlend::kAlpha && (piece.bpp() != 32 || src.bpp() < 24))
    return Result(Status::kNotTarget, "PasteImage: alpha needs a 32-bit piece on a 24/32-bit picture");

  // The part of the piece that lands on the picture.
  const cv::Rect on_pic = cv::Rect(x, y, piece.width(), piece.height()) & cv::Rect(0, 0, src.width(), src.height());
  if (on_pic.empty()) return dst == &src ? Result::Ok() : (*dst = src, Result::Ok());
  const cv::Rect on_piece(on_pic.x - x, on_pic.y - y, on_pic.width, on_pic.height);

  return GuardResult("PasteImage", [&]() -> Result {
    cv::Mat mask;  // empty = every pixel
    if (options.blend == PasteBlend::kTransparentColor) {
      mask.create(on_piece.size(), CV_8UC1);
      for (int j = 0; j < on_piece.height; ++j)
        for (int i = 0; i < on_piece.width; ++i)
          mask.at<uint8_t>(j, i) =
              (piece.PixelRgb(on_piece.x + i, on_piece.y + j) & 0xFFFFFF) == (options.transparent_rgb & 0xFFFFFF) ? 0 : 255;
    }
    Image converted;
    const Image* use = nullptr;
    if (Result r = MatchDepth(src, piece, &converted, &use); !r.ok()) return r;

    Image out = src;
    if (options.blend == PasteBlend::kAlpha) {
      const cv::Mat p = internal::MatOf(piece)(on_piece);
      cv::Mat o = internal::MatOf(out)(on_pic);
      const int cn = out.bpp() / 8;
      for (int j = 0; j < on_pic.height; ++j) {
        const uint8_t* s = p.ptr<uint8_t>(j);
        uint8_t* d = o.ptr<uint8_t>(j);
        for (int i = 0; i < on_pic.width; ++i, s += 4, d += cn) {
          const int a = s[3];
          for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>((s[c] * a + d[c] * (255 - a) + 127) / 255);
        }
      }
    } else if (out.bpp() >= 8) {
      internal::MatOf(*use)(on_piece).copyTo(internal::MatOf(out)(on_pic), mask);
    } else {
      cv::Mat idx = internal::UnpackIndices(out);
      internal::UnpackIndices(*use)(on_piece).copyTo(idx(on_pic), mask);
      internal::PackIndices(idx, &out);
    }
    *dst = std::move(out);
    return Result::Ok();
  });
}

}  // namespace imaging::ops

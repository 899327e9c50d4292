#include "imaging/ops/frame.h"

#include <algorithm>
#include <new>

#include "imaging/ops/convert_depth.h"
#include "imaging/ops/internal/cv_wrap.h"
#include "imaging/pixel_helpers.h"

namespace imaging::ops {

Result AddPictureFrame(const Image& src, Image* dst, const FrameOptions& options) {
  if (dst == nullptr) return Result(Status::kBadValue, "AddPictureFrame: no destination");
  if (src.empty()) return Result(Status::kBadImage, "AddPictureFrame: empty picture");
  if (options.thin < 0 || options.broad < 0) return Result(Status::kBadValue, "AddPictureFrame: negative edge");
  Image out;
  const Result guarded = GuardResult("AddPictureFrame", [&]() -> Result {
    if (src.bpp() >= 24) {
      out = src;
    } else if (Result r = ConvertDepth(src, &out, DepthCode::kTrue24); !r.ok()) {
      return r;
    }
    return Result::Ok();
  });
  if (!guarded.ok()) return guarded;
  const int w = out.width(), h = out.height();
  const int thin_w = std::min(options.thin, w), thin_h = std::min(options.thin, h);
  const int broad_w = std::min(options.broad, w), broad_h = std::min(options.broad, h);
  const uint8_t r = (options.rgb >> 16) & 0xFF, g = (options.rgb >> 8) & 0xFF, b = options.rgb & 0xFF;
  const cv::Scalar colour = out.bpp() == 32 ? cv::Scalar(b, g, r, 0) : cv::Scalar(b, g, r);
  cv::Mat m = internal::MatOf(out);
  m(cv::Rect(0, 0, w, thin_h)).setTo(colour);
  m(cv::Rect(0, 0, thin_w, h)).setTo(colour);
  m(cv::Rect(0, h - broad_h, w, broad_h)).setTo(colour);
  m(cv::Rect(w - broad_w, 0, broad_w, h)).setTo(colour);
  *dst = std::move(out);
  return Result::Ok();
}

}  // namespace imaging::ops

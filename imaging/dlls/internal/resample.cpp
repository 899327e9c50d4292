// Resampling for the image-handle entries, on the engine's resize
// operation.
#include "imaging/dlls/internal/resample.h"

#include "imaging/ops/convert_depth.h"
#include "imaging/ops/resize.h"

namespace mv7::internal {

using imaging::Image;
using imaging::Result;
using imaging::Status;

bool ValidSize(int width, int height) {
  return width >= 1 && height >= 1 && width <= imaging::kMaxDimension && height <= imaging::kMaxDimension;
}

Result ResampleSmooth(const Image& src, int width, int height, Image* out) {
  if (src.empty()) return Result(Status::kBadImage, "empty picture");
  if (!ValidSize(width, height)) return Result(Status::kBadValue, "bad size");
  Image result;
  if (src.bpp() <= 16) {
    // Palette and 16-bit pictures are averaged at 24 bits and stay there.
    if (Result r = imaging::ops::ConvertDepth(src, &result, imaging::ops::DepthCode::kTrue24); !r.ok()) return r;
    result.set_transparent_index(-1);
  } else {
    result = src;
  }
  const bool shrinking = width <= result.width() && height <= result.height();
  if (Result r = imaging::ops::ResizeImage(result, &result, width, height,
                                           shrinking ? imaging::ops::ResizeFilter::kArea
                                                     : imaging::ops::ResizeFilter::kAuto);
      !r.ok())
    return r;
  *out = std::move(result);
  return Result::Ok();
}

Result ResampleNearest(const Image& src, int width, int height, Image* out) {
  if (src.empty()) return Result(Status::kBadImage, "empty picture");
  if (!ValidSize(width, height)) return Result(Status::kBadValue, "bad size");
  return imaging::ops::ResizeImage(src, out, width, height, imaging::ops::ResizeFilter::kNearest);
}

}  // namespace mv7::internal

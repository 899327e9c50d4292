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
  // Palette and 16-bit pictures are averaged at 24 bits and stay there;
  // deeper ones are read where they are.
  Image wide;
  const Image* from = &src;
  if (src.bpp() <= 16) {
    if (Result r = imaging::ops::ConvertDepth(src, &wide, imaging::ops::DepthCode::kTrue24); !r.ok()) return r;
    wide.set_transparent_index(-1);
    from = &wide;
  }
  const bool shrinking = width <= from->width() && height <= from->height();
  Image result;
  if (Result r = imaging::ops::ResizeImage(*from, &result, width, height,
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

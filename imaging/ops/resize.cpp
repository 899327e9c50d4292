#include "imaging/ops/resize.h"

#include <cmath>
#include <new>

#include <opencv2/imgproc.hpp>

#include "imaging/ops/convert_depth.h"
#include "imaging/ops/internal/area_downscale.h"
#include "imaging/ops/internal/cv_wrap.h"
#include "imaging/ops/internal/filter_frame.h"
#include "imaging/ops/internal/packed.h"
#include "imaging/ops/internal/palette_kind.h"
#include "imaging/pixel_helpers.h"

namespace imaging::ops {
namespace {

int Interpolation(ResizeFilter filter, const Image& src, int width, int height) {
  switch (filter) {
    case ResizeFilter::kArea: return cv::INTER_AREA;
    case ResizeFilter::kCubic: return cv::INTER_CUBIC;
    case ResizeFilter::kLanczos: return cv::INTER_LANCZOS4;
    case ResizeFilter::kNearest: return cv::INTER_NEAREST_EXACT;
    default: return (width <= src.width() && height <= src.height()) ? cv::INTER_AREA : cv::INTER_CUBIC;
  }
}

// OpenCV area-averages a halving of both sides quickly, but every other
// 8-bit shrink (other whole factors included) takes routes three to six
// times slower than ours (bench/ops/area_resize_bench): those are ours.
bool OursShrinksFaster(const cv::Mat& src, cv::Size size, int interp) {
  const int channels = src.channels();
  return interp == cv::INTER_AREA && src.depth() == CV_8U && (channels == 1 || channels == 3 || channels == 4) &&
         size.width <= src.cols && size.height <= src.rows &&
         !(src.cols == 2 * size.width && src.rows == 2 * size.height);
}

// ResizeRows() scales `src` into `dst` (already of the wanted size and
// type) with OpenCV's `interp`.
void ResizeRows(const cv::Mat& src, cv::Mat& dst, int interp) {
  if (OursShrinksFaster(src, dst.size(), interp) &&
      internal::AreaDownscale({src.data, static_cast<std::ptrdiff_t>(src.step), src.cols, src.rows},
                              {dst.data, static_cast<std::ptrdiff_t>(dst.step), dst.cols, dst.rows}, src.channels()))
    return;
  cv::resize(src, dst, dst.size(), 0, 0, interp);
}

}  // namespace

Result ResizeImage(const Image& src, Image* dst, int width, int height, ResizeFilter filter) {
  if (dst == nullptr) return Result(Status::kBadValue, "ResizeImage: no destination");
  if (src.empty()) return Result(Status::kBadImage, "ResizeImage: empty picture");
  if (width < 1 || height < 1 || width > kMaxDimension || height > kMaxDimension)
    return Result(Status::kBadValue, "ResizeImage: bad size");
  if (static_cast<int>(filter) < 0 || static_cast<int>(filter) > static_cast<int>(ResizeFilter::kNearest))
    return Result(Status::kBadValue, "ResizeImage: unknown filter");
  if (width == src.width() && height == src.height()) return internal::CopyPicture(src, dst);

  return GuardResult("ResizeImage", [&]() -> Result {
    if (src.bpp() == 16) {
      Image wide, scaled;
      if (Result r = ConvertDepth(src, &wide, DepthCode::kTrue24); !r.ok()) return r;
      if (Result r = ResizeImage(wide, &scaled, width, height, filter); !r.ok()) return r;
      return ConvertDepth(scaled, dst, DepthCode::kHigh16);
    }
    Image out;
    if (Result r = Image::Create(width, height, src.bpp(), &out); !r.ok()) return r;
    const bool filtered = src.bpp() >= 24 || internal::IsIdentityGreyRamp(src);
    const int interp = filtered ? Interpolation(filter, src, width, height) : cv::INTER_NEAREST_EXACT;
    if (src.bpp() >= 8) {
      cv::Mat om = internal::MatOf(out);
      ResizeRows(internal::MatOf(src), om, interp);
    } else {
      cv::Mat idx;
      cv::resize(internal::UnpackIndices(src), idx, cv::Size(width, height), 0, 0, interp);
      internal::PackIndices(idx, &out);
    }
    out.palette() = src.palette();
    out.CopyMetadataFrom(src);
    *dst = std::move(out);
    return Result::Ok();
  });
}

Result ReduceToSize(const Image& src, Image* dst, double width, double height, ReduceMode mode) {
  if (dst == nullptr) return Result(Status::kBadValue, "ReduceToSize: no destination");
  if (src.empty()) return Result(Status::kBadImage, "ReduceToSize: empty picture");
  double w = width, h = height;
  switch (mode) {
    case ReduceMode::kKeepWidth: h = src.height() * w / src.width(); break;
    case ReduceMode::kKeepHeight: w = h / src.height() * src.width(); break;
    case ReduceMode::kBoth: break;
    default: return Result(Status::kBadValue, "ReduceToSize: unknown mode");
  }
  if (!(w > 0) || !(h > 0)) return Result(Status::kBadValue, "ReduceToSize: empty selection");
  if (w > kMaxDimension || h > kMaxDimension) return Result(Status::kBadValue, "ReduceToSize: bad size");
  const int iw = std::max(1, static_cast<int>(std::nearbyint(w)));
  const int ih = std::max(1, static_cast<int>(std::nearbyint(h)));
  return ResizeImage(src, dst, iw, ih);
}

}  // namespace imaging::ops

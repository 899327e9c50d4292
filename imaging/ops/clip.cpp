#include "imaging/ops/clip.h"

#include <algorithm>
#include <new>

#include "imaging/ops/internal/cv_wrap.h"
#include "imaging/ops/internal/filter_frame.h"
#include "imaging/ops/internal/packed.h"
#include "imaging/ops/internal/pixel_fill.h"
#include "imaging/ops/internal/region_area.h"
#include "imaging/pixel_helpers.h"

namespace imaging::ops {

Result Trim(const Image& src, Image* dst, const ClipRect& rect) {
  if (dst == nullptr) return Result(Status::kBadValue, "Trim: no destination");
  if (src.empty()) return Result(Status::kBadImage, "Trim: empty picture");
  const int left = std::max(rect.left, 0), top = std::max(rect.top, 0);
  const int right = std::min(rect.right, src.width() - 1), bottom = std::min(rect.bottom, src.height() - 1);
  if (right < left || bottom < top) return Result(Status::kBadValue, "Trim: the rectangle covers no pixel");
  const int w = right - left + 1, h = bottom - top + 1;
  if (w == src.width() && h == src.height()) return internal::CopyPicture(src, dst);

  Image out;
  if (Result r = Image::Create(w, h, src.bpp(), &out); !r.ok()) return r;
  const Result guarded = GuardResult("Trim", [&]() -> Result {
    if (src.bpp() >= 8) {
      const size_t bytes_pp = static_cast<size_t>(src.bpp() / 8);
      for (int y = 0; y < h; ++y) {
        const uint8_t* s = src.row(top + y) + left * bytes_pp;
        std::copy(s, s + w * bytes_pp, out.row(y));
      }
    } else {
      const cv::Mat idx = internal::UnpackIndices(src);
      internal::PackIndices(idx(cv::Rect(left, top, w, h)), &out);
    }
    return Result::Ok();
  });
  if (!guarded.ok()) return guarded;
  out.palette() = src.palette();
  out.CopyMetadataFrom(src);
  *dst = std::move(out);
  return Result::Ok();
}

Result FillOutside(const Image& src, Image* dst, const Region& region, uint32_t rgb) {
  if (dst == nullptr) return Result(Status::kBadValue, "FillOutside: no destination");
  if (src.empty()) return Result(Status::kBadImage, "FillOutside: empty picture");
  if (region.whole()) return internal::CopyPicture(src, dst);
  return GuardResult("FillOutside", [&]() -> Result {
    std::vector<uint8_t> covered;
    if (Result r = RegionMask(region, src.width(), src.height(), &covered); !r.ok()) return r;
    cv::Mat outside(src.height(), src.width(), CV_8UC1, covered.data());
    cv::bitwise_not(outside, outside);
    Image out = src;
    internal::FillWhere(&out, outside, rgb);
    *dst = std::move(out);
    return Result::Ok();
  });
}

}  // namespace imaging::ops

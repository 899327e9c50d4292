#include "imaging/ops/internal/filter_frame.h"

#include <new>
#include <string>

#include "imaging/ops/internal/cv_wrap.h"
#include "imaging/ops/internal/region_area.h"

namespace imaging::ops::internal {

Result CheckFilterSource(const Image& src, const Image* dst, const char* name) {
  if (dst == nullptr) return Result(Status::kBadValue, std::string(name) + ": no destination");
  if (src.empty()) return Result(Status::kBadImage, std::string(name) + ": empty picture");
  if (src.bpp() != 24 && src.bpp() != 32)
    return Result(Status::kNotTarget, std::string(name) + ": needs a 24- or 32-bit picture");
  return Result::Ok();
}

Result CopyPicture(const Image& src, Image* dst) {
  if (dst == &src) return Result::Ok();
  try {
    *dst = src;
  } catch (const std::bad_alloc&) {
    return Result(Status::kMemory, "out of memory");
  }
  return Result::Ok();
}

void ParallelRows(int rows, const std::function<void(int, int)>& body) {
  const int band = 64;
  const int bands = (rows + band - 1) / band;
  cv::parallel_for_(cv::Range(0, bands), [&](const cv::Range& r) {
    body(r.start * band, std::min(rows, r.end * band));
  });
}

Result RunFilter(const Image& src, Image* dst, const Region& region, int halo, const char* name,
                 const FilterKernel& kernel) {
  if (Result r = CheckFilterSource(src, dst, name); !r.ok()) return r;
  try {
    const RegionArea area = ResolveRegion(region, src.width(), src.height());
    if (area.box.empty()) return CopyPicture(src, dst);
    Image out;
    const cv::Mat in = MatOf(src);
    if (area.box.width == src.width() && area.box.height == src.height() && area.mask.empty()) {
      if (Result r = Image::Create(src.width(), src.height(), src.bpp(), &out); !r.ok()) return r;
      cv::Mat om = MatOf(out);
      kernel(in, om, cv::Rect(0, 0, src.width(), src.height()));
    } else {
      out = src;
      const cv::Rect all(0, 0, src.width(), src.height());
      const cv::Rect ext = cv::Rect(area.box.x - halo, area.box.y - halo, area.box.width + 2 * halo,
                                    area.box.height + 2 * halo) & all;
      cv::Mat tmp(ext.size(), in.type());
      const cv::Rect inner(area.box.tl() - ext.tl(), area.box.size());
      kernel(in(ext), tmp, inner);
      cv::Mat om = MatOf(out);
      if (area.mask.empty())
        tmp(inner).copyTo(om(area.box));
      else
        tmp(inner).copyTo(om(area.box), area.mask);
    }
    out.CopyMetadataFrom(src);
    *dst = std::move(out);
  } catch (const std::bad_alloc&) {
    return Result(Status::kMemory, std::string(name) + ": out of memory");
  } catch (const cv::Exception& e) {
    return Result(Status::kOther, std::string(name) + ": " + e.what());
  }
  return Result::Ok();
}

}  // namespace imaging::ops::internal

// Resampling for the image-handle entries.  Smooth resampling runs on
// OpenCV (INTER_AREA, the usual choice for shrinking); nearest-pixel
// resampling is done here so that 1- and 4-bit rows keep their packing.
#include "imaging/dlls/internal/resample.h"

#include <opencv2/imgproc.hpp>

#include <cstring>
#include <vector>

#include "imaging/ops/convert_depth.h"

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
  Image widened;
  const Image* from = &src;
  if (src.bpp() <= 16) {
    if (Result r = imaging::ops::ConvertDepth(src, &widened, imaging::ops::DepthCode::kTrue24); !r.ok()) return r;
    from = &widened;
  }
  Image result;
  if (Result r = Image::Create(width, height, from->bpp(), &result); !r.ok()) return r;
  const int type = from->bpp() == 32 ? CV_8UC4 : CV_8UC3;
  const cv::Mat in(from->height(), from->width(), type, const_cast<uint8_t*>(from->data()), from->stride());
  cv::Mat dst(height, width, type, result.data(), result.stride());
  const bool shrinking = width <= from->width() && height <= from->height();
  cv::resize(in, dst, cv::Size(width, height), 0, 0, shrinking ? cv::INTER_AREA : cv::INTER_LINEAR);
  if (dst.data != result.data()) return Result(Status::kOther, "resize reallocated its target");
  result.CopyMetadataFrom(src);
  result.set_gray(false);
  result.set_transparent_index(-1);
  *out = std::move(result);
  return Result::Ok();
}

Result ResampleNearest(const Image& src, int width, int height, Image* out) {
  if (src.empty()) return Result(Status::kBadImage, "empty picture");
  if (!ValidSize(width, height)) return Result(Status::kBadValue, "bad size");
  Image result;
  if (Result r = Image::Create(width, height, src.bpp(), &result); !r.ok()) return r;
  result.palette() = src.palette();
  result.CopyMetadataFrom(src);

  // Source column and row of every target pixel, sampling pixel centres.
  std::vector<int> xs(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x)
    xs[x] = static_cast<int>((static_cast<int64_t>(x) * 2 + 1) * src.width() / (2 * static_cast<int64_t>(width)));
  const int bpp = src.bpp();
  for (int y = 0; y < height; ++y) {
    const int sy = static_cast<int>((static_cast<int64_t>(y) * 2 + 1) * src.height() / (2 * static_cast<int64_t>(height)));
    const uint8_t* in = src.row(sy);
    uint8_t* to = result.row(y);
    if (bpp >= 8) {
      const int bytes = bpp / 8;
      for (int x = 0; x < width; ++x) std::memcpy(to + x * bytes, in + xs[x] * bytes, bytes);
      continue;
    }
    const int per_byte = 8 / bpp;
    const int mask = (1 << bpp) - 1;
    for (int x = 0; x < width; ++x) {
      const int sx = xs[x];
      const int shift_in = (per_byte - 1 - sx % per_byte) * bpp;
      const int value = (in[sx / per_byte] >> shift_in) & mask;
      const int shift_out = (per_byte - 1 - x % per_byte) * bpp;
      to[x / per_byte] = static_cast<uint8_t>(to[x / per_byte] | (value << shift_out));
    }
  }
  *out = std::move(result);
  return Result::Ok();
}

}  // namespace mv7::internal

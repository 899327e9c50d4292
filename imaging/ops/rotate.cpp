#include "imaging/ops/rotate.h"

#include <cmath>
#include <new>

#include <opencv2/imgproc.hpp>

#include "imaging/ops/convert_depth.h"
#include "imaging/ops/internal/cv_wrap.h"
#include "imaging/ops/internal/filter_frame.h"
#include "imaging/ops/internal/packed.h"
#include "imaging/ops/internal/palette_kind.h"
#include "imaging/ops/internal/pixel_fill.h"
#include "imaging/ops/internal/turn.h"
#include "imaging/pixel_helpers.h"

namespace imaging::ops {
namespace {

// A view of the pixels OpenCV can move: the picture itself from 8 bpp up,
// unpacked indices below.
cv::Mat PixelsOf(const Image& img) {
  return img.bpp() >= 8 ? internal::MatOf(img) : internal::UnpackIndices(img);
}

Result StorePixels(const cv::Mat& pixels, const Image& like, Image* out) {
  if (Result r = Image::Create(pixels.cols, pixels.rows, like.bpp(), out); !r.ok()) return r;
  if (like.bpp() >= 8)
    pixels.copyTo(internal::MatOf(*out));
  else
    internal::PackIndices(pixels, out);
  out->palette() = like.palette();
  out->CopyMetadataFrom(like);
  return Result::Ok();
}

// Quarter turns (0..3, anticlockwise) and flips, exact, straight into the
// result's rows from 8 bpp up.
Result TurnExact(const Image& src, Image* out, int quarters, Flip flip, uint32_t fill_rgb, RotateCanvas canvas) {
  const bool fh = flip == Flip::kHorizontal || flip == Flip::kBoth;
  const bool fv = flip == Flip::kVertical || flip == Flip::kBoth;
  const cv::Size turned_size = internal::TurnedSize(cv::Size(src.width(), src.height()), quarters);
  const bool same_size = turned_size == cv::Size(src.width(), src.height());
  if (src.bpp() >= 8 && (canvas == RotateCanvas::kExpand || same_size)) {
    Image turned;
    if (Result r = Image::Create(turned_size.width, turned_size.height, src.bpp(), &turned); !r.ok()) return r;
    cv::Mat dst_pixels = internal::MatOf(turned);
    internal::TurnAndFlip(internal::MatOf(src), dst_pixels, quarters, fh, fv);
    turned.palette() = src.palette();
    turned.CopyMetadataFrom(src);
    *out = std::move(turned);
    return Result::Ok();
  }
  const cv::Mat pixels = PixelsOf(src);
  cv::Mat moved(turned_size, pixels.type());
  internal::TurnAndFlip(pixels, moved, quarters, fh, fv);
  if (canvas == RotateCanvas::kExpand || same_size) return StorePixels(moved, src, out);
  // Keep the old size: centre the turned picture, fill the rest.
  Image framed;
  if (Result r = StorePixels(cv::Mat(pixels.size(), pixels.type()), src, &framed); !r.ok()) return r;
  internal::FillWhere(&framed, cv::Mat(), fill_rgb);
  cv::Mat dst_pixels = PixelsOf(framed);  // a view from 8 bpp up, a copy below
  const int ox = (pixels.cols - moved.cols) / 2, oy = (pixels.rows - moved.rows) / 2;
  const cv::Rect to = cv::Rect(ox, oy, moved.cols, moved.rows) & cv::Rect(0, 0, pixels.cols, pixels.rows);
  moved(cv::Rect(to.x - ox, to.y - oy, to.width, to.height)).copyTo(dst_pixels(to));
  if (src.bpp() < 8) internal::PackIndices(dst_pixels, &framed);
  *out = std::move(framed);
  return Result::Ok();
}

Result TurnResampled(const Image& src, Image* out, double degrees, Flip flip, uint32_t fill_rgb,
                     RotateCanvas canvas) {
  if (src.bpp() == 16) {
    Image wide, turned;
    if (Result r = ConvertDepth(src, &wide, DepthCode::kTrue24); !r.ok()) return r;
    if (Result r = TurnResampled(wide, &turned, degrees, flip, fill_rgb, canvas); !r.ok()) return r;
    return ConvertDepth(turned, out, DepthCode::kHigh16);
  }
  cv::Mat pixels = PixelsOf(src);
  if (flip != Flip::kNone) {
    cv::Mat flipped(pixels.size(), pixels.type());
    internal::TurnAndFlip(pixels, flipped, 0, flip == Flip::kHorizontal || flip == Flip::kBoth,
                          flip == Flip::kVertical || flip == Flip::kBoth);
    pixels = flipped;
  }
  const double rad = degrees * CV_PI / 180.0;
  const double c = std::abs(std::cos(rad)), s = std::abs(std::sin(rad));
  int w = src.width(), h = src.height();
  if (canvas == RotateCanvas::kExpand) {
    // A hair of tolerance so that 1e-12 of float noise does not add a column.
    w = std::max(1, static_cast<int>(std::ceil(src.width() * c + src.height() * s - 1e-6)));
    h = std::max(1, static_cast<int>(std::ceil(src.width() * s + src.height() * c - 1e-6)));
    if (w > kMaxDimension || h > kMaxDimension) return Result(Status::kMemory, "RotateImage: result too large");
  }
  cv::Mat m = cv::getRotationMatrix2D(cv::Point2f((src.width() - 1) * 0.5f, (src.height() - 1) * 0.5f), degrees, 1.0);
  m.at<double>(0, 2) += (w - src.width()) * 0.5;
  m.at<double>(1, 2) += (h - src.height()) * 0.5;

  const bool filtered = src.bpp() >= 24 || internal::IsIdentityGreyRamp(src);
  cv::Scalar border;
  const uint8_t r = (fill_rgb >> 16) & 0xFF, g = (fill_rgb >> 8) & 0xFF, b = fill_rgb & 0xFF;
  if (src.bpp() >= 24)
    border = cv::Scalar(b, g, r, 0);
  else
    border = cv::Scalar(internal::NearestPaletteIndex(src.palette(), fill_rgb));
  cv::Mat turned;
  cv::warpAffine(pixels, turned, m, cv::Size(w, h), filtered ? cv::INTER_LINEAR : cv::INTER_NEAREST,
                 cv::BORDER_CONSTANT, border);
  return StorePixels(turned, src, out);
}

}  // namespace

Result RotateImage(const Image& src, Image* dst, int angle_centidegrees, Flip flip, uint32_t fill_rgb,
                   RotateCanvas canvas) {
  if (dst == nullptr) return Result(Status::kBadValue, "RotateImage: no destination");
  if (src.empty()) return Result(Status::kBadImage, "RotateImage: empty picture");
  if (static_cast<int>(flip) < 0 || static_cast<int>(flip) > 3)
    return Result(Status::kBadValue, "RotateImage: unknown flip");
  if (canvas != RotateCanvas::kExpand && canvas != RotateCanvas::kKeepSize)
    return Result(Status::kBadValue, "RotateImage: unknown canvas");
  const int angle = ((angle_centidegrees % 36000) + 36000) % 36000;
  if (angle == 0 && flip == Flip::kNone) return internal::CopyPicture(src, dst);
  return GuardResult("RotateImage", [&]() -> Result {
    Image out;
    if (angle % 9000 == 0) {
      if (Result r = TurnExact(src, &out, angle / 9000, flip, fill_rgb, canvas); !r.ok()) return r;
    } else {
      if (Result r = TurnResampled(src, &out, angle / 100.0, flip, fill_rgb, canvas); !r.ok()) return r;
    }
    *dst = std::move(out);
    return Result::Ok();
  });
}

}  // namespace imaging::ops

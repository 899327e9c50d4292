#include "imaging/ops/distort.h"

#include <cmath>

#include <opencv2/imgproc.hpp>

#include "imaging/ops/internal/filter_frame.h"
#include "imaging/ops/internal/remap.h"

namespace imaging::ops {
namespace {

constexpr double kTwoPi = 6.283185307179586;

struct Centre {
  float cx, cy, half_diagonal;
};

Centre CentreOf(const cv::Rect& area) {
  const float w = static_cast<float>(area.width), h = static_cast<float>(area.height);
  return Centre{area.x + (w - 1) * 0.5f, area.y + (h - 1) * 0.5f, std::max(0.5f, std::sqrt(w * w + h * h) * 0.5f)};
}

bool Finite(double v) { return std::isfinite(v); }

}  // namespace

Result Wave(const Image& src, Image* dst, WaveDirection direction, double wavelength, double amplitude,
            double phase, const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "Wave"); !r.ok()) return r;
  if ((direction != WaveDirection::kHorizontal && direction != WaveDirection::kVertical) ||
      !(wavelength >= 0 && wavelength <= 10000) || !(amplitude >= 0 && amplitude <= 1000) || !Finite(phase))
    return Result(Status::kBadValue, "Wave: value out of range");
  if (wavelength == 0 || amplitude == 0) return internal::CopyPicture(src, dst);
  const bool sideways = direction == WaveDirection::kHorizontal;
  return internal::RunFilter(src, dst, region, 0, "Wave", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect& area) {
    const float k = static_cast<float>(kTwoPi / wavelength), a = static_cast<float>(amplitude);
    const float ph = static_cast<float>(kTwoPi * (phase - std::floor(phase)));
    internal::RemapBy(in, out, cv::BORDER_REPLICATE, [&](float x, float y, float* sx, float* sy) {
      if (sideways) {
        *sx = x + a * std::sin((y - area.y) * k + ph);
        *sy = y;
      } else {
        *sx = x;
        *sy = y + a * std::sin((x - area.x) * k + ph);
      }
    });
  });
}

Result Ripple(const Image& src, Image* dst, double amplitude, double wavelength, double phase, RippleEdge edge,
              const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "Ripple"); !r.ok()) return r;
  if (!(amplitude >= 0 && amplitude <= 100) || !(wavelength >= 0 && wavelength <= 100) || !Finite(phase) ||
      (edge != RippleEdge::kFade && edge != RippleEdge::kReflect))
    return Result(Status::kBadValue, "Ripple: value out of range");
  if (wavelength == 0 || amplitude == 0) return internal::CopyPicture(src, dst);
  return internal::RunFilter(src, dst, region, 0, "Ripple", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect& area) {
    const Centre c = CentreOf(area);
    const float spacing = static_cast<float>(wavelength / 100.0) * c.half_diagonal;
    const float k = static_cast<float>(kTwoPi) / spacing;
    const float a = static_cast<float>(amplitude / 200.0) * spacing;
    const float ph = static_cast<float>(kTwoPi * (phase - std::floor(phase)));
    const bool fade = edge == RippleEdge::kFade;
    internal::RemapBy(in, out, fade ? cv::BORDER_REPLICATE : cv::BORDER_REFLECT,
                      [&](float x, float y, float* sx, float* sy) {
                        const float dx = x - c.cx, dy = y - c.cy;
                        const float r = std::sqrt(dx * dx + dy * dy);
                        float shift = a * std::sin(r * k - ph);
                        if (fade) shift *= std::max(0.0f, 1.0f - r / c.half_diagonal);
                        const float s = r > 1e-3f ? (r + shift) / r : 1.0f;
                        *sx = c.cx + dx * s;
                        *sy = c.cy + dy * s;
                      });
  });
}

Result Whirl(const Image& src, Image* dst, double angle, double radius, double twist, const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "Whirl"); !r.ok()) return r;
  if (!(angle >= -3600 && angle <= 3600) || !(radius > 0 && radius <= 10) || !(twist >= 0 && twist <= 1))
    return Result(Status::kBadValue, "Whirl: value out of range");
  if (angle == 0) return internal::CopyPicture(src, dst);
  return internal::RunFilter(src, dst, region, 0, "Whirl", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect& area) {
    const Centre c = CentreOf(area);
    const float big_r = static_cast<float>(radius) * c.half_diagonal;
    const float turn = static_cast<float>(angle * kTwoPi / 360.0);
    const float power = static_cast<float>(2 * twist);
    internal::RemapBy(in, out, cv::BORDER_REPLICATE, [&](float x, float y, float* sx, float* sy) {
      const float dx = x - c.cx, dy = y - c.cy;
      const float r = std::sqrt(dx * dx + dy * dy);
      if (r >= big_r) {
        *sx = x;
        *sy = y;
        return;
      }
      // The output pixel shows the source turned back by the local angle;
      // y grows downward, so anticlockwise on screen is a negative turn.
      const float t = turn * std::pow(1.0f - r / big_r, power);
      const float cs = std::cos(t), sn = std::sin(t);
      *sx = c.cx + dx * cs - dy * sn;
      *sy = c.cy + dx * sn + dy * cs;
    });
  });
}

Result Lens(const Image& src, Image* dst, double magnification, LensOutside outside, uint32_t fill_rgb,
            const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "Lens"); !r.ok()) return r;
  if (!(magnification >= 0 && magnification <= 10) || (outside != LensOutside::kPaint && outside != LensOutside::kKeep))
    return Result(Status::kBadValue, "Lens: value out of range");
  if (magnification == 1 && outside == LensOutside::kKeep) return internal::CopyPicture(src, dst);
  const float m = static_cast<float>(std::max(magnification, 0.1));
  const bool paint = outside == LensOutside::kPaint;
  const cv::Scalar fill((fill_rgb & 0xFF), (fill_rgb >> 8) & 0xFF, (fill_rgb >> 16) & 0xFF, 0);
  return internal::RunFilter(src, dst, region, 0, "Lens", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect& area) {
    const float cx = area.x + (area.width - 1) * 0.5f, cy = area.y + (area.height - 1) * 0.5f;
    const float rx = std::max(0.5f, area.width * 0.5f), ry = std::max(0.5f, area.height * 0.5f);
    internal::RemapBy(
        in, out, cv::BORDER_CONSTANT,
        [&](float x, float y, float* sx, float* sy) {
          const float u = (x - cx) / rx, v = (y - cy) / ry;
          const float r = std::sqrt(u * u + v * v);
          if (r >= 1.0f) {
            // Outside the lens: itself, or a point off the picture (the fill).
            *sx = paint ? -1e6f : x;
            *sy = paint ? -1e6f : y;
            return;
          }
          const float s = r > 1e-6f ? std::pow(r, m) / r : (m < 1 ? 1.0f : 0.0f);
          *sx = cx + u * s * rx;
          *sy = cy + v * s * ry;
        },
        fill);
  });
}

}  // namespace imaging::ops

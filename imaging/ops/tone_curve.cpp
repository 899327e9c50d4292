#include "imaging/ops/tone_curve.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <opencv2/imgproc.hpp>

#include "imaging/ops/internal/filter_frame.h"

namespace imaging::ops {
namespace {

int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

// Natural cubic spline second derivatives (the tridiagonal system solved
// by the Thomas algorithm).
std::vector<double> SplineMoments(const std::vector<double>& x, const std::vector<double>& y) {
  const size_t n = x.size();
  std::vector<double> m(n, 0.0);
  if (n < 3) return m;
  std::vector<double> c(n, 0.0), d(n, 0.0);
  for (size_t i = 1; i + 1 < n; ++i) {
    const double h0 = x[i] - x[i - 1], h1 = x[i + 1] - x[i];
    const double a = h0, b = 2 * (h0 + h1), cc = h1;
    const double r = 6 * ((y[i + 1] - y[i]) / h1 - (y[i] - y[i - 1]) / h0);
    const double denom = b - a * c[i - 1];
    c[i] = cc / denom;
    d[i] = (r - a * d[i - 1]) / denom;
  }
  for (size_t i = n - 2; i >= 1; --i) {
    m[i] = d[i] - c[i] * m[i + 1];
    if (i == 1) break;
  }
  return m;
}

Result Prepare(const Image& src, Image* dst, const std::vector<int>& x, const std::vector<int>& y,
               ChannelSet channels, std::array<uint8_t, 256>* table, const char* name) {
  if (Result r = internal::CheckFilterSource(src, dst, name); !r.ok()) return r;
  if ((channels & ~unsigned(kAllChannels)) != 0) return Result(Status::kBadValue, std::string(name) + ": bad channels");
  return BuildToneCurve(x, y, table);
}

bool IsIdentity(const std::array<uint8_t, 256>& t) {
  for (int i = 0; i < 256; ++i)
    if (t[i] != i) return false;
  return true;
}

}  // namespace

CurvePoints ToneCurvePoints(int emphasis, int level) {
  const double e = emphasis, l = level;
  CurvePoints p;
  p.x.resize(5);
  for (int i = 0; i < 5; ++i) {
    // Same order of operations as the dialog's formula.
    const int xi = l > 0 ? RoundEven(256 - (4 - i) * 64 * l / 100) : RoundEven(i * 64 * (l / 100 + 1));
    p.x[i] = std::min(xi, 255);
  }
  p.y = p.x;
  std::vector<int>& v = p.y;
  if (e > 0) {
    v[1] = RoundEven(v[1] - e / 100 * (v[1] - v[0]));
    v[3] = RoundEven(e / 100 * (v[4] - v[3]) + v[3]);
  } else {
    v[1] = RoundEven(v[1] + e / -100 * (v[2] - v[1]));
    v[3] = RoundEven(v[3] - e / -100 * (v[3] - v[2]));
  }
  return p;
}

Result BuildToneCurve(const std::vector<int>& x, const std::vector<int>& y, std::array<uint8_t, 256>* table) {
  if (table == nullptr || x.empty() || x.size() != y.size())
    return Result(Status::kBadValue, "tone curve: need matching inputs and outputs");
  std::map<int, std::pair<double, int>> merged;  // input -> (sum of outputs, count)
  for (size_t i = 0; i < x.size(); ++i) {
    if (x[i] < 0 || x[i] > 255 || y[i] < 0 || y[i] > 255)
      return Result(Status::kBadValue, "tone curve: point outside 0..255");
    auto& slot = merged[x[i]];
    slot.first += y[i];
    slot.second += 1;
  }
  std::vector<double> px, py;
  for (const auto& [in, acc] : merged) {
    px.push_back(in);
    py.push_back(acc.first / acc.second);
  }
  const std::vector<double> m = SplineMoments(px, py);
  size_t seg = 0;
  for (int v = 0; v < 256; ++v) {
    double out;
    if (v <= px.front()) {
      out = py.front();
    } else if (v >= px.back()) {
      out = py.back();
    } else {
      while (px[seg + 1] < v) ++seg;
      const double h = px[seg + 1] - px[seg];
      const double a = (px[seg + 1] - v) / h, b = (v - px[seg]) / h;
      out = a * py[seg] + b * py[seg + 1] + ((a * a * a - a) * m[seg] + (b * b * b - b) * m[seg + 1]) * h * h / 6;
    }
    (*table)[v] = static_cast<uint8_t>(std::clamp(std::lround(out), 0L, 255L));
  }
  return Result::Ok();
}

Result ToneCurve(const Image& src, Image* dst, const std::vector<int>& x, const std::vector<int>& y,
                 ChannelSet channels, const Region& region) {
  std::array<uint8_t, 256> t;
  if (Result r = Prepare(src, dst, x, y, channels, &t, "ToneCurve"); !r.ok()) return r;
  if (channels == kNoChannel || IsIdentity(t)) return internal::CopyPicture(src, dst);
  const int cn = src.bpp() / 8;
  cv::Mat lut(1, 256, CV_8UC(cn));
  const bool on[3] = {(channels & kBlueChannel) != 0, (channels & kGreenChannel) != 0, (channels & kRedChannel) != 0};
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < cn; ++c) lut.ptr<uint8_t>(0)[i * cn + c] = static_cast<uint8_t>(c < 3 && on[c] ? t[i] : i);
  return internal::RunFilter(src, dst, region, 0, "ToneCurve",
                             [&](const cv::Mat& in, cv::Mat& out, const cv::Rect&) { cv::LUT(in, lut, out); });
}

Result ToneCurveYCrCb(const Image& src, Image* dst, const std::vector<int>& x, const std::vector<int>& y,
                      ChannelSet channels, const Region& region) {
  std::array<uint8_t, 256> t;
  if (Result r = Prepare(src, dst, x, y, channels, &t, "ToneCurveYCrCb"); !r.ok()) return r;
  if (channels == kNoChannel || IsIdentity(t)) return internal::CopyPicture(src, dst);
  cv::Mat lut(1, 256, CV_8UC3);
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 3; ++c) lut.ptr<uint8_t>(0)[i * 3 + c] = static_cast<uint8_t>((channels >> c) & 1 ? t[i] : i);
  return internal::RunFilter(src, dst, region, 0, "ToneCurveYCrCb", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect&) {
    cv::Mat bgr, ycc;
    if (in.channels() == 4)
      cv::cvtColor(in, bgr, cv::COLOR_BGRA2BGR);
    else
      bgr = in;
    cv::cvtColor(bgr, ycc, cv::COLOR_BGR2YCrCb);  // channel order Y, Cr, Cb
    cv::LUT(ycc, lut, ycc);
    if (in.channels() == 4) {
      cv::cvtColor(ycc, bgr, cv::COLOR_YCrCb2BGR);
      const int from_to[] = {0, 0, 1, 1, 2, 2};
      cv::mixChannels(&bgr, 1, &out, 1, from_to, 3);
      const int alpha[] = {3, 3};
      cv::mixChannels(&in, 1, &out, 1, alpha, 1);
    } else {
      cv::cvtColor(ycc, out, cv::COLOR_YCrCb2BGR);
    }
  });
}

}  // namespace imaging::ops

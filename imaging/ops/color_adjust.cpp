#include "imaging/ops/color_adjust.h"

#include <algorithm>
#include <cmath>
#include <new>

#include <opencv2/core.hpp>

#include "imaging/ops/internal/cv_wrap.h"
#include "imaging/ops/internal/filter_frame.h"
#include "imaging/ops/internal/packed.h"
#include "imaging/ops/internal/pixel_fill.h"
#include "imaging/ops/internal/region_area.h"
#include "imaging/pixel_helpers.h"

namespace imaging::ops {
namespace {

// A 256-entry table per channel (B, G, R[, A]) through cv::LUT.
void ApplyTables(const cv::Mat& in, cv::Mat& out, const uint8_t (&tables)[3][256]) {
  const int cn = in.channels();
  cv::Mat lut(1, 256, CV_8UC(cn));
  for (int i = 0; i < 256; ++i) {
    uint8_t* e = lut.ptr<uint8_t>(0) + i * cn;
    for (int c = 0; c < 3; ++c) e[c] = tables[c][i];
    if (cn == 4) e[3] = static_cast<uint8_t>(i);
  }
  cv::LUT(in, lut, out);
}

// Inversion below 24 bpp, done in place on `img` over the region.
void InvertLowDepth(Image* img, ChannelSet channels, const Region& region) {
  const internal::RegionArea area = internal::ResolveRegion(region, img->width(), img->height());
  if (area.box.empty()) return;
  auto covered = [&](int x, int y) {
    return area.mask.empty() || area.mask.at<uint8_t>(y - area.box.y, x - area.box.x) != 0;
  };
  if (img->bpp() == 16) {
    const uint16_t flip = static_cast<uint16_t>(((channels & kRedChannel) ? 0x7C00 : 0) |
                                                ((channels & kGreenChannel) ? 0x03E0 : 0) |
                                                ((channels & kBlueChannel) ? 0x001F : 0));
    for (int y = area.box.y; y < area.box.br().y; ++y) {
      uint8_t* p = img->row(y);
      for (int x = area.box.x; x < area.box.br().x; ++x)
        if (covered(x, y)) {
          p[2 * x] ^= static_cast<uint8_t>(flip & 0xFF);
          p[2 * x + 1] ^= static_cast<uint8_t>(flip >> 8);
        }
    }
    return;
  }
  std::vector<PaletteEntry> inverted = img->palette();
  for (PaletteEntry& e : inverted) {
    if (channels & kRedChannel) e.red = 255 - e.red;
    if (channels & kGreenChannel) e.green = 255 - e.green;
    if (channels & kBlueChannel) e.blue = 255 - e.blue;
  }
  if (region.whole()) {
    img->palette() = inverted;
    img->set_gray(img->IsGrayPalette());
    return;
  }
  uint8_t map[256] = {};
  for (size_t i = 0; i < inverted.size(); ++i) {
    const PaletteEntry& e = inverted[i];
    map[i] = static_cast<uint8_t>(internal::NearestPaletteIndex(
        img->palette(), (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue));
  }
  cv::Mat idx = internal::UnpackIndices(*img);
  for (int y = area.box.y; y < area.box.br().y; ++y) {
    uint8_t* p = idx.ptr<uint8_t>(y);
    for (int x = area.box.x; x < area.box.br().x; ++x)
      if (covered(x, y)) p[x] = map[p[x]];
  }
  internal::PackIndices(idx, img);
}

}  // namespace

Result InvertChannels(const Image& src, Image* dst, ChannelSet channels, const Region& region) {
  if (dst == nullptr) return Result(Status::kBadValue, "InvertChannels: no destination");
  if (src.empty()) return Result(Status::kBadImage, "InvertChannels: empty picture");
  if ((channels & ~unsigned(kAllChannels)) != 0) return Result(Status::kBadValue, "InvertChannels: bad channel set");
  if (channels == kNoChannel) return internal::CopyPicture(src, dst);
  if (src.bpp() < 24) {
    return GuardResult("InvertChannels", [&]() -> Result {
      Image out = src;
      InvertLowDepth(&out, channels, region);
      *dst = std::move(out);
      return Result::Ok();
    });
  }
  uint8_t tables[3][256];
  const bool on[3] = {(channels & kBlueChannel) != 0, (channels & kGreenChannel) != 0, (channels & kRedChannel) != 0};
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i) tables[c][i] = static_cast<uint8_t>(on[c] ? 255 - i : i);
  return internal::RunFilter(src, dst, region, 0, "InvertChannels",
                             [&](const cv::Mat& in, cv::Mat& out, const cv::Rect&) { ApplyTables(in, out, tables); });
}

Result AdjustBrightness(const Image& src, Image* dst, int red, int green, int blue, const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "AdjustBrightness"); !r.ok()) return r;
  for (int v : {red, green, blue})
    if (v < -255 || v > 255) return Result(Status::kBadValue, "AdjustBrightness: value out of -255..255");
  if (red == 0 && green == 0 && blue == 0) return internal::CopyPicture(src, dst);
  uint8_t tables[3][256];
  const int add[3] = {blue, green, red};
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i) tables[c][i] = static_cast<uint8_t>(std::clamp(i + add[c], 0, 255));
  return internal::RunFilter(src, dst, region, 0, "AdjustBrightness",
                             [&](const cv::Mat& in, cv::Mat& out, const cv::Rect&) { ApplyTables(in, out, tables); });
}

Result AdjustSaturation(const Image& src, Image* dst, int level, const Region& region) {
  if (Result r = internal::CheckFilterSource(src, dst, "AdjustSaturation"); !r.ok()) return r;
  if (level < -100 || level > 1000) return Result(Status::kBadValue, "AdjustSaturation: level out of -100..1000");
  if (level == 0) return internal::CopyPicture(src, dst);
  const int f = static_cast<int>(std::lround((1.0 + level / 100.0) * 256));  // 8.8 fixed point
  return internal::RunFilter(src, dst, region, 0, "AdjustSaturation", [&](const cv::Mat& in, cv::Mat& out, const cv::Rect&) {
    const int cn = in.channels();
    internal::ParallelRows(in.rows, [&](int y0, int y1) {
      for (int y = y0; y < y1; ++y) {
        const uint8_t* s = in.ptr<uint8_t>(y);
        uint8_t* d = out.ptr<uint8_t>(y);
        for (int x = 0; x < in.cols; ++x, s += cn, d += cn) {
          // Rec. 601 luma, times 256.
          const int luma = 29 * s[0] + 150 * s[1] + 77 * s[2];
          for (int c = 0; c < 3; ++c) {
            const int v = (luma + f * (s[c] * 256 - luma) / 256 + 128) >> 8;
            d[c] = static_cast<uint8_t>(std::clamp(v, 0, 255));
          }
          if (cn == 4) d[3] = s[3];
        }
      }
    });
  });
}

}  // namespace imaging::ops

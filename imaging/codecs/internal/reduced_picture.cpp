#include "imaging/codecs/internal/reduced_picture.h"

#include <algorithm>
#include <cstring>

namespace imaging::codecs::internal {
namespace {

constexpr int kMaxFactor = 1024;  // k * k * 255 still fits a 32-bit sum

void PutPacked(uint8_t* row, int x, int bpp, int v) {
  switch (bpp) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<uint8_t>(v & 1 ? row[x >> 3] | bit : row[x >> 3] & ~bit);
      break;
    }
    case 4: {
      const int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0x0F << shift)) | ((v & 0x0F) << shift));
      break;
    }
    default: row[x] = static_cast<uint8_t>(v); break;
  }
}

int GetPacked(const uint8_t* row, int x, int bpp) {
  switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default: return row[x];
  }
}

}  // namespace

int ReducedPicture::Factor(int64_t width, int64_t height, const LoadOptions& options) {
  int64_t k = INT64_MAX;
  if (options.max_width > 0) k = std::min<int64_t>(k, width / options.max_width);
  if (options.max_height > 0) k = std::min<int64_t>(k, height / options.max_height);
  if (k == INT64_MAX || k < 2) return 1;
  return static_cast<int>(std::min<int64_t>(k, kMaxFactor));
}

Result ReducedPicture::Start(int width, int height, int bpp, int factor) {
  if (Result r = CheckPictureSize(width, height, "picture"); !r.ok()) return r;
  factor = std::clamp(factor, 1, kMaxFactor);
  const int ow = (width + factor - 1) / factor, oh = (height + factor - 1) / factor;
  Image img;
  if (Result r = Image::Create(ow, oh, bpp, &img); !r.ok()) return r;
  averaging_ = factor > 1 && bpp >= 24;
  if (averaging_) {
    try {
      sums_.assign(static_cast<size_t>(ow) * oh * (bpp / 8), 0);
    } catch (...) {
      return Result(Status::kMemory, "out of memory");
    }
  }
  width_ = width;
  height_ = height;
  bpp_ = bpp;
  factor_ = factor;
  picture_ = std::move(img);
  return Result::Ok();
}

void ReducedPicture::PutRow(int y, const uint8_t* row) {
  if (y < 0 || y >= height_ || !Wants(y)) return;
  const int k = factor_;
  if (k == 1) {
    std::memcpy(picture_.row(y), row, (static_cast<size_t>(width_) * bpp_ + 7) / 8);
    return;
  }
  uint8_t* dst = picture_.row(y / k);
  const int ow = picture_.width();
  if (averaging_) {
    const int n = bpp_ / 8;
    uint32_t* sums = sums_.data() + static_cast<size_t>(y / k) * ow * n;
    for (int x = 0; x < width_; ++x)
      for (int c = 0; c < n; ++c) sums[(x / k) * n + c] += row[static_cast<size_t>(x) * n + c];
    return;
  }
  if (bpp_ == 16) {
    for (int ox = 0; ox < ow; ++ox) std::memcpy(dst + 2 * ox, row + 2 * static_cast<size_t>(ox) * k, 2);
    return;
  }
  for (int ox = 0; ox < ow; ++ox) PutPacked(dst, ox, bpp_, GetPacked(row, ox * k, bpp_));
}

void ReducedPicture::PutIndices(int y, const uint8_t* indices) {
  if (y < 0 || y >= height_ || bpp_ > 8 || !Wants(y)) return;
  const int k = factor_;
  uint8_t* dst = picture_.row(y / k);
  const int ow = picture_.width();
  const int mask = (1 << bpp_) - 1;
  if (bpp_ == 8) {
    if (k == 1) {
      std::memcpy(dst, indices, static_cast<size_t>(width_));
    } else {
      for (int ox = 0; ox < ow; ++ox) dst[ox] = indices[static_cast<size_t>(ox) * k];
    }
    return;
  }
  for (int ox = 0; ox < ow; ++ox) PutPacked(dst, ox, bpp_, indices[static_cast<size_t>(ox) * k] & mask);
}

Image ReducedPicture::Finish() {
  if (averaging_) {
    const int k = factor_, n = bpp_ / 8;
    const int ow = picture_.width(), oh = picture_.height();
    for (int oy = 0; oy < oh; ++oy) {
      const uint32_t rows = static_cast<uint32_t>(std::min(k, height_ - oy * k));
      uint8_t* dst = picture_.row(oy);
      const uint32_t* sums = sums_.data() + static_cast<size_t>(oy) * ow * n;
      for (int ox = 0; ox < ow; ++ox) {
        const uint32_t count = rows * static_cast<uint32_t>(std::min(k, width_ - ox * k));
        for (int c = 0; c < n; ++c) dst[ox * n + c] = static_cast<uint8_t>((sums[ox * n + c] + count / 2) / count);
      }
    }
    std::vector<uint32_t>().swap(sums_);
  }
  return std::move(picture_);
}

}  // namespace imaging::codecs::internal

#include "imaging/control/internal/view_cache.h"

#include <algorithm>
#include <opencv2/imgproc.hpp>

#include "imaging/control/internal/area_shrink.h"
#include "imaging/control/internal/picture_convert.h"

namespace imaging::control {
namespace {

cv::Mat WrapBgr(const Image& img) {
  return cv::Mat(img.height(), img.width(), CV_8UC3, const_cast<uint8_t*>(img.data()), img.stride());
}

// ToRgb32() turns B, G, R rows into an RGB32 image (bytes B, G, R, 255).
QImage ToRgb32(const cv::Mat& bgr) {
  QImage q = MakeRgb32(QSize(bgr.cols, bgr.rows));
  if (q.isNull()) return q;
  cv::Mat dst(q.height(), q.width(), CV_8UC4, q.bits(), static_cast<size_t>(q.bytesPerLine()));
  cv::cvtColor(bgr, dst, cv::COLOR_BGR2BGRA);
  return q;
}

}  // namespace

void ViewCache::SetSource(const Image* source) {
  source_ = (source && !source->empty()) ? source : nullptr;
  Invalidate();
}

void ViewCache::Invalidate() {
  bgr_ = Image();
  bgr_ready_ = false;
  full_ = QImage();
  scaled_ = QImage();
  overview_ = QImage();
}

const Image& ViewCache::Bgr() {
  if (source_->bpp() == 24) return *source_;
  if (!bgr_ready_) {
    if (!ToBgr24(*source_, &bgr_).ok()) bgr_ = Image();
    bgr_ready_ = true;
  }
  return bgr_;
}

const QImage& ViewCache::Full() {
  if (full_.isNull() && source_) {
    const Image& bgr = Bgr();
    if (!bgr.empty()) full_ = ToRgb32(WrapBgr(bgr));
  }
  return full_;
}

const QImage& ViewCache::Scaled(QSize size) {
  if (!source_ || size.isEmpty()) {
    scaled_ = QImage();
    return scaled_;
  }
  size = size.boundedTo(QSize(source_->width(), source_->height()));
  if (scaled_.size() == size) return scaled_;
  if (size == QSize(source_->width(), source_->height())) {
    scaled_ = Full();
    return scaled_;
  }
  const Image& bgr = Bgr();
  if (bgr.empty()) {
    scaled_ = QImage();
    return scaled_;
  }
  scaled_ = AreaShrinkToRgb32(bgr, size);
  return scaled_;
}

QImage ViewCache::Overview(QSize bound) {
  if (!source_ || bound.isEmpty()) return {};
  QSize size = QSize(source_->width(), source_->height()).scaled(bound, Qt::KeepAspectRatio);
  size = size.expandedTo(QSize(1, 1)).boundedTo(QSize(source_->width(), source_->height()));
  if (overview_.size() == size) return overview_;
  const Image& bgr = Bgr();
  if (bgr.empty()) return {};
  overview_ = AreaShrinkToRgb32(bgr, size);
  return overview_;
}

}  // namespace imaging::control

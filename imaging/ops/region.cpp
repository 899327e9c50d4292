#include "imaging/ops/region.h"

#include <opencv2/imgproc.hpp>

#include "imaging/ops/internal/region_area.h"

namespace imaging::ops {

Region Region::Rectangle(int left, int top, int right, int bottom, RegionMode mode) {
  Region r;
  r.mode = mode;
  r.corners = {RegionPoint{left, top}, RegionPoint{right, top}, RegionPoint{right, bottom},
               RegionPoint{left, bottom}};
  return r;
}

Region RegionFromControl(int region_mode, int region_inside, const std::array<int, 4>& x,
                         const std::array<int, 4>& y) {
  Region r;
  if (region_mode != 2) return r;
  r.mode = region_inside == 0 ? RegionMode::kOutside : RegionMode::kInside;
  for (int i = 0; i < 4; ++i) r.corners[i] = RegionPoint{x[i], y[i]};
  return r;
}

Result RegionMask(const Region& region, int width, int height, std::vector<uint8_t>* mask) {
  if (mask == nullptr || width < 1 || height < 1) return Result(Status::kBadValue, "bad mask size");
  const internal::RegionArea area = internal::ResolveRegion(region, width, height);
  mask->assign(static_cast<size_t>(width) * height, 0);
  if (area.box.empty()) return Result::Ok();
  cv::Mat full(height, width, CV_8UC1, mask->data());
  if (area.mask.empty())
    full(area.box).setTo(255);
  else
    area.mask.copyTo(full(area.box));
  return Result::Ok();
}

namespace internal {

RegionArea ResolveRegion(const Region& region, int width, int height) {
  RegionArea area;
  const cv::Rect all(0, 0, width, height);
  if (region.whole()) {
    area.box = all;
    return area;
  }
  std::vector<cv::Point> poly;
  for (const RegionPoint& p : region.corners) poly.emplace_back(p.x, p.y);
  const cv::Rect bounds = cv::boundingRect(poly);  // exclusive of the far edge
  const cv::Rect covered(bounds.x, bounds.y, bounds.width + 1, bounds.height + 1);
  // fillPoly also draws the polygon's outline, so the far corners are covered.
  if (region.mode == RegionMode::kInside) {
    area.box = covered & all;
    if (area.box.empty()) return area;
    area.mask = cv::Mat::zeros(area.box.size(), CV_8UC1);
    for (cv::Point& p : poly) p -= area.box.tl();
    cv::fillPoly(area.mask, std::vector<std::vector<cv::Point>>{poly}, cv::Scalar(255), cv::LINE_8);
    cv::polylines(area.mask, std::vector<std::vector<cv::Point>>{poly}, true, cv::Scalar(255), 1, cv::LINE_8);
    // An axis-aligned rectangle covers its box exactly; skip the mask then.
    if (cv::countNonZero(area.mask) == area.box.area()) area.mask.release();
    return area;
  }
  area.box = all;
  area.mask = cv::Mat(height, width, CV_8UC1, cv::Scalar(255));
  cv::fillPoly(area.mask, std::vector<std::vector<cv::Point>>{poly}, cv::Scalar(0), cv::LINE_8);
  cv::polylines(area.mask, std::vector<std::vector<cv::Point>>{poly}, true, cv::Scalar(0), 1, cv::LINE_8);
  return area;
}

}  // namespace internal
}  // namespace imaging::ops

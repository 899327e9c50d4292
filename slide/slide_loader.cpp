#include "slide/slide_loader.h"

#include "slide/slide_geometry.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"

namespace slide {

namespace {

// Brings a raster handle to the fitted size; takes ownership of `h`.
MVHANDLE FitRaster(MVHANDLE h, const MVImageType& type, int box_w, int box_h) {
  const Fitted f = FitSize(type.width, type.height, box_w, box_h);
  if (f.width == type.width && f.height == type.height) return h;  // already fitted
  if (type.sizing == MV_SIZING_DIRECT) return imaging_dlls::SetImageSize(h, f.width, f.height);
  MVHANDLE pair[2] = {h, 0};
  MVHANDLE out = imaging_dlls::Resize(pair, f.width, f.height);
  if (!out) return h;  // without MVResize the picture stays unscaled
  imaging_dlls::FreeMemory(h);
  return out;
}

}  // namespace

MVHANDLE LoadSlide(const char* path, int image_number, int box_w, int box_h) {
  if (box_w < 5 || box_h < 5 || !path) return 0;
  MVFileInfo info{};
  if (!imaging_dlls::FileType(path, image_number, &info)) return 0;
  // The decoder fits the picture into the box by its cheapest route (a
  // scaled JPEG decode, for example); the exact fit follows.
  MVHANDLE h = imaging_dlls::FileLoad(path, image_number, box_w, box_h);
  if (!h) return 0;
  MVImageType type{};
  if (!imaging_dlls::GetImageType(h, &type)) {
    imaging_dlls::FreeMemory(h);
    return 0;
  }
  if (type.kind != MV_KIND_RASTER) {
    // A drawing: rendered onto white first, then fitted.
    MVHANDLE raster = imaging_dlls::VectorToRaster(h, 255, 255, 255);
    imaging_dlls::FreeMemory(h);
    if (!raster || !imaging_dlls::GetImageType(raster, &type)) {
      imaging_dlls::FreeMemory(raster);
      return 0;
    }
    h = raster;
  }
  return FitRaster(h, type, box_w, box_h);
}

}  // namespace slide

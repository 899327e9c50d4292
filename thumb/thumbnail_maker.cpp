#include "thumb/thumbnail_maker.h"

#include <algorithm>

#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/utils/fit_size.h"

namespace thumb {
namespace {

bool IsMultiResolution(int format) { return format >= 16 && format <= 18; }

// Sub-images of a multi-resolution file, from the smallest up: the first
// one larger than the thumbnail on either side.
MVHANDLE LoadSubImage(const std::string& path, const MVFileInfo& info, int image_size) {
  const int count = info.image_count;
  if (count <= 1) {
    if (MVHANDLE h = imaging_dlls::FileLoad(path.c_str(), count - 1 < 0 ? 0 : count - 1, 0, 0)) return h;
  }
  for (int k = count - 1; k >= 0; --k) {
    MVFileInfo sub{};
    if (!imaging_dlls::FileType(path.c_str(), k, &sub)) continue;
    if (sub.width > image_size || sub.height > image_size) {
      if (MVHANDLE h = imaging_dlls::FileLoad(path.c_str(), k, 0, 0)) return h;
    }
  }
  return 0;
}

MVHANDLE ExifThumbnail(const std::string& path, int image_size) {
  MVExifInfo exif{};
  if (!imaging_dlls::JpegExifInfo(path.c_str(), &exif) || exif.thumbnail == 0) return 0;
  MVImageType type{};
  if (imaging_dlls::GetImageType(exif.thumbnail, &type) && (type.width >= image_size || type.height >= image_size))
    return exif.thumbnail;
  imaging_dlls::FreeMemory(exif.thumbnail);
  return 0;
}

// The bound of a plain load: 800 x 600 at most, and no more than twice the
// thumbnail's size on either side, which is plenty for the area average
// that follows and lets large JPEGs decode at 1/8 scale.
void LoadBound(int image_size, int* w, int* h) {
  const int side = 2 * std::max(image_size, 1);
  *w = std::min(800, side);
  *h = std::min(600, side);
}

}  // namespace

MVHANDLE LoadPictureForThumbnail(const std::string& path, int image_number, int image_size) {
  MVFileInfo info{};
  if (!imaging_dlls::FileType(path.c_str(), image_number, &info)) return 0;
  if (IsMultiResolution(info.format)) {
    if (MVHANDLE h = LoadSubImage(path, info, image_size)) return h;
  } else if (info.format == MV_FORMAT_JPEG_EXIF) {
    if (MVHANDLE h = ExifThumbnail(path, image_size)) return h;
  }
  int w = 0, h = 0;
  LoadBound(image_size, &w, &h);
  return imaging_dlls::FileLoad(path.c_str(), image_number, w, h);
}

MVHANDLE MakeThumbnail(MVHANDLE picture, int image_size, uint32_t background) {
  if (picture == 0) return 0;
  MVImageType type{};
  if (!imaging_dlls::GetImageType(picture, &type)) {
    imaging_dlls::FreeMemory(picture);
    return 0;
  }
  MVHANDLE raster = picture;
  if (type.kind != MV_KIND_RASTER) {
    raster = imaging_dlls::VectorToRaster(picture, background & 0xFF, (background >> 8) & 0xFF,
                                          (background >> 16) & 0xFF);
    imaging_dlls::FreeMemory(picture);
    if (raster == 0 || !imaging_dlls::GetImageType(raster, &type)) {
      imaging_dlls::FreeMemory(raster);
      return 0;
    }
  }
  // The size comes from the picture's own header.
  int width = type.width, height = type.height;
  {
    imaging_dlls::LockedBlock dib(raster);
    if (dib && dib.size() >= sizeof(MVBITMAPINFOHEADER)) {
      const auto* bi = static_cast<const MVBITMAPINFOHEADER*>(dib.data());
      width = bi->biWidth;
      height = bi->biHeight < 0 ? -bi->biHeight : bi->biHeight;
    }
  }
  const viewer::Size size = viewer::ThumbnailSize(width, height, image_size);
  if (size.width <= 0 || size.height <= 0) return raster;  // no size to go to: kept as it is
  if (size.width == width && size.height == height) return raster;
  if (type.sizing == MV_SIZING_DIRECT) {
    // SetImageSize takes the handle in every case.
    return imaging_dlls::SetImageSize(raster, size.width, size.height);
  }
  MVHANDLE pair[2] = {raster, 0};
  const MVHANDLE resized = imaging_dlls::Resize(pair, size.width, size.height);
  if (resized == 0) return raster;  // without MVResize the picture stays unscaled
  imaging_dlls::FreeMemory(raster);
  return resized;
}

MVHANDLE BuildThumbnail(const ThumbnailJob& job) {
  return MakeThumbnail(LoadPictureForThumbnail(job.path, job.image_number, job.image_size), job.image_size,
                       job.background);
}

}  // namespace thumb

#include "thumb/thumbnail_maker.h"

#include <algorithm>
#include <cstring>

#include "thumb/dib_image.h"
#include "thumb/shared_cache.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"
#include "viewer_common/utils/fit_size.h"

namespace thumb {
namespace {

bool IsMultiResolution(int format) { return format >= 16 && format <= 18; }

// A multi-resolution file: the smallest sub-image larger than the
// thumbnail.  The family numbers the picture, not its sub-images, and picks
// the smallest sub-image that still covers the size a bounded load is
// fitted into, so a bound of the thumbnail's own size loads that one (a
// sub-image of exactly the thumbnail's size serves as it is) and never
// decodes the full picture when a smaller one will do.
MVHANDLE LoadSubImage(const std::string& path, int image_number, int image_size) {
  const int bound = std::max(image_size, 1);
  return imaging_dlls::FileLoad(path.c_str(), image_number, bound, bound);
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
// thumbnail's size on either side (or the shared cache's folder size, when
// that is larger), which is plenty for the area average that follows and
// lets large JPEGs decode at 1/8 scale.
void LoadBound(int image_size, int* w, int* h) {
  const int side = std::max(2 * std::max(image_size, 1), shared_cache::FolderSizeFor(image_size));
  *w = std::min(800, side);
  *h = std::min(600, side);
}

// `embedded` (when given) tells whether the picture is a JPEG's embedded
// thumbnail rather than the picture itself.
MVHANDLE LoadPicture(const std::string& path, int image_number, int image_size, const MVFileInfo& info,
                     bool* embedded = nullptr) {
  if (embedded) *embedded = false;
  if (IsMultiResolution(info.format)) {
    if (MVHANDLE h = LoadSubImage(path, image_number, image_size)) return h;
  } else if (info.format == MV_FORMAT_JPEG_EXIF) {
    if (MVHANDLE h = ExifThumbnail(path, image_size)) {
      if (embedded) *embedded = true;
      return h;
    }
  }
  int w = 0, h = 0;
  LoadBound(image_size, &w, &h);
  return imaging_dlls::FileLoad(path.c_str(), image_number, w, h);
}

// Only TIFF and GIF files can hold more than one image; any other file is
// one picture whatever its image count says.
bool MayHoldSeveralImages(const shared_cache::Source& src) {
  const uint8_t* h = src.head;
  if (src.head_size >= 4 && ((h[0] == 'I' && h[1] == 'I' && (h[2] == 42 || h[2] == 43) && h[3] == 0) ||
                             (h[0] == 'M' && h[1] == 'M' && h[2] == 0 && (h[3] == 42 || h[3] == 43))))
    return true;
  return src.head_size >= 6 && (std::memcmp(h, "GIF87a", 6) == 0 || std::memcmp(h, "GIF89a", 6) == 0);
}

// The size in a picture's own DIB header (height made positive); false,
// with nothing written, when the handle holds no header.
bool DibSize(MVHANDLE h, int* w, int* hgt) {
  imaging_dlls::LockedBlock dib(h);
  if (!dib || dib.size() < sizeof(MVBITMAPINFOHEADER)) return false;
  const auto* bi = static_cast<const MVBITMAPINFOHEADER*>(dib.data());
  *w = bi->biWidth;
  *hgt = bi->biHeight < 0 ? -bi->biHeight : bi->biHeight;
  return true;
}

// A raster picture of `width` x `height` brought to `size`; takes `raster`
// and gives it back unscaled when there is no size to go to.
MVHANDLE ResizeRaster(MVHANDLE raster, const MVImageType& type, int width, int height, viewer::Size size) {
  if (size.width <= 0 || size.height <= 0) return raster;
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

// The picture the shared cache keeps for a freshly loaded raster picture:
// brought down to the folder's size, or the picture itself when it is the
// whole original and no larger.  Takes `picture`; returns the handle to go
// on with.  Nothing is stored from a picture smaller than the entry ought
// to be (an embedded thumbnail, a small sub-image).
MVHANDLE StoreLoaded(const shared_cache::Source& src, const MVFileInfo& info, int folder, MVHANDLE picture) {
  MVImageType type{};
  int w = 0, h = 0;
  if (!imaging_dlls::GetImageType(picture, &type) || type.kind != MV_KIND_RASTER || !DibSize(picture, &w, &h) ||
      w <= 0 || h <= 0)
    return picture;
  const int longer = std::max(w, h);
  const int original = std::max(info.width, info.height);
  if (longer < std::min(folder, original)) return picture;
  MVHANDLE cached = picture;
  if (longer > folder) {
    // A bounded load is the original fitted to its bound and rounded; an
    // entry made from it is shaped from the original's own size, so the
    // rounding is not taken twice (3000 x 2000 gives 256 x 171, not 170).
    viewer::Size size = viewer::ThumbnailSize(w, h, folder);
    const viewer::Size loaded = viewer::ThumbnailSize(info.width, info.height, longer);
    if (loaded.width == w && loaded.height == h) size = viewer::ThumbnailSize(info.width, info.height, folder);
    cached = ResizeRaster(picture, type, w, h, size);
  }
  QImage img;
  if (ImageFromDibHandle(cached, &img))
    (void)shared_cache::Store(src, img, folder, info.width > 0 ? info.width : 0, info.height > 0 ? info.height : 0);
  return cached;
}

MVHANDLE BuildShared(const ThumbnailJob& job, const shared_cache::Source& src) {
  const int folder = shared_cache::FolderSizeFor(job.image_size);
  MVFileInfo info{};
  const bool typed = imaging_dlls::FileType(job.path.c_str(), job.image_number, &info) != 0;
  // A file of several images has no one picture for the cache.
  if (typed && MayHoldSeveralImages(src) && info.image_count > 1) {
    return MakeThumbnail(LoadPicture(job.path, job.image_number, job.image_size, info), job.image_size,
                         job.background);
  }
  if (!typed) {
    (void)shared_cache::RecordFailure(src);
    return 0;
  }
  bool embedded = false;
  MVHANDLE picture = LoadPicture(job.path, job.image_number, job.image_size, info, &embedded);
  if (picture == 0) {
    (void)shared_cache::RecordFailure(src);
    return 0;
  }
  // An embedded EXIF thumbnail may not show the picture as it is now (an
  // edited photo keeps its camera's thumbnail): good enough for this grid,
  // never handed on to other programs.
  if (!embedded) picture = StoreLoaded(src, info, folder, picture);
  return MakeThumbnail(picture, job.image_size, job.background);
}

}  // namespace

MVHANDLE LoadPictureForThumbnail(const std::string& path, int image_number, int image_size) {
  MVFileInfo info{};
  if (!imaging_dlls::FileType(path.c_str(), image_number, &info)) return 0;
  return LoadPicture(path, image_number, image_size, info);
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
  // The size comes from the picture's own header when it has one.
  int width = type.width, height = type.height;
  (void)DibSize(raster, &width, &height);
  return ResizeRaster(raster, type, width, height, viewer::ThumbnailSize(width, height, image_size));
}

MVHANDLE BuildThumbnail(const ThumbnailJob& job) {
  shared_cache::Source src;
  if (job.use_shared_cache && job.image_number == 0 && shared_cache::FolderSizeFor(job.image_size) != 0 &&
      imaging_dlls::CanLoadPictures() && shared_cache::StatSource(job.path, &src)) {
    QImage cached;
    if (shared_cache::Lookup(src, job.image_size, &cached)) {
      // A TIFF or GIF entry serves only a file that turns out to hold one image.
      MVFileInfo info{};
      if (!MayHoldSeveralImages(src) ||
          (imaging_dlls::FileType(job.path.c_str(), 0, &info) && info.image_count <= 1)) {
        if (MVHANDLE h = DibHandleFromImage(cached, job.background))
          return MakeThumbnail(h, job.image_size, job.background);
      }
    } else if (shared_cache::HasFailure(src)) {
      return 0;
    }
    return BuildShared(job, src);
  }
  return MakeThumbnail(LoadPictureForThumbnail(job.path, job.image_number, job.image_size), job.image_size,
                       job.background);
}

}  // namespace thumb

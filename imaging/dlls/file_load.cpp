// libmv7file.so: recognising and loading picture files through the
// engine's codecs.
#include <climits>

#include "imaging/codecs/codec.h"
#include "imaging/dlls/internal/exif_probe.h"
#include "imaging/dlls/internal/guard.h"
#include "imaging/dlls/internal/handles.h"
#include "imaging/dlls/internal/vector_route.h"
#include "imaging/dlls/mv7.h"

using namespace mv7::internal;
using imaging::codecs::FileFormat;

namespace {

// The family's format code of an engine format; 0 for none.
int16_t FormatCode(FileFormat format, const std::string& path) {
  switch (format) {
    case FileFormat::kBmp: return MV_FORMAT_BMP;
    case FileFormat::kJpeg: return HasExifBlock(path) ? MV_FORMAT_JPEG_EXIF : MV_FORMAT_JPEG;
    case FileFormat::kGif: return MV_FORMAT_GIF;
    case FileFormat::kTiff: return MV_FORMAT_TIFF;
    case FileFormat::kPng: return MV_FORMAT_PNG;
    case FileFormat::kFpx: return MV_FORMAT_FPX;
    case FileFormat::kPcx: return MV_FORMAT_PCX;
    case FileFormat::kJp2: return MV_FORMAT_JP2;
    case FileFormat::kJ2k: return MV_FORMAT_J2K;
    case FileFormat::kWmf: return MV_FORMAT_WMF;
    case FileFormat::kEmf: return MV_FORMAT_EMF;
    case FileFormat::kDxf: return MV_FORMAT_DXF;
    case FileFormat::kSvg: return MV_FORMAT_SVG;
    case FileFormat::kUnknown: break;
  }
  return 0;
}

}  // namespace

extern "C" {

MV7_API int32_t MVFileType(const char* file, int32_t index, MVFileInfo* info) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (!PathFits(file) || index < 0 || info == nullptr) return 0;
    if (int32_t known = 0; VectorFileType(file, index, info, &known)) return known;
    imaging::codecs::FileInfo fi;
    if (!imaging::codecs::ReadInfo(file, index, &fi).ok()) return 0;
    if (index >= fi.image_count) return 0;
    const int16_t format = FormatCode(fi.format, file);
    if (format == 0) return 0;
    MVFileInfo out{};
    out.width = fi.width;
    out.height = fi.height;
    out.bit_count = fi.bpp;
    out.x_dpi = fi.dpi_x;
    out.y_dpi = fi.dpi_y;
    out.image_index = index;
    out.flags = fi.gray ? MV_INFO_GRAY : 0;
    out.format = format;
    out.kind = fi.is_vector ? MV_KIND_VECTOR : MV_KIND_RASTER;
    out.image_count = static_cast<int16_t>(fi.image_count > SHRT_MAX ? SHRT_MAX : fi.image_count);
    *info = out;
    return 1;
  });
}

MV7_API MVHANDLE MVFileLoad(const char* file, int32_t index, int32_t max_width, int32_t max_height, int32_t,
                            int32_t, int32_t, int32_t) {
  return Guarded<MVHANDLE>(0, [&]() -> MVHANDLE {
    if (!PathFits(file) || index < 0 || max_width < 0 || max_height < 0) return 0;
    if (MVHANDLE vector = 0; VectorFileLoad(file, index, max_width, max_height, &vector)) return vector;
    imaging::codecs::LoadOptions options;
    options.image_index = index;
    options.max_width = max_width;
    options.max_height = max_height;
    imaging::Image image;
    if (!imaging::codecs::Load(file, options, &image).ok()) return 0;
    return ImageToMvHandle(image);
  });
}

MV7_API int32_t MVJpegExifInfo(const char* file, MVExifInfo* info) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (!PathFits(file) || info == nullptr) return 0;
    imaging::codecs::FileInfo fi;
    if (!imaging::codecs::ReadInfo(file, 0, &fi).ok() || fi.format != FileFormat::kJpeg) return 0;
    if (!HasExifBlock(file)) return 0;
    MVExifInfo out{};
    out.width = fi.width;
    out.height = fi.height;
    imaging::Image thumb;
    if (imaging::codecs::ExifThumbnail(file, &thumb).ok()) {
      out.thumbnail = ImageToMvHandle(thumb);
      if (out.thumbnail != 0) {
        out.thumb_width = thumb.width();
        out.thumb_height = thumb.height();
      }
    }
    *info = out;
    return 1;
  });
}

}  // extern "C"

// libmv7file.so: recognising and loading picture files through the
// engine's codecs.  Recognising a file opens it once and reads only its
// header bytes.
#include <fcntl.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/codecs/byte_source.h"
#include "imaging/codecs/codec.h"

#include "imaging/dlls/internal/file_date.h"
#include "imaging/dlls/internal/guard.h"
#include "imaging/dlls/internal/handles.h"
#include "imaging/dlls/internal/vector_route.h"
#include "imaging/dlls/mv7.h"
#include "imaging/vector/vector_file.h"

using namespace mv7::internal;
using imaging::codecs::FileFormat;

namespace {

// The family's format code of an engine format; 0 for none.
int16_t FormatCode(FileFormat format, bool has_exif) {
  switch (format) {
    case FileFormat::kBmp: return MV_FORMAT_BMP;
    case FileFormat::kJpeg: return has_exif ? MV_FORMAT_JPEG_EXIF : MV_FORMAT_JPEG;
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

// The record MVFileType gives of one picture; false for a picture of no
// known format.
bool ToFileInfo(const imaging::codecs::FileInfo& fi, int32_t index, MVFileInfo* out) {
  const int16_t format = FormatCode(fi.format, fi.has_exif);
  if (format == 0) return false;
  MVFileInfo info{};
  info.width = fi.width;
  info.height = fi.height;
  info.bit_count = fi.bpp;
  info.x_dpi = fi.dpi_x;
  info.y_dpi = fi.dpi_y;
  info.image_index = index;
  info.flags = fi.gray ? MV_INFO_GRAY : 0;
  info.format = format;
  info.kind = fi.is_vector ? MV_KIND_VECTOR : MV_KIND_RASTER;
  info.image_count = static_cast<int16_t>(std::clamp(fi.image_count, 0, SHRT_MAX));
  *out = info;
  return true;
}

// Whether the file open in `source` starts like a drawing, which the
// vector route reads.
bool StartsLikeDrawing(imaging::codecs::FileByteSource* source) {
  size_t got = 0;
  const uint8_t* head = source->Head(imaging::codecs::kHeadBytes, &got);
  return imaging::vector::IsVectorData(head, std::min<size_t>(got, 1024));
}

// MVFileTypePages(Dated) of the file open in `source`, whose path is
// `file`, or folder + "/" + name when `name` is not null; the date (when
// `date` is not null) is taken from the open file.
int32_t DescribePages(imaging::codecs::FileByteSource* source, const char* file, const char* name,
                      MVFileInfo* infos, int32_t capacity, int32_t date_kind, char* date) {
  // The date of the file just opened, without looking its path up again.
  if (date != nullptr && !FileDateText(source->descriptor(), "", AT_EMPTY_PATH, date_kind, date)) date[0] = '\0';
  if (StartsLikeDrawing(source)) {
    // Drawings are read by path.
    std::string path(file);
    if (name != nullptr) {
      if (path.back() != '/') path += '/';
      path += name;
    }
    if (int32_t known = 0; VectorFileType(path.c_str(), 0, infos, &known)) return known ? 1 : 0;
  }
  std::vector<imaging::codecs::FileInfo> pages;
  if (!imaging::codecs::ReadPageInfos(source, 0, capacity, &pages).ok() || pages.empty()) return 0;
  if (!ToFileInfo(pages[0], 0, &infos[0])) return 0;
  const int32_t n = static_cast<int32_t>(std::min<size_t>(pages.size(), static_cast<size_t>(capacity)));
  for (int32_t k = 1; k < n; ++k)
    if (!ToFileInfo(pages[k], k, &infos[k])) infos[k] = MVFileInfo{};
  return n;
}

// Whether `name` is a plain file name and folder + "/" + name (one "/"
// after the root) fits a path buffer.
bool FolderNameFits(const char* folder, const char* name) {
  if (!PathFits(folder) || !PathFits(name) || folder[0] == '\0' || name[0] == '\0') return false;
  if (std::strchr(name, '/') != nullptr) return false;
  const size_t folder_size = std::strlen(folder);
  const size_t slash = folder[folder_size - 1] == '/' ? 0 : 1;
  return folder_size + slash + std::strlen(name) < MV_MAX_PATH;
}

}  // namespace

extern "C" {

MV7_API int32_t MVFileType(const char* file, int32_t index, MVFileInfo* info) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (!PathFits(file) || index < 0 || info == nullptr) return 0;
    imaging::codecs::FileByteSource source;
    if (!source.Open(file).ok()) return 0;
    if (int32_t known = 0; StartsLikeDrawing(&source) && VectorFileType(file, index, info, &known)) return known;
    imaging::codecs::FileInfo fi;
    if (!imaging::codecs::ReadInfoFrom(&source, index, &fi).ok()) return 0;
    if (index >= fi.image_count) return 0;
    return ToFileInfo(fi, index, info) ? 1 : 0;
  });
}

MV7_API int32_t MVFileTypePages(const char* file, MVFileInfo* infos, int32_t capacity) {
  return MVFileTypePagesDated(file, infos, capacity, -1, nullptr);
}

MV7_API int32_t MVFileTypePagesDated(const char* file, MVFileInfo* infos, int32_t capacity, int32_t date_kind,
                                     char* date) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (date != nullptr) date[0] = '\0';
    if (!PathFits(file) || infos == nullptr || capacity < 1) return 0;
    imaging::codecs::FileByteSource source;
    if (!source.Open(file).ok()) return 0;
    return DescribePages(&source, file, nullptr, infos, capacity, date_kind, date);
  });
}

MV7_API int32_t MVFileTypePagesAt(int32_t folder_fd, const char* folder, const char* name, MVFileInfo* infos,
                                  int32_t capacity, int32_t date_kind, char* date) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (date != nullptr) date[0] = '\0';
    if (folder_fd < 0 || !FolderNameFits(folder, name) || infos == nullptr || capacity < 1) return 0;
    imaging::codecs::FileByteSource source;
    if (!source.OpenAt(folder_fd, name).ok()) return 0;
    return DescribePages(&source, folder, name, infos, capacity, date_kind, date);
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
    // The header is read once (the EXIF block, seeking over the rest); the
    // facts and the thumbnail both come from it.
    imaging::codecs::FileByteSource source;
    std::vector<uint8_t> header;
    if (!source.Open(file).ok() || !imaging::codecs::ReadJpegHeader(&source, &header).ok()) return 0;
    imaging::codecs::MemoryByteSource head(header.data(), header.size());
    imaging::codecs::FileInfo fi;
    if (!imaging::codecs::ReadInfoFrom(&head, 0, &fi).ok() || fi.format != FileFormat::kJpeg || !fi.has_exif)
      return 0;
    MVExifInfo out{};
    out.width = fi.width;
    out.height = fi.height;
    imaging::Image thumb;
    if (imaging::codecs::ExifThumbnailFrom(&head, &thumb).ok()) {
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

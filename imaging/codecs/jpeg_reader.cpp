// JPEG decoding with libjpeg-turbo from memory.  Colour pictures are decoded
// straight into the picture's B,G,R rows; CMYK and YCCK pictures go through
// a row buffer and are multiplied out to RGB.  Bounded loads pick a DCT scale
// (or the EXIF thumbnail) so that the dispatcher's final fit only has a
// little left to do; at 1/8 and 1/4, baseline YCbCr and grey files go
// through the reduced-scale decoder of jpeg_dc_decoder.h, which gives the
// same pixels faster.
#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/codecs/internal/jpeg_frame.h"
#include "imaging/codecs/jpeg_dc_decoder.h"
#include "imaging/codecs/jpeg_internal.h"

namespace imaging::codecs::internal {
namespace {

// The size the dispatcher fits a `width` x `height` picture to; false when
// there is no bound or the picture already fits.
bool FittedSize(int width, int height, int max_width, int max_height, int64_t* fit_w, int64_t* fit_h) {
  if ((max_width <= 0 && max_height <= 0) || width <= 0 || height <= 0) return false;
  const double sx = max_width > 0 ? static_cast<double>(max_width) / width : 1e9;
  const double sy = max_height > 0 ? static_cast<double>(max_height) / height : 1e9;
  const double s = std::min(sx, sy);
  if (s >= 1.0) return false;
  *fit_w = std::max<int64_t>(1, static_cast<int64_t>(width * s + 0.5));
  *fit_h = std::max<int64_t>(1, static_cast<int64_t>(height * s + 0.5));
  return true;
}

// All COM markers, in file order, with trailing NULs cut.
std::string CommentOf(const jpeg_decompress_struct& cinfo) {
  std::string text;
  for (const jpeg_marker_struct* m = cinfo.marker_list; m != nullptr; m = m->next)
    if (m->marker == JPEG_COM) text.append(reinterpret_cast<const char*>(m->data), m->data_length);
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

// Resolution from the JFIF density, or else from the EXIF block (its
// payload, `exif_size` bytes, or null).
void Resolution(bool jfif, int unit, int x_density, int y_density, const uint8_t* exif, size_t exif_size,
                int* dpi_x, int* dpi_y) {
  *dpi_x = *dpi_y = 0;
  if (jfif && x_density > 0 && y_density > 0) {
    if (unit == 1) {
      *dpi_x = x_density;
      *dpi_y = y_density;
      return;
    }
    if (unit == 2) {  // dots per centimetre
      *dpi_x = static_cast<int>(std::lround(x_density * 2.54));
      *dpi_y = static_cast<int>(std::lround(y_density * 2.54));
      return;
    }
  }
  if (exif != nullptr) {
    ExifInfo info;
    if (JpegParseExif(exif, exif_size, &info, nullptr) && info.dpi_x > 0 && info.dpi_y > 0) {
      *dpi_x = info.dpi_x;
      *dpi_y = info.dpi_y;
    }
  }
}

void ResolutionOf(const jpeg_decompress_struct& cinfo, int* dpi_x, int* dpi_y) {
  const jpeg_marker_struct* m = JpegExifMarker(cinfo);
  Resolution(cinfo.saw_JFIF_marker, cinfo.density_unit, cinfo.X_density, cinfo.Y_density, m ? m->data : nullptr,
             m ? m->data_length : 0, dpi_x, dpi_y);
}

// The EXIF thumbnail, when it covers the fitted size and has the main
// picture's shape (a letter-boxed thumbnail would show bars).
bool ThumbnailCovering(const jpeg_decompress_struct& cinfo, const LoadOptions& options, Image* out) {
  int64_t fit_w = 0, fit_h = 0;
  const int width = static_cast<int>(cinfo.image_width), height = static_cast<int>(cinfo.image_height);
  if (!FittedSize(width, height, options.max_width, options.max_height, &fit_w, &fit_h)) return false;
  const jpeg_marker_struct* m = JpegExifMarker(cinfo);
  if (m == nullptr) return false;
  ExifInfo exif;
  std::string bytes;
  if (!JpegParseExif(m->data, m->data_length, &exif, &bytes) || bytes.empty()) return false;
  const auto* thumb = reinterpret_cast<const uint8_t*>(bytes.data());
  FileInfo info;
  if (!JpegReadInfo(thumb, bytes.size(), 0, &info).ok()) return false;
  if (info.width < fit_w || info.height < fit_h) return false;
  const double aspect = (static_cast<double>(width) / height) / (static_cast<double>(info.width) / info.height);
  if (std::abs(aspect - 1.0) > 0.02) return false;
  Image img;
  if (!JpegDecodeThumbnail(bytes, &img).ok()) return false;
  *out = std::move(img);
  return true;
}

// CMYK rows to B,G,R.  Adobe writes inverted samples (255 = no ink).
void CmykToBgr(const uint8_t* src, uint8_t* dst, int width, bool inverted) {
  for (int x = 0; x < width; ++x, src += 4, dst += 3) {
    int c = src[0], m = src[1], y = src[2], k = src[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    dst[0] = static_cast<uint8_t>((y * k + 127) / 255);
    dst[1] = static_cast<uint8_t>((m * k + 127) / 255);
    dst[2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

}  // namespace

int JpegScaleFor(int width, int height, int max_width, int max_height) {
  int64_t fit_w = 0, fit_h = 0;
  if (!FittedSize(width, height, max_width, max_height, &fit_w, &fit_h)) return 8;
  for (int n = 1; n < 8; ++n) {
    // libjpeg rounds scaled sides up.
    const int64_t w = (int64_t{width} * n + 7) / 8, h = (int64_t{height} * n + 7) / 8;
    if (w >= fit_w && h >= fit_h) return n;
  }
  return 8;
}

Result JpegReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info) {
  if (index != 0) return Result(Status::kBadValue, "JPEG holds one picture");
  // A plain header is read from its bytes; libjpeg reads the rest.
  if (JpegFrame f; JpegReadFrame(data, size, &f)) {
    *info = JpegFrameInfo(f);
    return Result::Ok();
  }
  return JpegReadInfoWithLibrary(data, size, info);
}

FileInfo JpegFrameInfo(const JpegFrame& f) {
  FileInfo i;
  i.format = FileFormat::kJpeg;
  i.width = f.width;
  i.height = f.height;
  i.gray = f.components == 1;
  i.bpp = i.gray ? 8 : 24;
  Resolution(f.jfif, f.density_unit, f.x_density, f.y_density, f.exif, f.exif_size, &i.dpi_x, &i.dpi_y);
  i.has_exif = f.exif != nullptr;
  return i;
}

Result JpegReadInfoWithLibrary(const uint8_t* data, size_t size, FileInfo* info) {
  JpegDecoder dec;
  if (Result r = dec.Open(data, size, true); !r.ok()) return r;
  FileInfo i;
  i.format = FileFormat::kJpeg;
  i.width = static_cast<int>(dec.cinfo.image_width);
  i.height = static_cast<int>(dec.cinfo.image_height);
  i.gray = dec.cinfo.num_components == 1;
  i.bpp = i.gray ? 8 : 24;
  ResolutionOf(dec.cinfo, &i.dpi_x, &i.dpi_y);
  i.has_exif = JpegExifMarker(dec.cinfo) != nullptr;
  *info = i;
  return Result::Ok();
}

Result JpegLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) {
  if (options.image_index != 0) return Result(Status::kBadValue, "JPEG holds one picture");
  JpegDecoder dec;
  if (Result r = dec.Open(data, size, true); !r.ok()) return r;
  jpeg_decompress_struct& ci = dec.cinfo;
  if (Result r = CheckPictureSize(ci.image_width, ci.image_height, "JPEG"); !r.ok()) return r;
  int dpi_x = 0, dpi_y = 0;
  ResolutionOf(ci, &dpi_x, &dpi_y);

  if (options.prefer_exif_thumbnail) {
    Image thumb;
    if (ThumbnailCovering(ci, options, &thumb)) {
      thumb.set_comment(CommentOf(ci));
      thumb.set_dpi(dpi_x, dpi_y);
      *out = std::move(thumb);
      return Result::Ok();
    }
  }

  int bpp = 24;
  bool cmyk = false;
  switch (ci.jpeg_color_space) {
    case JCS_GRAYSCALE:
      ci.out_color_space = JCS_GRAYSCALE;
      bpp = 8;
      break;
    case JCS_YCbCr:
    case JCS_RGB: ci.out_color_space = JCS_EXT_BGR; break;
    case JCS_CMYK:
    case JCS_YCCK:
      ci.out_color_space = JCS_CMYK;
      cmyk = true;
      break;
    default: return Result(Status::kUnsupported, "JPEG colour space not supported");
  }
  ci.dct_method = JDCT_ISLOW;
  const int scale = JpegScaleFor(static_cast<int>(ci.image_width), static_cast<int>(ci.image_height),
                                 options.max_width, options.max_height);
  ci.scale_num = static_cast<unsigned>(scale);
  ci.scale_denom = 8;
  if (!JpegGuarded(dec.err, [&] { jpeg_calc_output_dimensions(&ci); })) return dec.err.Fail("header", Status::kBroken);
  if (ci.output_width > static_cast<JDIMENSION>(kMaxDimension) ||
      ci.output_height > static_cast<JDIMENSION>(kMaxDimension))
    return Result(Status::kMemory, "JPEG picture exceeds the engine's limit");

  const uint64_t row_bytes = Image::RowBytes(static_cast<int>(ci.output_width), bpp);
  if (row_bytes * ci.output_height > kMaxPixelBytes)
    return Result(Status::kMemory, "JPEG picture exceeds the engine's memory limit");
  // At 1/8 and 1/4 the reduced-scale decoder gives libjpeg's pixels with
  // less work (at 1/8 it skips the AC coefficients, at 1/4 its entropy
  // decoding is the quicker); at 1/2 libjpeg-turbo's own decode is the
  // faster.  Whatever the decoder declines or finds damaged goes on to
  // libjpeg, which then decodes it or reports the damage as before.
  if ((scale == 1 || scale == 2) && (ci.jpeg_color_space == JCS_YCbCr || ci.jpeg_color_space == JCS_GRAYSCALE)) {
    Image img;
    bool handled = false;
    if (JpegScaledDecode(data, size, scale, &img, &handled).ok() &&
        img.width() == static_cast<int>(ci.output_width) && img.height() == static_cast<int>(ci.output_height) &&
        img.bpp() == bpp) {
      img.set_gray(bpp == 8);
      img.set_comment(CommentOf(ci));
      img.set_dpi(dpi_x, dpi_y);
      *out = std::move(img);
      return Result::Ok();
    }
  }
  // A progressive file is read whole here, so a truncated one fails before
  // the picture is allocated.
  if (!JpegGuarded(dec.err, [&] { jpeg_start_decompress(&ci); }))
    return dec.err.Fail("picture data", Status::kBroken);

  // Every row is written below, and a picture that ends early is never
  // handed out, so the rows need no clearing first.
  Image img;
  if (Result r = Image::CreateUninitialized(static_cast<int>(ci.output_width), static_cast<int>(ci.output_height), bpp,
                                            &img);
      !r.ok())
    return r;
  constexpr int kBatch = 16;
  std::vector<JSAMPROW> rows(kBatch);
  std::vector<uint8_t> cmyk_rows;
  if (cmyk) cmyk_rows.resize(static_cast<size_t>(ci.output_width) * 4 * kBatch);
  const int height = img.height(), width = img.width();
  const bool inverted = ci.saw_Adobe_marker != 0;
  bool complete = false;
  const bool ok = JpegGuarded(dec.err, [&] {
    while (ci.output_scanline < ci.output_height) {
      const int y = static_cast<int>(ci.output_scanline);
      const int n = std::min(kBatch, height - y);
      for (int k = 0; k < n; ++k)
        rows[k] = cmyk ? cmyk_rows.data() + static_cast<size_t>(k) * width * 4 : img.row(y + k);
      const int got = static_cast<int>(jpeg_read_scanlines(&ci, rows.data(), static_cast<JDIMENSION>(n)));
      if (got <= 0) return;
      if (cmyk)
        for (int k = 0; k < got; ++k) CmykToBgr(rows[k], img.row(y + k), width, inverted);
    }
    // The end-of-image marker is not waited for: every row is in.
    complete = true;
  });
  if (!ok) return dec.err.Fail("picture data", Status::kBroken);
  if (!complete) return Result(Status::kBroken, "JPEG picture data ends early");
  img.set_gray(bpp == 8);
  img.set_comment(CommentOf(ci));
  img.set_dpi(dpi_x, dpi_y);
  *out = std::move(img);
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

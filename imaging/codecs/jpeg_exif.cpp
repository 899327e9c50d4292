// EXIF of JPEG files through libexif: the facts a viewer shows (date,
// camera, orientation, resolution) and the embedded JPEG thumbnail.  libexif
// is told not to "fix" the block while loading, which would invent entries
// (a 72 dpi resolution among them) that the file never had.  Every entry is
// checked for its type and size before it is read.
#include <libexif/exif-data.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "imaging/codecs/internal/format_codec.h"
#include "imaging/codecs/jpeg_internal.h"

namespace imaging::codecs::internal {
namespace {

struct ExifDataDeleter {
  void operator()(ExifData* ed) const { exif_data_unref(ed); }
};
using ExifDataPtr = std::unique_ptr<ExifData, ExifDataDeleter>;

ExifEntry* EntryOf(ExifData* ed, ExifIfd ifd, ExifTag tag) {
  ExifEntry* e = ed->ifd[ifd] != nullptr ? exif_content_get_entry(ed->ifd[ifd], tag) : nullptr;
  return e != nullptr && e->data != nullptr && e->components > 0 ? e : nullptr;
}

// A SHORT or LONG entry as a number; -1 when absent or of another type.
long NumberOf(ExifData* ed, ExifIfd ifd, ExifTag tag) {
  ExifEntry* e = EntryOf(ed, ifd, tag);
  if (e == nullptr) return -1;
  const ExifByteOrder order = exif_data_get_byte_order(ed);
  if (e->format == EXIF_FORMAT_SHORT && e->size >= 2) return exif_get_short(e->data, order);
  if (e->format == EXIF_FORMAT_LONG && e->size >= 4) return static_cast<long>(exif_get_long(e->data, order));
  return -1;
}

// A RATIONAL (or whole-number) entry; NaN when absent or unusable.
double RationalOf(ExifData* ed, ExifIfd ifd, ExifTag tag) {
  ExifEntry* e = EntryOf(ed, ifd, tag);
  if (e != nullptr && e->format == EXIF_FORMAT_RATIONAL && e->size >= 8) {
    const ExifRational r = exif_get_rational(e->data, exif_data_get_byte_order(ed));
    if (r.denominator != 0) return static_cast<double>(r.numerator) / r.denominator;
    return NAN;
  }
  const long n = NumberOf(ed, ifd, tag);
  return n >= 0 ? static_cast<double>(n) : NAN;
}

// An ASCII entry up to its terminator, trailing spaces cut.
std::string TextOf(ExifData* ed, ExifIfd ifd, ExifTag tag) {
  ExifEntry* e = EntryOf(ed, ifd, tag);
  if (e == nullptr || (e->format != EXIF_FORMAT_ASCII && e->format != EXIF_FORMAT_UNDEFINED)) return {};
  const char* p = reinterpret_cast<const char*>(e->data);
  const size_t n = strnlen(p, e->size);
  std::string text(p, n);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

int DpiOf(double value, double per_inch) {
  if (!std::isfinite(value) || value <= 0) return 0;
  const double dpi = value * per_inch;
  return dpi >= 0.5 && dpi <= 1e6 ? static_cast<int>(std::lround(dpi)) : 0;
}

bool AnyEntries(const ExifData* ed) {
  for (ExifContent* c : ed->ifd)
    if (c != nullptr && c->count > 0) return true;
  return false;
}

// The JPEG holding the EXIF block opened up to its first scan; kNotFound
// when it has no EXIF block.
Result OpenExif(const uint8_t* data, size_t size, JpegDecoder* dec, const jpeg_marker_struct** marker) {
  if (Result r = dec->Open(data, size, true); !r.ok()) return r;
  *marker = JpegExifMarker(dec->cinfo);
  if (*marker == nullptr) return Result(Status::kNotFound, "JPEG has no EXIF block");
  return Result::Ok();
}

}  // namespace

bool JpegParseExif(const uint8_t* payload, size_t size, ExifInfo* info, std::string* thumbnail) {
  if (payload == nullptr || size < 6 || size > UINT32_MAX) return false;
  ExifDataPtr ed(exif_data_new());
  if (!ed) return false;
  exif_data_unset_option(ed.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_load_data(ed.get(), payload, static_cast<unsigned int>(size));
  ExifData* d = ed.get();
  const bool has_thumbnail = d->data != nullptr && d->size > 0;
  if (!AnyEntries(d) && !has_thumbnail) return false;

  ExifInfo e;
  e.date_taken = TextOf(d, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL);
  if (e.date_taken.empty()) e.date_taken = TextOf(d, EXIF_IFD_0, EXIF_TAG_DATE_TIME);
  e.maker = TextOf(d, EXIF_IFD_0, EXIF_TAG_MAKE);
  e.model = TextOf(d, EXIF_IFD_0, EXIF_TAG_MODEL);
  const long orientation = NumberOf(d, EXIF_IFD_0, EXIF_TAG_ORIENTATION);
  e.orientation = orientation >= 1 && orientation <= 8 ? static_cast<int>(orientation) : 0;
  const long unit = NumberOf(d, EXIF_IFD_0, EXIF_TAG_RESOLUTION_UNIT);
  // Inches unless the block says centimetres; unit 1 means "no absolute unit".
  const double per_inch = unit == 3 ? 2.54 : (unit == 1 ? 0.0 : 1.0);
  e.dpi_x = DpiOf(RationalOf(d, EXIF_IFD_0, EXIF_TAG_X_RESOLUTION), per_inch);
  e.dpi_y = DpiOf(RationalOf(d, EXIF_IFD_0, EXIF_TAG_Y_RESOLUTION), per_inch);
  if (e.dpi_x == 0 || e.dpi_y == 0) e.dpi_x = e.dpi_y = 0;
  if (info != nullptr) *info = e;
  if (thumbnail != nullptr) {
    if (has_thumbnail) thumbnail->assign(reinterpret_cast<const char*>(d->data), d->size);
    else thumbnail->clear();
  }
  return true;
}

Result JpegDecodeThumbnail(const std::string& bytes, Image* out) {
  if (bytes.empty()) return Result(Status::kNotFound, "EXIF block has no JPEG thumbnail");
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  FileInfo info;
  Result r = JpegReadInfo(data, bytes.size(), 0, &info);
  if (r.ok() && int64_t{info.width} * info.height > kJpegMaxThumbnailPixels)
    r = Result(Status::kBroken, "EXIF thumbnail claims an implausible size");
  if (r.ok()) r = JpegLoad(data, bytes.size(), LoadOptions{}, out);
  if (r.code() == Status::kBadFile) return Result(Status::kBroken, "EXIF thumbnail is not JPEG data");
  return r;
}

Result JpegExifThumbnail(const uint8_t* data, size_t size, Image* out) {
  JpegDecoder dec;
  const jpeg_marker_struct* marker = nullptr;
  if (Result r = OpenExif(data, size, &dec, &marker); !r.ok()) return r;
  std::string bytes;
  if (!JpegParseExif(marker->data, marker->data_length, nullptr, &bytes))
    return Result(Status::kBroken, "EXIF block unreadable");
  Image img;
  if (Result r = JpegDecodeThumbnail(bytes, &img); !r.ok()) return r;
  *out = std::move(img);
  return Result::Ok();
}

Result JpegReadExifInfo(const uint8_t* data, size_t size, ExifInfo* info) {
  JpegDecoder dec;
  const jpeg_marker_struct* marker = nullptr;
  if (Result r = OpenExif(data, size, &dec, &marker); !r.ok()) return r;
  ExifInfo e;
  std::string bytes;
  if (!JpegParseExif(marker->data, marker->data_length, &e, &bytes))
    return Result(Status::kBroken, "EXIF block unreadable");
  e.width = static_cast<int>(dec.cinfo.image_width);
  e.height = static_cast<int>(dec.cinfo.image_height);
  Image thumb;
  if (JpegDecodeThumbnail(bytes, &thumb).ok()) {
    e.has_thumbnail = true;
    e.thumb_width = thumb.width();
    e.thumb_height = thumb.height();
  }
  *info = e;
  return Result::Ok();
}

}  // namespace imaging::codecs::internal

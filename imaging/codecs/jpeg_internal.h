// File: imaging/codecs/jpeg_internal.h
//
// Private parts of the JPEG codec (libjpeg-turbo, libexif), shared by
// jpeg_codec.cpp, jpeg_reader.cpp, jpeg_writer.cpp and jpeg_exif.cpp.
//
// libjpeg reports fatal errors through a callback that must not return; ours
// long-jumps back into `JpegGuarded()`, so every libjpeg call that can fail
// runs inside one, and the code between holds no C++ objects that need
// destructors.  Warnings that mean lost pixels (data ran out, damaged
// entropy data) are treated as fatal too, so a damaged file is never handed
// out as a good picture.
//
//   JpegDecoder dec;
//   if (Result r = dec.Open(data, size, true); !r.ok()) return r;
//   if (!JpegGuarded(dec.err, [&] { jpeg_calc_output_dimensions(&dec.cinfo); }))
//     return dec.err.Fail("header", Status::kBroken);
#pragma once

// clang-format off
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "imaging/codecs/codec.h"
#include "imaging/codecs/internal/jpeg_frame.h"

namespace imaging::codecs::internal {

// Error state of one libjpeg object.
struct JpegErrorManager {
  jpeg_error_mgr pub{};
  std::jmp_buf jump{};
  int error_code = 0;        // libjpeg message code of the fatal error, 0 = none
  bool data_lost = false;    // a warning said pixels are missing or wrong
  bool out_of_data = false;  // the data ended before the picture did
  bool too_many_scans = false;
  char message[JMSG_LENGTH_MAX] = {};

  // Fail() maps the recorded error to a status: kBroken when the data ran
  // out or was damaged, kMemory for allocation and size limits,
  // kUnsupported for layouts libjpeg cannot decode or convert, kBadFile for
  // data without a start-of-image marker, `otherwise` for the rest.
  Result Fail(const char* stage, Status otherwise) const;
};

// JpegInstallErrors() fills `err` and returns the pointer for `cinfo.err`.
jpeg_error_mgr* JpegInstallErrors(JpegErrorManager* err);

// JpegGuarded() runs `body`; false when libjpeg raised a fatal error in it.
// `body` must only call libjpeg and work on plain data: a fatal error
// leaves it without running destructors.
template <typename Body>
[[gnu::noinline]] bool JpegGuarded(JpegErrorManager& err, Body&& body) {
  if (setjmp(err.jump)) return false;
  body();
  return true;
}

// Upper bound on what libjpeg itself may allocate for one picture
// (progressive files keep every coefficient in memory).
inline constexpr long kJpegMaxLibraryMemory = 1536l << 20;

// Progressive files with more scans than this are refused: each scan walks
// the whole coefficient buffer, so a small file of many empty scans would
// otherwise take minutes.
inline constexpr int kJpegMaxScans = 1000;

// One libjpeg decompressor over data in memory, destroyed with the object.
struct JpegDecoder {
  jpeg_decompress_struct cinfo{};
  JpegErrorManager err;
  jpeg_progress_mgr progress{};

  JpegDecoder() = default;
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;
  ~JpegDecoder() { jpeg_destroy_decompress(&cinfo); }

  // Open() reads the header up to the first scan, keeping the COM and APP1
  // markers when `keep_markers` is set.  kBadFile for data that is not JPEG,
  // kBroken for a truncated or damaged header.
  Result Open(const uint8_t* data, size_t size, bool keep_markers);
};

bool JpegSniff(const uint8_t* data, size_t size);
// kBadFile for data that is not JPEG, kBroken for a truncated header.
// Plain headers are read from their bytes (jpeg_frame.h), the rest by
// libjpeg, with the same facts either way.
Result JpegReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info);
// JpegReadInfoWithLibrary(): picture 0's facts as libjpeg's header reading
// gives them, whatever the header.
Result JpegReadInfoWithLibrary(const uint8_t* data, size_t size, FileInfo* info);
// JpegFrameInfo(): the facts of a header JpegReadFrame() read (the
// resolution from the JFIF density, else from the EXIF block).
FileInfo JpegFrameInfo(const JpegFrame& frame);
// Decodes the picture: 8-bit grey with the grey flag for one-component
// files, 24-bit otherwise (CMYK and YCCK converted to RGB).  With a bound it
// decodes at the smallest DCT scale that still covers the fitted size, or
// uses the EXIF thumbnail when asked to and it is large enough.  A truncated
// or damaged file gives kBroken; `*out` is untouched on failure.
Result JpegLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out);
// Writes baseline or progressive (SaveType::kJpegProgressive) JPEG.
Result JpegSave(const Image& image, const std::string& path, const SaveOptions& options);

// JpegScaleFor() is the numerator n of the smallest DCT scale n/8 whose
// output of a `width` x `height` picture still covers the size the bound
// fits it to; 8 without a bound or when the picture already fits.
int JpegScaleFor(int width, int height, int max_width, int max_height);

// The payload of the "Exif\0\0" APP1 marker saved by Open(), or null.
const jpeg_marker_struct* JpegExifMarker(const jpeg_decompress_struct& cinfo);

// JpegParseExif() reads an EXIF APP1 payload with libexif: the facts into
// `info` (all but the main picture's size and the thumbnail's) and the
// embedded JPEG thumbnail's bytes into `thumbnail` when it is not null.
// False when libexif finds nothing readable in the block.
bool JpegParseExif(const uint8_t* payload, size_t size, ExifInfo* info, std::string* thumbnail);

// EXIF thumbnails claiming more pixels than this are taken as damaged: a
// thumbnail fits in one 64 KiB marker, and a forged header must not make a
// small file allocate a huge picture.
inline constexpr int64_t kJpegMaxThumbnailPixels = 4096 * 4096;

// JpegDecodeThumbnail() decodes thumbnail bytes from JpegParseExif():
// kNotFound for none, kBroken for data that is not a plausible JPEG.
Result JpegDecodeThumbnail(const std::string& bytes, Image* out);

}  // namespace imaging::codecs::internal

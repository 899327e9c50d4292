// File: imaging/codecs/jpeg_codec.cpp
//
// The JPEG entry of the codec table (detection by the start-of-image marker
// followed by another marker), plus what reader, writer and EXIF code share:
// the error manager that turns libjpeg's fatal errors and data-loss warnings
// into status values, and the decoder that reads a header from memory.
//
//   const FormatCodec& jpeg = JpegCodec();
//   if (jpeg.sniff(data, size)) r = jpeg.load(data, size, {}, &img);
#include <cstring>

#include "imaging/codecs/internal/format_codec.h"
#include "imaging/codecs/jpeg_internal.h"

namespace imaging::codecs::internal {
namespace {

JpegErrorManager* ManagerOf(j_common_ptr cinfo) { return reinterpret_cast<JpegErrorManager*>(cinfo->err); }

[[noreturn]] void Abort(j_common_ptr cinfo) {
  JpegErrorManager* err = ManagerOf(cinfo);
  if (err->message[0] == '\0') (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  ManagerOf(cinfo)->error_code = cinfo->err->msg_code;
  Abort(cinfo);
}

// Trace messages (level >= 0) are dropped.  Warnings that mean the picture
// is incomplete or wrong stop decoding; the rest (extraneous bytes between
// markers, unknown JFIF revisions, bad ICC data) are harmless.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  JpegErrorManager* err = ManagerOf(cinfo);
  switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF: err->out_of_data = true; break;
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION: err->data_lost = true; break;
    default: cinfo->err->num_warnings++; return;
  }
  err->error_code = cinfo->err->msg_code;
  Abort(cinfo);
}

void Silent(j_common_ptr) {}

void Progress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number <= kJpegMaxScans) return;
  JpegErrorManager* err = ManagerOf(cinfo);
  err->too_many_scans = true;
  std::snprintf(err->message, sizeof err->message, "more than %d scans", kJpegMaxScans);
  std::longjmp(err->jump, 1);
}

}  // namespace

jpeg_error_mgr* JpegInstallErrors(JpegErrorManager* err) {
  jpeg_std_error(&err->pub);
  err->pub.error_exit = &ErrorExit;
  err->pub.emit_message = &EmitMessage;
  err->pub.output_message = &Silent;
  return &err->pub;
}

Result JpegErrorManager::Fail(const char* stage, Status otherwise) const {
  std::string text = std::string("JPEG ") + stage + ": " + message;
  if (out_of_data) return Result(Status::kBroken, "JPEG data ends early (" + text + ")");
  if (data_lost || too_many_scans) return Result(Status::kBroken, text);
  switch (error_code) {
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE:
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW: return Result(Status::kMemory, text);
    case JERR_NO_SOI:
    case JERR_INPUT_EMPTY: return Result(Status::kBadFile, text);
    case JERR_BAD_PRECISION:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_NOT_COMPILED: return Result(Status::kUnsupported, text);
    case JERR_FILE_WRITE: return Result(Status::kCannotWrite, text);
    default: return Result(otherwise, text);
  }
}

bool JpegSniff(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

Result JpegDecoder::Open(const uint8_t* data, size_t size, bool keep_markers) {
  if (data == nullptr || !JpegSniff(data, size)) return Result(Status::kBadFile, "not JPEG data");
  cinfo.err = JpegInstallErrors(&err);
  progress.progress_monitor = &Progress;
  const bool ok = JpegGuarded(err, [&] {
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    cinfo.mem->max_memory_to_use = kJpegMaxLibraryMemory;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (keep_markers) {
      jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
      jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    }
    jpeg_read_header(&cinfo, TRUE);
  });
  if (!ok) return err.Fail("header", Status::kBroken);
  return Result::Ok();
}

const jpeg_marker_struct* JpegExifMarker(const jpeg_decompress_struct& cinfo) {
  for (const jpeg_marker_struct* m = cinfo.marker_list; m != nullptr; m = m->next)
    if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0) return m;
  return nullptr;
}

const FormatCodec& JpegCodec() {
  static const FormatCodec codec{FileFormat::kJpeg, &JpegSniff, &JpegReadInfo, &JpegLoad, &JpegSave};
  return codec;
}

}  // namespace imaging::codecs::internal

// Picture facts read from a byte source: only the bytes the format's header
// needs, found by seeking, and every page of a multi-page file in one pass.
#include <algorithm>
#include <cstring>

#include "imaging/codecs/codec.h"
#include "imaging/codecs/gif_internal.h"
#include "imaging/codecs/internal/format_codec.h"
#include "imaging/codecs/internal/jpeg_frame.h"
#include "imaging/codecs/internal/jpeg_header.h"
#include "imaging/codecs/jpeg_internal.h"
#include "imaging/codecs/tiff_internal.h"

namespace imaging::codecs {
namespace {

using internal::FormatCodec;

const FormatCodec* RasterCodec(FileFormat format) {
  switch (format) {
    case FileFormat::kBmp: return &internal::BmpCodec();
    case FileFormat::kJpeg: return &internal::JpegCodec();
    case FileFormat::kPng: return &internal::PngCodec();
    case FileFormat::kGif: return &internal::GifCodec();
    case FileFormat::kTiff: return &internal::TiffCodec();
    case FileFormat::kJp2:
    case FileFormat::kJ2k: return &internal::Jp2Codec();
    case FileFormat::kPcx: return &internal::PcxCodec();
    case FileFormat::kFpx: return &internal::FpxCodec();
    default: return nullptr;
  }
}

// A PCX's facts lie in its 128-byte header and, for 256 colours, in the
// palette that ends the file: the two are joined so the reader finds both
// where it looks.
constexpr size_t kPcxHeader = 128, kPcxTrailingPalette = 769;

// Reads the format's header bytes into *bytes.
Result HeaderBytes(ByteSource* source, FileFormat format, std::vector<uint8_t>* bytes, bool* has_exif) {
  const uint64_t size = source->size();
  switch (format) {
    case FileFormat::kJpeg: return internal::JpegGatherHeader(source, bytes, has_exif);
    case FileFormat::kPcx: {
      if (size < kPcxHeader + kPcxTrailingPalette) break;  // small: whole
      std::vector<uint8_t> tail;
      if (!source->ReadRange(0, kPcxHeader, bytes) ||
          !source->ReadRange(size - kPcxTrailingPalette, kPcxTrailingPalette, &tail))
        return Result(Status::kCannotRead, "read failed");
      bytes->insert(bytes->end(), tail.begin(), tail.end());
      return Result::Ok();
    }
    case FileFormat::kGif:
    case FileFormat::kFpx: break;  // whole
    default: return Result::Ok();  // read by growing prefixes
  }
  if (size > SIZE_MAX) return Result(Status::kMemory, "file too large to read");
  if (!source->ReadRange(0, static_cast<size_t>(size), bytes)) return Result(Status::kCannotRead, "read failed");
  return Result::Ok();
}

// BMP, PNG and JPEG 2000 headers are read from a prefix of the file that
// grows (4 KiB, then four times more each time) while the reader finds
// it cut short.
Result ReadFromPrefix(ByteSource* source, const FormatCodec& codec, int index, FileInfo* info) {
  size_t n = kHeadBytes;
  for (;;) {
    size_t got = 0;
    const uint8_t* head = source->Head(n, &got);
    const Result r = codec.read_info(head, got, index, info);
    if (r.ok() || r.code() != Status::kBroken || got >= source->size() || got < n) return r;
    n = n > SIZE_MAX / 4 ? SIZE_MAX : n * 4;
  }
}

Result Detect(ByteSource* source, FileFormat* format) {
  size_t got = 0;
  const uint8_t* head = source->Head(kHeadBytes, &got);
  if (got == 0) return Result(Status::kBadFile, "empty file");
  *format = DetectFormat(head, got);
  static constexpr uint8_t kOle2[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (*format == FileFormat::kUnknown && got >= 8 && std::memcmp(head, kOle2, 8) == 0 && got < source->size()) {
    // A compound file is known by the storages inside it (FlashPix), which
    // may lie anywhere: it is read whole, as FlashPix files are anyway.
    if (source->size() > SIZE_MAX) return Result(Status::kMemory, "file too large to read");
    head = source->Head(static_cast<size_t>(source->size()), &got);
    *format = DetectFormat(head, got);
  }
  if (*format == FileFormat::kUnknown) return Result(Status::kBadFile, "unknown file format");
  return Result::Ok();
}

}  // namespace

Result ReadPageInfos(ByteSource* source, int first, int max, std::vector<FileInfo>* pages) {
  pages->clear();
  if (source == nullptr || first < 0) return Result(Status::kBadValue, "bad page request");
  if (max < 1) max = 1;
  FileFormat format = FileFormat::kUnknown;
  if (Result r = Detect(source, &format); !r.ok()) return r;
  const FormatCodec* codec = RasterCodec(format);
  if (codec == nullptr) {  // vector drawings are recognised here and read elsewhere
    if (first != 0) return Result(Status::kBadValue, "drawings hold one picture");
    FileInfo vi;
    vi.format = format;
    vi.is_vector = true;
    pages->push_back(vi);
    return Result::Ok();
  }
  if (codec->read_info == nullptr) return Result(Status::kUnsupported, "format has no reader");
  if (format == FileFormat::kTiff) return internal::TiffReadPages(source, first, max, pages);

  if (format == FileFormat::kJpeg && first == 0) {
    // A plain header inside the first bytes is read as it lies there: the
    // facts are those of its gathered header (the segments gathering
    // drops say nothing of them).
    size_t got = 0;
    const uint8_t* head = source->Head(kHeadBytes, &got);
    if (internal::JpegFrame frame; internal::JpegReadFrame(head, got, &frame)) {
      pages->push_back(internal::JpegFrameInfo(frame));
      return Result::Ok();
    }
  }
  std::vector<uint8_t> bytes;
  bool has_exif = false;
  if (Result r = HeaderBytes(source, format, &bytes, &has_exif); !r.ok()) return r;
  if (format == FileFormat::kGif) return internal::GifReadPages(bytes.data(), bytes.size(), first, max, pages);
  FileInfo info;
  Result r = bytes.empty() ? ReadFromPrefix(source, *codec, first, &info)
                           : codec->read_info(bytes.data(), bytes.size(), first, &info);
  if (!r.ok()) return r;
  if (info.format == FileFormat::kUnknown) info.format = codec->format;
  info.has_exif = has_exif;
  pages->push_back(info);
  // Further pictures, should a format of one picture report more, come
  // from the same bytes.
  const int last = static_cast<int>(std::min<int64_t>(info.image_count, int64_t{first} + max));
  for (int page = first + 1; page < last && !bytes.empty(); ++page) {
    FileInfo more;
    if (!codec->read_info(bytes.data(), bytes.size(), page, &more).ok()) more = FileInfo{};
    else if (more.format == FileFormat::kUnknown) more.format = codec->format;
    pages->push_back(more);
  }
  return Result::Ok();
}

Result ReadInfoFrom(ByteSource* source, int image_index, FileInfo* info) {
  std::vector<FileInfo> pages;
  if (Result r = ReadPageInfos(source, image_index, 1, &pages); !r.ok()) return r;
  if (pages.empty()) return Result(Status::kBadValue, "picture index out of range");
  *info = pages[0];
  return Result::Ok();
}

Result ReadInfo(const std::string& path, int image_index, FileInfo* info) {
  FileByteSource source;
  if (Result r = source.Open(path); !r.ok()) return r;
  return ReadInfoFrom(&source, image_index, info);
}

Result ReadJpegHeader(ByteSource* source, std::vector<uint8_t>* header) {
  bool has_exif = false;
  return internal::JpegGatherHeader(source, header, &has_exif);
}

Result ExifThumbnailFrom(ByteSource* source, Image* out) {
  if (out == nullptr) return Result(Status::kBadValue, "no destination");
  std::vector<uint8_t> header;
  bool has_exif = false;
  if (Result r = internal::JpegGatherHeader(source, &header, &has_exif); !r.ok()) return r;
  return internal::JpegExifThumbnail(header.data(), header.size(), out);
}

Result ExifThumbnail(const std::string& path, Image* out) {
  if (out == nullptr) return Result(Status::kBadValue, "no destination");
  FileByteSource source;
  if (Result r = source.Open(path); !r.ok()) return r;
  return ExifThumbnailFrom(&source, out);
}

Result ReadExifInfo(const std::string& path, ExifInfo* info) {
  if (info == nullptr) return Result(Status::kBadValue, "no destination");
  FileByteSource source;
  if (Result r = source.Open(path); !r.ok()) return r;
  std::vector<uint8_t> header;
  bool has_exif = false;
  if (Result r = internal::JpegGatherHeader(&source, &header, &has_exif); !r.ok()) return r;
  return internal::JpegReadExifInfo(header.data(), header.size(), info);
}

}  // namespace imaging::codecs

// The codec dispatcher: reads a file into memory, finds its format from the
// content, hands it to that format's codec, fits bounded loads, and wraps
// saves in a temporary file that replaces the target only when complete.
#include "imaging/codecs/codec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "imaging/codecs/internal/format_codec.h"
#include "imaging/ops/resize.h"

namespace imaging::codecs {
namespace {

using internal::FormatCodec;

std::array<const FormatCodec*, 8> Codecs() {
  return {&internal::BmpCodec(), &internal::JpegCodec(), &internal::PngCodec(), &internal::GifCodec(),
          &internal::TiffCodec(), &internal::Jp2Codec(), &internal::PcxCodec(), &internal::FpxCodec()};
}

const FormatCodec* CodecFor(const uint8_t* data, size_t size) {
  for (const FormatCodec* c : Codecs())
    if (c->sniff != nullptr && c->sniff(data, size)) return c;
  return nullptr;
}

const FormatCodec* CodecOfFormat(FileFormat format) {
  if (format == FileFormat::kJ2k) format = FileFormat::kJp2;  // one codec writes both forms
  for (const FormatCodec* c : Codecs())
    if (c->format == format && c->save != nullptr) return c;
  return nullptr;
}

bool StartsWith(const uint8_t* data, size_t size, const char* magic, size_t n) {
  return size >= n && std::memcmp(data, magic, n) == 0;
}

// Vector formats are recognised so callers can route them; their playback
// lives elsewhere.
FileFormat DetectVector(const uint8_t* data, size_t size) {
  if (StartsWith(data, size, "\xD7\xCD\xC6\x9A", 4)) return FileFormat::kWmf;  // placeable WMF
  if (size >= 44 && data[0] == 1 && data[1] == 0 && data[2] == 0 && data[3] == 0 &&
      std::memcmp(data + 40, " EMF", 4) == 0)
    return FileFormat::kEmf;
  const size_t n = size < 512 ? size : 512;
  const std::string head(reinterpret_cast<const char*>(data), n);
  if (head.find("<svg") != std::string::npos) return FileFormat::kSvg;
  if (head.rfind("  0\r\nSECTION", 0) == 0 || head.rfind("  0\nSECTION", 0) == 0 ||
      head.rfind("0\nSECTION", 0) == 0 || head.rfind("0\r\nSECTION", 0) == 0)
    return FileFormat::kDxf;
  return FileFormat::kUnknown;
}

// The file's bytes go to a PixelBuffer: a big file then lands in a reused
// block instead of freshly faulted pages.
Result ReadWholeFile(const std::string& path, PixelBuffer* bytes) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? Result(Status::kNotFound, "file not found: " + path)
                                               : Result(Status::kCannotOpen, "cannot open: " + path);
  }
  if (!S_ISREG(st.st_mode)) return Result(Status::kCannotOpen, "not a regular file: " + path);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Result(Status::kCannotOpen, "cannot open: " + path);
  PixelBuffer buffer;
  if (!buffer.Allocate(static_cast<size_t>(st.st_size), false)) {
    ::close(fd);
    return Result(Status::kMemory, "file too large to read");
  }
  size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      return Result(Status::kCannotRead, "read failed: " + path);
    }
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  *bytes = std::move(buffer);
  return Result::Ok();
}

// Fits a decoded picture inside the bound, keeping the aspect ratio and
// never enlarging.
Result FitInside(Image* img, int max_w, int max_h) {
  if (max_w <= 0 && max_h <= 0) return Result::Ok();
  const double sx = max_w > 0 ? static_cast<double>(max_w) / img->width() : 1e9;
  const double sy = max_h > 0 ? static_cast<double>(max_h) / img->height() : 1e9;
  const double s = sx < sy ? sx : sy;
  if (s >= 1.0) return Result::Ok();
  int w = static_cast<int>(img->width() * s + 0.5);
  int h = static_cast<int>(img->height() * s + 0.5);
  if (w < 1) w = 1;
  if (h < 1) h = 1;
  return ops::ResizeImage(*img, img, w, h);
}

// A temporary name no other process uses: process id, a counter and the
// clock, in the same hidden-name family as mkstemp()'s.
std::string WorkTempName(const std::string& folder) {
  static std::atomic<unsigned> counter{0};
  const auto now = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  char name[96];
  std::snprintf(name, sizeof name, "/.osmund-save-w%d-%u-%llx", static_cast<int>(::getpid()), counter.fetch_add(1),
                now & 0xffffffffull);
  return folder + name;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : path.substr(0, slash));
}

}  // namespace

FileFormat DetectFormat(const uint8_t* data, size_t size) {
  if (data == nullptr || size == 0) return FileFormat::kUnknown;
  if (const FormatCodec* c = CodecFor(data, size)) return c->format;
  return DetectVector(data, size);
}

Result LoadMemory(const uint8_t* data, size_t size, const LoadOptions& options, Image* out) {
  if (out == nullptr) return Result(Status::kBadValue, "no destination");
  if (data == nullptr || size == 0) return Result(Status::kBadFile, "empty data");
  const FormatCodec* c = CodecFor(data, size);
  if (c == nullptr) {
    return DetectVector(data, size) != FileFormat::kUnknown
               ? Result(Status::kUnsupported, "vector pictures are rendered elsewhere")
               : Result(Status::kBadFile, "unknown file format");
  }
  if (c->load == nullptr) return Result(Status::kUnsupported, "format has no reader");
  Image img;
  if (Result r = c->load(data, size, options, &img); !r.ok()) return r;
  if (Result r = FitInside(&img, options.max_width, options.max_height); !r.ok()) return r;
  *out = std::move(img);
  return Result::Ok();
}

Result Load(const std::string& path, const LoadOptions& options, Image* out) {
  PixelBuffer bytes;
  if (Result r = ReadWholeFile(path, &bytes); !r.ok()) return r;
  return LoadMemory(bytes.data(), bytes.size(), options, out);
}

Result Save(const Image& image, const std::string& path, const SaveOptions& options) {
  if (image.empty()) return Result(Status::kBadImage, "empty picture");
  if (path.empty()) return Result(Status::kBadValue, "empty file name");
  const FormatCodec* c = CodecOfFormat(FormatOfSaveType(options.type));
  if (c == nullptr) return Result(Status::kUnsupported, "no writer for this type");

  const std::string folder = FolderOf(path);
  std::string temp;
  if (options.type == SaveType::kWorkBmp) {
    // A work file is created by the writer under a name of this process's
    // own rather than reserved first: reserving costs a second inode, and
    // truncating the reserved file would start a write-back at close on
    // ext4, neither of which work files need.
    if (::access(folder.c_str(), W_OK) != 0) return Result(Status::kCannotCreate, "cannot create a file in " + folder);
    temp = WorkTempName(folder);
  } else {
    temp = folder + "/.osmund-save-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Result(Status::kCannotCreate, "cannot create a file in " + folder);
    ::close(fd);
  }
  Result r = c->save(image, temp, options);
  // Work files (undo snapshots) live only as long as the session that wrote
  // them, so they skip the flush that user files get.
  if (r.ok() && options.type != SaveType::kWorkBmp) {
    const int sync_fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (sync_fd < 0 || ::fsync(sync_fd) != 0) r = Result(Status::kCannotWrite, "cannot flush " + temp);
    if (sync_fd >= 0) ::close(sync_fd);
  }
  if (r.ok()) {
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
    ::chmod(temp.c_str(), mode);
    if (::rename(temp.c_str(), path.c_str()) != 0) r = Result(Status::kCannotWrite, "cannot replace " + path);
  }
  if (!r.ok()) ::unlink(temp.c_str());
  return r;
}

FileFormat FormatOfSaveType(SaveType type) {
  switch (type) {
    case SaveType::kWorkBmp:
    case SaveType::kBmp: return FileFormat::kBmp;
    case SaveType::kJpeg:
    case SaveType::kJpegProgressive: return FileFormat::kJpeg;
    case SaveType::kGif: return FileFormat::kGif;
    case SaveType::kTiff:
    case SaveType::kTiffLzw: return FileFormat::kTiff;
    case SaveType::kPng: return FileFormat::kPng;
    case SaveType::kFpx:
    case SaveType::kFpxJpeg: return FileFormat::kFpx;
    case SaveType::kPcx: return FileFormat::kPcx;
    case SaveType::kJp2: return FileFormat::kJp2;
    case SaveType::kJ2k: return FileFormat::kJ2k;
  }
  return FileFormat::kUnknown;
}

}  // namespace imaging::codecs

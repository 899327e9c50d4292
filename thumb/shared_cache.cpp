#include "thumb/shared_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QCryptographicHash>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace thumb::shared_cache {
namespace {

constexpr int kFolderSizes[] = {128, 256, 512, 1024};
// A 1024 x 1024 RGBA picture that does not compress at all stays below
// this; larger files are not read at all.
constexpr qint64 kMaxEntryBytes = 6 << 20;
// Text chunks of an entry hold a few short keys; more than this (which
// the PNG reader would inflate) marks a file that is not an entry.
constexpr uint32_t kMaxTextBytes = 64 << 10;

const char kUriKey[] = "Thumb::URI";
const char kMTimeKey[] = "Thumb::MTime";
const char kSizeKey[] = "Thumb::Size";
const char kWidthKey[] = "Thumb::Image::Width";
const char kHeightKey[] = "Thumb::Image::Height";

// "/a/./b/../c" -> "/a/c"; "" for a relative path.
std::string CleanAbsolute(const std::string& path) {
  if (path.empty() || path[0] != '/') return {};
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < path.size()) {
    const size_t next = std::min(path.find('/', i), path.size());
    const std::string seg = path.substr(i, next - i);
    if (seg == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!seg.empty() && seg != ".") {
      parts.push_back(seg);
    }
    i = next + 1;
  }
  std::string out;
  for (const std::string& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

uint32_t Be32(const char* p) {
  const auto* u = reinterpret_cast<const uint8_t*>(p);
  return uint32_t{u[0]} << 24 | uint32_t{u[1]} << 16 | uint32_t{u[2]} << 8 | u[3];
}

// The PNG's chunk structure, walked before any decoder sees it: the
// signature, every chunk's length within the bytes left, a bounded amount
// of text, and IEND.  The decoder then never sizes a buffer by a length
// the file cannot back.
bool ChunksSound(const QByteArray& png) {
  static const char kSignature[] = "\x89PNG\r\n\x1a\n";
  const qsizetype n = png.size();
  if (n < 8 || std::memcmp(png.constData(), kSignature, 8) != 0) return false;
  qsizetype pos = 8;
  uint64_t text = 0;
  while (n - pos >= 12) {
    const uint32_t len = Be32(png.constData() + pos);
    const char* type = png.constData() + pos + 4;
    if (len > static_cast<uint64_t>(n - pos - 12)) return false;
    const bool is_text =
        std::memcmp(type, "tEXt", 4) == 0 || std::memcmp(type, "zTXt", 4) == 0 || std::memcmp(type, "iTXt", 4) == 0;
    if (is_text) {
      text += len;
      if (text > kMaxTextBytes) return false;
    }
    if (std::memcmp(type, "IEND", 4) == 0) return true;
    pos += 12 + static_cast<qsizetype>(len);
  }
  return false;
}

// A reader of a structurally sound PNG of at most 1024 x 1024, or false.
bool OpenPng(const QByteArray& png, QBuffer* buffer, QImageReader* reader, QSize* size) {
  if (!ChunksSound(png)) return false;
  buffer->setData(png);
  if (!buffer->open(QIODevice::ReadOnly)) return false;
  reader->setDevice(buffer);
  reader->setFormat("png");
  *size = reader->size();
  return size->isValid() && size->width() >= 1 && size->height() >= 1 && size->width() <= kLargestFolderSize &&
         size->height() <= kLargestFolderSize;
}

// `path` is `folder` or lies below it.
bool Within(const std::string& path, const std::string& folder) {
  return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                            (folder.back() == '/' || path[folder.size()] == '/'));
}

bool StrictInteger(const QString& text, int64_t* out) {
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (c < u'0' || c > u'9') return false;
  bool ok = false;
  const qlonglong v = text.toLongLong(&ok);
  if (ok) *out = v;
  return ok;
}

bool TimeMatches(const QString& text, const Source& src) {
  int64_t v = 0;
  return StrictInteger(text, &v) && v == src.mtime;
}

// The keys every entry (and failure) must carry.
bool KeysMatch(const QImage& img, const Source& src) {
  if (img.text(kUriKey).toUtf8() != QByteArray::fromStdString(src.uri)) return false;
  if (!TimeMatches(img.text(kMTimeKey), src)) return false;
  const QString size = img.text(kSizeKey);
  int64_t v = 0;
  return size.isEmpty() || (StrictInteger(size, &v) && v == src.size);
}

bool ReadSmallFile(const std::string& path, QByteArray* out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= kMaxEntryBytes;
  if (ok) {
    out->resize(static_cast<qsizetype>(st.st_size));
    qsizetype got = 0;
    while (got < out->size()) {
      const ssize_t n = ::read(fd, out->data() + got, static_cast<size_t>(out->size() - got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += n;
    }
    ok = got == out->size();
  }
  ::close(fd);
  return ok;
}

// Makes `path` and any missing parents, each new one 0700.
bool MakeFolders(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) return false;
  if (::mkdir(path.c_str(), 0700) == 0) return true;
  return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Writes `bytes` as `folder`/`name` through a temporary 0600 file in the
// same folder renamed into place.
bool WriteEntryFile(const std::string& folder, const std::string& name, const QByteArray& bytes) {
  if (bytes.isEmpty() || !MakeFolders(folder)) return false;
  std::string temp = folder + "/." + name + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);  // 0600
  if (fd < 0) return false;
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  // A cache entry is not worth an fsync: a torn file after a crash is a
  // malformed entry, which every reader skips.
  const bool closed = ::close(fd) == 0;
  if (done != bytes.size() || !closed || ::rename(temp.c_str(), (folder + "/" + name).c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

QByteArray EncodePng(QImage img, const Source& src) {
  img.setText(kUriKey, QString::fromStdString(src.uri));
  img.setText(kMTimeKey, QString::number(src.mtime));
  img.setText(kSizeKey, QString::number(src.size));
  img.setText("Software", QStringLiteral("Morvik7Thumb"));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  QImageWriter writer(&buffer, "png");
  // The fastest deflate level: a third slower files are written four times
  // faster than at the default, which matters on the first run over a folder.
  writer.setQuality(80);
  if (!writer.write(img)) return {};
  return bytes;
}

std::string FailurePath(const Source& src) {
  return src.root + "/fail/" + kFailFolder + "/" + EntryName(src.uri);
}

// Qt's image input and output keep process-wide objects that are made on
// first use and destroyed at exit in the reverse order of their making.  A
// PNG written and read back here, when the library is loaded, makes them
// before any loading pool registers its exit handler, so they outlive it:
// a worker still finishing an entry while the process exits never finds
// them gone.
[[maybe_unused]] const bool kImageIoReady = [] {
  QImage one(1, 1, QImage::Format_ARGB32);
  one.fill(Qt::transparent);
  one.setText(kUriKey, QStringLiteral("file:///"));
  QByteArray bytes;
  QBuffer out(&bytes);
  if (!out.open(QIODevice::WriteOnly) || !QImageWriter(&out, "png").write(one)) return false;
  QBuffer in(&bytes);
  QImage back;
  return in.open(QIODevice::ReadOnly) && QImageReader(&in, "png").read(&back) && !back.text(kUriKey).isEmpty();
}();

}  // namespace

std::string CacheRoot() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
    base = std::string(home) + "/.cache";
  } else {
    return {};
  }
  return CleanAbsolute(base + "/thumbnails");
}

std::string FileUri(const std::string& absolute_path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (unsigned char c : absolute_path) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      std::strchr("/-_.!~*'():@&=+$,", c) != nullptr;
    if (keep && c != '\0') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 0xF];
    }
  }
  return uri;
}

std::string EntryName(const std::string& uri) {
  const QByteArray md5 = QCryptographicHash::hash(QByteArray::fromStdString(uri), QCryptographicHash::Md5);
  return md5.toHex().toStdString() + ".png";
}

int FolderSizeFor(int side) {
  if (side <= 0) return 0;
  for (int f : kFolderSizes)
    if (side <= f) return f;
  return 0;
}

const char* FolderName(int folder_size) {
  switch (folder_size) {
    case 128: return "normal";
    case 256: return "large";
    case 512: return "x-large";
    case 1024: return "xx-large";
    default: return nullptr;
  }
}

bool StatSource(const std::string& path, Source* out) {
  Source s;
  s.root = CacheRoot();
  s.path = CleanAbsolute(path);
  if (s.root.empty() || s.path.empty()) return false;
  // Files inside the cache are shown as they are, never cached again -
  // reached through a symbolic link or not.
  if (Within(s.path, s.root)) return false;
  if (char* real_root = ::realpath(s.root.c_str(), nullptr)) {
    char* real_path = ::realpath(s.path.c_str(), nullptr);
    const bool inside = real_path != nullptr && Within(real_path, real_root);
    std::free(real_path);
    std::free(real_root);
    if (inside) return false;
  }
  const int fd = ::open(s.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;  // missing or not readable: the cache is not consulted for it
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) {
    s.mtime = static_cast<int64_t>(st.st_mtim.tv_sec);
    s.size = static_cast<int64_t>(st.st_size);
    ssize_t n;
    do n = ::read(fd, s.head, sizeof s.head);
    while (n < 0 && errno == EINTR);
    s.head_size = n > 0 ? static_cast<size_t>(n) : 0;
  }
  ::close(fd);
  if (!ok) return false;
  s.uri = FileUri(s.path);
  *out = std::move(s);
  return true;
}

EntryVerdict ReadEntry(const QByteArray& png, const Source& src, int min_side, QImage* out) {
  QBuffer buffer;
  QImageReader reader;
  QSize size;
  if (!OpenPng(png, &buffer, &reader, &size)) return EntryVerdict::kMalformed;
  // Keys written ahead of the pixels settle a stale entry without decoding.
  if (const QString early = reader.text(kMTimeKey); !early.isEmpty() && !TimeMatches(early, src))
    return EntryVerdict::kStale;
  QImage img;
  if (!reader.read(&img) || img.isNull() || img.size() != size) return EntryVerdict::kMalformed;
  if (!KeysMatch(img, src)) return EntryVerdict::kStale;
  if (std::max(img.width(), img.height()) < min_side) {
    // Only a picture kept at its own size may be smaller than asked.
    int64_t w = 0, h = 0;
    if (!StrictInteger(img.text(kWidthKey), &w) || !StrictInteger(img.text(kHeightKey), &h) || w != img.width() ||
        h != img.height())
      return EntryVerdict::kStale;
  }
  *out = std::move(img);
  return EntryVerdict::kValid;
}

QByteArray EncodeEntry(const QImage& picture, const Source& src, int original_width, int original_height) {
  if (picture.isNull()) return {};
  QImage img = picture.convertToFormat(QImage::Format_ARGB32);
  if (original_width > 0 && original_height > 0) {
    img.setText(kWidthKey, QString::number(original_width));
    img.setText(kHeightKey, QString::number(original_height));
  }
  return EncodePng(std::move(img), src);
}

bool Lookup(const Source& src, int min_side, QImage* out) {
  const int first = FolderSizeFor(min_side);
  if (first == 0 || src.root.empty()) return false;
  const std::string name = EntryName(src.uri);
  for (int f : kFolderSizes) {
    if (f < first) continue;
    QByteArray bytes;
    if (!ReadSmallFile(src.root + "/" + FolderName(f) + "/" + name, &bytes)) continue;
    if (ReadEntry(bytes, src, min_side, out) == EntryVerdict::kValid) return true;
  }
  return false;
}

bool Store(const Source& src, const QImage& picture, int folder_size, int original_width, int original_height) {
  const char* folder = FolderName(folder_size);
  if (folder == nullptr || src.root.empty() || picture.isNull() ||
      std::max(picture.width(), picture.height()) > folder_size)
    return false;
  return WriteEntryFile(src.root + "/" + folder, EntryName(src.uri),
                        EncodeEntry(picture, src, original_width, original_height));
}

bool RecordFailure(const Source& src) {
  if (src.root.empty()) return false;
  QImage mark(1, 1, QImage::Format_ARGB32);
  mark.fill(Qt::transparent);
  return WriteEntryFile(src.root + "/fail/" + kFailFolder, EntryName(src.uri), EncodePng(std::move(mark), src));
}

bool HasFailure(const Source& src) {
  QByteArray bytes;
  if (src.root.empty() || !ReadSmallFile(FailurePath(src), &bytes)) return false;
  QBuffer buffer;
  QImageReader reader;
  QSize size;
  if (!OpenPng(bytes, &buffer, &reader, &size)) return false;
  QImage img;
  return reader.read(&img) && KeysMatch(img, src);
}

}  // namespace thumb::shared_cache

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

#include "thumb/cache_png.h"

namespace thumb::shared_cache {
namespace {

constexpr int kFolderSizes[] = {128, 256, 512, 1024};
// A 1024 x 1024 RGBA picture that does not compress at all stays below
// this; larger files are not read at all.
constexpr qint64 kMaxEntryBytes = 6 << 20;

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

bool WithinLargestFolder(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kLargestFolderSize && height <= kLargestFolderSize;
}

// A reader of a PNG whose chunks were walked and found within 1024 x 1024;
// false when the reader sees another size.
bool OpenWalkedPng(const QByteArray& png, QBuffer* buffer, QImageReader* reader, QSize* size) {
  buffer->setData(png);
  if (!buffer->open(QIODevice::ReadOnly)) return false;
  reader->setDevice(buffer);
  reader->setFormat("png");
  *size = reader->size();
  return size->isValid() && WithinLargestFolder(size->width(), size->height());
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

// An entry's keys, from the decoded image or straight from its text chunks.
struct Keys {
  QString uri, mtime, size, width, height;

  static Keys Of(const QImage& img) {
    return {img.text(kUriKey), img.text(kMTimeKey), img.text(kSizeKey), img.text(kWidthKey), img.text(kHeightKey)};
  }
  static Keys Of(const cache_png::Chunks& chunks) {
    auto text = [&](const char* key) {
      const std::string* v = cache_png::TextValue(chunks, key);
      return v ? QString::fromLatin1(v->data(), static_cast<qsizetype>(v->size())) : QString();
    };
    return {text(kUriKey), text(kMTimeKey), text(kSizeKey), text(kWidthKey), text(kHeightKey)};
  }
};

// The keys every entry (and failure) must carry.
bool KeysMatch(const Keys& keys, const Source& src) {
  if (keys.uri.toUtf8() != QByteArray::fromStdString(src.uri)) return false;
  if (!TimeMatches(keys.mtime, src)) return false;
  int64_t v = 0;
  return keys.size.isEmpty() || (StrictInteger(keys.size, &v) && v == src.size);
}

// A valid entry's picture against the side asked for: only a picture kept
// at its own size may be smaller than that.
bool LargeEnough(const QImage& img, const Keys& keys, int min_side) {
  if (std::max(img.width(), img.height()) >= min_side) return true;
  int64_t w = 0, h = 0;
  return StrictInteger(keys.width, &w) && StrictInteger(keys.height, &h) && w == img.width() && h == img.height();
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

// The keys of `src` (and the original's size when known) as text chunks.
using TextKeys = std::vector<std::pair<std::string, std::string>>;
TextKeys EntryKeys(const Source& src, int original_width = 0, int original_height = 0) {
  TextKeys keys = {{kUriKey, src.uri}, {kMTimeKey, std::to_string(src.mtime)}, {kSizeKey, std::to_string(src.size)}};
  if (original_width > 0 && original_height > 0) {
    keys.emplace_back(kWidthKey, std::to_string(original_width));
    keys.emplace_back(kHeightKey, std::to_string(original_height));
  }
  keys.emplace_back("Software", "Morvik7Thumb");
  return keys;
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
  cache_png::Chunks chunks;
  if (!cache_png::WalkChunks(png, &chunks) || !WithinLargestFolder(chunks.width, chunks.height))
    return EntryVerdict::kMalformed;
  // The usual entry: keys in plain text chunks, settled before any pixel
  // is decoded, and pixels of the shape read in one pass.
  if (!chunks.has_other_text) {
    const Keys keys = Keys::Of(chunks);
    if (!KeysMatch(keys, src)) return EntryVerdict::kStale;
    QImage img;
    if (cache_png::DecodeSimple(png, chunks, &img)) {
      if (!LargeEnough(img, keys, min_side)) return EntryVerdict::kStale;
      *out = std::move(img);
      return EntryVerdict::kValid;
    }
  }
  // Everything else goes through the general PNG reader.
  QBuffer buffer;
  QImageReader reader;
  QSize size;
  if (!OpenWalkedPng(png, &buffer, &reader, &size)) return EntryVerdict::kMalformed;
  // Keys written ahead of the pixels settle a stale entry without decoding.
  if (const QString early = reader.text(kMTimeKey); !early.isEmpty() && !TimeMatches(early, src))
    return EntryVerdict::kStale;
  QImage img;
  if (!reader.read(&img) || img.isNull() || img.size() != size) return EntryVerdict::kMalformed;
  const Keys keys = Keys::Of(img);
  if (!KeysMatch(keys, src) || !LargeEnough(img, keys, min_side)) return EntryVerdict::kStale;
  *out = std::move(img);
  return EntryVerdict::kValid;
}

QByteArray EncodeEntry(const QImage& picture, const Source& src, int original_width, int original_height) {
  if (picture.isNull()) return {};
  // Other text the picture carries goes along (Latin-1, as tEXt holds).
  TextKeys keys;
  for (const QString& key : picture.textKeys()) {
    const QByteArray k = key.toLatin1(), v = picture.text(key).toLatin1();
    if (k.isEmpty() || k.size() > 79) continue;  // no text chunk holds such a key
    keys.emplace_back(std::string(k.constData(), static_cast<size_t>(k.size())),
                      std::string(v.constData(), static_cast<size_t>(v.size())));
  }
  for (auto& kv : EntryKeys(src, original_width, original_height)) keys.push_back(std::move(kv));
  return cache_png::EncodeRgba(picture, keys);
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
  return WriteEntryFile(src.root + "/fail/" + kFailFolder, EntryName(src.uri), cache_png::EncodeRgba(mark, EntryKeys(src)));
}

bool HasFailure(const Source& src) {
  QByteArray bytes;
  if (src.root.empty() || !ReadSmallFile(FailurePath(src), &bytes)) return false;
  cache_png::Chunks chunks;
  QBuffer buffer;
  QImageReader reader;
  QSize size;
  if (!cache_png::WalkChunks(bytes, &chunks) || !WithinLargestFolder(chunks.width, chunks.height) ||
      !OpenWalkedPng(bytes, &buffer, &reader, &size))
    return false;
  QImage img;
  return reader.read(&img) && KeysMatch(Keys::Of(img), src);
}

}  // namespace thumb::shared_cache

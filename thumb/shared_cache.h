// File: thumb/shared_cache.h
//
// The thumbnail cache shared with other programs of the desktop (file
// managers, image viewers): PNG files under $XDG_CACHE_HOME/thumbnails
// (~/.cache/thumbnails when the variable is unset, empty or relative), one
// folder per size - "normal" 128, "large" 256, "x-large" 512, "xx-large"
// 1024 pixels on the longer side - each entry named by the MD5 of the
// original's file:// URI in lower-case hex plus ".png".  An entry carries
// text keys: "Thumb::URI" and "Thumb::MTime" (the original's modification
// time in whole seconds) always, "Thumb::Size" (its byte size) and
// "Thumb::Image::Width"/"Thumb::Image::Height" (its own size) when known.
// Files that cannot be made into a thumbnail leave a 1 x 1 PNG with the URI
// and time under "fail/morvik7thumb-1.0".  Folders are made 0700 and files
// 0600; a file is written under a temporary name in its folder and renamed
// into place, so readers never see half an entry.
//
// Everything here is stateless and safe to call from several threads at
// once.  Entries are outside data: a file that is not a bounded, whole PNG
// with matching keys is a miss, never an error.
//
//   thumb::shared_cache::Source src;
//   if (thumb::shared_cache::StatSource("/p/a.jpg", &src)) {
//     QImage cached;
//     if (thumb::shared_cache::Lookup(src, 96, &cached)) ... use it ...
//     else Store(src, picture_at_128, thumb::shared_cache::FolderSizeFor(96), 4000, 3000);
//   }
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <string>

namespace thumb::shared_cache {

// The largest side any folder holds; bigger requests bypass the cache.
inline constexpr int kLargestFolderSize = 1024;
// The failure folder of this program, below "fail/".
inline constexpr char kFailFolder[] = "morvik7thumb-1.0";

// CacheRoot(): the "thumbnails" folder, without a trailing "/"; "" when
// neither $XDG_CACHE_HOME nor $HOME gives an absolute path.
std::string CacheRoot();

// FileUri(): the canonical file URI of an absolute path: "file://" and the
// path with every byte escaped as %XX (upper-case hex) except letters,
// digits, "/" and -_.!~*'():@&=+$, ("/a b" -> "file:///a%20b").
std::string FileUri(const std::string& absolute_path);

// EntryName(): MD5 of the URI as 32 lower-case hex digits, then ".png".
std::string EntryName(const std::string& uri);

// FolderSizeFor(): the smallest folder size (128, 256, 512, 1024) not
// below `side`; 0 when `side` is not positive or above 1024.
int FolderSizeFor(int side);
// FolderName(): "normal", "large", "x-large", "xx-large" for the four sizes,
// nullptr for anything else.
const char* FolderName(int folder_size);

// The original file as the cache knows it.
struct Source {
  std::string path;      // absolute, with "." and ".." segments resolved
  std::string uri;       // FileUri(path)
  int64_t mtime = 0;     // seconds since the epoch
  int64_t size = 0;      // bytes
  std::string root;      // CacheRoot() when the source was taken
  uint8_t head[8] = {};  // the file's first bytes (fewer when it is shorter)
  size_t head_size = 0;
};

// StatSource(): false when the cache cannot serve the file: no cache root,
// a path that cannot be made absolute, a file that is missing, not a
// regular file or not readable, or one lying inside the cache itself.
bool StatSource(const std::string& path, Source* out);

// Entries' keys, checked against a source.
enum class EntryVerdict {
  kValid,
  kStale,      // a whole PNG whose keys do not match the source (or too small)
  kMalformed,  // not a bounded PNG that decodes
};

// ReadEntry(): checks the bytes of a cached PNG against `src` and, when
// valid, decodes it into `out`.  Valid means: a PNG of at most 1024 x 1024
// whose "Thumb::URI" equals src.uri and "Thumb::MTime" equals src.mtime,
// whose "Thumb::Size" (when present) equals src.size, and whose longer side
// is at least `min_side` - or, for a picture stored at its own size, equals
// "Thumb::Image::Width" x "Thumb::Image::Height".
EntryVerdict ReadEntry(const QByteArray& png, const Source& src, int min_side, QImage* out);

// EncodeEntry(): `picture` as an 8-bit RGBA non-interlaced PNG with the
// keys of `src` and the original's size (0 x 0: unknown, not written).
// Empty on failure.
QByteArray EncodeEntry(const QImage& picture, const Source& src, int original_width, int original_height);

// Lookup(): the entry of the smallest folder holding pictures of at least
// `min_side` (then the larger folders in turn) that ReadEntry() accepts.
bool Lookup(const Source& src, int min_side, QImage* out);

// Store(): writes `picture` into the folder of `folder_size` (128, 256,
// 512 or 1024): at that size on its longer side, or smaller for a picture
// kept at its own size.  False when the folder size is not one of the four,
// the picture is empty or larger than the folder, or any step of the write
// fails (nothing is left behind then).
bool Store(const Source& src, const QImage& picture, int folder_size, int original_width, int original_height);

// RecordFailure(): the failure entry for `src`; HasFailure(): whether one
// matching the source's URI and time is there.
bool RecordFailure(const Source& src);
bool HasFailure(const Source& src);

}  // namespace thumb::shared_cache

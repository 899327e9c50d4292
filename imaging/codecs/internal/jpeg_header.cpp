// Gathering a JPEG header by a marker walk over a byte source.
#include "imaging/codecs/internal/jpeg_header.h"

#include <cstring>

namespace imaging::codecs::internal {
namespace {

constexpr uint8_t kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA, kApp0 = 0xE0, kApp1 = 0xE1, kApp14 = 0xEE, kCom = 0xFE;
// Far more segments than any writer puts before a scan; a file of nothing
// but tiny segments ends here instead of being walked to its end.
constexpr int kMaxSegments = 8192;
// Stray bytes between segments (a segment whose length stops short of its
// content) are passed over as libjpeg passes over them, this far at most.
constexpr uint64_t kMaxStrayBytes = 1 << 20;

// The position of the next marker at or after `pos`: an 0xFF followed by a
// byte other than 0x00 (a stuffed zero) and 0xFF (fill); false when none
// comes within kMaxStrayBytes.
bool NextMarker(ByteSource* source, uint64_t pos, uint64_t* at) {
  uint8_t chunk[4096];
  const uint64_t end = pos + kMaxStrayBytes;
  while (pos < end) {
    const size_t got = source->ReadAt(pos, chunk, sizeof chunk);
    if (got < 2) return false;
    for (size_t i = 0; i + 1 < got; ++i)
      if (chunk[i] == 0xFF && chunk[i + 1] != 0x00 && chunk[i + 1] != 0xFF) {
        *at = pos + i;
        return true;
      }
    pos += got - 1;  // the last byte may start a marker
  }
  return false;
}

}  // namespace

Result JpegGatherHeader(ByteSource* source, std::vector<uint8_t>* out, bool* has_exif) {
  *has_exif = false;
  out->clear();
  uint8_t start[3] = {};
  if (source->ReadAt(0, start, 3) != 3 || start[0] != 0xFF || start[1] != kSoi || start[2] != 0xFF)
    return Result(Status::kBadFile, "not JPEG data");
  std::vector<uint8_t> header;
  header.reserve(1024);  // the usual tables and a JFIF segment, without growing
  header.push_back(0xFF);
  header.push_back(kSoi);
  bool kept_exif = false;
  uint64_t pos = 2;
  for (int n = 0; n < kMaxSegments; ++n) {
    uint8_t mark[4] = {};
    if (source->ReadAt(pos, mark, 2) != 2) return Result(Status::kBroken, "JPEG header ends early");
    if (mark[0] != 0xFF) {
      if (!NextMarker(source, pos, &pos)) return Result(Status::kBroken, "JPEG marker expected");
      continue;
    }
    const uint8_t code = mark[1];
    if (code == 0xFF) {  // fill byte before a marker
      ++pos;
      continue;
    }
    if (code == kSoi || code == kEoi) return Result(Status::kBroken, "JPEG header without a scan");
    if ((code >= 0xD0 && code <= 0xD7) || code == 0x01) {  // markers without a segment
      pos += 2;
      continue;
    }
    if (source->ReadAt(pos + 2, mark + 2, 2) != 2) return Result(Status::kBroken, "JPEG header ends early");
    const size_t length = static_cast<size_t>(mark[2]) << 8 | mark[3];
    const bool app = (code >= kApp0 && code <= 0xEF) || code == kCom;
    if (length < 2) {
      // libjpeg reads an application or comment segment this short as an
      // empty one and goes on after its length; any other is an error.
      if (!app) return Result(Status::kBroken, "JPEG segment length below 2");
      pos += 4;
      continue;
    }
    bool keep = !app;
    if (app && code != kCom) {
      // Only the identifier is read to decide on an application segment.
      uint8_t id[6] = {};
      const size_t id_len = length - 2 < sizeof id ? length - 2 : sizeof id;
      if (source->ReadAt(pos + 4, id, id_len) != id_len) return Result(Status::kBroken, "JPEG header ends early");
      const bool exif = code == kApp1 && id_len == 6 && std::memcmp(id, "Exif\0\0", 6) == 0;
      if (exif) *has_exif = true;
      keep = (code == kApp0 && id_len >= 5 && std::memcmp(id, "JFIF\0", 5) == 0) || (exif && !kept_exif) ||
             (code == kApp14 && id_len >= 5 && std::memcmp(id, "Adobe", 5) == 0);
      if (exif && keep) kept_exif = true;
    }
    if (keep) {  // read straight onto the end of the header
      const size_t at = header.size();
      header.resize(at + length + 2);
      if (source->ReadAt(pos, header.data() + at, length + 2) != length + 2)
        return Result(Status::kBroken, "JPEG header ends early");
    }
    pos += 2 + length;
    if (code == kSos) {
      header.push_back(0xFF);
      header.push_back(kEoi);
      *out = std::move(header);
      return Result::Ok();
    }
  }
  return Result(Status::kBroken, "JPEG header has too many segments");
}

}  // namespace imaging::codecs::internal

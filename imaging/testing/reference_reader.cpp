#include "imaging/testing/reference_reader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/testing/codec_test_support.h"

namespace imaging::testing {
namespace {

std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Parses a binary PPM (P6, maxval 255) into a 24-bit picture.
bool ParsePpm(const std::vector<uint8_t>& b, Image* out) {
  size_t pos = 0;
  auto token = [&]() -> long {
    while (pos < b.size()) {
      if (b[pos] == '#') {
        while (pos < b.size() && b[pos] != '\n') ++pos;
      } else if (std::isspace(b[pos])) {
        ++pos;
      } else {
        break;
      }
    }
    long v = 0;
    bool any = false;
    while (pos < b.size() && b[pos] >= '0' && b[pos] <= '9') v = v * 10 + (b[pos++] - '0'), any = true;
    return any ? v : -1;
  };
  if (b.size() < 2 || b[0] != 'P' || b[1] != '6') return false;
  pos = 2;
  const long w = token(), h = token(), max = token();
  if (w <= 0 || h <= 0 || max != 255) return false;
  ++pos;  // the one white-space byte after maxval
  if (b.size() - pos < static_cast<size_t>(w) * h * 3) return false;
  Image img;
  if (!Image::Create(static_cast<int>(w), static_cast<int>(h), 24, &img).ok()) return false;
  for (long y = 0; y < h; ++y) {
    uint8_t* d = img.row(static_cast<int>(y));
    for (long x = 0; x < w; ++x, pos += 3) {
      d[3 * x] = b[pos + 2];
      d[3 * x + 1] = b[pos + 1];
      d[3 * x + 2] = b[pos];
    }
  }
  *out = std::move(img);
  return true;
}

}  // namespace

bool ReferenceDecode(const std::string& path, Image* out, const std::string& options) {
  const std::string ppm = TempPath("reference.ppm");
  const std::string command = "convert " + Quoted(path + "[0]") + " " + options +
                              " -alpha off -depth 8 " + Quoted("ppm:" + ppm) + " 2>/dev/null";
  const int rc = std::system(command.c_str());
  const std::vector<uint8_t> bytes = TakeFile(ppm);
  if (rc != 0 || !ParsePpm(bytes, out)) {
    ADD_FAILURE() << "reference reader failed (status " << rc << ", " << bytes.size() << " bytes): " << command;
    return false;
  }
  return true;
}

long CountColourDifferences(const Image& a, const Image& b, int tolerance) {
  if (a.width() != b.width() || a.height() != b.height()) return -1;
  long count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const uint32_t p = a.PixelRgb(x, y), q = b.PixelRgb(x, y);
      for (int s = 0; s < 24; s += 8)
        if (std::abs(static_cast<int>((p >> s) & 255) - static_cast<int>((q >> s) & 255)) > tolerance) {
          ++count;
          break;
        }
    }
  return count;
}

void ExpectSameColours(const Image& ours, const Image& reference, int tolerance) {
  ASSERT_EQ(ours.width(), reference.width());
  ASSERT_EQ(ours.height(), reference.height());
  const long count = CountColourDifferences(ours, reference, tolerance);
  if (count == 0) return;
  for (int y = 0; y < ours.height(); ++y)
    for (int x = 0; x < ours.width(); ++x) {
      const uint32_t p = ours.PixelRgb(x, y), q = reference.PixelRgb(x, y);
      for (int s = 0; s < 24; s += 8)
        if (std::abs(static_cast<int>((p >> s) & 255) - static_cast<int>((q >> s) & 255)) > tolerance) {
          ADD_FAILURE() << count << " pixels differ by more than " << tolerance << "; first at (" << x << ", " << y
                        << "): ours " << std::hex << p << ", reference " << q;
          return;
        }
    }
}

}  // namespace imaging::testing

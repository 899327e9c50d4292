// Tests of the bounded EXIF marker walk.
#include "imaging/dlls/internal/exif_probe.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using mv7::internal::HasExifBlockIn;
using Bytes = std::vector<uint8_t>;

Bytes Segment(uint8_t marker, const Bytes& payload) {
  Bytes s = {0xFF, marker, static_cast<uint8_t>((payload.size() + 2) >> 8), static_cast<uint8_t>(payload.size() + 2)};
  s.insert(s.end(), payload.begin(), payload.end());
  return s;
}

Bytes Jpeg(std::initializer_list<Bytes> segments) {
  Bytes j = {0xFF, 0xD8};
  for (const Bytes& s : segments) j.insert(j.end(), s.begin(), s.end());
  return j;
}

const Bytes kExif = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0};
const Bytes kJfif = {'J', 'F', 'I', 'F', 0, 1, 2};
const Bytes kScan = {0xFF, 0xDA, 0x00, 0x02};

TEST(ExifProbe, FindsExifAfterOtherSegments) {
  EXPECT_TRUE(HasExifBlockIn(Jpeg({Segment(0xE0, kJfif), Segment(0xE1, kExif), kScan}).data(),
                             Jpeg({Segment(0xE0, kJfif), Segment(0xE1, kExif), kScan}).size()));
}

TEST(ExifProbe, IgnoresExifAfterTheScanAndOtherApp1) {
  const Bytes late = Jpeg({Segment(0xE0, kJfif), kScan, Segment(0xE1, kExif)});
  EXPECT_FALSE(HasExifBlockIn(late.data(), late.size()));
  const Bytes xmp = Jpeg({Segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 'n', 's'}), kScan});
  EXPECT_FALSE(HasExifBlockIn(xmp.data(), xmp.size()));
}

TEST(ExifProbe, SurvivesTruncatedAndMalformedData) {
  const Bytes full = Jpeg({Segment(0xE0, kJfif), Segment(0xE1, kExif)});
  for (size_t n = 0; n < full.size() - 4; ++n) EXPECT_FALSE(HasExifBlockIn(full.data(), n)) << n;
  Bytes huge_length = Jpeg({Segment(0xE0, kJfif)});
  huge_length[4] = 0xFF;  // the APP0 length runs past the end
  huge_length[5] = 0xFF;
  EXPECT_FALSE(HasExifBlockIn(huge_length.data(), huge_length.size()));
  const Bytes zero_length = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xE1};
  EXPECT_FALSE(HasExifBlockIn(zero_length.data(), zero_length.size()));
  const Bytes not_jpeg = {'P', 'K', 3, 4, 0, 0};
  EXPECT_FALSE(HasExifBlockIn(not_jpeg.data(), not_jpeg.size()));
  EXPECT_FALSE(HasExifBlockIn(nullptr, 100));
}

}  // namespace

// File: imaging/testing/reference_reader.h
//
// Independent readers for the codec tests to compare our decodes with:
// ImageMagick's `convert` run on a file, and a comparison of two pictures
// by colour that names the first place they differ.  Test-only.
//
//   Image ours, theirs;
//   ASSERT_TRUE(codecs::Load(path, {}, &ours).ok());
//   ASSERT_TRUE(ReferenceDecode(path, &theirs));
//   ExpectSameColours(ours, theirs, /*tolerance=*/1);
#pragma once

#include <string>

#include "imaging/image.h"

namespace imaging::testing {

// ReferenceDecode() decodes picture 0 of `path` with ImageMagick's
// `convert` into a 24-bit picture; `options` go between input and output
// (for example "-auto-orient").  Alpha is dropped, the colour under it
// kept.  False (with a test failure naming the command) when convert is
// missing or fails.
[[nodiscard]] bool ReferenceDecode(const std::string& path, Image* out, const std::string& options = "");

// ExpectSameColours() expects equal sizes and every pixel's red, green and
// blue within `tolerance` of the other's (pictures of any depth compare by
// colour); it reports the first pixel beyond it and how many there are.
void ExpectSameColours(const Image& ours, const Image& reference, int tolerance);

// CountColourDifferences() is the number of pixels whose colours differ by
// more than `tolerance` in a channel; -1 for pictures of different sizes.
long CountColourDifferences(const Image& a, const Image& b, int tolerance);

}  // namespace imaging::testing

// Tests of the library family as a whole: what each library exports, and
// handles passed between libraries.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "imaging/dlls/mv7.h"
#include "imaging/dlls/mv7_exports.h"
#include "imaging/dlls/testing/test_pictures.h"

namespace {

const char* const kLibraryPaths[MV7_LIB_COUNT] = {MV7_LIBRARY_PATHS};

// The defined dynamic symbols of a shared library, as nm lists them.
std::set<std::string> DefinedSymbols(const std::string& path) {
  std::set<std::string> names;
  const std::string command = std::string(MV7_NM) + " -D --defined-only " + path;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t space = text.rfind(' ');
    if (space != std::string::npos) names.insert(text.substr(space + 1));
  }
  ::pclose(pipe);
  return names;
}

TEST(Family, EachLibraryExportsExactlyItsEntries) {
  std::set<std::string> expected[MV7_LIB_COUNT];
#define MV7_EXPECT(lib, entry) expected[lib].insert(#entry);
  MV7_EXPORTS(MV7_EXPECT)
#undef MV7_EXPECT
  for (int lib = 0; lib < MV7_LIB_COUNT; ++lib) {
    const std::set<std::string> found = DefinedSymbols(kLibraryPaths[lib]);
    EXPECT_EQ(found, expected[lib]) << kLibraryPaths[lib];
  }
}

TEST(Family, HandlesCrossLibraries) {
  mv7test::TempFolder tmp;
  // Made by libmv7com (MVGlobalAlloc), read by libmv7file's neighbours and
  // libmv7rastovect, freed by libmv7com.
  MVHANDLE from_com = mv7test::HandleOf(mv7test::Blocks(6, 4, 2));
  ASSERT_NE(from_com, 0u);
  MVHANDLE raster = MVVectorToRaster(from_com, 24, 1, 255, 255, 255);
  ASSERT_NE(raster, 0u);
  MVImageType t{};
  ASSERT_NE(MVGetImageType(raster, &t), 0);
  EXPECT_EQ(t.width, 6);
  MVFreeMemory(raster);
  EXPECT_EQ(MVGlobalLock(raster), nullptr);
  MVFreeMemory(from_com);

  // Made by libmv7file (a load), freed by libmv7com; freeing twice is refused.
  const std::string path = tmp.File("a.bmp");
  MVHANDLE loaded = 0;
  {
    MVHANDLE h = mv7test::HandleOf(mv7test::Blocks(9, 7, 3));
    const void* dib = MVGlobalLock(h);
    // Write the packed DIB as a BMP file: 14-byte file header, then the block.
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const uint32_t size = static_cast<uint32_t>(14 + MVGlobalSize(h));
    const uint8_t header[14] = {'B', 'M', static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24),
                                0, 0, 0, 0, 54, 0, 0, 0};
    std::fwrite(header, 1, sizeof header, f);
    std::fwrite(dib, 1, MVGlobalSize(h), f);
    std::fclose(f);
    MVGlobalUnlock(h);
    MVFreeMemory(h);
  }
  loaded = MVFileLoad(path.c_str(), 0, 0, 0, 0, 0, 0, 0);
  ASSERT_NE(loaded, 0u);
  EXPECT_NE(MVGlobalLock(loaded), nullptr);
  EXPECT_NE(MVGlobalUnlock(loaded), 0);
  EXPECT_NE(MVGlobalFree(loaded), 0);
  EXPECT_EQ(MVGlobalFree(loaded), 0);
}

TEST(VectorToRaster, LaysAlphaOverTheBackground) {
  imaging::Image img;
  ASSERT_TRUE(imaging::Image::Create(2, 1, 32, &img).ok());
  uint8_t* p = img.row(0);
  p[0] = 0; p[1] = 0; p[2] = 255; p[3] = 255;   // opaque red
  p[4] = 0; p[5] = 0; p[6] = 255; p[7] = 0;     // fully transparent red
  MVHANDLE h = mv7test::HandleOf(img);
  MVHANDLE blended = MVVectorToRaster(h, 24, 1, 0, 0, 255);
  const imaging::Image out = mv7test::ImageOf(blended);
  ASSERT_EQ(out.bpp(), 24);
  EXPECT_EQ(out.PixelRgb(0, 0), 0xFF0000u);
  EXPECT_EQ(out.PixelRgb(1, 0), 0x0000FFu);
  MVHANDLE dropped = MVVectorToRaster(h, 24, 0, 0, 0, 255);
  EXPECT_EQ(mv7test::ImageOf(dropped).PixelRgb(1, 0), 0xFF0000u);
  EXPECT_EQ(MVVectorToRaster(h, 8, 1, 0, 0, 0), 0u);
  EXPECT_EQ(MVVectorToRaster(h, 24, 1, 256, 0, 0), 0u);
  EXPECT_EQ(MVVectorToRaster(0, 24, 1, 0, 0, 0), 0u);
  for (MVHANDLE x : {h, blended, dropped}) MVFreeMemory(x);
}

TEST(VectorToRaster, PicturesWithoutAlphaStayOpaque) {
  MVHANDLE h = mv7test::HandleOf(mv7test::Blocks(3, 3, 1, 32));  // alpha 0 throughout
  MVHANDLE out = MVVectorToRaster(h, 24, 1, 255, 255, 255);
  EXPECT_EQ(mv7test::ImageOf(out).PixelRgb(2, 1), mv7test::BlockColor(2, 1));
  MVFreeMemory(h);
  MVFreeMemory(out);
}

TEST(VectorGdip, TokensPairStartsWithEnds) {
  const uint32_t a = MVVectorGdipStart();
  const uint32_t b = MVVectorGdipStart();
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  EXPECT_NE(MVVectorGdipEnd(a), 0);
  EXPECT_EQ(MVVectorGdipEnd(a), 0);
  EXPECT_EQ(MVVectorGdipEnd(0), 0);
  EXPECT_NE(MVVectorGdipEnd(b), 0);
}

TEST(Family, UnservedEntriesFail) {
  EXPECT_EQ(MVScanSelectSource(), -1);
  EXPECT_EQ(MVScanAcquire(1), 0u);
  EXPECT_EQ(MVPrintImage(0, 1), 0);
  EXPECT_EQ(MVPrintSetup(), 0);
  EXPECT_EQ(MVEffectApply(0, 1, 1), 0u);
}

}  // namespace

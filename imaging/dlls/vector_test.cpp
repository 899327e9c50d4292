// Vector pictures through the library family: recognised with their
// natural size, loaded as vector handles, rendered by MVVectorToRaster.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "imaging/dlls/mv7.h"
#include "imaging/dlls/testing/test_pictures.h"
#include "imaging/vector/testing/file_builders.h"

namespace {

using imaging::vector::testing::Bytes;

constexpr uint32_t kRed = 0xFF0000, kWhite = 0xFFFFFF, kBlue = 0x0000FF;

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}
std::vector<uint8_t> Of(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// The same drawing in every format: a 200 x 100 page whose left half is red.
struct Sample {
  const char* name;
  int16_t format;
  std::vector<uint8_t> bytes;
};

std::vector<Sample> Samples() {
  std::vector<Sample> out;
  {
    imaging::vector::testing::WmfBuilder w;
    w.Record(0x02FC, Bytes().U16(0).U32(0x0000FF).U16(0));
    w.Words(0x012D, {0});
    w.Record(0x02FA, Bytes().U16(5).I16(0).I16(0).U32(0));
    w.Words(0x012D, {1});
    w.Words(0x041B, {100, 100, 0, 0});
    out.push_back({"a.wmf", MV_FORMAT_WMF, w.Build(imaging::vector::testing::Placeable{0, 0, 200, 100, 96})});
  }
  {
    imaging::vector::testing::EmfBuilder e;
    e.Record(37, Bytes().U32(0x80000008u));
    e.Record(39, Bytes().U32(1).U32(0).U32(0x0000FF).U32(0));
    e.Record(37, Bytes().U32(1));
    e.Record(43, Bytes().I32(0).I32(0).I32(100).I32(100));
    out.push_back({"a.emf", MV_FORMAT_EMF, e.Build(5292, 2646)});
  }
  out.push_back({"a.dxf", MV_FORMAT_DXF,
                 Of(imaging::vector::testing::DxfFile(
                     0, 0, 200, 100, {"0:7"}, "",
                     "0\nSOLID\n8\n0\n62\n1\n10\n0\n20\n0\n11\n100\n21\n0\n12\n0\n22\n100\n13\n100\n23\n100\n"))});
  out.push_back({"a.svg", MV_FORMAT_SVG,
                 Of("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"100\">"
                    "<rect width=\"100\" height=\"100\" fill=\"red\"/></svg>")});
  return out;
}

TEST(VectorFiles, KnownWithTheirPageShapeAndRenderedInTheirColours) {
  mv7test::TempFolder tmp;
  const uint32_t token = MVVectorGdipStart();
  ASSERT_NE(token, 0u);
  for (const Sample& s : Samples()) {
    SCOPED_TRACE(s.name);
    const std::string path = tmp.File(s.name);
    Write(path, s.bytes);
    MVFileInfo info{};
    ASSERT_NE(MVFileType(path.c_str(), 0, &info), 0);
    EXPECT_EQ(info.format, s.format);
    EXPECT_EQ(info.kind, MV_KIND_VECTOR);
    EXPECT_EQ(info.image_count, 1);
    // DXF pages carry a small margin; the shape is what counts.
    EXPECT_NEAR(static_cast<double>(info.width) / info.height, 2.0, 0.05);
    EXPECT_EQ(MVFileType(path.c_str(), 1, &info), 0);

    const MVHANDLE h = MVFileLoad(path.c_str(), 0, 0, 0, 0, 0, 0, 0);
    ASSERT_NE(h, 0u);
    MVImageType type{};
    ASSERT_NE(MVGetImageType(h, &type), 0);
    EXPECT_EQ(type.kind, MV_KIND_VECTOR);
    EXPECT_EQ(type.width, info.width);
    EXPECT_EQ(type.height, info.height);
    // Raster entries refuse a drawing.
    MVHANDLE pair[2] = {h, 0};
    EXPECT_EQ(MVResize(pair, 10, 10, 1, 0, 0, 0, 0), 0u);

    for (int bits : {24, 32}) {
      const MVHANDLE raster = MVVectorToRaster(h, bits, 1, 0, 0, 255);
      ASSERT_NE(raster, 0u);
      MVImageType rt{};
      ASSERT_NE(MVGetImageType(raster, &rt), 0);
      EXPECT_EQ(rt.kind, MV_KIND_RASTER);
      EXPECT_EQ(rt.bit_count, bits);
      const imaging::Image img = mv7test::ImageOf(raster);
      ASSERT_FALSE(img.empty());
      EXPECT_EQ(img.PixelRgb(img.width() / 4, img.height() / 2), kRed);
      EXPECT_EQ(img.PixelRgb(img.width() * 7 / 8, img.height() / 2), kBlue);  // the background asked for
      MVFreeMemory(raster);
    }
    MVFreeMemory(h);

    // A bounded load fits the page into the bound.
    const MVHANDLE small = MVFileLoad(path.c_str(), 0, 50, 50, 0, 0, 0, 0);
    ASSERT_NE(small, 0u);
    ASSERT_NE(MVGetImageType(small, &type), 0);
    EXPECT_EQ(type.width, 50);
    EXPECT_NEAR(type.height, 25, 1);
    const MVHANDLE white = MVVectorToRaster(small, 24, 1, 255, 255, 255);
    EXPECT_EQ(mv7test::ImageOf(white).PixelRgb(45, 12), kWhite);
    MVFreeMemory(white);
    MVFreeMemory(small);
  }
  EXPECT_NE(MVVectorGdipEnd(token), 0);
  EXPECT_EQ(MVVectorGdipEnd(token), 0);
}

TEST(VectorFiles, DamagedVectorFilesAreSkippedAndRastersStayAsTheyWere) {
  mv7test::TempFolder tmp;
  for (Sample& s : Samples()) {
    if (s.format == MV_FORMAT_SVG) continue;
    SCOPED_TRACE(s.name);
    s.bytes.resize(s.bytes.size() - 9);  // cut short
    const std::string path = tmp.File(s.name);
    Write(path, s.bytes);
    MVFileInfo info{};
    EXPECT_EQ(MVFileType(path.c_str(), 0, &info), 0);
    EXPECT_EQ(MVFileLoad(path.c_str(), 0, 0, 0, 0, 0, 0, 0), 0u);
  }
  // A raster handle still renders as before (no vector route involved).
  const MVHANDLE raster = mv7test::HandleOf(mv7test::Blocks(8, 4, 2));
  MVImageType t{};
  ASSERT_NE(MVGetImageType(raster, &t), 0);
  EXPECT_EQ(t.kind, MV_KIND_RASTER);
  const MVHANDLE copy = MVVectorToRaster(raster, 24, 1, 0, 0, 0);
  EXPECT_NE(copy, 0u);
  EXPECT_EQ(mv7test::ImageOf(copy).PixelRgb(1, 1), mv7test::ImageOf(raster).PixelRgb(1, 1));
  MVFreeMemory(copy);
  MVFreeMemory(raster);
}

// Each vector session of a program without a GUI application makes its
// own off-screen one; the second and later must not look for a display.
TEST(VectorFiles, SessionsOneAfterAnotherNeedNoDisplay) {
  ::unsetenv("QT_QPA_PLATFORM");
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
  mv7test::TempFolder tmp;
  std::string path;
  for (const Sample& s : Samples())
    if (s.format == MV_FORMAT_SVG) {
      path = tmp.File(s.name);
      Write(path, s.bytes);
    }
  ASSERT_FALSE(path.empty());
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    const uint32_t token = MVVectorGdipStart();
    ASSERT_NE(token, 0u);
    const MVHANDLE h = MVFileLoad(path.c_str(), 0, 0, 0, 0, 0, 0, 0);
    const MVHANDLE raster = MVVectorToRaster(h, 24, 1, 255, 255, 255);
    EXPECT_EQ(mv7test::ImageOf(raster).PixelRgb(50, 50), kRed);
    MVFreeMemory(raster);
    MVFreeMemory(h);
    EXPECT_NE(MVVectorGdipEnd(token), 0);
  }
}

}  // namespace

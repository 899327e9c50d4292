#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "imaging/codecs/fpx_internal.h"
#include "imaging/codecs/internal/format_codec.h"
#include "imaging/ops/resize.h"
#include "imaging/testing/codec_test_support.h"
#include "imaging/testing/fpx_files.h"
#include "imaging/testing/fpx_storage.h"

namespace imaging::codecs::internal {
namespace {

using namespace imaging::testing;

// ---- Round trips ---------------------------------------------------------

TEST(FpxCodec, UncompressedRoundTripIsExactAtEverySize) {
  for (int bpp : {24, 8})
    for (auto [w, h] : {std::pair{1, 1}, {64, 64}, {65, 63}, {130, 70}, {200, 129}}) {
      SCOPED_TRACE(::testing::Message() << "bpp " << bpp << " " << w << "x" << h);
      const Image img = GradientPicture(w, h, bpp, unsigned(w * 7 + h));
      const std::vector<uint8_t> bytes = EncodeFpx(img);
      ASSERT_TRUE(FpxCodec().sniff(bytes.data(), bytes.size()));
      EXPECT_EQ(DetectFormat(bytes.data(), bytes.size()), FileFormat::kFpx);
      FileInfo info;
      ASSERT_TRUE(FpxCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
      EXPECT_EQ(info.format, FileFormat::kFpx);
      EXPECT_EQ(info.width, w);
      EXPECT_EQ(info.height, h);
      EXPECT_EQ(info.bpp, bpp);
      EXPECT_EQ(info.gray, bpp == 8);
      Image back;
      ASSERT_TRUE(FpxCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
      EXPECT_EQ(back.bpp(), bpp);
      EXPECT_EQ(back.gray(), bpp == 8);
      ExpectSamePixels(img, back);
    }
}

TEST(FpxCodec, OtherDepthsAreStoredAsColourThroughTheDispatcher) {
  // A 4-bit colour palette picture and a 32-bit picture come back as 24 bits
  // with the same colours; the save goes through the atomic dispatcher.
  Image pal;
  ASSERT_TRUE(Image::Create(70, 20, 4, &pal).ok());
  for (size_t i = 0; i < pal.palette().size(); ++i) pal.palette()[i] = PaletteEntry{uint8_t(i * 16), 40, uint8_t(255 - i), 0};
  for (int y = 0; y < 20; ++y)
    for (size_t i = 0; i < 35; ++i) pal.row(y)[i] = uint8_t(y * 17 + i);
  Image wide = GradientPicture(33, 90, 32, 4);
  for (const Image* img : {&pal, &wide}) {
    const std::string path = TempPath("depth.fpx");
    SaveOptions so;
    so.type = SaveType::kFpx;
    ASSERT_TRUE(Save(*img, path, so).ok());
    Image back;
    ASSERT_TRUE(Load(path, {}, &back).ok());
    std::remove(path.c_str());
    EXPECT_EQ(back.bpp(), 24);
    ExpectSamePixels(*img, back);
  }
  EXPECT_EQ(FormatOfSaveType(SaveType::kFpxJpeg), FileFormat::kFpx);
}

TEST(FpxCodec, JpegTilesStayCloseAndShareTheirTables) {
  for (int bpp : {24, 8}) {
    SCOPED_TRACE(bpp);
    const Image img = GradientPicture(150, 100, bpp, 11);
    const std::vector<uint8_t> raw = EncodeFpx(img, SaveType::kFpx);
    const std::vector<uint8_t> good = EncodeFpx(img, SaveType::kFpxJpeg, 95);
    const std::vector<uint8_t> poor = EncodeFpx(img, SaveType::kFpxJpeg, 20);
    EXPECT_LT(good.size(), raw.size());
    EXPECT_LT(poor.size(), good.size());
    Image back;
    ASSERT_TRUE(FpxCodec().load(good.data(), good.size(), {}, &back).ok());
    ASSERT_EQ(back.width(), 150);
    EXPECT_EQ(back.bpp(), bpp);
    EXPECT_GT(Psnr(img, back), 34.0);
    ASSERT_TRUE(FpxCodec().load(poor.data(), poor.size(), {}, &back).ok());
    EXPECT_GT(Psnr(img, back), 24.0);

    // Every tile of the full level is a JPEG tile pointing at table set 1,
    // which the image contents carry.
    Infile ole = OpenCompound(good);
    ASSERT_TRUE(ole);
    PropertyMap contents;
    const std::vector<uint8_t> set = StreamBytes(ole.get(), kImageContentsName);
    ASSERT_TRUE(ParsePropertySet(set.data(), set.size(), &contents).ok());
    ASSERT_TRUE(contents.count(PidJpegTables(1)));
    const std::vector<uint8_t>& tables = contents[PidJpegTables(1)].bytes;
    ASSERT_GE(tables.size(), 4u);
    EXPECT_EQ(tables[0], 0xFF);
    EXPECT_EQ(tables[1], 0xD8);
    Input level(gsf_infile_child_by_name(ole.get(), StorageNameOfLevel(0).c_str()));
    ASSERT_TRUE(level && GSF_IS_INFILE(level.get()));
    const std::vector<uint8_t> header = StreamBytes(GSF_INFILE(level.get()), "Subimage 0000 Header");
    ASSERT_EQ(header.size(), 36u + 6 * 16);
    for (int t = 0; t < 6; ++t) {
      EXPECT_EQ(Le32(header, 36 + 16 * t + 8), kTileJpeg);
      EXPECT_EQ(Le32(header, 36 + 16 * t + 12) >> 24, 1u);
    }
  }
}

TEST(FpxCodec, UniformTilesBecomeSingleColourTiles) {
  Image img;
  ASSERT_TRUE(Image::Create(100, 64, 24, &img).ok());
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 100; ++x) img.SetPixelRgb(x, y, x < 64 ? 0x123456 : uint32_t(x * 0x010203));
  for (SaveType type : {SaveType::kFpx, SaveType::kFpxJpeg}) {
    const std::vector<uint8_t> bytes = EncodeFpx(img, type);
    Infile ole = OpenCompound(bytes);
    ASSERT_TRUE(ole);
    Input level(gsf_infile_child_by_name(ole.get(), StorageNameOfLevel(0).c_str()));
    ASSERT_TRUE(level);
    const std::vector<uint8_t> header = StreamBytes(GSF_INFILE(level.get()), "Subimage 0000 Header");
    ASSERT_EQ(header.size(), 36u + 2 * 16);
    EXPECT_EQ(Le32(header, 36 + 8), kTileSingleColour);
    EXPECT_EQ(Le32(header, 36 + 12) & 0xFFFFFF, 0x563412u);  // R, G, B in bytes 0, 1, 2
    EXPECT_EQ(Le32(header, 36 + 16 + 8), type == SaveType::kFpx ? kTileUncompressed : kTileJpeg);
    Image back;
    ASSERT_TRUE(FpxCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
    EXPECT_EQ(back.PixelRgb(0, 0), 0x123456u);
    EXPECT_EQ(back.PixelRgb(63, 63), 0x123456u);
  }
}

// ---- Storage layout and levels -------------------------------------------

TEST(FpxCodec, WrittenStorageHoldsTheExpectedStreamsAndLevels) {
  const Image img = GradientPicture(300, 100, 24, 5);
  const std::vector<uint8_t> bytes = EncodeFpx(img);
  Infile ole = OpenCompound(bytes);
  ASSERT_TRUE(ole);
  guint8 clsid[16];
  ASSERT_TRUE(gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(ole.get()), clsid));
  EXPECT_EQ(std::memcmp(clsid, kFpxImageClsid, 16), 0);
  // 300x100, 150x50, 75x25, 38x13: the last one fits in one tile.
  const std::set<std::string> expected{kSummaryInformationName, kImageContentsName, "Data Object Store 000001",
                                       "Resolution 0000", "Resolution 0001", "Resolution 0002", "Resolution 0003"};
  EXPECT_EQ(ChildNames(ole.get()), expected);
  const int sizes[4][2] = {{300, 100}, {150, 50}, {75, 25}, {38, 13}};
  PropertyMap contents;
  const std::vector<uint8_t> set = StreamBytes(ole.get(), kImageContentsName);
  ASSERT_TRUE(ParsePropertySet(set.data(), set.size(), &contents).ok());
  EXPECT_EQ(contents[kPidLevelCount].number, 4u);
  EXPECT_EQ(contents[kPidWidth].number, 300u);
  EXPECT_EQ(contents[kPidHeight].number, 100u);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    Input level(gsf_infile_child_by_name(ole.get(), StorageNameOfLevel(i).c_str()));
    ASSERT_TRUE(level && GSF_IS_INFILE(level.get()));
    EXPECT_EQ(ChildNames(GSF_INFILE(level.get())),
              (std::set<std::string>{"Subimage 0000 Header", "Subimage 0000 Data"}));
    const std::vector<uint8_t> h = StreamBytes(GSF_INFILE(level.get()), "Subimage 0000 Header");
    ASSERT_GE(h.size(), 36u);
    EXPECT_EQ(Le32(h, 4), uint32_t(sizes[i][0]));
    EXPECT_EQ(Le32(h, 8), uint32_t(sizes[i][1]));
    const uint32_t tiles = uint32_t((sizes[i][0] + 63) / 64 * ((sizes[i][1] + 63) / 64));
    EXPECT_EQ(Le32(h, 12), tiles);
    EXPECT_EQ(h.size(), 36u + 16 * tiles);
    EXPECT_EQ(contents[PidLevel(i, kLevelWidth)].number, uint32_t(sizes[i][0]));
    EXPECT_EQ(contents[PidLevel(i, kLevelHeight)].number, uint32_t(sizes[i][1]));
    // Raw tiles: the data stream is one full tile per non-uniform tile.
    const std::vector<uint8_t> data = StreamBytes(GSF_INFILE(level.get()), "Subimage 0000 Data");
    EXPECT_EQ(data.size(), size_t(tiles) * 64 * 64 * 3);
  }
  // A picture that fits in one tile has one level.
  const std::vector<uint8_t> one = EncodeFpx(GradientPicture(64, 10, 24, 1));
  Infile small = OpenCompound(one);
  ASSERT_TRUE(small);
  EXPECT_EQ(ChildNames(small.get()).count("Resolution 0001"), 0u);
}

TEST(FpxCodec, BoundedLoadPicksTheSmallestCoveringLevel) {
  const Image img = GradientPicture(300, 100, 24, 5);
  const std::vector<uint8_t> bytes = EncodeFpx(img);
  struct Case {
    int max_w, max_h, level_w, level_h;
  } cases[] = {{40, 40, 75, 25},      // fit 40x13: 38x13 is too narrow
               {38, 0, 38, 13},       // exactly the smallest level
               {150, 150, 150, 50},   // exactly a level
               {151, 1000, 300, 100}, // just above a level: the next larger one
               {0, 0, 300, 100},      // no bound
               {1000, 1000, 300, 100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.max_w << "x" << c.max_h);
    LoadOptions lo;
    lo.max_width = c.max_w;
    lo.max_height = c.max_h;
    Image level;
    ASSERT_TRUE(FpxCodec().load(bytes.data(), bytes.size(), lo, &level).ok());
    EXPECT_EQ(level.width(), c.level_w);
    EXPECT_EQ(level.height(), c.level_h);
  }
  // The reduced levels are averages of the picture, not a crop of it.
  LoadOptions lo;
  lo.max_width = 75;
  Image quarter, reference;
  ASSERT_TRUE(FpxCodec().load(bytes.data(), bytes.size(), lo, &quarter).ok());
  ASSERT_EQ(quarter.width(), 75);
  ASSERT_TRUE(ops::ResizeImage(img, &reference, 75, 25, ops::ResizeFilter::kArea).ok());
  EXPECT_GT(Psnr(reference, quarter), 30.0);

  // Through the dispatcher the level is then fitted to the bound.
  const std::string path = TempPath("bounded.fpx");
  ASSERT_TRUE(WriteFile(path, bytes));
  Image fitted;
  LoadOptions bound;
  bound.max_width = bound.max_height = 40;
  ASSERT_TRUE(Load(path, bound, &fitted).ok());
  std::remove(path.c_str());
  EXPECT_EQ(fitted.width(), 40);
  EXPECT_EQ(fitted.height(), 13);
}

TEST(FpxCodec, CommentAndResolutionRoundTrip) {
  Image img = GradientPicture(80, 50, 24, 2);
  img.set_dpi(300, 150);
  img.set_comment("富士山 from the ferry");
  std::vector<uint8_t> bytes = EncodeFpx(img);
  FileInfo info;
  ASSERT_TRUE(FpxCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
  EXPECT_EQ(info.dpi_x, 300);
  EXPECT_EQ(info.dpi_y, 150);
  Image back;
  ASSERT_TRUE(FpxCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.dpi_x(), 300);
  EXPECT_EQ(back.dpi_y(), 150);
  EXPECT_EQ(back.comment(), "富士山 from the ferry");

  // The save option's comment wins over the picture's; no resolution stays 0.
  img.set_dpi(0, 0);
  SaveOptions so;
  so.type = SaveType::kFpxJpeg;
  so.comment = "override";
  ASSERT_TRUE(FpxEncode(img, so, &bytes).ok());
  ASSERT_TRUE(FpxCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.comment(), "override");
  EXPECT_EQ(back.dpi_x(), 0);
  EXPECT_EQ(back.dpi_y(), 0);
}

TEST(FpxCodec, CommentInAnotherCodePageIsConverted) {
  // A summary information written by another program: code page 1252 and
  // an accented comment.
  PropertySetWriter summary;
  summary.AddI2(1, 1252);
  summary.AddString(6, "caf\xE9");
  HandLevel level{64, 64, 3, {{0, 0, kTileSingleColour, 0x00FF00}}, {}};
  std::vector<uint8_t> bytes = BuildCompound(
      {Stream(kImageContentsName, ContentsSet({level})),
       Stream(kSummaryInformationName, summary.Build(kSummaryInformationFmtid)),
       Storage(StorageNameOfLevel(0),
               {Stream("Subimage 0000 Header", LevelHeader(64, 64, 3, level.tiles)), Stream("Subimage 0000 Data", {})})});
  Image back;
  ASSERT_TRUE(FpxCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.comment(), "caf\xC3\xA9");
  EXPECT_EQ(back.PixelRgb(10, 10), 0x00FF00u);
}

// ---- Files from elsewhere --------------------------------------------------

TEST(FpxCodec, ReadsLevelsInAnyOrderCutTilesAndOwnJpegTables) {
  // Level 0 is the small one here; the larger level is the picture.  Its
  // right tile is stored cut to the picture's edge; the small level is one
  // JPEG tile, also cut, with its own tables.
  HandLevel big{70, 40, 3, {}, {}};
  std::vector<uint8_t> left = RawTile(200, 10, 20);
  big.data = left;
  std::vector<uint8_t> cut;
  for (int i = 0; i < 6 * 40; ++i) cut.insert(cut.end(), {5, 6, 7});
  big.data.insert(big.data.end(), cut.begin(), cut.end());
  big.tiles = {{0, uint32_t(left.size()), kTileUncompressed, 0}, {uint32_t(left.size()), uint32_t(cut.size()), 0, 0}};

  std::vector<uint8_t> rgb = RawTile(30, 60, 90);
  tjhandle tj = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long jpeg_size = 0;
  // Cut to 40 x 24, more than the 35 x 20 the level shows of it.
  ASSERT_EQ(tjCompress2(tj, rgb.data(), 40, 64 * 3, 24, TJPF_RGB, &jpeg, &jpeg_size, TJSAMP_444, 95, 0), 0);
  tjDestroy(tj);
  HandLevel small{35, 20, 3, {{0, uint32_t(jpeg_size), kTileJpeg, 0x00011100}}, {jpeg, jpeg + jpeg_size}};
  tjFree(jpeg);

  const std::vector<uint8_t> bytes = HandMadeFpx({small, big});
  FileInfo info;
  ASSERT_TRUE(FpxCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
  EXPECT_EQ(info.width, 70);
  EXPECT_EQ(info.height, 40);
  Image back;
  ASSERT_TRUE(FpxCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  ASSERT_EQ(back.width(), 70);
  EXPECT_EQ(back.PixelRgb(0, 0), 0xC80A14u);
  EXPECT_EQ(back.PixelRgb(63, 39), 0xC80A14u);
  EXPECT_EQ(back.PixelRgb(64, 0), 0x050607u);
  EXPECT_EQ(back.PixelRgb(69, 39), 0x050607u);
  LoadOptions lo;
  lo.max_width = 30;
  ASSERT_TRUE(FpxCodec().load(bytes.data(), bytes.size(), lo, &back).ok());
  ASSERT_EQ(back.width(), 35);
  const uint32_t p = back.PixelRgb(17, 10);
  EXPECT_NEAR(int(p >> 16), 30, 3);
  EXPECT_NEAR(int(p >> 8 & 255), 60, 3);
  EXPECT_NEAR(int(p & 255), 90, 3);
}

TEST(FpxCodec, ReadsAnImageKeptInAStorageBelowTheRoot) {
  HandLevel level{64, 30, 1, {{0, 0, kTileSingleColour, 0x80}}, {}};
  PropertySetWriter summary;
  summary.AddString(6, "inside");
  const std::vector<uint8_t> bytes = BuildCompound(
      {Stream(kSummaryInformationName, summary.Build(kSummaryInformationFmtid)), Storage("Other", {Stream("x", {1})}),
       Storage("Source Image", {Stream(kImageContentsName, ContentsSet({level})),
                                Storage(StorageNameOfLevel(0), {Stream("Subimage 0000 Header", LevelHeader(64, 30, 1, level.tiles)),
                                                                Stream("Subimage 0000 Data", {})})})});
  ASSERT_TRUE(FpxCodec().sniff(bytes.data(), bytes.size()));
  Image back;
  ASSERT_TRUE(FpxCodec().load(bytes.data(), bytes.size(), {}, &back).ok());
  EXPECT_EQ(back.width(), 64);
  EXPECT_EQ(back.bpp(), 8);
  EXPECT_TRUE(back.gray());
  EXPECT_EQ(back.PixelRgb(5, 29), 0x808080u);
  EXPECT_EQ(back.comment(), "inside");
}

TEST(FpxCodec, OtherCompoundFilesAreNotTaken) {
  const std::vector<uint8_t> word = BuildCompound(
      {Stream("WordDocument", std::vector<uint8_t>(5000, 0x41)), Stream(kSummaryInformationName, std::vector<uint8_t>(200, 0))});
  ASSERT_EQ(word.size() % 512, 0u);
  EXPECT_FALSE(FpxCodec().sniff(word.data(), word.size()));
  EXPECT_EQ(DetectFormat(word.data(), word.size()), FileFormat::kUnknown);
  Image back;
  EXPECT_EQ(FpxCodec().load(word.data(), word.size(), {}, &back).code(), Status::kBadFile);
  EXPECT_EQ(LoadMemory(word.data(), word.size(), {}, &back).code(), Status::kBadFile);
  // A storage (not a stream) under the image contents name is not enough.
  const std::vector<uint8_t> odd = BuildCompound({Storage(kImageContentsName, {Stream("x", {1, 2, 3})})});
  EXPECT_FALSE(FpxCodec().sniff(odd.data(), odd.size()));
  EXPECT_EQ(FpxCodec().load(odd.data(), odd.size(), {}, &back).code(), Status::kBadFile);
  // Nor is the signature alone.
  std::vector<uint8_t> sig(1024, 0);
  std::memcpy(sig.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  EXPECT_FALSE(FpxCodec().sniff(sig.data(), sig.size()));
  EXPECT_TRUE(back.empty());
}

}  // namespace
}  // namespace imaging::codecs::internal

namespace imaging::codecs::internal {
namespace {

// The grey value of pixel (x, y) in the single-band files below.
uint8_t BandValue(int x, int y) { return static_cast<uint8_t>((x * 3 + y * 5) & 255); }

// A FlashPix file of one monochrome band, built through libgsf with known
// pixel content (no independent FlashPix reader exists on Debian): tiles
// uncompressed (full and cut at the edges) or JPEG-coded in grey, the
// colour property marked uncalibrated as cameras write it.
TEST(FpxCodec, SingleMonochromeBandReadsItsKnownContent) {
  const int w = 130, h = 70;
  for (bool jpeg : {false, true}) {
    SCOPED_TRACE(jpeg ? "jpeg tiles" : "uncompressed tiles");
    HandLevel level{uint32_t(w), uint32_t(h), 1, {}, {}};
    tjhandle tj = tjInitCompress();
    for (int ty = 0; ty < h; ty += 64)
      for (int tx = 0; tx < w; tx += 64) {
        const int vw = std::min(64, w - tx), vh = std::min(64, h - ty);
        const bool cut = !jpeg && (vw < 64 || vh < 64) && ((tx + ty) / 64) % 2 == 0;
        const int pw = cut ? vw : 64, ph = cut ? vh : 64;
        std::vector<uint8_t> tile(static_cast<size_t>(pw) * ph);
        for (int y = 0; y < ph; ++y)
          for (int x = 0; x < pw; ++x) tile[static_cast<size_t>(y) * pw + x] = BandValue(tx + x, ty + y);
        const uint32_t offset = uint32_t(level.data.size());
        if (jpeg) {
          unsigned char* out = nullptr;
          unsigned long size = 0;
          ASSERT_EQ(tjCompress2(tj, tile.data(), 64, 64, 64, TJPF_GRAY, &out, &size, TJSAMP_GRAY, 100, 0), 0);
          level.data.insert(level.data.end(), out, out + size);
          tjFree(out);
          level.tiles.push_back({offset, uint32_t(size), kTileJpeg, 0});
        } else {
          level.data.insert(level.data.end(), tile.begin(), tile.end());
          level.tiles.push_back({offset, uint32_t(tile.size()), kTileUncompressed, 0});
        }
      }
    tjDestroy(tj);
    PropertySetWriter w_contents;
    w_contents.AddUi4(kPidLevelCount, 1);
    w_contents.AddUi4(PidLevel(0, kLevelWidth), level.width);
    w_contents.AddUi4(PidLevel(0, kLevelHeight), level.height);
    std::vector<uint8_t> colour;
    PutLe32(&colour, 1);
    PutLe32(&colour, 0x80000000u | (kColourSpaceMono << 16));
    w_contents.AddBlob(PidLevel(0, kLevelColour), colour);
    const std::vector<uint8_t> bytes = HandMadeFpx({level}, w_contents.Build(kFpxImageContentsFmtid));
    FileInfo info;
    ASSERT_TRUE(FpxCodec().read_info(bytes.data(), bytes.size(), 0, &info).ok());
    EXPECT_EQ(info.bpp, 8);
    EXPECT_TRUE(info.gray);
    Image back;
    const Result r = LoadMemory(bytes.data(), bytes.size(), {}, &back);
    ASSERT_TRUE(r.ok()) << r.message();
    ASSERT_EQ(back.width(), w);
    ASSERT_EQ(back.height(), h);
    EXPECT_TRUE(back.gray());
    int worst = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint32_t p = back.PixelRgb(x, y);
        ASSERT_EQ(p & 0xFF, (p >> 8) & 0xFF);
        worst = std::max(worst, std::abs(int(p & 0xFF) - int(BandValue(x, y))));
      }
    EXPECT_LE(worst, jpeg ? 3 : 0);
  }
}

}  // namespace
}  // namespace imaging::codecs::internal

// The FlashPix codec on damaged files: truncated, malformed, mutated, and
// sound compound files with damaged streams.
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

// ---- Damage ------------------------------------------------------------------

TEST(FpxCodec, TruncatedFilesAreBrokenOnceRecognisable) {
  // libgsf puts the directory near the end of the file.  A file cut before
  // its directory cannot be told from any other damaged compound file; one
  // cut after it is still recognised and reported as broken.
  const std::vector<uint8_t> bytes = EncodeFpx(GradientPicture(200, 150, 24, 9));
  std::vector<uint8_t> name(32, 0);
  for (size_t i = 0; i < std::strlen(kImageContentsName); ++i) name[2 * i] = uint8_t(kImageContentsName[i]);
  const size_t directory = size_t(std::search(bytes.begin(), bytes.end(), name.begin(), name.end()) - bytes.begin());
  ASSERT_LT(directory, bytes.size());
  ASSERT_GT(directory, bytes.size() / 2);
  Image back;
  for (size_t cut : {size_t{8}, size_t{600}, size_t{4096}, bytes.size() / 2, directory + 100, bytes.size() - 512,
                     bytes.size() - 1}) {
    SCOPED_TRACE(cut);
    const bool recognisable = cut >= directory + 128;
    EXPECT_EQ(FpxCodec().sniff(bytes.data(), cut), recognisable);
    EXPECT_EQ(FpxCodec().load(bytes.data(), cut, {}, &back).code(), recognisable ? Status::kBroken : Status::kBadFile);
    EXPECT_EQ(LoadMemory(bytes.data(), cut, {}, &back).code(), recognisable ? Status::kBroken : Status::kBadFile);
  }
  EXPECT_TRUE(back.empty());
}

TEST(FpxCodec, MalformedContentGivesErrorCodes) {
  const HandLevel good{70, 40, 3, {{0, 64 * 64 * 3, 0, 0}, {0, 64 * 64 * 3, 0, 0}}, RawTile(1, 2, 3)};
  const std::vector<uint8_t> sound = HandMadeFpx({good});
  Image back;
  ASSERT_TRUE(FpxCodec().load(sound.data(), sound.size(), {}, &back).ok());
  EXPECT_EQ(back.PixelRgb(69, 39), 0x010203u);

  auto expect = [&](const std::vector<uint8_t>& bytes, Status status, const char* what) {
    SCOPED_TRACE(what);
    Image img;
    EXPECT_EQ(FpxCodec().load(bytes.data(), bytes.size(), {}, &img).code(), status);
    EXPECT_TRUE(img.empty());
  };
  HandLevel l = good;
  l.tiles[1].offset = 100;  // tile runs past the data stream
  expect(HandMadeFpx({l}), Status::kBroken, "tile past the data");
  l = good;
  l.tiles[1].offset = 0xFFFFFFF0u;
  expect(HandMadeFpx({l}), Status::kBroken, "offset wraps");
  l = good;
  l.tiles[1].length = 100;
  expect(HandMadeFpx({l}), Status::kBroken, "raw tile too short");
  l = good;
  l.tile_count = 3;
  expect(HandMadeFpx({l}), Status::kBroken, "tile count does not match the size");
  l = good;
  l.tiles.pop_back();
  l.tile_count = 2;
  expect(HandMadeFpx({l}), Status::kBroken, "tile table cut short");
  l = good;
  l.width = 70000;
  expect(HandMadeFpx({l}), Status::kMemory, "absurd width");
  l = good;
  l.width = l.height = 16000;  // within the engine's limit
  l.tile_count = 250 * 250;
  expect(HandMadeFpx({l}), Status::kBroken, "huge level without its tile table");
  l.width = l.height = 60000;  // beyond it
  l.tile_count = 938 * 938;
  expect(HandMadeFpx({l}), Status::kMemory, "level beyond the picture size limit");
  l = good;
  l.tiles[0].type = 7;
  expect(HandMadeFpx({l}), Status::kUnsupported, "unknown tile compression");
  l = good;
  l.channels = 5;
  expect(HandMadeFpx({l}), Status::kUnsupported, "five channels");
  l = good;
  l.tiles[0] = {0, 100, kTileJpeg, 0x03000000};
  expect(HandMadeFpx({l}), Status::kBroken, "JPEG tables that are not there");
  l = good;
  l.tiles[0] = {0, 100, kTileJpeg, 0};
  expect(HandMadeFpx({l}), Status::kBroken, "JPEG tile that is not JPEG");
  {
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long jpeg_size = 0;
    ASSERT_EQ(tjCompress2(tj, good.data.data(), 16, 64 * 3, 16, TJPF_RGB, &jpeg, &jpeg_size, TJSAMP_444, 90, 0), 0);
    tjDestroy(tj);
    l = good;
    l.data.assign(jpeg, jpeg + jpeg_size);
    tjFree(jpeg);
    l.tiles[0] = {0, uint32_t(l.data.size()), kTileJpeg, 0x00010000};
    l.tiles[1] = l.tiles[0];
    expect(HandMadeFpx({l}), Status::kBroken, "JPEG tile smaller than the part shown");
  }

  std::vector<uint8_t> contents = ContentsSet({good});
  contents[0] = 0;
  expect(HandMadeFpx({good}, contents), Status::kBroken, "property set without byte-order mark");
  contents = ContentsSet({good});
  contents[44] = 0xF0;  // section offset past the stream
  expect(HandMadeFpx({good}, contents), Status::kBroken, "section outside the stream");
  contents = ContentsSet({good});
  contents[48 + 12] = 0xFF;  // first property's offset past the section
  contents[48 + 13] = 0xFF;
  expect(HandMadeFpx({good}, contents), Status::kBroken, "property outside the section");
  expect(BuildCompound({Stream(kImageContentsName, ContentsSet({good}))}), Status::kBroken, "no resolution level");
  expect(BuildCompound({Stream(kImageContentsName, ContentsSet({good})),
                        Storage(StorageNameOfLevel(0), {Stream("Subimage 0000 Header", LevelHeader(70, 40, 3, good.tiles))})}),
         Status::kBroken, "no data stream");
}

TEST(FpxCodec, MutatedFilesFailCleanly) {
  // Random byte damage anywhere, the compound file structure included:
  // every load either succeeds or returns one of the file error codes.
  const std::vector<uint8_t> files[] = {EncodeFpx(GradientPicture(130, 70, 24, 1)),
                                        EncodeFpx(GradientPicture(90, 70, 8, 2), SaveType::kFpxJpeg)};
  std::mt19937 rng(1234);
  int failures = 0;
  for (const std::vector<uint8_t>& original : files)
    for (int round = 0; round < 150; ++round) {
      std::vector<uint8_t> bytes = original;
      const int hits = 1 + int(rng() % 8);
      for (int i = 0; i < hits; ++i) bytes[rng() % bytes.size()] = uint8_t(rng());
      Image img;
      FileInfo info;
      (void)FpxCodec().read_info(bytes.data(), bytes.size(), 0, &info);
      const Status s = FpxCodec().load(bytes.data(), bytes.size(), {}, &img).code();
      if (s != Status::kOk) {
        ++failures;
        EXPECT_TRUE(s == Status::kBroken || s == Status::kBadFile || s == Status::kMemory || s == Status::kUnsupported)
            << int(s);
        EXPECT_TRUE(img.empty());
      } else {
        EXPECT_GT(img.width(), 0);
      }
    }
  EXPECT_GT(failures, 0);
}

TEST(FpxCodec, DamagedStreamsInASoundCompoundFileFailCleanly) {
  // The compound file stays intact; the property set, a level header or the
  // tile data (JPEG with shared tables) are damaged.
  const std::vector<uint8_t> original = EncodeFpx(GradientPicture(100, 70, 24, 3), SaveType::kFpxJpeg);
  Infile ole = OpenCompound(original);
  ASSERT_TRUE(ole);
  std::vector<std::vector<uint8_t>> streams{StreamBytes(ole.get(), kImageContentsName)};
  for (int i = 0; i < 2; ++i) {
    Input level(gsf_infile_child_by_name(ole.get(), StorageNameOfLevel(i).c_str()));
    ASSERT_TRUE(level);
    streams.push_back(StreamBytes(GSF_INFILE(level.get()), "Subimage 0000 Header"));
    streams.push_back(StreamBytes(GSF_INFILE(level.get()), "Subimage 0000 Data"));
  }
  auto rebuild = [](const std::vector<std::vector<uint8_t>>& s) {
    return BuildCompound({Stream(kImageContentsName, s[0]),
                          Storage(StorageNameOfLevel(0), {Stream("Subimage 0000 Header", s[1]), Stream("Subimage 0000 Data", s[2])}),
                          Storage(StorageNameOfLevel(1), {Stream("Subimage 0000 Header", s[3]), Stream("Subimage 0000 Data", s[4])})});
  };
  const std::vector<uint8_t> sound = rebuild(streams);
  Image img;
  ASSERT_TRUE(FpxCodec().load(sound.data(), sound.size(), {}, &img).ok());
  std::mt19937 rng(77);
  int failures = 0;
  for (int round = 0; round < 200; ++round) {
    std::vector<std::vector<uint8_t>> damaged = streams;
    std::vector<uint8_t>& target = damaged[rng() % damaged.size()];
    if (rng() % 4 == 0) {
      target.resize(rng() % target.size());
    } else {
      for (int i = 0, hits = 1 + int(rng() % 4); i < hits; ++i) target[rng() % target.size()] = uint8_t(rng());
    }
    const std::vector<uint8_t> bytes = rebuild(damaged);
    for (int bound : {0, 30}) {
      LoadOptions lo;
      lo.max_width = lo.max_height = bound;
      Image out;
      const Status s = FpxCodec().load(bytes.data(), bytes.size(), lo, &out).code();
      if (s == Status::kOk) {
        EXPECT_GT(out.width(), 0);
        continue;
      }
      ++failures;
      EXPECT_TRUE(s == Status::kBroken || s == Status::kMemory || s == Status::kUnsupported) << int(s);
      EXPECT_TRUE(out.empty());
    }
  }
  EXPECT_GT(failures, 20);
}

}  // namespace
}  // namespace imaging::codecs::internal

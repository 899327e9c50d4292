// The entries a thumbnail worker calls, from several threads at once: each
// thread makes the thumbnails of the same files (raster formats, a JPEG
// with an EXIF thumbnail, a palette picture, a drawing) by the route the
// viewer controls take, and every result must equal, byte for byte, what
// one thread made of the same file beforehand; no block is left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "imaging/codecs/codec.h"
#include "imaging/dlls/mv7.h"
#include "imaging/dlls/testing/jpeg_files.h"
#include "imaging/dlls/testing/test_pictures.h"

namespace {

constexpr int kThumb = 48;

// The packed DIB of a handle, or "" for none.
std::string Bytes(MVHANDLE h) {
  if (h == 0) return {};
  const void* p = MVGlobalLock(h);
  if (p == nullptr) return {};
  std::string out(static_cast<const char*>(p), MVGlobalSize(h));
  MVGlobalUnlock(h);
  return out;
}

// One thumbnail through the C entries: the type, the EXIF thumbnail or a
// bounded load, a drawing rendered, then brought to size by the entry its
// kind asks for.  Returns the packed DIB ("" when nothing could be made).
std::string Thumbnail(const std::string& path) {
  MVFileInfo info{};
  if (!MVFileType(path.c_str(), 0, &info)) return {};
  MVHANDLE h = 0;
  if (info.format == MV_FORMAT_JPEG_EXIF) {
    MVExifInfo exif{};
    if (MVJpegExifInfo(path.c_str(), &exif)) h = exif.thumbnail;
  }
  if (h == 0) h = MVFileLoad(path.c_str(), 0, 2 * kThumb, 2 * kThumb, 0, 0, 0, 0);
  MVImageType type{};
  if (h == 0 || !MVGetImageType(h, &type)) {
    MVFreeMemory(h);
    return {};
  }
  if (type.kind != MV_KIND_RASTER) {
    const MVHANDLE raster = MVVectorToRaster(h, 24, 1, 224, 224, 224);
    MVFreeMemory(h);
    h = raster;
    if (h == 0 || !MVGetImageType(h, &type)) {
      MVFreeMemory(h);
      return {};
    }
  }
  const int longer = std::max(type.width, type.height);
  const int w = std::max(1, type.width * kThumb / longer), hgt = std::max(1, type.height * kThumb / longer);
  if (type.sizing == MV_SIZING_DIRECT) {
    h = SetImageSize(h, w, hgt);
  } else {
    MVHANDLE pair[2] = {h, 0};
    const MVHANDLE resized = MVResize(pair, w, hgt, 1, 0, 0, 0, 0);
    MVFreeMemory(h);
    h = resized;
  }
  std::string out = Bytes(h);
  MVFreeMemory(h);
  return out;
}

class FamilyThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    token_ = MVVectorGdipStart();
    ASSERT_FALSE(dir_.path().empty());
    namespace codecs = imaging::codecs;
    const auto save = [&](const imaging::Image& img, const std::string& name, codecs::SaveType type) {
      codecs::SaveOptions o;
      o.type = type;
      ASSERT_TRUE(codecs::Save(img, dir_.File(name), o).ok()) << name;
      files_.push_back(dir_.File(name));
    };
    for (int i = 0; i < 6; ++i) {
      save(mv7test::Blocks(300 + 37 * i, 200 + 23 * i, 7 + i), "b" + std::to_string(i) + ".png",
           codecs::SaveType::kPng);
      save(mv7test::Blocks(260 + 11 * i, 310 - 9 * i, 5 + i), "b" + std::to_string(i) + ".bmp",
           codecs::SaveType::kBmp);
    }
    imaging::Image palette;
    ASSERT_TRUE(imaging::Image::Create(90, 70, 8, &palette).ok());
    for (int y = 0; y < 70; ++y)
      for (int x = 0; x < 90; ++x) palette.row(y)[x] = static_cast<uint8_t>(((x / 9 + y / 7) % 4) * 60);
    save(palette, "p.bmp", codecs::SaveType::kBmp);
    for (int i = 0; i < 3; ++i) {
      const std::string name = dir_.File("j" + std::to_string(i) + ".jpg");
      ASSERT_TRUE(mv7test::WriteJpeg(mv7test::Blocks(640, 480, 20 + i), name,
                                     i == 0 ? mv7test::Exif::kWithThumbnail : mv7test::Exif::kNone));
      files_.push_back(name);
    }
    std::ofstream(dir_.File("d.svg"))
        << "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>"
           "<rect x='0' y='0' width='100' height='100' fill='#ff0000'/>"
           "<circle cx='150' cy='50' r='40' fill='#0000ff'/></svg>";
    files_.push_back(dir_.File("d.svg"));
  }
  void TearDown() override { MVVectorGdipEnd(token_); }

  mv7test::TempFolder dir_;
  std::vector<std::string> files_;
  uint32_t token_ = 0;
};

TEST_F(FamilyThreads, ThumbnailsMadeAtOnceEqualThoseMadeOneByOne) {
  std::vector<std::string> reference;
  for (const std::string& f : files_) {
    reference.push_back(Thumbnail(f));
    EXPECT_GT(reference.back().size(), 40u) << f;
  }
  const size_t baseline = MVGlobalCount();
  constexpr int kThreads = 4, kRounds = 3;
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        // Each thread starts at another file, so different files overlap.
        for (size_t k = 0; k < files_.size(); ++k) {
          const size_t i = (k + static_cast<size_t>(t) * 5 + static_cast<size_t>(round)) % files_.size();
          if (Thumbnail(files_[i]) != reference[i]) ++mismatches;
        }
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(mismatches.load(), 0);
  EXPECT_EQ(MVGlobalCount(), baseline);
}

TEST_F(FamilyThreads, BlocksAllocatedAndFreedAtOnce) {
  const size_t baseline = MVGlobalCount();
  std::vector<std::thread> threads;
  std::atomic<int> bad{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i) {
        const size_t size = 16 + static_cast<size_t>((i * 7 + t) % 97);
        const MVHANDLE h = MVGlobalAlloc(size);
        auto* p = static_cast<uint8_t*>(MVGlobalLock(h));
        if (p == nullptr || MVGlobalSize(h) != size) {
          ++bad;
          continue;
        }
        std::fill(p, p + size, static_cast<uint8_t>(t));
        const bool kept = std::all_of(p, p + size, [t](uint8_t b) { return b == t; });
        if (!kept || !MVGlobalUnlock(h) || !MVGlobalFree(h) || MVGlobalFree(h)) ++bad;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(MVGlobalCount(), baseline);
}

}  // namespace

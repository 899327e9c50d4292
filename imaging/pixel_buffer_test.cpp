#include "imaging/image.h"

#include <gtest/gtest.h>

#include <cstring>

namespace imaging {
namespace {

constexpr size_t kMiB = size_t{1} << 20;

// Address-sanitised builds keep every block on the heap; nothing is kept.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HEAP_ONLY_BUILD 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define HEAP_ONLY_BUILD 1
#endif
#ifdef HEAP_ONLY_BUILD
#define SKIP_WITHOUT_KEPT_BLOCKS() GTEST_SKIP() << "no kept blocks in sanitised builds"
#else
#define SKIP_WITHOUT_KEPT_BLOCKS() (void)0
#endif

bool AllBytes(const uint8_t* p, size_t n, uint8_t v) {
  for (size_t i = 0; i < n; ++i)
    if (p[i] != v) return false;
  return true;
}

TEST(PixelBuffer, LargeBlocksAreKeptAndHandedOutAgain) {
  SKIP_WITHOUT_KEPT_BLOCKS();
  PixelBuffer::ReleaseKept();
  EXPECT_EQ(PixelBuffer::KeptBytes(), 0u);
  PixelBuffer a;
  ASSERT_TRUE(a.Allocate(8 * kMiB + 5, true));
  ASSERT_EQ(a.size(), 8 * kMiB + 5);
  EXPECT_TRUE(AllBytes(a.data(), a.size(), 0));
  std::memset(a.data(), 0xAB, a.size());
  const uint8_t* first = a.data();
  a.Reset();
  EXPECT_TRUE(a.empty());
  EXPECT_GE(PixelBuffer::KeptBytes(), 8 * kMiB);

  // A block of about the same size reuses it; zeroed means zeroed even then.
  PixelBuffer b;
  ASSERT_TRUE(b.Allocate(8 * kMiB, true));
  EXPECT_EQ(b.data(), first);
  EXPECT_TRUE(AllBytes(b.data(), b.size(), 0));
  EXPECT_EQ(PixelBuffer::KeptBytes(), 0u);

  // Much larger or much smaller blocks are not served from it.
  std::memset(b.data(), 0xCD, b.size());
  b.Reset();
  PixelBuffer big, small;
  ASSERT_TRUE(big.Allocate(20 * kMiB, false));
  ASSERT_TRUE(small.Allocate(3 * kMiB, true));
  EXPECT_NE(big.data(), first);
  EXPECT_NE(small.data(), first);
  EXPECT_TRUE(AllBytes(small.data(), small.size(), 0));

  // Copies are deep; moves take the bytes.
  std::memset(small.data(), 0x11, small.size());
  PixelBuffer copy(small);
  ASSERT_EQ(copy.size(), small.size());
  EXPECT_NE(copy.data(), small.data());
  EXPECT_TRUE(AllBytes(copy.data(), copy.size(), 0x11));
  PixelBuffer moved(std::move(copy));
  EXPECT_TRUE(copy.empty());
  EXPECT_EQ(copy.data(), nullptr);
  EXPECT_TRUE(AllBytes(moved.data(), moved.size(), 0x11));

  PixelBuffer tiny;
  ASSERT_TRUE(tiny.Allocate(100, true));
  EXPECT_TRUE(AllBytes(tiny.data(), 100, 0));
  ASSERT_TRUE(tiny.Allocate(0, true));
  EXPECT_TRUE(tiny.empty());
  PixelBuffer::ReleaseKept();
  EXPECT_EQ(PixelBuffer::KeptBytes(), 0u);
}

TEST(PixelBuffer, KeptMemoryIsBounded) {
  SKIP_WITHOUT_KEPT_BLOCKS();
  PixelBuffer::ReleaseKept();
  {
    PixelBuffer blocks[3];
    for (PixelBuffer& b : blocks) ASSERT_TRUE(b.Allocate(100 * kMiB, false));  // never touched: cheap
  }
  EXPECT_GT(PixelBuffer::KeptBytes(), 0u);
  EXPECT_LE(PixelBuffer::KeptBytes(), 256 * kMiB);
  {
    PixelBuffer huge;
    ASSERT_TRUE(huge.Allocate(300 * kMiB, false));
  }
  EXPECT_LE(PixelBuffer::KeptBytes(), 256 * kMiB);
  PixelBuffer::ReleaseKept();
}

// Decoders' pictures may land in a block an earlier picture used: only the
// row padding is cleared, and Create() still gives zeros.
TEST(Image, CreateUninitializedClearsPaddingOnly) {
  PixelBuffer::ReleaseKept();
  const int w = 1001, h = 1000;  // 3003 pixel bytes in rows of 3004
  {
    Image dirty;
    ASSERT_TRUE(Image::Create(w, h, 24, &dirty).ok());
    std::memset(dirty.data(), 0xEE, dirty.data_size());
  }
  Image img;
  ASSERT_TRUE(Image::CreateUninitialized(w, h, 24, &img).ok());
  ASSERT_EQ(img.stride(), 3004u);
  ASSERT_EQ(img.data_size(), 3004u * h);
  for (int y = 0; y < h; ++y) ASSERT_EQ(img.row(y)[3003], 0) << "row " << y;

  std::memset(img.data(), 0x77, img.data_size());
  img = Image();
  Image blank;
  ASSERT_TRUE(Image::Create(w, h, 24, &blank).ok());
  EXPECT_TRUE(AllBytes(blank.data(), blank.data_size(), 0));

  Image indexed;
  ASSERT_TRUE(Image::CreateUninitialized(13, 3, 4, &indexed).ok());
  EXPECT_EQ(indexed.palette().size(), 16u);
  EXPECT_EQ(indexed.palette()[15], (PaletteEntry{255, 255, 255, 0}));
  EXPECT_EQ(indexed.stride(), 8u);
  for (int y = 0; y < 3; ++y)
    for (size_t x = 6; x < 8; ++x) EXPECT_EQ(indexed.row(y)[x], 0);
  Image refused;
  EXPECT_EQ(Image::CreateUninitialized(0, 5, 24, &refused).code(), Status::kBadValue);
  EXPECT_EQ(Image::CreateUninitialized(5, 5, 7, &refused).code(), Status::kBadValue);
  EXPECT_TRUE(refused.empty());
  PixelBuffer::ReleaseKept();
}

// Copies of pictures are deep, as they were with vector storage.
TEST(Image, CopiesAreDeep) {
  Image a;
  ASSERT_TRUE(Image::Create(700, 1000, 24, &a).ok());
  a.SetPixelRgb(5, 6, 0x123456);
  Image b = a;
  EXPECT_NE(b.data(), a.data());
  EXPECT_EQ(b.PixelRgb(5, 6), 0x123456u);
  b.SetPixelRgb(5, 6, 0);
  EXPECT_EQ(a.PixelRgb(5, 6), 0x123456u);
  a = b;
  EXPECT_EQ(a.PixelRgb(5, 6), 0u);
}

}  // namespace
}  // namespace imaging

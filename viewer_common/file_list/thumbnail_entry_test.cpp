// Entry lists: image handles come from, and go back to, the one handle
// table of libmv7com.so; insertion and case-insensitive lookups.
#include "viewer_common/file_list/thumbnail_entry.h"

#include <gtest/gtest.h>

#include "imaging/dlls/mv7.h"
#include "viewer_common/imaging_dlls/imaging_dlls.h"

namespace file_list {
namespace {

ThumbnailEntry Entry(std::string folder, std::string name, int16_t image_number = 0) {
  ThumbnailEntry e;
  e.folder = std::move(folder);
  e.file_name = std::move(name);
  e.image_number = image_number;
  return e;
}

// The test links libmv7com.so itself: handles made here are the family's.
TEST(EntryListHandles, FreesLibraryHandlesInTheLibrarysTable) {
  ASSERT_TRUE(imaging_dlls::LibraryLoaded(MV7_LIB_COM));
  const MVHANDLE a = MVGlobalAlloc(64);
  const MVHANDLE b = MVGlobalAlloc(32);
  const MVHANDLE c = MVGlobalAlloc(16);
  ASSERT_NE(a, 0u);
  {
    EntryList list;  // frees through the bound MVFreeMemory
    list.Append(Entry("/p", "a.bmp"));
    list.Append(Entry("/p", "b.bmp"));
    list.SetImage(0, a);
    list.SetImage(1, b);
    EXPECT_EQ(MVGlobalSize(a), 64u);
    list.SetImage(0, c);  // replacing frees the old image
    EXPECT_EQ(MVGlobalSize(a), 0u);
    EXPECT_EQ(MVGlobalSize(c), 16u);
    const MVHANDLE taken = list.TakeImage(1);
    EXPECT_EQ(taken, b);
    EXPECT_EQ(list[1].image, 0u);
    EXPECT_EQ(MVGlobalSize(b), 32u);
    MVFreeMemory(taken);
  }
  // The list's end freed c in the same table: a second free is refused.
  EXPECT_EQ(MVGlobalSize(c), 0u);
  EXPECT_EQ(MVGlobalFree(c), 0);
}

TEST(EntryListHandles, BoundGlobalMemoryIsTheLibrarysTable) {
  const MVHANDLE h = imaging_dlls::GlobalAlloc(40);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(MVGlobalSize(h), 40u);  // seen by the linked library
  {
    imaging_dlls::LockedBlock block(h);
    ASSERT_TRUE(block);
    static_cast<uint8_t*>(block.data())[39] = 0xA5;
  }
  const MVHANDLE copy = imaging_dlls::GlobalDuplicate(h);
  ASSERT_NE(copy, 0u);
  const auto* p = static_cast<const uint8_t*>(MVGlobalLock(copy));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[39], 0xA5);
  MVGlobalUnlock(copy);
  EXPECT_TRUE(imaging_dlls::GlobalFree(h));
  EXPECT_FALSE(imaging_dlls::GlobalFree(h));
  MVFreeMemory(copy);
  EXPECT_EQ(MVGlobalSize(copy), 0u);
}

TEST(EntryList, InsertAtIndexShiftsLaterEntries) {
  EntryList list([](MVHANDLE) {});
  list.Append(Entry("/p", "1"));
  list.Append(Entry("/p", "2"));
  list.Append(Entry("/p", "3"));
  // Two insertions at the same index end up in reverse order before "3".
  EXPECT_EQ(list.Insert(2, Entry("/p", "a")), 2u);
  EXPECT_EQ(list.Insert(2, Entry("/p", "b")), 2u);
  EXPECT_EQ(list.Insert(99, Entry("/p", "end")), 5u);
  EXPECT_EQ(list.Insert(0, Entry("/p", "first")), 0u);
  std::vector<std::string> names;
  for (const ThumbnailEntry& e : list.entries()) names.push_back(e.file_name);
  EXPECT_EQ(names, (std::vector<std::string>{"first", "1", "2", "b", "a", "3", "end"}));
}

TEST(EntryList, LookupsIgnoreCase) {
  EntryList list([](MVHANDLE) {});
  list.Append(Entry("/Pics", "Photo.JPG", 0));
  list.Append(Entry("/Pics", "multi.tif", 0));
  list.Append(Entry("/Pics", "multi.tif", 2));
  list.Append(Entry("/", "root.png", 0));
  EXPECT_EQ(list.Find("/pics", "photo.jpg", 0), 0);
  EXPECT_EQ(list.Find("/pics", "photo.jpg", 1), -1);
  EXPECT_EQ(list.Find("/PICS", "MULTI.TIF", 2), 2);
  EXPECT_EQ(list.Find("/pics", "photo.jp", 0), -1);
  EXPECT_EQ(list.Find("/other", "photo.jpg", 0), -1);
  EXPECT_EQ(list.FindPath("/pics/PHOTO.jpg"), 0);
  EXPECT_EQ(list.FindPath("/pics/multi.tif"), 1);
  EXPECT_EQ(list.FindPath("/root.png"), 3);  // the root folder gives one separator
  EXPECT_EQ(list.FindPath("/pics/none.jpg"), -1);
}

}  // namespace
}  // namespace file_list

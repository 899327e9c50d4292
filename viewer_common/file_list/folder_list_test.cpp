#include "viewer_common/file_list/folder_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <filesystem>
#include <fstream>

namespace file_list {
namespace {

namespace fs = std::filesystem;

// Recognises files by their first bytes as the tests write them:
// "PIC<n>" is a picture with n images, "FPX" a picture of format 16 with 3.
bool Recognize(const std::string& path, int index, FileTypeInfo* info) {
  std::ifstream f(path, std::ios::binary);
  std::string head(4, '\0');
  if (!f.read(head.data(), 4)) return false;
  if (head.compare(0, 3, "PIC") == 0) {
    info->format = 1;
    info->image_count = static_cast<int16_t>(head[3] - '0');
  } else if (head.compare(0, 3, "FPX") == 0) {
    info->format = 16;
    info->image_count = 3;
  } else {
    return false;
  }
  return index < info->image_count;
}

class FolderListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("folder_list_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    paths_.SetRecognizer(&Recognize);
  }
  void TearDown() override { fs::remove_all(root_); }

  // Writes a picture file; `age` seconds before a fixed time.
  fs::path Make(const fs::path& rel, int images = 1, int age = 0, const char* head = nullptr) {
    fs::path p = root_ / rel;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << (head ? std::string(head) : "PIC" + std::to_string(images)) << "....";
    const std::chrono::sys_seconds when{std::chrono::seconds(1700000000 - age)};
    fs::last_write_time(p, std::chrono::file_clock::from_sys(when));
    return p;
  }
  std::vector<std::string> Names(const EntryList& list) {
    std::vector<std::string> v;
    for (const ThumbnailEntry& e : list.entries())
      v.push_back(e.file_name + (e.image_number ? "#" + std::to_string(e.image_number) : ""));
    return v;
  }
  ListRequest Request(const std::string& ext, int sort = kSortNone, int order = kSortOrderInc) {
    ListRequest r;
    r.file_path = root_.string();
    r.file_ext = ext;
    r.sort = sort;
    r.sort_order = order;
    return r;
  }

  fs::path root_;
  NativePathServices paths_;
};

TEST_F(FolderListTest, BareExtensionMatchesWithoutRegardToCase) {
  Make("a.jpg");
  Make("b.JPG");
  Make("c.png");
  Make("notes.txt", 1, 0, "TEXT");  // recognised extension list, but not a picture
  fs::create_directories(root_ / "dir.jpg");
  Make(".hidden.jpg");
  EntryList list;
  ListReport report;
  ASSERT_EQ(BuildFolderList(paths_, Request("JPG", kSortFileName), &list, &report), 0);
  EXPECT_EQ(report.extension_count, 1);
  EXPECT_EQ(Names(list), (std::vector<std::string>{".hidden.jpg", "a.jpg", "b.JPG"}));
  EXPECT_EQ(list[0].folder, root_.string());
  EXPECT_STREQ(list[1].date_text, "20231114221320");
}

TEST_F(FolderListTest, EntryNamingAnExistingFileSearchesOnlyThatName) {
  Make("photo.jpg");
  Make("other.jpg");
  EntryList list;
  ASSERT_EQ(BuildFolderList(paths_, Request("photo.jpg"), &list), 0);
  EXPECT_EQ(Names(list), std::vector<std::string>{"photo.jpg"});
  // A bare entry that names an existing file is that file, not an extension.
  Make("JPG", 1);
  EntryList bare;
  ASSERT_EQ(BuildFolderList(paths_, Request("JPG"), &bare), 0);
  EXPECT_EQ(Names(bare), std::vector<std::string>{});  // "JPG" has no extension: skipped
  // Patterns with wildcards.
  EntryList pattern;
  ASSERT_EQ(BuildFolderList(paths_, Request("p*.JPG;o?her.*"), &pattern), 0);
  EXPECT_EQ(Names(pattern), (std::vector<std::string>{"photo.jpg", "other.jpg"}));
}

TEST_F(FolderListTest, TableOrderDecidesUnsortedOrderAndDuplicatesAreDropped) {
  Make("a.png");
  Make("b.jpg");
  EntryList list;
  ListRequest r = Request("PNG;JPG;jpg;*.png");
  r.file_path += ";" + root_.string() + "/";  // the same folder twice
  ASSERT_EQ(BuildFolderList(paths_, r, &list), 0);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a.png", "b.jpg"}));
  // Names differing only in case are two files here, and both are listed.
  Make("B.jpg");
  EntryList both;
  ASSERT_EQ(BuildFolderList(paths_, Request("JPG", kSortFileName), &both), 0);
  EXPECT_EQ(both.size(), 2u);
}

TEST_F(FolderListTest, MultiImageFilesGiveOneEntryPerImage) {
  Make("three.tif", 3);
  Make("pyramid.fpx", 1, 0, "FPX");
  EntryList single;
  ASSERT_EQ(BuildFolderList(paths_, Request("TIF;FPX", kSortFileName), &single), 0);
  EXPECT_EQ(Names(single), (std::vector<std::string>{"pyramid.fpx", "three.tif"}));
  ListRequest r = Request("TIF;FPX", kSortFileName);
  r.multi_image = true;
  EntryList multi;
  ASSERT_EQ(BuildFolderList(paths_, r, &multi), 0);
  // Format 16 stays one picture; the image number orders images of one file.
  EXPECT_EQ(Names(multi), (std::vector<std::string>{"pyramid.fpx", "three.tif", "three.tif#1", "three.tif#2"}));
  SetSortParameters({kSortFileName, kSortOrderInc, {}});
  EXPECT_LT(CompareEntries(paths_, multi[1], multi[2]), 0);
  EXPECT_EQ(SortKey(paths_, kSortFileName, multi[2]), "three.tif0001");
}

TEST_F(FolderListTest, SortKeysAndOrders) {
  // name, extension, date (age in seconds), folder
  Make("x/c.bmp", 1, 30);
  Make("x/a.png", 1, 10);
  Make("y/B.bmp", 1, 20);
  Make("y/d.png", 1, 40);
  ListRequest r = Request("BMP;PNG");
  r.file_path = (root_ / "y").string() + ";" + (root_ / "x").string() + "/";
  struct Case {
    int sort;
    std::vector<std::string> inc;
  };
  const Case cases[] = {
      {kSortFileName, {"a.png", "B.bmp", "c.bmp", "d.png"}},
      {kSortDate, {"d.png", "c.bmp", "B.bmp", "a.png"}},
      {kSortFileExtName, {"B.bmp", "c.bmp", "a.png", "d.png"}},
      {kSortFileExtDate, {"c.bmp", "B.bmp", "d.png", "a.png"}},
      {kSortDirFileName, {"a.png", "c.bmp", "B.bmp", "d.png"}},
      {kSortDirDate, {"c.bmp", "a.png", "d.png", "B.bmp"}},
      {kSortDirFileExtName, {"c.bmp", "a.png", "B.bmp", "d.png"}},
      {kSortDirFileExtDate, {"c.bmp", "a.png", "B.bmp", "d.png"}},
  };
  for (const Case& c : cases) {
    r.sort = c.sort;
    r.sort_order = kSortOrderInc;
    EntryList inc;
    ListReport report;
    ASSERT_EQ(BuildFolderList(paths_, r, &inc, &report), 0);
    EXPECT_TRUE(report.sorted);
    EXPECT_EQ(Names(inc), c.inc) << "sort " << c.sort;
    r.sort_order = kSortOrderDec;
    EntryList dec;
    ASSERT_EQ(BuildFolderList(paths_, r, &dec), 0);
    std::vector<std::string> reversed(c.inc.rbegin(), c.inc.rend());
    EXPECT_EQ(Names(dec), reversed) << "sort " << c.sort;
    EXPECT_EQ(CurrentSortParameters().sort, c.sort);
    EXPECT_EQ(CurrentSortParameters().sort_order, kSortOrderDec);
    // The process-wide comparison agrees with the order produced.
    for (size_t i = 1; i < dec.size(); ++i) EXPECT_LE(CompareEntries(paths_, dec[i - 1], dec[i]), 0);
  }
  // No sorting: folders in list order, files in table then directory order.
  r.sort = kSortNone;
  EntryList none;
  ASSERT_EQ(BuildFolderList(paths_, r, &none), 0);
  ASSERT_EQ(none.size(), 4u);
  EXPECT_EQ(none[0].folder, (root_ / "y").string());
  EXPECT_EQ(none[0].file_name, "B.bmp");
  EXPECT_EQ(none[2].folder, (root_ / "x").string());  // trailing "/" removed
}

TEST_F(FolderListTest, CreationAndAccessDatesAreRecorded) {
  Make("a.bmp", 1, 0);
  ListRequest r = Request("BMP");
  r.sort_date = kDateLastAccess;
  EntryList list;
  ASSERT_EQ(BuildFolderList(paths_, r, &list), 0);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(strnlen(list[0].date_text, kDateTextSize), 14u);
  r.sort_date = kDateCreation;
  EntryList created;
  ASSERT_EQ(BuildFolderList(paths_, r, &created), 0);
  EXPECT_EQ(strnlen(created[0].date_text, kDateTextSize), 14u);
}

TEST_F(FolderListTest, DeferredDatesAreTakenLaterOrWhenTheSortNeedsThem) {
  Make("b.bmp", 1, 10);
  Make("a.bmp", 1, 20);
  ListRequest r = Request("BMP", kSortFileName);
  r.defer_dates = true;
  EntryList list;
  ASSERT_EQ(BuildFolderList(paths_, r, &list), 0);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_TRUE(list[0].date_pending);
  EXPECT_STREQ(list[0].date_text, "");
  FillDateTexts(paths_, kDateLastWrite, &list);
  EXPECT_FALSE(list[0].date_pending);
  EXPECT_STREQ(list[0].date_text, "20231114221300");
  // A date sort takes the dates at once.
  r.sort = kSortDate;
  EntryList by_date;
  ASSERT_EQ(BuildFolderList(paths_, r, &by_date), 0);
  EXPECT_FALSE(by_date[0].date_pending);
  EXPECT_EQ(by_date[0].file_name, "a.bmp");
}

TEST_F(FolderListTest, AppendingListKeepsItsOrder) {
  for (const char* n : {"e.bmp", "d.bmp", "c.bmp", "b.bmp", "a.bmp"}) Make(n);
  EntryList list;
  ASSERT_EQ(BuildFolderList(paths_, Request("BMP", kSortFileName), &list), 0);
  ASSERT_EQ(list.size(), 5u);
  Make("0.bmp");
  Make("z.bmp");
  ListReport report;
  ASSERT_EQ(BuildFolderList(paths_, Request("BMP", kSortFileName), &list, &report), 0);
  EXPECT_FALSE(report.sorted);
  EXPECT_EQ(report.added, 2);
  ASSERT_EQ(list.size(), 7u);
  EXPECT_EQ(list[0].file_name, "a.bmp");
  // New entries go to the end, unsorted (directory order).
  std::vector<std::string> tail{list[5].file_name, list[6].file_name};
  std::sort(tail.begin(), tail.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"0.bmp", "z.bmp"}));
}

TEST_F(FolderListTest, ChangedFileDateFreesTheImage) {
  Make("a.bmp", 1, 100);
  EntryList list([](MVHANDLE) {});
  ASSERT_EQ(BuildFolderList(paths_, Request("BMP"), &list), 0);
  ASSERT_EQ(list.size(), 1u);
  list[0].image = 12345;
  ASSERT_EQ(BuildFolderList(paths_, Request("BMP"), &list), 0);
  EXPECT_EQ(list[0].image, 12345u);  // unchanged file keeps its image
  Make("a.bmp", 1, 50);
  ASSERT_EQ(BuildFolderList(paths_, Request("BMP"), &list), 0);
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].image, 0u);
}

TEST_F(FolderListTest, BadRequestsGiveStatusFive) {
  EntryList list;
  EXPECT_EQ(BuildFolderList(paths_, Request(""), &list), kStatusBadValue);
  ListRequest r = Request("BMP");
  r.file_path = "";
  EXPECT_EQ(BuildFolderList(paths_, r, &list), kStatusBadValue);
  r.file_path = "relative/folder";
  EXPECT_EQ(BuildFolderList(paths_, r, &list), kStatusBadValue);
  r.file_path = "/" + std::string(300, 'x');
  EXPECT_EQ(BuildFolderList(paths_, r, &list), kStatusBadValue);
  // A missing folder is searched and gives nothing.
  r.file_path = (root_ / "missing").string();
  EXPECT_EQ(BuildFolderList(paths_, r, &list), 0);
  EXPECT_TRUE(list.empty());
}

TEST_F(FolderListTest, PathsLongerThanTheBufferAreRefusedNotTruncated) {
  // The folder fits; folder + "/" + name does not.
  std::string folder = root_.string() + "/" + std::string(200 - root_.string().size(), 'd');
  fs::create_directories(folder);
  const std::string long_name = std::string(70, 'n') + ".bmp";
  const std::string short_name = "ok.bmp";
  ASSERT_GE(folder.size() + 1 + long_name.size(), kMaxPath);
  ASSERT_LT(folder.size() + 1 + short_name.size(), kMaxPath);
  Make(fs::path(folder).lexically_relative(root_) / long_name);
  Make(fs::path(folder).lexically_relative(root_) / short_name);
  // A file whose truncated name would exist must not be picked up instead.
  Make(fs::path(folder).lexically_relative(root_) / long_name.substr(0, kMaxPath - 2 - folder.size()));
  ListRequest r = Request("BMP");
  r.file_path = folder;
  EntryList list;
  ListReport report;
  ASSERT_EQ(BuildFolderList(paths_, r, &list, &report), 0);
  EXPECT_EQ(report.skipped_long_paths, 1);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].file_name, short_name);
}

TEST(EntryList, OwnsAndFreesImages) {
  static std::vector<MVHANDLE> freed;
  freed.clear();
  {
    EntryList list([](MVHANDLE h) { freed.push_back(h); });
    for (MVHANDLE h : {0u, 7u, 8u, 9u}) {
      ThumbnailEntry e;
      e.image = h;
      list.Append(std::move(e));
    }
    EXPECT_TRUE(list.Remove(1));
    EXPECT_FALSE(list.Remove(10));
    EXPECT_EQ(freed, std::vector<MVHANDLE>{7});
    list.FreeImage(1);
    EXPECT_EQ(list[1].image, 0u);
  }
  EXPECT_EQ(freed, (std::vector<MVHANDLE>{7, 8, 9}));  // 0 is never freed
}

TEST(ExtensionTable, MembershipIsSubstringOfUpperCasedEntries) {
  NativePathServices paths;
  const ExtensionTable table = {"jpg", "PNG", "photo.tif"};
  EXPECT_TRUE(ExtensionInTable(paths, "/a/b.JPG", table));
  EXPECT_TRUE(ExtensionInTable(paths, "b.png", table));
  EXPECT_TRUE(ExtensionInTable(paths, "x.TIF", table));
  EXPECT_FALSE(ExtensionInTable(paths, "x.gif", table));
  EXPECT_FALSE(ExtensionInTable(paths, "noext", table));
}

}  // namespace
}  // namespace file_list

namespace file_list {
namespace {

// Long shuffled lists: every entry reaches its sorted place carrying its own
// fields (the sort moves entries in place along permutation cycles).
TEST(SortEntriesTest, LongShuffledListsKeepEachEntryWhole) {
  NativePathServices paths;
  std::mt19937 rng(7);
  for (int n : {2, 3, 17, 500}) {
    EntryList list;
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back("f" + std::to_string(rng() % 100000) + "_" + std::to_string(i) + ".jpg");
    for (int i = 0; i < n; ++i) {
      ThumbnailEntry e;
      e.folder = "/pictures";
      e.file_name = names[i];
      e.selected = i;
      list.Append(std::move(e));
    }
    for (int order : {kSortOrderInc, kSortOrderDec}) {
      SortEntries(paths, {kSortFileName, order, {}}, &list);
      std::vector<std::string> expected = names;
      std::sort(expected.begin(), expected.end());
      if (order == kSortOrderDec) std::reverse(expected.begin(), expected.end());
      ASSERT_EQ(list.size(), static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) {
        EXPECT_EQ(list[i].file_name, expected[i]) << n << " entries, place " << i;
        EXPECT_EQ(names[list[i].selected], list[i].file_name) << "an entry's fields were split";
        EXPECT_EQ(list[i].folder, "/pictures");
      }
    }
  }
}

TEST(EntryList, AFullListRefusesEntriesAndFreesTheirImages) {
  static std::vector<MVHANDLE> freed;
  freed.clear();
  EntryList list([](MVHANDLE h) { freed.push_back(h); });
  EXPECT_EQ(list.max_entries(), kMaxEntries);
  list.SetMaxEntries(3);
  for (MVHANDLE h : {1u, 2u, 3u}) {
    ThumbnailEntry e;
    e.image = h;
    EXPECT_TRUE(list.Append(std::move(e)));
  }
  EXPECT_TRUE(list.full());
  ThumbnailEntry late;
  late.image = 4;
  EXPECT_FALSE(list.Append(std::move(late)));
  ThumbnailEntry inserted;
  inserted.image = 5;
  EXPECT_EQ(list.Insert(0, std::move(inserted)), EntryList::kNotInserted);
  EXPECT_EQ(freed, (std::vector<MVHANDLE>{4, 5}));
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].image, 1u);
  list.SetMaxEntries(100000);  // never above the 16-bit limit
  EXPECT_EQ(list.max_entries(), kMaxEntries);
  list.Clear();
}

TEST(EntryList, HoldsExactlyTheLargestSixteenBitCount) {
  EntryList list([](MVHANDLE) {});
  for (size_t i = 0; i < kMaxEntries; ++i) ASSERT_TRUE(list.Append(ThumbnailEntry{})) << i;
  EXPECT_FALSE(list.Append(ThumbnailEntry{}));
  ASSERT_EQ(list.size(), 32767u);
  // The last 1-based image number and the count fit a signed 16-bit value.
  EXPECT_EQ(static_cast<int16_t>(list.size()), 32767);
}

// Services that count how files are recognised.
class CountingServices : public NativePathServices {
 public:
  bool FileType(const std::string& path, int index, FileTypeInfo* info) const override {
    ++type_calls;
    return NativePathServices::FileType(path, index, info);
  }
  bool FileTypePages(const std::string& path, int max, std::vector<FileTypeInfo>* pages) const override {
    ++page_calls;
    largest_request = std::max(largest_request, max);
    return NativePathServices::FileTypePages(path, max, pages);
  }
  mutable int type_calls = 0;
  mutable int page_calls = 0;
  mutable int largest_request = 0;
};

TEST_F(FolderListTest, EachFileIsRecognisedByOneReading) {
  Make("a.tif", 4);
  Make("b.tif", 3);
  Make("c.tif", 1);
  CountingServices counting;
  counting.SetRecognizer(&Recognize);
  ListRequest r = Request("TIF");
  r.multi_image = true;
  EntryList list;
  ASSERT_EQ(BuildFolderList(counting, r, &list), 0);
  EXPECT_EQ(list.size(), 8u);
  EXPECT_EQ(counting.page_calls, 3);  // once per file, whatever its pages
  EXPECT_GE(counting.largest_request, 4);
}

TEST_F(FolderListTest, AFullListKeepsTheFirstEntriesInListingOrder) {
  // Twelve files over two folders and two extension entries.
  for (int i = 0; i < 6; ++i) Make("one/p" + std::to_string(11 - i) + ".jpg");
  for (int i = 0; i < 3; ++i) Make("one/q" + std::to_string(i) + ".png");
  for (int i = 0; i < 3; ++i) Make("two/r" + std::to_string(i) + ".jpg");
  ListRequest r = Request("JPG;PNG");
  r.file_path = (root_ / "one").string() + ";" + (root_ / "two").string();

  // The reference: the whole listing in its order, unsorted.
  EntryList all;
  ListReport all_report;
  ASSERT_EQ(BuildFolderList(paths_, r, &all, &all_report), 0);
  ASSERT_EQ(all.size(), 12u);
  EXPECT_FALSE(all_report.truncated);
  const std::vector<std::string> order = Names(all);

  for (size_t cap : {1u, 5u, 7u, 11u}) {
    EntryList list;
    list.SetMaxEntries(cap);
    ListReport report;
    ASSERT_EQ(BuildFolderList(paths_, r, &list, &report), 0);
    EXPECT_TRUE(report.truncated) << cap;
    EXPECT_EQ(Names(list), std::vector<std::string>(order.begin(), order.begin() + cap)) << cap;
  }
  // Exactly as many pictures as the list holds: nothing is left out.
  EntryList exact;
  exact.SetMaxEntries(12);
  ListReport exact_report;
  ASSERT_EQ(BuildFolderList(paths_, r, &exact, &exact_report), 0);
  EXPECT_FALSE(exact_report.truncated);
  EXPECT_EQ(exact.size(), 12u);

  // Sorted, the kept entries are the first ones of the listing, in order.
  r.sort = kSortFileName;
  EntryList sorted;
  sorted.SetMaxEntries(7);
  ListReport sorted_report;
  ASSERT_EQ(BuildFolderList(paths_, r, &sorted, &sorted_report), 0);
  EXPECT_TRUE(sorted_report.truncated);
  EXPECT_TRUE(sorted_report.sorted);
  std::vector<std::string> first(order.begin(), order.begin() + 7);
  std::sort(first.begin(), first.end());
  EXPECT_EQ(Names(sorted), first);
}

TEST_F(FolderListTest, AFullListStopsInsideAMultiImageFile) {
  Make("a.tif", 2);
  Make("b.tif", 5);
  ListRequest r = Request("TIF", kSortFileName);
  r.multi_image = true;
  EntryList list;
  list.SetMaxEntries(4);
  ListReport report;
  ASSERT_EQ(BuildFolderList(paths_, r, &list, &report), 0);
  EXPECT_TRUE(report.truncated);
  ASSERT_EQ(list.size(), 4u);
  // Whichever file came first is whole; the other gives its first images.
  std::vector<std::string> names = Names(list);
  const bool a_first = names[0] == "a.tif" && names[1] == "a.tif#1";
  if (a_first) {
    EXPECT_EQ(names, (std::vector<std::string>{"a.tif", "a.tif#1", "b.tif", "b.tif#1"}));
  } else {
    EXPECT_EQ(names, (std::vector<std::string>{"b.tif", "b.tif#1", "b.tif#2", "b.tif#3"}));
  }
}

}  // namespace
}  // namespace file_list

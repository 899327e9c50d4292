// Tests of the path helpers of libmv7file.so.
#include <gtest/gtest.h>

#include <string>

#include "imaging/dlls/mv7.h"

namespace {

std::string Ext(const char* path) {
  char ext[MV_EXT_ENTRY_SIZE] = "untouched";
  return GetFileExt(path, ext, sizeof ext) > 0 ? std::string(ext) : std::string("<none>");
}

TEST(GetFileExt, TakesTheLastComponentsExtensionUpperCased) {
  EXPECT_EQ(Ext("/pics/a.jpg"), "JPG");
  EXPECT_EQ(Ext("/pics/archive.tar.Gz"), "GZ");
  EXPECT_EQ(Ext("a.png"), "PNG");
  EXPECT_EQ(Ext("/pics.d/noext"), "<none>");  // the dot is in the folder
  EXPECT_EQ(Ext("/pics/trailing."), "<none>");
  EXPECT_EQ(Ext("/pics/.hidden"), "<none>");
  EXPECT_EQ(Ext("/pics/a.jpg/"), "<none>");
  EXPECT_EQ(Ext(""), "<none>");
  char small[3];
  EXPECT_EQ(GetFileExt("/p/a.jpeg", small, sizeof small), 0);  // does not fit
}

TEST(GetPathFileExt, SplitsTheListAndKeepsPatterns) {
  static char table[MV_EXT_TABLE_ENTRIES][MV_EXT_ENTRY_SIZE];
  table[5][0] = 'x';
  ASSERT_EQ(GetPathFileExt("/pics", "JPG;bmp, photo.jpg |*.pn?", table), 4);
  EXPECT_STREQ(table[0], "JPG");
  EXPECT_STREQ(table[1], "bmp");
  EXPECT_STREQ(table[2], "photo.jpg");
  EXPECT_STREQ(table[3], "*.pn?");
  EXPECT_STREQ(table[5], "");  // cleared
  EXPECT_EQ(GetPathFileExt("relative", "JPG", table), 0);
  EXPECT_EQ(GetPathFileExt(nullptr, "JPG", table), 0);

  const std::string too_long(MV_EXT_ENTRY_SIZE, 'e');
  EXPECT_EQ(GetPathFileExt("/pics", ("JPG;" + too_long + ";PNG").c_str(), table), 2);
  EXPECT_STREQ(table[1], "PNG");

  const int all = GetPathFileExt("/pics", "", table);
  EXPECT_GT(all, 5);
  EXPECT_EQ(GetPathFileExt("/pics", "*.*", table), all);
}

TEST(GetPathFileExt, StopsAtTheTableSize) {
  static char table[MV_EXT_TABLE_ENTRIES][MV_EXT_ENTRY_SIZE];
  std::string list;
  for (int i = 0; i < MV_EXT_TABLE_ENTRIES + 50; ++i) list += "E" + std::to_string(i) + ";";
  EXPECT_EQ(GetPathFileExt("/pics", list.c_str(), table), MV_EXT_TABLE_ENTRIES);
  EXPECT_STREQ(table[MV_EXT_TABLE_ENTRIES - 1], "E999");
}

TEST(GetPathDir, WalksAFolderListWithoutTrailingSeparators) {
  char dir[MV_MAX_PATH];
  ASSERT_NE(GetPathDir(0, "/a/b/;;/c;/", dir), 0);
  EXPECT_STREQ(dir, "/a/b");
  ASSERT_NE(GetPathDir(1, "/a/b/;;/c;/", dir), 0);
  EXPECT_STREQ(dir, "/c");
  ASSERT_NE(GetPathDir(2, "/a/b/;;/c;/", dir), 0);
  EXPECT_STREQ(dir, "/");  // the root keeps its separator
  EXPECT_EQ(GetPathDir(3, "/a/b/;;/c;/", dir), 0);
  EXPECT_EQ(GetPathDir(-1, "/a", dir), 0);
  // An over-long folder is left out, not cut short.
  const std::string list = "/" + std::string(MV_MAX_PATH, 'x') + ";/short";
  ASSERT_NE(GetPathDir(0, list.c_str(), dir), 0);
  EXPECT_STREQ(dir, "/short");
}

TEST(GetFullpathFilename, SplitsAtTheLastSeparator) {
  char dir[MV_MAX_PATH], name[MV_MAX_PATH];
  ASSERT_NE(GetFullpathFilename("/pics/2024/a.jpg", dir, name), 0);
  EXPECT_STREQ(dir, "/pics/2024");
  EXPECT_STREQ(name, "a.jpg");
  ASSERT_NE(GetFullpathFilename("/a.jpg", dir, name), 0);
  EXPECT_STREQ(dir, "/");
  ASSERT_NE(GetFullpathFilename("bare.jpg", dir, name), 0);
  EXPECT_STREQ(dir, "");
  EXPECT_STREQ(name, "bare.jpg");
  EXPECT_EQ(GetFullpathFilename("/pics/", dir, name), 0);  // trailing separator: no name
}

TEST(PageSuffix, ReadsAndCutsTheImageNumber) {
  EXPECT_EQ(GetPagefromFilename("/p/scan.tif|2"), 2);
  EXPECT_EQ(GetPagefromFilename("/p/scan.tif"), 0);
  EXPECT_EQ(GetPagefromFilename("/p/scan.tif|"), 0);
  EXPECT_EQ(GetPagefromFilename("/p/scan.tif|x2"), 0);
  EXPECT_EQ(GetPagefromFilename("/p/scan.tif|40000"), 0);  // beyond a 16-bit number
  EXPECT_EQ(GetPagefromFilename("/p/a|b.tif|12"), 12);

  char out[MV_MAX_PATH];
  ASSERT_NE(CutPagefromFilename("/p/scan.tif|2", out), 0);
  EXPECT_STREQ(out, "/p/scan.tif");
  ASSERT_NE(CutPagefromFilename("/p/scan.tif", out), 0);
  EXPECT_STREQ(out, "/p/scan.tif");
  char in_place[MV_MAX_PATH] = "/p/a.gif|7";
  ASSERT_NE(CutPagefromFilename(in_place, in_place), 0);
  EXPECT_STREQ(in_place, "/p/a.gif");
}

TEST(IsSetDrive, AcceptsAbsolutePathsAndLists) {
  EXPECT_NE(IsSetDrive("/"), 0);
  EXPECT_NE(IsSetDrive("/pics"), 0);
  EXPECT_NE(IsSetDrive("/pics;/more/"), 0);
  EXPECT_EQ(IsSetDrive("pics"), 0);
  EXPECT_EQ(IsSetDrive("/pics;relative"), 0);
  EXPECT_EQ(IsSetDrive(""), 0);
  EXPECT_EQ(IsSetDrive(";"), 0);
  EXPECT_EQ(IsSetDrive(nullptr), 0);
}

TEST(SetTermYEN, AddsOneSeparator) {
  char path[MV_MAX_PATH] = "/pics";
  ASSERT_NE(SetTermYEN(path), 0);
  EXPECT_STREQ(path, "/pics/");
  ASSERT_NE(SetTermYEN(path), 0);
  EXPECT_STREQ(path, "/pics/");
  char empty[MV_MAX_PATH] = "";
  ASSERT_NE(SetTermYEN(empty), 0);
  EXPECT_STREQ(empty, "");
  // 259 characters fill the buffer: no room for the separator.
  char full[MV_MAX_PATH];
  std::string text = "/" + std::string(MV_MAX_PATH - 2, 'x');
  std::copy(text.c_str(), text.c_str() + text.size() + 1, full);
  EXPECT_EQ(SetTermYEN(full), 0);
  EXPECT_EQ(std::string(full), text);
}

TEST(PathLimit, RefusesPathsOf260BytesOrMore) {
  const std::string at_limit = "/" + std::string(MV_MAX_PATH - 1, 'a') ;  // 260 bytes
  const std::string below = "/" + std::string(MV_MAX_PATH - 6, 'a') + ".jpg";  // 259 bytes
  ASSERT_EQ(at_limit.size(), 260u);
  ASSERT_EQ(below.size(), 259u);
  char ext[MV_EXT_ENTRY_SIZE], dir[MV_MAX_PATH], name[MV_MAX_PATH], date[MV_DATE_TEXT_SIZE];
  EXPECT_GT(GetFileExt(below.c_str(), ext, sizeof ext), 0);
  EXPECT_EQ(GetFileExt((at_limit + ".jpg").c_str(), ext, sizeof ext), 0);
  EXPECT_NE(IsSetDrive(below.c_str()), 0);
  EXPECT_EQ(IsSetDrive(at_limit.c_str()), 0);
  EXPECT_EQ(GetFullpathFilename(at_limit.c_str(), dir, name), 0);
  EXPECT_EQ(CutPagefromFilename(at_limit.c_str(), name), 0);
  EXPECT_EQ(DataFileExist(at_limit.c_str()), 0);
  EXPECT_EQ(DataFileNameSize(at_limit.c_str()), -1);
  EXPECT_EQ(DataFileReadOpen(at_limit.c_str()), -1);
  EXPECT_EQ(DataFileCreateOpen(at_limit.c_str()), -1);
  EXPECT_EQ(GetPathFileDateTime(at_limit.c_str(), date), 0);
  MVFileInfo info{};
  EXPECT_EQ(MVFileType(at_limit.c_str(), 0, &info), 0);
  EXPECT_EQ(MVFileLoad(at_limit.c_str(), 0, 0, 0, 0, 0, 0, 0), 0u);
}

}  // namespace

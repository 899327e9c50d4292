// Tests of the file I/O and file-time entries of libmv7file.so.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "imaging/dlls/mv7.h"
#include "imaging/dlls/testing/test_pictures.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(DataFile, WritesThenReadsBack) {
  mv7test::TempFolder tmp;
  const std::string path = tmp.File("cache.bin");
  const int32_t out = DataFileCreateOpen(path.c_str());
  ASSERT_GE(out, 1);
  EXPECT_EQ(__hwrite(out, "hello ", 6), 6);
  EXPECT_EQ(__hwrite(out, "world", 5), 5);
  EXPECT_EQ(DataFileExist(path.c_str()), 0);  // nothing visible before the close
  EXPECT_EQ(DataFileClose(out), 0);
  EXPECT_NE(DataFileExist(path.c_str()), 0);
  EXPECT_EQ(DataFileNameSize(path.c_str()), 11);

  const int32_t in = DataFileReadOpen(path.c_str());
  ASSERT_GE(in, 1);
  char buf[32] = {};
  EXPECT_EQ(__hread(in, buf, 4), 4);
  EXPECT_EQ(__hread(in, buf + 4, 100), 7);  // short at the end
  EXPECT_EQ(__hread(in, buf, 10), 0);
  EXPECT_STREQ(buf, "hello world");
  EXPECT_EQ(__hwrite(in, "x", 1), -1);  // opened for reading
  EXPECT_EQ(DataFileClose(in), 0);
  EXPECT_EQ(DataFileClose(in), -1);     // closed already
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 1);  // no temp files left
}

TEST(DataFile, FailedWriteKeepsTheOldFile) {
  mv7test::TempFolder tmp;
  const std::string path = tmp.File("keep.bin");
  { std::ofstream(path) << "old contents"; }
  const int32_t out = DataFileCreateOpen(path.c_str());
  ASSERT_GE(out, 1);
  EXPECT_EQ(__hwrite(out, "new", 3), 3);
  EXPECT_EQ(__hwrite(out, nullptr, 5), -1);  // a failed write
  EXPECT_EQ(DataFileClose(out), -1);
  EXPECT_EQ(ReadAll(path), "old contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 1);
}

TEST(DataFile, ReplacesAnOldFileWhole) {
  mv7test::TempFolder tmp;
  const std::string path = tmp.File("replace.bin");
  { std::ofstream(path) << "a much longer old text"; }
  const int32_t out = DataFileCreateOpen(path.c_str());
  ASSERT_GE(out, 1);
  EXPECT_EQ(__hwrite(out, "new", 3), 3);
  EXPECT_EQ(DataFileClose(out), 0);
  EXPECT_EQ(ReadAll(path), "new");
}

TEST(DataFile, RefusesMissingFilesFoldersAndBadNumbers) {
  mv7test::TempFolder tmp;
  EXPECT_EQ(DataFileReadOpen(tmp.File("missing").c_str()), -1);
  EXPECT_EQ(DataFileReadOpen(tmp.path().c_str()), -1);
  EXPECT_EQ(DataFileExist(tmp.path().c_str()), 0);
  EXPECT_EQ(DataFileNameSize(tmp.path().c_str()), -1);
  EXPECT_EQ(DataFileNameSize(tmp.File("missing").c_str()), -1);
  EXPECT_EQ(DataFileCreateOpen(tmp.File("no/such/folder.bin").c_str()), -1);
  EXPECT_EQ(DataFileCreateOpen((tmp.path() + "/").c_str()), -1);
  EXPECT_EQ(DataFileDelete(tmp.File("missing").c_str()), 0);
  EXPECT_EQ(DataFileDelete(tmp.path().c_str()), 0);
  char buf[4];
  EXPECT_EQ(__hread(777, buf, 4), -1);
  EXPECT_EQ(__hwrite(777, buf, 4), -1);
  EXPECT_EQ(DataFileClose(777), -1);

  const std::string path = tmp.File("empty");
  { std::ofstream(path).flush(); }
  EXPECT_EQ(DataFileNameSize(path.c_str()), 0);
  EXPECT_NE(DataFileDelete(path.c_str()), 0);
  EXPECT_EQ(DataFileExist(path.c_str()), 0);
}

TEST(FileDateTime, GivesSortableUtcText) {
  mv7test::TempFolder tmp;
  const std::string path = tmp.File("dated");
  { std::ofstream(path) << "x"; }
  struct utimbuf times;
  times.actime = 946684800;   // 2000-01-01 00:00:00 UTC
  times.modtime = 1700000000; // 2023-11-14 22:13:20 UTC
  ASSERT_EQ(::utime(path.c_str(), &times), 0);
  char date[MV_DATE_TEXT_SIZE];
  ASSERT_NE(GetPathFileDateTime(path.c_str(), date), 0);
  EXPECT_STREQ(date, "20231114221320");
  ASSERT_NE(GetFileDateTimeEx(path.c_str(), MV_DATE_LAST_ACCESS, date), 0);
  EXPECT_STREQ(date, "20000101000000");
  ASSERT_NE(GetFileDateTimeEx(path.c_str(), MV_DATE_CREATION, date), 0);
  EXPECT_EQ(std::strlen(date), 14u);
  EXPECT_EQ(GetFileDateTimeEx(path.c_str(), 3, date), 0);
  EXPECT_EQ(GetPathFileDateTime(tmp.File("missing").c_str(), date), 0);
}

}  // namespace

#include "viewer_common/file_list/path_services.h"

#include <gtest/gtest.h>

namespace file_list {
namespace {

TEST(NativePathServices, SplitsExtensionsAndFolders) {
  NativePathServices p;
  ExtensionTable t;
  EXPECT_EQ(p.SplitExtensions("/a", "BMP;JPG, png |*.tif;;", &t), 4);
  EXPECT_EQ(t, (ExtensionTable{"BMP", "JPG", "png", "*.tif"}));
  EXPECT_EQ(p.SplitExtensions("relative", "BMP", &t), 0);
  // An entry too long for its 64 bytes is left out, not cut.
  EXPECT_EQ(p.SplitExtensions("/a", std::string(64, 'X') + ";JPG", &t), 1);
  std::string many;
  for (int i = 0; i < 1200; ++i) many += "E" + std::to_string(i) + ";";
  EXPECT_EQ(p.SplitExtensions("/a", many, &t), 1000);

  std::string dir;
  ASSERT_TRUE(p.FolderAt(0, "/one/;/two;/", &dir));
  EXPECT_EQ(dir, "/one");
  ASSERT_TRUE(p.FolderAt(2, "/one/;/two;/", &dir));
  EXPECT_EQ(dir, "/");
  EXPECT_FALSE(p.FolderAt(3, "/one/;/two;/", &dir));
  EXPECT_TRUE(p.IsSetDrive("/a;/b"));
  EXPECT_FALSE(p.IsSetDrive("/a;b"));
  EXPECT_FALSE(p.IsSetDrive(""));
}

TEST(NativePathServices, ExtensionsAndDates) {
  NativePathServices p;
  std::string ext;
  ASSERT_TRUE(p.FileExt("/x/a.b.jpeg", &ext));
  EXPECT_EQ(ext, "JPEG");
  EXPECT_FALSE(p.FileExt("/x.d/noext", &ext));
  EXPECT_FALSE(p.FileExt(".profile", &ext));
  EXPECT_FALSE(p.FileExt("a.", &ext));
  char date[kDateTextSize];
  FormatDateText(0, date);
  EXPECT_STREQ(date, "19700101000000");
  FormatDateText(1700000000, date);
  EXPECT_STREQ(date, "20231114221320");
  EXPECT_FALSE(p.DateText("/no/such/file", kDateLastWrite, date));
  EXPECT_STREQ(date, "");
  EXPECT_EQ(p.FileNameSize("/no/such/file"), -1);
  EXPECT_EQ(p.FileNameSize("/"), -1);
}

}  // namespace
}  // namespace file_list

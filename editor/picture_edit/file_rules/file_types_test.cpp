#include "editor/picture_edit/file_rules/file_types.h"

#include <gtest/gtest.h>

namespace ruvel::file_rules {
namespace {

TEST(FileTypes, ExtensionIsTakenFromTheFileNameOnly) {
  EXPECT_EQ(ExtensionOf("/a/b.JPG"), QString("JPG"));
  EXPECT_EQ(ExtensionOf("/a/b.tar.gz"), QString("gz"));
  EXPECT_EQ(ExtensionOf("/a.d/photo"), QString());  // dot in a folder name
  EXPECT_EQ(ExtensionOf("/a/photo."), QString());
  EXPECT_EQ(ExtensionOf(""), QString());
  EXPECT_EQ(WithoutExtension("/a.d/photo"), QString("/a.d/photo"));
  EXPECT_EQ(WithoutExtension("/a.d/b.x.png"), QString("/a.d/b.x"));
}

TEST(FileTypes, TypeCodesAndBack) {
  EXPECT_EQ(FileTypeCode("bmp"), 1);
  EXPECT_EQ(FileTypeCode("jpg"), 2);
  EXPECT_EQ(FileTypeCode("gif"), 4);
  EXPECT_EQ(FileTypeCode("tif"), 5);
  EXPECT_EQ(FileTypeCode("png"), 12);
  EXPECT_EQ(FileTypeCode("fpx"), 13);
  EXPECT_EQ(FileTypeCode("pcx"), 16);
  EXPECT_EQ(FileTypeCode("PNG"), 12);
  // Longer spellings write the format their name promises.
  EXPECT_EQ(FileTypeCode("jpeg"), 2);
  EXPECT_EQ(FileTypeCode("TIFF"), 5);
  EXPECT_EQ(FileTypeCode("jp2"), 21);
  EXPECT_EQ(FileTypeCode("j2k"), 22);
  EXPECT_EQ(FileTypeCode("jpc"), 22);
  EXPECT_EQ(FileTypeCode("txt"), 0);
  EXPECT_EQ(FileTypeCode(""), 0);

  for (int code : {1, 2, 4, 5, 12, 13, 16, 21, 22}) {
    EXPECT_EQ(FileTypeCode(ExtensionForTypeCode(code)), code) << code;
  }
  EXPECT_EQ(ExtensionForTypeCode(0), QString("bmp"));
  EXPECT_EQ(ExtensionForTypeCode(3), QString());
}

TEST(FileTypes, VectorFilesAndDrops) {
  EXPECT_TRUE(IsVectorFile("/p/x.emf"));
  EXPECT_TRUE(IsVectorFile("/p/x.EMF"));
  EXPECT_TRUE(IsVectorFile("/p/x.Wmf"));
  EXPECT_TRUE(IsVectorFile("/p/x.dxf"));
  EXPECT_FALSE(IsVectorFile("/p/x.svg"));
  EXPECT_FALSE(IsVectorFile("/p/emf"));
  EXPECT_FALSE(IsVectorFile("/p/x.em"));

  EXPECT_TRUE(AcceptsDroppedFile("/p/a.jpg", kExtensionList));
  EXPECT_TRUE(AcceptsDroppedFile("/p/a.J2K", kExtensionList));
  EXPECT_TRUE(AcceptsDroppedFile("/p/a.sfc", kExtensionList));
  EXPECT_FALSE(AcceptsDroppedFile("/p/a.txt", kExtensionList));
  // Parts of an entry, empty extensions and names without one are refused.
  EXPECT_FALSE(AcceptsDroppedFile("/p/a.jp", kExtensionList));
  EXPECT_FALSE(AcceptsDroppedFile("/p/a.P", kExtensionList));
  EXPECT_FALSE(AcceptsDroppedFile("/p/a.", kExtensionList));
  EXPECT_FALSE(AcceptsDroppedFile("/p.jpg/readme", kExtensionList));
  EXPECT_FALSE(AcceptsDroppedFile("/p/a.jpg", ""));
}

TEST(FileTypes, DepthCodes) {
  EXPECT_EQ(DepthCodeOf(8, true), 80);
  EXPECT_EQ(DepthCodeOf(4, true), 40);
  EXPECT_EQ(DepthCodeOf(8, false), 8);
  EXPECT_EQ(DepthCodeOf(1, true), 1);
  EXPECT_EQ(DepthCodeOf(24, true), 24);
  EXPECT_EQ(ParseDepthCode("24."), 24);
  EXPECT_EQ(ParseDepthCode("80"), 80);
  EXPECT_EQ(ParseDepthCode(""), 0);
  EXPECT_EQ(ParseDepthCode("."), 0);
  EXPECT_EQ(ParseDepthCode("x."), 0);
}

TEST(FileTypes, DepthConversionBeforeSaving) {
  const int all[] = {1, 4, 40, 8, 80, 16, 24, 32};
  for (int depth : all) {
    SCOPED_TRACE(depth);
    const bool jpg_ok = depth == 80 || depth == 24;
    const bool png_ok = depth != 16 && depth != 32;
    const bool gif_ok = depth <= 8 || depth == 40 || depth == 80;
    for (const char* ext : {"jpg", "JPG", "jpeg", "fpx"}) {
      EXPECT_EQ(SaveDepthConversion(ext, depth), jpg_ok ? std::nullopt : std::optional<int>(24)) << ext;
    }
    for (const char* ext : {"png", "pcx"}) {
      EXPECT_EQ(SaveDepthConversion(ext, depth), png_ok ? std::nullopt : std::optional<int>(24)) << ext;
    }
    EXPECT_EQ(SaveDepthConversion("gif", depth), gif_ok ? std::nullopt : std::optional<int>(8));
    for (const char* ext : {"bmp", "tif", "xyz", ""}) {
      EXPECT_EQ(SaveDepthConversion(ext, depth), std::nullopt) << ext;
    }
  }
  // A membership test on whole codes: 4 is not found inside 40, nor 8 in 80.
  EXPECT_EQ(SaveDepthConversion("jpg", 8), std::optional<int>(24));
  EXPECT_EQ(SaveDepthConversion("jpg", 4), std::optional<int>(24));
  EXPECT_EQ(SaveDepthConversion("jpg", 0), std::optional<int>(24));
}

}  // namespace
}  // namespace ruvel::file_rules

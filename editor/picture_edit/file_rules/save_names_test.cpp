#include "editor/picture_edit/file_rules/save_names.h"

#include <QSet>
#include <gtest/gtest.h>

namespace ruvel::file_rules {
namespace {

TEST(SaveNames, ExtensionIsLowerCasedAndRemembered) {
  QString remembered;
  SaveName n = ResolveSaveName("/a/b.JPG", &remembered, false);
  EXPECT_EQ(n.target, QString("/a/b.jpg"));
  EXPECT_EQ(n.extension, QString("jpg"));
  EXPECT_FALSE(n.extension_defaulted);
  EXPECT_EQ(remembered, QString("jpg"));
  EXPECT_EQ(SaveFolderOf(n.target), QString("/a"));

  n = ResolveSaveName("/x.y/Pic.PnG", &remembered, true);
  EXPECT_EQ(n.target, QString("/x.y/Pic.png"));
  EXPECT_EQ(remembered, QString("png"));
}

TEST(SaveNames, NameWithoutExtension) {
  // After a save to a png file the next bare name gets png.
  QString remembered = "png";
  SaveName n = ResolveSaveName("/a/photo", &remembered, false);
  EXPECT_EQ(n.target, QString("/a/photo.png"));
  EXPECT_EQ(n.extension, QString("png"));
  EXPECT_TRUE(n.extension_defaulted);
  EXPECT_EQ(remembered, QString("png"));

  // Nothing remembered: bmp without the dialog, jpg with it; remembered after.
  remembered.clear();
  n = ResolveSaveName("/a/photo", &remembered, false);
  EXPECT_EQ(n.target, QString("/a/photo.bmp"));
  EXPECT_EQ(remembered, QString("bmp"));
  remembered.clear();
  n = ResolveSaveName("/a/photo", &remembered, true);
  EXPECT_EQ(n.target, QString("/a/photo.jpg"));
  EXPECT_EQ(remembered, QString("jpg"));

  // A dot in the folder is no extension; a trailing dot is not doubled.
  remembered = "gif";
  EXPECT_EQ(ResolveSaveName("/a.b/photo", &remembered, false).target, QString("/a.b/photo.gif"));
  EXPECT_EQ(ResolveSaveName("/a/photo.", &remembered, false).target, QString("/a/photo.gif"));
}

TEST(SaveNames, SaveFolder) {
  EXPECT_EQ(SaveFolderOf("/a/b/c.png"), QString("/a/b"));
  EXPECT_EQ(SaveFolderOf("/c.png"), QString("/"));
  EXPECT_EQ(SaveFolderOf("c.png"), QString());
}

TEST(SaveNames, CopyNamesSkipTakenOnes) {
  QSet<QString> taken;
  auto exists = [&](const QString& p) { return taken.contains(p); };
  EXPECT_EQ(NextCopyName("/p/a.jpg", exists), std::optional<QString>("/p/a~01.jpg"));
  EXPECT_EQ(NextCopyName("/p/a~07.jpg", exists), std::optional<QString>("/p/a~08.jpg"));
  EXPECT_EQ(NextCopyName("/p/a.JPG", exists), std::optional<QString>("/p/a~01.jpg"));
  // A "~" that is not followed by a number starts again from 01.
  EXPECT_EQ(NextCopyName("/p/a~b.png", exists), std::optional<QString>("/p/a~01.png"));
  // A "~" in a folder name is left alone.
  EXPECT_EQ(NextCopyName("/p~3/a.png", exists), std::optional<QString>("/p~3/a~01.png"));
  EXPECT_EQ(NextCopyName("/p/a~123.png", exists), std::optional<QString>("/p/a~124.png"));

  taken = {"/p/a~01.jpg", "/p/a~02.jpg", "/p/a~04.jpg"};
  EXPECT_EQ(NextCopyName("/p/a.jpg", exists), std::optional<QString>("/p/a~03.jpg"));
  EXPECT_EQ(NextCopyName("/p/a~02.jpg", exists), std::optional<QString>("/p/a~03.jpg"));
}

TEST(SaveNames, CopyNamesRunOutAfterOneHundred) {
  QSet<QString> taken;
  for (int i = 1; i <= 99; ++i) taken.insert(QString("/p/a~%1.jpg").arg(i, 2, 10, QChar('0')));
  auto exists = [&](const QString& p) { return taken.contains(p); };
  EXPECT_EQ(NextCopyName("/p/a.jpg", exists), std::optional<QString>("/p/a~100.jpg"));
  taken.insert("/p/a~100.jpg");
  EXPECT_EQ(NextCopyName("/p/a.jpg", exists), std::nullopt);
  EXPECT_EQ(NextCopyName("/p/a~100.jpg", [](const QString&) { return true; }), std::nullopt);
}

TEST(SaveNames, CopyNeedsAnExtension) {
  auto none = [](const QString&) { return false; };
  EXPECT_EQ(NextCopyName("", none), std::nullopt);
  EXPECT_EQ(NextCopyName("/p/picture", none), std::nullopt);
  EXPECT_EQ(NextCopyName("/p.d/picture", none), std::nullopt);
}

TEST(SaveNames, NumberedSaves) {
  EXPECT_EQ(NextSaveNumber({}), 0);
  EXPECT_EQ(NextSaveNumber({"00003.bmp"}), 4);
  EXPECT_EQ(NextSaveNumber({"00003.bmp", "00010.bmp", "00007.bmp"}), 11);
  EXPECT_EQ(NextSaveNumber({"notes.bmp"}), 1);
  EXPECT_EQ(NextSaveNumber({"12a.bmp", "00002.bmp"}), 3);
  EXPECT_EQ(NextSaveNumber({"99999999999999.bmp"}), 1);
  EXPECT_EQ(NumberedSavePath("/u/", 0), QString("/u/Temp/00000.bmp"));
  EXPECT_EQ(NumberedSavePath("/u/", 4), QString("/u/Temp/00004.bmp"));
  EXPECT_EQ(NumberedSavePath("/u/", 123456), QString("/u/Temp/123456.bmp"));
}

TEST(SaveNames, JpegQualityAnswers) {
  EXPECT_EQ(ParseJpegQualityAnswer("150"), std::optional<int>(100));
  EXPECT_EQ(ParseJpegQualityAnswer("5"), std::optional<int>(20));
  EXPECT_EQ(ParseJpegQualityAnswer("75"), std::optional<int>(75));
  EXPECT_EQ(ParseJpegQualityAnswer(" 60 "), std::optional<int>(60));
  EXPECT_EQ(ParseJpegQualityAnswer("90abc"), std::optional<int>(90));
  EXPECT_EQ(ParseJpegQualityAnswer("70.6"), std::optional<int>(71));
  EXPECT_EQ(ParseJpegQualityAnswer("-5"), std::optional<int>(20));
  EXPECT_EQ(ParseJpegQualityAnswer("99999999999999999999"), std::optional<int>(100));
  EXPECT_EQ(ParseJpegQualityAnswer(""), std::nullopt);
  EXPECT_EQ(ParseJpegQualityAnswer("abc"), std::nullopt);
  EXPECT_EQ(ParseJpegQualityAnswer("0"), std::nullopt);
  EXPECT_EQ(ParseJpegQualityAnswer("0.2"), std::nullopt);
  EXPECT_EQ(ParseJpegQualityAnswer("."), std::nullopt);
}

}  // namespace
}  // namespace ruvel::file_rules

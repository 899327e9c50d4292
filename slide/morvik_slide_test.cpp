// The slideshow control through its dispatch interface: put rules and
// defaults, status codes, list building from slide list files and folders,
// the ends of the list, the timer, transitions and their Progress percents,
// shuffle and the folder watch.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <set>

#include "slide/slide_ids.h"
#include "slide/slide_list.h"
#include "slide/slide_test_support.h"

namespace slide {
namespace {

using namespace hosting;
using slidetest::Harness;

class SlideDispatchTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString Path(const QString& name) const { return dir_.filePath(name); }
  std::u16string U(const QString& s) const { return s.toStdU16String(); }
  // A folder of pictures named a.png, b.png, ... in distinct colours.
  QString MakeFolder(const QString& name, int count) {
    QDir(dir_.path()).mkdir(name);
    for (int i = 0; i < count; ++i)
      EXPECT_TRUE(slidetest::WritePicture(Path(name + "/" + QChar('a' + i) + ".png"), 40, 30,
                                          QColor::fromHsv(i * 40 % 360, 200, 200)));
    return Path(name);
  }
  void OpenFolder(Harness& h, const QString& folder, int way = mvFolder) {
    EXPECT_EQ(h.Put(kFileReadWay, way), S_OK);
    EXPECT_EQ(h.Put(kFilePath, U(folder)), S_OK);
    ASSERT_EQ(h.Call(kOpen), 1) << h.Status();
  }
  QTemporaryDir dir_;
};

TEST_F(SlideDispatchTest, DefaultsAndPutRules) {
  Harness h;
  EXPECT_EQ(h.Status(), 0);
  EXPECT_EQ(h.GetInt(kMaxImage), 0);
  EXPECT_EQ(h.Get(kFileExt).AsString(), kDefaultFileExt);
  EXPECT_EQ(h.Get(kBackColor).AsColor(), 0xFFFFFFu);
  EXPECT_EQ(h.GetInt(kAppearance), mvLowered);
  EXPECT_EQ(h.GetInt(kSortDate), 1);
  EXPECT_EQ(h.GetInt(kScrollSize), 1);
  EXPECT_FALSE(h.Get(kShuffle).AsBool());
  EXPECT_FALSE(h.Get(kWatchFolder).AsBool());

  EXPECT_EQ(h.Put(kAppearance, 3), S_FALSE);
  EXPECT_EQ(h.GetInt(kAppearance), mvLowered);
  for (auto [id, bad] : {std::pair{kScrollDir, 5}, {kSort, 9}, {kSortOrder, 2}, {kSortDate, 3}, {kFileReadWay, 3}}) {
    const int before = h.GetInt(id);
    EXPECT_EQ(h.Put(id, bad), S_OK) << id;
    EXPECT_EQ(h.GetInt(id), before) << id;
  }
  h.TakeEvents("changed");
  for (DispId id : {kIntervalTime, kCurrentImage, kMaxImage, kScrollSize}) {
    const int before = h.GetInt(id);
    EXPECT_EQ(h.Put(id, -1), S_OK);
    EXPECT_EQ(h.GetInt(id), before);
  }
  EXPECT_TRUE(h.TakeEvents("changed").empty());  // dropped values announce nothing
  EXPECT_EQ(h.Put(kScrollSize, 0), S_OK);
  EXPECT_EQ(h.GetInt(kScrollSize), 0);
  EXPECT_EQ(h.TakeEvents("changed"), std::vector<std::string>{"changed ScrollSize (28)"});

  EXPECT_EQ(h.Put(kFilePath, u"/pictures/"), S_OK);
  EXPECT_EQ(h.Get(kFilePath).AsString(), u"/pictures");
  EXPECT_EQ(h.Put(kFilePath, u"/"), S_OK);
  EXPECT_EQ(h.Get(kFilePath).AsString(), u"/");
  EXPECT_EQ(h.Put(kFilePath, u"/写真/"), S_OK);
  EXPECT_EQ(h.Get(kFilePath).AsString(), u"/写真");
}

TEST_F(SlideDispatchTest, StatusCodesWithoutAList) {
  Harness h;
  for (DispId m : {kStop, kClose, kStart, kGoNext, kGoBack, kGoTop, kGoBottom}) {
    EXPECT_EQ(h.Call(m), 0) << m;
    EXPECT_EQ(h.Status(), kStatusWrongState) << m;
  }
  // Clear leaves the status alone.
  h.Call(kClear);
  EXPECT_EQ(h.Status(), kStatusWrongState);
  // Open with nothing usable.
  EXPECT_EQ(h.Call(kOpen), 0);
  EXPECT_EQ(h.Status(), kStatusListFailed);  // empty SlideFileName
  h.Put(kSlideFileName, U(Path("missing.txt")));
  EXPECT_EQ(h.Call(kOpen), 0);
  EXPECT_EQ(h.Status(), kStatusListFailed);
  h.Put(kSlideFileName, u"relative.txt");
  EXPECT_EQ(h.Call(kOpen), 0);
  EXPECT_EQ(h.Status(), kStatusListFailed);
  h.Put(kFileReadWay, mvFolder);
  h.Put(kFilePath, U(Path("nothing")));
  EXPECT_EQ(h.Call(kOpen), 0);
  EXPECT_EQ(h.Status(), kStatusListFailed);
  EXPECT_FALSE(h.control()->ListOpen());
}

TEST_F(SlideDispatchTest, SlideListFileCountsOnlyPicturesAndOpensEmpty) {
  ASSERT_TRUE(slidetest::WritePicture(Path("a.png"), 20, 20, Qt::red));
  ASSERT_TRUE(slidetest::WritePicture(Path("b.bmp"), 20, 20, Qt::green));
  ASSERT_TRUE(slidetest::WritePicture(Path("c.jpg"), 20, 20, Qt::blue));
  ASSERT_TRUE(slidetest::WriteBytes(Path("not_a_picture.png"), "hello"));
  const std::string list = (Path("a.png") + "\r\n" + Path("gone.png") + "\n\n" + Path("b.bmp") + "\n" +
                            Path("not_a_picture.png") + "\n" + Path("c.jpg")).toStdString();  // no final newline
  ASSERT_TRUE(slidetest::WriteBytes(Path("list.txt"), list));
  Harness h;
  h.Put(kSlideFileName, U(Path("list.txt")));
  EXPECT_EQ(h.Call(kOpen), 1);
  EXPECT_EQ(h.GetInt(kMaxImage), 3);
  EXPECT_EQ(h.Call(kOpen), 0);  // a list is already open; the first stays
  EXPECT_EQ(h.Status(), kStatusWrongState);
  EXPECT_EQ(h.GetInt(kMaxImage), 3);
  EXPECT_EQ(h.Call(kClose), 1);
  EXPECT_EQ(h.GetInt(kMaxImage), 0);

  ASSERT_TRUE(slidetest::WriteBytes(Path("empty.txt"), ""));
  h.Put(kSlideFileName, U(Path("empty.txt")));
  EXPECT_EQ(h.Call(kOpen), 1);
  EXPECT_EQ(h.GetInt(kMaxImage), 0);
  // An open list without entries: nothing to read, nothing shown.
  h.TakeEvents();
  EXPECT_EQ(h.Call(kStart), 0);
  EXPECT_EQ(h.Status(), kStatusLoadFailed);
  EXPECT_EQ(h.Call(kGoNext), 0);
  EXPECT_EQ(h.Call(kGoBottom), 0);
  EXPECT_TRUE(h.TakeEvents().empty());
}

TEST_F(SlideDispatchTest, SlideListLinesRefusedWholeAndImageNumbers) {
  ASSERT_TRUE(slidetest::WriteMultiPageTiff(Path("m.tif"), 16, 16, {Qt::red, Qt::green, Qt::blue}));
  const std::string long_line = "/" + std::string(300, 'x') + "/" + Path("m.tif").toStdString();
  const std::string list = Path("m.tif").toStdString() + "|2\n" + long_line + "\n" + Path("m.tif").toStdString() +
                           "|7\n" + Path("m.tif").toStdString() + "\r\n";
  ASSERT_TRUE(slidetest::WriteBytes(Path("list.txt"), list));
  Harness h;
  h.control()->resize(60, 60);
  h.Put(kSlideFileName, U(Path("list.txt")));
  ASSERT_EQ(h.Call(kOpen), 1);
  EXPECT_EQ(h.GetInt(kMaxImage), 2);  // page 7 does not exist; the long line is refused, not cut
  h.TakeEvents();
  EXPECT_EQ(h.Call(kStart), 1);
  const std::string dir = dir_.path().toStdString();
  EXPECT_EQ(h.TakeEvents(), (std::vector<std::string>{"event StartSlide(0, \"" + dir + "\", \"m.tif 2\")",
                                                      "event EndSlide(0, \"" + dir + "\", \"m.tif 2\")"}));
  EXPECT_EQ(h.Call(kGoNext), 1);
  EXPECT_EQ(h.TakeEvents().front(), "event StartSlide(1, \"" + dir + "\", \"m.tif\")");
}

TEST_F(SlideDispatchTest, FolderModesCountFilesOrImages) {
  QDir(dir_.path()).mkdir("f");
  ASSERT_TRUE(slidetest::WriteMultiPageTiff(Path("f/multi.tif"), 16, 16, {Qt::red, Qt::green, Qt::blue}));
  ASSERT_TRUE(slidetest::WritePicture(Path("f/single.png"), 16, 16, Qt::black));
  ASSERT_TRUE(slidetest::WritePicture(Path("f/.hidden.png"), 16, 16, Qt::black));
  ASSERT_TRUE(slidetest::WritePicture(Path("f/skip.bmp"), 16, 16, Qt::black));
  QDir(dir_.path()).mkdir("f/sub.png");
  Harness h;
  h.Put(kFileExt, u"TIF;png");
  OpenFolder(h, Path("f"));
  EXPECT_EQ(h.GetInt(kMaxImage), 2);
  h.Call(kClose);
  OpenFolder(h, Path("f"), mvFolderMultiImage);
  EXPECT_EQ(h.GetInt(kMaxImage), 4);
  std::vector<std::pair<std::string, int>> got;
  for (const auto& e : h.control()->Entries().entries()) got.emplace_back(e.file_name, e.image_number);
  EXPECT_EQ(got, (std::vector<std::pair<std::string, int>>{{"multi.tif", 0}, {"multi.tif", 1}, {"multi.tif", 2},
                                                            {"single.png", 0}}));
  // Sorted by name, decreasing: the shared list sort.
  h.Call(kClose);
  h.Put(kFileExt, u"PNG;TIF");
  h.Put(kSort, 1);
  h.Put(kSortOrder, 1);
  OpenFolder(h, Path("f"), mvFolder);
  ASSERT_EQ(h.control()->Entries().size(), 2u);
  EXPECT_EQ(h.control()->Entries()[0].file_name, "single.png");
}

TEST_F(SlideDispatchTest, EndsOfTheListWithAndWithoutEndless) {
  Harness h;
  h.control()->resize(80, 60);
  OpenFolder(h, MakeFolder("f", 3));
  EXPECT_EQ(h.Call(kGoBottom), 1);
  EXPECT_EQ(h.GetInt(kCurrentImage), 2);
  h.TakeEvents();
  EXPECT_EQ(h.Call(kGoNext), 1);  // stays on the last entry and paints nothing
  EXPECT_EQ(h.GetInt(kCurrentImage), 2);
  EXPECT_TRUE(h.TakeEvents().empty());
  h.Put(kEndless, Variant::Bool(true));
  EXPECT_EQ(h.Call(kGoNext), 1);
  EXPECT_EQ(h.GetInt(kCurrentImage), 0);
  EXPECT_EQ(h.TakeEvents().size(), 2u);
  EXPECT_EQ(h.Call(kGoBack), 1);  // wraps back to the last
  EXPECT_EQ(h.GetInt(kCurrentImage), 2);
  h.Put(kEndless, Variant::Bool(false));
  EXPECT_EQ(h.Call(kGoTop), 1);
  EXPECT_EQ(h.Call(kGoBack), 1);
  EXPECT_EQ(h.GetInt(kCurrentImage), 0);
}

TEST_F(SlideDispatchTest, IndexesSetByTheHostAreCheckedAgainstTheBuiltList) {
  Harness h;
  h.control()->resize(80, 60);
  OpenFolder(h, MakeFolder("f", 2));
  EXPECT_EQ(h.Put(kMaxImage, 99), S_OK);
  EXPECT_EQ(h.Put(kCurrentImage, 50), S_OK);
  EXPECT_EQ(h.Call(kStart), 1);  // brought into the built range
  EXPECT_EQ(h.GetInt(kCurrentImage), 1);
  EXPECT_EQ(h.Call(kGoBottom), 1);
  EXPECT_EQ(h.GetInt(kCurrentImage), 1);
}

TEST_F(SlideDispatchTest, OneEntryListFirstTickEndsTheShow) {
  Harness h;
  h.control()->resize(80, 60);
  slidetest::ShowExposed(h.control());
  OpenFolder(h, MakeFolder("f", 1));
  h.Put(kEndless, Variant::Bool(true));
  h.Put(kIntervalTime, 1);
  h.TakeEvents();
  EXPECT_EQ(h.Call(kStart), 1);
  EXPECT_TRUE(h.control()->TimerRunning());
  EXPECT_EQ(h.Call(kGoNext), 0);  // the show is running
  EXPECT_EQ(h.Status(), kStatusWrongState);
  EXPECT_TRUE(slidetest::WaitUntil([&] { return !h.control()->TimerRunning(); }, 8000));
  EXPECT_EQ(h.GetInt(kCurrentImage), 0);
  EXPECT_EQ(h.Call(kStop), 1);
}

TEST_F(SlideDispatchTest, TwoEqualConsecutiveEntriesEndTheShow) {
  ASSERT_TRUE(slidetest::WritePicture(Path("a.png"), 20, 20, Qt::red));
  ASSERT_TRUE(slidetest::WritePicture(Path("b.png"), 20, 20, Qt::blue));
  const std::string a = Path("a.png").toStdString(), b = Path("b.png").toStdString();
  ASSERT_TRUE(slidetest::WriteBytes(Path("list.txt"), b + "\n" + a + "\n" + a + "\n" + b + "\n"));
  Harness h;
  h.control()->resize(80, 60);
  slidetest::ShowExposed(h.control());
  h.Put(kSlideFileName, U(Path("list.txt")));
  ASSERT_EQ(h.Call(kOpen), 1);
  h.Put(kIntervalTime, 1);
  h.Put(kCurrentImage, 1);
  EXPECT_EQ(h.Call(kStart), 1);
  EXPECT_TRUE(slidetest::WaitUntil([&] { return !h.control()->TimerRunning(); }, 8000));
  EXPECT_EQ(h.GetInt(kCurrentImage), 2);
}

TEST_F(SlideDispatchTest, ProgressPercentsOfTransitions) {
  Harness h;
  h.Put(kBorderVisible, Variant::Bool(false));
  h.control()->resize(400, 100);
  OpenFolder(h, MakeFolder("f", 2));
  h.Put(kScrollDir, mvRightToLeft);
  h.Put(kScrollSize, 100);
  h.TakeEvents();
  ASSERT_EQ(h.Call(kStart), 1);
  const std::string dir = Path("f").toStdString();
  EXPECT_EQ(h.TakeEvents(), (std::vector<std::string>{"event StartSlide(0, \"" + dir + "\", \"a.png\")",
                                                      "event Progress(24)", "event Progress(49)",
                                                      "event Progress(74)", "event Progress(100)",
                                                      "event EndSlide(0, \"" + dir + "\", \"a.png\")"}));
  // A step larger than the width: one step, then 100 only.
  h.Put(kScrollSize, 1000);
  h.Put(kScrollDir, mvUpToDown);
  ASSERT_EQ(h.Call(kGoNext), 1);
  EXPECT_EQ(h.TakeEvents("event Progress"), std::vector<std::string>{"event Progress(100)"});
  // Step 0 acts as 1: one percent per row, each reported once (height 100).
  h.Put(kScrollSize, 0);
  h.Put(kScrollDir, mvDownToUp);
  ASSERT_EQ(h.Call(kGoBack), 1);
  const auto progress = h.TakeEvents("event Progress");
  ASSERT_EQ(progress.size(), 100u);  // 0..98 and 100
  EXPECT_EQ(progress[0], "event Progress(0)");
  EXPECT_EQ(progress[98], "event Progress(98)");
  EXPECT_EQ(progress[99], "event Progress(100)");
}

TEST_F(SlideDispatchTest, ThreePixelWideControlGetsNoPicture) {
  Harness h;
  h.control()->resize(3, 100);
  OpenFolder(h, MakeFolder("f", 2));
  h.TakeEvents();
  EXPECT_EQ(h.Call(kStart), 0);
  EXPECT_EQ(h.Status(), kStatusLoadFailed);
  EXPECT_FALSE(h.control()->TimerRunning());
  EXPECT_TRUE(h.TakeEvents().empty());
}

TEST_F(SlideDispatchTest, PictureGoneBeforeItsTurnIsNeverShownUnderItsName) {
  Harness h;
  h.control()->resize(80, 60);
  const QString folder = MakeFolder("f", 3);
  OpenFolder(h, folder);
  ASSERT_EQ(h.Call(kStart), 1);
  ASSERT_TRUE(QFile::remove(folder + "/b.png"));
  h.TakeEvents();
  EXPECT_EQ(h.Call(kGoNext), 0);
  EXPECT_EQ(h.Status(), kStatusLoadFailed);
  EXPECT_EQ(h.control()->CurrentPicture(), 0u);
  EXPECT_TRUE(h.TakeEvents().empty());
  // With the folder watch, a removed file is skipped at its turn.
  h.Call(kClose);
  h.Put(kWatchFolder, Variant::Bool(true));
  OpenFolder(h, folder);
  EXPECT_EQ(h.GetInt(kMaxImage), 2);
  ASSERT_TRUE(slidetest::WritePicture(folder + "/b2.png", 20, 20, Qt::cyan));
  EXPECT_TRUE(slidetest::WaitUntil([&] { return h.GetInt(kMaxImage) == 3; }, 5000));
  ASSERT_TRUE(QFile::remove(folder + "/b2.png"));
  ASSERT_EQ(h.Call(kStart), 1);    // a.png
  ASSERT_EQ(h.Call(kGoNext), 1);   // c.png; b2.png joined the end
  h.Put(kEndless, Variant::Bool(true));
  h.TakeEvents();
  EXPECT_EQ(h.Call(kGoNext), 1);   // b2.png is gone: on to a.png
  EXPECT_EQ(h.GetInt(kCurrentImage), 0);
  EXPECT_EQ(h.TakeEvents().front(), "event StartSlide(0, \"" + folder.toStdString() + "\", \"a.png\")");
}

TEST_F(SlideDispatchTest, ShuffleVisitsEveryEntryOncePerRound) {
  Harness h;
  h.control()->resize(80, 60);
  h.control()->SeedShuffle(7);
  h.Put(kShuffle, Variant::Bool(true));
  h.Put(kEndless, Variant::Bool(true));
  OpenFolder(h, MakeFolder("f", 6));
  std::vector<int> seen;
  ASSERT_EQ(h.Call(kStart), 1);
  seen.push_back(h.control()->EntryAt(h.GetInt(kCurrentImage)));
  for (int i = 0; i < 17; ++i) {
    ASSERT_EQ(h.Call(kGoNext), 1);
    seen.push_back(h.control()->EntryAt(h.GetInt(kCurrentImage)));
  }
  for (int round = 0; round < 3; ++round) {
    std::set<int> s(seen.begin() + round * 6, seen.begin() + round * 6 + 6);
    EXPECT_EQ(s.size(), 6u) << "round " << round;
  }
  EXPECT_NE(seen[5], seen[6]);
  EXPECT_NE(seen[11], seen[12]);
  // Not simply the folder order in every round.
  EXPECT_NE(std::vector<int>(seen.begin(), seen.begin() + 6), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  // Every StartSlide had its EndSlide; the shows went through without ending.
  EXPECT_EQ(h.TakeEvents("event StartSlide").size(), 18u);
}

TEST_F(SlideDispatchTest, FileAddedToAWatchedFolderIsShownInTheSameRun) {
  Harness h;
  h.control()->resize(80, 60);
  slidetest::ShowExposed(h.control());
  const QString folder = MakeFolder("f", 2);
  h.Put(kWatchFolder, Variant::Bool(true));
  h.Put(kEndless, Variant::Bool(true));
  h.Put(kIntervalTime, 1);
  OpenFolder(h, folder);
  ASSERT_EQ(h.Call(kStart), 1);
  // A picture still being written is not a picture yet; it joins once it is.
  ASSERT_TRUE(slidetest::WriteBytes(folder + "/z.png", "\x89PNG"));
  EXPECT_FALSE(slidetest::WaitUntil([&] { return h.GetInt(kMaxImage) == 3; }, 300));
  ASSERT_TRUE(slidetest::WritePicture(folder + "/z.png", 20, 20, Qt::magenta));
  bool shown = false;
  slidetest::WaitUntil([&] {
    for (const std::string& e : h.TakeEvents("event StartSlide"))
      shown = shown || e.find("\"z.png\"") != std::string::npos;
    return shown;
  }, 10000);
  EXPECT_TRUE(shown);
  EXPECT_EQ(h.GetInt(kMaxImage), 3);
  EXPECT_TRUE(h.control()->TimerRunning());
}

TEST_F(SlideDispatchTest, ShiftJisSlideListNamingJapaneseFiles) {
  ASSERT_TRUE(slidetest::WritePicture(Path("写真1.png"), 20, 20, Qt::red));
  ASSERT_TRUE(slidetest::WritePicture(Path("ﾃｽﾄ.png"), 20, 20, Qt::blue));
  const std::string utf8 = (Path("写真1.png") + "\r\n" + Path("ﾃｽﾄ.png") + "\r\n").toStdString();
  const std::string sjis = slidetest::ToCp932(utf8);
  ASSERT_FALSE(sjis.empty());
  ASSERT_NE(sjis, utf8);
  ASSERT_TRUE(slidetest::WriteBytes(Path("list.txt"), sjis));
  Harness h;
  h.control()->resize(80, 60);
  h.Put(kSlideFileName, U(Path("list.txt")));
  ASSERT_EQ(h.Call(kOpen), 1);
  EXPECT_EQ(h.GetInt(kMaxImage), 2);
  h.TakeEvents();
  ASSERT_EQ(h.Call(kGoBottom), 1);
  EXPECT_EQ(h.TakeEvents().front(), "event StartSlide(1, \"" + dir_.path().toStdString() + "\", \"ﾃｽﾄ.png\")");
}

TEST_F(SlideDispatchTest, AFolderListThatFillsUpKeepsItsFirstEntries) {
  const QString folder = MakeFolder("many", 6);
  ASSERT_TRUE(slidetest::WriteMultiPageTiff(Path("many/t.tif"), 16, 16, {Qt::red, Qt::green, Qt::blue}));
  FolderRequest req;
  req.file_path = folder.toStdString();
  req.file_ext = "PNG;TIF";
  req.multi_image = true;
  // The reference: the whole list in its listing order.
  file_list::EntryList all;
  bool cut = true;
  ASSERT_EQ(BuildFromFolder(req, &all, &cut), 0);
  EXPECT_FALSE(cut);
  ASSERT_EQ(all.size(), 9u);
  for (size_t limit : {2u, 7u, 8u}) {
    file_list::EntryList list;
    list.SetMaxEntries(limit);
    ASSERT_EQ(BuildFromFolder(req, &list, &cut), 0);
    EXPECT_TRUE(cut) << limit;
    ASSERT_EQ(list.size(), limit);
    for (size_t i = 0; i < limit; ++i) {
      EXPECT_EQ(list[i].file_name, all[i].file_name) << limit << " " << i;
      EXPECT_EQ(list[i].image_number, all[i].image_number) << limit << " " << i;
    }
  }
}

}  // namespace
}  // namespace slide

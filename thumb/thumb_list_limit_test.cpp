// The list limit: 16-bit image numbers address at most 32 767 entries, so
// a listing that would go past the list's limit keeps its first entries,
// says so in ErrorStatus, and the event numbers stay those of the kept list.
// The limit is lowered here so that small folders reach it.
#include <QString>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "thumb/testing/thumb_fixture.h"

namespace thumb::testing {
namespace {

using hosting::S_FALSE;
using hosting::S_OK;
using hosting::Variant;

class ThumbListLimitTest : public ThumbTest {
 protected:
  void Pictures(int n) {
    for (int i = 0; i < n; ++i)
      ASSERT_TRUE(dir_.Picture("p" + std::to_string(i) + ".png", 20 + i, 10, QColor(10 * i, 80, 200)));
  }
  void Folder(int mode) {
    ASSERT_EQ(Put(kFilePath, Variant::Bstr(QString::fromStdString(dir_.path()).toStdU16String())), S_OK);
    ASSERT_EQ(Put(kReadMode, Variant::I2(static_cast<int16_t>(mode))), S_OK);
    ASSERT_EQ(Put(kSort, Variant::I2(1)), S_OK);
  }
};

TEST_F(ThumbListLimitTest, ListingPastTheLimitKeepsTheFirstEntriesAndSaysSo) {
  Pictures(5);
  Folder(mvThumbRd);
  control_->SetMaxEntries(3);
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(Status(), kStatusListFull);
  ASSERT_EQ(control_->Entries().size(), 3u);
  // The three kept are loaded and numbered 1..3 of 3.
  const std::vector<Event> starts = EventsOf(kEventStartLoadFile);
  ASSERT_EQ(starts.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(starts[k].Int(2), k + 1);
    EXPECT_EQ(starts[k].Int(3), 3);
  }
  for (const file_list::ThumbnailEntry& e : control_->Entries().entries()) EXPECT_NE(e.image, 0u);
  // They are sorted among themselves.
  const std::vector<std::string> names = Names();
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));

  // Exactly as many pictures as the list holds: no status.
  ASSERT_TRUE(std::remove(dir_.File("p3.png").c_str()) == 0 && std::remove(dir_.File("p4.png").c_str()) == 0);
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(Status(), kStatusOk);
  EXPECT_EQ(Names(), (std::vector<std::string>{"p0.png", "p1.png", "p2.png"}));
}

TEST_F(ThumbListLimitTest, AppendingToAFullListAddsNothing) {
  Pictures(4);
  Folder(mvThumbRdDsp);
  control_->SetMaxEntries(4);
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(Status(), kStatusOk);
  ASSERT_EQ(Put(kClearOnLoad, Variant::Bool(false)), S_OK);
  ASSERT_TRUE(dir_.Picture("q.png", 9, 9, Qt::red));
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(Status(), kStatusListFull);
  EXPECT_EQ(control_->Entries().size(), 4u);
  for (const file_list::ThumbnailEntry& e : control_->Entries().entries()) EXPECT_NE(e.file_name, "q.png");
}

TEST_F(ThumbListLimitTest, AFullListRefusesAndFreesAnImageHandle) {
  ASSERT_EQ(Put(kReadMode, Variant::I2(mvThumbRdImage)), S_OK);
  control_->SetMaxEntries(2);
  for (int i = 0; i < 2; ++i)
    ASSERT_EQ(Put(kImageHandle, Variant::I4(static_cast<int32_t>(SolidHandle(30, 20, Qt::green)))), S_OK);
  const MVHANDLE h = SolidHandle(30, 20, Qt::blue);
  EXPECT_EQ(Put(kImageHandle, Variant::I4(static_cast<int32_t>(h))), S_FALSE);
  EXPECT_EQ(MVGlobalSize(h), 0u);  // freed: the control owns every handle handed in
  EXPECT_EQ(Status(), kStatusListFull);
  EXPECT_EQ(control_->Entries().size(), 2u);
}

TEST_F(ThumbListLimitTest, AThumbnailFileLongerThanTheListIsReadUpToTheLimit) {
  Pictures(5);
  Folder(mvThumbRd);
  TempFolder cache;
  const std::string file = cache.File("thumbs.mv6");
  ASSERT_EQ(Put(kThumbnailFile, Variant::Bstr(QString::fromStdString(file).toStdU16String())), S_OK);
  ASSERT_TRUE(Call(kGetFiles));
  Call(kUpdateThumbnailFile);
  ASSERT_EQ(Status(), kStatusOk);
  const std::vector<std::string> written = Names();
  ASSERT_EQ(written.size(), 5u);

  control_->SetMaxEntries(2);
  events_.clear();
  ASSERT_TRUE(Call(kGetFiles));
  EXPECT_EQ(Status(), kStatusListFull);
  // The file's first two records, in its order, with their stored pictures.
  EXPECT_EQ(Names(), (std::vector<std::string>(written.begin(), written.begin() + 2)));
  EXPECT_TRUE(EventsOf(kEventStartLoadFile).empty());
}

}  // namespace
}  // namespace thumb::testing
